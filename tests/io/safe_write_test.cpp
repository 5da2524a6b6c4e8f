// Writing a file whole or not at all.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>

#include "io/safe_write.h"
#include "testkit/cli_support.h"

using namespace quillon_test;

namespace {

// A failure at each step leaves the file as it was and no temporary file.
TEST(SafeWrite, FailuresLeaveTheFileAsItWas) {
    TempDir dir;
    const std::string path = dir.str("room.rdt");
    WriteFile(path, "original");
    std::string reason;
    // Writing: the file size limit stops the temporary file half-way.
    rlimit old{}, small{};
    getrlimit(RLIMIT_FSIZE, &old);
    small = {1000, old.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = quillon::WriteFileSafely(path, std::string(5000, 'x'), true, reason);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, handler);
    EXPECT_FALSE(written);
    EXPECT_NE(reason.find("cannot write '" + path + "'"), std::string::npos) << reason;
    // Renaming: a folder stands where the file should go.
    fs::create_directory(dir / "folder.rdt");
    EXPECT_FALSE(quillon::WriteFileSafely(dir.str("folder.rdt"), "new", false, reason));
    EXPECT_NE(reason.find("cannot replace"), std::string::npos) << reason;
    // Creating: a path below a regular file.
    EXPECT_FALSE(quillon::WriteFileSafely(dir.str("room.rdt/x"), "new", true, reason));
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"folder.rdt", "room.rdt"}));
    EXPECT_TRUE(fs::is_empty(dir / "folder.rdt"));
    EXPECT_EQ(ReadFile(path), "original");
}

// Pieces go to a temporary file: the file is replaced only at the end, an
// abandoned writer leaves nothing behind, and a device is written in place.
TEST(SafeWrite, StreamedPiecesReplaceTheFileOnlyAtTheEnd) {
    TempDir dir;
    const std::string path = dir.str("text.c");
    WriteFile(path, "old");
    std::string reason;
    {
        quillon::SafeFileWriter abandoned;
        ASSERT_TRUE(abandoned.Open(path, reason)) << reason;
        abandoned.Write("half");
    }
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"text.c"}));
    quillon::SafeFileWriter writer;
    ASSERT_TRUE(writer.Open(path, reason)) << reason;
    writer.Write("new ");
    writer.Write("text");
    ASSERT_TRUE(writer.Close(false, reason)) << reason;
    EXPECT_EQ(ReadFile(path), "old");
    ASSERT_TRUE(writer.Replace(reason)) << reason;
    EXPECT_EQ(ReadFile(path), "new text");
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"text.c"}));
    quillon::SafeFileWriter device;
    ASSERT_TRUE(device.Open("/dev/null", reason)) << reason;
    device.Write("x");
    EXPECT_TRUE(device.Close(false, reason) && device.Replace(reason)) << reason;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

} // namespace
