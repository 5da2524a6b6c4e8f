// GString: wide-character string; its construction, assignment and access.
#include "util/gstring.h"

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>

#include "util/gstring_detail.h"
#include "util/utf8.h"

using namespace gstring_detail;

namespace {

std::wstring Widen(const unsigned char* bytes) {
    std::wstring text;
    if (bytes == nullptr) return text;
    std::size_t length = std::strlen(reinterpret_cast<const char*>(bytes));
    CheckGrowth(0, static_cast<long long>(length));
    text.resize(length);
    for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<wchar_t>(bytes[i]);
    return text;
}

} // namespace

GString::GString() = default;

GString::GString(const GString& other) : m_text(other.m_text.c_str()) {}

GString::GString(GString&& other) noexcept : m_text(std::move(other.m_text)) {
    other.m_text.clear();
}

GString::GString(const char* text) : m_text(Widen(reinterpret_cast<const unsigned char*>(text))) {}

GString::GString(const unsigned char* text) : m_text(Widen(text)) {}

GString::GString(const char* text, int count) {
    Copy(text, count, 0);
}

GString::GString(const wchar_t* text) : m_text(Units(text)) {}

GString::GString(const wchar_t* text, int count) {
    Copy(text, count, 0);
}

GString::GString(wchar_t unit, int repeat) {
    if (repeat <= 0) return;
    CheckGrowth(0, repeat);
    m_text.assign(static_cast<std::size_t>(repeat), unit);
}

GString::~GString() {
    FreeScratch();
}

void GString::Assign(std::wstring&& text) {
    m_text.swap(text);
}

const GString& GString::operator=(const GString& other) {
    // Built apart first, so that assigning a string to itself works.
    Assign(std::wstring(other.m_text.c_str()));
    return *this;
}

GString& GString::operator=(GString&& other) noexcept {
    if (this != &other) {
        m_text.swap(other.m_text);
        other.m_text.clear();
    }
    return *this;
}

const GString& GString::operator=(const char* text) {
    Assign(Widen(reinterpret_cast<const unsigned char*>(text)));
    return *this;
}

const GString& GString::operator=(const unsigned char* text) {
    Assign(Widen(text));
    return *this;
}

const GString& GString::operator=(const wchar_t* text) {
    Assign(Units(text));
    return *this;
}

const GString& GString::operator=(wchar_t unit) {
    Assign(std::wstring(1, unit));
    return *this;
}

// A negative position would read before the text: it leaves the string empty.
// With a count, 0 bytes among the counted ones are dropped, as the wide Copy
// does, so the text never holds a 0 unit.
void GString::Copy(const char* text, int count, int position) {
    try {
        std::wstring result;
        if (text != nullptr && position >= 0) {
            const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
            std::size_t length = std::strlen(text);
            if (count < 0) {
                if (static_cast<std::size_t>(position) < length) result = Widen(bytes + position);
            } else if (position < 1 || static_cast<std::size_t>(position) < length) {
                result.reserve(static_cast<std::size_t>(count));
                for (int i = 0; i < count; ++i) {
                    unsigned char byte = bytes[position + i];
                    if (byte != 0) result.push_back(static_cast<wchar_t>(byte));
                }
            }
        }
        Assign(std::move(result));
    } catch (...) {
        m_text.clear();
    }
}

// A negative index, or with a count of -1 an index past the text's end, would
// read outside the text: the string stays empty.
void GString::Copy(const wchar_t* text, int count, int index) {
    try {
        std::wstring result;
        if (text != nullptr && index >= 0) {
            if (count == -1) {
                std::size_t length = std::wcslen(text);
                if (static_cast<std::size_t>(index) <= length) result = Units(text + index);
            } else if (count >= 0) {
                result.reserve(static_cast<std::size_t>(count));
                for (int i = 0; i < count; ++i) {
                    wchar_t unit = text[index + i];
                    if (unit != 0) result.push_back(unit);
                }
            }
        }
        Assign(std::move(result));
    } catch (...) {
        m_text.clear();
    }
}

// A null pointer gives an empty string for every type.
void GString::Set(void* data, GStringType type) {
    switch (type) {
    case Bytes: Assign(Widen(static_cast<const unsigned char*>(data))); break;
    case Utf8: {
        if (data == nullptr) {
            m_text.clear();
            break;
        }
        wchar_t* converted = nullptr;
        Utf8ToUnicode(converted, static_cast<char*>(data));
        std::wstring text;
        try {
            text = Units(converted);
        } catch (...) {
            ::operator delete(converted);
            throw;
        }
        ::operator delete(converted);
        Assign(std::move(text));
        break;
    }
    case Utf16: Assign(Units(static_cast<const wchar_t*>(data))); break;
    case Utf16Swapped: {
        if (data == nullptr) {
            m_text.clear();
            break;
        }
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        std::size_t length = 0;
        while (bytes[2 * length] != 0 || bytes[2 * length + 1] != 0) ++length;
        CheckGrowth(0, static_cast<long long>(length));
        std::wstring text(length, L'\0');
        for (std::size_t i = 0; i < length; ++i)
            text[i] = static_cast<wchar_t>(bytes[2 * i] << 8 | bytes[2 * i + 1]);
        Assign(std::move(text));
        break;
    }
    default: break;
    }
}

void GString::Empty() {
    m_text.clear();
}

int GString::GetLength() const {
    return static_cast<int>(m_text.size());
}

int GString::GetSize() const {
    return GetLength();
}

int GString::IsEmpty() const {
    return m_text.empty() ? 1 : 0;
}

wchar_t GString::GetAt(int index) const {
    if (index < 0) ThrowPosition();
    if (index >= GetLength()) return 0;
    return m_text[static_cast<std::size_t>(index)];
}

wchar_t GString::operator[](int index) const {
    return GetAt(index);
}

void GString::SetAt(int index, wchar_t unit) {
    if (index < 0) ThrowPosition();
    if (index < GetLength()) m_text[static_cast<std::size_t>(index)] = unit;
}

// A negative length empties the string.
void GString::SetLength(int length) {
    if (length < 0) length = 0;
    if (length > MaxLength) ThrowTooLong();
    m_text.resize(static_cast<std::size_t>(length), L' ');
}

GString::operator const wchar_t*() const {
    return m_text.c_str();
}
