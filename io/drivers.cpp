#include "io/drivers.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "codec/exact/exact.h"
#include "io/exact_drivers.h"
#include "io/file_bytes.h"
#include "io/paths.h"
#include "io/safe_write.h"

namespace quillon {

namespace {

#ifdef _WIN32
constexpr int kFolderError = EACCES; // Windows opens no folder for writing
int CheckWritable(const char* path) {
    return _access(path, 2);
}
#else
constexpr int kFolderError = EISDIR;
int CheckWritable(const char* path) {
    return access(path, W_OK);
}
#endif

// The classic drivers refuse what opening the output for writing refuses,
// in its words, before anything is written: a folder in its place, or a
// file without write permission.
bool OutputOpens(const std::string& path, std::string& reason) {
    std::error_code ec;
    int err = 0;
    if (std::filesystem::is_directory(path, ec))
        err = kFolderError;
    else if (CheckWritable(path.c_str()) != 0 && errno == EACCES)
        err = EACCES;
    if (err == 0) return true;
    reason = FormatText("cannot write '%s': %s", path.c_str(), std::strerror(err));
    return false;
}

int DisassembleBeside(ScriptContext& ctx, const BesidePaths& paths, std::string_view input,
                      DriverFailure* failure) {
    // The text is several times the size of the bytecode: it goes to the file
    // piece by piece as it is made instead of being held whole.
    SafeFileWriter file;
    std::string reason;
    if (!OutputOpens(paths.output, reason) || !file.Open(paths.output, reason))
        return FailRun("Disassemble()", failure, reason);
    DisassembleStream(ctx, input, ScriptTitle(paths.script),
                      [&](std::string_view piece) { file.Write(piece); });
    if (!file.Close(false, reason) || !file.Replace(reason))
        return FailRun("Disassemble()", failure, reason);
    return 0;
}

int CompileBeside(ScriptContext& ctx, const BesidePaths& paths, std::string_view input,
                  DriverFailure* failure) {
    // An exact text compiled by the classic rules would give a broken script.
    if (ctx.dialect == &RetailDialect() && exact::IsExactText(input))
        return exact::CompileText(input, paths.input, paths.output, failure);
    std::string output, reason;
    CompileBuffer(ctx, input, output);
    if (!OutputOpens(paths.output, reason) || !WriteFileSafely(paths.output, output, false, reason))
        return FailRun("Compile()", failure, reason);
    return 0;
}

} // namespace

int DisassembleFile(ScriptContext& ctx, const std::string& path, DriverFailure* failure) {
    const BesidePaths paths(path, "c");
    // A bytecode file may be a large stream: it is read into huge pages.
    FileBytes bytecode;
    std::string reason;
    if (!bytecode.Read(paths.input, reason) || OutputIsInput(paths.input, paths.output, reason))
        return FailRun("Disassemble()", failure, reason);
    return DisassembleBeside(ctx, paths, bytecode.View(), failure);
}

int CompileFile(ScriptContext& ctx, const std::string& path, DriverFailure* failure) {
    const BesidePaths paths(path, "scd");
    std::string text, reason;
    if (!ReadWholeFile(paths.input, text, reason) ||
        OutputIsInput(paths.input, paths.output, reason))
        return FailRun("Compile()", failure, reason);
    return CompileBeside(ctx, paths, text, failure);
}

int Disassemble(const char* path) {
    return DisassembleFile(RetailContext(), path ? path : "");
}
int Compile(const char* path) {
    return CompileFile(RetailContext(), path ? path : "");
}

namespace prototype {
int Disassemble(const char* path) {
    return DisassembleFile(PrototypeContext(), path ? path : "");
}
int Compile(const char* path) {
    return CompileFile(PrototypeContext(), path ? path : "");
}
} // namespace prototype

} // namespace quillon
