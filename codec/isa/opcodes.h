// The vocabulary of one dialect: its opcode table, one row per opcode, the
// instruction forms that print and scan the fields (of the kinds in kinds.h),
// and the dialect derived from a table, with its driver options.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "codec/isa/blocks.h"
#include "codec/isa/kinds.h"

namespace quillon {

// A byte that compiling sets to a fixed value before the fields are scanned.
struct Preset {
    std::uint8_t offset;
    std::uint8_t value;
};

// The few instructions that need more than fields and text.
enum class Special : std::uint8_t {
    None,
    Unknown,    // the unknown-opcode comment
    Condition,  // if, while, "} while": the condition instruction follows inline
    Else,       // opens an else block when disassembling
    Nop,        // closes an else block when its end is reached
    CloseBrace, // "}" lines when compiling
    For,        // for lines open a for block when compiling
};

// The most fields of a form of the classic text, and the room of a form,
// whose exact forms show every byte of the longest instruction.
constexpr int kMaxFields = 24;
constexpr int kFieldSlots = 40;

// An instruction's text form: head, then `open`, the fields joined by `sep`,
// and `close`. The head is the row's name unless `head` is set.
struct Form {
    const char* open = "(";
    const char* sep = ", ";
    const char* close = ");";
    std::uint8_t fieldCount = 0;
    Field fields[kFieldSlots] = {};
    std::uint8_t presetCount = 0;
    Preset presets[4] = {};
    Special special = Special::None;
    const char* head = nullptr;  // printed instead of the name
    std::uint8_t firstToken = 1; // token of the first field when compiling
};

// How "}" lines close blocks when compiling.
enum class BraceRule : std::uint8_t {
    Nested,   // retail: each "}" closes the innermost open block
    ForDepth, // prototype: a "}" closes the innermost for block, if any
};

// One row of an opcode table: every fact of one opcode. The exact columns
// are the retail dialect's and name only what differs from the classic ones.
struct OpcodeEntry {
    std::uint8_t opcode;
    std::uint8_t size;                  // the instruction's bytes, the opcode's included
    const char* name;                   // the source name
    const Form* form;                   // the classic text's form
    const BlockFacts* blocks = nullptr; // what it does to blocks, if anything
    const Form* exactForm = nullptr;    // exact mode's form, where it differs
    std::uint8_t exactSize = 0;         // the game's size, where it differs
    // Exact mode's earlier form, which its texts may still use, where a
    // field was split for names (told apart by the number of arguments).
    const Form* exactOldForm = nullptr;
    const char* exactName = nullptr; // exact mode's name, where it differs
};

using OpcodeTable = std::array<OpcodeEntry, 256>;

// Slots of a dialect's name index (the 144 names fill under a third).
constexpr std::size_t kNameSlots = 512;

struct Dialect {
    const char* name;     // "retail" or "prototype"
    const char* menuName; // "Bio2" or "Rer1.5"
    const OpcodeTable* table;
    const Form* forms[256]; // the form that serves each opcode
    std::uint8_t size[256]; // the table's sizes
    // FindName's index: rows 0x00 to 0x8F hashed by name, each name at its
    // first row only; a slot holds the row + 1, or 0 when empty.
    std::uint8_t nameIndex[kNameSlots];
    // Compiling: "if", "while" and "do" write their block instructions (retail)
    // or the lines are passed over (prototype).
    bool keywordBlocks;
    // The blocks of the classic text by opcode and by kind of block (derived
    // once from the rows' block facts, by MakeDialect).
    std::int8_t depthBefore[256];
    std::int8_t depthAfter[256];
    CaseEffect caseEffect[256];
    std::uint8_t closesKinds[256];
    std::uint8_t opener[kBlockKinds];        // the opcode that opens each kind of block
    std::uint8_t closer[kBlockKinds];        // the opcode that closes it
    std::uint8_t closerOperand[kBlockKinds]; // offset 1 of that closing instruction
    // Compiling an 8-bit field stores its one byte (exact mode) instead of
    // four bytes whose surplus the following fields overwrite.
    bool narrowStores = false;
    BraceRule braces;

    int Size(std::uint8_t opcode) const { return size[opcode]; }
    const char* Name(std::uint8_t opcode) const { return (*table)[opcode].name; }
    // The first row 0x00 to 0x8F whose name equals `word`, or -1.
    int FindName(std::string_view word) const;
};

const Dialect& RetailDialect();
// The retail opcodes that are conditions: a header (if, while, "} while") is
// followed by a run of them.
std::span<const std::uint8_t> RetailConditions();
const Dialect& PrototypeDialect();

} // namespace quillon
