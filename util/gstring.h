// GString: a wide-character (UTF-16) string with named operations.
//
// Lengths and indexes count UTF-16 code units and are signed 32-bit integers.
// Text taken from another GString or from a pointer is read up to its first 0
// unit. Out-of-range positions throw std::out_of_range("invalid string
// position"); growing past MaxLength units throws std::length_error("string
// too long").
#pragma once

#include <string>

#include "util/export.h"

class QUILLON_UTIL_API GString {
  public:
    // Input kinds for Set.
    enum GStringType {
        Bytes = 0,        // 8-bit text, each byte widened to the unit of the same value
        Utf8 = 1,         // UTF-8, converted
        Utf16 = 2,        // UTF-16 in the machine's (little-endian) order
        Utf16Swapped = 3, // UTF-16 with the two bytes of each unit swapped
    };

    // The longest text a string may hold: its length and its terminator must
    // be countable in an int.
    static const int MaxLength = 0x7FFFFFFE;

    GString();
    GString(const GString& other);
    // Moving keeps the whole text (the string array moves its elements when it
    // grows); copying stops at the first 0 unit.
    GString(GString&& other) noexcept;
    GString(const char* text);
    GString(const unsigned char* text);
    GString(const char* text, int count);
    GString(const wchar_t* text);
    GString(const wchar_t* text, int count);
    GString(wchar_t unit, int repeat);
    ~GString();

    const GString& operator=(const GString& other);
    GString& operator=(GString&& other) noexcept;
    const GString& operator=(const char* text);
    const GString& operator=(const unsigned char* text);
    const GString& operator=(const wchar_t* text);
    const GString& operator=(wchar_t unit);

    void Copy(const char* text, int count, int position);
    void Copy(const wchar_t* text, int count, int index);
    void Set(void* data, GStringType type);
    void Empty();

    int GetLength() const;
    int GetSize() const;
    int IsEmpty() const;
    wchar_t GetAt(int index) const;
    wchar_t operator[](int index) const;
    void SetAt(int index, wchar_t unit);
    void SetLength(int length);
    operator const wchar_t*() const;

    void Append(const wchar_t* text);
    void Append(wchar_t unit, int count);
    void Append(const GString& other);
    const GString& operator+=(const GString& other);
    const GString& operator+=(wchar_t unit);
    GString& operator<<(const GString& other);
    GString& operator<<(wchar_t unit);
    int Insert(int index, wchar_t unit);
    int Insert(int index, const wchar_t* text);
    int Delete(int index, int count);
    int Remove(wchar_t unit);
    int Replace(wchar_t oldUnit, wchar_t newUnit);
    int Replace(const wchar_t* oldText, const wchar_t* newText);

    int Find(wchar_t unit) const;
    int Find(wchar_t unit, int start) const;
    int Find(const wchar_t* text) const;
    int Find(const wchar_t* text, int start) const;
    int FindOneOf(const wchar_t* set) const;
    int ReverseFind(wchar_t unit) const;

    GString Left(int count) const;
    GString Mid(int first) const;
    GString Mid(int first, int count) const;
    GString Right(int count) const;
    GString SpanIncluding(const wchar_t* set) const;
    GString SpanExcluding(const wchar_t* set) const;

    int Compare(const wchar_t* other) const;
    int CompareNoCase(const wchar_t* other) const;
    int Collate(const wchar_t* other) const;

    void MakeUpper();
    void MakeLower();
    void MakeReverse();
    void TrimLeft();
    void TrimLeft(wchar_t unit);
    void TrimRight();
    void TrimRight(wchar_t unit);

    void Format(const wchar_t* format, ...);
    wchar_t* AllocSysString(unsigned long reserved) const;
    wchar_t* SetSysString(wchar_t** sysString, unsigned long reserved) const;
    int GetEnvironmentVariableW(const wchar_t* name);

    wchar_t* GetBuffer(int size);
    wchar_t* GetBuffer();
    void ReleaseBuffer(int count = -1);

  private:
    void Assign(std::wstring&& text);
    void FreeScratch();

    std::wstring m_text;
    // The scratch block handed out by GetBuffer, or null. Its unit count is
    // kept just before the units (see GetBuffer).
    wchar_t* m_scratch = nullptr;
};
