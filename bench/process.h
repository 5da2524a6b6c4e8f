// Running a whole process and measuring it, and the floor process that this
// program becomes with --io-floor.
#pragma once

#include <string>
#include <vector>

namespace quillon::bench {

struct ProcessResult {
    double seconds = 0;
    double cpuSeconds = 0; // user and system
    long maxRssKiB = 0;
    int status = -1;
};

// Runs a program with its output discarded; measures wall time and the
// child's peak resident memory. Call while this process is small: the child
// starts as a copy of it.
ProcessResult RunProcess(const std::vector<std::string>& args);

// The floor of a whole process: a process of this program that reads
// `input` through one reused 1 MiB buffer, as `cat` does, and writes `size`
// bytes to `output`.
int IoFloorProcess(const char* input, const char* output, const char* size);

} // namespace quillon::bench
