// What the GString tests read of a string, shared by their files.
#pragma once

#include <stdexcept>
#include <string>

#include "util/gstring.h"

// The string's units, a 0 unit inside included.
inline std::wstring Text(const GString& s) {
    return std::wstring(static_cast<const wchar_t*>(s), static_cast<std::size_t>(s.GetLength()));
}

template <typename F>
std::string MessageOf(F f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(nothing thrown)";
}
