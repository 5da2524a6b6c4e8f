#include "bench/codec_bench.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/setup.h"
#include "bench/workload.h"
#include "codec/classic/engine.h"
#include "io/drivers.h"

namespace quillon::bench {
namespace {

// ---- inputs ----------------------------------------------------------------

struct Input {
    Workload bytecode;
    std::string text; // its disassembly: the compiler's input
    fs::path scdPath; // the bytecode as a file (disassembly benchmarks)
    fs::path cPath;   // the text as a file, in another folder (compile benchmarks)
};

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

} // namespace

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

} // namespace quillon::bench
