// The facts of one script chunk: the doors, items, enemies, flags and
// messages that its instructions set up, each with where it stands (the
// chunk, the procedure, the chunk offset, the line and column of its exact
// text) and whether it stands under a condition. They are read from the
// rows of codec/isa/meanings.h through exact mode's decoded view, from the
// instructions as the exact disassembler frames them: raw bytes give none.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/isa/meanings.h"
#include "codec/room/room.h"

namespace quillon::atlas {

// Where a fact stands.
struct Place {
    room::Script script = room::Script::Main;
    int procedure = 0;
    std::int32_t at = 0;      // its instruction's chunk offset
    int line = 0, column = 0; // its instruction in the exact text (from 1)
    bool conditional = false; // inside an if, an else, a switch's case or a loop
};

struct Fact {
    RoomFact kind = RoomFact::None;
    std::uint8_t opcode = 0;
    Place place;
    // The values of the meanings that the instruction holds (an area's in
    // `area`, in order).
    std::int32_t value[kMeanings] = {};
    std::uint64_t has = 0;
    std::int32_t area[8] = {};
    int areaCount = 0;

    bool Has(Meaning m) const { return has >> static_cast<int>(m) & 1; }
    std::int32_t Get(Meaning m) const { return value[static_cast<int>(m)]; }
};
static_assert(kMeanings <= 64, "Fact::has holds a bit per meaning");

// Appends the facts of `chunk` (a script chunk of the room's `script`) to
// `facts`; false with `reason` when it is not a valid script chunk.
bool ReadChunkFacts(std::string_view chunk, room::Script script, std::vector<Fact>& facts,
                    std::string& reason);

// Gives the facts of `chunk` from `first` on the lines and columns of the
// text that it was compiled from: `lineOf` holds, for each chunk offset
// where an instruction of that text starts, its line and column (0 where
// none does). Facts at other offsets keep what they had.
struct TextPlace {
    int line = 0, column = 0;
};
void PlaceOnText(std::vector<Fact>& facts, std::size_t first, const std::vector<TextPlace>& lineOf);

} // namespace quillon::atlas
