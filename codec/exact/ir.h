// A script chunk as items (instructions, block openings and closings, labels
// and jumps) whose bytes carry no length, offset or pad: the exact
// disassembler recovers a list of them per procedure, the exact compiler
// reads them one by one. The encoder lays them out and works those out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/isa/exact_rows.h"

namespace quillon::exact {

// What an item is.
enum class ItemKind : std::uint8_t {
    Code,    // an instruction (or raw bytes) on a line of its own, or a condition
    Open,    // if, while, do, for, switch: the opening instruction
    Else,    // "} else {"
    Close,   // "}" (a "} while" is followed by its condition)
    Case,    // "case N:"
    Default, // "default:"
    Label,   // "L0132:", a goto's target
    Goto,    // goto to a label
};

// One item of a procedure: its kind, where the compiler read it, and where
// its bytes lie in the procedure's pool.
struct Item {
    ItemKind kind = ItemKind::Code;
    Block block = Block::None; // Open, Close
    bool raw = false;          // Code: written as they are, never after a pad
    bool condition = false;    // Code: the condition of the item before it
    std::uint32_t label = 0;   // Label: its number; Goto: its target's
    std::int32_t line = 0;     // where the compiler read it (for messages)
    std::int32_t column = 0;
    std::uint32_t first = 0; // its bytes in the procedure's pool
    std::uint8_t count = 0;
    std::int32_t at = -1; // the disassembler's: its chunk offset
};

// The items of a procedure, their bytes one after another in `pool`.
struct Procedure {
    std::vector<Item> items;
    std::string pool;

    Item& Add(ItemKind kind, const void* bytes, std::size_t count) {
        Item& e = items.emplace_back();
        e.kind = kind;
        e.first = static_cast<std::uint32_t>(pool.size());
        e.count = static_cast<std::uint8_t>(count);
        pool.append(static_cast<const char*>(bytes), count);
        return e;
    }
};

} // namespace quillon::exact
