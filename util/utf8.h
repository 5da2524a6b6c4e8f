// UTF-8 conversion of null-terminated wide text (the system's conversion,
// CP_UTF8, no flags). The result is a new block, terminator included, owned
// by the caller and released with the plain ::operator delete; a null text or
// one that cannot be converted gives a block holding only the terminator.
// Both return the count without the terminator.
#pragma once

#include "util/export.h"

QUILLON_UTIL_API int UnicodeToUtf8(const wchar_t* text, char*& utf8);
QUILLON_UTIL_API int Utf8ToUnicode(wchar_t*& text, char* utf8);
