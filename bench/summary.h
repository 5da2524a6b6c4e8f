// The machine, and the summary table of the targets at the end of a run with
// the reporter that keeps its figures.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

#include "bench/cli_bench.h"

namespace quillon::bench {

// Keeps the fastest repetition of every benchmark for the summary.
class Collector : public benchmark::ConsoleReporter {
  public:
    // Per iteration: wall and processor seconds, bytes and instructions.
    struct Best {
        double wall = 0, cpu = 0;
        double bytes = 0, insns = 0;
        double ByWall(double per) const { return wall > 0 ? per / wall : 0; }
        double ByCpu(double per) const { return cpu > 0 ? per / cpu : 0; }
    };
    void ReportRuns(const std::vector<Run>& reports) override;
    std::map<std::string, Best> best;
};

// The first three figures of /proc/loadavg.
std::string LoadAverage();

// The processor, its cores, the memory and the system.
std::string Machine();

void PrintSummary(const Collector& c, const CliFigures& cli, const std::string& loadBefore);

} // namespace quillon::bench
