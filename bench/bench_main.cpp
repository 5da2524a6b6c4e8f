// quillon_bench: throughput of the codec in both directions and dialects, on a
// typical room script and on a 16 MiB stream of every instruction form, side by
// side with the I/O floor (reading the input file and writing a file of the
// output's size); optionally the command-line tool on a folder of 1000 room
// scripts, its peak memory, and its whole compile and disassembly of the
// retail stream beside a floor process. Ends with a table of the targets.
//
//   quillon_bench [--cli=PATH/TO/quillon] [--workdir=DIR] [benchmark flags]
//   quillon_bench --big-source also compiles a source of 1 GB with the tool
//                              (made in the working folder, then removed)
//   quillon_bench --digest     prints checksums of every output, for checking
//                              that an optimisation changes no byte
//   quillon_bench --io-floor IN OUT SIZE
//                              the floor process: reads IN through a 1 MiB
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/cli_bench.h"
#include "bench/codec_bench.h"
#include "bench/digest.h"
#include "bench/process.h"
#include "bench/setup.h"
#include "bench/summary.h"

using namespace quillon::bench;

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--io-floor")
        return IoFloorProcess(argv[2], argv[3], argv[4]);
    std::string cli, workdir;
    bool digest = false, bigSource = false;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--cli=", 0) == 0)
            cli = a.substr(6);
        else if (a.rfind("--workdir=", 0) == 0)
            workdir = a.substr(10);
        else if (a == "--digest")
            digest = true;
        else if (a == "--big-source")
            bigSource = true;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    if (digest) return PrintDigests();

    bool ownWorkdir = false;
    if (workdir.empty()) {
        char pattern[] = "/tmp/quillon-bench-XXXXXX";
        if (!mkdtemp(pattern)) {
            std::perror("quillon_bench: mkdtemp");
            return 1;
        }
        workdir = pattern;
        ownWorkdir = true;
    }
    g_workdir = fs::absolute(workdir);
    fs::create_directories(g_workdir);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const std::string loadBefore = LoadAverage();
    std::printf("machine: %s\nload average: %s\n", Machine().c_str(), loadBefore.c_str());
    std::fflush(stdout);

    // The tool first, while this process is small (its children start as
    // copies of it, which would count in their peak memory).
    CliFigures cliFigures;
    if (!cli.empty()) cliFigures = MeasureCli(fs::absolute(cli).string(), bigSource);

    Register();
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    PrintSummary(collector, cliFigures, loadBefore);
    benchmark::Shutdown();
    if (ownWorkdir) fs::remove_all(g_workdir);
    return 0;
}
