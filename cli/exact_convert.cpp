#include "cli/exact_convert.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <system_error>

#include "cli/console.h"
#include "cli/names.h"
#include "cli/streamed_output.h"
#include "codec/base/text.h"
#include "codec/exact/exact.h"
#include "io/beside.h"
#include "io/file_bytes.h"
#include "io/includes.h"

namespace quillon::cli {

namespace {

// Runs an exact compile with a handler that prints its errors and (unless
// -q) its warnings, at most --max-warnings of them, and counts both.
bool PrintedCompile(const Options& options, const std::string& name, int& warnings, int& errors,
                    const std::function<bool(const exact::MessageHandler&)>& compile) {
    int shown = 0, hidden = 0;
    const bool ok = compile([&](const exact::Message& m) {
        if (m.error)
            ++errors;
        else
            ++warnings;
        if (!m.error && options.quiet) return;
        if (options.maxWarnings > 0 && shown >= options.maxWarnings) {
            ++hidden;
            return;
        }
        ++shown;
        std::fprintf(stderr, "%s:%d:%d: %s: %s\n", name.c_str(), m.line, m.column,
                     m.error ? "error" : "warning", m.text.c_str());
    });
    if (hidden > 0)
        std::fprintf(stderr, "%s: %d more message%s not shown (--max-warnings)\n", name.c_str(),
                     hidden, hidden == 1 ? "" : "s");
    return ok;
}

// An exact compile of the text of an open file, read as a stream; its
// headers are found beside the host path `path` ("" for standard input).
bool CompileExactOpen(const Options& options, const std::string& name, std::FILE* f,
                      const std::string& path, std::string& chunk, int& warnings, int& errors,
                      std::string& reason) {
    int readError = 0;
    std::size_t total = 0;
    const bool ok =
        PrintedCompile(options, name, warnings, errors, [&](const exact::MessageHandler& h) {
            return exact::CompileStream(
                [&](char* into, std::size_t room) -> std::size_t {
                    const std::size_t got = std::fread(into, 1, room, f);
                    if (got == 0 && std::ferror(f)) readError = errno ? errno : EIO;
                    total += got;
                    // Lines and columns are counted in 31 bits.
                    return total > 0x7FFFFFFFu ? 0 : got;
                },
                chunk, h, FileCompileOptions(path));
        });
    const char* shown = path.empty() ? "<stdin>" : path.c_str();
    if (readError)
        reason = FormatText("cannot read '%s': %s", shown, std::strerror(readError));
    else if (total > 0x7FFFFFFFu)
        reason = FormatText("'%s' is too large (2 GiB at most)", shown);
    return ok && reason.empty();
}

} // namespace

bool CompileExactFile(const Options& options, const std::string& name, const std::string& path,
                      std::string& chunk, int& warnings, int& errors, std::string& reason) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::error_code ec;
    if (!f || std::filesystem::is_directory(path, ec)) {
        reason =
            FormatText("cannot open '%s': %s", path.c_str(), std::strerror(f ? EISDIR : errno));
        if (f) std::fclose(f);
        return false;
    }
    const bool done = CompileExactOpen(options, name, f, path, chunk, warnings, errors, reason);
    std::fclose(f);
    return done;
}

bool WarningsFail(const Options& options, const std::string& name, int warnings) {
    if (warnings == 0 || !options.werror) return false;
    std::fprintf(stderr, "quillon: %s: %d warning%s treated as error%s (--Werror)\n", name.c_str(),
                 warnings, warnings == 1 ? "" : "s", warnings == 1 ? "" : "s");
    return true;
}

bool ConvertExact(const Options& options, const std::string& file, bool disassemble, bool toStdout,
                  int& warnings) {
    warnings = 0;
    const bool fromStdin = file == "-";
    const std::string name = fromStdin ? std::string("<stdin>") : file;
    const BesidePaths beside(fromStdin ? std::string("stdin") : file, disassemble ? "c" : "scd");
    const std::string& inputPath = beside.input;
    auto fail = [&](const std::string& reason) {
        std::fprintf(stderr, "quillon: %s\n", reason.c_str());
        return false;
    };
    // A text to compile is read as a stream.
    std::string input, reason;
    if (disassemble &&
        (fromStdin ? !ReadStandardInput(input, reason) : !ReadWholeFile(inputPath, input, reason)))
        return fail(reason);
    toStdout = toStdout || (fromStdin && !options.hasOutput);
    const std::string outputPath = toStdout            ? std::string()
                                   : options.hasOutput ? options.output
                                                       : beside.output;
    if (!toStdout && !fromStdin && OutputIsInput(inputPath, outputPath, reason))
        return fail(reason);
    std::string output;
    if (disassemble) {
        if (!DisassembleExact(options, input, outputPath, output, reason))
            return fail(name + ": not a script chunk: " + reason + "; convert it without --exact");
    } else {
        int errors = 0;
        const bool compiled =
            fromStdin
                ? CompileExactOpen(options, name, stdin, "", output, warnings, errors, reason)
                : CompileExactFile(options, name, inputPath, output, warnings, errors, reason);
        if (!reason.empty()) return fail(reason);
        if (!compiled)
            return fail(FormatText("%s: %d error%s; nothing written", name.c_str(), errors,
                                   errors == 1 ? "" : "s"));
    }
    // A file is replaced whole or not at all.
    StreamedOutput out;
    if (!out.Open(outputPath, toStdout, reason)) return fail(reason);
    out.Write(output);
    return out.Finish(reason) || fail(reason);
}

} // namespace quillon::cli
