// The command-line tool's figures: a folder of 1000 room scripts disassembled
// and compiled back, whole processes on the retail stream beside their floor,
// and the tool's peak memory.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillon::bench {

struct CliFigures {
    bool measured = false;
    std::string how;            // the command line form used
    double disassembleBest = 0; // seconds for the folder
    double disassembleMedian = 0;
    double compileBest = 0;
    double compileMedian = 0;
    double disassembleCpu = 0; // the tool's processor seconds, best run
    double compileCpu = 0;
    std::size_t folderBytes = 0;
    // Whole processes on the retail stream, each run in turn with its floor:
    // medians of the times and of the ratios run by run (0: not measured).
    struct Whole {
        std::string what;
        std::size_t input = 0;
        double seconds = 0, floor = 0, ratio = 0;
    };
    std::vector<Whole> whole;
    struct Memory {
        std::string what;
        std::size_t input = 0, output = 0;
        long peakKiB = 0;
    };
    std::vector<Memory> memory;
    long baselineKiB = 0;
};

// Measures the tool at `cli` in the working folder; with `bigSource` also its
// compile of a source of 1 GB.
CliFigures MeasureCli(const std::string& cli, bool bigSource);

} // namespace quillon::bench
