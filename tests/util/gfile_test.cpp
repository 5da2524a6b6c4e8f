// GFile: opening by flags, reading, writing, seeking, locking, the strings it
// keeps, duplication and the security attributes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/util/gstring_text.h"
#include "tests/util/temp_folder.h"
#include "util/gfile.h"

namespace {

const unsigned long long kSeekFailed = 0xFFFFFFFFull;

// Whether another handle can open the file with the given access and sharing.
bool CanOpen(const std::wstring& path, DWORD access, DWORD share) {
    HANDLE h = CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

class GFileTest : public ::testing::Test {
  protected:
    TempFolder folder;
};

TEST_F(GFileTest, OpeningMissingFileLeavesObjectClosed) {
    GFile f;
    EXPECT_EQ(f.Open((folder / L"missing.bin").c_str(), 0), 0);
    EXPECT_EQ(f.GetHandle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Text(f.GetFilePath()), L"");
    EXPECT_EQ(Text(f.GetFileName()), L"");
    EXPECT_EQ(f.GetLength(), 0u);
    GFile g((folder / L"missing.bin").c_str(), 0);
    EXPECT_EQ(g.GetHandle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(f.Open(nullptr, 0x1001), 0);
}

TEST_F(GFileTest, ClosedObjectResults) {
    GFile f;
    EXPECT_EQ(f.GetLength(), 0u);
    EXPECT_EQ(f.GetPosition(), 0xFFFFFFFFFFFFFFFFull);
    EXPECT_EQ(f.Seek(0, 0), kSeekFailed);
    EXPECT_EQ(f.SeekToEnd(), kSeekFailed);
    char buffer[4];
    EXPECT_EQ(f.Read(buffer, 4), 0u);
    EXPECT_EQ(f.Duplicate(), nullptr);
    BY_HANDLE_FILE_INFORMATION info;
    EXPECT_EQ(f.GetInformation(info), 0);
    EXPECT_EQ(f.SetEndOfFile(0), 0);
    EXPECT_EQ(static_cast<int>(f), -1);
    EXPECT_EQ(Text(f.GetFileTitleW()), L"");
}

TEST_F(GFileTest, CreateTruncatesAndNoTruncateKeeps) {
    std::wstring path = folder / L"data.bin";
    folder.Write(L"data.bin", "old content");
    {
        GFile f(path.c_str(), 0x1000 | 0x2000 | 1);
        ASSERT_NE(f.GetHandle(), INVALID_HANDLE_VALUE);
        EXPECT_EQ(f.GetLength(), 11u);
    }
    EXPECT_EQ(folder.Read(L"data.bin"), "old content");
    {
        GFile f(path.c_str(), 0x1000 | 1);
        ASSERT_NE(f.GetHandle(), INVALID_HANDLE_VALUE);
        EXPECT_EQ(f.GetLength(), 0u);
        f.Write("new", 3);
    }
    EXPECT_EQ(folder.Read(L"data.bin"), "new");
    {
        GFile f;
        ASSERT_EQ(f.Open((folder / L"fresh.bin").c_str(), 0x1000 | 0x2000 | 2), 1);
        f.Write("abc", 3);
    }
    EXPECT_EQ(folder.Read(L"fresh.bin"), "abc");
}

TEST_F(GFileTest, ReadWriteAndHugeVariants) {
    std::wstring path = folder / L"rw.bin";
    GFile f(path.c_str(), 0x1000 | 2 | 0x40);
    ASSERT_NE(f.GetHandle(), INVALID_HANDLE_VALUE);
    f.Write("hello ", 6);
    f.WriteHuge("world", 5);
    f.Write("ignored", 0);
    f.Flush();
    EXPECT_EQ(folder.Read(L"rw.bin"), "hello world");
    EXPECT_EQ(f.GetPosition(), 11u);
    f.SeekToBegin();
    char buffer[16] = {};
    EXPECT_EQ(f.Read(buffer, 5), 5u);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(f.ReadHuge(buffer, 16), 6u);
    EXPECT_EQ(std::string(buffer, 6), " world");
    EXPECT_EQ(f.Read(buffer, 16), 0u); // at the end
    EXPECT_EQ(f.Read(buffer, 0), 0u);
}

TEST_F(GFileTest, WriteOnlyFileCannotBeRead) {
    GFile f((folder / L"w.bin").c_str(), 0x1000 | 1);
    f.Write("abc", 3);
    f.SeekToBegin();
    char buffer[4];
    EXPECT_EQ(f.Read(buffer, 3), 0u);
}

TEST_F(GFileTest, NoAccessRightsOpensWithoutReading) {
    folder.Write(L"n.bin", "abc");
    GFile f((folder / L"n.bin").c_str(), 3);
    ASSERT_NE(f.GetHandle(), INVALID_HANDLE_VALUE);
    char buffer[4];
    EXPECT_EQ(f.Read(buffer, 3), 0u);
}

TEST_F(GFileTest, SeekOrigins) {
    folder.Write(L"s.bin", "0123456789");
    GFile f((folder / L"s.bin").c_str(), 0);
    ASSERT_NE(f.GetHandle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(f.Seek(4, 0), 4u);
    EXPECT_EQ(f.Seek(3, 1), 7u);
    EXPECT_EQ(f.Seek(static_cast<unsigned long long>(-2), 1), 5u);
    EXPECT_EQ(f.Seek(static_cast<unsigned long long>(-1), 2), 9u);
    EXPECT_EQ(f.Seek(0, 3), kSeekFailed);
    EXPECT_EQ(f.Seek(0, 99), kSeekFailed);
    EXPECT_EQ(f.GetPosition(), 9u);
    EXPECT_EQ(f.SeekToEnd(), 10u);
    EXPECT_EQ(f.GetPosition(), 10u);
    f.SeekToBegin();
    EXPECT_EQ(f.GetPosition(), 0u);
    // A move before the start fails and reports 0.
    EXPECT_EQ(f.Seek(static_cast<unsigned long long>(-5), 0), 0u);
}

TEST_F(GFileTest, SetLengthAndEndOfFile) {
    std::wstring path = folder / L"len.bin";
    GFile f(path.c_str(), 0x1000 | 2 | 0x40);
    f.Write("0123456789", 10);
    f.SetLength(4);
    EXPECT_EQ(f.GetLength(), 4u);
    EXPECT_EQ(folder.Read(L"len.bin"), "0123");
    EXPECT_EQ(f.SetEndOfFile(6), 1);
    EXPECT_EQ(f.GetLength(), 6u);
    EXPECT_EQ(f.GetPosition(), 6u);
    EXPECT_EQ(folder.Read(L"len.bin"), std::string("0123\0\0", 6));
    BY_HANDLE_FILE_INFORMATION info;
    ASSERT_EQ(f.GetInformation(info), 1);
    EXPECT_EQ(info.nFileSizeLow, 6u);
    EXPECT_EQ(info.nFileSizeHigh, 0u);
}

TEST_F(GFileTest, PathNameAndTitle) {
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.Path().c_str()));
    folder.Write(L"Title.Part.txt", "x");
    GFile f;
    ASSERT_EQ(f.Open(L"Title.Part.txt", 0), 1);
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(Text(f.GetFileName()), L"Title.Part.txt");
    EXPECT_EQ(f.GetFilePath().CompareNoCase((folder / L"Title.Part.txt").c_str()), 0)
        << Text(f.GetFilePath());
    EXPECT_EQ(Text(f.GetFileTitleW()), L"Title.Part.txt");
    f.SetFilePath(L"renamed.txt");
    EXPECT_EQ(Text(f.GetFileName()), L"renamed.txt");
    EXPECT_EQ(f.GetFilePath().CompareNoCase((folder / L"Title.Part.txt").c_str()), 0);
    EXPECT_EQ(Text(f.GetFileTitleW()), L"Title.Part.txt");
    f.Close();
    EXPECT_EQ(Text(f.GetFilePath()), L"");
    EXPECT_EQ(Text(f.GetFileName()), L"");
    EXPECT_EQ(Text(f.GetFileTitleW()), L"");
}

TEST_F(GFileTest, AbortClosesLikeClose) {
    folder.Write(L"a.bin", "abc");
    GFile f((folder / L"a.bin").c_str(), 0);
    HANDLE h = f.GetHandle();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    f.Abort();
    EXPECT_EQ(f.GetHandle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Text(f.GetFileName()), L"");
    DWORD flags;
    EXPECT_FALSE(GetHandleInformation(h, &flags));
}

TEST_F(GFileTest, SharingFlags) {
    std::wstring path = folder / L"share.bin";
    folder.Write(L"share.bin", "abc");
    struct Case {
        unsigned flags;
        bool othersRead;
        bool othersWrite;
    };
    const Case cases[] = {
        {0x00, false, false}, {0x10, false, false}, {0x20, true, false},
        {0x30, false, true},  {0x40, true, true},   {0x50, false, false},
    };
    for (const Case& c : cases) {
        GFile f(path.c_str(), c.flags);
        ASSERT_NE(f.GetHandle(), INVALID_HANDLE_VALUE) << c.flags;
        EXPECT_EQ(CanOpen(path, GENERIC_READ, kShareAll), c.othersRead) << c.flags;
        EXPECT_EQ(CanOpen(path, GENERIC_WRITE, kShareAll), c.othersWrite) << c.flags;
    }
    // Once the object is gone, the file is free again.
    EXPECT_TRUE(CanOpen(path, GENERIC_WRITE, 0));
}

TEST_F(GFileTest, SecurityAttributesWithNullDacl) {
    GFile f;
    SECURITY_ATTRIBUTES* attributes = f.GetSecurityAttributes();
    SECURITY_DESCRIPTOR* descriptor = f.GetSecurityDescriptor();
    ASSERT_NE(attributes, nullptr);
    ASSERT_NE(descriptor, nullptr);
    EXPECT_EQ(attributes->nLength, sizeof(SECURITY_ATTRIBUTES));
    EXPECT_EQ(attributes->lpSecurityDescriptor, descriptor);
    EXPECT_EQ(attributes->bInheritHandle, TRUE);
    BOOL present = FALSE, defaulted = TRUE;
    PACL dacl = reinterpret_cast<PACL>(1);
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
    EXPECT_TRUE(present);
    EXPECT_EQ(dacl, nullptr);
    SECURITY_DESCRIPTOR_CONTROL control;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
    EXPECT_EQ(revision, 1u);
}

TEST_F(GFileTest, InheritanceFollowsFlag) {
    folder.Write(L"i.bin", "abc");
    GFile f;
    ASSERT_EQ(f.Open((folder / L"i.bin").c_str(), 0x80), 1);
    EXPECT_EQ(f.GetSecurityAttributes()->bInheritHandle, FALSE);
    DWORD flags = 0;
    ASSERT_TRUE(GetHandleInformation(f.GetHandle(), &flags));
    EXPECT_EQ(flags & HANDLE_FLAG_INHERIT, 0u);
    ASSERT_EQ(f.Open((folder / L"i.bin").c_str(), 0), 1);
    EXPECT_EQ(f.GetSecurityAttributes()->bInheritHandle, TRUE);
    ASSERT_TRUE(GetHandleInformation(f.GetHandle(), &flags));
    EXPECT_NE(flags & HANDLE_FLAG_INHERIT, 0u);
}

TEST_F(GFileTest, DeleteOnClose) {
    std::wstring path = folder / L"temp.bin";
    GFile f(path.c_str(), 0x1000 | 2 | 0x40 | 0x100000);
    ASSERT_NE(f.GetHandle(), INVALID_HANDLE_VALUE);
    f.Write("x", 1);
    f.Close();
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(GFileTest, HandleConstructorDoesNotCloseOnDestruction) {
    folder.Write(L"h.bin", "abc");
    HANDLE h = CreateFileW((folder / L"h.bin").c_str(), GENERIC_READ, kShareAll, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    long long value = reinterpret_cast<std::intptr_t>(h);
    {
        // Only the low 32 bits count.
        GFile f(value | (0x12345678LL << 32));
        EXPECT_EQ(f.GetHandle(), h);
        EXPECT_EQ(static_cast<int>(f), static_cast<int>(value));
        EXPECT_EQ(f.GetLength(), 3u);
        EXPECT_EQ(Text(f.GetFilePath()), L"");
        EXPECT_EQ(Text(f.GetFileName()), L"");
    }
    DWORD flags;
    EXPECT_TRUE(GetHandleInformation(h, &flags));
    {
        GFile f(value);
        f.Close();
    }
    EXPECT_FALSE(GetHandleInformation(h, &flags));
}

TEST_F(GFileTest, OpenedObjectClosesOnDestruction) {
    std::wstring path = folder / L"d.bin";
    HANDLE h;
    {
        GFile f(path.c_str(), 0x1000 | 1);
        h = f.GetHandle();
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(CanOpen(path, GENERIC_READ, kShareAll));
    }
    DWORD flags;
    EXPECT_FALSE(GetHandleInformation(h, &flags));
    EXPECT_TRUE(CanOpen(path, GENERIC_READ, kShareAll));
}

TEST_F(GFileTest, Duplicate) {
    folder.Write(L"dup.bin", "0123456789");
    GFile f((folder / L"dup.bin").c_str(), 0x40);
    ASSERT_NE(f.GetHandle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Text(f.GetFileTitleW()), L"dup.bin");
    std::unique_ptr<GFile> copy(f.Duplicate());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->GetHandle(), f.GetHandle());
    EXPECT_EQ(Text(copy->GetFilePath()), Text(f.GetFilePath()));
    EXPECT_EQ(Text(copy->GetFileName()), Text(f.GetFileName()));
    EXPECT_EQ(Text(copy->GetFileTitleW()), L"dup.bin");
    DWORD flags = 0;
    ASSERT_TRUE(GetHandleInformation(copy->GetHandle(), &flags));
    EXPECT_EQ(flags & HANDLE_FLAG_INHERIT, 0u);
    // Both handles share one file pointer.
    f.Seek(4, 0);
    EXPECT_EQ(copy->GetPosition(), 4u);
    f.Close();
    char buffer[3];
    EXPECT_EQ(copy->Read(buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), "456");
    HANDLE h = copy->GetHandle();
    copy.reset(); // the copy closes on delete as the original did
    EXPECT_FALSE(GetHandleInformation(h, &flags));
}

TEST_F(GFileTest, LockAndUnlock) {
    std::wstring path = folder / L"lock.bin";
    folder.Write(L"lock.bin", "0123456789");
    GFile f(path.c_str(), 2 | 0x40);
    ASSERT_NE(f.GetHandle(), INVALID_HANDLE_VALUE);
    f.LockRange(2, 4);
    HANDLE other = CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    // Another handle cannot lock an overlapping range while it is locked.
    EXPECT_FALSE(LockFile(other, 5, 0, 2, 0));
    EXPECT_TRUE(LockFile(other, 6, 0, 2, 0));
    UnlockFile(other, 6, 0, 2, 0);
    f.UnlockRange(2, 4);
    EXPECT_TRUE(LockFile(other, 5, 0, 2, 0));
    UnlockFile(other, 5, 0, 2, 0);
    CloseHandle(other);
}

TEST_F(GFileTest, RenameAndRemove) {
    folder.Write(L"first.txt", "content");
    GFile::Rename((folder / L"first.txt").c_str(), (folder / L"second.txt").c_str());
    EXPECT_EQ(folder.Read(L"first.txt"), "<missing>");
    EXPECT_EQ(folder.Read(L"second.txt"), "content");
    GFile::Remove((folder / L"second.txt").c_str());
    EXPECT_EQ(folder.Read(L"second.txt"), "<missing>");
    GFile::Remove((folder / L"never.txt").c_str()); // gives no sign of failure
}

} // namespace
