// Exact mode: chunks from the generator and by hand come back byte for byte,
// edits move every length, offset and pad, and mistakes are errors.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codec/exact.h"
#include "codec_test_support.h"
#include "exact_chunk_gen.h"

namespace {

using codec_test::H;
using codec_test::Hex;
using namespace quillon;

std::string Disassemble(const std::string& chunk) {
    std::string text, reason;
    EXPECT_TRUE(exact::DisassembleChunk(chunk, text, reason)) << reason;
    return text;
}

// Compiles, collecting the messages as "LINE:COLUMN: error: text".
bool Compile(const std::string& text, std::string& chunk,
             std::vector<std::string>* messages = nullptr) {
    return exact::CompileChunk(text, chunk, [&](const exact::Message& m) {
        if (messages)
            messages->push_back(std::to_string(m.line) + ":" + std::to_string(m.column) + ": " +
                                (m.error ? "error: " : "warning: ") + m.text);
    });
}

int Count(const std::string& text, const std::string& word) {
    int n = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
    return n;
}

TEST(ExactRoundTrip, GeneratedChunksComeBackAndStayStructured) {
    for (std::uint32_t seed = 1; seed <= 1000; ++seed) {
        exact_gen::ChunkGenerator gen(seed);
        int rawLines = 0;
        const std::string chunk = gen.Chunk(1 + static_cast<int>(seed % 5), rawLines);
        const std::string text = Disassemble(chunk);
        std::string again;
        std::vector<std::string> messages;
        ASSERT_TRUE(Compile(text, again, &messages))
            << "seed " << seed << "\n"
            << (messages.empty() ? "" : messages[0]) << "\n"
            << text;
        ASSERT_EQ(Hex(again), Hex(chunk)) << "seed " << seed << "\n" << text;
        // Every block, goto and instruction has its line: raw lines only for
        // the unknown opcodes and the bytes that frame no instruction.
        ASSERT_EQ(Count(text, "raw("), rawLines) << "seed " << seed << "\n" << text;
    }
}

} // namespace

namespace {

// Any bytes behind a valid table come back, whatever they hold: what has no
// structure is written raw.
TEST(ExactRoundTrip, RandomBytesComeBack) {
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; ++round) {
        const int procedures = 1 + static_cast<int>(rng() % 4);
        std::string chunk(static_cast<size_t>(procedures) * 2, '\0');
        std::vector<int> sizes;
        for (int k = 0; k < procedures; ++k) sizes.push_back(static_cast<int>(rng() % 60));
        int at = procedures * 2;
        for (int k = 0; k < procedures; ++k) {
            chunk[2 * k] = static_cast<char>(at & 0xFF);
            chunk[2 * k + 1] = static_cast<char>(at >> 8);
            at += sizes[static_cast<size_t>(k)];
        }
        // Bytes biased towards the block opcodes, so that lengths often fit.
        static const unsigned char kBiased[] = {0x00, 0x06, 0x07, 0x08, 0x0D, 0x0E, 0x0F, 0x10,
                                                0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x1A};
        while (static_cast<int>(chunk.size()) < at)
            chunk += static_cast<char>(rng() % 3 ? kBiased[rng() % 16] : rng() % 8);
        const std::string text = Disassemble(chunk);
        std::string again;
        std::vector<std::string> messages;
        ASSERT_TRUE(Compile(text, again, &messages))
            << "round " << round << "\n"
            << (messages.empty() ? "" : messages[0]) << "\n"
            << text;
        ASSERT_EQ(Hex(again), Hex(chunk)) << "round " << round << "\n" << text;
    }
}

} // namespace
