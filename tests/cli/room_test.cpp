// `quillon extract`, `quillon inject` and rooms under --exact, end to end.
#include <gtest/gtest.h>

#include "codec/exact/exact.h"
#include "testkit/cli_support.h"
#include "testkit/room_gen.h"

using namespace quillon_test;

namespace {

const std::string kBigInit = Chunk({std::string("\x01\x00", 2), std::string(22, '\0')});

struct RoomDir {
    TempDir dir;
    std::string room = dir.str("room100.rdt");
    std::string original = BuildRoom(kInit, kMain);
    RoomDir() { WriteFile(room, original); }
};

TEST(CliRoom, ExtractWritesBothChunks) {
    RoomDir d;
    WriteFile(d.dir / "sub" / "room200.RDT", BuildRoom(kBigInit, kMain));
    WriteFile(d.dir / "sub" / "notes.txt", "x");
    RunResult r = RunQuillon({"extract", d.room});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(d.dir / "room100.init.scd"), kInit);
    EXPECT_EQ(ReadFile(d.dir / "room100.main.scd"), kMain);
    // Folders and -r, into the folder that -o names (made if missing).
    r = RunQuillon({"extract", "-r", d.dir.str("."), "-o", d.dir.str("out/chunks")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "2 extracted, 0 failed\n");
    EXPECT_EQ(ReadFile(d.dir / "out/chunks/room200.init.scd"), kBigInit);
    EXPECT_EQ(ReadFile(d.dir / "out/chunks/room100.main.scd"), kMain);
}

// A room file is never a classic script nor its text: the classic result
// would be nonsense, written over ROOM.c or ROOM.scd.
TEST(CliRoom, AClassicConversionOfARoomIsRefused) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"disassemble", "room100.rdt"}, "Quillon: Disassemble() Fail!\n"},
        {{"disassemble", "room100.rdt", "--stdout"}, "Quillon: Disassemble() Fail!\n"},
        {{"compile", "room100.rdt"}, "Quillon: Compile() Fail!\n"},
        {{"verify", "room100.rdt"}, ""},
    };
    for (const auto& c : cases) {
        RoomDir d;
        const RunResult r = RunQuillon(c.args, RunOptions{"", d.dir.path().string()});
        EXPECT_EQ(r.status, 1) << c.args[0];
        EXPECT_EQ(r.err,
                  std::string(c.message) + "quillon: 'room100.rdt': a room file: use --exact\n");
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(FolderNames(d.dir.path()), std::vector<std::string>{"room100.rdt"});
    }
}

TEST(CliRoom, InjectReplacesTheRoomAndKeepsTheFirstOriginal) {
    RoomDir d;
    WriteFile(d.dir / "big.scd", kBigInit);
    WriteFile(d.dir / "small.scd", kInit);
    WriteFile(d.dir / "main.scd", kMain);
    RunResult r = RunQuillon({"inject", d.room, "--init", d.dir.str("big.scd")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(d.room), BuildRoom(kBigInit, kMain));
    EXPECT_EQ(ReadFile(d.room + ".bak"), d.original);
    // Back to the first chunks: the same bytes; the backup stays the first original.
    r = RunQuillon(
        {"inject", d.room, "--main", d.dir.str("main.scd"), "--init", d.dir.str("small.scd")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(d.room), d.original);
    EXPECT_EQ(ReadFile(d.room + ".bak"), d.original);
    // -o writes elsewhere and leaves the room; --no-backup keeps no copy.
    r = RunQuillon({"inject", d.room, "--init", d.dir.str("big.scd"), "-o", d.dir.str("new.rdt")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(d.dir / "new.rdt"), BuildRoom(kBigInit, kMain));
    EXPECT_EQ(ReadFile(d.room), d.original);
    r = RunQuillon(
        {"inject", d.dir.str("new.rdt"), "--no-backup", "--init", d.dir.str("small.scd")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(d.dir / "new.rdt"), d.original);
    EXPECT_FALSE(fs::exists(d.dir / "new.rdt.bak"));
}

// Two injects into one room at once: the room is one of the two results,
// whole, and the backup is the original, whichever run kept it.
TEST(CliRoom, TwoInjectsAtOnceLeaveOneResultWhole) {
    RoomDir d;
    WriteFile(d.dir / "big.scd", kBigInit);
    const std::string bigMain = Chunk({std::string("\x01\x00", 2), std::string(30, '\0')});
    WriteFile(d.dir / "main.scd", bigMain);
    const std::string one = BuildRoom(kBigInit, kMain), other = BuildRoom(kInit, bigMain);
    const std::string both = BuildRoom(kBigInit, bigMain); // one after the other
    const std::string inject = std::string(QUILLON_EXE) + " inject '" + d.room + "' ";
    const std::string twice = inject + "--init '" + d.dir.str("big.scd") + "' >/dev/null & " +
                              inject + "--main '" + d.dir.str("main.scd") + "' >/dev/null & wait";
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        WriteFile(d.room, d.original);
        fs::remove(d.room + ".bak");
        ASSERT_EQ(std::system(twice.c_str()), 0);
        const std::string room = ReadFile(d.room);
        EXPECT_TRUE(room == one || room == other || room == both);
        EXPECT_EQ(ReadFile(d.room + ".bak"), d.original);
    }
    EXPECT_EQ(FolderNames(d.dir.path()),
              (std::vector<std::string>{"big.scd", "main.scd", "room100.rdt", "room100.rdt.bak"}));
}

// Refused with the file and the reason named; nothing is written.
TEST(CliRoom, RefusalsWriteNothing) {
    RoomDir d;
    WriteFile(d.dir / "bad.scd", std::string("\x03\x00\x01\x00", 4));
    WriteFile(d.dir / "short.rdt", "RDT");
    WriteFile(d.dir / "small.scd", kInit);
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    } cases[] = {
        {{"extract", d.dir.str("short.rdt")}, 1, "short.rdt: 3 bytes are too short"},
        // No room gives chunks: the folder that -o names is not made.
        {{"extract", d.dir.str("short.rdt"), "-o", d.dir.str("new")}, 1, "too short"},
        {{"inject", d.room, "--init", d.dir.str("bad.scd")},
         1,
         "cannot inject '" + d.dir.str("bad.scd") + "' into '" + d.room + "'"},
        {{"inject", d.room, "--main", d.dir.str("none.scd")}, 1, "cannot open"},
        {{"inject", d.room}, 2, "needs a chunk to put in"},
        {{"inject", d.room, d.room, "--init", d.dir.str("bad.scd")}, 2, "exactly one room"},
        // A write that fails: the temporary file cannot be made below a file.
        {{"inject", d.room, "--init", d.dir.str("small.scd"), "-o", d.room + "/x.rdt"},
         1,
         "cannot write"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        const RunResult r = RunQuillon(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(ReadFile(d.room), d.original);
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(d.dir.path()))
            names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names,
                  (std::vector<std::string>{"bad.scd", "room100.rdt", "short.rdt", "small.scd"}));
    }
}

// The two-command edit: the texts of both chunks beside the room, compiled
// back into it.
TEST(CliRoom, ExactDisassembleCompileAndVerify) {
    RoomDir d;
    RunResult r = RunQuillon({"disassemble", "--exact", d.room});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string initText = ReadFile(d.dir / "room100.init.c");
    const std::string mainText = ReadFile(d.dir / "room100.main.c");
    EXPECT_TRUE(quillon::exact::IsExactText(initText));
    EXPECT_TRUE(quillon::exact::IsExactText(mainText));
    r = RunQuillon({"verify", "--exact", d.room});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, d.room + ": identical\n");
    r = RunQuillon({"compile", "--exact", d.room});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(d.room), d.original);
    // The main chunk's text as the init chunk's: the room takes it whole.
    WriteFile(d.dir / "room100.init.c", mainText);
    r = RunQuillon({"compile", "--exact", d.room, "-o", d.dir.str("edited.rdt")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(d.dir / "edited.rdt"), BuildRoom(kMain, kMain));
    EXPECT_EQ(ReadFile(d.room), d.original);
    // A text that does not compile: an error naming the text, the room kept.
    WriteFile(d.dir / "room100.main.c", std::string(quillon::exact::kMarker) + "\r\n}}}\r\n");
    r = RunQuillon({"compile", "--exact", d.room});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(d.dir.str("room100.main.c") + ":"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(d.room), d.original);
    EXPECT_EQ(ReadFile(d.room + ".bak"), d.original);
}

} // namespace
