// The menu commands: conversions through the open-file dialog, Format,
// Drag+Drop, About, Center, and the status texts around each command.
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

struct FormatCase {
    int retailBefore, prototypeBefore;
    int after;
};

// Format turns both flags off only when both are on; any other state turns
// both on.
const FormatCase kFormatCases[] = {{1, 1, 0}, {0, 0, 1}, {1, 0, 1}, {0, 1, 1}};

TEST_F(ShellTest, FormatSwitchesBothDialectsAndTheCheckMark) {
    for (const FormatCase& f : kFormatCases) {
        RetailContext().indent = f.retailBefore;
        PrototypeContext().indent = f.prototypeBefore;
        EXPECT_EQ(Command(IDM_FORMAT), 0);
        EXPECT_EQ(RetailContext().indent, f.after) << f.retailBefore << f.prototypeBefore;
        EXPECT_EQ(PrototypeContext().indent, f.after) << f.retailBefore << f.prototypeBefore;
        EXPECT_EQ(Checked(IDM_FORMAT), f.after == 1) << f.retailBefore << f.prototypeBefore;
        EXPECT_EQ(Status(1), "READY");
    }
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

struct DropStep {
    int command;
    int selector;
    bool prototypeChecked, retailChecked;
};

TEST_F(ShellTest, DragDropMovesTheCheckMarkAndTheDialect) {
    const DropStep steps[] = {
        {IDM_DROP_PROTOTYPE, kDropPrototype, true, false},
        {IDM_DROP_PROTOTYPE, kDropPrototype, true, false}, // the checked item changes nothing
        {IDM_DROP_RETAIL, kDropRetail, false, true},
        {IDM_DROP_RETAIL, kDropRetail, false, true},
    };
    for (const DropStep& s : steps) {
        EXPECT_EQ(Command(s.command), 0);
        EXPECT_EQ(DropSelector, s.selector) << s.command;
        EXPECT_EQ(Checked(IDM_DROP_PROTOTYPE), s.prototypeChecked) << s.command;
        EXPECT_EQ(Checked(IDM_DROP_RETAIL), s.retailChecked) << s.command;
        EXPECT_EQ(Status(1), "READY");
    }
}

// The about dialog: its text, then OK.
struct AboutSeen {
    bool found = false;
    std::string caption, text;
    HWND owner = nullptr;
};

void AnswerAbout(DWORD thread, AboutSeen& seen) {
    HWND about = WaitForWindow(thread, [](HWND w) {
        return ClassOf(w) == "#32770" && IsWindowVisible(w) && GetDlgItem(w, IDC_ABOUTTEXT);
    });
    if (!about) return;
    seen.found = true;
    seen.caption = WindowText(about);
    seen.text = ControlText(about, IDC_ABOUTTEXT);
    seen.owner = GetWindow(about, GW_OWNER);
    Press(about, IDOK);
    WaitGone(about);
}

TEST_F(ShellTest, AboutShowsNameAndVersion) {
    AboutSeen seen;
    const DWORD self = GetCurrentThreadId();
    WhileRunning([&] { Command(IDM_ABOUT); }, [&] { AnswerAbout(self, seen); });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.caption, "About Quillon");
    EXPECT_EQ(seen.text.rfind("Quillon 1.9.1.0", 0), 0u) << seen.text;
    EXPECT_EQ(seen.owner, main());
    EXPECT_EQ(Status(1), "READY");
}

// Alt with "/" and Alt with "?" typed on the keyboard reach the About
// command through the message loop's accelerators.
TEST_F(ShellTest, AltSlashAndAltQuestionMarkShowTheAboutBox) {
    HACCEL accelerators =
        LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    for (bool question : {false, true}) {
        SetForegroundWindow(main());
        SetFocus(main());
        std::vector<INPUT> keys;
        auto key = [&](WORD vk, bool up) {
            INPUT in = {};
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = vk;
            in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
            in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            keys.push_back(in);
        };
        key(VK_MENU, false);
        if (question) key(VK_SHIFT, false);
        key(VK_OEM_2, false);
        key(VK_OEM_2, true);
        if (question) key(VK_SHIFT, true);
        key(VK_MENU, true);

        AboutSeen seen;
        const DWORD self = GetCurrentThreadId();
        WhileRunning(
            [&] {
                SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
                // The program's loop, for as long as input is arriving.
                const DWORD end = GetTickCount() + 3000;
                while (GetTickCount() < end && !seen.found) {
                    MSG msg;
                    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                        ProcessMessage(msg, accelerators);
                    Sleep(10);
                }
            },
            [&] { AnswerAbout(self, seen); });
        EXPECT_TRUE(seen.found) << (question ? "Alt+?" : "Alt+/");
    }
}

TEST_F(ShellTest, CenterCommandCentresTheWindow) {
    SetWindowPos(main(), nullptr, 3, 4, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Command(IDM_CENTER);
    RECT own, desktop;
    GetWindowRect(main(), &own);
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ(own.left, (desktop.right - (own.right - own.left)) / 2);
    EXPECT_EQ(own.top, (desktop.bottom - (own.bottom - own.top)) / 2);
    EXPECT_EQ(Status(1), "READY");
}

TEST_F(ShellTest, UnknownCommandGoesToTheDefaultAndLeavesTheStatusIdle) {
    EXPECT_EQ(Command(4242), 0);
    EXPECT_TRUE(IsWindow(main()));
    EXPECT_EQ(Status(0), "1.9.1.0");
    EXPECT_EQ(Status(1), "READY");
}

TEST_F(ShellTest, ExitCommandDestroysTheWindow) {
    EXPECT_EQ(Command(IDM_EXIT), 0);
    EXPECT_FALSE(IsWindow(main()));
    MSG quit;
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

} // namespace
} // namespace quillon::test
