// UTF-8 conversion of wide text, shared by GString and the text functions.
#include "util/utf8.h"

#include <windows.h>

#include <cstddef>
#include <new>

namespace {

// An empty text: a block holding only the terminator.
template <typename Unit>
Unit* EmptyBlock() {
    Unit* block = static_cast<Unit*>(::operator new(sizeof(Unit)));
    block[0] = 0;
    return block;
}

} // namespace

// A null text, or one the system cannot convert, gives an empty block.
int UnicodeToUtf8(const wchar_t* text, char*& utf8) {
    int size = text == nullptr
                   ? 0
                   : ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        utf8 = EmptyBlock<char>();
        return 0;
    }
    char* block = static_cast<char*>(::operator new(static_cast<std::size_t>(size)));
    int written = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, block, size, nullptr, nullptr);
    if (written <= 0) {
        block[0] = 0;
        written = 1;
    }
    utf8 = block;
    return written - 1;
}

int Utf8ToUnicode(wchar_t*& text, char* utf8) {
    int count = utf8 == nullptr ? 0 : ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (count <= 0) {
        text = EmptyBlock<wchar_t>();
        return 0;
    }
    wchar_t* block =
        static_cast<wchar_t*>(::operator new(static_cast<std::size_t>(count) * sizeof(wchar_t)));
    int written = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, block, count);
    if (written <= 0) {
        block[0] = 0;
        written = 1;
    }
    text = block;
    return written - 1;
}
