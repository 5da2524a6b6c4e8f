// The Window Size dialog, the window operations behind it, the message boxes
// and the failure messages of start-up.
#include "harness.h"

#include "codec/base/text.h"
#include "io/drivers.h"
#include "resource.h"

namespace quillon::test {
namespace {

RECT ClientOf(HWND w) {
    RECT r;
    GetClientRect(w, &r);
    return r;
}

// Where Center puts a window of this size when the work area allows it.
POINT CentredOrigin(HWND w) {
    RECT own, desktop;
    GetWindowRect(w, &own);
    GetWindowRect(GetDesktopWindow(), &desktop);
    return {(desktop.right - desktop.left - (own.right - own.left)) / 2 + desktop.left,
            (desktop.bottom - desktop.top - (own.bottom - own.top)) / 2 + desktop.top};
}

struct ControlLine {
    const char* cls;
    int id;
    const char* text;
    RECT units; // x, y, width, height in dialog units
    DWORD style;
};

const ControlLine kWindowSizeControls[] = {
    {"Edit", IDC_WIDTH, "", {4, 4, 27, 11}, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP},
    {"Static", -1, "Width", {8, 16, 20, 8}, WS_CHILD | WS_VISIBLE},
    {"Edit", IDC_HEIGHT, "", {38, 4, 27, 11}, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP},
    {"Static", -1, "Height", {42, 16, 22, 8}, WS_CHILD | WS_VISIBLE},
    {"Button",
     IDC_SET,
     "Set",
     {11, 26, 50, 14},
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
};

// What the Window Size test saw from its own thread.
struct SizeSeen {
    bool found = false;
    bool hasOwner = true;
    std::string caption;
    std::vector<std::string> controlErrors;
    RECT clientAfterSet = {};
    POINT originAfterSet = {}, centred = {};
    bool openAfterSet = false;
    bool formatDuringDialog = false;
    std::string status0, status1;
};

std::vector<std::string> CheckControls(HWND dialog) {
    std::vector<std::string> errors;
    std::vector<HWND> children;
    EnumChildWindows(
        dialog,
        [](HWND c, LPARAM p) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(c);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    if (children.size() != std::size(kWindowSizeControls)) {
        errors.push_back("controls: " + std::to_string(children.size()));
        return errors;
    }
    for (size_t i = 0; i < children.size(); ++i) {
        const ControlLine& want = kWindowSizeControls[i];
        HWND c = children[i];
        const std::string at = "control " + std::to_string(i) + ": ";
        if (lstrcmpiA(ClassOf(c).c_str(), want.cls) != 0) errors.push_back(at + ClassOf(c));
        if (static_cast<short>(GetDlgCtrlID(c)) != want.id)
            errors.push_back(at + "id " + std::to_string(GetDlgCtrlID(c)));
        if (WindowText(c) != want.text) errors.push_back(at + "text " + WindowText(c));
        DWORD style = static_cast<DWORD>(GetWindowLongW(c, GWL_STYLE));
        // An edit field draws its border as a sunken client edge.
        if (GetWindowLongW(c, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) style |= WS_BORDER;
        if ((style & want.style) != want.style) errors.push_back(at + "style");
        RECT units = {want.units.left, want.units.top, want.units.left + want.units.right,
                      want.units.top + want.units.bottom};
        MapDialogRect(dialog, &units);
        RECT placed;
        GetWindowRect(c, &placed);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
        if (!EqualRect(&units, &placed)) errors.push_back(at + "placement");
    }
    RECT size = {0, 0, 72, 42};
    MapDialogRect(dialog, &size);
    RECT client;
    GetClientRect(dialog, &client);
    if (!EqualRect(&size, &client)) errors.push_back("dialog size");
    return errors;
}

TEST_F(ShellTest, WindowSizeSetGivesTheClientAreaCentredWithTheDialogStillOpen) {
    SizeSeen seen;
    const DWORD self = GetCurrentThreadId();
    WhileRunning([&] { EXPECT_EQ(Command(IDM_WINDOWSIZE), 0); },
                 [&] {
                     HWND dialog = WaitForWindow(self, [](HWND w) {
                         return ClassOf(w) == "#32770" && IsWindowVisible(w) &&
                                GetDlgItem(w, IDC_SET);
                     });
                     if (!dialog) return;
                     seen.found = true;
                     seen.hasOwner = GetWindow(dialog, GW_OWNER) != nullptr;
                     seen.caption = WindowText(dialog);
                     seen.controlErrors = CheckControls(dialog);
                     SetDlgItemTextA(dialog, IDC_WIDTH, "400");
                     SetDlgItemTextA(dialog, IDC_HEIGHT, "300");
                     Press(dialog, IDC_SET);
                     for (int i = 0; i < 500 && ClientOf(g_app->mainWindow).right != 400; ++i)
                         Sleep(10);
                     Sleep(100);
                     seen.clientAfterSet = ClientOf(g_app->mainWindow);
                     RECT placed;
                     GetWindowRect(g_app->mainWindow, &placed);
                     seen.originAfterSet = {placed.left, placed.top};
                     seen.centred = CentredOrigin(g_app->mainWindow);
                     seen.openAfterSet = IsWindowVisible(dialog);
                     seen.status0 = StatusText(g_app->statusBar, 0);
                     seen.status1 = StatusText(g_app->statusBar, 1);
                     // The main window still takes commands while the dialog is open.
                     SendMessageW(g_app->mainWindow, WM_COMMAND, IDM_FORMAT, 0);
                     seen.formatDuringDialog = RetailContext().indent == 0;
                     // Only the title bar's close ends it.
                     PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
                     WaitGone(dialog);
                 });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.caption, "Window Size");
    EXPECT_FALSE(seen.hasOwner);
    EXPECT_EQ(seen.controlErrors, std::vector<std::string>{});
    EXPECT_EQ(seen.clientAfterSet.right, 400);
    EXPECT_EQ(seen.clientAfterSet.bottom, 320); // 300 and the status bar
    EXPECT_EQ(seen.originAfterSet.x, seen.centred.x);
    EXPECT_EQ(seen.originAfterSet.y, seen.centred.y);
    EXPECT_TRUE(seen.openAfterSet);
    EXPECT_TRUE(seen.formatDuringDialog);
    EXPECT_EQ(seen.status0, "1.9.1.0"); // the rebuilt status bar
    EXPECT_EQ(seen.status1, "READY");
    EXPECT_EQ(g_app->clientWidth, 400u);
    EXPECT_EQ(g_app->clientHeight, 300u);
    EXPECT_EQ(Status(1), "READY");
}

TEST_F(ShellTest, ResizeGivesTheClientAreaAndANewStatusBar) {
    EXPECT_EQ(Resize(main(), 400, 300), 0);
    const RECT client = ClientOf(main());
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 320);
    ASSERT_NE(g_app->statusBar, nullptr);
    EXPECT_TRUE(IsWindow(g_app->statusBar));
    EXPECT_EQ(Status(0), "1.9.1.0");
    EXPECT_EQ(Status(1), "READY");
    int edges[2] = {};
    EXPECT_EQ(SendMessageW(g_app->statusBar, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges)), 2);
    EXPECT_EQ(edges[0], 260);
    // Without the status-bar flag nothing is added and no bar is made.
    g_app->statusBarFlag = 0;
    EXPECT_EQ(Resize(main(), 360, 200), 0);
    EXPECT_EQ(ClientOf(main()).bottom, 200);
    EXPECT_EQ(g_app->statusBar, nullptr);
}

TEST_F(ShellTest, ResizeThatCannotGiveTheSizeSaysSoAndLeavesNoStatusBar) {
    // So narrow that the menu bar wraps onto more lines than the one the
    // size computation allows for: the client area comes out lower.
    BoxCatcher boxes;
    EXPECT_EQ(Resize(main(), 30, 200), 1);
    const std::vector<Box> shown = boxes.Finish();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Quillon");
    EXPECT_EQ(shown[0].text, "Resize() Fail!");
    EXPECT_EQ(g_app->statusBar, nullptr);
    // The next successful Resize brings the status bar back.
    EXPECT_EQ(Resize(main(), 320, 240), 0);
    EXPECT_EQ(Status(1), "READY");
}

struct CenterCase {
    const char* name;
    RECT work; // null rectangle: the whole desktop
    int width, height;
    int x, y; // -1: the centred value
};

TEST_F(ShellTest, CenterKeepsTheWindowInsideTheWorkArea) {
    RECT desktop, saved;
    GetWindowRect(GetDesktopWindow(), &desktop);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &saved, 0));
    const int dw = desktop.right, dh = desktop.bottom;
    const CenterCase cases[] = {
        {"fits", {0, 0, dw, dh}, 400, 300, (dw - 400) / 2, (dh - 300) / 2},
        {"past the right and bottom edges",
         {0, 0, dw / 2, dh / 2},
         400,
         300,
         dw / 2 - 400,
         dh / 2 - 300},
        {"larger than the desktop", {0, 0, dw, dh}, dw + 8, dh + 6, 0, 0},
    };
    for (const CenterCase& c : cases) {
        RECT work = c.work;
        SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0);
        SetWindowPos(main(), nullptr, 7, 9, c.width, c.height, SWP_NOZORDER);
        EXPECT_EQ(Center(main()), 0) << c.name;
        RECT placed;
        GetWindowRect(main(), &placed);
        EXPECT_EQ(placed.left, c.x) << c.name;
        EXPECT_EQ(placed.top, c.y) << c.name;
        EXPECT_EQ(placed.right - placed.left, c.width) << c.name;
    }
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &saved, 0);
}

TEST_F(ShellTest, CenterOfAWindowThatIsGoneFails) {
    HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    DestroyWindow(gone);
    EXPECT_EQ(Center(gone), 1);
}

TEST_F(ShellTest, UpdateDCWithoutAWindowShowsTwoErrorBoxes) {
    HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    DestroyWindow(gone);
    HWND kept = g_app->mainWindow;
    g_app->mainWindow = gone;
    BoxCatcher boxes;
    EXPECT_EQ(UpdateDC(), 0);
    const std::vector<Box> shown = boxes.Finish();
    g_app->mainWindow = kept;
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, "Error!");
    EXPECT_EQ(shown[0].text, "RetDC() Fail!");
    EXPECT_EQ(shown[1].caption, "Error!");
    EXPECT_EQ(shown[1].text, "UpdateDC() Fail!");
}

TEST(MessageBoxes, ShowFailureShowsAnOwnerlessBoxWithOnlyOk) {
    BoxCatcher boxes;
    EXPECT_EQ(ShowFailure("%s Fail!", "Read()"), 1);
    ShowMessage("Caption %d", "%d + %d = %s", 1, 2, "three");
    const std::vector<Box> shown = boxes.Finish();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, "Quillon");
    EXPECT_EQ(shown[0].text, "Read() Fail!");
    EXPECT_EQ(shown[0].buttons, std::vector<std::string>{"OK"});
    EXPECT_FALSE(shown[0].hasOwner);
    EXPECT_EQ(shown[1].caption, "Caption %d"); // the caption is not a format
    EXPECT_EQ(shown[1].text, "1 + 2 = three");
    EXPECT_EQ(shown[1].buttons, std::vector<std::string>{"OK"});
}

// Refuses, while it lives, the creation of windows of one class on the test
// thread, as a system short of resources would.
class CreationVeto {
  public:
    explicit CreationVeto(const char* cls) {
        refused_ = cls;
        hook_ = SetWindowsHookExW(WH_CBT, Refuse, nullptr, GetCurrentThreadId());
    }
    ~CreationVeto() { UnhookWindowsHookEx(hook_); }

  private:
    static LRESULT CALLBACK Refuse(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_CREATEWND &&
            lstrcmpiA(ClassOf(reinterpret_cast<HWND>(wParam)).c_str(), refused_) == 0)
            return 1;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline const char* refused_ = "";
    HHOOK hook_;
};

TEST_F(ShellTest, ResizeThatCannotRebuildTheStatusBarSaysStatusBar) {
    BoxCatcher boxes;
    {
        CreationVeto veto("msctls_statusbar32");
        EXPECT_EQ(Resize(main(), 400, 300), 1);
    }
    const std::vector<Box> shown = boxes.Finish();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Quillon");
    EXPECT_EQ(shown[0].text, "StatusBar() Fail!");
    EXPECT_EQ(g_app->statusBar, nullptr);
    EXPECT_EQ(ClientOf(main()).bottom, 320) << "the window itself was resized";
}

// Start-up's own failures, each ending window creation with 0.
class StartUpFailure : public ::testing::Test {
  protected:
    void SetUp() override { LinkRecords(); }
    void TearDown() override {
        if (IsWindow(g_app->mainWindow)) DestroyWindow(g_app->mainWindow);
        LoadTexts(GetModuleHandleW(nullptr));
        DrainMessages();
    }
};

TEST_F(StartUpFailure, MissingMenuSaysLoadMenuA) {
    // A module without menu 111.
    HMODULE other = GetModuleHandleW(L"kernel32.dll");
    LoadTexts(GetModuleHandleW(nullptr));
    BoxCatcher boxes;
    EXPECT_EQ(CreateMainWindow(other, SW_SHOW), 0);
    const std::vector<Box> shown = boxes.Finish();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Quillon");
    EXPECT_EQ(shown[0].text, "LoadMenuA() Fail!");
    EXPECT_EQ(g_app->mainWindow, nullptr);
}

TEST_F(StartUpFailure, UnknownClassSaysCreateWindow) {
    LoadTexts(GetModuleHandleW(nullptr));
    lstrcpyW(g_className, L"quillon-unregistered");
    BoxCatcher boxes;
    EXPECT_EQ(CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOW), 0);
    const std::vector<Box> shown = boxes.Finish();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Quillon");
    EXPECT_EQ(shown[0].text, "CreateWindow() Fail!");
}

TEST_F(StartUpFailure, StatusBarThatCannotBeMadeSaysStatusBar) {
    LoadTexts(GetModuleHandleW(nullptr));
    BoxCatcher boxes;
    {
        CreationVeto veto("msctls_statusbar32");
        EXPECT_EQ(CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOW), 0);
    }
    const std::vector<Box> shown = boxes.Finish();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Quillon");
    EXPECT_EQ(shown[0].text, "StatusBar() Fail!");
    EXPECT_EQ(g_app->statusBarFlag, 0u);
}

TEST_F(StartUpFailure, WindowThatCannotBeMadeSaysCreateWindow) {
    LoadTexts(GetModuleHandleW(nullptr));
    BoxCatcher boxes;
    {
        CreationVeto veto("quillon");
        EXPECT_EQ(CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOW), 0);
    }
    const std::vector<Box> shown = boxes.Finish();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "CreateWindow() Fail!");
    EXPECT_EQ(g_app->mainWindow, nullptr);
}

TEST_F(StartUpFailure, ShowCommandIsPassedToTheWindow) {
    LoadTexts(GetModuleHandleW(nullptr));
    ASSERT_EQ(CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOWMINNOACTIVE), 1);
    EXPECT_TRUE(IsIconic(g_app->mainWindow));
}

} // namespace
} // namespace quillon::test
