// What the exact rows say of each instruction, as the editor shows it: its
// line with each argument's kind and offset (hover, signature help, the
// snippets of completion), and the meaning of each argument's place.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/isa/kinds.h"
#include "codec/isa/meanings.h"

namespace quillon::lsp {

struct ArgumentPlace {
    Field field;
    Meaning meaning;   // where the place's meaning hangs on no other byte; else None
    std::string label; // "U8@1"
};

struct InstructionInfo {
    std::string name; // as texts write it ("" for no line of its own)
    int size = 0;
    bool aligned = false; // starts at an even chunk offset
    std::vector<ArgumentPlace> arguments;
    std::string line;                    // "Set(U8@1, U8@2, U8@3);"
    std::vector<std::pair<int, int>> at; // each argument's label in `line`: start, end
    std::string snippet;                 // "Set(${1:U8@1}, ${2:U8@2}, ${3:U8@3});"
};

const InstructionInfo& InfoOf(std::uint8_t opcode);
// The opcode of an instruction's name, or -1.
int OpcodeNamed(std::string_view name);

} // namespace quillon::lsp
