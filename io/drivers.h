// The file drivers: each converts one file beside itself, as the Windows
// program's menu commands and drops do, through the in-memory engine.
#pragma once

#include <string>

#include "codec/classic/contexts.h"
#include "io/beside.h"
#include "io/file_bytes.h"

namespace quillon {

// Disassembles the bytecode file at `path` (8-bit, backslash or host
// separators) into "<folder>\<title>.c". Returns 0 after a complete run and 1
// after a failure that it has reported with "Disassemble() Fail!".
int DisassembleFile(ScriptContext& ctx, const std::string& path, DriverFailure* failure = nullptr);
// Compiles the source at `path` into "<folder>\<title>.scd"; "Compile() Fail!".
int CompileFile(ScriptContext& ctx, const std::string& path, DriverFailure* failure = nullptr);

// The four entry points of the shell.
int Disassemble(const char* path); // retail
int Compile(const char* path);     // retail
namespace prototype {
int Disassemble(const char* path);
int Compile(const char* path);
} // namespace prototype

} // namespace quillon
