// quillon atlas: the doors, items, enemies, flags and messages of a set of
// rooms, and the web that they make.
#pragma once

#include "cli/options.h"

namespace quillon::cli {

// 0 after a complete run; 1 when an input could not be read, the report
// could not be written, or --Werror met a warning.
int RunAtlas(const Options& options);

} // namespace quillon::cli
