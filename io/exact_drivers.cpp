#include "io/exact_drivers.h"

#include "codec/base/text.h"
#include "codec/exact/exact.h"
#include "io/file_bytes.h"
#include "io/includes.h"
#include "io/safe_write.h"

namespace quillon::exact {

int DisassembleFile(const std::string& path, DriverFailure* failure) {
    const BesidePaths paths(path, "c");
    std::string bytes, text, reason;
    if (OutputIsInput(paths.input, paths.output, reason) ||
        !ReadWholeFile(paths.input, bytes, reason))
        return FailRun("Disassemble()", failure, reason);
    if (!DisassembleChunk(bytes, text, reason))
        return FailRun("Disassemble()", failure,
                       FormatText("'%s' is not a script chunk: %s; convert it without Exact",
                                  paths.input.c_str(), reason.c_str()));
    if (!WriteFileSafely(paths.output, text, false, reason))
        return FailRun("Disassemble()", failure, reason);
    return 0;
}

int CompileText(std::string_view input, const std::string& name, const std::string& outputPath,
                DriverFailure* failure) {
    std::string chunk, errors, reason;
    int count = 0;
    const bool ok = CompileChunk(
        input, chunk,
        [&](const Message& m) {
            if (!m.error) return;
            if (++count <= 10)
                errors += FormatText("%s:%d:%d: error: %s\n", name.c_str(), m.line, m.column,
                                     m.text.c_str());
        },
        FileCompileOptions(name));
    if (!ok) {
        if (count > 10) errors += FormatText("and %d more errors\n", count - 10);
        ShowMessage("Quillon", "%s", errors.c_str());
        return FailRun("Compile()", failure,
                       FormatText("%s: %d error%s; nothing written", name.c_str(), count,
                                  count == 1 ? "" : "s"));
    }
    if (!WriteFileSafely(outputPath, chunk, false, reason))
        return FailRun("Compile()", failure, reason);
    return 0;
}

int CompileFile(const std::string& path, DriverFailure* failure) {
    const BesidePaths paths(path, "scd");
    std::string text, reason;
    if (OutputIsInput(paths.input, paths.output, reason) ||
        !ReadWholeFile(paths.input, text, reason))
        return FailRun("Compile()", failure, reason);
    return CompileText(text, paths.input, paths.output, failure);
}

int Disassemble(const char* path) {
    return DisassembleFile(path ? path : "");
}
int Compile(const char* path) {
    return CompileFile(path ? path : "");
}

} // namespace quillon::exact
