// Exact mode's names on the command line: `quillon names`, the user's names
// of --names FILE.h, and the options that exact texts are printed and
// compiled with.
#pragma once

#include <string>

#include "cli/options.h"
#include "codec/exact/exact.h"

namespace quillon::cli {

// `quillon names`: the header of the built-in names, to standard output or
// to -o FILE; returns the exit status.
int RunNames(const Options& options);

// Reads the header that --names names into `book` and points
// `options.names` at it; true when there is none. False after saying why
// (the file and the reason).
bool LoadNames(Options& options, exact::NameBook& book);

// The exact text of `chunk` as --numbers, --offsets and --names have it
// printed (false with `reason` when it is no valid chunk). With --names the
// text includes that header, named as seen from the folder of the host path
// `textPath` ("": the current folder), so that it compiles back.
bool DisassembleExact(const Options& options, std::string_view chunk, const std::string& textPath,
                      std::string& text, std::string& reason);

} // namespace quillon::cli
