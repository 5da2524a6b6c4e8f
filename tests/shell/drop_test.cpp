// Files dropped on the window, through real drop handles.
#include "harness.h"

#include "codec/isa/opcodes.h"
#include "resource.h"
#include "samples.h"

namespace quillon::test {
namespace {

struct DropCase {
    const char* name;   // the dropped file's name
    const char* output; // the disassembly written beside it, or null
    const char* title;  // the function name in it
};

const DropCase kDropCases[] = {
    {"room1.SCD", "room1.c", "room1"}, {"room1.scd", "room1.c", "room1"},
    {"ROOM2.Scd", "ROOM2.c", "ROOM2"}, {"a.b.scd", "a.b.c", "a.b"},
    {"room1.c", nullptr, nullptr},     {"notes.txt", nullptr, nullptr},
    {"room1.scdx", nullptr, nullptr},
};

class DropTest : public ShellTest, public ::testing::WithParamInterface<int> {};

TEST_P(DropTest, BytecodeFilesAreDisassembledWithTheChosenDialectAndOthersIgnored) {
    const int selector = GetParam();
    const Dialect& dialect = selector == kDropPrototype ? PrototypeDialect() : RetailDialect();
    const Dialect& other = selector == kDropPrototype ? RetailDialect() : PrototypeDialect();
    Command(selector == kDropPrototype ? IDM_DROP_PROTOTYPE : IDM_DROP_RETAIL);

    for (bool wide : {true, false}) {
        for (const DropCase& c : kDropCases) {
            TempFolder folder;
            const std::string dropped = folder.File(c.name);
            WriteFile(dropped, kBytecode);

            BoxCatcher boxes;
            EXPECT_EQ(SendMessageW(main(), WM_DROPFILES,
                                   reinterpret_cast<WPARAM>(MakeDrop({dropped}, wide)), 0),
                      0);
            EXPECT_TRUE(boxes.Finish().empty()) << c.name;
            EXPECT_EQ(Status(0), "1.9.1.0");
            EXPECT_EQ(Status(1), "READY");

            std::string written;
            if (c.output) {
                ASSERT_TRUE(ReadFile(folder.File(c.output), written)) << c.name;
                EXPECT_EQ(written, Disassembly(dialect, kBytecode, c.title)) << c.name;
                EXPECT_NE(written, Disassembly(other, kBytecode, c.title)) << c.name;
            } else {
                // Nothing but the dropped file and the other source.
                ASSERT_TRUE(ReadFile(dropped, written));
                EXPECT_EQ(written, kBytecode) << c.name;
                for (const char* name : {"room1.c", "notes.c", "room1.scd", "room1.c.c"}) {
                    if (std::string(name) == c.name) continue;
                    EXPECT_FALSE(Exists(folder.File(name))) << c.name << " made " << name;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Dialect, DropTest, ::testing::Values(kDropPrototype, kDropRetail),
                         [](const auto& info) {
                             return std::string(info.param == kDropPrototype ? "Prototype"
                                                                             : "Retail");
                         });

TEST_F(ShellTest, SeveralFilesAreHandledInOrderAndAFailingOneDoesNotStopTheRest) {
    TempFolder folder;
    const std::string first = folder.File("first.scd");
    const std::string missing = folder.File("missing.scd"); // never written: fails
    const std::string third = folder.File("third.scd");
    const std::string notes = folder.File("notes.txt");
    WriteFile(first, kBytecode);
    WriteFile(third, kBytecode);
    WriteFile(notes, "notes");

    BoxCatcher boxes({folder.File("first.c"), folder.File("third.c")});
    SendMessageW(main(), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop({first, missing, notes, third})), 0);
    const std::vector<Box> shown = boxes.Finish();

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Quillon");
    EXPECT_EQ(shown[0].text, "Disassemble() Fail!");
    EXPECT_EQ(shown[0].buttons, std::vector<std::string>{"OK"});
    EXPECT_FALSE(shown[0].hasOwner);
    EXPECT_EQ(shown[0].status0, "WM_DROPFILES");
    EXPECT_EQ(shown[0].status1, "WAIT");
    // While the box for the second file showed, the first was done and the
    // third not yet.
    EXPECT_EQ(shown[0].filesPresent, std::vector<std::string>{folder.File("first.c")});

    std::string written;
    ASSERT_TRUE(ReadFile(folder.File("third.c"), written));
    EXPECT_EQ(written, Disassembly(RetailDialect(), kBytecode, "third"));
    EXPECT_FALSE(Exists(folder.File("notes.c")));
    EXPECT_EQ(Status(0), "1.9.1.0");
    EXPECT_EQ(Status(1), "READY");
}

TEST_F(ShellTest, DropOnTheStatusBarReachesTheWindow) {
    TempFolder folder;
    const std::string dropped = folder.File("room1.scd");
    WriteFile(dropped, kBytecode);
    SendMessageW(g_app->statusBar, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({dropped})), 0);
    std::string written;
    ASSERT_TRUE(ReadFile(folder.File("room1.c"), written));
    EXPECT_EQ(written, Disassembly(RetailDialect(), kBytecode, "room1"));
}

TEST_F(ShellTest, WindowAcceptsDroppedFiles) {
    EXPECT_TRUE(GetWindowLongW(main(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

// The path that reaches the driver is the dropped one, rebuilt from its
// folder, title and extension; the extension keeps its case.
TEST_F(ShellTest, RoutedPathIsTheDroppedPathUnchanged) {
    TempFolder folder;
    for (const char* name : {"a.b.scd", "x.y.z.SCD"}) {
        const std::string dropped = folder.File(name);
        WriteFile(dropped, kBytecode);
        EXPECT_EQ(RouteDroppedFile(dropped.c_str()), 0);
        const std::string title(name, std::string(name).rfind('.'));
        std::string written;
        ASSERT_TRUE(ReadFile(folder.File(title + ".c"), written)) << name;
        EXPECT_EQ(written, Disassembly(RetailDialect(), kBytecode, title));
    }
}

} // namespace
} // namespace quillon::test
