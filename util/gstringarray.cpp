// GStringArray: array of GString values.
#include "util/gstringarray.h"

#include <stdexcept>
#include <utility>

namespace {

[[noreturn]] void ThrowSubscript() {
    throw std::out_of_range("invalid vector<T> subscript");
}

} // namespace

GStringArray::GStringArray() = default;

GStringArray::GStringArray(const GStringArray& other) : m_items(other.m_items) {}

GStringArray::~GStringArray() = default;

GStringArray& GStringArray::operator=(const GStringArray& other) {
    Copy(other);
    return *this;
}

// Checks that `added` more elements still fit.
void GStringArray::Grow(long long added) {
    if (added > 0 && static_cast<long long>(m_items.size()) + added > MaxCount)
        throw std::length_error("vector<T> too long");
}

int GStringArray::GetCount() const {
    return static_cast<int>(m_items.size());
}

int GStringArray::GetSize() const {
    return GetCount();
}

int GStringArray::GetUpperBound() const {
    return GetCount() - 1;
}

int GStringArray::Add(const GString& text) {
    GString copy(text); // the text may be one of this array's elements
    Grow(1);
    m_items.push_back(std::move(copy));
    return GetUpperBound();
}

int GStringArray::Add(const wchar_t* text) {
    return Add(GString(text));
}

// Appending an array to itself appends a copy of what it held before.
void GStringArray::Append(const GStringArray& other) {
    std::vector<GString> added(other.m_items.begin(), other.m_items.end());
    Grow(static_cast<long long>(added.size()));
    m_items.reserve(m_items.size() + added.size());
    for (GString& item : added) m_items.push_back(std::move(item));
}

// Copying an array into itself leaves it as it was.
void GStringArray::Copy(const GStringArray& other) {
    if (&other == this) return;
    std::vector<GString> items(other.m_items.begin(), other.m_items.end());
    m_items.swap(items);
}

GString& GStringArray::ElementAt(int index) {
    if (index < 0 || index >= GetCount()) ThrowSubscript();
    return m_items[static_cast<std::size_t>(index)];
}

GString& GStringArray::operator[](int index) {
    return ElementAt(index);
}

GString GStringArray::GetAt(int index) const {
    if (index < 0 || index >= GetCount()) return GString();
    return m_items[static_cast<std::size_t>(index)];
}

GString GStringArray::operator[](int index) const {
    return GetAt(index);
}

void GStringArray::SetAt(int index, const GString& text) {
    if (index < 0 || index >= GetCount()) return;
    m_items[static_cast<std::size_t>(index)] = text;
}

void GStringArray::SetAtGrow(int index, const GString& text) {
    if (index < 0) return;
    GString copy(text); // growing may move the element that text refers to
    if (index >= GetCount()) SetSize(index + 1);
    m_items[static_cast<std::size_t>(index)] = copy;
}

// A negative count changes nothing.
void GStringArray::SetSize(int count, int) {
    if (count < 0) return;
    Grow(count - static_cast<long long>(m_items.size()));
    m_items.resize(static_cast<std::size_t>(count));
}

void GStringArray::FreeExtra() {}

void GStringArray::InsertAt(int index, const GString& text, int count) {
    if (count <= 0) return;
    if (index < 0) ThrowSubscript();
    GString copy(text);
    Grow(count);
    std::size_t at = static_cast<std::size_t>(index);
    if (at > m_items.size()) at = m_items.size();
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(at),
                   static_cast<std::size_t>(count), copy);
}

void GStringArray::InsertAt(int index, GStringArray* other) {
    if (other == nullptr) return;
    if (index < 0 || index > GetCount()) ThrowSubscript();
    std::vector<GString> added(other->m_items.begin(), other->m_items.end());
    Grow(static_cast<long long>(added.size()));
    m_items.insert(m_items.begin() + index, std::make_move_iterator(added.begin()),
                   std::make_move_iterator(added.end()));
}

// A range that reaches past the end is cut there; a negative index throws.
void GStringArray::RemoveAt(int index, int count) {
    if (count <= 0 || index >= GetCount()) return;
    if (index < 0) ThrowSubscript();
    long long last = static_cast<long long>(index) + count;
    if (last > GetCount()) last = GetCount();
    m_items.erase(m_items.begin() + index, m_items.begin() + static_cast<std::ptrdiff_t>(last));
}

void GStringArray::RemoveAll() {
    m_items.clear();
}
