// quillon_exact_bench: exact mode against the classic conversion on the same
// script chunks, in both directions. The chunks come from the generator of
// the tests (nested blocks of every kind, switches, gotos, pads, trailing
// bytes); rates are in bytes of bytecode per second, so that both modes are
// measured on the same work. Exact mode runs twice, with its names and with
// bare numbers (--numbers). Ends with the ratios.
//
//   quillon_exact_bench [benchmark flags]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "codec/classic/engine.h"
#include "codec/exact/exact.h"
#include "io/drivers.h"
#include "testkit/exact_chunk_gen.h"

using namespace quillon;

namespace {

// About 4 MiB of chunks of a room's size.
struct Chunks {
    std::vector<std::string> bytes, classicText, exactText, numbersText;
    std::size_t total = 0, classicTextBytes = 0, exactTextBytes = 0;
    Chunks() {
        for (std::uint32_t seed = 1; total < (4u << 20); ++seed) {
            exact_gen::ChunkGenerator gen(seed, false);
            int raw = 0;
            std::string chunk = gen.Chunk(12, raw);
            if (chunk.size() > 0xF000) continue; // the table holds 16-bit offsets
            ScriptContext ctx(RetailDialect());
            std::string text, reason;
            classicText.push_back(DisassembleBuffer(ctx, chunk, "room"));
            exact::DisassembleChunk(chunk, text, reason, {.numbers = true});
            numbersText.push_back(text);
            exact::DisassembleChunk(chunk, text, reason);
            classicTextBytes += classicText.back().size();
            exactTextBytes += text.size();
            exactText.push_back(std::move(text));
            total += chunk.size();
            bytes.push_back(std::move(chunk));
        }
    }
};

const Chunks& Data() {
    static const Chunks c;
    return c;
}

// Bytes of bytecode per second: each run's, and the medians reported alone
// (--benchmark_report_aggregates_only).
std::map<std::string, std::vector<double>> g_runs;
std::map<std::string, double> g_medians;

// The median of a benchmark's runs (with --benchmark_repetitions, several).
double RateOf(const std::string& name) {
    std::vector<double> v = g_runs[name];
    if (v.empty()) return g_medians[name];
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Rate(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Data().total));
    state.counters["chunk_MBps"] = benchmark::Counter(
        static_cast<double>(Data().total) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void ClassicDisassemble(benchmark::State& state) {
    ScriptContext ctx(RetailDialect());
    std::string text;
    for (auto _ : state)
        for (const std::string& c : Data().bytes) DisassembleBuffer(ctx, c, "room", text);
    Rate(state);
}

void ExactDisassemble(benchmark::State& state, exact::PrintOptions options) {
    std::string text, reason;
    for (auto _ : state)
        for (const std::string& c : Data().bytes) exact::DisassembleChunk(c, text, reason, options);
    Rate(state);
}

void ClassicCompile(benchmark::State& state) {
    ScriptContext ctx(RetailDialect());
    std::string out;
    for (auto _ : state)
        for (const std::string& t : Data().classicText) CompileBuffer(ctx, t, out);
    Rate(state);
}

void ExactCompile(benchmark::State& state, const std::vector<std::string>* texts) {
    std::string out;
    for (auto _ : state)
        for (const std::string& t : *texts) exact::CompileChunk(t, out, {});
    Rate(state);
}

BENCHMARK(ClassicDisassemble)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(ExactDisassemble, names, exact::PrintOptions{})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);
BENCHMARK_CAPTURE(ExactDisassemble, numbers, exact::PrintOptions{.numbers = true})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);
BENCHMARK(ClassicCompile)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(ExactCompile, names, &Data().exactText)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);
BENCHMARK_CAPTURE(ExactCompile, numbers, &Data().numbersText)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

// Keeps the rates for the summary.
class Summary : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            const auto it = r.counters.find("chunk_MBps");
            if (it == r.counters.end()) continue;
            if (r.run_type == Run::RT_Iteration)
                g_runs[r.run_name.function_name].push_back(it->second);
            else if (r.aggregate_name == "median")
                g_medians[r.run_name.function_name] = it->second;
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Summary reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const Chunks& d = Data();
    std::printf("\n%zu chunks, %.1f MiB of bytecode; text %.1f MiB classic, %.1f MiB exact\n",
                d.bytes.size(), static_cast<double>(d.total) / (1 << 20),
                static_cast<double>(d.classicTextBytes) / (1 << 20),
                static_cast<double>(d.exactTextBytes) / (1 << 20));
    for (const char* dir : {"Disassemble", "Compile"}) {
        const double classic = RateOf(std::string("Classic") + dir);
        const double names = RateOf(std::string("Exact") + dir + "/names");
        const double numbers = RateOf(std::string("Exact") + dir + "/numbers");
        if (classic > 0)
            std::printf("%-12s classic %7.1f MB/s  exact %7.1f MB/s  exact/classic %.2f  (target: "
                        "at least 0.80)\n",
                        dir, classic, names, names / classic);
        if (names > 0 && numbers > 0)
            std::printf("%-12s --numbers %5.1f MB/s  names %7.1f MB/s  names take %+.1f%% time  "
                        "(target: at most +10%%)\n",
                        dir, numbers, names, (numbers / names - 1) * 100);
    }
    benchmark::Shutdown();
    return 0;
}
