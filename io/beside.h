// A run of a file driver: its input, its output beside it, and its failure
// reported as the Windows program reports it.
#pragma once

#include <string>

namespace quillon {

// Why a driver failed, for callers that can say more than the message box.
struct DriverFailure {
    std::string reason; // e.g. "cannot open 'x.scd': No such file or directory"
};

// The paths of a run beside its input: the input `path` (8-bit, backslash or
// host separators) and "<folder>\<title>.<extension>" beside it.
struct BesidePaths {
    BesidePaths(const std::string& path, const char* extension);

    std::string script;        // the input with backslashes, which names the script
    std::string input, output; // host paths
};

// True, with `reason` set, when writing the host path `output` would replace
// the input at `input` (the same path, or a link to the same file).
bool OutputIsInput(const std::string& input, const std::string& output, std::string& reason);

// Shows "<operation> Fail!" as the Windows program does and keeps `reason` in
// `failure`; returns 1, a driver's failure.
int FailRun(const char* operation, DriverFailure* failure, std::string reason);

} // namespace quillon
