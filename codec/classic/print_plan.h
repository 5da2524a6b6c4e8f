// The printer's plan of a dialect, derived from its rows in one place: each
// opcode's line as the printer writes it. The texts around the fields (the
// name and the opening, the separators, the closing) are held padded with
// zeros, so that the printer copies them in moves of fixed size with no
// branch on their lengths; only the fields that apply to the opcode's size
// are listed, each with the text before it. The rows keep only their texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/isa/opcodes.h"

namespace quillon {

// Room of a padded text, and of a padded separator.
constexpr std::size_t kPaddedText = 32;
constexpr std::size_t kPaddedSep = 4;
// The most bytes that printing one field may touch: its longest text ("0x"
// and 8 digits) and the 8-byte move that may end it.
constexpr std::size_t kFieldRoom = 18;
// The tabs written in one move of fixed size (more take a loop).
constexpr std::size_t kTabMove = 16;

// A length of kLongText marks a text too long for its pad, held whole.
constexpr std::uint8_t kLongText = 0xFF;

struct PaddedText {
    std::uint8_t length = 0;
    char padded[kPaddedText] = {};
    std::string whole; // the text when it does not fit the pad
};

struct FieldPlan {
    std::uint8_t offset = 0;
    Kind kind = Kind::U8;
    std::uint8_t sepLength = 0; // the text before the field: nothing before
    char sep[kPaddedSep] = {};  // the first, ", " before an appended byte,
    const char* sepText = "";   // the form's separator before the others
};

struct LinePlan {
    PaddedText head;             // the name, or the form's head, and the opening
    PaddedText close, closeLine; // the closing, and the closing with CR LF
    std::uint8_t fieldCount = 0;
    FieldPlan fields[kFieldSlots];
    std::size_t room = 0; // the most bytes that printing the line may touch, tabs aside
    bool plain = false;   // a line of fields alone: no special handling in the disassembler
};

struct PrintPlan {
    LinePlan lines[256];
};

// The line of `form` printed for `opcode` of `dialect`.
LinePlan PlanLine(const Dialect& dialect, const Form& form, std::uint8_t opcode);
// The plan of a dialect, made on first use and kept for the program's life.
const PrintPlan& PlanOf(const Dialect& dialect);

} // namespace quillon
