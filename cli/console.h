// Standard streams of the command-line tool: binary input and output, and
// whether standard error is a terminal.
#pragma once

#include <string>
#include <string_view>

namespace quillon::cli {

// Puts standard input and output into binary mode (a no-op on POSIX).
void UseBinaryStreams();
bool StderrIsTerminal();

// Reads all of standard input; false with a reason on failure.
bool ReadStandardInput(std::string& bytes, std::string& reason);
// Writes `bytes` to standard output and flushes; false with a reason.
bool WriteStandardOutput(std::string_view bytes, std::string& reason);

} // namespace quillon::cli
