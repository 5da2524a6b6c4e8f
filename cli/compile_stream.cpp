#include "cli/compile_stream.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "codec/engine.h"
#include "codec/paths.h"
#include "codec/text.h"

namespace quillon::cli {

namespace {

namespace fs = std::filesystem;

bool SameHostFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

// The file that a path names, through a symbolic link: the link stays and
// the file it points at is replaced.
fs::path Resolved(const std::string& path) {
    std::error_code ec;
    if (fs::is_symlink(path, ec)) {
        const fs::path target = fs::canonical(path, ec);
        if (!ec) return target;
    }
    return path;
}

// A new file of an unused name beside `target`, opened for writing.
std::FILE* CreateTemporary(const fs::path& target, fs::path& temp, int& err) {
    static std::mt19937 names{std::random_device{}()};
    err = EEXIST;
    for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
        temp = target;
        temp += FormatText(".%08x.tmp", static_cast<unsigned>(names()));
        // "x": never an existing file, a link or another run's temporary file.
        if (std::FILE* f = std::fopen(temp.string().c_str(), "wbx")) {
            err = 0;
            return f;
        }
        err = errno;
    }
    return nullptr;
}

} // namespace

bool CompileStreamed(ScriptContext& record, const std::string& input, const std::string& output,
                     bool toStdout, std::string& reason) {
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
    const fs::path target = toStdout ? fs::path() : Resolved(output);
    fs::path temp;
    std::FILE* out = stdout;
    int writeError = 0;
    if (!toStdout) {
        out = CreateTemporary(target, temp, writeError);
        if (!out) {
            std::fclose(in);
            reason = FormatText("cannot write '%s': %s", output.c_str(), std::strerror(writeError));
            return false;
        }
    }
    int readError = 0;
    const bool whole = CompileStream(
        record,
        [&](char* into, std::size_t room) -> std::size_t {
            const std::size_t got = std::fread(into, 1, room, in);
            if (got == 0 && std::ferror(in)) readError = errno ? errno : EIO;
            return got;
        },
        [&](std::string_view piece) {
            if (!writeError && std::fwrite(piece.data(), 1, piece.size(), out) != piece.size())
                writeError = errno ? errno : EIO;
        });
    std::fclose(in);
    if (toStdout) {
        if (!writeError && std::fflush(out) != 0) writeError = errno ? errno : EIO;
    } else if (std::fclose(out) != 0 && !writeError) {
        writeError = errno ? errno : EIO;
    }
    if (readError)
        reason = FormatText("cannot read '%s': %s", input.c_str(), std::strerror(readError));
    else if (!whole)
        reason = FormatText("'%s' is too large (2 GiB at most)", input.c_str());
    else if (writeError)
        reason = FormatText("cannot write '%s': %s", toStdout ? "<stdout>" : output.c_str(),
                            std::strerror(writeError));
    if (!toStdout) {
        if (reason.empty()) {
            // The new file keeps the permissions of the one it replaces.
            const fs::perms perms = fs::status(target, ec).permissions();
            if (!ec && fs::exists(target, ec)) fs::permissions(temp, perms, ec);
            fs::rename(temp, target, ec);
            if (ec)
                reason = FormatText("cannot write '%s': %s", output.c_str(), ec.message().c_str());
        }
        if (!reason.empty()) fs::remove(temp, ec);
    }
    return reason.empty();
}

int CompileFileStreamed(ScriptContext& record, const std::string& path, DriverFailure* failure) {
    const std::string scriptPath = ToScriptPath(path);
    const std::string input = ToHostPath(scriptPath);
    const std::string output = ToHostPath(OutputPath(scriptPath, "scd"));
    std::string reason;
    // Replacing the output would replace the input too.
    if (SameHostFile(input, output))
        reason = FormatText("'%s' would be overwritten by its own output", input.c_str());
    if (reason.empty() && CompileStreamed(record, input, output, false, reason)) return 0;
    ShowMessage("Quillon", "%s Fail!", "Compile()");
    if (failure) failure->reason = reason;
    return 1;
}

} // namespace quillon::cli
