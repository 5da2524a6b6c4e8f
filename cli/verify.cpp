#include "cli/verify.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "cli/console.h"
#include "cli/inputs.h"
#include "cli/line_index.h"
#include "cli/names.h"
#include "cli/room.h"
#include "codec/base/text.h"
#include "codec/classic/diagnostics.h"
#include "codec/classic/engine.h"
#include "codec/exact/exact.h"
#include "io/file_bytes.h"
#include "io/includes.h"
#include "io/paths.h"

namespace quillon::cli {

namespace {

// Which source line produced which output bytes.
struct LineMap : CompileListener {
    struct Entry {
        std::int32_t sourceBegin, outputBegin, outputEnd;
    };
    std::vector<Entry> lines;
    void Report(const Diagnostic&) override {}
    void LineDone(std::int32_t sourceBegin, std::int32_t, std::int32_t outputBegin,
                  std::int32_t outputEnd) override {
        lines.push_back({sourceBegin, outputBegin, outputEnd});
    }
};

// The start of the instruction that holds `offset`, framing the bytes by the
// table's sizes from the start (an instruction of size 0 counts as 1).
std::int32_t InstructionStart(const Dialect& dialect, std::string_view bytes, std::int32_t offset) {
    std::int32_t pos = 0;
    const auto size = static_cast<std::int32_t>(bytes.size());
    while (pos < size) {
        const int n = std::max(1, dialect.Size(static_cast<std::uint8_t>(bytes[pos])));
        if (offset < pos + n) return pos;
        pos += n;
    }
    return -1;
}

// "0x00000014  23 00 FD 02 0A 00  Cmp(-3 >= 10)" for the instruction at
// `start`, its text as the disassembler prints it on its own.
std::string DescribeInstruction(const Dialect& dialect, std::string_view bytes,
                                std::int32_t start) {
    const auto code = static_cast<std::uint8_t>(bytes[static_cast<size_t>(start)]);
    const int size = std::max(1, dialect.Size(code));
    std::string text = FormatText("0x%08X ", static_cast<unsigned>(start));
    const int shown = std::min<int>(size, static_cast<int>(bytes.size()) - start);
    for (int i = 0; i < shown && i < 16; ++i)
        text +=
            FormatText(" %02X", static_cast<std::uint8_t>(bytes[static_cast<size_t>(start + i)]));
    if (shown > 16) text += " ...";
    if (code >= 0x90) return text + "  (no line)";
    ScriptContext scratch(dialect);
    InputFile input{bytes};
    scratch.input = &input;
    scratch.readPos = start;
    scratch.nextPos = Read(scratch, scratch.readPos, &input);
    std::string line = Dispatch(scratch);
    return text + "  " + (line.empty() ? std::string("(empty line)") : line);
}

std::string Side(const Dialect& dialect, std::string_view bytes, std::int32_t offset) {
    const std::int32_t start = InstructionStart(dialect, bytes, offset);
    if (start < 0) return FormatText("ends at 0x%08X", static_cast<unsigned>(bytes.size()));
    return DescribeInstruction(dialect, bytes, start);
}

} // namespace

RoundTrip CheckRoundTrip(const Dialect& dialect, std::string_view bytecode,
                         std::string_view title) {
    RoundTrip result;
    ScriptContext disassembler(dialect);
    const std::string text = DisassembleBuffer(disassembler, bytecode, title);
    ScriptContext compiler(dialect);
    LineMap map;
    compiler.listener = &map;
    const std::string again = CompileBuffer(compiler, text);
    if (again == bytecode) {
        result.identical = true;
        result.report = "identical";
        return result;
    }
    const size_t common = std::min(again.size(), bytecode.size());
    size_t at = 0;
    while (at < common && again[at] == bytecode[at]) ++at;
    const auto offset = static_cast<std::int32_t>(at);
    result.offset = offset;
    std::string& r = result.report;
    r = FormatText("differs at offset 0x%08X (%zu bytes, %zu after the round trip)\n",
                   static_cast<unsigned>(offset), bytecode.size(), again.size());
    r += "  original:   " + Side(dialect, bytecode, offset) + "\n";
    r += "  round trip: " + Side(dialect, again, offset) + "\n";
    const auto line =
        std::find_if(map.lines.begin(), map.lines.end(), [&](const LineMap::Entry& e) {
            return offset >= e.outputBegin && offset < e.outputEnd;
        });
    if (line == map.lines.end()) {
        r += "  source line: none (the round trip ends before this offset)";
        return result;
    }
    const LineIndex index(text);
    int number = 0, column = 0;
    index.Locate(line->sourceBegin, number, column);
    size_t end = text.find_first_of("\r\n", static_cast<size_t>(line->sourceBegin));
    if (end == std::string::npos) end = text.size();
    r += FormatText("  source line %d: ", number) +
         text.substr(static_cast<size_t>(line->sourceBegin),
                     end - static_cast<size_t>(line->sourceBegin));
    return result;
}

RoundTrip CheckExactRoundTrip(std::string_view chunk, const Options& options) {
    RoundTrip result;
    std::string text, again, reason, first;
    DisassembleExact(options, chunk, "", text, reason);
    // The text is held in memory: the headers it includes are found from the
    // current folder, as those of standard input are.
    const auto onMessage = [&](const exact::Message& m) {
        if (m.error && first.empty())
            first = FormatText("line %d, column %d: %s", m.line, m.column, m.text.c_str());
    };
    if (!exact::CompileChunk(text, again, onMessage, FileCompileOptions(""))) {
        result.report = "its exact text does not compile back: " + first;
        return result;
    }
    if (again == chunk) {
        result.identical = true;
        result.report = "identical";
        return result;
    }
    size_t at = 0;
    while (at < again.size() && at < chunk.size() && again[at] == chunk[at]) ++at;
    result.offset = static_cast<std::int32_t>(at);
    // The offset as --offsets prints it at the end of each line.
    result.report = FormatText("differs at offset 0x%04zX (%zu bytes, %zu after the round trip)",
                               at, chunk.size(), again.size());
    return result;
}

int RunVerify(const Options& options) {
    const InputList inputs = CollectInputs(options.inputs, ".scd", options.recursive);
    if (std::find(inputs.files.begin(), inputs.files.end(), "-") != inputs.files.end())
        UseBinaryStreams();
    int identical = 0, differ = 0, failed = inputs.failures;
    for (const std::string& file : inputs.files) {
        if (IsRoomFile(file)) {
            // A room file is never a classic script.
            const RoomCheck check = options.exact ? VerifyRoom(options, file) : RoomCheck::Failed;
            if (!options.exact)
                std::fprintf(stderr, "quillon: '%s': a room file: use --exact\n", file.c_str());
            ++(check == RoomCheck::Identical ? identical
               : check == RoomCheck::Differ  ? differ
                                             : failed);
            continue;
        }
        const bool fromStdin = file == "-";
        const std::string scriptPath = fromStdin ? std::string("stdin") : ToScriptPath(file);
        std::string bytes, reason;
        const bool read = fromStdin ? ReadStandardInput(bytes, reason)
                                    : ReadWholeFile(ToHostPath(scriptPath), bytes, reason);
        if (!read) {
            std::fprintf(stderr, "quillon: %s\n", reason.c_str());
            ++failed;
            continue;
        }
        if (options.exact) {
            std::string reason;
            if (!exact::CheckChunk(bytes, reason)) {
                std::fprintf(stderr,
                             "quillon: %s: not a script chunk: %s; verify it without --exact\n",
                             fromStdin ? "<stdin>" : file.c_str(), reason.c_str());
                ++failed;
                continue;
            }
        }
        const RoundTrip trip =
            options.exact ? CheckExactRoundTrip(bytes, options)
                          : CheckRoundTrip(*options.dialect, bytes, ScriptTitle(scriptPath));
        if (trip.identical)
            ++identical;
        else
            ++differ;
        if (!trip.identical || !options.quiet)
            std::printf("%s: %s\n", fromStdin ? "<stdin>" : file.c_str(), trip.report.c_str());
    }
    std::fflush(stdout);
    const bool batch = inputs.folderGiven || inputs.files.size() > 1;
    if (batch && !options.quiet) {
        std::fprintf(stderr, "%d identical, %d differ", identical, differ);
        if (failed) std::fprintf(stderr, ", %d failed", failed);
        std::fputc('\n', stderr);
    }
    return differ > 0 || failed > 0 ? 1 : 0;
}

} // namespace quillon::cli
