// The exact configuration of the retail dialect: the game's own sizes, forms
// that show every byte, and the rows that say what each block instruction
// opens or closes and where its length counts from.
#pragma once

#include <cstdint>

#include "codec/isa/opcodes.h"

namespace quillon::exact {

// The blocks of the game's bytecode.
enum class Block : std::uint8_t { None, If, Else, While, Do, For, Switch, Case, Default };

// What an instruction does to the blocks around it.
enum class Role : std::uint8_t {
    Plain, // an instruction on a line of its own
    Raw,   // no line of its own: its bytes are written as they are
    Open,  // opens `block`; its length field at `lengthAt`
    Else,  // closes an if block and opens an else block
    Close, // closes `block` (the instruction is the closing one)
    Label, // case or default: a label inside a switch block
    Jump,  // goto: a signed offset at `lengthAt` from its own start
};

// Where a block's length counts from and to.
enum class From : std::uint8_t { End, Start }; // of the instruction that holds it
enum class To : std::uint8_t {
    CloserEnd, // the end of the closing instruction (its condition included)
    NextLabel, // the start of the next case, default or closing instruction
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
    // Bytes that must hold these values for the instruction to have its
    // line; otherwise it is written raw.
    std::uint8_t fixedCount = 0;
    struct {
        std::uint8_t offset, value;
    } fixed[2] = {};
};

struct Rows {
    Dialect dialect; // the retail dialect with the game's sizes and exact forms
    Form forms[20];  // the exact forms that differ from the classic ones
    Row row[256];
    // The opening and closing instruction of each block.
    std::uint8_t opener[9];
    std::uint8_t closer[9];
    std::uint8_t jump; // the goto: the one jump of the instruction set
};

const Rows& ExactRows();

} // namespace quillon::exact
