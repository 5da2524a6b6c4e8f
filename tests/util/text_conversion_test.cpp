// UTF-8 conversion, byte-order marks through files and streams, ReadLine and
// align.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/util/temp_folder.h"
#include "util/textfile.h"

namespace {

std::wstring Units(const wchar_t* text, std::size_t count) {
    return std::wstring(text, count);
}

class TextMarksFile : public ::testing::Test {
  protected:
    TempFolder folder;
};

TEST(TextConversion, UnicodeToUtf8) {
    char* utf8 = nullptr;
    EXPECT_EQ(UnicodeToUtf8(L"", utf8), 0);
    ASSERT_NE(utf8, nullptr);
    EXPECT_EQ(utf8[0], 0);
    ::operator delete(utf8);

    EXPECT_EQ(UnicodeToUtf8(L"a\u00E9\u20AC\xD83D\xDE00", utf8), 10);
    EXPECT_EQ(std::string(utf8, 11), std::string("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 11));
    ::operator delete(utf8);

    EXPECT_EQ(UnicodeToUtf8(nullptr, utf8), 0);
    EXPECT_EQ(utf8[0], 0);
    ::operator delete(utf8);
}

TEST(TextConversion, Utf8ToUnicode) {
    wchar_t* text = nullptr;
    char empty[] = "";
    EXPECT_EQ(Utf8ToUnicode(text, empty), 0);
    EXPECT_EQ(text[0], 0);
    ::operator delete(text);

    char mixed[] = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    EXPECT_EQ(Utf8ToUnicode(text, mixed), 5);
    EXPECT_EQ(Units(text, 6), std::wstring(L"a\u00E9\u20AC\xD83D\xDE00\0", 6));
    ::operator delete(text);

    EXPECT_EQ(Utf8ToUnicode(text, nullptr), 0);
    EXPECT_EQ(text[0], 0);
    ::operator delete(text);
}

// A file whose Read and Write work on memory.
class MemoryFile : public GFile {
  public:
    unsigned Read(void* buffer, unsigned count) override {
        std::size_t left = bytes.size() - position;
        std::size_t n = count < left ? count : left;
        std::memcpy(buffer, bytes.data() + position, n);
        position += n;
        return static_cast<unsigned>(n);
    }
    void Write(const void* buffer, unsigned count) override {
        bytes.append(static_cast<const char*>(buffer), count);
        ++writes;
    }
    std::string bytes;
    std::size_t position = 0;
    int writes = 0;
};

TEST(TextMarks, ThroughFileReadAndWrite) {
    MemoryFile f;
    WriteBOM(f);
    WriteUtf8(GString(L"h\u00E9"), f);
    EXPECT_EQ(f.bytes, "\xEF\xBB\xBFh\xC3\xA9");
    EXPECT_EQ(ReadBOM(f), 1);
    EXPECT_EQ(f.position, 3u);
    EXPECT_EQ(ReadBOM(f), 0); // "h" and the two bytes of the e: not the mark
    EXPECT_EQ(f.position, 6u);
    WriteUtf8(GString(L""), f);
    EXPECT_EQ(f.bytes.size(), 6u);

    MemoryFile shortFile;
    shortFile.bytes = "\xEF\xBB";
    EXPECT_EQ(ReadBOM(shortFile), 0);
    MemoryFile emptyFile;
    EXPECT_EQ(ReadBOM(emptyFile), 0);
}

TEST(TextMarks, WriteUtf8StopsAtFirstZero) {
    GString text(L"ab");
    text.Insert(1, L'\0');
    MemoryFile f;
    WriteUtf8(text, f);
    EXPECT_EQ(f.bytes, "a");
}

TEST(TextMarks, Bytes) {
    unsigned char bytes[4] = {1, 2, 3, 4};
    EXPECT_EQ(ReadBOM(bytes), 0);
    WriteBOM(bytes);
    EXPECT_EQ(bytes[0], 0xEF);
    EXPECT_EQ(bytes[1], 0xBB);
    EXPECT_EQ(bytes[2], 0xBF);
    EXPECT_EQ(bytes[3], 4);
    EXPECT_EQ(ReadBOM(bytes), 1);
    unsigned char almost[3] = {0xEF, 0xBB, 0xBE};
    EXPECT_EQ(ReadBOM(almost), 0);
    EXPECT_EQ(ReadBOM(static_cast<unsigned char*>(nullptr)), 0);
}

TEST_F(TextMarksFile, ThroughStreams) {
    std::wstring path = folder / L"s.txt";
    FILE* out = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(out, nullptr);
    WriteBOM(out);
    WriteUtf8(GString(L"\u20AC\n"), out);
    std::fclose(out);
    EXPECT_EQ(folder.Read(L"s.txt"), "\xEF\xBB\xBF\xE2\x82\xAC\n");

    FILE* in = _wfopen(path.c_str(), L"rb");
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(ReadBOM(in), 1);
    EXPECT_EQ(std::ftell(in), 3);
    EXPECT_EQ(ReadBOM(in), 0);
    EXPECT_EQ(std::ftell(in), 6);
    EXPECT_EQ(ReadBOM(in), 0); // one byte left
    std::fclose(in);
}

TEST_F(TextMarksFile, ThroughSystemFile) {
    std::wstring path = folder / L"g.txt";
    {
        GFile f(path.c_str(), 0x1000 | 1);
        WriteBOM(f);
        WriteUtf8(GString(L"x\u00FF"), f);
    }
    EXPECT_EQ(folder.Read(L"g.txt"), "\xEF\xBB\xBFx\xC3\xBF");
    GFile f(path.c_str(), 0);
    EXPECT_EQ(ReadBOM(f), 1);
    EXPECT_EQ(f.GetPosition(), 3u);
}

TEST(TextLines, ReadLine) {
    struct Case {
        const wchar_t* text;
        std::wstring line;
        int next;
    };
    const Case cases[] = {
        {L"ab\r\ncd", L"ab", 4}, {L"cd", L"cd", -1},
        {L"\r", L"", 1},         {L"a\nb\r", L"a\nb", 4},
        {L"", L"", -1},          {L"\r\n", L"", 2},
        {L"x\r\r\n", L"x", 2},   {L"tab\there\r\nrest", L"tab\there", 10},
    };
    for (const Case& c : cases) {
        GString line;
        std::vector<wchar_t> text(c.text, c.text + std::wcslen(c.text) + 1);
        EXPECT_EQ(ReadLine(text.data(), line), c.next) << std::wstring(c.text).size();
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(line)), c.line);
    }
    GString line(L"kept:");
    wchar_t text[] = L"more\r\nnext";
    EXPECT_EQ(ReadLine(text, line), 6);
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(line)), L"kept:more");
    EXPECT_EQ(ReadLine(text + 6, line), -1);
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(line)), L"kept:morenext");
    EXPECT_EQ(ReadLine(nullptr, line), -1);
}

TEST(Align, RoundsUp) {
    struct Case {
        int value;
        int step;
        int expected;
    };
    const Case cases[] = {
        {13, 8, 16}, {16, 8, 16}, {1, 8, 8},  {0, 8, 8},          {17, 8, 24}, {5, 1, 5},
        {7, 3, 9},   {9, 3, 9},   {-5, 4, 0}, {4096, 2048, 4096}, {7, 0, 7},
    };
    for (const Case& c : cases)
        EXPECT_EQ(align(c.value, c.step), c.expected) << c.value << " " << c.step;
}

} // namespace
