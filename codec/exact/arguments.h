// The arguments of an exact line as values: numbers, names (a user's
// first, then the built-in ones) and values joined by "|". A name that names
// no value is left unresolved: it may be a procedure.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codec/exact/name_book.h"

namespace quillon::exact {

struct Argument {
    std::string_view token; // the first token it was read from
    std::int64_t value = 0;
    Meaning meaning = Meaning::None; // of the name it was written with
    bool number = true;              // a number alone: its token scans as it is
    bool unresolved = false;         // a name of no value
};

// Fills `a` for the name at `a.token`, the user's names first, then the
// built-in ones; a name of no value is left unresolved. Returns the user's
// definition instead when it holds other than one value.
const NameBook::Definition* NameValue(const NameBook& book, Argument& a);

// A word as messages quote it: its first 60 bytes.
inline std::string MessageWord(std::string_view word) {
    return std::string(word.substr(0, 60));
}

// Reads the tokens as arguments; false with `error` at the token `at`.
bool ReadArguments(std::span<const std::string_view> tokens, const NameBook& book,
                   std::vector<Argument>& out, std::string& error, std::string_view& at);

// The name closest to an unknown `word` among the user's, the built-in ones
// and `more`, or "".
std::string ClosestValueName(std::string_view word, const NameBook& book,
                             const std::vector<std::string_view>& more = {});

// A number as the texts write them: decimal, or hexadecimal after "0x",
// with an optional "-".
bool ParseNumber(std::string_view text, std::int64_t& value);

// Whether a token starts as a name does: a letter or "_".
inline bool IsNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// A token that reads whole as one number (decimal, or hexadecimal after
// "0x", an optional "-" before), one name, a "|" or (with `operators`) an
// operator. Digits alone, the common case, are told here.
bool PlainTokenOther(std::string_view t, bool operators);
inline bool PlainToken(std::string_view t, bool operators) {
    for (const char c : t)
        if (static_cast<unsigned char>(c - '0') > 9) return PlainTokenOther(t, operators);
    return true;
}

// A C identifier: a letter or "_", then letters, digits and "_".
bool IsIdentifier(std::string_view word);

} // namespace quillon::exact
