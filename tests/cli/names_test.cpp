// End-to-end tests of exact mode's names in the command-line tool: the
// `names` command and the options --numbers, --offsets and --names.
#include <gtest/gtest.h>

#include "testkit/cli_support.h"
#include "testkit/room_gen.h"

using namespace quillon_test;

namespace {

RunOptions In(const TempDir& dir) {
    return RunOptions{"", dir.path().string(), false};
}

// The packages install data/bio2.h: it must be what `quillon names` prints.
TEST(CliNames, TheHeaderIsThePackagedOneToStdoutOrToAFile) {
    const std::string packaged = ReadFile(fs::path(QUILLON_SOURCE_DIR) / "data/bio2.h");
    RunResult r = RunQuillon({"names"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, packaged) << "data/bio2.h is out of date: build/quillon names -o data/bio2.h";
    EXPECT_EQ(r.out.substr(0, 2), "/*");
    const size_t room = r.out.find("\r\n#define FG_ROOM 5\r\n");
    EXPECT_NE(room, std::string::npos);
    EXPECT_EQ(r.out.find("#define FG_ROOM ", room + 3), std::string::npos);

    TempDir dir;
    WriteFile(dir / "bio2.h", "old");
    r = RunQuillon({"names", "-o", "bio2.h"}, In(dir));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadFile(dir / "bio2.h"), packaged);

    r = RunQuillon({"names", "x.h"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("quillon: 'names' takes no file ('x.h')"), std::string::npos) << r.err;
}

TEST(CliNames, TheNamingOptionsGoOnlyWithExact) {
    for (const char* option : {"--numbers", "--offsets"}) {
        const RunResult r = RunQuillon({"disassemble", option, "x.scd"});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(
            r.err.rfind("quillon: '" + std::string(option) + "' works only with --exact\n", 0), 0u)
            << r.err;
    }
    RunResult r = RunQuillon({"verify", "--names", "flags.h", "x.scd"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("quillon: '--names' works only with --exact\n", 0), 0u) << r.err;
    r = RunQuillon({"compile", "--exact", "--numbers", "x.c"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("quillon: 'compile' does not take the option '--numbers'\n", 0), 0u)
        << r.err;
}

TEST(CliNames, NumbersAndOffsetsReachTheText) {
    TempDir dir;
    WriteFile(dir / "room.scd", Example("exact_room.scd"));
    RunResult r = RunQuillon({"disassemble", "--exact", "--stdout", "room.scd"}, In(dir));
    EXPECT_NE(r.out.find("\tif(Ck(FG_STATUS, 24, 0)) {\r\n"), std::string::npos) << r.out;
    r = RunQuillon({"disassemble", "--exact", "--numbers", "--stdout", "room.scd"}, In(dir));
    EXPECT_NE(r.out.find("\tif(Ck(1, 24, 0)) {\r\n"), std::string::npos) << r.out;
    r = RunQuillon({"disassemble", "--exact", "--offsets", "--stdout", "room.scd"}, In(dir));
    EXPECT_NE(r.out.find("\tif(Ck(FG_STATUS, 24, 0)) { // 0010: 06 00 24 00 21 01 18 00\r\n"),
              std::string::npos)
        << r.out;
    r = RunQuillon({"verify", "--exact", "--offsets", "--numbers", "room.scd"}, In(dir));
    EXPECT_EQ(r.out, "room.scd: identical\n");
}

// The text that --names prints includes the header, named from the text's
// folder, and compiles back from anywhere.
TEST(CliNames, AUsersNamesPrintAndTheTextIncludesThem) {
    TempDir dir;
    WriteFile(dir / "room.scd", Example("exact_room.scd"));
    WriteFile(dir / "mod/flags.h", "#define MET_CLAIRE FG_STATUS, 24\r\n");
    fs::create_directories(dir / "out");
    RunResult r = RunQuillon(
        {"disassemble", "--exact", "--names", "mod/flags.h", "room.scd", "-o", "out/room.c"},
        In(dir));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string text = ReadFile(dir / "out/room.c");
    EXPECT_NE(text.find("\r\n#include <bio2.h>\r\n#include \"../mod/flags.h\"\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\tif(Ck(MET_CLAIRE, 0)) {\r\n"), std::string::npos) << text;
    r = RunQuillon({"compile", "--exact", dir.str("out/room.c")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(dir / "out/room.scd"), Example("exact_room.scd"));
    r = RunQuillon({"verify", "--exact", "--names", "mod/flags.h", "room.scd"}, In(dir));
    EXPECT_EQ(r.out, "room.scd: identical\n");
}

// A room's texts include the header as seen from the room, and compile back
// into it.
TEST(CliNames, ARoomsTextsIncludeTheUsersNames) {
    TempDir dir;
    const std::string room = BuildRoom(kInit, Example("exact_room.scd"));
    WriteFile(dir / "rooms/room100.rdt", room);
    WriteFile(dir / "mod/flags.h", "#define MET_CLAIRE FG_STATUS, 24\r\n");
    RunResult r = RunQuillon(
        {"disassemble", "--exact", "--names", "mod/flags.h", "--offsets", "rooms/room100.rdt"},
        In(dir));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string text = ReadFile(dir / "rooms/room100.main.c");
    EXPECT_NE(text.find("\r\n#include \"../mod/flags.h\"\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\tif(Ck(MET_CLAIRE, 0)) { // 0010: "), std::string::npos) << text;
    r = RunQuillon({"compile", "--exact", "--no-backup", dir.str("rooms/room100.rdt")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(dir / "rooms/room100.rdt"), room);
}

TEST(CliNames, AHeaderIsIncludedFromTheTextsFolderAndAFolderIsRefused) {
    TempDir dir;
    std::string text = Example("exact_room.c");
    text.replace(text.find("Ck(FG_STATUS, 24, 0)"), 20, "Ck(MET_CLAIRE, 0)");
    text.replace(text.find("#include <bio2.h>\r\n") + 19, 0, "#include \"flags.h\"\r\n");
    WriteFile(dir / "mod/room.c", text);
    WriteFile(dir / "mod/flags.h", "#define MET_CLAIRE FG_STATUS, 24\r\n");
    RunResult r = RunQuillon({"compile", "--exact", "mod/room.c"}, In(dir));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(dir / "mod/room.scd"), Example("exact_room.scd"));

    fs::remove(dir / "mod/room.scd");
    fs::remove(dir / "mod/flags.h");
    fs::create_directories(dir / "mod/flags.h");
    r = RunQuillon({"compile", "--exact", "mod/room.c"}, In(dir));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("mod/room.c:3:10: error: cannot include \"flags.h\": 'mod/flags.h' is a "
                         "folder\n"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(dir / "mod/room.scd"));
}

TEST(CliNames, AnUnreadableNamesFileFailsAndWritesNothing) {
    TempDir dir;
    WriteFile(dir / "room.scd", Example("exact_room.scd"));
    fs::create_directories(dir / "folder.h");
    RunResult r = RunQuillon({"disassemble", "--exact", "--names", "flags.h", "room.scd"}, In(dir));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quillon: --names: cannot open 'flags.h': No such file or directory\n");
    r = RunQuillon({"disassemble", "--exact", "--names", "folder.h", "room.scd"}, In(dir));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("'folder.h'"), std::string::npos) << r.err;
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"folder.h", "room.scd"}));
}

} // namespace
