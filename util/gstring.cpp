// GString: wide-character string.
#include "util/gstring.h"

#include <windows.h>

#include <oleauto.h>

#include <cctype>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <new>
#include <stdexcept>

#include "util/utf8.h"

namespace {

[[noreturn]] void ThrowPosition() {
    throw std::out_of_range("invalid string position");
}

[[noreturn]] void ThrowTooLong() {
    throw std::length_error("string too long");
}

// Throws when a text of `length` plus `added` units would be too long.
void CheckGrowth(std::size_t length, long long added) {
    if (added > 0 && static_cast<long long>(length) + added > GString::MaxLength) ThrowTooLong();
}

std::wstring Widen(const unsigned char* bytes) {
    std::wstring text;
    if (bytes == nullptr) return text;
    std::size_t length = std::strlen(reinterpret_cast<const char*>(bytes));
    CheckGrowth(0, static_cast<long long>(length));
    text.resize(length);
    for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<wchar_t>(bytes[i]);
    return text;
}

std::wstring Units(const wchar_t* text) {
    if (text == nullptr) return std::wstring();
    std::size_t length = std::wcslen(text);
    CheckGrowth(0, static_cast<long long>(length));
    return std::wstring(text, length);
}

bool InSet(const wchar_t* set, wchar_t unit) {
    return unit != 0 && std::wcschr(set, unit) != nullptr;
}

// The scratch block: the unit count of the buffer followed by the units.
struct ScratchHeader {
    std::size_t units;
};

wchar_t* ScratchUnits(ScratchHeader* header) {
    return reinterpret_cast<wchar_t*>(header + 1);
}

ScratchHeader* HeaderOf(wchar_t* units) {
    return reinterpret_cast<ScratchHeader*>(units) - 1;
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

void GString::FreeScratch() {
    if (m_scratch != nullptr) {
        std::free(HeaderOf(m_scratch));
        m_scratch = nullptr;
    }
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

// A null pointer appends nothing.
void GString::Append(const wchar_t* text) {
    try {
        if (text == nullptr) return;
        std::wstring added = Units(text); // the text may lie inside this string
        CheckGrowth(m_text.size(), static_cast<long long>(added.size()));
        m_text.append(added);
    } catch (...) {
    }
}

void GString::Append(wchar_t unit, int count) {
    try {
        if (unit == 0 || count <= 0) return;
        CheckGrowth(m_text.size(), count);
        m_text.append(static_cast<std::size_t>(count), unit);
    } catch (...) {
    }
}

void GString::Append(const GString& other) {
    Append(other.m_text.c_str());
}

const GString& GString::operator+=(const GString& other) {
    Append(other);
    return *this;
}

const GString& GString::operator+=(wchar_t unit) {
    Append(unit, 1);
    return *this;
}

GString& GString::operator<<(const GString& other) {
    Append(other);
    return *this;
}

GString& GString::operator<<(wchar_t unit) {
    Append(unit, 1);
    return *this;
}

int GString::Insert(int index, wchar_t unit) {
    if (index < 0) index = 0;
    if (index >= GetLength()) {
        Append(unit, 1);
    } else {
        CheckGrowth(m_text.size(), 1);
        m_text.insert(static_cast<std::size_t>(index), 1, unit);
    }
    return GetLength();
}

int GString::Insert(int index, const wchar_t* text) {
    if (text == nullptr) return GetLength();
    std::wstring added = Units(text);
    CheckGrowth(m_text.size(), static_cast<long long>(added.size()));
    if (index < 0) index = 0;
    std::size_t at = static_cast<std::size_t>(index);
    if (at > m_text.size()) at = m_text.size();
    m_text.insert(at, added);
    return GetLength();
}

// The range is clamped to the string: only the units of [index, index + count)
// that lie inside it are removed.
int GString::Delete(int index, int count) {
    long long first = index;
    long long last = first + count;
    if (first < 0) first = 0;
    if (last > GetLength()) last = GetLength();
    if (first < last)
        m_text.erase(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first));
    return GetLength();
}

int GString::Remove(wchar_t unit) {
    std::size_t kept = 0;
    for (wchar_t c : m_text)
        if (c != unit) m_text[kept++] = c;
    int removed = static_cast<int>(m_text.size() - kept);
    m_text.resize(kept);
    return removed;
}

int GString::Replace(wchar_t oldUnit, wchar_t newUnit) {
    int replaced = 0;
    for (wchar_t& c : m_text) {
        if (c == oldUnit) {
            c = newUnit;
            ++replaced;
        }
    }
    return replaced;
}

// A null old text replaces nothing.
int GString::Replace(const wchar_t* oldText, const wchar_t* newText) {
    if (oldText == nullptr || *oldText == 0) return 0;
    std::wstring oldPart = Units(oldText);
    std::wstring newPart = Units(newText);
    std::wstring result;
    std::size_t from = 0;
    int replaced = 0;
    for (;;) {
        std::size_t at = m_text.find(oldPart, from);
        if (at == std::wstring::npos) break;
        result.append(m_text, from, at - from);
        result.append(newPart);
        from = at + oldPart.size();
        ++replaced;
    }
    if (replaced > 0) {
        result.append(m_text, from, std::wstring::npos);
        if (result.size() > static_cast<std::size_t>(MaxLength)) ThrowTooLong();
        Assign(std::move(result));
    }
    return replaced;
}

int GString::Find(wchar_t unit) const {
    return Find(unit, 0);
}

int GString::Find(wchar_t unit, int start) const {
    if (start < 0) ThrowPosition();
    if (start >= GetLength()) return -1;
    std::size_t at = m_text.find(unit, static_cast<std::size_t>(start));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int GString::Find(const wchar_t* text) const {
    return Find(text, 0);
}

int GString::Find(const wchar_t* text, int start) const {
    if (text == nullptr || start < 0 || start > GetLength()) return -1;
    std::size_t at = m_text.find(text, static_cast<std::size_t>(start));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int GString::FindOneOf(const wchar_t* set) const {
    if (set == nullptr) return -1;
    for (std::size_t i = 0; i < m_text.size(); ++i)
        if (InSet(set, m_text[i])) return static_cast<int>(i);
    return -1;
}

int GString::ReverseFind(wchar_t unit) const {
    std::size_t at = m_text.rfind(unit);
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

GString GString::Left(int count) const {
    GString result;
    if (count < 0 || count > GetLength())
        result.m_text = m_text;
    else
        result.m_text = m_text.substr(0, static_cast<std::size_t>(count));
    return result;
}

GString GString::Mid(int first) const {
    return Mid(first, -1);
}

GString GString::Mid(int first, int count) const {
    if (first < 0 || first > GetLength()) ThrowPosition();
    GString result;
    std::size_t n = count < 0 ? std::wstring::npos : static_cast<std::size_t>(count);
    result.m_text = m_text.substr(static_cast<std::size_t>(first), n);
    return result;
}

GString GString::Right(int count) const {
    if (count < 0) ThrowPosition();
    GString result;
    if (count >= GetLength())
        result.m_text = m_text;
    else
        result.m_text = m_text.substr(m_text.size() - static_cast<std::size_t>(count));
    return result;
}

GString GString::SpanIncluding(const wchar_t* set) const {
    GString result;
    if (set == nullptr) return result;
    std::size_t n = 0;
    while (n < m_text.size() && InSet(set, m_text[n])) ++n;
    result.m_text = m_text.substr(0, n);
    return result;
}

GString GString::SpanExcluding(const wchar_t* set) const {
    GString result;
    if (set == nullptr) return result;
    std::size_t n = 0;
    while (n < m_text.size() && !InSet(set, m_text[n])) ++n;
    result.m_text = m_text.substr(0, n);
    return result;
}

int GString::Compare(const wchar_t* other) const {
    if (other == nullptr) return 1;
    try {
        return std::wcscmp(m_text.c_str(), other);
    } catch (...) {
        return 0;
    }
}

int GString::CompareNoCase(const wchar_t* other) const {
    if (other == nullptr) return 1;
    return _wcsicmp(m_text.c_str(), other);
}

int GString::Collate(const wchar_t* other) const {
    if (other == nullptr) return 1;
    return std::wcscoll(m_text.c_str(), other);
}

// The 8-bit case mapping is given only the units it is defined for (0 to
// 0xFF); units above stay as they are.
void GString::MakeUpper() {
    for (wchar_t& c : m_text)
        if (c <= 0xFF) c = static_cast<wchar_t>(std::toupper(c));
}

void GString::MakeLower() {
    for (wchar_t& c : m_text)
        if (c <= 0xFF) c = static_cast<wchar_t>(std::tolower(c));
}

void GString::MakeReverse() {
    for (std::size_t i = 0, j = m_text.size(); i + 1 < j; ++i, --j)
        std::swap(m_text[i], m_text[j - 1]);
}

void GString::TrimLeft() {
    std::size_t n = 0;
    while (n < m_text.size() && std::iswspace(m_text[n])) ++n;
    m_text.erase(0, n);
}

void GString::TrimLeft(wchar_t unit) {
    std::size_t n = 0;
    while (n < m_text.size() && m_text[n] == unit) ++n;
    m_text.erase(0, n);
}

void GString::TrimRight() {
    std::size_t n = m_text.size();
    while (n > 0 && std::iswspace(m_text[n - 1])) --n;
    m_text.resize(n);
}

void GString::TrimRight(wchar_t unit) {
    std::size_t n = m_text.size();
    while (n > 0 && m_text[n - 1] == unit) --n;
    m_text.resize(n);
}

// Formats with the system runtime's wide printf, under which %s takes a wide
// string. A format that the runtime rejects leaves the string empty.
void GString::Format(const wchar_t* format, ...) {
    if (format == nullptr) {
        m_text.clear();
        return;
    }
    va_list args;
    va_start(args, format);
    va_list counting;
    va_copy(counting, args);
    int n = _vscwprintf(format, counting);
    va_end(counting);
    if (n < 0) {
        va_end(args);
        m_text.clear();
        return;
    }
    if (n > MaxLength) {
        va_end(args);
        ThrowTooLong();
    }
    std::wstring block(static_cast<std::size_t>(n) + 1, L'\0');
    _vsnwprintf(&block[0], block.size(), format, args);
    va_end(args);
    block[static_cast<std::size_t>(n)] = 0;
    Assign(std::wstring(block.c_str()));
}

wchar_t* GString::AllocSysString(unsigned long) const {
    return ::SysAllocStringLen(m_text.c_str(), static_cast<UINT>(m_text.size()));
}

// A null pointer to a system string changes nothing and gives null.
wchar_t* GString::SetSysString(wchar_t** sysString, unsigned long) const {
    if (sysString == nullptr) return nullptr;
    ::SysReAllocStringLen(sysString, m_text.c_str(), static_cast<UINT>(m_text.size()));
    return *sysString;
}

int GString::GetEnvironmentVariableW(const wchar_t* name) {
    const DWORD firstSize = 4096;
    std::wstring buffer(firstSize, L'\0');
    DWORD reported = ::GetEnvironmentVariableW(name, &buffer[0], firstSize - 1);
    if (reported < firstSize) {
        buffer.resize(reported);
    } else {
        // The value did not fit: read again with room for twice its length.
        // Should it have grown in between, the units that fit are taken.
        std::wstring larger(2 * static_cast<std::size_t>(reported), L'\0');
        DWORD capacity = 2 * reported - 1;
        reported = ::GetEnvironmentVariableW(name, &larger[0], capacity);
        larger.resize(reported < capacity ? reported : 0);
        buffer.swap(larger);
    }
    Assign(std::wstring(buffer.c_str()));
    return reported != 0 ? 1 : 0;
}

// The block carries its unit count before the units, so that ReleaseBuffer
// never reads past its end. A negative size counts as 0.
wchar_t* GString::GetBuffer(int size) {
    FreeScratch();
    if (size < 0) size = 0;
    std::size_t units = static_cast<std::size_t>(size) + 1;
    void* block = std::calloc(1, sizeof(ScratchHeader) + units * sizeof(wchar_t));
    if (block == nullptr) throw std::bad_alloc();
    ScratchHeader* header = static_cast<ScratchHeader*>(block);
    header->units = units;
    m_scratch = ScratchUnits(header);
    std::size_t copied = static_cast<std::size_t>(size) < m_text.size() ? size : m_text.size();
    std::memcpy(m_scratch, m_text.data(), copied * sizeof(wchar_t));
    return m_scratch;
}

wchar_t* GString::GetBuffer() {
    return GetBuffer(GetLength());
}

// A count beyond the size asked of GetBuffer takes that size.
void GString::ReleaseBuffer(int count) {
    if (m_scratch == nullptr) return;
    try {
        std::size_t units = HeaderOf(m_scratch)->units;
        if (count < 0) {
            std::size_t n = 0;
            while (n < units && m_scratch[n] != 0) ++n;
            m_text.assign(m_scratch, n);
        } else {
            std::size_t n = static_cast<std::size_t>(count);
            m_text.assign(m_scratch, n < units - 1 ? n : units - 1);
        }
    } catch (...) {
    }
    FreeScratch();
}
