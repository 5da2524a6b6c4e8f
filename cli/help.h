// The help texts of quillon.
#pragma once

#include "cli/options.h"

namespace quillon::cli {

extern const char kVersion[];

// The short usage shown after a usage error and by `quillon --help`.
const char* UsageText();
// The full help of a command (Command::None: of the program).
const char* HelpText(Command command);

} // namespace quillon::cli
