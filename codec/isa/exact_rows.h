// The exact configuration of the retail dialect: the game's own sizes, forms
// that show every byte, and the rows that say what each block instruction
// opens or closes and where its length counts from (the types of its rows are
// in blocks.h). Derived from the retail table's rows.
#pragma once

#include <cstdint>

#include "codec/isa/opcodes.h"

namespace quillon::exact {

struct Rows {
    Dialect dialect;          // the retail dialect with the game's sizes, names and exact forms
    OpcodeTable table;        // the retail table with exact mode's names
    Form forms[32];           // the exact forms that show every byte of their instruction
    const Form* oldForm[256]; // the earlier exact form, where names split a field
    Row row[256];
    // The opening and closing instruction of each block.
    std::uint8_t opener[9];
    std::uint8_t closer[9];
    std::uint8_t jump; // the goto: the one jump of the instruction set
};

// The bytes after the goto's opcode that nearly every real jump carries
// (about 97% of them): "goto label;" stands for a goto with these.
inline constexpr std::uint8_t kUsualGotoBytes[3] = {255, 255, 0};

const Rows& ExactRows();

} // namespace quillon::exact
