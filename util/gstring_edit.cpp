// GString: appending, inserting, removing, finding, parts, comparing and case.
#include <cctype>
#include <cstddef>
#include <cwchar>
#include <cwctype>
#include <string>
#include <utility>

#include "util/gstring.h"
#include "util/gstring_detail.h"

using namespace gstring_detail;

namespace {

bool InSet(const wchar_t* set, wchar_t unit) {
    return unit != 0 && std::wcschr(set, unit) != nullptr;
}

} // namespace

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
