// End-to-end tests of exact mode's names in the command-line tool: the
// `names` command and the options --numbers, --offsets and --names.
#include <gtest/gtest.h>

#include "testkit/cli_support.h"

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
