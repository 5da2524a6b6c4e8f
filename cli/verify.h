// `quillon verify`: whether scripts survive the round trip.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cli/options.h"

namespace quillon::cli {

// Disassembles `bytecode`, compiles the text back and compares. Each direction
// runs on a fresh record, as in a newly started program, so that the result
// does not depend on other files. Returns "identical" or a report of the
// first difference (several lines, each ending in "\n" but the last).
struct RoundTrip {
    bool identical = false;
    std::int32_t offset = -1; // the first differing byte
    std::string report;       // what is printed after "FILE: "
};
RoundTrip CheckRoundTrip(const Dialect& dialect, std::string_view bytecode, std::string_view title);

// The same for a script chunk in exact mode (the chunk's table is valid),
// its text printed as --numbers, --offsets and --names say.
RoundTrip CheckExactRoundTrip(std::string_view chunk, const Options& options);

// Runs `quillon verify`; returns the exit status.
int RunVerify(const Options& options);

} // namespace quillon::cli
