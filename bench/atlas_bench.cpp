// The atlas as a whole process: quillon atlas --format json over a folder of
// generated rooms (an init chunk of one procedure and a main chunk of twelve
// each, as exact_gen makes them), at several numbers of rooms, to see the
// time of 250 rooms (500 chunks) and how it grows with the rooms.
//
//   quillon_atlas_bench QUILLON [ROOMS...]    (default 50 100 250)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/process.h"
#include "testkit/exact_chunk_gen.h"
#include "testkit/room_gen.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 7;

// `rooms` room files in `folder`; their bytes.
std::size_t WriteRooms(const fs::path& folder, int rooms) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::size_t bytes = 0;
    std::uint32_t seed = 1;
    for (int k = 0; k < rooms; ++k) {
        std::string chunks[2];
        for (int c = 0; c < 2; ++c) {
            do {
                exact_gen::ChunkGenerator gen(seed++, false);
                int raw = 0;
                chunks[c] = gen.Chunk(c == 0 ? 1 : 12, raw);
            } while (chunks[c].size() > 0xF000); // the table holds 16-bit offsets
        }
        char name[32];
        std::snprintf(name, sizeof name, "ROOM%d%02X0.RDT", 1 + k % 7, k / 7);
        const std::string room = quillon_test::BuildRoom(chunks[0], chunks[1]);
        std::ofstream(folder / name, std::ios::binary) << room;
        bytes += room.size();
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillon_atlas_bench QUILLON [ROOMS...]\n");
        return 2;
    }
    std::vector<int> counts;
    for (int i = 2; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
    if (counts.empty()) counts = {50, 100, 250};
    const fs::path work = fs::temp_directory_path() / "quillon-atlas-bench";
    // The processor time beside the wall time: on a shared machine the wall
    // time waits for the other work.
    std::printf("%6s %7s %10s %10s %10s %12s\n", "rooms", "chunks", "bytes", "median ms", "cpu ms",
                "ms per room");
    double first = 0, last = 0;
    for (const int rooms : counts) {
        const std::size_t bytes = WriteRooms(work / "rooms", rooms);
        const std::vector<std::string> command = {argv[1],
                                                  "atlas",
                                                  "--format",
                                                  "json",
                                                  "-o",
                                                  (work / "atlas.json").string(),
                                                  (work / "rooms").string()};
        std::vector<double> times, cpu;
        for (int run = 0; run < kRuns; ++run) {
            const quillon::bench::ProcessResult r = quillon::bench::RunProcess(command);
            if (r.status != 0) {
                std::fprintf(stderr, "quillon_atlas_bench: the atlas failed (%d)\n", r.status);
                return 1;
            }
            times.push_back(r.seconds);
            cpu.push_back(r.cpuSeconds);
        }
        std::sort(times.begin(), times.end());
        std::sort(cpu.begin(), cpu.end());
        const double ms = times[times.size() / 2] * 1000;
        std::printf("%6d %7d %10zu %10.1f %10.1f %12.3f\n", rooms, 2 * rooms, bytes, ms,
                    cpu[cpu.size() / 2] * 1000, ms / rooms);
        if (first == 0) first = ms / rooms;
        last = ms / rooms;
    }
    std::printf("time per room, last against first: %.2f (1.00 is linear)\n", last / first);
    if (!std::getenv("QUILLON_ATLAS_BENCH_KEEP")) fs::remove_all(work);
    return 0;
}
