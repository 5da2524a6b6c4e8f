// `quillon opcodes`: a dialect's opcode table as text.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "codec/isa/opcodes.h"

namespace quillon::cli {

// The argument form of an opcode as its source line reads, each field shown as
// KIND@OFFSET: "Speed_set(U8@1, S16@2);", "if(condition) {". Fields that are
// printed but never read back carry a "*". Opcodes 0x90 to 0xFF make no line.
std::string ArgumentForm(const Dialect& dialect, std::uint8_t opcode);

// The bytes that compiling sets to fixed values, e.g. "1=0x0A"; empty if none.
std::string PresetText(const Dialect& dialect, std::uint8_t opcode);

void PrintOpcodes(const Dialect& dialect, std::FILE* out);
// The same in exact mode: the game's sizes, the exact lines and the blocks.
void PrintExactOpcodes(std::FILE* out);

} // namespace quillon::cli
