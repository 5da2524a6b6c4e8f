// The menu commands besides the conversions: Format, Drag+Drop, About (from
// the menu and from the keyboard), Center, Exit, and an unknown command.
#include "harness.h"

#include "codec/classic/contexts.h"
#include "resource.h"
#include "samples.h"

namespace quillon::test {
namespace {

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
