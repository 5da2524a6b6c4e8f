// Whole-file functions, UTF-8 conversion and marks, ReadLine, FileExists,
// CreateFileList, align and CBufferFile.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "tests/util/temp_folder.h"
#include "util/textfile.h"

// The test program's own allocation functions: they count how often one
// watched block is released, to show that shared buffers are freed once.
namespace {
void* g_watched = nullptr;
int g_watchedFrees = 0;
} // namespace

void* operator new(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
namespace {
void Release(void* p) {
    if (p != nullptr && p == g_watched) ++g_watchedFrees;
    std::free(p);
}
} // namespace
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}

namespace {

std::wstring Units(const wchar_t* text, std::size_t count) {
    return std::wstring(text, count);
}

// Whether a block was made by the plain allocation: releasing it counts.
struct Watch {
    explicit Watch(void* p) {
        g_watched = p;
        g_watchedFrees = 0;
    }
    ~Watch() { g_watched = nullptr; }
    int Frees() const { return g_watchedFrees; }
};

class TextFileTest : public ::testing::Test {
  protected:
    TempFolder folder;
};

TEST_F(TextFileTest, StoreFile) {
    unsigned char* bytes = reinterpret_cast<unsigned char*>(1);
    EXPECT_EQ(StoreFile((folder / L"missing").c_str(), bytes), 0);
    EXPECT_EQ(bytes, nullptr);

    folder.Write(L"ten.bin", std::string("0\r\n3\0"
                                         "5678\x1A",
                                         10));
    ASSERT_EQ(StoreFile((folder / L"ten.bin").c_str(), bytes), 10);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 10), std::string("0\r\n3\0"
                                                                           "5678\x1A",
                                                                           10));
    Watch watch(bytes);
    ::operator delete(bytes);
    EXPECT_EQ(watch.Frees(), 1);

    folder.Write(L"empty.bin", "");
    bytes = reinterpret_cast<unsigned char*>(1);
    EXPECT_EQ(StoreFile((folder / L"empty.bin").c_str(), bytes), 0);
    EXPECT_EQ(bytes, nullptr);
}

TEST_F(TextFileTest, StoreFileSharesWithWriters) {
    folder.Write(L"busy.bin", "abc");
    HANDLE writer = CreateFileW((folder / L"busy.bin").c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    unsigned char* bytes = nullptr;
    EXPECT_EQ(StoreFile((folder / L"busy.bin").c_str(), bytes), 3);
    ::operator delete(bytes);
    CloseHandle(writer);
}

TEST_F(TextFileTest, FlushFile) {
    unsigned char bytes[] = {'a', '\n', 'b', 0, 'c'};
    FlushFile((folder / L"out.bin").c_str(), bytes, 5);
    EXPECT_EQ(folder.Read(L"out.bin"), std::string("a\nb\0c", 5));
    FlushFile((folder / L"out.bin").c_str(), bytes, 2);
    EXPECT_EQ(folder.Read(L"out.bin"), "a\n");
    FlushFile((folder / L"out.bin").c_str(), bytes, 0);
    EXPECT_EQ(folder.Read(L"out.bin"), "");
    FlushFile((folder / L"no-such-folder\\out.bin").c_str(), bytes, 5);
    EXPECT_EQ(folder.Read(L"no-such-folder\\out.bin"), "<missing>");
}

TEST_F(TextFileTest, StoreAsciiTextWidensBytes) {
    folder.Write(L"latin.txt", std::string("a\xE9\r\n\0b", 6));
    wchar_t* text = nullptr;
    ASSERT_EQ(StoreAsciiText((folder / L"latin.txt").c_str(), text), 1);
    EXPECT_EQ(Units(text, 7), std::wstring(L"a\u00E9\r\n\0b\0", 7));
    EXPECT_EQ(std::wcslen(text), 4u);
    ::operator delete(text);

    folder.Write(L"empty.txt", "");
    ASSERT_EQ(StoreAsciiText((folder / L"empty.txt").c_str(), text), 1);
    EXPECT_EQ(text[0], 0);
    ::operator delete(text);

    wchar_t* untouched = reinterpret_cast<wchar_t*>(8);
    EXPECT_EQ(StoreAsciiText((folder / L"missing.txt").c_str(), untouched), 0);
    EXPECT_EQ(untouched, reinterpret_cast<wchar_t*>(8));
}

TEST_F(TextFileTest, TextIsNotReadFromFileThatCannotBeWritten) {
    folder.Write(L"locked.txt", "abc");
    // Another reader that lets nobody write.
    HANDLE reader = CreateFileW((folder / L"locked.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    wchar_t* text = nullptr;
    EXPECT_EQ(StoreAsciiText((folder / L"locked.txt").c_str(), text), 0);
    EXPECT_EQ(StoreUtf8Text((folder / L"locked.txt").c_str(), text), 0);
    EXPECT_EQ(text, nullptr);
    // Reading alone is still allowed.
    unsigned char* bytes = nullptr;
    EXPECT_EQ(StoreFile((folder / L"locked.txt").c_str(), bytes), 3);
    ::operator delete(bytes);
    CloseHandle(reader);
}

TEST_F(TextFileTest, StoreUtf8Text) {
    struct Case {
        std::string bytes;
        std::wstring expected;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBF\xC3\xA9", L"\u00E9"},
        {"\xC3\xA9", L"\u00C3\u00A9"},
        {"\xEF\xBB\xBF", L""},
        {"\xEF\xBB", L"\u00EF\u00BB"},
        {"ab", L"ab"},
        {"", L""},
        {"\xEF\xBB\xBF"
         "a\xE2\x82\xAC\r\n\xF0\x9F\x98\x80",
         L"a\u20AC\r\n\xD83D\xDE00"},
        {"\xBB\xEF\xBF"
         "x",
         L"\u00BB\u00EF\u00BFx"},
    };
    for (const Case& c : cases) {
        folder.Write(L"u.txt", c.bytes);
        wchar_t* text = nullptr;
        ASSERT_EQ(StoreUtf8Text((folder / L"u.txt").c_str(), text), 1);
        EXPECT_EQ(std::wstring(text), c.expected) << c.bytes;
        ::operator delete(text);
    }
    wchar_t* text = nullptr;
    EXPECT_EQ(StoreUtf8Text((folder / L"missing.txt").c_str(), text), 0);
    EXPECT_EQ(text, nullptr);
}

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

TEST_F(TextFileTest, MarksThroughStreams) {
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

TEST_F(TextFileTest, MarksThroughSystemFile) {
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

TEST_F(TextFileTest, FileExists) {
    folder.Write(L"here.txt", "x");
    EXPECT_EQ(FileExists((folder / L"here.txt").c_str()), 1);
    EXPECT_EQ(FileExists(folder.Path().c_str()), 1);
    EXPECT_EQ(FileExists((folder / L"gone.txt").c_str()), 0);
    EXPECT_EQ(FileExists(nullptr), 0);
}

TEST_F(TextFileTest, CreateFileListSkipsFolders) {
    folder.Write(L"a.scd", "1");
    folder.Write(L"b.scd", "2");
    folder.Write(L"d.txt", "3");
    ASSERT_TRUE(CreateDirectoryW((folder / L"c.scd").c_str(), nullptr));
    GStringArray list;
    list.Add(L"already");
    CreateFileList(folder.Path().c_str(), L"*.scd", list);
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(std::wstring(list.GetAt(0)), L"already");
    std::vector<std::wstring> names = {static_cast<const wchar_t*>(list.GetAt(1)),
                                       static_cast<const wchar_t*>(list.GetAt(2))};
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"a.scd", L"b.scd"}));

    CreateFileList(folder.Path().c_str(), L"*.none", list);
    CreateFileList((folder / L"missing").c_str(), L"*", list);
    EXPECT_EQ(list.GetCount(), 3);
    CreateFileList(folder.Path().c_str(), L"d.txt", list);
    ASSERT_EQ(list.GetCount(), 4);
    EXPECT_EQ(std::wstring(list.GetAt(3)), L"d.txt");
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

TEST_F(TextFileTest, BufferFileLoadsWholeFile) {
    folder.Write(L"b.bin", std::string("ab\0cd", 5));
    CBufferFile buffer((folder / L"b.bin").c_str());
    ASSERT_EQ(buffer.GetSize(), 5);
    ASSERT_NE(buffer.GetBuffer(), nullptr);
    EXPECT_EQ(std::string(static_cast<char*>(buffer.GetBuffer()), 5), std::string("ab\0cd", 5));

    folder.Write(L"c.bin", "xyz");
    EXPECT_EQ(buffer.StoreFile((folder / L"c.bin").c_str()), 3);
    EXPECT_EQ(std::string(static_cast<char*>(buffer.GetBuffer()), 3), "xyz");

    buffer.Reset();
    EXPECT_EQ(buffer.GetBuffer(), nullptr);
    EXPECT_EQ(buffer.GetSize(), 3);
}

TEST_F(TextFileTest, BufferFileEmptyOrMissing) {
    CBufferFile none;
    EXPECT_EQ(none.GetSize(), 0);
    EXPECT_EQ(none.GetBuffer(), nullptr);
    CBufferFile missing((folder / L"missing.bin").c_str());
    EXPECT_EQ(missing.GetSize(), 0);
    EXPECT_EQ(missing.GetBuffer(), nullptr);
    folder.Write(L"empty.bin", "");
    CBufferFile empty((folder / L"empty.bin").c_str());
    EXPECT_EQ(empty.GetSize(), 0);
    EXPECT_EQ(empty.GetBuffer(), nullptr);
    folder.Write(L"full.bin", "full");
    CBufferFile reloaded((folder / L"full.bin").c_str());
    EXPECT_EQ(reloaded.StoreFile((folder / L"missing.bin").c_str()), 0);
    EXPECT_EQ(reloaded.GetBuffer(), nullptr);
    EXPECT_EQ(reloaded.GetSize(), 0);
}

TEST_F(TextFileTest, BufferFileAssignmentSharesOneBufferFreedOnce) {
    folder.Write(L"shared.bin", "shared bytes");
    void* block;
    {
        CBufferFile target;
        {
            CBufferFile source((folder / L"shared.bin").c_str());
            block = source.GetBuffer();
            ASSERT_NE(block, nullptr);
            target = source;
            EXPECT_EQ(target.GetBuffer(), block);
            EXPECT_EQ(target.GetSize(), 12);
            CBufferFile copy(source);
            EXPECT_EQ(copy.GetBuffer(), block);
            target = target;
            EXPECT_EQ(target.GetBuffer(), block);
            Watch watch(block);
            source.Reset();
            copy.Reset();
            EXPECT_EQ(watch.Frees(), 0);
        }
        // The source is gone; the target still reads the bytes.
        EXPECT_EQ(std::string(static_cast<char*>(target.GetBuffer()), 12), "shared bytes");
        Watch watch(block);
        target.StoreFile((folder / L"missing.bin").c_str());
        EXPECT_EQ(watch.Frees(), 1);
    }
    {
        CBufferFile a((folder / L"shared.bin").c_str());
        Watch watch(a.GetBuffer());
        {
            CBufferFile b;
            b = a;
            CBufferFile c((folder / L"shared.bin").c_str());
            c = a; // c lets go of its own buffer and shares a's
        }
        EXPECT_EQ(watch.Frees(), 0);
        a.Reset();
        EXPECT_EQ(watch.Frees(), 1);
    }
}

} // namespace
