// GString: appending, inserting, deleting, replacing, finding, parts,
// comparison, case and trimming.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "tests/util/gstring_text.h"
#include "util/gstring.h"

namespace {

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

} // namespace
