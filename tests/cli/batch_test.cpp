// End-to-end tests of folders as inputs: which files, in which order, with
// and without -r, progress lines on a terminal only, and the summary.
#include <gtest/gtest.h>

#include "testkit/cli_support.h"

using namespace quillon_test;

namespace {

const std::string kReturn5("\x01\x05", 2);

// rooms/ holds three scripts with extensions in mixed case, two files that
// are not scripts, a folder whose name looks like a script, and a sub-folder.
void MakeRooms(const TempDir& dir) {
    WriteFile(dir / "rooms/c.scd", kReturn5);
    WriteFile(dir / "rooms/A.SCD", kReturn5);
    WriteFile(dir / "rooms/b.Scd", kReturn5);
    WriteFile(dir / "rooms/notes.txt", "not a script");
    WriteFile(dir / "rooms/x.c", "Sleep(1);\r\n");
    fs::create_directories(dir / "rooms/folder.scd");
    WriteFile(dir / "rooms/sub/d.SCD", kReturn5);
}

RunOptions In(const TempDir& dir, bool terminal = false) {
    return RunOptions{"", dir.path().string(), terminal};
}

TEST(CliBatch, FolderWithoutRecursion) {
    TempDir dir;
    MakeRooms(dir);
    const RunResult r = RunQuillon({"disassemble", "rooms"}, In(dir));
    EXPECT_EQ(r.status, 0);
    // No progress lines when standard error is not a terminal.
    EXPECT_EQ(r.err, "3 converted, 0 failed\n");
    EXPECT_EQ(ReadFile(dir / "rooms/A.c"), "int A(void) {\r\n\r\n\treturn 5;\r\n}");
    EXPECT_EQ(ReadFile(dir / "rooms/b.c"), "int b(void) {\r\n\r\n\treturn 5;\r\n}");
    EXPECT_EQ(ReadFile(dir / "rooms/c.c"), "int c(void) {\r\n\r\n\treturn 5;\r\n}");
    EXPECT_FALSE(fs::exists(dir / "rooms/sub/d.c"));
    EXPECT_FALSE(fs::exists(dir / "rooms/notes.c"));
    EXPECT_EQ(ReadFile(dir / "rooms/x.c"), "Sleep(1);\r\n"); // not an input: left alone
}

TEST(CliBatch, FolderWithRecursion) {
    TempDir dir;
    MakeRooms(dir);
    const RunResult r = RunQuillon({"disassemble", "-r", "rooms"}, In(dir));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "4 converted, 0 failed\n");
    EXPECT_EQ(ReadFile(dir / "rooms/sub/d.c"), "int d(void) {\r\n\r\n\treturn 5;\r\n}");
}

TEST(CliBatch, ProgressLinesOnATerminalInSortedOrder) {
    TempDir dir;
    MakeRooms(dir);
    const RunResult r = RunQuillon({"disassemble", "rooms", "-r"}, In(dir, true));
    EXPECT_EQ(r.status, 0);
    const std::vector<std::string> expected = {"[1/4] rooms/A.SCD", "[2/4] rooms/b.Scd",
                                               "[3/4] rooms/c.scd", "[4/4] rooms/sub/d.SCD",
                                               "4 converted, 0 failed"};
    EXPECT_EQ(Lines(r.err), expected);
    // Quiet: neither progress nor summary.
    const RunResult q = RunQuillon({"disassemble", "-q", "-r", "rooms"}, In(dir, true));
    EXPECT_EQ(q.status, 0);
    EXPECT_EQ(q.err, "");
}

TEST(CliBatch, CompileTakesTheSourcesOfAFolder) {
    TempDir dir;
    WriteFile(dir / "src/one.c", "return 1;\r\n");
    WriteFile(dir / "src/TWO.C", "return 2;\r\n");
    WriteFile(dir / "src/three.scd", "not compiled");
    WriteFile(dir / "src/deep/four.c", "return 4;\r\n");
    const RunResult r = RunQuillon({"compile", "src"}, In(dir, true));
    EXPECT_EQ(r.status, 0);
    const std::vector<std::string> expected = {"[1/2] src/TWO.C", "[2/2] src/one.c",
                                               "2 converted, 0 failed"};
    EXPECT_EQ(Lines(r.err), expected);
    EXPECT_EQ(ReadFile(dir / "src/one.scd"), std::string("\x01\x01", 2));
    EXPECT_EQ(ReadFile(dir / "src/TWO.scd"), std::string("\x01\x02", 2));
    EXPECT_EQ(ReadFile(dir / "src/three.scd"), "not compiled");
    EXPECT_FALSE(fs::exists(dir / "src/deep/four.scd"));
    ASSERT_EQ(RunQuillon({"compile", "-r", "src"}, In(dir)).status, 0);
    EXPECT_EQ(ReadFile(dir / "src/deep/four.scd"), std::string("\x01\x04", 2));
}

TEST(CliBatch, AFailureIsCountedAndTheRestConverted) {
    TempDir dir;
    MakeRooms(dir);
    // A folder where b's output should go: writing it fails.
    fs::create_directories(dir / "rooms/b.c");
    const RunResult r = RunQuillon({"disassemble", "rooms"}, In(dir));
    EXPECT_EQ(r.status, 1);
    const std::vector<std::string> lines = Lines(r.err);
    ASSERT_EQ(lines.size(), 3u) << r.err;
    EXPECT_EQ(lines[0], "Quillon: Disassemble() Fail!");
    EXPECT_EQ(lines[1].rfind("quillon: cannot write 'rooms/b.c': ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "2 converted, 1 failed");
    EXPECT_TRUE(fs::exists(dir / "rooms/A.c"));
    EXPECT_TRUE(fs::exists(dir / "rooms/c.c"));
}

TEST(CliBatch, FoldersAndFilesMixKeepTheirOrder) {
    TempDir dir;
    MakeRooms(dir);
    WriteFile(dir / "z.scd", kReturn5);
    const RunResult r =
        RunQuillon({"disassemble", "z.scd", "rooms/sub", "rooms/b.Scd"}, In(dir, true));
    EXPECT_EQ(r.status, 0);
    const std::vector<std::string> expected = {"[1/3] z.scd", "[2/3] rooms/sub/d.SCD",
                                               "[3/3] rooms/b.Scd", "3 converted, 0 failed"};
    EXPECT_EQ(Lines(r.err), expected);
}

TEST(CliBatch, AnEmptyFolderConvertsNothing) {
    TempDir dir;
    fs::create_directories(dir / "empty");
    const RunResult r = RunQuillon({"disassemble", "empty"}, In(dir));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "0 converted, 0 failed\n");
}

} // namespace
