// Text helpers shared by the codecs and the shell: printf-style formatting,
// the message routines with their replaceable sink, and the fast number
// printing and scanning of the instruction forms.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// printf-style formatting into a new string of exactly the formatted length.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Where ShowMessage sends its caption and text. The Windows program shows a
// message box, the command-line tool prints to standard error, tests capture.
using MessageSink = void (*)(const char* caption, const char* text);
MessageSink SetMessageSink(MessageSink sink); // returns the previous sink

void ShowMessage(const char* caption, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
// ShowMessage with the caption "Quillon"; returns 1.
int ShowFailure(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Appending numbers as the text forms print them.
void AppendDecimal(std::string& out, std::int32_t value);
void AppendHex(std::string& out, std::uint32_t value, int minDigits); // upper case
// The same into a character buffer: the text is written from `p` on and its
// end is returned. WriteDecimal writes at most 11 characters, WriteHex at
// most 8 or `minDigits`, whichever is more.
char* WriteDecimal(char* p, std::int32_t value);
char* WriteHex(char* p, std::uint32_t value, int minDigits);

// The standard "%d" and "%X" scans of a token: optional leading blanks, an
// optional sign, (for hex) an optional "0x", digits up to the first other
// character. Nothing converted gives no value. Values beyond 32 bits keep
// their low 32 bits, as the digits wrap around.
// `overflow`, when given, tells whether the digits went beyond 32 bits.
std::optional<std::int32_t> ScanDecimal(std::string_view token, bool* overflow = nullptr);
std::optional<std::int32_t> ScanHex(std::string_view token, bool* overflow = nullptr);

} // namespace quillon
