// The conversion commands: the open-file dialog (ChooseFile), the status
// texts around each conversion, and the disassembly after Format.
#include "harness.h"

#include <cstring>

#include "io/drivers.h"
#include "resource.h"
#include "samples.h"

namespace quillon::test {
namespace {

// The open-file dialog as the commands run it (the program's own ChooseFile).
bool IsOpenDialog(HWND w) {
    return ClassOf(w) == "#32770" && IsWindowVisible(w) && GetDlgItem(w, 1148) &&
           GetDlgItem(w, 1136);
}

std::string FirstFilter(HWND dialog) {
    char text[256] = {};
    HWND types = GetDlgItem(dialog, 1136);
    if (SendMessageA(types, CB_GETLBTEXTLEN, 0, 0) >= static_cast<LRESULT>(sizeof text)) return "";
    SendMessageA(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

// What a test saw of the dialog.
struct DialogSeen {
    bool found = false;
    bool hasOwner = true;
    std::string caption;
    std::string filter;
    int filterCount = 0;
};

// Waits for the open-file dialog, notes it, then types `path` and presses
// Open, or presses Cancel when `path` is empty.
void AnswerOpenDialog(DWORD thread, const std::string& path, DialogSeen& seen) {
    HWND dialog = WaitForWindow(thread, IsOpenDialog);
    if (!dialog) return;
    Sleep(100);
    seen.found = true;
    seen.hasOwner = GetWindow(dialog, GW_OWNER) != nullptr;
    seen.caption = WindowText(dialog);
    seen.filter = FirstFilter(dialog);
    seen.filterCount = static_cast<int>(SendMessageA(GetDlgItem(dialog, 1136), CB_GETCOUNT, 0, 0));
    if (path.empty()) {
        Press(dialog, IDCANCEL);
    } else {
        SendMessageA(GetDlgItem(dialog, 1148), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(path.c_str()));
        Press(dialog, IDOK);
    }
    WaitGone(dialog);
}

struct Conversion {
    const char* name;
    int command;
    bool prototype;
    bool compile;
    const char* filter; // the first entry the dialog offers
};

const Conversion kConversions[] = {
    {"Rer15Compile", IDM_PROTO_COMPILE, true, true, "C Source (*.C)"},
    {"Rer15Disassemble", IDM_PROTO_DISASSEMBLE, true, false, "Bio Hazard File (*.SCD)"},
    {"Bio2Compile", IDM_RETAIL_COMPILE, false, true, "C Source (*.C)"},
    {"Bio2Disassemble", IDM_RETAIL_DISASSEMBLE, false, false, "Bio Hazard File (*.SCD)"},
};

void PrintTo(const Conversion& c, std::ostream* os) {
    *os << c.name;
}

class ConversionTest : public ShellTest, public ::testing::WithParamInterface<Conversion> {};

TEST_P(ConversionTest, ConvertsTheFileChosenInTheOpenDialog) {
    const Conversion& c = GetParam();
    TempFolder folder;
    const Dialect& dialect = c.prototype ? PrototypeDialect() : RetailDialect();
    const Dialect& other = c.prototype ? RetailDialect() : PrototypeDialect();
    const std::string input = folder.File(c.compile ? "room1.c" : "room1.scd");
    const std::string output = folder.File(c.compile ? "room1.scd" : "room1.c");
    WriteFile(input, c.compile ? kSource : kBytecode);
    const std::string expected =
        c.compile ? Compilation(dialect, kSource) : Disassembly(dialect, kBytecode, "room1");
    const std::string wrong =
        c.compile ? Compilation(other, kSource) : Disassembly(other, kBytecode, "room1");
    ASSERT_NE(expected, wrong) << "the sample must tell the dialects apart";

    DialogSeen seen;
    BoxCatcher boxes;
    const DWORD self = GetCurrentThreadId();
    LRESULT result = -1;
    WhileRunning([&] { result = Command(c.command); },
                 [&] { AnswerOpenDialog(self, input, seen); });
    EXPECT_TRUE(boxes.Finish().empty());

    ASSERT_TRUE(seen.found);
    EXPECT_FALSE(seen.hasOwner);
    EXPECT_EQ(seen.filter, c.filter);
    EXPECT_EQ(seen.filterCount, 1);
    EXPECT_EQ(result, 0);
    std::string written;
    ASSERT_TRUE(ReadFile(output, written)) << output;
    EXPECT_EQ(written, expected);
    EXPECT_EQ(Status(0), "1.9.1.0");
    EXPECT_EQ(Status(1), "READY");
}

TEST_P(ConversionTest, CancelledDialogEndsInTheDriversFailureBox) {
    const Conversion& c = GetParam();
    DialogSeen seen;
    BoxCatcher boxes;
    const DWORD self = GetCurrentThreadId();
    WhileRunning([&] { Command(c.command); }, [&] { AnswerOpenDialog(self, "", seen); });
    const std::vector<Box> shown = boxes.Finish();

    EXPECT_TRUE(seen.found);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Quillon");
    EXPECT_EQ(shown[0].text, c.compile ? "Compile() Fail!" : "Disassemble() Fail!");
    EXPECT_EQ(shown[0].buttons, std::vector<std::string>{"OK"});
    EXPECT_FALSE(shown[0].hasOwner);
    EXPECT_EQ(shown[0].status0, "WM_COMMAND");
    EXPECT_EQ(shown[0].status1, "WAIT");
    EXPECT_EQ(Status(0), "1.9.1.0");
    EXPECT_EQ(Status(1), "READY");
}

INSTANTIATE_TEST_SUITE_P(Menu, ConversionTest, ::testing::ValuesIn(kConversions),
                         [](const auto& info) { return std::string(info.param.name); });

// ChooseFile on its own, with the real dialog.
TEST(ChooseFile, ReturnsTheChosenPathInA260ByteBuffer) {
    TempFolder folder;
    const std::string file = folder.File("room1.scd");
    WriteFile(file, kBytecode);
    DialogSeen seen;
    std::unique_ptr<char[]> path;
    const DWORD self = GetCurrentThreadId();
    WhileRunning([&] { path = ChooseFile("SCD", kScdFilter); },
                 [&] { AnswerOpenDialog(self, file, seen); });
    ASSERT_TRUE(path);
    EXPECT_EQ(std::string(path.get()), file);
    EXPECT_EQ(seen.caption, "Open");
    EXPECT_FALSE(seen.hasOwner);
    EXPECT_EQ(seen.filter, "Bio Hazard File (*.SCD)");
    path[259] = 'x'; // the buffer holds 260 bytes
}

TEST(ChooseFile, CancelGivesAnEmptyPath) {
    DialogSeen seen;
    std::unique_ptr<char[]> path;
    const DWORD self = GetCurrentThreadId();
    WhileRunning([&] { path = ChooseFile("C", kSourceFilter); },
                 [&] { AnswerOpenDialog(self, "", seen); });
    ASSERT_TRUE(path);
    EXPECT_STREQ(path.get(), "");
    EXPECT_EQ(seen.filter, "C Source (*.C)");
}

// Collects the file names that the dialog lists for a folder.
std::vector<std::string> ListedFiles(HWND dialog) {
    std::vector<std::string> names;
    HWND view = nullptr;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM param) -> BOOL {
            if (ClassOf(child) != "SysListView32") return TRUE;
            *reinterpret_cast<HWND*>(param) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&view));
    if (!view) return names;
    const int count = static_cast<int>(SendMessageA(view, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[MAX_PATH] = {};
        LVITEMA item = {};
        item.iSubItem = 0;
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        SendMessageA(view, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
        names.push_back(text);
    }
    return names;
}

TEST(ChooseFile, ListsOnlyFilesOfItsPatternAndInsistsOnExistingFiles) {
    TempFolder folder;
    WriteFile(folder.File("room1.scd"), kBytecode);
    WriteFile(folder.File("room2.c"), kSource);
    WriteFile(folder.File("notes.txt"), "notes");
    std::vector<std::string> listed;
    bool complained = false, stayedOpen = false;
    std::unique_ptr<char[]> path;
    const DWORD self = GetCurrentThreadId();
    WhileRunning(
        [&] { path = ChooseFile("C", kSourceFilter); },
        [&] {
            HWND dialog = WaitForWindow(self, IsOpenDialog);
            if (!dialog) return;
            HWND name = GetDlgItem(dialog, 1148);
            // A folder typed as the name opens that folder.
            SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.path().c_str()));
            Press(dialog, IDOK);
            for (int i = 0; i < 200 && listed.empty(); ++i) {
                Sleep(20);
                listed = ListedFiles(dialog);
            }
            // A file that does not exist is refused with a message of the dialog's own.
            const std::string missing = folder.File("missing.c");
            SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(missing.c_str()));
            Press(dialog, IDOK);
            HWND box = WaitForWindow(
                self,
                [&](HWND w) {
                    return w != dialog && IsMessageBox(w) && GetWindow(w, GW_OWNER) == dialog;
                },
                5000);
            complained = box != nullptr;
            if (box) {
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                WaitGone(box);
            }
            stayedOpen = IsWindowVisible(dialog);
            Press(dialog, IDCANCEL);
            WaitGone(dialog);
        });
    EXPECT_EQ(listed, std::vector<std::string>{"room2.c"});
    EXPECT_TRUE(complained);
    EXPECT_TRUE(stayedOpen);
    EXPECT_STREQ(path.get(), "");
}

// The commands reach the dialog through the seam; these tests hand the path
// in directly.
std::string g_offeredPath;
std::string g_askedExtension;
std::string g_askedFilter;

std::unique_ptr<char[]> OfferPath(const char* extension, const char* filter) {
    g_askedExtension = extension;
    g_askedFilter.clear();
    for (const char* p = filter; *p; p += strlen(p) + 1) g_askedFilter.append(p).push_back('|');
    auto buffer = std::make_unique<char[]>(MAX_PATH);
    strcpy(buffer.get(), g_offeredPath.c_str());
    return buffer;
}

TEST_P(ConversionTest, AsksForItsExtensionAndFilter) {
    const Conversion& c = GetParam();
    SetFileChooser(OfferPath);
    TempFolder folder;
    g_offeredPath = folder.File(c.compile ? "x.c" : "x.scd");
    WriteFile(g_offeredPath, c.compile ? kSource : kBytecode);
    Command(c.command);
    EXPECT_EQ(g_askedExtension, c.compile ? "C" : "SCD");
    EXPECT_EQ(g_askedFilter, c.compile ? "C Source (*.C)|*.C|" : "Bio Hazard File (*.SCD)|*.SCD|");
    EXPECT_TRUE(Exists(folder.File(c.compile ? "x.scd" : "x.c")));
}

// Only CR ends a line: a classic compile of a text without one writes an
// empty script, as it always has, and the status bar says why.
TEST_F(ShellTest, CompileOfATextWithoutCarriageReturnsSaysWhyItIsEmpty) {
    SetFileChooser(OfferPath);
    TempFolder folder;
    g_offeredPath = folder.File("x.c");
    const struct {
        const char* text;
        const char* status;
    } cases[] = {
        {"int x(void) {\n\tSleep(30);\n}\n",
         "READY - lines end in LF alone: nothing compiled (end lines in CR LF)"},
        {"\tSleep(30);", "READY - the text has no line end: nothing compiled (end lines in CR LF)"},
        {"\tSleep(30);\r\n", "READY"},
    };
    for (const auto& c : cases) {
        WriteFile(g_offeredPath, c.text);
        for (int command : {IDM_RETAIL_COMPILE, IDM_PROTO_COMPILE}) {
            EXPECT_EQ(Command(command), 0);
            std::string written;
            ASSERT_TRUE(ReadFile(folder.File("x.scd"), written));
            EXPECT_EQ(written.empty(), std::string(c.status) != "READY") << c.text;
            EXPECT_EQ(Status(1), c.status) << c.text;
        }
    }
    Command(IDM_CENTER); // the next command's status is its own
    EXPECT_EQ(Status(1), "READY");
}

TEST_F(ShellTest, DisassemblyAfterFormatHasNoTabsAndAfterFormatAgainHasThem) {
    SetFileChooser(OfferPath);
    TempFolder folder;
    g_offeredPath = folder.File("room1.scd");
    WriteFile(g_offeredPath, kBytecode);
    for (int round = 0; round < 2; ++round) {
        const bool indented = round == 1;
        Command(IDM_FORMAT);
        for (int command : {IDM_RETAIL_DISASSEMBLE, IDM_PROTO_DISASSEMBLE}) {
            DeleteFileA(folder.File("room1.c").c_str());
            Command(command);
            std::string text;
            ASSERT_TRUE(ReadFile(folder.File("room1.c"), text));
            EXPECT_EQ(text.find('\t') != std::string::npos, indented)
                << command << " round " << round;
            const Dialect& d =
                command == IDM_RETAIL_DISASSEMBLE ? RetailDialect() : PrototypeDialect();
            EXPECT_EQ(text, Disassembly(d, kBytecode, "room1", indented ? 1 : 0));
        }
    }
}

} // namespace
} // namespace quillon::test
