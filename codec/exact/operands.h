// The decoded view of an instruction: its operands as exact mode sees them,
// each field of its exact form that applies to its size, at its offset, of
// its kind, with the value that its bytes hold. Made from the rows (the
// exact forms and the field kinds) once for every opcode.
#pragma once

#include <cstdint>

#include "codec/isa/opcodes.h"

namespace quillon::exact {

struct Operand {
    std::uint8_t offset;
    Kind kind;
    bool scanned; // an argument of the line (not printed only)
};

// The operands of an opcode, in the order of its form.
struct OperandList {
    std::uint8_t count = 0;
    std::uint8_t arguments = 0; // those scanned: how many arguments its line takes
    Operand at[kFieldSlots] = {};
};

struct OperandTable {
    OperandList of[256];
};
const OperandTable& Operands();

class DecodedInstruction {
  public:
    // The instruction at `bytes` (the opcode first, then as many bytes as its
    // size).
    DecodedInstruction(const OperandTable& table, const std::uint8_t* bytes)
        : list_(table.of[bytes[0]]), bytes_(bytes) {}

    std::uint8_t Opcode() const { return bytes_[0]; }
    int Count() const { return list_.count; }
    const Operand& operator[](int k) const { return list_.at[k]; }
    // The value of operand k as its kind holds it (negative for the signed
    // kinds).
    std::int32_t Value(int k) const {
        const Operand& o = list_.at[k];
        if (!IsWide(o.kind)) {
            const std::uint8_t b = bytes_[o.offset];
            return RangeOf(o.kind).low < 0 ? static_cast<std::int8_t>(b) : b;
        }
        const auto w = static_cast<std::uint16_t>(bytes_[o.offset] | bytes_[o.offset + 1] << 8);
        return RangeOf(o.kind).low < 0 ? static_cast<std::int16_t>(w) : w;
    }

  private:
    const OperandList& list_;
    const std::uint8_t* bytes_;
};

} // namespace quillon::exact
