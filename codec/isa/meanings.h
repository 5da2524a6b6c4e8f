// What an operand means to the game, beside how it is stored: the meanings
// (flag group, item, procedure, ...) with their value-to-name tables, and
// the positions where each sits, per opcode and offset, under a condition on
// other bytes of the instruction (the scene type, a marker byte). Rows only;
// exact mode's naming reads them.
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
};
constexpr int kMeanings = static_cast<int>(Meaning::GosubMarker) + 1;

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

// One position: the byte (or the 16-bit field) at `offset` of `opcode` means
// `meaning` when `when` holds. A flag index's group is the byte at `groupAt`.
struct Position {
    std::uint8_t opcode, offset;
    Meaning meaning;
    When when = {};
    std::uint8_t groupAt = 0;
};

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
