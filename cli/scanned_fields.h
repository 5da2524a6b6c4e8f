// The fields of an instruction as its text shows them and as compiling
// scans them back, counted from its first argument.
#pragma once

#include <cstdint>

#include "codec/isa/opcodes.h"

namespace quillon::cli {

// The `argument`-th field (from 1) that compiling scans for `opcode`, or null.
const Field* ScannedField(const Dialect& dialect, std::uint8_t opcode, int argument);
// How many fields compiling scans for `opcode`, and how many its text shows.
int ScannedFieldCount(const Dialect& dialect, std::uint8_t opcode);
int PrintedFieldCount(const Dialect& dialect, std::uint8_t opcode);

} // namespace quillon::cli
