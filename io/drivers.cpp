#include "io/drivers.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "codec/exact/exact.h"
#include "io/exact_drivers.h"
#include "io/file_bytes.h"
#include "io/paths.h"

namespace quillon {

namespace {

enum class Direction { Disassemble, Compile };

int RunFile(ScriptContext& ctx, const std::string& path, Direction dir, DriverFailure* failure) {
    const char* operation = dir == Direction::Disassemble ? "Disassemble()" : "Compile()";
    auto fail = [&](std::string reason) {
        ShowMessage("Quillon", "%s Fail!", operation);
        if (failure) failure->reason = std::move(reason);
        return 1;
    };
    const std::string scriptPath = ToScriptPath(path);
    const std::string inputPath = ToHostPath(scriptPath);
    // A bytecode file may be a large stream: it is read into huge pages.
    std::string text, reason;
    FileBytes bytecode;
    if (dir == Direction::Disassemble ? !bytecode.Read(inputPath, reason)
                                      : !ReadWholeFile(inputPath, text, reason))
        return fail(reason);
    const std::string_view input = dir == Direction::Disassemble ? bytecode.View() : text;
    const std::string outputPath =
        ToHostPath(OutputPath(scriptPath, dir == Direction::Disassemble ? "c" : "scd"));
    // Writing the output would truncate the input before it is read.
    if (SameFile(inputPath, outputPath))
        return fail(FormatText("'%s' would be overwritten by its own output", inputPath.c_str()));
    // An exact text compiled by the classic rules would give a broken script.
    if (dir == Direction::Compile && ctx.dialect == &RetailDialect() && exact::IsExactText(input))
        return exact::CompileText(input, inputPath, outputPath, failure);
    if (dir == Direction::Disassemble) {
        // The text is several times the size of the bytecode: it goes to the
        // file piece by piece as it is made instead of being held whole.
        std::FILE* f = std::fopen(outputPath.c_str(), "wb");
        if (!f)
            return fail(
                FormatText("cannot write '%s': %s", outputPath.c_str(), std::strerror(errno)));
        int err = 0;
        DisassembleStream(ctx, input, ScriptTitle(scriptPath), [&](std::string_view piece) {
            if (!err && std::fwrite(piece.data(), 1, piece.size(), f) != piece.size())
                err = errno ? errno : EIO;
        });
        if (std::fclose(f) != 0 && !err) err = errno ? errno : EIO;
        if (err)
            return fail(
                FormatText("cannot write '%s': %s", outputPath.c_str(), std::strerror(err)));
        return 0;
    }
    std::string output;
    CompileBuffer(ctx, input, output);
    if (!WriteWholeFile(outputPath, output, reason)) return fail(reason);
    return 0;
}

} // namespace

int DisassembleFile(ScriptContext& ctx, const std::string& path, DriverFailure* failure) {
    return RunFile(ctx, path, Direction::Disassemble, failure);
}

int CompileFile(ScriptContext& ctx, const std::string& path, DriverFailure* failure) {
    return RunFile(ctx, path, Direction::Compile, failure);
}

int Disassemble(const char* path) {
    return DisassembleFile(RetailRecord(), path ? path : "");
}
int Compile(const char* path) {
    return CompileFile(RetailRecord(), path ? path : "");
}

namespace prototype {
int Disassemble(const char* path) {
    return DisassembleFile(PrototypeRecord(), path ? path : "");
}
int Compile(const char* path) {
    return CompileFile(PrototypeRecord(), path ? path : "");
}
} // namespace prototype

} // namespace quillon
