#include "codec/base/text.h"

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
