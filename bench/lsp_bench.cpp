// quillon_lsp_bench: the language server on the largest realistic text, an
// exact text of about 50 KB and 1,600 lines (the size of the largest real
// room script): diagnostics after a one-character edit, hover, definition
// and completion (each answered in the server, framing included), the time
// from starting `quillon lsp` to its answer to initialize, and the memory
// that 100 such documents take.
//
//   quillon_lsp_bench [benchmark flags]
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "codec/exact/exact.h"
#include "testkit/exact_chunk_gen.h"
#include "testkit/lsp_client.h"

using namespace quillon;
using quillon_test::Json;
using quillon_test::LspClient;

namespace {

// Generated chunks' texts, joined function by function until the text is
// about 50 KB.
const std::string& BigText() {
    static const std::string text = [] {
        std::string out;
        for (std::uint32_t seed = 1; out.size() < 50000; ++seed) {
            exact_gen::ChunkGenerator gen(seed, false);
            int raw = 0;
            std::string t, reason;
            if (!exact::DisassembleChunk(gen.Chunk(12, raw), t, reason, {.numbers = true}))
                continue;
            if (out.empty()) out = t;
            if (t.size() + out.size() > 52000) break;
            if (seed > 1) out += t.substr(t.find("\nint ") + 1); // its functions
        }
        return out;
    }();
    return text;
}

const std::string kUri = "file:///bench/room.c";

struct Session {
    LspClient client;
    Session() {
        client.Initialize();
        client.Open(kUri, BigText());
    }
};

void BM_DiagnosticsAfterOneCharacter(benchmark::State& state) {
    Session s;
    int version = 2;
    for (auto _ : state) {
        // A character typed, then taken back.
        const bool add = version % 2 == 0;
        const Json range = {{"start", {{"line", 3}, {"character", 0}}},
                            {"end", {{"line", 3}, {"character", add ? 0 : 1}}}};
        auto sent =
            s.client.Notify("textDocument/didChange",
                            {{"textDocument", {{"uri", kUri}, {"version", version++}}},
                             {"contentChanges", {{{"range", range}, {"text", add ? " " : ""}}}}});
        benchmark::DoNotOptimize(sent);
    }
    state.counters["lines"] = s.client.Server().State().Find(kUri)->text.Lines();
    state.counters["bytes"] = static_cast<double>(BigText().size());
}
BENCHMARK(BM_DiagnosticsAfterOneCharacter)->Unit(benchmark::kMillisecond);

void Request(benchmark::State& state, const char* method, int line, int character) {
    Session s;
    for (auto _ : state) {
        Json answer =
            s.client.Request(method, {{"textDocument", {{"uri", kUri}}},
                                      {"position", {{"line", line}, {"character", character}}}});
        benchmark::DoNotOptimize(answer);
    }
}
void BM_Hover(benchmark::State& state) {
    Request(state, "textDocument/hover", 1500, 3);
}
void BM_Definition(benchmark::State& state) {
    Request(state, "textDocument/definition", 1500, 3);
}
void BM_Completion(benchmark::State& state) {
    Request(state, "textDocument/completion", 1500, 1);
}
BENCHMARK(BM_Hover)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Definition)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Completion)->Unit(benchmark::kMicrosecond);

// From starting the program to the answer to initialize, through pipes.
void BM_StartToInitialize(benchmark::State& state) {
    const std::string request = quillon::lsp::Frame(
        R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}})");
    for (auto _ : state) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) return state.SkipWithError("pipe");
        const auto start = std::chrono::steady_clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            close(in[1]);
            close(out[0]);
            execl(QUILLON_EXE, QUILLON_EXE, "lsp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        if (write(in[1], request.data(), request.size()) != static_cast<ssize_t>(request.size()))
            return state.SkipWithError("write");
        std::string answer;
        char buffer[4096];
        while (answer.find("serverInfo") == std::string::npos) {
            const ssize_t got = read(out[0], buffer, sizeof buffer);
            if (got <= 0) break;
            answer.append(buffer, static_cast<std::size_t>(got));
        }
        const auto end = std::chrono::steady_clock::now();
        close(in[1]);
        close(out[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}
BENCHMARK(BM_StartToInitialize)->UseManualTime()->Unit(benchmark::kMillisecond);

// The resident memory that 100 open documents add.
long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}
void BM_HundredDocuments(benchmark::State& state) {
    for (auto _ : state) {
        const long before = ResidentKiB();
        LspClient client;
        client.Initialize();
        for (int i = 0; i < 100; ++i)
            client.Open("file:///bench/room" + std::to_string(i) + ".c", BigText());
        state.counters["MiB"] = static_cast<double>(ResidentKiB() - before) / 1024.0;
    }
}
BENCHMARK(BM_HundredDocuments)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
