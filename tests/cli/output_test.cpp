// End-to-end tests of where results go: standard input, --stdout and -o.
#include <gtest/gtest.h>

#include "testkit/cli_support.h"

using namespace quillon_test;

namespace {

const std::string kReturn5("\x01\x05", 2);

RunOptions Stdin(const std::string& input, const TempDir& dir) {
    return RunOptions{input, dir.path().string(), false};
}

TEST(CliOutput, StandardInputToStandardOutput) {
    TempDir dir;
    const RunResult d = RunQuillon({"disassemble", "-"}, Stdin(kReturn5, dir));
    EXPECT_EQ(d.status, 0);
    EXPECT_EQ(d.err, "");
    EXPECT_EQ(d.out, "int stdin(void) {\r\n\r\n\treturn 5;\r\n}");
    EXPECT_TRUE(fs::is_empty(dir.path())); // nothing written beside anything

    const RunResult c = RunQuillon({"compile", "-"}, Stdin(d.out, dir));
    EXPECT_EQ(c.status, 0);
    EXPECT_EQ(c.out, kReturn5);
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(CliOutput, StandardInputRoundTripOfAnExample) {
    TempDir dir;
    const std::string scd = Example("room100.scd");
    const RunResult d = RunQuillon({"disassemble", "-"}, Stdin(scd, dir));
    ASSERT_EQ(d.status, 0);
    EXPECT_EQ(d.out.rfind("int stdin(void) {\r\n\r\n", 0), 0u);
    const RunResult c = RunQuillon({"compile", "-"}, Stdin(d.out, dir));
    ASSERT_EQ(c.status, 0);
    EXPECT_EQ(c.out, scd);
}

TEST(CliOutput, StandardInputToAFile) {
    TempDir dir;
    const RunResult r = RunQuillon({"disassemble", "-", "-o", "out.txt"}, Stdin(kReturn5, dir));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadFile(dir / "out.txt"), "int stdin(void) {\r\n\r\n\treturn 5;\r\n}");
}

TEST(CliOutput, StdoutInsteadOfBesideTheInput) {
    TempDir dir;
    WriteFile(dir / "room100.scd", Example("room100.scd"));
    const RunResult r = RunQuillon({"disassemble", "--stdout", "room100.scd"}, Stdin("", dir));
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(fs::exists(dir / "room100.c"));
    // The same text as the file beside it would hold.
    ASSERT_EQ(RunQuillon({"disassemble", "room100.scd"}, Stdin("", dir)).status, 0);
    EXPECT_EQ(r.out, ReadFile(dir / "room100.c"));

    fs::remove(dir / "room100.scd");
    const RunResult c = RunQuillon({"compile", "room100.c", "--stdout"}, Stdin("", dir));
    EXPECT_EQ(c.status, 0);
    EXPECT_EQ(c.out, Example("room100.scd"));
    EXPECT_FALSE(fs::exists(dir / "room100.scd"));
}

TEST(CliOutput, OutputPathForOneInput) {
    TempDir dir;
    WriteFile(dir / "in/room100.scd", Example("room100.scd"));
    const RunResult r =
        RunQuillon({"disassemble", "-o", "out/text.c", "in/room100.scd"}, Stdin("", dir));
    // The folder of -o must exist: the failure names the file.
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("Quillon: Disassemble() Fail!\nquillon: cannot write 'out/text.c': ", 0),
              0u)
        << r.err;
    fs::create_directories(dir / "out");
    const RunResult ok =
        RunQuillon({"disassemble", "in/room100.scd", "--output", "out/text.c"}, Stdin("", dir));
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_FALSE(fs::exists(dir / "in/room100.c"));
    const std::string text = ReadFile(dir / "out/text.c");
    // The function is named after the input, not after the output.
    EXPECT_EQ(text.rfind("int room100(void) {\r\n", 0), 0u);

    const RunResult c = RunQuillon({"compile", "out/text.c", "-o", "back.bin"}, Stdin("", dir));
    EXPECT_EQ(c.status, 0);
    EXPECT_EQ(ReadFile(dir / "back.bin"), Example("room100.scd"));
    EXPECT_FALSE(fs::exists(dir / "out/text.scd"));
}

TEST(CliOutput, OutputDashIsStandardOutput) {
    TempDir dir;
    WriteFile(dir / "r.scd", kReturn5);
    const RunResult r = RunQuillon({"disassemble", "r.scd", "-o", "-"}, Stdin("", dir));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "int r(void) {\r\n\r\n\treturn 5;\r\n}");
    EXPECT_FALSE(fs::exists(dir / "r.c"));
    EXPECT_FALSE(fs::exists(dir / "-"));
}

TEST(CliOutput, OutputOntoTheInputIsRefused) {
    TempDir dir;
    WriteFile(dir / "r.scd", kReturn5);
    const RunResult r = RunQuillon({"disassemble", "r.scd", "-o", "./r.scd"}, Stdin("", dir));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Quillon: Disassemble() Fail!\nquillon: 'r.scd' would be overwritten by its "
                     "own output\n");
    EXPECT_EQ(ReadFile(dir / "r.scd"), kReturn5);
}

TEST(CliOutput, OutputPathNeedsOneFileNotAFolder) {
    TempDir dir;
    WriteFile(dir / "rooms/r.scd", kReturn5);
    const RunResult r = RunQuillon({"disassemble", "rooms", "-o", "x.c"}, Stdin("", dir));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "quillon: '-o' takes one input file, not a folder\n");
    EXPECT_FALSE(fs::exists(dir / "x.c"));
    EXPECT_FALSE(fs::exists(dir / "rooms/r.c"));
}

TEST(CliOutput, SeveralFilesToStandardOutputFollowEachOther) {
    TempDir dir;
    WriteFile(dir / "a.c", "return 1;\r\n");
    WriteFile(dir / "b.c", "return 2;\r\n");
    const RunResult r = RunQuillon({"compile", "--stdout", "a.c", "b.c"}, Stdin("", dir));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("\x01\x01\x01\x02", 4));
    EXPECT_EQ(r.err, "2 converted, 0 failed\n");
}

TEST(CliOutput, BinaryBytesPassThroughStandardStreams) {
    TempDir dir;
    // Every byte value, framed as the table frames it.
    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
    const RunResult viaStdin = RunQuillon({"disassemble", "-", "--no-indent"}, Stdin(all, dir));
    WriteFile(dir / "stdin.scd", all);
    const RunResult viaFile =
        RunQuillon({"disassemble", "--no-indent", "stdin.scd"}, Stdin("", dir));
    EXPECT_EQ(viaStdin.status, 0);
    EXPECT_EQ(viaFile.status, 0);
    EXPECT_EQ(viaStdin.out, ReadFile(dir / "stdin.c"));
}

} // namespace
