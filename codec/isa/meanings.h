// What an operand means to the game, beside how it is stored: the meanings
// (flag group, item, procedure, ...) with their value-to-name tables, and
// the positions where each sits, per opcode and offset, under a condition on
// other bytes of the instruction (the scene type, a marker byte). Some
// meanings have no names (a door's next room, an enemy's X): their values
// stay numbers, and only the atlas reads them. Rows only; exact mode's
// naming and the atlas read them.
#pragma once

#include <cstdint>
#include <span>

namespace quillon {

enum class Meaning : std::uint8_t {
    None,
    FlagGroup,
    FlagIndex,
    SceType,
    SatBits,
    AotId,
    ObjectId,
    EnemySlot,
    MessageId,
    SoundBank,
    Item,
    ItemFlags,
    KeyLock,
    EnemyType,
    AiBits,
    Member,
    Variable,
    Comparator,
    Operator,
    WorkKind,
    BgmChannel,
    BgmOp,
    BgmType,
    Procedure,
    GosubMarker,
    // Numbers that no name stands for.
    Area, // one of the 16-bit values of an area record's area, in order
    X,    // a position: an enemy's, or where a door leads
    Y,    // the floor's height
    Z,
    Direction,
    NextStage, // a door's target: its stage counts from 0
    NextRoom,
    NextCamera,
    NextFloor,
    LockId,
    Amount, // of an item placed
};
constexpr int kMeanings = static_cast<int>(Meaning::Amount) + 1;

struct ValueName {
    std::uint16_t value;
    const char* name;
};

// How the values of a meaning are named.
enum class Style : std::uint8_t {
    Table,     // by its table; others by `prefix` and two hexadecimal digits, if set
    Numbered,  // `prefix` and the value in decimal, for every byte value
    Bits,      // the names of the set bits (its table holds masks), lowest first
    ItemFlags, // the glint, IF_FAST and IF_FLOOR parts; some values have none
    KeyLock,   // its table, else the item of that value
    FlagIndex, // by the pair (group, index); an item's name in the group FG_USE
    Procedure, // the name of the function of that index
    Plain,     // no names: a number always
};

struct MeaningRow {
    const char* noun;    // in messages: "a flag group"
    const char* heading; // the header's comment above its names
    Style style;
    std::span<const ValueName> names;
    const char* prefix = nullptr; // Numbered, or the fallback of a table
    const char* zero = nullptr;   // Bits and ItemFlags: the name of 0
};

const MeaningRow& MeaningOf(Meaning m);

// A condition on the instruction's bytes: byte `at` holds `value` (and byte
// `at2` holds `value2` when at2 is set). At 0 (the opcode) it always holds.
struct When {
    std::uint8_t at = 0, value = 0, at2 = 0, value2 = 0;
};

// What an instruction puts in its room, for the atlas: the position that
// says so carries it (a Ck's flag group: a flag checked).
enum class RoomFact : std::uint8_t {
    None,
    Door,        // a door to another room
    Item,        // an item placed
    Enemy,       // an enemy set
    FlagChecked, // a flag read
    FlagChanged, // a flag changed
    Message,     // a message shown
};

// One position: the byte (or the 16-bit field) at `offset` of `opcode` means
// `meaning` when `when` holds. A flag index's group is the byte at `groupAt`.
struct Position {
    std::uint8_t opcode, offset;
    Meaning meaning;
    When when = {};
    std::uint8_t groupAt = 0;
    RoomFact fact = RoomFact::None; // what the instruction is, said by this position
};

// Whether `p` applies to the instruction at `code` (its opcode first).
inline bool Applies(const Position& p, const std::uint8_t* code) {
    return p.when.at == 0 || (code[p.when.at] == p.when.value &&
                              (p.when.at2 == 0 || code[p.when.at2] == p.when.value2));
}

// The flag-index pairs that have names (the group, the index, the name).
struct FlagName {
    std::uint8_t group, index;
    const char* name;
};

// The retail dialect's rows.
std::span<const Position> RetailPositions();
std::span<const FlagName> RetailFlagNames();
// The flag group whose indexes are items.
inline constexpr std::uint8_t kItemFlagGroup = 10; // FG_USE
inline constexpr std::uint8_t kGosubMarker = 0x18; // I_GOSUB

} // namespace quillon
