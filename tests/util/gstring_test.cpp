// GString: construction, editing, searching, parts, comparison, formatting,
// system strings, environment variables and the scratch buffer.
#include <gtest/gtest.h>

#include <windows.h>

#include <oleauto.h>

#include <climits>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "util/gstring.h"

namespace {

std::wstring Text(const GString& s) {
    return std::wstring(static_cast<const wchar_t*>(s), static_cast<std::size_t>(s.GetLength()));
}

// "a", 0, "c": a string with a 0 unit inside.
GString WithZeroInside() {
    GString s(L'a', 3);
    s.SetAt(1, 0);
    s.SetAt(2, L'c');
    return s;
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

TEST(GStringAppend, AllForms) {
    GString s(L"ab");
    s.Append(L"cd");
    s.Append(static_cast<const wchar_t*>(nullptr));
    s.Append(L'e', 3);
    s.Append(L'\0', 3);
    s.Append(L'f', 0);
    s.Append(L'f', -2);
    s.Append(GString(L"g"));
    EXPECT_EQ(Text(s), L"abcdeeeg");
    static_assert(std::is_same_v<decltype(s += L'h'), const GString&>);
    static_assert(std::is_same_v<decltype(s << L'h'), GString&>);
    s += L'h';
    s += GString(L"ij");
    s << L'k' << GString(L"lm");
    EXPECT_EQ(Text(s), L"abcdeeeghijklm");
}

TEST(GStringAppend, ItselfAndItsOwnUnits) {
    GString s(L"ab");
    s.Append(s);
    EXPECT_EQ(Text(s), L"abab");
    s.Append(static_cast<const wchar_t*>(s) + 1);
    EXPECT_EQ(Text(s), L"ababbab");
    s += s;
    EXPECT_EQ(Text(s), L"ababbabababbab");
}

TEST(GStringAppend, TooLongIsCaughtAndLeavesString) {
    GString s(L"abc");
    EXPECT_NO_THROW(s.Append(L'x', INT_MAX));
    EXPECT_EQ(Text(s), L"abc");
    EXPECT_NO_THROW(s += L'y');
    EXPECT_EQ(Text(s), L"abcy");
}

TEST(GStringInsert, Unit) {
    struct Case {
        int index;
        wchar_t unit;
        const wchar_t* expected;
    };
    const Case cases[] = {{-5, L'z', L"zab"},
                          {0, L'z', L"zab"},
                          {1, L'z', L"azb"},
                          {2, L'z', L"abz"},
                          {9, L'z', L"abz"}};
    for (const Case& c : cases) {
        GString s(L"ab");
        EXPECT_EQ(s.Insert(c.index, c.unit), 3) << c.index;
        EXPECT_EQ(Text(s), c.expected) << c.index;
    }
}

TEST(GStringInsert, ZeroUnitBeforeEndStaysInside) {
    GString s(L"ab");
    EXPECT_EQ(s.Insert(1, L'\0'), 3);
    EXPECT_EQ(s.GetAt(1), 0);
    EXPECT_EQ(s.GetAt(2), L'b');
    GString t(L"ab");
    EXPECT_EQ(t.Insert(2, L'\0'), 2);
}

TEST(GStringInsert, Text) {
    struct Case {
        int index;
        const wchar_t* text;
        const wchar_t* expected;
    };
    const Case cases[] = {{1, L"xy", L"axyb"},
                          {-3, L"xy", L"xyab"},
                          {10, L"xy", L"abxy"},
                          {1, L"", L"ab"},
                          {1, nullptr, L"ab"}};
    for (const Case& c : cases) {
        GString s(L"ab");
        int length = s.Insert(c.index, c.text);
        EXPECT_EQ(Text(s), c.expected) << c.index;
        EXPECT_EQ(length, s.GetLength());
    }
    GString s(L"ab");
    s.Insert(1, s);
    EXPECT_EQ(Text(s), L"aabb");
}

TEST(GStringDelete, RangesAreClampedToTheString) {
    struct Case {
        int index;
        int count;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {1, 2, L"adef"},
        {0, 6, L""},
        {4, 10, L"abcd"},
        {-2, 3, L"bcdef"},
        {10, 2, L"abcdef"},
        {2, 0, L"abcdef"},
        {2, -1, L"abcdef"},
        {-5, 100, L""},
        {5, INT_MAX, L"abcde"},
        {INT_MAX, INT_MAX, L"abcdef"},
        {INT_MIN, INT_MAX, L"abcdef"},
    };
    for (const Case& c : cases) {
        GString s(L"abcdef");
        EXPECT_EQ(s.Delete(c.index, c.count), static_cast<int>(std::wcslen(c.expected)))
            << c.index << " " << c.count;
        EXPECT_EQ(Text(s), c.expected) << c.index << " " << c.count;
    }
}

TEST(GStringRemoveReplace, Units) {
    GString s(L"banana");
    EXPECT_EQ(s.Remove(L'a'), 3);
    EXPECT_EQ(Text(s), L"bnn");
    EXPECT_EQ(s.Remove(L'q'), 0);
    GString t(L"banana");
    EXPECT_EQ(t.Replace(L'a', L'o'), 3);
    EXPECT_EQ(Text(t), L"bonono");
    EXPECT_EQ(t.Replace(L'q', L'o'), 0);
}

TEST(GStringRemoveReplace, Texts) {
    struct Case {
        const wchar_t* text;
        const wchar_t* oldText;
        const wchar_t* newText;
        const wchar_t* expected;
        int count;
    };
    const Case cases[] = {
        {L"aaaa", L"aa", L"b", L"bb", 2},
        {L"banana", L"a", nullptr, L"bnn", 3},
        {L"aaa", L"aa", L"b", L"ba", 1},
        {L"aXbXc", L"X", L"XX", L"aXXbXXc", 2},
        {L"abc", L"", L"x", L"abc", 0},
        {L"abc", nullptr, L"x", L"abc", 0},
        {L"abc", L"z", L"y", L"abc", 0},
        {L"abcabc", L"abc", L"", L"", 2},
        {L"one two", L"two", L"three", L"one three", 1},
    };
    for (const Case& c : cases) {
        GString s(c.text);
        EXPECT_EQ(s.Replace(c.oldText, c.newText), c.count) << c.text;
        EXPECT_EQ(Text(s), c.expected) << c.text;
    }
}

TEST(GStringFind, UnitFromStart) {
    const GString s(L"abcxdx");
    EXPECT_EQ(s.Find(L'x'), 3);
    EXPECT_EQ(s.Find(L'q'), -1);
    EXPECT_EQ(s.Find(L'x', 3), 3);
    EXPECT_EQ(s.Find(L'x', 4), 5);
    EXPECT_EQ(s.Find(L'x', 6), -1);
    EXPECT_EQ(s.Find(L'x', 60), -1);
    EXPECT_EQ(s.Find(L'a', 1), -1);
    EXPECT_EQ(MessageOf([&] { s.Find(L'x', -1); }), "invalid string position");
    EXPECT_EQ(GString().Find(L'x'), -1);
}

TEST(GStringFind, Text) {
    const GString s(L"abcxdx");
    EXPECT_EQ(s.Find(L"xd"), 3);
    EXPECT_EQ(s.Find(L""), 0);
    EXPECT_EQ(s.Find(static_cast<const wchar_t*>(nullptr)), -1);
    EXPECT_EQ(s.Find(L"x", 4), 5);
    EXPECT_EQ(s.Find(L"abc", 1), -1);
    EXPECT_EQ(s.Find(L"x", 7), -1);
    EXPECT_EQ(s.Find(L"x", -1), -1);
    EXPECT_EQ(s.Find(L"", 6), 6);
    EXPECT_EQ(s.Find(static_cast<const wchar_t*>(nullptr), 0), -1);
    EXPECT_EQ(s.Find(L"abcxdxy"), -1);
}

TEST(GStringFind, OneOfAndReverse) {
    const GString s(L"abcxdx");
    EXPECT_EQ(s.FindOneOf(L"dx"), 3);
    EXPECT_EQ(s.FindOneOf(L"qz"), -1);
    EXPECT_EQ(s.FindOneOf(L""), -1);
    EXPECT_EQ(s.FindOneOf(nullptr), -1);
    EXPECT_EQ(s.ReverseFind(L'x'), 5);
    EXPECT_EQ(s.ReverseFind(L'a'), 0);
    EXPECT_EQ(s.ReverseFind(L'q'), -1);
}

TEST(GStringParts, LeftMidRight) {
    const GString s(L"abcdef");
    EXPECT_EQ(Text(s.Left(2)), L"ab");
    EXPECT_EQ(Text(s.Left(0)), L"");
    EXPECT_EQ(Text(s.Left(10)), L"abcdef");
    EXPECT_EQ(Text(s.Left(-1)), L"abcdef");
    EXPECT_EQ(Text(s.Mid(2)), L"cdef");
    EXPECT_EQ(Text(s.Mid(0)), L"abcdef");
    EXPECT_EQ(Text(s.Mid(6)), L"");
    EXPECT_EQ(MessageOf([&] { s.Mid(7); }), "invalid string position");
    EXPECT_THROW(s.Mid(-1), std::out_of_range);
    EXPECT_EQ(Text(s.Mid(1, 3)), L"bcd");
    EXPECT_EQ(Text(s.Mid(4, 9)), L"ef");
    EXPECT_EQ(Text(s.Mid(2, -1)), L"cdef");
    EXPECT_EQ(Text(s.Mid(2, 0)), L"");
    EXPECT_THROW(s.Mid(7, 1), std::out_of_range);
    EXPECT_THROW(s.Mid(-1, 1), std::out_of_range);
    EXPECT_EQ(Text(s.Right(2)), L"ef");
    EXPECT_EQ(Text(s.Right(0)), L"");
    EXPECT_EQ(Text(s.Right(6)), L"abcdef");
    EXPECT_EQ(Text(s.Right(10)), L"abcdef");
    EXPECT_EQ(MessageOf([&] { s.Right(-1); }), "invalid string position");
    const GString abc(L"abc");
    EXPECT_EQ(Text(abc.Left(10)), L"abc");
    EXPECT_EQ(Text(abc.Right(10)), L"abc");
    EXPECT_EQ(Text(abc.Right(2)), L"bc");
}

TEST(GStringParts, Spans) {
    const GString s(L"aabxcd");
    EXPECT_EQ(Text(s.SpanIncluding(L"ab")), L"aab");
    EXPECT_EQ(Text(s.SpanIncluding(L"z")), L"");
    EXPECT_EQ(Text(s.SpanIncluding(L"abcdx")), L"aabxcd");
    EXPECT_EQ(Text(s.SpanIncluding(nullptr)), L"");
    EXPECT_EQ(Text(s.SpanExcluding(L"xc")), L"aab");
    EXPECT_EQ(Text(s.SpanExcluding(L"z")), L"aabxcd");
    EXPECT_EQ(Text(s.SpanExcluding(L"a")), L"");
    EXPECT_EQ(Text(s.SpanExcluding(nullptr)), L"");
    EXPECT_EQ(Text(GString().SpanExcluding(L"a")), L"");
}

TEST(GStringCompare, ThreeComparisons) {
    const GString s(L"abc");
    EXPECT_LT(s.Compare(L"abd"), 0);
    EXPECT_GT(s.Compare(L"abb"), 0);
    EXPECT_GT(s.Compare(L"ab"), 0);
    EXPECT_LT(s.Compare(L"abcd"), 0);
    EXPECT_EQ(s.Compare(L"abc"), 0);
    EXPECT_EQ(s.Compare(nullptr), 1);
    // Code-unit order: U+00E9 sorts after 'z', U+FF21 after U+00E9.
    EXPECT_GT(GString(L"\u00E9").Compare(L"z"), 0);
    EXPECT_LT(GString(L"\u00E9").Compare(L"\uFF21"), 0);
    EXPECT_NE(s.Compare(L"ABC"), 0);

    EXPECT_EQ(s.CompareNoCase(L"ABC"), 0);
    EXPECT_EQ(GString(L"MiXeD").CompareNoCase(L"mIxEd"), 0);
    EXPECT_LT(s.CompareNoCase(L"ABD"), 0);
    EXPECT_GT(s.CompareNoCase(L"AB"), 0);
    EXPECT_EQ(s.CompareNoCase(nullptr), 1);

    EXPECT_LT(s.Collate(L"abd"), 0);
    EXPECT_EQ(s.Collate(L"abc"), 0);
    EXPECT_GT(s.Collate(L"abb"), 0);
    EXPECT_EQ(s.Collate(nullptr), 1);
}

TEST(GStringCase, OnlyAsciiLettersChangeInDefaultLocale) {
    GString s(L"abcXYZ09\u00E9\u00C9\u0161-");
    s.MakeUpper();
    EXPECT_EQ(Text(s), L"ABCXYZ09\u00E9\u00C9\u0161-");
    s.MakeLower();
    EXPECT_EQ(Text(s), L"abcxyz09\u00E9\u00C9\u0161-");
    // Units above 0xFF whose low byte is a letter stay as they are.
    GString high(L"\u0161\u0141");
    high.MakeUpper();
    EXPECT_EQ(Text(high), L"\u0161\u0141");
    high.MakeLower();
    EXPECT_EQ(Text(high), L"\u0161\u0141");
}

TEST(GStringCase, Reverse) {
    GString s(L"abcd");
    s.MakeReverse();
    EXPECT_EQ(Text(s), L"dcba");
    GString odd(L"abc");
    odd.MakeReverse();
    EXPECT_EQ(Text(odd), L"cba");
    GString empty;
    empty.MakeReverse();
    EXPECT_EQ(Text(empty), L"");
}

TEST(GStringTrim, WhitespaceAndUnits) {
    GString s(L"a...");
    s.TrimRight(L'.');
    EXPECT_EQ(Text(s), L"a");
    GString spaces(L"    ");
    spaces.TrimLeft();
    EXPECT_EQ(Text(spaces), L"");
    GString mixed(L" \t\r\n ab c \t\n");
    mixed.TrimLeft();
    EXPECT_EQ(Text(mixed), L"ab c \t\n");
    mixed.TrimRight();
    EXPECT_EQ(Text(mixed), L"ab c");
    GString dots(L"..a.b..");
    dots.TrimLeft(L'.');
    EXPECT_EQ(Text(dots), L"a.b..");
    dots.TrimRight(L'x');
    EXPECT_EQ(Text(dots), L"a.b..");
    GString all(L"xxx");
    all.TrimRight(L'x');
    EXPECT_EQ(Text(all), L"");
}

TEST(GStringFormat, WidePrintfRules) {
    GString s(L"previous");
    s.Format(L"%s-%d-%04X-%c", L"ab", -42, 0xBE, L'z');
    EXPECT_EQ(Text(s), L"ab--42-00BE-z");
    s.Format(L"%08X|%5d|%-3s|", 0x1234ABCDu, 7, L"q");
    EXPECT_EQ(Text(s), L"1234ABCD|    7|q  |");
    s.Format(L"no arguments");
    EXPECT_EQ(Text(s), L"no arguments");
    s.Format(L"");
    EXPECT_EQ(Text(s), L"");
    std::wstring longText(5000, L'w');
    s.Format(L"<%s>", longText.c_str());
    EXPECT_EQ(s.GetLength(), 5002);
    EXPECT_EQ(s.GetAt(0), L'<');
    EXPECT_EQ(s.GetAt(5001), L'>');
}

TEST(GStringSystemString, AllocAndReallocate) {
    GString s(L"system");
    wchar_t* bstr = s.AllocSysString(0);
    ASSERT_NE(bstr, nullptr);
    EXPECT_EQ(SysStringLen(bstr), 6u);
    EXPECT_EQ(std::wstring(bstr), L"system");
    GString other(L"longer text");
    wchar_t* result = other.SetSysString(&bstr, 0);
    EXPECT_EQ(result, bstr);
    EXPECT_EQ(SysStringLen(bstr), 11u);
    EXPECT_EQ(std::wstring(bstr), L"longer text");
    SysFreeString(bstr);
    EXPECT_EQ(other.SetSysString(nullptr, 0), nullptr);
    wchar_t* empty = GString().AllocSysString(0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);
}

TEST(GStringEnvironment, ReadsVariables) {
    ASSERT_TRUE(SetEnvironmentVariableW(L"QUILLON_UTIL_TEST", L"value one"));
    GString s(L"previous");
    EXPECT_EQ(s.GetEnvironmentVariableW(L"QUILLON_UTIL_TEST"), 1);
    EXPECT_EQ(Text(s), L"value one");
    ASSERT_TRUE(SetEnvironmentVariableW(L"QUILLON_UTIL_TEST", nullptr));
    EXPECT_EQ(s.GetEnvironmentVariableW(L"QUILLON_UTIL_TEST"), 0);
    EXPECT_EQ(Text(s), L"");
}

TEST(GStringEnvironment, LongValuesAroundTheFirstBuffer) {
    for (int length : {4094, 4095, 4096, 5000, 12000}) {
        std::wstring value(static_cast<std::size_t>(length), L'v');
        value[0] = L'<';
        value.back() = L'>';
        ASSERT_TRUE(SetEnvironmentVariableW(L"QUILLON_UTIL_LONG", value.c_str()));
        GString s;
        EXPECT_EQ(s.GetEnvironmentVariableW(L"QUILLON_UTIL_LONG"), 1) << length;
        EXPECT_EQ(Text(s), value) << length;
    }
    SetEnvironmentVariableW(L"QUILLON_UTIL_LONG", nullptr);
}

TEST(GStringBuffer, GetAndRelease) {
    GString s(L"abc");
    wchar_t* buffer = s.GetBuffer(10);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(std::wstring(buffer), L"abc");
    EXPECT_EQ(buffer[3], 0);
    EXPECT_EQ(buffer[10], 0);
    buffer[0] = L'x';
    buffer[1] = L'y';
    buffer[2] = L'z';
    EXPECT_EQ(Text(s), L"abc"); // the buffer is a copy
    s.ReleaseBuffer(-1);
    EXPECT_EQ(Text(s), L"xyz");

    buffer = s.GetBuffer(10);
    s.ReleaseBuffer(2);
    EXPECT_EQ(Text(s), L"xy");
    s.ReleaseBuffer(-1); // no buffer any more: nothing happens
    EXPECT_EQ(Text(s), L"xy");
}

TEST(GStringBuffer, SizesAndCounts) {
    GString s(L"abcdef");
    wchar_t* buffer = s.GetBuffer(2);
    EXPECT_EQ(std::wstring(buffer), L"ab");
    s.ReleaseBuffer();
    EXPECT_EQ(Text(s), L"ab");

    buffer = s.GetBuffer();
    EXPECT_EQ(std::wstring(buffer), L"ab");
    buffer = s.GetBuffer(3); // frees the earlier one
    buffer[0] = L'a';
    buffer[1] = 0;
    buffer[2] = L'b';
    s.ReleaseBuffer(3);
    EXPECT_EQ(s.GetLength(), 3);
    EXPECT_EQ(s.GetAt(1), 0);
    EXPECT_EQ(s.GetAt(2), L'b');

    buffer = s.GetBuffer(3);
    s.ReleaseBuffer(1000); // never more than the buffer holds
    EXPECT_EQ(s.GetLength(), 3);

    GString t(L"abc");
    t.GetBuffer(0);
    t.ReleaseBuffer(-1);
    EXPECT_EQ(Text(t), L"");
    GString u(L"abc");
    EXPECT_EQ(std::wstring(u.GetBuffer(-4)), L"");
    u.ReleaseBuffer(5);
    EXPECT_EQ(Text(u), L"");
}

TEST(GStringBuffer, OtherOperationsLeaveBufferAlone) {
    GString s(L"abc");
    wchar_t* buffer = s.GetBuffer(5);
    s.Append(L"def");
    s = L"other";
    EXPECT_EQ(std::wstring(buffer), L"abc");
    buffer[0] = L'q';
    s.ReleaseBuffer(-1);
    EXPECT_EQ(Text(s), L"qbc");
}

} // namespace
