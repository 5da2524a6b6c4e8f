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
//                              buffer and writes SIZE bytes to OUT
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "codec/classic/diagnostics.h"
#include "codec/classic/engine.h"
#include "io/drivers.h"
#include "workload.h"

namespace fs = std::filesystem;
using namespace quillon;
using quillon::bench::Workload;

namespace {

constexpr std::size_t kStreamSize = 16u << 20;
constexpr std::size_t kRoomSize = 4096;
constexpr int kFolderFiles = 1000;
// The source of the large compile (--big-source).
constexpr std::size_t kBigSource = 1000u * 1000u * 1000u;
bool g_bigSource = false;

const Dialect& DialectNamed(const std::string& name) {
    return name == "retail" ? RetailDialect() : PrototypeDialect();
}

// ---- inputs ----------------------------------------------------------------

struct Input {
    Workload bytecode;
    std::string text; // its disassembly: the compiler's input
    fs::path scdPath; // the bytecode as a file (disassembly benchmarks)
    fs::path cPath;   // the text as a file, in another folder (compile benchmarks)
};

fs::path g_workdir;

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) {
        std::fprintf(stderr, "quillon_bench: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

Input& InputFor(const std::string& dialect, const std::string& shape) {
    static std::map<std::string, std::unique_ptr<Input>> inputs;
    const std::string key = shape + "_" + dialect;
    auto& slot = inputs[key];
    if (!slot) {
        const Dialect& d = DialectNamed(dialect);
        slot = std::make_unique<Input>();
        slot->bytecode = shape == "room" ? bench::RoomScript(d, 1, kRoomSize)
                                         : bench::InstructionStream(d, 2, kStreamSize);
        ScriptContext ctx(d);
        slot->text = DisassembleBuffer(ctx, slot->bytecode.bytes, key);
        fs::create_directories(g_workdir / "scd");
        fs::create_directories(g_workdir / "c");
        slot->scdPath = g_workdir / "scd" / (key + ".scd");
        slot->cPath = g_workdir / "c" / (key + ".c");
        WriteFile(slot->scdPath, slot->bytecode.bytes);
        WriteFile(slot->cPath, slot->text);
    }
    return *slot;
}

void SetRates(benchmark::State& state, std::size_t bytes, std::size_t instructions) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["insn/s"] = benchmark::Counter(static_cast<double>(instructions),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

// ---- benchmarks --------------------------------------------------------------

// The in-memory converters write into the same output string every time, as
// a batch of conversions does: the figures are those of the converter, not of
// the system handing out fresh memory (which the file benchmarks include).
void Disassemble(benchmark::State& state, std::string dialect, std::string shape) {
    Input& in = InputFor(dialect, shape);
    ScriptContext ctx(DialectNamed(dialect));
    std::string text;
    DisassembleBuffer(ctx, in.bytecode.bytes, "bench", text);
    for (auto _ : state) {
        DisassembleBuffer(ctx, in.bytecode.bytes, "bench", text);
        benchmark::DoNotOptimize(text.data());
    }
    SetRates(state, in.bytecode.bytes.size(), in.bytecode.instructions);
}

void Compile(benchmark::State& state, std::string dialect, std::string shape) {
    Input& in = InputFor(dialect, shape);
    ScriptContext ctx(DialectNamed(dialect));
    std::string bytes;
    CompileBuffer(ctx, in.text, bytes);
    for (auto _ : state) {
        CompileBuffer(ctx, in.text, bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
    SetRates(state, in.text.size(), in.bytecode.instructions);
}

void DisassembleFileBench(benchmark::State& state, std::string dialect, std::string shape) {
    Input& in = InputFor(dialect, shape);
    ScriptContext ctx(DialectNamed(dialect));
    for (auto _ : state) {
        if (DisassembleFile(ctx, in.scdPath.string()) != 0) state.SkipWithError("driver failed");
    }
    SetRates(state, in.bytecode.bytes.size(), in.bytecode.instructions);
}

// Opens the input and the output of one iteration, or says why not.
// The streamed floors' I/O: all of `in` read through `buffer`, then `size`
// bytes of it written to `out`. False when a write fails.
bool ReadThenWrite(std::FILE* in, std::FILE* out, std::uint64_t size, std::vector<char>& buffer) {
    while (std::fread(buffer.data(), 1, buffer.size(), in) > 0)
        benchmark::DoNotOptimize(buffer.data());
    for (std::uint64_t left = size; left > 0;) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
        if (std::fwrite(buffer.data(), 1, n, out) != n) return false;
        left -= n;
    }
    return true;
}

bool OpenBoth(benchmark::State& state, const fs::path& input, const fs::path& output, std::FILE*& f,
              std::FILE*& o) {
    f = std::fopen(input.c_str(), "rb");
    o = std::fopen(output.c_str(), "wb");
    if (f && o) return true;
    state.SkipWithError("cannot open");
    if (f) std::fclose(f);
    if (o) std::fclose(o);
    return false;
}

// The command-line tool's compile: the source read in a window, the bytecode
// written as it is made.
void CompileFileBench(benchmark::State& state, std::string dialect, std::string shape) {
    Input& in = InputFor(dialect, shape);
    ScriptContext ctx(DialectNamed(dialect));
    const fs::path target = g_workdir / "compiled.scd";
    for (auto _ : state) {
        std::FILE *f, *o;
        if (!OpenBoth(state, in.cPath, target, f, o)) break;
        CompileStream(
            ctx, [&](char* into, std::size_t room) { return std::fread(into, 1, room, f); },
            [&](std::string_view piece) { std::fwrite(piece.data(), 1, piece.size(), o); });
        std::fclose(f);
        std::fclose(o);
    }
    SetRates(state, in.text.size(), in.bytecode.instructions);
}

// The I/O alone: read the whole input file into fresh memory, write a file of
// the output's size.
void IoFloor(benchmark::State& state, const fs::path& input, const std::string& output) {
    const fs::path target = g_workdir / "floor.out";
    for (auto _ : state) {
        std::FILE* f = std::fopen(input.c_str(), "rb");
        if (!f) {
            state.SkipWithError("cannot open input");
            break;
        }
        const std::size_t size = fs::file_size(input);
        std::unique_ptr<char[]> buffer(new char[size + 1]);
        const std::size_t got = std::fread(buffer.get(), 1, size, f);
        std::fclose(f);
        benchmark::DoNotOptimize(buffer.get());
        std::FILE* o = std::fopen(target.c_str(), "wb");
        if (!o || got != size) {
            state.SkipWithError("I/O failed");
            if (o) std::fclose(o);
            break;
        }
        std::fwrite(output.data(), 1, output.size(), o);
        std::fclose(o);
    }
}

// The I/O alone as a stream, the least any converter does: the input read
// through one reused 1 MiB buffer (as cat reads), a file of the output's size
// written in pieces of 1 MiB.
void StreamFloor(benchmark::State& state, const fs::path& input, const std::string& output) {
    const fs::path target = g_workdir / "floor.out";
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        std::FILE *f, *o;
        if (!OpenBoth(state, input, target, f, o)) break;
        ReadThenWrite(f, o, output.size(), buffer);
        std::fclose(f);
        std::fclose(o);
    }
}

// A floor for the disassembly (the bytecode read, the text written) and for
// the compile (the text read, a file of about the bytecode's size written).
using FloorFn = void (*)(benchmark::State&, const fs::path&, const std::string&);

template <FloorFn floor>
void DisassemblyFloor(benchmark::State& state, std::string dialect, std::string shape) {
    Input& in = InputFor(dialect, shape);
    floor(state, in.scdPath, in.text);
    SetRates(state, in.bytecode.bytes.size(), in.bytecode.instructions);
}

template <FloorFn floor>
void CompileFloor(benchmark::State& state, std::string dialect, std::string shape) {
    Input& in = InputFor(dialect, shape);
    floor(state, in.cPath, in.bytecode.bytes);
    SetRates(state, in.text.size(), in.bytecode.instructions);
}

void Register() {
    for (const char* dialect : {"retail", "prototype"}) {
        for (const char* shape : {"room", "stream"}) {
            auto reg = [&](const char* what,
                           void (*fn)(benchmark::State&, std::string, std::string)) {
                const std::string name = std::string(what) + "/" + dialect + "/" + shape;
                benchmark::RegisterBenchmark(name.c_str(), fn, std::string(dialect),
                                             std::string(shape))
                    ->UseRealTime()
                    ->Unit(benchmark::kMillisecond);
            };
            reg("Disassemble", Disassemble);
            reg("DisassembleFile", DisassembleFileBench);
            reg("IoFloorDisassemble", DisassemblyFloor<IoFloor>);
            reg("Compile", Compile);
            reg("CompileFile", CompileFileBench);
            reg("IoFloorCompile", CompileFloor<IoFloor>);
            if (std::string(shape) == "stream") {
                reg("StreamFloorDisassemble", DisassemblyFloor<StreamFloor>);
                reg("StreamFloorCompile", CompileFloor<StreamFloor>);
            }
        }
    }
}

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
    void ReportRuns(const std::vector<Run>& reports) override {
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
    std::map<std::string, Best> best;
};

// ---- the command-line tool ---------------------------------------------------

struct ProcessResult {
    double seconds = 0;
    double cpuSeconds = 0; // user and system
    long maxRssKiB = 0;
    int status = -1;
};

// Runs a program with its output discarded; measures wall time and the
// child's peak resident memory. Call while this process is small: the child
// starts as a copy of it.
ProcessResult RunProcess(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        std::FILE* null = std::fopen("/dev/null", "w");
        if (null) {
            dup2(fileno(null), 1);
            dup2(fileno(null), 2);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    ProcessResult r;
    if (pid < 0) return r;
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    r.maxRssKiB = usage.ru_maxrss;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// The floor of a whole process: a process of this program that reads
// `input` through one reused 1 MiB buffer, as `cat` does, and writes `size`
// bytes to `output`.
int IoFloorProcess(const char* input, const char* output, const char* size) {
    std::vector<char> buffer(1u << 20);
    std::FILE* in = std::fopen(input, "rb");
    std::FILE* out = std::fopen(output, "wb");
    bool ok = in && out && ReadThenWrite(in, out, std::strtoull(size, nullptr, 10), buffer);
    if (in) ok = !std::ferror(in) && std::fclose(in) == 0 && ok;
    if (out) ok = std::fclose(out) == 0 && ok;
    return ok ? 0 : 1;
}

void RemoveWithExtension(const fs::path& dir, const std::string& ext) {
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().extension() == ext) fs::remove(e.path());
}

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

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A command run in turn with the floor process of its input and output.
CliFigures::Whole TimeBesideFloor(const std::string& what, const std::vector<std::string>& command,
                                  const fs::path& input, const fs::path& output) {
    constexpr int kRuns = 7;
    CliFigures::Whole w{what, fs::file_size(input)};
    const std::vector<std::string> floor = {
        fs::read_symlink("/proc/self/exe").string(), "--io-floor", input.string(),
        (g_workdir / "floor.out").string(), std::to_string(fs::file_size(output))};
    std::vector<double> times, floors, ratios;
    for (int run = 0; run < kRuns; ++run) {
        const ProcessResult a = RunProcess(command), b = RunProcess(floor);
        if (a.status != 0 || b.status != 0 || b.seconds <= 0) return w;
        times.push_back(a.seconds);
        floors.push_back(b.seconds);
        ratios.push_back(a.seconds / b.seconds);
    }
    fs::remove(g_workdir / "floor.out");
    w.seconds = Median(times);
    w.floor = Median(floors);
    w.ratio = Median(ratios);
    return w;
}

CliFigures MeasureCli(const std::string& cli) {
    CliFigures out;
    out.measured = true;
    const fs::path folder = g_workdir / "rooms";
    fs::create_directories(folder);
    std::vector<std::string> files;
    for (int i = 0; i < kFolderFiles; ++i) {
        const Dialect& d = RetailDialect();
        Workload w = bench::RoomScript(d, 1000 + static_cast<std::uint32_t>(i), kRoomSize);
        char name[32];
        std::snprintf(name, sizeof name, "room%04d.scd", i);
        WriteFile(folder / name, w.bytes);
        files.push_back((folder / name).string());
        out.folderBytes += w.bytes.size();
    }
    // The folder form when the tool has it, otherwise every file named.
    std::vector<std::string> byFolder = {cli, "disassemble", folder.string()};
    std::vector<std::string> byFiles = {cli, "disassemble"};
    byFiles.insert(byFiles.end(), files.begin(), files.end());
    ProcessResult probe = RunProcess(byFolder);
    const bool folderWorks =
        probe.status == 0 && fs::exists(folder / "room0000.c") && fs::exists(folder / "room0999.c");
    std::vector<std::string> disassemble = folderWorks ? byFolder : byFiles;
    out.how = folderWorks ? "quillon disassemble DIR" : "quillon disassemble FILE x1000";
    constexpr int kRuns = 7;
    std::vector<double> times, cpu;
    for (int run = 0; run < kRuns; ++run) {
        RemoveWithExtension(folder, ".c");
        ProcessResult r = RunProcess(disassemble);
        if (r.status != 0) {
            std::fprintf(stderr, "quillon_bench: the command-line tool failed (%d)\n", r.status);
            out.measured = false;
            return out;
        }
        times.push_back(r.seconds);
        cpu.push_back(r.cpuSeconds);
    }
    out.disassembleBest = *std::min_element(times.begin(), times.end());
    out.disassembleCpu = *std::min_element(cpu.begin(), cpu.end());
    out.disassembleMedian = Median(times);
    // And back: compile the texts just written.
    std::vector<std::string> compile = {cli, "compile"};
    if (folderWorks) {
        compile.push_back(folder.string());
    } else {
        for (int i = 0; i < kFolderFiles; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "room%04d.c", i);
            compile.push_back((folder / name).string());
        }
    }
    times.clear();
    cpu.clear();
    for (int run = 0; run < kRuns; ++run) {
        ProcessResult r = RunProcess(compile);
        if (r.status != 0) break;
        times.push_back(r.seconds);
        cpu.push_back(r.cpuSeconds);
    }
    if (!times.empty()) {
        out.compileBest = *std::min_element(times.begin(), times.end());
        out.compileCpu = *std::min_element(cpu.begin(), cpu.end());
        out.compileMedian = Median(times);
    }
    // Peak memory on the 16 MiB streams, both directions and dialects.
    const fs::path big = g_workdir / "memory";
    fs::create_directories(big);
    out.baselineKiB = RunProcess({cli, "--version"}).maxRssKiB;
    for (const char* dialect : {"retail", "prototype"}) {
        const fs::path scd = big / (std::string("stream_") + dialect + ".scd");
        const fs::path c = big / (std::string("stream_") + dialect + ".c");
        {
            Workload w = bench::InstructionStream(DialectNamed(dialect), 2, kStreamSize);
            WriteFile(scd, w.bytes);
        }
        malloc_trim(0); // the children start as copies of this process
        ProcessResult r = RunProcess({cli, "disassemble", "--dialect", dialect, scd.string()});
        if (r.status == 0 && fs::exists(c))
            out.memory.push_back({std::string("disassemble ") + dialect, fs::file_size(scd),
                                  fs::file_size(c), r.maxRssKiB});
        if (r.status == 0 && std::string(dialect) == "retail") {
            const fs::path text = big / "whole.c", bytes = big / "whole.scd";
            out.whole.push_back(TimeBesideFloor(
                "disassemble",
                {cli, "disassemble", "-q", "--dialect", dialect, "-o", text.string(), scd.string()},
                scd, c));
            out.whole.push_back(TimeBesideFloor(
                "compile",
                {cli, "compile", "-q", "--dialect", dialect, "-o", bytes.string(), c.string()}, c,
                scd));
            fs::remove(text);
            fs::remove(bytes);
        }
        fs::remove(scd);
        r = RunProcess({cli, "compile", "--dialect", dialect, c.string()});
        if (r.status == 0 && fs::exists(scd))
            out.memory.push_back({std::string("compile ") + dialect, fs::file_size(c),
                                  fs::file_size(scd), r.maxRssKiB});
        fs::remove(scd);
        fs::remove(c);
    }
    {
        // An exact text of about 100 MB: many functions of 2000 instructions.
        // Its chunk fails once the procedures pass what the 16-bit table
        // holds, but the whole text is still read, a window at a time.
        const fs::path c = big / "exact.c";
        std::string function;
        for (int i = 0; i < 2000; ++i) function += "\tSet(1, 24, 1);\r\n";
        if (std::FILE* f = std::fopen(c.string().c_str(), "wb")) {
            std::fputs("// quillon exact\r\n", f);
            for (int k = 0; k < 3000; ++k) {
                std::fprintf(f, "int Sub%02d(void) {\r\n", k);
                std::fwrite(function.data(), 1, function.size(), f);
                std::fputs("}\r\n", f);
            }
            std::fclose(f);
        }
        malloc_trim(0);
        const ProcessResult r = RunProcess({cli, "compile", "--exact", "-q", c.string()});
        out.memory.push_back({"compile --exact", fs::file_size(c), 0, r.maxRssKiB});
        fs::remove(c);
    }
    if (g_bigSource) {
        // A source of 1 GB: the retail stream's text repeated, made here and
        // removed afterwards.
        const fs::path c = big / "big.c", scd = big / "big.scd";
        std::size_t size = 0;
        {
            ScriptContext ctx(RetailDialect());
            Workload w = bench::InstructionStream(RetailDialect(), 2, kStreamSize);
            std::string text = DisassembleBuffer(ctx, w.bytes, "big");
            text.resize(text.rfind('\n') + 1); // the closing "}" only at the end
            const std::string body = text.substr(text.find('\n') + 1);
            std::ofstream f(c, std::ios::binary | std::ios::trunc);
            f.write(text.data(), static_cast<std::streamsize>(text.size()));
            size = text.size();
            while (size + body.size() <= kBigSource) {
                f.write(body.data(), static_cast<std::streamsize>(body.size()));
                size += body.size();
            }
            f << "}";
        }
        malloc_trim(0);
        ProcessResult r = RunProcess({cli, "compile", "-q", c.string()});
        if (r.status == 0 && fs::exists(scd))
            out.memory.push_back(
                {"compile retail 1 GB", fs::file_size(c), fs::file_size(scd), r.maxRssKiB});
        std::printf("compile of %.0f MB: %.2f s wall, %.2f s processor\n",
                    static_cast<double>(size) / 1e6, r.seconds, r.cpuSeconds);
        fs::remove(c);
        fs::remove(scd);
    }
    return out;
}

// ---- the machine and the summary ----------------------------------------------

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

const char* Verdict(bool met) {
    return met ? "met" : "MISSED";
}

void PrintSummary(const Collector& c, const CliFigures& cli, const std::string& loadBefore) {
    auto get = [&](const std::string& name) {
        auto it = c.best.find(name);
        return it == c.best.end() ? Collector::Best{} : it->second;
    };
    const double MB = 1e6;
    std::printf("\n== Summary (fastest repetition; MB = 10^6 bytes)\n");
    std::printf("machine: %s\n", Machine().c_str());
    std::printf("load average: %s before, %s after\n", loadBefore.c_str(), LoadAverage().c_str());
    std::printf("Rates by processor time (user + system) of this process, then by wall time; with\n"
                "other work on the machine the wall figures are the lower.\n\n");
    std::printf("%-10s %-7s %21s %17s %21s %17s %15s\n", "", "", "disassemble MB/s",
                "disasm Minsn/s", "compile MB/s", "compile Minsn/s", "file/floor");
    std::printf("%-10s %-7s %10s %10s %8s %8s %10s %10s %8s %8s %7s %7s\n", "dialect", "input",
                "cpu", "wall", "cpu", "wall", "cpu", "wall", "cpu", "wall", "cpu", "wall");
    bool speedMet = true, floorMet = true, compileMet = true, compileFloorMet = true;
    bool streamFloorMet = true, streamCompileFloorMet = true;
    for (const char* dialect : {"retail", "prototype"}) {
        for (const char* shape : {"room", "stream"}) {
            const std::string tail = std::string("/") + dialect + "/" + shape;
            const auto dis = get("Disassemble" + tail), cmp = get("Compile" + tail);
            const auto file = get("DisassembleFile" + tail),
                       floor = get("IoFloorDisassemble" + tail);
            const double cpuRatio = floor.cpu > 0 ? file.cpu / floor.cpu : 0;
            const double wallRatio = floor.wall > 0 ? file.wall / floor.wall : 0;
            std::printf("%-10s %-7s %10.1f %10.1f %8.2f %8.2f %10.1f %10.1f %8.2f %8.2f %6.2fx "
                        "%6.2fx\n",
                        dialect, shape, dis.ByCpu(dis.bytes) / MB, dis.ByWall(dis.bytes) / MB,
                        dis.ByCpu(dis.insns) / MB, dis.ByWall(dis.insns) / MB,
                        cmp.ByCpu(cmp.bytes) / MB, cmp.ByWall(cmp.bytes) / MB,
                        cmp.ByCpu(cmp.insns) / MB, cmp.ByWall(cmp.insns) / MB, cpuRatio, wallRatio);
            if (std::string(shape) == "stream") {
                speedMet = speedMet && dis.ByCpu(dis.bytes) >= 100 * MB;
                compileMet = compileMet && cmp.ByCpu(cmp.bytes) >= 400 * MB;
                floorMet = floorMet && cpuRatio > 0 && cpuRatio <= 1.5;
                const auto cfile = get("CompileFile" + tail), cfloor = get("IoFloorCompile" + tail);
                const double compileRatio = cfloor.cpu > 0 ? cfile.cpu / cfloor.cpu : 0;
                std::printf("%-18s compile file / floor: %.2fx cpu, %.2fx wall\n", "", compileRatio,
                            cfloor.wall > 0 ? cfile.wall / cfloor.wall : 0);
                compileFloorMet = compileFloorMet && compileRatio > 0 && compileRatio <= 8.0;
                // Against the streamed floor, which pays no memory for the input.
                const auto sd = get("StreamFloorDisassemble" + tail),
                           sc = get("StreamFloorCompile" + tail);
                const double sdRatio = sd.cpu > 0 ? file.cpu / sd.cpu : 0,
                             scRatio = sc.cpu > 0 ? cfile.cpu / sc.cpu : 0;
                std::printf("%-18s streamed floor: disassemble file %.2fx cpu, %.2fx wall; compile "
                            "file %.2fx cpu, %.2fx wall\n",
                            "", sdRatio, sd.wall > 0 ? file.wall / sd.wall : 0, scRatio,
                            sc.wall > 0 ? cfile.wall / sc.wall : 0);
                streamFloorMet = streamFloorMet && sdRatio > 0 && sdRatio <= 1.5;
                streamCompileFloorMet = streamCompileFloorMet && scRatio > 0 && scRatio <= 8.0;
            }
        }
    }
    std::printf("\n(disassemble: MB of bytecode; compile: MB of source text; file/floor: the file\n"
                "driver's time for reading, disassembling and writing over the time for reading\n"
                "the whole input into fresh memory and writing a file of the output's size; the\n"
                "streamed floor reads the input through one reused 1 MiB buffer instead)\n\n");
    std::printf("targets on the 16 MiB streams, both dialects, by processor time:\n");
    std::printf("  disassembly >= 100 MB/s of bytecode ............ %s\n", Verdict(speedMet));
    std::printf("  disassembly file driver <= 1.5x the I/O floor ... %s; streamed floor: %s\n",
                Verdict(floorMet), Verdict(streamFloorMet));
    std::printf("  compile >= 400 MB/s of source text .............. %s\n", Verdict(compileMet));
    std::printf("  streamed compile <= 8x the I/O floor ............ %s; streamed floor: %s\n",
                Verdict(compileFloorMet), Verdict(streamCompileFloorMet));
    if (!cli.measured) {
        std::printf("  command-line tool: not measured (give --cli=PATH)\n");
        return;
    }
    std::printf("\ncommand-line tool, %d room scripts of %.1f KiB on average (%s):\n", kFolderFiles,
                static_cast<double>(cli.folderBytes) / kFolderFiles / 1024, cli.how.c_str());
    std::printf("  disassemble: %.3f s wall best, %.3f s median, %.3f s processor\n",
                cli.disassembleBest, cli.disassembleMedian, cli.disassembleCpu);
    std::printf("  compile back: %.3f s wall best, %.3f s median, %.3f s processor\n",
                cli.compileBest, cli.compileMedian, cli.compileCpu);
    std::printf("  1000 room scripts in under 1 s wall ............. %s\n",
                Verdict(cli.disassembleBest > 0 && cli.disassembleBest < 1.0));
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

// ---- checksums -----------------------------------------------------------------

std::uint64_t Fnv(std::string_view bytes, std::uint64_t h = 1469598103934665603ull) {
    for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    return h;
}

// Hashes every event the compiler reports.
class HashingListener : public CompileListener {
  public:
    void Report(const Diagnostic& d) override {
        char buf[96];
        std::snprintf(buf, sizeof buf, "%d %d %d %d %lld %d|", static_cast<int>(d.issue),
                      d.sourceOffset, d.opcode, d.argument, static_cast<long long>(d.value),
                      static_cast<int>(d.kind));
        hash = Fnv(buf, hash);
        hash = Fnv(d.token, hash);
    }
    void LineDone(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) override {
        const std::int32_t v[] = {a, b, c, d};
        hash = Fnv(std::string_view(reinterpret_cast<const char*>(v), sizeof v), hash);
    }
    std::uint64_t hash = 1469598103934665603ull;
};

// Checksums of the outputs of every input, with and without indentation, and
// of compiling a damaged copy of every text (unknown words, broken numbers)
// with and without a listener.
int PrintDigests() {
    for (const char* dialect : {"retail", "prototype"}) {
        const Dialect& d = DialectNamed(dialect);
        for (const char* shape : {"room", "stream"}) {
            Workload w = std::string(shape) == "room" ? bench::RoomScript(d, 1, kRoomSize)
                                                      : bench::InstructionStream(d, 2, kStreamSize);
            ScriptContext ctx(d);
            const std::string text = DisassembleBuffer(ctx, w.bytes, "digest");
            ctx.indent = 0;
            const std::string flat = DisassembleBuffer(ctx, w.bytes, "digest");
            const std::string bytes = CompileBuffer(ctx, text);
            const std::string flatBytes = CompileBuffer(ctx, flat);
            std::string damaged = text;
            std::uint32_t x = 12345;
            for (std::size_t i = 0; i < damaged.size(); i += 1 + (x % 97)) {
                x ^= x << 13, x ^= x >> 17, x ^= x << 5;
                damaged[i] = "x0()_;,/{} \t\r\nA"[x % 16];
            }
            const std::string damagedBytes = CompileBuffer(ctx, damaged);
            HashingListener listener;
            ctx.listener = &listener;
            const std::string listenedBytes = CompileBuffer(ctx, damaged);
            ctx.listener = nullptr;
            std::printf("%-9s %-6s text %016llx flat %016llx bytes %016llx %016llx damaged %016llx "
                        "%016llx events %016llx\n",
                        dialect, shape, static_cast<unsigned long long>(Fnv(text)),
                        static_cast<unsigned long long>(Fnv(flat)),
                        static_cast<unsigned long long>(Fnv(bytes)),
                        static_cast<unsigned long long>(Fnv(flatBytes)),
                        static_cast<unsigned long long>(Fnv(damagedBytes)),
                        static_cast<unsigned long long>(Fnv(listenedBytes)),
                        static_cast<unsigned long long>(listener.hash));
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--io-floor")
        return IoFloorProcess(argv[2], argv[3], argv[4]);
    std::string cli, workdir;
    bool digest = false;
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
            g_bigSource = true;
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
    if (!cli.empty()) cliFigures = MeasureCli(fs::absolute(cli).string());

    Register();
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    PrintSummary(collector, cliFigures, loadBefore);
    benchmark::Shutdown();
    if (ownWorkdir) fs::remove_all(g_workdir);
    return 0;
}
