// The vocabulary of one dialect: its opcode table, the instruction forms that
// print and scan the fields (of the kinds in kinds.h), and the dialect record
// that ties a table to its forms and driver options.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "codec/isa/kinds.h"

namespace quillon {

// One row of an opcode table: the opcode as text, the total instruction size
// as hexadecimal text ("0x14" is 20) and the source name.
struct OpcodeEntry {
    const char* opcodeText;
    const char* sizeText;
    const char* name;
};

using OpcodeTable = std::array<OpcodeEntry, 256>;

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

// Kinds of block of the classic text.
enum class BlockKind : std::uint8_t { If, While, Do, For, Switch, Else };
constexpr int kBlockKinds = 6;
constexpr std::uint8_t KindBit(BlockKind k) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(k));
}

// What a switch label does to the level of the case it ends or begins.
enum class LabelEffect : std::uint8_t { None, Opens, Closes };

// A row of the classic text's blocks: what an opcode opens or closes.
struct BlockRow {
    std::uint8_t opcode;
    std::int8_t before = 0, after = 0;     // the disassembler's depth steps around the line
    LabelEffect label = LabelEffect::None; // case opens a level, default and break close it
    std::int8_t opens = -1;                // the BlockKind that compiling opens with it
    std::uint8_t closes = 0;               // KindBit()s of the blocks it closes when compiling
    std::uint8_t closeOperand = 0;         // offset 1 of it as a closing instruction
};
constexpr int kMaxBlockRows = 16;

// Slots of a dialect's name index (the 144 names fill under a third).
constexpr std::size_t kNameSlots = 512;

struct Dialect {
    const char* name;     // "retail" or "prototype"
    const char* menuName; // "Bio2" or "Rer1.5"
    const OpcodeTable* table;
    const Form* forms[256]; // the form that serves each opcode
    std::uint8_t size[256]; // the table's sizes, converted once
    // FindName's index: rows 0x00 to 0x8F hashed by name, each name at its
    // first row only; a slot holds the row + 1, or 0 when empty.
    std::uint8_t nameIndex[kNameSlots];
    // Compiling: "if", "while" and "do" write their block instructions (retail)
    // or the lines are passed over (prototype).
    bool keywordBlocks;
    // The blocks of the classic text, and what follows from them by opcode
    // and by kind of block (derived once, by MakeDialect).
    BlockRow blockRows[kMaxBlockRows];
    int blockRowCount;
    std::int8_t depthBefore[256];
    std::int8_t depthAfter[256];
    LabelEffect label[256];
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
const Dialect& PrototypeDialect();

// Size of a row from its hexadecimal text, as the "%X" conversion reads it.
int SizeFromText(const char* sizeText);

} // namespace quillon
