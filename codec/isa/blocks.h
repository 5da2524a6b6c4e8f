// What an instruction does to the blocks around it, in the classic text and
// in exact mode: one column of an opcode's row.
#pragma once

#include <cstdint>

namespace quillon {

// Kinds of block of the classic text.
enum class BlockKind : std::uint8_t { If, While, Do, For, Switch, Else };
constexpr int kBlockKinds = 6;
constexpr std::uint8_t KindBit(BlockKind k) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(k));
}

// What a case, default or break line does to the level of the case it ends
// or begins.
enum class CaseEffect : std::uint8_t { None, Opens, Closes };

namespace exact {

// The blocks of the game's bytecode.
enum class Block : std::uint8_t { None, If, Else, While, Do, For, Switch, Case, Default };

// What an instruction does to the blocks around it.
enum class Role : std::uint8_t {
    Plain,         // an instruction on a line of its own
    Raw,           // no line of its own: its bytes are written as they are
    Open,          // opens `block`; its length field at `lengthAt`
    Else,          // closes an if block and opens an else block
    Close,         // closes `block` (the instruction is the closing one)
    CaseOrDefault, // case or default: a line inside a switch block
    Jump,          // goto: a signed offset at `lengthAt` from its own start
};

// Where a block's length counts from and to.
enum class From : std::uint8_t { End, Start }; // of the instruction that holds it
enum class To : std::uint8_t {
    CloserEnd, // the end of the closing instruction (its condition included)
    NextCase,  // the start of the next case, default or closing instruction
};

struct Row {
    Role role = Role::Plain;
    Block block = Block::None;
    std::uint8_t lengthAt = 0; // offset of the 16-bit length or jump offset
    From from = From::End;
    To to = To::CloserEnd;
    std::uint8_t conditionAt = 0; // offset of the byte that holds the condition's size
    bool condition = false;       // a condition instruction follows (if, while, "} while")
    bool aligned = false;         // starts at an even chunk offset (a 16-bit field)
    bool joins = false;           // a condition: it may follow another in a header's run
    // Bytes that must hold these values for the instruction to have its
    // line; otherwise it is written raw.
    std::uint8_t fixedCount = 0;
    struct {
        std::uint8_t offset, value;
    } fixed[2] = {};
};

} // namespace exact

// The block facts of an opcode. In the classic text: the disassembler's depth
// steps around its line, what it does to a switch's case level, the block
// that compiling opens with it and the blocks it closes. In exact mode: its
// row, whose role Plain is the form's to say (Raw for an unknown form) and
// whose alignment follows from its role and fields.
struct BlockFacts {
    std::int8_t before = 0, after = 0;        // the disassembler's depth steps around the line
    CaseEffect caseEffect = CaseEffect::None; // case opens a level, default and break close it
    std::int8_t opens = -1;                   // the BlockKind that compiling opens with it
    std::uint8_t closes = 0;                  // KindBit()s of the blocks it closes when compiling
    std::uint8_t closeOperand = 0;            // offset 1 of it as a closing instruction
    exact::Row exact = {};
};

} // namespace quillon
