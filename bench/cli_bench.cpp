#include "bench/cli_bench.h"

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "bench/process.h"
#include "bench/setup.h"
#include "bench/workload.h"
#include "codec/classic/engine.h"

namespace quillon::bench {
namespace {

constexpr int kRuns = 7;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void RemoveWithExtension(const fs::path& dir, const std::string& ext) {
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().extension() == ext) fs::remove(e.path());
}

// A command run in turn with the floor process of its input and output.
CliFigures::Whole TimeBesideFloor(const std::string& what, const std::vector<std::string>& command,
                                  const fs::path& input, const fs::path& output) {
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

// ---- a folder of room scripts ---------------------------------------------------

// Writes the room scripts into `folder`; their paths.
std::vector<std::string> WriteRooms(const fs::path& folder, CliFigures& out) {
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
    return files;
}

// Disassembles the folder kRuns times; false when the tool fails.
bool TimeDisassembly(const std::vector<std::string>& command, const fs::path& folder,
                     CliFigures& out) {
    std::vector<double> times, cpu;
    for (int run = 0; run < kRuns; ++run) {
        RemoveWithExtension(folder, ".c");
        ProcessResult r = RunProcess(command);
        if (r.status != 0) {
            std::fprintf(stderr, "quillon_bench: the command-line tool failed (%d)\n", r.status);
            return false;
        }
        times.push_back(r.seconds);
        cpu.push_back(r.cpuSeconds);
    }
    out.disassembleBest = *std::min_element(times.begin(), times.end());
    out.disassembleCpu = *std::min_element(cpu.begin(), cpu.end());
    out.disassembleMedian = Median(times);
    return true;
}

// Compiles back the texts just written, kRuns times or until the tool fails.
void TimeCompile(const std::vector<std::string>& command, CliFigures& out) {
    std::vector<double> times, cpu;
    for (int run = 0; run < kRuns; ++run) {
        ProcessResult r = RunProcess(command);
        if (r.status != 0) break;
        times.push_back(r.seconds);
        cpu.push_back(r.cpuSeconds);
    }
    if (!times.empty()) {
        out.compileBest = *std::min_element(times.begin(), times.end());
        out.compileCpu = *std::min_element(cpu.begin(), cpu.end());
        out.compileMedian = Median(times);
    }
}

// The folder disassembled and compiled back; false when the tool fails.
bool MeasureFolder(const std::string& cli, CliFigures& out) {
    const fs::path folder = g_workdir / "rooms";
    fs::create_directories(folder);
    const std::vector<std::string> files = WriteRooms(folder, out);
    // The folder form when the tool has it, otherwise every file named.
    std::vector<std::string> byFolder = {cli, "disassemble", folder.string()};
    std::vector<std::string> byFiles = {cli, "disassemble"};
    byFiles.insert(byFiles.end(), files.begin(), files.end());
    ProcessResult probe = RunProcess(byFolder);
    const bool folderWorks =
        probe.status == 0 && fs::exists(folder / "room0000.c") && fs::exists(folder / "room0999.c");
    out.how = folderWorks ? "quillon disassemble DIR" : "quillon disassemble FILE x1000";
    if (!TimeDisassembly(folderWorks ? byFolder : byFiles, folder, out)) return false;
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
    TimeCompile(compile, out);
    return true;
}

// ---- peak memory and whole processes ------------------------------------------

// The 16 MiB stream of `dialect` disassembled and compiled back in `big`;
// the retail one also timed beside its floor.
void MeasureStream(const std::string& cli, const fs::path& big, const char* dialect,
                   CliFigures& out) {
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
        out.memory.push_back(
            {std::string("compile ") + dialect, fs::file_size(c), fs::file_size(scd), r.maxRssKiB});
    fs::remove(scd);
    fs::remove(c);
}

// An exact text of about 100 MB: many functions of 2000 instructions. Its
// chunk fails once the procedures pass what the 16-bit table holds, but the
// whole text is still read, a window at a time.
void MeasureExactCompile(const std::string& cli, const fs::path& big, CliFigures& out) {
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

// Writes a source of 1 GB: the retail stream's text repeated. Its size.
std::size_t WriteBigSource(const fs::path& c) {
    ScriptContext ctx(RetailDialect());
    Workload w = bench::InstructionStream(RetailDialect(), 2, kStreamSize);
    std::string text = DisassembleBuffer(ctx, w.bytes, "big");
    text.resize(text.rfind('\n') + 1); // the closing "}" only at the end
    const std::string body = text.substr(text.find('\n') + 1);
    std::ofstream f(c, std::ios::binary | std::ios::trunc);
    f.write(text.data(), static_cast<std::streamsize>(text.size()));
    std::size_t size = text.size();
    while (size + body.size() <= kBigSource) {
        f.write(body.data(), static_cast<std::streamsize>(body.size()));
        size += body.size();
    }
    f << "}";
    return size;
}

// The compile of a source of 1 GB, made here and removed afterwards.
void MeasureBigSource(const std::string& cli, const fs::path& big, CliFigures& out) {
    const fs::path c = big / "big.c", scd = big / "big.scd";
    const std::size_t size = WriteBigSource(c);
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

} // namespace

CliFigures MeasureCli(const std::string& cli, bool bigSource) {
    CliFigures out;
    out.measured = true;
    if (!MeasureFolder(cli, out)) {
        out.measured = false;
        return out;
    }
    // Peak memory on the 16 MiB streams, both directions and dialects.
    const fs::path big = g_workdir / "memory";
    fs::create_directories(big);
    out.baselineKiB = RunProcess({cli, "--version"}).maxRssKiB;
    for (const char* dialect : {"retail", "prototype"}) MeasureStream(cli, big, dialect, out);
    MeasureExactCompile(cli, big, out);
    if (bigSource) MeasureBigSource(cli, big, out);
    return out;
}

} // namespace quillon::bench
