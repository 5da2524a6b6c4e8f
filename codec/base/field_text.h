// A 16-bit field's hexadecimal text in a few moves of fixed size, with no
// branch on its value: the disassembler prints several fields a line, and
// their values follow no pattern. (Its decimal text is WriteDecimal's.)
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "codec/base/text.h"

namespace quillon {

namespace field_text {

// "00" to "FF" as 16-bit words in memory order.
struct HexPairs {
    std::uint16_t pair[256] = {};
    constexpr HexPairs() {
        constexpr char kDigits[] = "0123456789ABCDEF";
        for (int i = 0; i < 256; ++i)
            pair[i] = static_cast<std::uint16_t>(kDigits[i >> 4] | kDigits[i & 15] << 8);
    }
};
inline constexpr HexPairs kHexPairs;

} // namespace field_text

// "0x" and at least `minDigits` (1 to 8) upper-case hexadecimal digits of a
// 16-bit value; returns the text's end, and may change up to 8 bytes past it.
inline char* WriteWordHex(char* p, std::uint16_t value, int minDigits) {
    if constexpr (std::endian::native != std::endian::little) {
        *p++ = '0';
        *p++ = 'x';
        return WriteHex(p, value, minDigits);
    }
    // Eight digits, the first in the lowest byte: four zeros and the value's.
    const std::uint64_t word = 0x30303030u |
                               std::uint64_t{field_text::kHexPairs.pair[value >> 8]} << 32 |
                               std::uint64_t{field_text::kHexPairs.pair[value & 0xFF]} << 48;
    const int significant = 1 + (value >= 0x10) + (value >= 0x100) + (value >= 0x1000);
    const int digits = significant > minDigits ? significant : minDigits;
    const std::uint64_t text = word >> (8 * (8 - digits));
    p[0] = '0';
    p[1] = 'x';
    std::memcpy(p + 2, &text, 8);
    return p + 2 + digits;
}

} // namespace quillon
