// GString: formatting, system strings, environment variables and the scratch
// buffer.
#include <gtest/gtest.h>

#include <windows.h>

#include <oleauto.h>

#include <string>

#include "tests/util/gstring_text.h"
#include "util/gstring.h"

namespace {

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
