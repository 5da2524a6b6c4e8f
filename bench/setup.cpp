#include "bench/setup.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace quillon::bench {

fs::path g_workdir;

const Dialect& DialectNamed(const std::string& name) {
    return name == "retail" ? RetailDialect() : PrototypeDialect();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) {
        std::fprintf(stderr, "quillon_bench: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

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

} // namespace quillon::bench
