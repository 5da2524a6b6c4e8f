// A field's text in a few moves of fixed size, with no branch on its value:
// the disassembler prints several fields a line, and their values follow no
// pattern. Each writer may change up to 8 bytes past the text's end (the
// caller leaves that room) and returns the text's end.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "text.h"

namespace quillon {

namespace field_text {

// "00" to "99" and "00" to "FF" as 16-bit words in memory order.
struct Pairs {
    std::uint16_t decimal[100] = {};
    std::uint16_t hex[256] = {};
    constexpr Pairs() {
        constexpr char kDigits[] = "0123456789ABCDEF";
        for (int i = 0; i < 100; ++i)
            decimal[i] = static_cast<std::uint16_t>(('0' + i / 10) | ('0' + i % 10) << 8);
        for (int i = 0; i < 256; ++i)
            hex[i] = static_cast<std::uint16_t>(kDigits[i >> 4] | kDigits[i & 15] << 8);
    }
};
inline constexpr Pairs kPairs;

constexpr bool kLittle = std::endian::native == std::endian::little;

} // namespace field_text

// "%d" of a value from -65535 to 65535 (the 16-bit fields, signed or not).
inline char* WriteWordDecimal(char* p, std::int32_t value) {
    if constexpr (!field_text::kLittle) return WriteDecimal(p, value);
    const std::uint32_t sign = static_cast<std::uint32_t>(value >> 31); // all ones when negative
    const std::uint32_t v = (static_cast<std::uint32_t>(value) ^ sign) - sign;
    *p = '-';
    p += sign & 1;
    // Five digits in a word, the first in its lowest byte; the leading zeros
    // are shifted out.
    const std::uint32_t low = v % 10000;
    const std::uint64_t word = static_cast<std::uint64_t>('0' + v / 10000) |
                               std::uint64_t{field_text::kPairs.decimal[low / 100]} << 8 |
                               std::uint64_t{field_text::kPairs.decimal[low % 100]} << 24;
    const int digits = 1 + (v >= 10) + (v >= 100) + (v >= 1000) + (v >= 10000);
    const std::uint64_t text = word >> (8 * (5 - digits));
    std::memcpy(p, &text, 8);
    return p + digits;
}

// "0x" and at least `minDigits` (1 to 8) upper-case hexadecimal digits of a
// 16-bit value.
inline char* WriteWordHex(char* p, std::uint16_t value, int minDigits) {
    if constexpr (!field_text::kLittle) {
        *p++ = '0';
        *p++ = 'x';
        return WriteHex(p, value, minDigits);
    }
    // Eight digits, the first in the lowest byte: four zeros and the value's.
    const std::uint64_t word = 0x30303030u |
                               std::uint64_t{field_text::kPairs.hex[value >> 8]} << 32 |
                               std::uint64_t{field_text::kPairs.hex[value & 0xFF]} << 48;
    const int significant = 1 + (value >= 0x10) + (value >= 0x100) + (value >= 0x1000);
    const int digits = significant > minDigits ? significant : minDigits;
    const std::uint64_t text = word >> (8 * (8 - digits));
    p[0] = '0';
    p[1] = 'x';
    std::memcpy(p + 2, &text, 8);
    return p + 2 + digits;
}

} // namespace quillon
