// Exact-mode conversions of the command-line tool: script chunks to exact
// text and back, with errors and warnings named FILE:LINE:COLUMN.
#pragma once

#include <string>

#include "cli/options.h"

namespace quillon::cli {

// Converts one file (or "-") in exact mode: disassembling a chunk, or
// compiling an exact text. The output goes beside the input, to -o or to
// standard output as `toStdout` says; nothing is written when the input is
// refused or has errors. `warnings` receives the number of warnings.
bool ConvertExact(const Options& options, const std::string& file, bool disassemble, bool toStdout,
                  int& warnings);

// Compiles the exact text of the file at the host path `path`, read as a
// stream, printing its errors and (unless -q) its warnings as
// "NAME:LINE:COLUMN: error: ...", at most --max-warnings of them, and
// counting both. False when there was an error, with `reason` set when the
// file cannot be read.
bool CompileExactFile(const Options& options, const std::string& name, const std::string& path,
                      std::string& chunk, int& warnings, int& errors, std::string& reason);

// True (after saying so) when --Werror makes `warnings` a failure.
bool WarningsFail(const Options& options, const std::string& name, int warnings);

} // namespace quillon::cli
