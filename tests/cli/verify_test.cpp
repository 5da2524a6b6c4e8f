// End-to-end tests of `quillon verify`: the round trip through the text.
#include <gtest/gtest.h>

#include "testkit/cli_support.h"

using namespace quillon_test;

namespace {

RunOptions In(const TempDir& dir) {
    return RunOptions{"", dir.path().string(), false};
}

TEST(CliVerify, IdenticalScripts) {
    TempDir dir;
    WriteFile(dir / "room100.scd", Example("room100.scd"));
    WriteFile(dir / "proto.scd", Example("proto_room.scd"));
    const RunResult r = RunQuillon({"verify", "room100.scd"}, In(dir));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "room100.scd: identical\n");
    EXPECT_EQ(r.err, "");
    const RunResult p = RunQuillon({"verify", "--dialect", "prototype", "proto.scd"}, In(dir));
    EXPECT_EQ(p.status, 0);
    EXPECT_EQ(p.out, "proto.scd: identical\n");
    // Nothing is written.
    EXPECT_FALSE(fs::exists(dir / "room100.c"));
    EXPECT_FALSE(fs::exists(dir / "proto.c"));
}

TEST(CliVerify, AnUnknownOpcodeIsLostOnTheWay) {
    TempDir dir;
    // Evt_next, an unknown 0x85 instruction of six bytes, Wsleep: the unknown
    // one becomes a comment, so the round trip writes 02 0B.
    WriteFile(dir / "x.scd", std::string("\x02\x85\x00\x00\x00\x00\x00\x0B", 8));
    const RunResult r = RunQuillon({"verify", "x.scd"}, In(dir));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "x.scd: differs at offset 0x00000001 (8 bytes, 2 after the round trip)\n"
                     "  original:   0x00000001  85 00 00 00 00 00  // unknown opcode (85) found "
                     "at 0x00000007\n"
                     "  round trip: 0x00000001  0B  Wsleep();\n"
                     "  source line 5: Wsleep();\n");
}

TEST(CliVerify, TheOffsetIsTheFirstDifferingByteInsideAnInstruction) {
    TempDir dir;
    // while(Ck(1, 2, 3)) { } closed by 0x10: compiling closes it with 08 00,
    // so the instruction at offset 8 differs in its first byte. Before it,
    // Sleep(30) whose offset 1 is not 0x0A: the second byte differs.
    WriteFile(dir / "w.scd", std::string("\x09\x00\x1E\x00", 4));
    const RunResult sleep = RunQuillon({"verify", "w.scd"}, In(dir));
    EXPECT_EQ(sleep.status, 1);
    EXPECT_EQ(sleep.out, "w.scd: differs at offset 0x00000001 (4 bytes, 4 after the round trip)\n"
                         "  original:   0x00000000  09 00 1E 00  Sleep(30);\n"
                         "  round trip: 0x00000000  09 0A 1E 00  Sleep(30);\n"
                         "  source line 3: Sleep(30);\n");

    WriteFile(dir / "w.scd", std::string("\x0F\x00\x00\x00\x21\x01\x02\x03\x10\x00", 10));
    const RunResult loop = RunQuillon({"verify", "w.scd"}, In(dir));
    EXPECT_EQ(loop.status, 1);
    EXPECT_EQ(loop.out, "w.scd: differs at offset 0x00000008 (10 bytes, 10 after the round trip)\n"
                        "  original:   0x00000008  10 00  }\n"
                        "  round trip: 0x00000008  08 00  }\n"
                        "  source line 4: }\n");
}

TEST(CliVerify, ARoundTripThatEndsEarly) {
    TempDir dir;
    WriteFile(dir / "x.scd", std::string("\x02\x85\x00\x00\x00\x00\x00", 7));
    const RunResult r = RunQuillon({"verify", "x.scd"}, In(dir));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "x.scd: differs at offset 0x00000001 (7 bytes, 1 after the round trip)\n"
                     "  original:   0x00000001  85 00 00 00 00 00  // unknown opcode (85) found "
                     "at 0x00000007\n"
                     "  round trip: ends at 0x00000001\n"
                     "  source line: none (the round trip ends before this offset)\n");
}

TEST(CliVerify, FoldersQuietAndFailures) {
    TempDir dir;
    WriteFile(dir / "s/a.scd", Example("room100.scd"));
    WriteFile(dir / "s/b.SCD", std::string("\x09\x00\x1E\x00", 4));
    WriteFile(dir / "s/sub/c.scd", Example("room100.scd"));
    const RunResult r = RunQuillon({"verify", "-r", "s", "missing.scd"}, In(dir));
    EXPECT_EQ(r.status, 1);
    const std::vector<std::string> out = Lines(r.out);
    ASSERT_EQ(out.size(), 6u) << r.out;
    EXPECT_EQ(out[0], "s/a.scd: identical");
    EXPECT_EQ(out[1], "s/b.SCD: differs at offset 0x00000001 (4 bytes, 4 after the round trip)");
    EXPECT_EQ(out[5], "s/sub/c.scd: identical");
    EXPECT_EQ(r.err, "quillon: cannot open 'missing.scd': No such file or directory\n"
                     "2 identical, 1 differ, 1 failed\n");

    const RunResult q = RunQuillon({"verify", "-q", "s"}, In(dir));
    EXPECT_EQ(q.status, 1);
    EXPECT_EQ(q.out.rfind("s/b.SCD: differs at offset 0x00000001", 0), 0u) << q.out;
    EXPECT_EQ(q.out.find("identical"), std::string::npos);
    EXPECT_EQ(q.err, "");

    fs::remove(dir / "s/b.SCD");
    const RunResult ok = RunQuillon({"verify", "-r", "s"}, In(dir));
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.out, "s/a.scd: identical\ns/sub/c.scd: identical\n");
    EXPECT_EQ(ok.err, "2 identical, 0 differ\n");
}

TEST(CliVerify, StandardInput) {
    TempDir dir;
    const RunResult r =
        RunQuillon({"verify", "-"}, RunOptions{Example("room100.scd"), dir.path().string(), false});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "<stdin>: identical\n");
}

} // namespace
