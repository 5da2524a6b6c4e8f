// GString's own checks and helpers, shared by its files; not part of the
// exported interface.
#pragma once

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <stdexcept>
#include <string>

#include "util/gstring.h"

namespace gstring_detail {

[[noreturn]] inline void ThrowPosition() {
    throw std::out_of_range("invalid string position");
}

[[noreturn]] inline void ThrowTooLong() {
    throw std::length_error("string too long");
}

// Throws when a text of `length` plus `added` units would be too long.
inline void CheckGrowth(std::size_t length, long long added) {
    if (added > 0 && static_cast<long long>(length) + added > GString::MaxLength) ThrowTooLong();
}

// The units of a 0-terminated text; a null pointer gives none.
inline std::wstring Units(const wchar_t* text) {
    if (text == nullptr) return std::wstring();
    std::size_t length = std::wcslen(text);
    CheckGrowth(0, static_cast<long long>(length));
    return std::wstring(text, length);
}

// The scratch block of GetBuffer: the unit count of the buffer followed by the
// units.
struct ScratchHeader {
    std::size_t units;
};

inline wchar_t* ScratchUnits(ScratchHeader* header) {
    return reinterpret_cast<wchar_t*>(header + 1);
}

inline ScratchHeader* HeaderOf(wchar_t* units) {
    return reinterpret_cast<ScratchHeader*>(units) - 1;
}

} // namespace gstring_detail
