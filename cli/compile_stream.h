// Compiling a source file as a stream: a window of the text in memory, the
// bytecode written as it is made, into a temporary file that replaces the
// output only once it is complete.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "codec/context.h"
#include "codec/drivers.h"

namespace quillon::cli {

// Compiles the source at the host path `input` into the host path `output`,
// or to standard output when `toStdout` is set. A file is written beside
// `output` under a temporary name and renamed over it at the end, so that a
// failure leaves the output as it was. False with `reason` naming the file.
bool CompileStreamed(ScriptContext& record, const std::string& input, const std::string& output,
                     bool toStdout, std::string& reason);

// The same for a file already open (standard input), `head` being the bytes
// already read from it; `name` names it in messages.
bool CompileOpenFile(ScriptContext& record, std::FILE* in, const std::string& name,
                     std::string_view head, const std::string& output, bool toStdout,
                     std::string& reason);

// CompileFile's contract ("<folder>\<title>.scd" beside the input, the
// "Compile() Fail!" message), compiled as a stream.
int CompileFileStreamed(ScriptContext& record, const std::string& path, DriverFailure* failure);

} // namespace quillon::cli
