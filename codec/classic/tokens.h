// The compilers' reader's splitter, beside SplitTokens (source.h).
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace quillon::detail {

// Splits buffer[0, length) as SplitTokens does; `line` holds the same
// characters, and the tokens are views into it. Whole blocks of 16 bytes are
// read from the buffer, up to 15 past `length`.
void SplitKept(const char* buffer, std::size_t length, std::string_view line,
               std::vector<std::string_view>& tokens);

} // namespace quillon::detail
