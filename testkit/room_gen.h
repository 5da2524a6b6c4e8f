// Synthetic room files for the tests: the header, the offset table and the
// chunks in the order of the game's own rooms, with an object table that
// points after the scripts and some chunks absent.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace quillon_test {

inline void Put32(std::string& s, std::uint32_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}
inline std::uint32_t Get32(const std::string& s, std::uint32_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(s[at + i]);
    return v;
}

// A script chunk: the table of 16-bit procedure offsets, then the procedures.
inline std::string Chunk(std::initializer_list<std::string> procedures) {
    std::string table, body;
    for (const std::string& p : procedures) {
        const size_t at = 2 * procedures.size() + body.size();
        table += {static_cast<char>(at & 0xFF), static_cast<char>(at >> 8)};
        body += p;
    }
    return table + body;
}
inline const std::string kInit = Chunk({std::string("\x01\x00", 2)});
inline const std::string kMain = Chunk({std::string("\x01\x00", 2), std::string(4, '\0')});

// The chunks of a room in the game's order, each filled with its own letter:
// its table entry (-1: a texture or model of the object table) and size.
// Absent: 3, 4, blocks (12), Japanese messages (13), scroll texture (15).
struct Piece {
    int entry;
    std::uint32_t size;
};
inline constexpr Piece kPieces[] = {
    {7, 16},  {10, 24}, {8, 12}, {9, 8},   {6, 20}, {11, 6}, {16, 0}, {17, 0}, {14, 10}, {-1, 12},
    {-1, 16}, {-1, 14}, {18, 8}, {22, 10}, {0, 6},  {1, 4},  {2, 4},  {20, 4}, {21, 4}};
inline char Fill(size_t piece) {
    return static_cast<char>('A' + piece);
}
inline constexpr std::uint32_t kObjectTable = 0x64 + 16; // entry 10
inline constexpr int kObjectModels = 3;

// Object 0 has a texture and a model, object 1 a model only (texture
// 0xFFFFFFFF), object 2 neither (0, 0). Entry 19 points inside the effect
// ids (18), entry 5 at the end of the file.
inline std::string BuildRoom(const std::string& init, const std::string& main) {
    std::string f(0x64, '\0');
    f[2] = kObjectModels;
    std::uint32_t objects[2 * kObjectModels] = {0, 0, 0xFFFFFFFF, 0, 0, 0};
    const int slots[] = {0, 1, 3}; // the texture and model offsets that point somewhere
    int object = 0;
    for (size_t i = 0; i < std::size(kPieces); ++i) {
        const auto at = static_cast<std::uint32_t>(f.size());
        const int e = kPieces[i].entry;
        if (e >= 0) Put32(f, 8 + 4 * e, at);
        if (e < 0) objects[slots[object++]] = at;
        f += e == 16 ? init : e == 17 ? main : std::string(kPieces[i].size, Fill(i));
    }
    for (int i = 0; i < 2 * kObjectModels; ++i) Put32(f, kObjectTable + 4 * i, objects[i]);
    Put32(f, 8 + 4 * 19, Get32(f, 8 + 4 * 18) + 4);
    Put32(f, 8 + 4 * 5, static_cast<std::uint32_t>(f.size()));
    return f;
}

// The sample room of examples/ (room100.rdt): `mainChunk`, the exact
// example's chunk, as its main script and the smallest init script, in a
// room of the layout above. Nothing of it comes from the game.
inline std::string SampleRoom(const std::string& mainChunk) {
    return BuildRoom(kInit, mainChunk);
}

} // namespace quillon_test
