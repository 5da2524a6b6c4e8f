// Deterministic bytecode for the benchmarks: typical room scripts and long
// streams that hold every instruction form of a dialect.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/isa/opcodes.h"

namespace quillon::bench {

struct Workload {
    std::string bytes;        // the bytecode
    std::size_t instructions; // instructions in it, conditions and block ends included
};

// A room script of about `size` bytes as the game's rooms look: scene set-up
// records first, then event blocks (if/else on flags and work values, loops
// that wait, switches on work values) around the common actions. Names the
// dialect lacks are left out. Equal seeds give equal scripts.
Workload RoomScript(const Dialect& d, std::uint32_t seed, std::size_t size = 4096);

// At least `size` bytes of valid instructions: every opcode below 0x90 that
// has a form and a size, in equal shares, with the block instructions in
// properly nested blocks (if, else, while, do, for, switch with its labels)
// and a few unknown opcodes. Operands are random within their field's range.
Workload InstructionStream(const Dialect& d, std::uint32_t seed, std::size_t size);

} // namespace quillon::bench
