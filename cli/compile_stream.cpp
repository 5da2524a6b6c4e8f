#include "cli/compile_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "cli/streamed_output.h"
#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "codec/classic/line_ends.h"

namespace quillon::cli {

namespace fs = std::filesystem;

std::size_t ReadUpTo(std::FILE* in, char* into, std::size_t room) {
    std::size_t got = 0;
    while (got < room) {
        const std::size_t n = std::fread(into + got, 1, room - got, in);
        if (n == 0) break;
        got += n;
    }
    return got;
}

SourceFile::~SourceFile() {
    if (file_) std::fclose(file_);
}

void SourceFile::Open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) return;
    size_ = ReadUpTo(file_, head_, sizeof head_);
    if (std::ferror(file_)) { // a folder, or a failing disk
        std::fclose(file_);
        file_ = nullptr;
        size_ = 0;
    }
}

bool CompileStreamed(ScriptContext& record, const std::string& input, const std::string& output,
                     bool toStdout, std::string& reason, const SourceFile* opened) {
    if (opened && opened->File())
        return CompileOpenFile(record, opened->File(), input, opened->Head(), output, toStdout,
                               reason);
    std::FILE* in = std::fopen(input.c_str(), "rb");
    if (!in) {
        reason = FormatText("cannot open '%s': %s", input.c_str(), std::strerror(errno));
        return false;
    }
    std::error_code ec;
    if (fs::is_directory(input, ec)) {
        std::fclose(in);
        reason = FormatText("cannot read '%s': %s", input.c_str(), std::strerror(EISDIR));
        return false;
    }
    const bool done = CompileOpenFile(record, in, input, {}, output, toStdout, reason);
    std::fclose(in);
    return done;
}

bool CompileOpenFile(ScriptContext& record, std::FILE* in, const std::string& name,
                     std::string_view head, const std::string& output, bool toStdout,
                     std::string& reason) {
    StreamedOutput out;
    if (!out.Open(output, toStdout, reason)) return false;
    int readError = 0;
    LineEndCheck lineEnds;
    const bool whole = CompileStream(
        record,
        [&](char* into, std::size_t room) -> std::size_t {
            if (!head.empty()) {
                const std::size_t n = std::min(room, head.size());
                head.copy(into, n);
                head.remove_prefix(n);
                lineEnds.See(std::string_view(into, n));
                return n;
            }
            const std::size_t got = std::fread(into, 1, room, in);
            if (got == 0 && std::ferror(in)) readError = errno ? errno : EIO;
            lineEnds.See(std::string_view(into, got));
            return got;
        },
        [&](std::string_view piece) { out.Write(piece); });
    if (readError)
        reason = FormatText("cannot read '%s': %s", name.c_str(), std::strerror(readError));
    else if (!whole)
        reason = FormatText("'%s' is too large (2 GiB at most)", name.c_str());
    else if (lineEnds.Result() != LineEnds::Usable)
        reason = LineEndsAdvice(lineEnds.Result(), name);
    // A failed read, or a text that compiles to nothing for want of line
    // ends, leaves the output as it was (the writer removes its file).
    return reason.empty() && out.Finish(reason);
}

std::string LineEndsAdvice(LineEnds ends, const std::string& name) {
    std::string text = "'" + name + "': " + LineEndsReason(ends) +
                       ", and only CR LF or CR ends a line, so nothing would compile; nothing is "
                       "written. Convert the text first: ";
    // sed puts a CR at the end of every line, the last one too when it has no
    // line end; unix2dos leaves such a last line as it is.
    if (name == "<stdin>") return text + "sed 's/$/\\r/' | quillon compile -";
    text += "sed -i 's/$/\\r/' '" + name + "'";
    if (ends == LineEnds::LineFeedAlone) text += " (or unix2dos '" + name + "')";
    return text;
}

int CompileFileStreamed(ScriptContext& record, const std::string& path, DriverFailure* failure,
                        const SourceFile* opened) {
    const BesidePaths paths(path, "scd");
    std::string reason;
    // Replacing the output would replace the input too.
    if (!OutputIsInput(paths.input, paths.output, reason) &&
        CompileStreamed(record, paths.input, paths.output, false, reason, opened))
        return 0;
    return FailRun("Compile()", failure, reason);
}

} // namespace quillon::cli
