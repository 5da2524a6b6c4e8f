#include "bench/summary.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "bench/setup.h"

namespace quillon::bench {

void Collector::ReportRuns(const std::vector<Run>& reports) {
    for (const Run& r : reports) {
        if (r.run_type != Run::RT_Iteration || r.error_occurred || r.iterations == 0) continue;
        const double n = static_cast<double>(r.iterations);
        const double wall = r.real_accumulated_time / n, cpu = r.cpu_accumulated_time / n;
        Best& kept = best[r.run_name.function_name];
        // The rate counters are per second of wall time.
        if (auto c = r.counters.find("bytes_per_second"); c != r.counters.end())
            kept.bytes = c->second * wall;
        if (auto c = r.counters.find("insn/s"); c != r.counters.end())
            kept.insns = c->second * wall;
        if (kept.wall == 0 || wall < kept.wall) kept.wall = wall;
        if (kept.cpu == 0 || cpu < kept.cpu) kept.cpu = cpu;
    }
    ConsoleReporter::ReportRuns(reports);
}

namespace {

std::string FirstLineOf(const char* path, const char* prefix) {
    std::ifstream f(path);
    std::string line;
    while (std::getline(f, line))
        if (line.rfind(prefix, 0) == 0) {
            const auto colon = line.find(':');
            return colon == std::string::npos ? line : line.substr(colon + 2);
        }
    return "?";
}

} // namespace

std::string LoadAverage() {
    std::ifstream f("/proc/loadavg");
    double a = 0, b = 0, c = 0;
    f >> a >> b >> c;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f %.2f %.2f", a, b, c);
    return buf;
}

std::string Machine() {
    struct utsname u {};
    uname(&u);
    const long cores = sysconf(_SC_NPROCESSORS_ONLN);
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGE_SIZE);
    char buf[512];
    std::snprintf(buf, sizeof buf, "%s, %ld cores, %.1f GiB, %s %s",
                  FirstLineOf("/proc/cpuinfo", "model name").c_str(), cores,
                  static_cast<double>(pages) * static_cast<double>(pageSize) / (1u << 30),
                  u.sysname, u.release);
    return buf;
}

namespace {

const char* Verdict(bool met) {
    return met ? "met" : "MISSED";
}

constexpr double kMB = 1e6;

// The codec's targets on the 16 MiB streams, both dialects, by processor time.
struct CodecTargets {
    bool speedMet = true, floorMet = true, compileMet = true, compileFloorMet = true;
    bool streamFloorMet = true, streamCompileFloorMet = true;
};

Collector::Best BestOf(const Collector& c, const std::string& name) {
    auto it = c.best.find(name);
    return it == c.best.end() ? Collector::Best{} : it->second;
}

void PrintCodecHeader(const std::string& loadBefore) {
    std::printf("\n== Summary (fastest repetition; MB = 10^6 bytes)\n");
    std::printf("machine: %s\n", Machine().c_str());
    std::printf("load average: %s before, %s after\n", loadBefore.c_str(), LoadAverage().c_str());
    std::printf("Rates by processor time (user + system) of this process, then by wall time; with\n"
                "other work on the machine the wall figures are the lower.\n\n");
    std::printf("%-10s %-7s %21s %17s %21s %17s %15s\n", "", "", "disassemble MB/s",
                "disasm Minsn/s", "compile MB/s", "compile Minsn/s", "file/floor");
    std::printf("%-10s %-7s %10s %10s %8s %8s %10s %10s %8s %8s %7s %7s\n", "dialect", "input",
                "cpu", "wall", "cpu", "wall", "cpu", "wall", "cpu", "wall", "cpu", "wall");
}

// The lines under a stream's row: the compile file driver against its floor,
// and both file drivers against the streamed floor, which pays no memory for
// the input.
void PrintStreamFloors(const Collector& c, const std::string& tail, const Collector::Best& file,
                       CodecTargets& t) {
    const auto cfile = BestOf(c, "CompileFile" + tail), cfloor = BestOf(c, "IoFloorCompile" + tail);
    const double compileRatio = cfloor.cpu > 0 ? cfile.cpu / cfloor.cpu : 0;
    std::printf("%-18s compile file / floor: %.2fx cpu, %.2fx wall\n", "", compileRatio,
                cfloor.wall > 0 ? cfile.wall / cfloor.wall : 0);
    t.compileFloorMet = t.compileFloorMet && compileRatio > 0 && compileRatio <= 8.0;
    const auto sd = BestOf(c, "StreamFloorDisassemble" + tail),
               sc = BestOf(c, "StreamFloorCompile" + tail);
    const double sdRatio = sd.cpu > 0 ? file.cpu / sd.cpu : 0,
                 scRatio = sc.cpu > 0 ? cfile.cpu / sc.cpu : 0;
    std::printf("%-18s streamed floor: disassemble file %.2fx cpu, %.2fx wall; compile "
                "file %.2fx cpu, %.2fx wall\n",
                "", sdRatio, sd.wall > 0 ? file.wall / sd.wall : 0, scRatio,
                sc.wall > 0 ? cfile.wall / sc.wall : 0);
    t.streamFloorMet = t.streamFloorMet && sdRatio > 0 && sdRatio <= 1.5;
    t.streamCompileFloorMet = t.streamCompileFloorMet && scRatio > 0 && scRatio <= 8.0;
}

void PrintCodecRow(const Collector& c, const char* dialect, const char* shape, CodecTargets& t) {
    const std::string tail = std::string("/") + dialect + "/" + shape;
    const auto dis = BestOf(c, "Disassemble" + tail), cmp = BestOf(c, "Compile" + tail);
    const auto file = BestOf(c, "DisassembleFile" + tail),
               floor = BestOf(c, "IoFloorDisassemble" + tail);
    const double cpuRatio = floor.cpu > 0 ? file.cpu / floor.cpu : 0;
    const double wallRatio = floor.wall > 0 ? file.wall / floor.wall : 0;
    std::printf("%-10s %-7s %10.1f %10.1f %8.2f %8.2f %10.1f %10.1f %8.2f %8.2f %6.2fx "
                "%6.2fx\n",
                dialect, shape, dis.ByCpu(dis.bytes) / kMB, dis.ByWall(dis.bytes) / kMB,
                dis.ByCpu(dis.insns) / kMB, dis.ByWall(dis.insns) / kMB, cmp.ByCpu(cmp.bytes) / kMB,
                cmp.ByWall(cmp.bytes) / kMB, cmp.ByCpu(cmp.insns) / kMB,
                cmp.ByWall(cmp.insns) / kMB, cpuRatio, wallRatio);
    if (std::string(shape) != "stream") return;
    t.speedMet = t.speedMet && dis.ByCpu(dis.bytes) >= 100 * kMB;
    t.compileMet = t.compileMet && cmp.ByCpu(cmp.bytes) >= 400 * kMB;
    t.floorMet = t.floorMet && cpuRatio > 0 && cpuRatio <= 1.5;
    PrintStreamFloors(c, tail, file, t);
}

void PrintCodecTargets(const CodecTargets& t) {
    std::printf("\n(disassemble: MB of bytecode; compile: MB of source text; file/floor: the file\n"
                "driver's time for reading, disassembling and writing over the time for reading\n"
                "the whole input into fresh memory and writing a file of the output's size; the\n"
                "streamed floor reads the input through one reused 1 MiB buffer instead)\n\n");
    std::printf("targets on the 16 MiB streams, both dialects, by processor time:\n");
    std::printf("  disassembly >= 100 MB/s of bytecode ............ %s\n", Verdict(t.speedMet));
    std::printf("  disassembly file driver <= 1.5x the I/O floor ... %s; streamed floor: %s\n",
                Verdict(t.floorMet), Verdict(t.streamFloorMet));
    std::printf("  compile >= 400 MB/s of source text .............. %s\n", Verdict(t.compileMet));
    std::printf("  streamed compile <= 8x the I/O floor ............ %s; streamed floor: %s\n",
                Verdict(t.compileFloorMet), Verdict(t.streamCompileFloorMet));
}

void PrintFolder(const CliFigures& cli) {
    std::printf("\ncommand-line tool, %d room scripts of %.1f KiB on average (%s):\n", kFolderFiles,
                static_cast<double>(cli.folderBytes) / kFolderFiles / 1024, cli.how.c_str());
    std::printf("  disassemble: %.3f s wall best, %.3f s median, %.3f s processor\n",
                cli.disassembleBest, cli.disassembleMedian, cli.disassembleCpu);
    std::printf("  compile back: %.3f s wall best, %.3f s median, %.3f s processor\n",
                cli.compileBest, cli.compileMedian, cli.compileCpu);
    std::printf("  1000 room scripts in under 1 s wall ............. %s\n",
                Verdict(cli.disassembleBest > 0 && cli.disassembleBest < 1.0));
}

// Whole processes on the retail stream beside their floor.
void PrintWhole(const CliFigures& cli) {
    std::printf("\nwhole processes on the retail stream, -q -o (median of 7 runs, each beside its\n"
                "floor: a process that reads the input through a 1 MiB buffer and writes a file\n"
                "of the output's size):\n");
    bool wholeMeasured = cli.whole.size() == 2, wholeDisassemblyMet = false, wholeFloorMet = false,
         wholeRateMet = false;
    for (const auto& w : cli.whole) {
        const double rate = w.seconds > 0 ? static_cast<double>(w.input) / w.seconds / 1e6 : 0;
        std::printf("  %-11s %6.1f MB in %.3f s (%.0f MB/s of input), floor %.3f s: %.2fx\n",
                    w.what.c_str(), static_cast<double>(w.input) / 1e6, w.seconds, rate, w.floor,
                    w.ratio);
        wholeMeasured = wholeMeasured && w.seconds > 0;
        if (w.what == "disassemble") wholeDisassemblyMet = w.ratio > 0 && w.ratio <= 1.5;
        if (w.what == "compile") {
            wholeFloorMet = w.ratio > 0 && w.ratio <= 8.0;
            wholeRateMet = rate >= 400;
        }
    }
    if (wholeMeasured) {
        std::printf("  disassembly <= 1.5x its floor ................... %s\n",
                    Verdict(wholeDisassemblyMet));
        std::printf("  compile <= 8x its floor ......................... %s\n",
                    Verdict(wholeFloorMet));
        std::printf("  compile >= 400 MB/s of source text .............. %s\n",
                    Verdict(wholeRateMet));
    } else {
        std::printf("  not measured (the tool or its floor failed)\n");
    }
}

void PrintMemory(const CliFigures& cli) {
    std::printf("\npeak memory of the command-line tool (a run of --version: %ld KiB):\n",
                cli.baselineKiB);
    bool memoryMet = !cli.memory.empty(), compileMemoryMet = true;
    for (const auto& m : cli.memory) {
        const double both = static_cast<double>(m.input + m.output);
        const double peak = static_cast<double>(m.peakKiB) * 1024;
        std::printf("  %-22s in %7.1f MiB, out %6.1f MiB, peak %7.1f MiB = %.2fx (in + out)\n",
                    m.what.c_str(), static_cast<double>(m.input) / (1 << 20),
                    static_cast<double>(m.output) / (1 << 20), peak / (1 << 20), peak / both);
        memoryMet = memoryMet && peak < 4 * both;
        if (m.what.rfind("compile", 0) == 0) compileMemoryMet = compileMemoryMet && peak < 32 << 20;
    }
    std::printf("  peak memory under 4x (input + output) ........... %s\n", Verdict(memoryMet));
    std::printf("  compile peak memory under 32 MiB ................ %s\n",
                Verdict(compileMemoryMet));
}

} // namespace

void PrintSummary(const Collector& c, const CliFigures& cli, const std::string& loadBefore) {
    PrintCodecHeader(loadBefore);
    CodecTargets targets;
    for (const char* dialect : {"retail", "prototype"})
        for (const char* shape : {"room", "stream"}) PrintCodecRow(c, dialect, shape, targets);
    PrintCodecTargets(targets);
    if (!cli.measured) {
        std::printf("  command-line tool: not measured (give --cli=PATH)\n");
        return;
    }
    PrintFolder(cli);
    PrintWhole(cli);
    PrintMemory(cli);
}

} // namespace quillon::bench
