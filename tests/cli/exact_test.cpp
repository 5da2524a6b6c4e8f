// End-to-end tests of exact mode in the command-line tool.
#include <gtest/gtest.h>

#include "testkit/cli_support.h"

using namespace quillon_test;

namespace {

RunOptions In(const TempDir& dir, std::string input = "") {
    return RunOptions{std::move(input), dir.path().string(), false};
}

TEST(CliExact, ExampleRoundTripsAndExactTextsAreNeverCompiledClassically) {
    TempDir dir;
    WriteFile(dir / "room.scd", Example("exact_room.scd"));
    RunResult r = RunQuillon({"disassemble", "--exact", "room.scd"}, In(dir));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(dir / "room.c"), Example("exact_room.c"));
    fs::remove(dir / "room.scd");
    r = RunQuillon({"compile", "--exact", "room.c"}, In(dir));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(dir / "room.scd"), Example("exact_room.scd"));

    // The texts of earlier versions, with numbers where names now stand,
    // conditions on lines of their own and unsplit fields, still compile.
    WriteFile(dir / "earlier.c",
              ReadFile(fs::path(QUILLON_SOURCE_DIR) / "tests" / "data" / "exact_room_numbers.c"));
    r = RunQuillon({"compile", "--exact", "earlier.c"}, In(dir));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(dir / "earlier.scd"), Example("exact_room.scd"));

    // Without --exact the first line decides, and says so.
    fs::remove(dir / "room.scd");
    r = RunQuillon({"compile", "room.c"}, In(dir));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "quillon: room.c: the text is exact (its first line says so); compiling it "
                     "in exact mode\n");
    EXPECT_EQ(ReadFile(dir / "room.scd"), Example("exact_room.scd"));
    // On standard input it is refused.
    r = RunQuillon({"compile", "-"}, In(dir, Example("exact_room.c")));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("'<stdin>' is an exact text: compile it with --exact"), std::string::npos)
        << r.err;
    EXPECT_EQ(r.out, "");
    // With --exact it compiles, read as a stream, to standard output.
    r = RunQuillon({"compile", "--exact", "-"}, In(dir, Example("exact_room.c")));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Example("exact_room.scd"));

    r = RunQuillon({"verify", "--exact", "room.scd"}, In(dir));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "room.scd: identical\n");
}

TEST(CliExact, ErrorsAndRefusalsWriteNothing) {
    TempDir dir;
    std::string text = Example("exact_room.c");
    text.replace(text.find("Evt_next();"), 11, "Evt_nxt();");
    WriteFile(dir / "bad.c", text);
    WriteFile(dir / "bad.scd", "old");
    RunResult r = RunQuillon({"compile", "--exact", "bad.c"}, In(dir));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "bad.c:39:3: error: unknown instruction or function 'Evt_nxt'; did you "
                     "mean 'Evt_next'?\n"
                     "quillon: bad.c: 1 error; nothing written\n");
    EXPECT_EQ(ReadFile(dir / "bad.scd"), "old");

    // The classic example is no chunk: read as a table, its offsets descend.
    WriteFile(dir / "room100.scd", Example("room100.scd"));
    r = RunQuillon({"disassemble", "--exact", "room100.scd"}, In(dir));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quillon: room100.scd: not a script chunk: procedure 1 starts at 0x0005, "
                     "before procedure 0 (0x0104); convert it without --exact\n");
    EXPECT_FALSE(fs::exists(dir / "room100.c"));
    r = RunQuillon({"verify", "--exact", "room100.scd"}, In(dir));
    EXPECT_EQ(r.status, 1);

    r = RunQuillon({"disassemble", "--exact", "--dialect", "prototype", "room100.scd"}, In(dir));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("'--exact' converts retail scripts only"), std::string::npos);
}

TEST(CliExact, OpcodesListTheGamesSizes) {
    const RunResult r = RunQuillon({"opcodes", "--exact"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("0x5C       3        Sce_shake_on"), std::string::npos);
    EXPECT_NE(r.out.find("0x81       3        Op81                Op81(U8@1, U8@2);"),
              std::string::npos);
    EXPECT_NE(r.out.find("0x14       6  EVEN  case"), std::string::npos);
}

} // namespace
