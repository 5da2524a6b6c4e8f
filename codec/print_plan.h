// The printer's plan of a dialect, derived from its rows in one place: each
// opcode's name and its form's punctuation as copies padded with zeros, which
// the printer copies in moves of fixed size (no branch on their lengths),
// with those lengths. The rows themselves keep only their texts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "opcodes.h"

namespace quillon {

// Room of a padded piece of punctuation, and of a padded name; a name
// length of kLongName marks a name too long for its copy.
constexpr std::size_t kPaddedPiece = 16;
constexpr std::size_t kPaddedName = 32;
constexpr std::uint8_t kLongName = 0xFF;

struct Piece {
    const char* text = "";
    std::uint8_t length = 0;
    char padded[kPaddedPiece] = {}; // empty when the text does not fit
};

struct FormPlan {
    Piece open, sep, close;
};

struct PrintPlan {
    char paddedName[256][kPaddedName] = {};
    std::uint8_t nameLength[256] = {};
    FormPlan forms[256]; // the pieces of the form of each opcode
};

FormPlan PlanForm(const Form& form);
// The plan of a dialect, made on first use and kept for the program's life.
const PrintPlan& PlanOf(const Dialect& dialect);

} // namespace quillon
