// GString: construction, assignment, copies, the four input types and access
// to units.
#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

#include "tests/util/gstring_text.h"
#include "util/gstring.h"

namespace {

// "a", 0, "c": a string with a 0 unit inside.
GString WithZeroInside() {
    GString s(L'a', 3);
    s.SetAt(1, 0);
    s.SetAt(2, L'c');
    return s;
}

TEST(GStringConstruct, EveryConstructorBuildsItsText) {
    EXPECT_EQ(Text(GString()), L"");
    EXPECT_EQ(Text(GString("abc")), L"abc");
    EXPECT_EQ(Text(GString(reinterpret_cast<const unsigned char*>("xy"))), L"xy");
    EXPECT_EQ(Text(GString(L"wide")), L"wide");
    EXPECT_EQ(Text(GString("abcdef", 3)), L"abc");
    EXPECT_EQ(Text(GString(L"abcdef", 4)), L"abcd");
    EXPECT_EQ(Text(GString(L'z', 4)), L"zzzz");
    EXPECT_EQ(Text(GString(L'z', 0)), L"");
    EXPECT_EQ(Text(GString(L'z', -3)), L"");
    EXPECT_EQ(Text(GString(static_cast<const char*>(nullptr))), L"");
    EXPECT_EQ(Text(GString(static_cast<const unsigned char*>(nullptr))), L"");
    EXPECT_EQ(Text(GString(static_cast<const wchar_t*>(nullptr))), L"");
}

TEST(GStringConstruct, BytesWidenWithoutCodePage) {
    GString s("\xE9\x80\xFF");
    ASSERT_EQ(s.GetLength(), 3);
    EXPECT_EQ(s.GetAt(0), 0x00E9);
    EXPECT_EQ(s.GetAt(1), 0x0080);
    EXPECT_EQ(s.GetAt(2), 0x00FF);
    GString u(reinterpret_cast<const unsigned char*>("\xE9"));
    EXPECT_EQ(u.GetAt(0), 0x00E9);
}

TEST(GStringConstruct, RepeatOfZeroUnitKeepsZeros) {
    GString s(L'\0', 3);
    EXPECT_EQ(s.GetLength(), 3);
    EXPECT_EQ(s.GetAt(1), 0);
}

TEST(GStringConstruct, CopiesStopAtFirstZeroUnit) {
    GString inner = WithZeroInside();
    ASSERT_EQ(inner.GetLength(), 3);
    EXPECT_EQ(Text(GString(inner)), L"a");
    GString assigned(L"long text");
    assigned = inner;
    EXPECT_EQ(Text(assigned), L"a");
    GString appended(L"x");
    appended.Append(inner);
    EXPECT_EQ(Text(appended), L"xa");
}

TEST(GStringConstruct, MovingKeepsWholeText) {
    GString moved(WithZeroInside());
    GString target(std::move(moved));
    EXPECT_EQ(target.GetLength(), 3);
    GString other;
    other = WithZeroInside();
    EXPECT_EQ(other.GetLength(), 3);
}

TEST(GStringConstruct, TooLongThrows) {
    EXPECT_EQ(MessageOf([] { GString s(L'x', INT_MAX); }), "string too long");
    EXPECT_THROW(GString(L'x', INT_MAX), std::length_error);
}

TEST(GStringAssign, EveryAssignmentReplacesText) {
    GString s(L"old");
    static_assert(std::is_same_v<decltype(s = L"x"), const GString&>);
    EXPECT_EQ(&(s = "narrow"), &s);
    EXPECT_EQ(Text(s), L"narrow");
    s = reinterpret_cast<const unsigned char*>("\xE9u");
    EXPECT_EQ(Text(s), L"\u00E9u");
    s = L"wide";
    EXPECT_EQ(Text(s), L"wide");
    s = L'q';
    EXPECT_EQ(Text(s), L"q");
    s = L'\0';
    EXPECT_EQ(s.GetLength(), 1);
    s = static_cast<const wchar_t*>(nullptr);
    EXPECT_EQ(Text(s), L"");
    s = static_cast<const char*>(nullptr);
    EXPECT_EQ(Text(s), L"");
}

TEST(GStringAssign, SelfAssignmentAndOwnTail) {
    GString s(L"abcdef");
    const GString& same = s;
    s = same;
    EXPECT_EQ(Text(s), L"abcdef");
    s = static_cast<const wchar_t*>(s) + 2;
    EXPECT_EQ(Text(s), L"cdef");
}

struct NarrowCopyCase {
    const char* text;
    int count;
    int position;
    const wchar_t* expected;
};

TEST(GStringCopy, NarrowTable) {
    const NarrowCopyCase cases[] = {
        {"abcdef", -1, 2, L"cdef"},  {"abcdef", -1, 0, L"abcdef"}, {"abc", -1, 3, L""},
        {"abc", -1, 9, L""},         {"abcdef", 2, 1, L"bc"},      {"abc", 2, 3, L""},
        {"abc", 0, 0, L""},          {"ab\0cd", 5, 0, L"abcd"},    {"\0xy", 3, 0, L"xy"},
        {"abc", 2, -1, L""},         {"abc", -1, -1, L""},         {nullptr, 3, 0, L""},
        {"\xE9z", 2, 0, L"\u00E9z"},
    };
    for (const NarrowCopyCase& c : cases) {
        GString s(L"previous");
        s.Copy(c.text, c.count, c.position);
        EXPECT_EQ(Text(s), c.expected)
            << (c.text ? c.text : "(null)") << " " << c.count << " " << c.position;
    }
}

struct WideCopyCase {
    const wchar_t* text;
    int count;
    int index;
    const wchar_t* expected;
};

TEST(GStringCopy, WideTable) {
    const WideCopyCase cases[] = {
        {L"abcdef", -1, 2, L"cdef"}, {L"abcdef", -1, 6, L""},    {L"abc", -1, 7, L""},
        {L"abcdef", 3, 1, L"bcd"},   {L"ab\0cd", 5, 0, L"abcd"}, {L"abc", 0, 0, L""},
        {L"abc", -2, 0, L""},        {nullptr, -1, 0, L""},      {L"abc", 2, -1, L""},
    };
    for (const WideCopyCase& c : cases) {
        GString s(L"previous");
        s.Copy(c.text, c.count, c.index);
        EXPECT_EQ(Text(s), c.expected) << c.count << " " << c.index;
    }
}

TEST(GStringSet, FourTypes) {
    GString s(L"keep");
    char bytes[] = "\xE9t\xE9";
    s.Set(bytes, GString::Bytes);
    EXPECT_EQ(Text(s), L"\u00E9t\u00E9");

    char utf8[] = "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    s.Set(utf8, GString::Utf8);
    EXPECT_EQ(Text(s), L"\u00E9\u20AC\xD83D\xDE00");

    wchar_t wide[] = L"plain";
    s.Set(wide, GString::Utf16);
    EXPECT_EQ(Text(s), L"plain");

    unsigned char swapped[] = {0x00, 0x41, 0x20, 0xAC, 0x01, 0x00, 0x00, 0x00};
    s.Set(swapped, GString::Utf16Swapped);
    EXPECT_EQ(Text(s), L"A\u20AC\u0100");

    s.Set(wide, static_cast<GString::GStringType>(4));
    EXPECT_EQ(Text(s), L"A\u20AC\u0100");
    s.Set(wide, static_cast<GString::GStringType>(-1));
    EXPECT_EQ(Text(s), L"A\u20AC\u0100");
}

TEST(GStringSet, NullGivesEmptyForEveryType) {
    for (int type = 0; type <= 3; ++type) {
        GString s(L"full");
        s.Set(nullptr, static_cast<GString::GStringType>(type));
        EXPECT_EQ(Text(s), L"") << type;
    }
}

TEST(GStringSize, LengthAndEmpty) {
    GString s(L"abc");
    EXPECT_EQ(s.GetLength(), 3);
    EXPECT_EQ(s.GetSize(), 3);
    EXPECT_EQ(s.IsEmpty(), 0);
    s.Empty();
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_EQ(s.IsEmpty(), 1);
    EXPECT_EQ(static_cast<const wchar_t*>(s)[0], 0);
}

TEST(GStringUnits, GetAtAndIndexOperator) {
    const GString s(L"abc");
    EXPECT_EQ(s.GetAt(0), L'a');
    EXPECT_EQ(s[2], L'c');
    EXPECT_EQ(s.GetAt(3), 0);
    EXPECT_EQ(s[50], 0);
    EXPECT_EQ(MessageOf([&] { s.GetAt(-1); }), "invalid string position");
    EXPECT_THROW(s[-1], std::out_of_range);
}

TEST(GStringUnits, SetAt) {
    GString s(L"abc");
    s.SetAt(1, L'X');
    EXPECT_EQ(Text(s), L"aXc");
    s.SetAt(3, L'Y');
    s.SetAt(100, L'Y');
    EXPECT_EQ(Text(s), L"aXc");
    EXPECT_THROW(s.SetAt(-1, L'Y'), std::out_of_range);
    EXPECT_EQ(Text(s), L"aXc");
}

TEST(GStringUnits, SetLength) {
    GString s(L"ab");
    s.SetLength(5);
    EXPECT_EQ(Text(s), L"ab   ");
    s.SetLength(1);
    EXPECT_EQ(Text(s), L"a");
    s.SetLength(-4);
    EXPECT_EQ(Text(s), L"");
    EXPECT_EQ(MessageOf([&] { s.SetLength(INT_MAX); }), "string too long");
}

} // namespace
