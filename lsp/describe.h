// The words that hover and completion show: a value in decimal and
// hexadecimal, its built-in or user's name, where a name is defined.
#pragma once

#include <cstdint>
#include <string>

#include "codec/isa/meanings.h"
#include "lsp/workspace.h"

namespace quillon::lsp {

// "24 (0x18)".
std::string ValueText(std::int64_t value);
// The name of `value` of meaning `m` (a flag index's group `group`): the
// user's first, then the built-in one; "" for none.
std::string NameOf(const Workspace& workspace, Meaning m, std::int64_t value, std::uint8_t group);
// The noun of a meaning: "a flag group".
std::string NounOf(Meaning m);

} // namespace quillon::lsp
