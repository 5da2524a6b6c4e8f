// The file drivers of exact mode, for the Windows program's Bio2 commands
// while "Exact" is checked: a chunk file converted beside itself, and back.
#pragma once

#include <string>
#include <string_view>

#include "io/beside.h"

namespace quillon::exact {

// Disassembles the chunk at `path` into "<folder>\<title>.c"; 0 after a
// complete run, 1 after a failure reported with "Disassemble() Fail!" (the
// reason in `failure`).
int DisassembleFile(const std::string& path, DriverFailure* failure = nullptr);
// Compiles the exact text at `path` into "<folder>\<title>.scd"; errors are
// shown, and nothing is written then.
int CompileFile(const std::string& path, DriverFailure* failure = nullptr);

// Compiles the exact text `input` of the file at the host path `name` (which
// names it in its messages, and beside which its headers are found) into the
// file `outputPath`, written whole or not at all. The classic compile driver
// hands exact texts here.
int CompileText(std::string_view input, const std::string& name, const std::string& outputPath,
                DriverFailure* failure);

int Disassemble(const char* path);
int Compile(const char* path);

} // namespace quillon::exact
