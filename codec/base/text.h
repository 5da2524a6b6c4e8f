// Text helpers shared by the codecs and the shell: printf-style formatting,
// the message routines with their replaceable sink, and the fast number
// printing and scanning of the instruction forms.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

// The formats follow the C library's printf. MinGW builds use its own
// standard-conforming printf (with %zu, %lld), not the system's.
#if defined(__MINGW32__)
#define QUILLON_PRINTF(string, first) __attribute__((format(gnu_printf, string, first)))
#else
#define QUILLON_PRINTF(string, first) __attribute__((format(printf, string, first)))
#endif

namespace quillon {

// printf-style formatting into a new string of exactly the formatted length.
std::string FormatText(const char* format, ...) QUILLON_PRINTF(1, 2);

// Where ShowMessage sends its caption and text. The Windows program shows a
// message box, the command-line tool prints to standard error, tests capture.
using MessageSink = void (*)(const char* caption, const char* text);
MessageSink SetMessageSink(MessageSink sink); // returns the previous sink

void ShowMessage(const char* caption, const char* format, ...) QUILLON_PRINTF(2, 3);
// ShowMessage with the caption "Quillon"; returns 1.
int ShowFailure(const char* format, ...) QUILLON_PRINTF(1, 2);

// Appending numbers as the text forms print them.
void AppendDecimal(std::string& out, std::int32_t value);
void AppendHex(std::string& out, std::uint32_t value, int minDigits); // upper case
// The same into a character buffer: the text is written from `p` on and its
// end is returned. WriteDecimal writes at most 11 characters (and may change
// the bytes after the text within them), WriteHex at most 8 or `minDigits`,
// whichever is more.
// (Inline: the disassembler prints every field through them.)
// "00" to "99", two characters each.
inline constexpr char kDecimalPairs[] = "0001020304050607080910111213141516171819"
                                        "2021222324252627282930313233343536373839"
                                        "4041424344454647484950515253545556575859"
                                        "6061626364656667686970717273747576777879"
                                        "8081828384858687888990919293949596979899";

inline char* WriteDecimal(char* p, std::int32_t value) {
    constexpr const char* kPairs = kDecimalPairs;
    // Numbers of the instructions' fields vary at random: few branches on
    // their sign and digits.
    const std::uint32_t sign = static_cast<std::uint32_t>(value >> 31); // all ones when negative
    std::uint32_t v = (static_cast<std::uint32_t>(value) ^ sign) - sign;
    *p = '-';
    p += value < 0;
    if (v < 100000) {
        // All five digits made, the leading zeros then passed over.
        const std::uint32_t low = v % 10000;
        const int digits = 1 + (v >= 10) + (v >= 100) + (v >= 1000) + (v >= 10000);
        if constexpr (std::endian::native == std::endian::little) {
            // In a machine word, the first digit in its lowest byte, the
            // leading zeros shifted out; the word is written whole.
            std::uint16_t high, last;
            std::memcpy(&high, kPairs + low / 100 * 2, 2);
            std::memcpy(&last, kPairs + low % 100 * 2, 2);
            const std::uint64_t word = static_cast<std::uint64_t>('0' + v / 10000) |
                                       std::uint64_t{high} << 8 | std::uint64_t{last} << 24;
            const std::uint64_t text = word >> (8 * (5 - digits));
            std::memcpy(p, &text, 8);
        } else {
            char d[10] = {};
            d[0] = static_cast<char>('0' + v / 10000);
            std::memcpy(d + 1, kPairs + low / 100 * 2, 2);
            std::memcpy(d + 3, kPairs + low % 100 * 2, 2);
            std::memcpy(p, d + 5 - digits, 5);
        }
        return p + digits;
    }
    int digits = 1;
    for (std::uint32_t limit = 10; digits < 10 && v >= limit; limit *= 10) ++digits;
    char* end = p + digits;
    char* q = end;
    while (v >= 100) {
        const std::uint32_t pair = (v % 100) * 2;
        v /= 100;
        *--q = kPairs[pair + 1];
        *--q = kPairs[pair];
    }
    if (v >= 10) {
        *--q = kPairs[v * 2 + 1];
        *--q = kPairs[v * 2];
    } else {
        *--q = static_cast<char>('0' + v);
    }
    return end;
}

inline char* WriteHex(char* p, std::uint32_t value, int minDigits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    int digits = 1;
    while (digits < 8 && (value >> (4 * digits)) != 0) ++digits;
    for (int i = digits; i < minDigits; ++i) *p++ = '0';
    for (int i = digits - 1; i >= 0; --i) *p++ = kDigits[(value >> (4 * i)) & 15];
    return p;
}

// The standard "%d" and "%X" scans of a token: optional leading blanks, an
// optional sign, (for hex) an optional "0x", digits up to the first other
// character. Nothing converted gives no value. Values beyond 32 bits keep
// their low 32 bits, as the digits wrap around.
// `overflow`, when given, tells whether the digits went beyond 32 bits.
std::optional<std::int32_t> ScanDecimal(std::string_view token, bool* overflow = nullptr);
std::optional<std::int32_t> ScanHex(std::string_view token, bool* overflow = nullptr);
// The value of one hexadecimal digit (either case), or -1.
inline int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace quillon
