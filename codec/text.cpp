#include "text.h"

#include <cstdarg>
#include <cstdio>

namespace quillon {

namespace {

void DefaultSink(const char* caption, const char* text) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

MessageSink g_sink = DefaultSink;

std::string FormatV(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    std::vsnprintf(out.data(), out.size() + 1, format, args);
    return out;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::int32_t> Scan(std::string_view t, bool hex, bool* overflow) {
    std::uint64_t wide = 0;
    size_t i = 0;
    while (i < t.size() && IsBlank(t[i])) ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    bool any = false;
    if (hex && i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        any = true; // the "0" alone is a number when no hex digit follows
        i += 2;
    }
    std::uint32_t value = 0;
    for (; i < t.size(); ++i) {
        int d = hex ? HexDigit(t[i]) : (t[i] >= '0' && t[i] <= '9' ? t[i] - '0' : -1);
        if (d < 0) break;
        value = value * (hex ? 16u : 10u) + static_cast<std::uint32_t>(d);
        if (wide <= 0xFFFFFFFFull) wide = wide * (hex ? 16u : 10u) + static_cast<std::uint64_t>(d);
        any = true;
    }
    if (!any) return std::nullopt;
    if (overflow) *overflow = negative ? wide > 0x80000000ull : wide > 0xFFFFFFFFull;
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

} // namespace

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string s = FormatV(format, args);
    va_end(args);
    return s;
}

MessageSink SetMessageSink(MessageSink sink) {
    MessageSink old = g_sink;
    g_sink = sink ? sink : DefaultSink;
    return old;
}

void ShowMessage(const char* caption, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    g_sink(caption, text.c_str());
}

int ShowFailure(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    g_sink("Quillon", text.c_str());
    return 1;
}

char* WriteDecimal(char* p, std::int32_t value) {
    // Two digits at a time from a table of the pairs "00" to "99".
    static constexpr char kPairs[] = "0001020304050607080910111213141516171819"
                                     "2021222324252627282930313233343536373839"
                                     "4041424344454647484950515253545556575859"
                                     "6061626364656667686970717273747576777879"
                                     "8081828384858687888990919293949596979899";
    std::uint32_t v =
        value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    if (value < 0) *p++ = '-';
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

char* WriteHex(char* p, std::uint32_t value, int minDigits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    int digits = 1;
    while (digits < 8 && (value >> (4 * digits)) != 0) ++digits;
    for (int i = digits; i < minDigits; ++i) *p++ = '0';
    for (int i = digits - 1; i >= 0; --i) *p++ = kDigits[(value >> (4 * i)) & 15];
    return p;
}

void AppendDecimal(std::string& out, std::int32_t value) {
    char buf[11];
    out.append(buf, WriteDecimal(buf, value));
}

void AppendHex(std::string& out, std::uint32_t value, int minDigits) {
    for (; minDigits > 8; --minDigits) out.push_back('0');
    char buf[8];
    out.append(buf, WriteHex(buf, value, minDigits));
}

std::optional<std::int32_t> ScanDecimal(std::string_view token, bool* overflow) {
    return Scan(token, false, overflow);
}
std::optional<std::int32_t> ScanHex(std::string_view token, bool* overflow) {
    return Scan(token, true, overflow);
}

} // namespace quillon
