// A script chunk as the exact disassembler recovers it and the exact compiler
// reads it: per procedure, a list of items (instructions, block openings and
// closings, labels and jumps) whose bytes carry no length, offset or pad. The
// encoder lays them out and works those out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exact_rows.h"

namespace quillon::exact {

enum class Item : std::uint8_t {
    Code,    // an instruction (or raw bytes) on a line of its own, or a condition
    Open,    // if, while, do, for, switch: the opening instruction
    Else,    // "} else {"
    Close,   // "}" (a "} while" is followed by its condition)
    Case,    // "case N:"
    Default, // "default:"
    Label,   // "L0132:"
    Goto,    // goto to a label
};

struct Entry {
    Item kind = Item::Code;
    Block block = Block::None; // Open, Close
    bool raw = false;          // Code: written as they are, never after a pad
    bool condition = false;    // Code: the condition of the item before it
    std::uint32_t label = 0;   // Label: its number; Goto: its target's
    std::int32_t line = 0;     // where the compiler read it (for messages)
    std::int32_t column = 0;
    std::uint32_t first = 0; // its bytes in the procedure's pool
    std::uint8_t count = 0;
};

struct Procedure {
    std::vector<Entry> items;
    std::string pool;

    Entry& Add(Item kind, const void* bytes, std::size_t count) {
        Entry& e = items.emplace_back();
        e.kind = kind;
        e.first = static_cast<std::uint32_t>(pool.size());
        e.count = static_cast<std::uint8_t>(count);
        pool.append(static_cast<const char*>(bytes), count);
        return e;
    }
};

// A failure of the encoder, at an item.
struct EncodeError {
    std::int32_t line = 0, column = 0;
    std::string text;
};

// Lays a procedure out at chunk offset `base` (its parity decides the pads),
// appending its bytes to `out`. Labels are numbered over the whole chunk:
// `labels[n]` receives the chunk offset of label n (grown as needed, -1 for
// none), and each goto is noted in `jumps` to be patched once every label is
// known. False with `error` set when a block does not balance or a length
// does not fit 16 bits.
struct Jump {
    std::int32_t at;     // chunk offset of the goto
    std::uint32_t label; // its target
    std::int32_t line, column;
};
bool EncodeProcedure(const Procedure& proc, std::int32_t base, std::string& out,
                     std::vector<std::int32_t>& labels, std::vector<Jump>& jumps,
                     EncodeError& error);
// Patches the offsets of the gotos into `bytes`, which holds the chunk from
// chunk offset `base` on.
bool PatchJumps(std::string& bytes, std::int32_t base, const std::vector<std::int32_t>& labels,
                const std::vector<Jump>& jumps, EncodeError& error);

} // namespace quillon::exact
