// What every part of the benchmark program shares: the sizes of its inputs,
// the working folder, the dialects by name, and writing and streaming files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "codec/isa/opcodes.h"

namespace quillon::bench {

namespace fs = std::filesystem;

constexpr std::size_t kStreamSize = 16u << 20;
constexpr std::size_t kRoomSize = 4096;
constexpr int kFolderFiles = 1000;
// The source of the large compile (--big-source).
constexpr std::size_t kBigSource = 1000u * 1000u * 1000u;

// The folder that holds the inputs and outputs of the run.
extern fs::path g_workdir;

const Dialect& DialectNamed(const std::string& name);

// Writes `bytes` to `path`; a failure ends the program.
void WriteFile(const fs::path& path, const std::string& bytes);

// The streamed floors' I/O: all of `in` read through `buffer`, then `size`
// bytes of it written to `out`. False when a write fails.
bool ReadThenWrite(std::FILE* in, std::FILE* out, std::uint64_t size, std::vector<char>& buffer);

} // namespace quillon::bench
