// Whole-file functions, FileExists, CreateFileList and CBufferFile.
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
