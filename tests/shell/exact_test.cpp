// The File menu's "Exact": while it is checked, the Bio2 commands and retail
// drops convert in exact mode; the Rer1.5 commands stay classic.
#include <cstring>

#include "codec/exact/exact.h"
#include "harness.h"
#include "resource.h"
#include "samples.h"

namespace quillon::test {
namespace {

// One procedure: if(Ck(1, 2, 3)) { return 5; } and its text.
const std::string kChunk("\x02\x00\x06\x00\x06\x00\x21\x01\x02\x03\x01\x05\x08\x00", 14);

std::string ExactText(const std::string& chunk) {
    std::string text, reason;
    EXPECT_TRUE(exact::DisassembleChunk(chunk, text, reason)) << reason;
    return text;
}

std::string g_path;
std::unique_ptr<char[]> Offer(const char*, const char*) {
    auto buffer = std::make_unique<char[]>(MAX_PATH);
    std::strcpy(buffer.get(), g_path.c_str());
    return buffer;
}

TEST_F(ShellTest, ExactIsAFileMenuCheckItemOffAtStart) {
    char text[32] = {};
    ASSERT_GT(GetMenuStringA(menu(), IDM_EXACT, text, sizeof text, MF_BYCOMMAND), 0);
    EXPECT_STREQ(text, "Exact");
    EXPECT_FALSE(Checked(IDM_EXACT));
    EXPECT_EQ(Command(IDM_EXACT), 0);
    EXPECT_TRUE(Checked(IDM_EXACT));
    EXPECT_EQ(Status(1), "READY");
    Command(IDM_EXACT);
    EXPECT_FALSE(Checked(IDM_EXACT));
}

TEST_F(ShellTest, ExactConvertsBio2CommandsAndRetailDropsOnly) {
    SetFileChooser(Offer);
    TempFolder folder;
    g_path = folder.File("room1.scd");
    WriteFile(g_path, kChunk);
    Command(IDM_EXACT);
    std::string written;

    Command(IDM_RETAIL_DISASSEMBLE);
    ASSERT_TRUE(ReadFile(folder.File("room1.c"), written));
    EXPECT_EQ(written, ExactText(kChunk));

    // The exact text compiles back to the chunk.
    DeleteFileA(g_path.c_str());
    g_path = folder.File("room1.c");
    Command(IDM_RETAIL_COMPILE);
    ASSERT_TRUE(ReadFile(folder.File("room1.scd"), written));
    EXPECT_EQ(written, kChunk);

    // A retail drop is exact too, and replaces the text beside it.
    WriteFile(folder.File("room1.c"), "old text");
    SendMessageW(main(), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop({folder.File("room1.scd")})), 0);
    ASSERT_TRUE(ReadFile(folder.File("room1.c"), written));
    EXPECT_EQ(written, ExactText(kChunk));

    // Rer1.5 stays classic.
    g_path = folder.File("room1.scd");
    Command(IDM_PROTO_DISASSEMBLE);
    ASSERT_TRUE(ReadFile(folder.File("room1.c"), written));
    EXPECT_EQ(written, Disassembly(PrototypeDialect(), kChunk, "room1"));

    // And with Exact off, Bio2 is classic again.
    Command(IDM_EXACT);
    Command(IDM_RETAIL_DISASSEMBLE);
    ASSERT_TRUE(ReadFile(folder.File("room1.c"), written));
    EXPECT_EQ(written, Disassembly(RetailDialect(), kChunk, "room1"));
}

} // namespace
} // namespace quillon::test
