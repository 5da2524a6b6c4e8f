// The headers of exact texts, read from the folder of the file that
// includes them.
#include <gtest/gtest.h>

#include "io/includes.h"
#include "testkit/cli_support.h"

using namespace quillon;
using namespace quillon_test;

namespace {

TEST(Includes, AHeaderIsReadBesideItsIncluderUnderOneKey) {
    TempDir dir;
    WriteFile(dir / "mod/flags.h", "#define MET_CLAIRE FG_SCENARIO, 18\r\n");
    WriteFile(dir / "mod/more/doors.h", "#include \"../flags.h\"\r\n");
    const exact::IncludeReader read = FileIncludes();
    exact::IncludedFile flags, again;
    std::string why;
    ASSERT_TRUE(read(IncludeKey(dir.str("mod/room.c")), "flags.h", flags, why)) << why;
    EXPECT_EQ(flags.text, "#define MET_CLAIRE FG_SCENARIO, 18\r\n");
    // Reached from another folder, the same file has the same key.
    exact::IncludedFile doors;
    ASSERT_TRUE(read(IncludeKey(dir.str("mod/room.c")), "more/doors.h", doors, why)) << why;
    ASSERT_TRUE(read(doors.key, "../flags.h", again, why)) << why;
    EXPECT_EQ(again.key, flags.key);
    EXPECT_NE(doors.key, flags.key);
    EXPECT_EQ(IncludeKey(dir.str("mod/./flags.h")), flags.key);
}

TEST(Includes, AFolderOrAMissingFileIsRefusedWithTheReason) {
    TempDir dir;
    WriteFile(dir / "mod/room.c", "");
    fs::create_directories(dir / "mod/sub.h");
    const exact::IncludeReader read = FileIncludes();
    exact::IncludedFile file;
    std::string why;
    const std::string from = IncludeKey(dir.str("mod/room.c"));
    EXPECT_FALSE(read(from, "sub.h", file, why));
    EXPECT_NE(why.find("sub.h' is a folder"), std::string::npos) << why;
    why.clear();
    EXPECT_FALSE(read(from, "none.h", file, why));
    EXPECT_NE(why.find("cannot open '"), std::string::npos) << why;
    EXPECT_NE(why.find("none.h': No such file or directory"), std::string::npos) << why;
}

// Standard input has no folder: its headers come from the current one.
TEST(Includes, StandardInputReadsFromTheCurrentFolder) {
    TempDir dir;
    WriteFile(dir / "flags.h", "#define A 1\r\n");
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    exact::IncludedFile file;
    std::string why;
    const bool read = FileIncludes()(IncludeKey(""), "flags.h", file, why);
    fs::current_path(before);
    ASSERT_TRUE(read) << why;
    EXPECT_EQ(file.text, "#define A 1\r\n");
    EXPECT_EQ(file.key, IncludeKey(dir.str("flags.h")));
}

} // namespace
