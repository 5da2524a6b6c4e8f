// `quillon disassemble` and `quillon compile`.
#pragma once

#include "cli/options.h"

namespace quillon::cli {

// Converts every input; returns the exit status (0 all converted, 1 some
// failed or, with --Werror, warned, 2 for a usage error).
int RunConversion(const Options& options);

} // namespace quillon::cli
