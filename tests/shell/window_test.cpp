// The main window as start-up builds it: class, title, size, menu, status
// bar, resources, hot key, and the end of the message loop.
#include "harness.h"

#include "io/drivers.h"
#include "resource.h"

namespace quillon::test {
namespace {

struct MenuLine {
    int depth;         // 0 for the bar, 1 for a popup's item, 2 for a submenu's item
    const char* label; // null for a separator
    int id;            // -1 for a popup
};

// The window's menu, depth first.
const MenuLine kMainMenu[] = {
    {0, "File", -1},
    {1, "Format", IDM_FORMAT},
    {1, "Exact", IDM_EXACT},
    {1, "Window Size...", IDM_WINDOWSIZE},
    {1, "Center", IDM_CENTER},
    {1, nullptr, 0},
    {1, "Drag+Drop", -1},
    {2, "Prototype", IDM_DROP_PROTOTYPE},
    {2, "Retail", IDM_DROP_RETAIL},
    {1, "Version", -1},
    {2, "About", IDM_ABOUT},
    {1, nullptr, 0},
    {1, "Exit", IDM_EXIT},
    {0, "Rer1.5", -1},
    {1, "Compile", IDM_PROTO_COMPILE},
    {1, "Disassemble", IDM_PROTO_DISASSEMBLE},
    {0, "Bio2", -1},
    {1, "Compile", IDM_RETAIL_COMPILE},
    {1, "Disassemble", IDM_RETAIL_DISASSEMBLE},
};

const MenuLine kClassMenu[] = {
    {0, "&File", -1},
    {1, "E&xit", IDM_EXIT},
    {0, "&Help", -1},
    {1, "&About ...", IDM_ABOUT},
};

// Reads a menu back into the same depth-first form.
void Walk(HMENU menu, int depth, std::vector<std::string>& out) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char label[128] = {};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = label;
        info.cch = sizeof label;
        ASSERT_TRUE(GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info));
        if (info.fType & MFT_SEPARATOR) {
            out.push_back(std::to_string(depth) + " ----");
        } else if (info.hSubMenu) {
            out.push_back(std::to_string(depth) + " " + label + " >");
            Walk(info.hSubMenu, depth + 1, out);
        } else {
            out.push_back(std::to_string(depth) + " " + label + " " + std::to_string(info.wID));
        }
    }
}

template <size_t N>
std::vector<std::string> Expected(const MenuLine (&lines)[N]) {
    std::vector<std::string> out;
    for (const MenuLine& l : lines) {
        std::string s = std::to_string(l.depth) + " ";
        if (!l.label)
            s += "----";
        else if (l.id < 0)
            s += std::string(l.label) + " >";
        else
            s += std::string(l.label) + " " + std::to_string(l.id);
        out.push_back(s);
    }
    return out;
}

TEST_F(ShellTest, WindowHasClassTitleStyleAndClientArea) {
    EXPECT_EQ(ClassOf(main()), "quillon");
    EXPECT_EQ(WindowText(main()), "Quillon");
    RECT client;
    GetClientRect(main(), &client);
    EXPECT_EQ(client.right - client.left, 320);
    EXPECT_EQ(client.bottom - client.top, 260); // 240 and 20 for the status bar
    const LONG style = GetWindowLongW(main(), GWL_STYLE);
    EXPECT_EQ(style & 0x02CA0000, 0x02CA0000);
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0) << "a fixed-size window";
    EXPECT_TRUE(IsWindowVisible(main()));
    EXPECT_EQ(GetMenu(main()), menu());
    EXPECT_EQ(g_app->clientWidth, 320u);
    EXPECT_EQ(g_app->clientHeight, 240u);
    EXPECT_EQ(g_app->statusBarFlag, 1u);
    EXPECT_EQ(g_mainWindow, main());
    EXPECT_EQ(g_instance, GetModuleHandleW(nullptr));
}

TEST_F(ShellTest, WindowIsCentredOnTheDesktop) {
    RECT own, desktop;
    GetWindowRect(main(), &own);
    GetWindowRect(GetDesktopWindow(), &desktop);
    const int w = own.right - own.left, h = own.bottom - own.top;
    EXPECT_EQ(own.left, (desktop.right - desktop.left - w) / 2 + desktop.left);
    EXPECT_EQ(own.top, (desktop.bottom - desktop.top - h) / 2 + desktop.top);
}

TEST_F(ShellTest, MenuHasLabelsAndIdentifiers) {
    std::vector<std::string> seen;
    Walk(menu(), 0, seen);
    EXPECT_EQ(seen, Expected(kMainMenu));
}

TEST_F(ShellTest, FormatAndRetailAreCheckedAtStart) {
    EXPECT_TRUE(Checked(IDM_FORMAT));
    EXPECT_FALSE(Checked(IDM_EXACT));
    EXPECT_TRUE(Checked(IDM_DROP_RETAIL));
    EXPECT_FALSE(Checked(IDM_DROP_PROTOTYPE));
    EXPECT_EQ(DropSelector, kDropRetail);
    EXPECT_EQ(RetailContext().indent, 1);
    EXPECT_EQ(PrototypeContext().indent, 1);
}

TEST_F(ShellTest, StatusBarShowsVersionAndReadyInTwoPanes) {
    ASSERT_NE(g_app->statusBar, nullptr);
    EXPECT_EQ(ClassOf(g_app->statusBar), "msctls_statusbar32");
    EXPECT_EQ(GetParent(g_app->statusBar), main());
    EXPECT_TRUE(IsWindowVisible(g_app->statusBar));
    int edges[4] = {};
    ASSERT_EQ(SendMessageW(g_app->statusBar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 2);
    EXPECT_EQ(edges[0], 260);
    EXPECT_EQ(edges[1], -1);
    EXPECT_EQ(Status(0), "1.9.1.0");
    EXPECT_EQ(Status(1), "READY");
}

TEST_F(ShellTest, ClassCarriesIconsAndTheUnshownMenu) {
    EXPECT_NE(GetClassLongPtrW(main(), GCLP_HICON), 0);
    EXPECT_NE(GetClassLongPtrW(main(), GCLP_HICONSM), 0);
    EXPECT_EQ(GetClassLongPtrW(main(), GCLP_HBRBACKGROUND), COLOR_WINDOW + 1);
    EXPECT_EQ(GetClassLongPtrW(main(), GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW),
              CS_HREDRAW | CS_VREDRAW);
    // Menu 109 is the class's menu; the window was given menu 111 instead.
    HMENU classMenu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_CLASSMENU));
    ASSERT_NE(classMenu, nullptr);
    std::vector<std::string> seen;
    Walk(classMenu, 0, seen);
    DestroyMenu(classMenu);
    EXPECT_EQ(seen, Expected(kClassMenu));
}

TEST(Resources, StringsNameTheWindowAndItsClass) {
    wchar_t text[260];
    ASSERT_GT(LoadStringW(GetModuleHandleW(nullptr), IDS_TITLE, text, 260), 0);
    EXPECT_EQ(Narrow(text), "Quillon");
    ASSERT_GT(LoadStringW(GetModuleHandleW(nullptr), IDS_CLASS, text, 260), 0);
    EXPECT_EQ(Narrow(text), "quillon");
}

#pragma pack(push, 2)
struct IconDirEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconDir {
    WORD reserved, type, count;
    IconDirEntry entries[1];
};
#pragma pack(pop)

std::vector<int> IconSizes(LPCWSTR name) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, name, MAKEINTRESOURCEW(14)); // RT_GROUP_ICON
    if (!found) return {};
    const auto* dir = static_cast<const IconDir*>(LockResource(LoadResource(self, found)));
    std::vector<int> sizes;
    for (int i = 0; i < dir->count; ++i) sizes.push_back(dir->entries[i].width);
    return sizes;
}

TEST(Resources, IconsOfOurOwnIn16And48Pixels) {
    EXPECT_EQ(IconSizes(MAKEINTRESOURCEW(IDI_LARGE)), (std::vector<int>{48, 16}));
    EXPECT_EQ(IconSizes(MAKEINTRESOURCEW(IDI_SMALL)), (std::vector<int>{16}));
    EXPECT_EQ(IconSizes(L"IDI_APPICON"), (std::vector<int>{48, 16}));
}

TEST(Resources, AcceleratorsSendAboutForAltQuestionMarkAndSlash) {
    HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    ACCEL entries[8];
    ASSERT_EQ(CopyAcceleratorTableW(table, entries, 8), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(entries[i].fVirt & ~0x80, FALT) << "character accelerator with Alt, entry " << i;
        EXPECT_EQ(entries[i].cmd, IDM_ABOUT);
    }
    EXPECT_EQ(entries[0].key, '?');
    EXPECT_EQ(entries[1].key, '/');
}

TEST(Resources, VersionIs1910) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(self, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(self, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(9, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, 1));
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_EQ(Narrow(text), "1.9.1.0");
}

TEST_F(ShellTest, AltCIsRegisteredAsHotKeyOfTheMainWindow) {
    // Another window cannot have Alt+C while the program holds it.
    HWND other =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(RegisterHotKey(other, 7, MOD_ALT, 0x43));
    DestroyWindow(other);
    EXPECT_TRUE(UnregisterHotKey(main(), 1)) << "the hot key was registered on the main window";
}

TEST_F(ShellTest, ExitEndsTheMessageLoopWithCodeZero) {
    PostMessageW(main(), WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
    EXPECT_EQ(RunMessageLoop(GetModuleHandleW(nullptr)), 0);
    EXPECT_FALSE(IsWindow(main()));
}

TEST_F(ShellTest, ClosingTheWindowEndsTheMessageLoopWithCodeZero) {
    PostMessageW(main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(RunMessageLoop(GetModuleHandleW(nullptr)), 0);
    EXPECT_FALSE(IsWindow(main()));
}

TEST(Program, RunsAndExitsWithCodeZero) {
    // The whole start-up and loop in this process; the window is closed
    // from another thread as soon as it is there.
    const DWORD self = GetCurrentThreadId();
    int code = -1;
    RECT client = {};
    WhileRunning([&] { code = RunProgram(GetModuleHandleW(nullptr), SW_SHOW); },
                 [&] {
                     HWND window = WaitForWindow(self, [](HWND w) {
                         return ClassOf(w) == "quillon" && IsWindowVisible(w);
                     });
                     if (!window) return;
                     GetClientRect(window, &client);
                     PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
                 });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(client.right, 320);
    EXPECT_EQ(client.bottom, 260);
}

} // namespace
} // namespace quillon::test
