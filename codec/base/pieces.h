// Text and bytes that come in or go out in pieces, so that neither end holds
// the whole: a pull fills up to `room` bytes at `into` and returns how many,
// 0 at the end; a sink is handed each piece as it is made.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace quillon {

using TextPull = std::function<std::size_t(char* into, std::size_t room)>;
using TextSink = std::function<void(std::string_view piece)>;

} // namespace quillon
