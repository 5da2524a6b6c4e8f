#include "io/exact_drivers.h"

#include "codec/base/text.h"
#include "codec/exact/exact.h"
#include "io/paths.h"
#include "io/safe_write.h"

namespace quillon::exact {

namespace {

int Fail(const char* operation, DriverFailure* failure, std::string reason) {
    ShowMessage("Quillon", "%s Fail!", operation);
    if (failure) failure->reason = std::move(reason);
    return 1;
}

// The paths of a run beside the input; false when the output is the input.
bool Paths(const std::string& path, const char* extension, std::string& input, std::string& output,
           std::string& reason) {
    const std::string scriptPath = ToScriptPath(path);
    input = ToHostPath(scriptPath);
    output = ToHostPath(OutputPath(scriptPath, extension));
    if (SameFile(input, output)) {
        reason = FormatText("'%s' would be overwritten by its own output", input.c_str());
        return false;
    }
    return true;
}

} // namespace

int DisassembleFile(const std::string& path, DriverFailure* failure) {
    std::string input, output, bytes, text, reason;
    if (!Paths(path, "c", input, output, reason) || !ReadWholeFile(input, bytes, reason))
        return Fail("Disassemble()", failure, reason);
    if (!DisassembleChunk(bytes, text, reason))
        return Fail("Disassemble()", failure,
                    FormatText("'%s' is not a script chunk: %s; convert it without Exact",
                               input.c_str(), reason.c_str()));
    if (!WriteFileSafely(output, text, false, reason))
        return Fail("Disassemble()", failure, reason);
    return 0;
}

int CompileText(std::string_view input, const std::string& name, const std::string& outputPath,
                DriverFailure* failure) {
    std::string chunk, errors, reason;
    int count = 0;
    const bool ok = CompileChunk(input, chunk, [&](const Message& m) {
        if (!m.error) return;
        if (++count <= 10)
            errors +=
                FormatText("%s:%d:%d: error: %s\n", name.c_str(), m.line, m.column, m.text.c_str());
    });
    if (!ok) {
        if (count > 10) errors += FormatText("and %d more errors\n", count - 10);
        ShowMessage("Quillon", "%s", errors.c_str());
        return Fail("Compile()", failure,
                    FormatText("%s: %d error%s; nothing written", name.c_str(), count,
                               count == 1 ? "" : "s"));
    }
    if (!WriteFileSafely(outputPath, chunk, false, reason))
        return Fail("Compile()", failure, reason);
    return 0;
}

int CompileFile(const std::string& path, DriverFailure* failure) {
    std::string input, output, text, reason;
    if (!Paths(path, "scd", input, output, reason) || !ReadWholeFile(input, text, reason))
        return Fail("Compile()", failure, reason);
    return CompileText(text, input, output, failure);
}

int Disassemble(const char* path) {
    return DisassembleFile(path ? path : "");
}
int Compile(const char* path) {
    return CompileFile(path ? path : "");
}

} // namespace quillon::exact
