// GStringArray: an ordered, growable array of GString values.
//
// Counts and indexes are signed 32-bit integers. Growing past MaxCount
// elements throws std::length_error("vector<T> too long"). ElementAt, the
// non-const operator[], InsertAt and RemoveAt throw std::out_of_range("invalid
// vector<T> subscript") for an index they cannot use; GetAt and SetAt ignore a
// bad index.
#pragma once

#include <vector>

#include "util/export.h"
#include "util/gstring.h"

class QUILLON_UTIL_API GStringArray {
  public:
    static const int MaxCount = 0x7FFFFFFF;

    GStringArray();
    GStringArray(const GStringArray& other);
    ~GStringArray();
    GStringArray& operator=(const GStringArray& other);

    int GetCount() const;
    int GetSize() const;
    int GetUpperBound() const;

    int Add(const GString& text);
    int Add(const wchar_t* text);
    void Append(const GStringArray& other);
    void Copy(const GStringArray& other);

    GString& ElementAt(int index);
    GString& operator[](int index);
    GString GetAt(int index) const;
    GString operator[](int index) const;
    void SetAt(int index, const GString& text);
    void SetAtGrow(int index, const GString& text);
    void SetSize(int count, int growBy = -1);
    void FreeExtra();

    void InsertAt(int index, const GString& text, int count = 1);
    void InsertAt(int index, GStringArray* other);
    void RemoveAt(int index, int count = 1);
    void RemoveAll();

  private:
    void Grow(long long added);

    std::vector<GString> m_items;
};
