// Guessing the name meant by an unknown word of a source text.
#pragma once

#include <string>
#include <string_view>

#include "codec/isa/opcodes.h"

namespace quillon::cli {

// The instruction name or keyword of the dialect closest to `word` (edit
// distance, case differences counting least), or "" when none is close.
std::string ClosestName(const Dialect& dialect, std::string_view word);

} // namespace quillon::cli
