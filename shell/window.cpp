// Start-up, the main window and its small operations: the status bar,
// centring, resizing and the device-context set-up.
#include "shell.h"

#include "codec/base/text.h"
#include "io/drivers.h"
#include "resource.h"

namespace quillon {

namespace {

AppContext g_appRecord;

// Shows "<name> Fail!" under the caption "Quillon"; window creation then
// gives up with 0.
int FailStartup(const char* name) {
    ShowMessage("Quillon", "%s Fail!", name);
    return 0;
}

void MessageBoxSink(const char* caption, const char* text) {
    MessageBoxA(nullptr, text, caption, MB_OK);
}

// The status bar carries WS_EX_ACCEPTFILES, so files dropped on it arrive
// there instead of at the main window; hand them on, or they would be lost
// (and their drop handle never released).
LRESULT CALLBACK StatusBarDrops(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                UINT_PTR id, DWORD_PTR) {
    if (message == WM_DROPFILES) return SendMessageW(GetParent(window), message, wParam, lParam);
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, StatusBarDrops, id);
    return DefSubclassProc(window, message, wParam, lParam);
}

} // namespace

AppContext* g_app = nullptr;
wchar_t g_title[260];
wchar_t g_className[260];
HINSTANCE g_instance = nullptr;
HWND g_mainWindow = nullptr;
int DropSelector = kDropRetail;

bool InitControls() {
    // The status bar is the only common control the program creates.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    if (InitCommonControlsEx(&controls)) return true;
    MessageBoxA(nullptr, "System Error!", "InitCommonControlsEx()", MB_OK);
    return false;
}

void LinkRecords() {
    g_appRecord = AppContext{};
    g_app = &g_appRecord;
    RetailContext().indent = 1;
    PrototypeContext().indent = 1;
    DropSelector = kDropRetail;
}

void LoadTexts(HINSTANCE instance) {
    LoadStringW(instance, IDS_TITLE, g_title, 260);
    LoadStringW(instance, IDS_CLASS, g_className, 260);
}

void InstallMessageBoxes() {
    SetMessageSink(MessageBoxSink);
}

ATOM RegisterMainClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_LARGE));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_CLASSMENU);
    wc.lpszClassName = g_className;
    wc.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(IDI_SMALL));
    return RegisterClassExW(&wc);
}

int CreateMainWindow(HINSTANCE instance, int showCommand) {
    g_app->instance = instance;
    g_instance = instance;

    g_app->menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MAINMENU));
    if (!g_app->menu) return FailStartup("LoadMenuA()");
    CheckMenuItem(g_app->menu, IDM_DROP_RETAIL, MF_BYCOMMAND | MF_CHECKED);
    CheckMenuItem(g_app->menu, IDM_FORMAT, MF_BYCOMMAND | MF_CHECKED);

    g_app->clientWidth = 320;
    g_app->clientHeight = 240;
    g_app->windowRect = {0, 0, 320, 240};
    AdjustWindowRect(&g_app->windowRect, kMainWindowStyle, TRUE);

    const RECT& r = g_app->windowRect;
    g_app->mainWindow = CreateWindowExW(0, g_className, g_title, kMainWindowStyle, 0, 0,
                                        r.right - r.left, r.bottom - r.top + kStatusBarHeight,
                                        nullptr, g_app->menu, instance, nullptr);
    g_mainWindow = g_app->mainWindow;
    if (!g_app->mainWindow) return FailStartup("CreateWindow()");

    if (Center(g_app->mainWindow) != 0) return FailStartup("Center()");
    if (UpdateDC() != 0) return FailStartup("UpdateDC()");
    // Alt+C is taken system-wide and does nothing; the result is ignored.
    RegisterHotKey(g_app->mainWindow, 1, MOD_ALT, 0x43);
    if (!StatusBar()) return FailStartup("StatusBar()");
    g_app->statusBarFlag = 1;

    ShowWindow(g_app->mainWindow, showCommand);
    UpdateWindow(g_app->mainWindow);
    DragAcceptFiles(g_app->mainWindow, TRUE);
    return 1;
}

void ProcessMessage(MSG& msg, HACCEL accelerators) {
    if (!TranslateAcceleratorW(msg.hwnd, accelerators, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int RunMessageLoop(HINSTANCE instance) {
    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    MSG msg = {};
    // With no window filter GetMessageW cannot fail; 0 means the quit message.
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) ProcessMessage(msg, accelerators);
    return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 0;
}

int RunProgram(HINSTANCE instance, int showCommand) {
    InstallMessageBoxes();
    if (!InitControls()) return 0;
    LinkRecords();
    LoadTexts(instance);
    RegisterMainClass(instance);
    if (!CreateMainWindow(instance, showCommand)) return 0;
    return RunMessageLoop(instance);
}

int SetStatus(const char* text0, HWND statusBar, const char* text1) {
    SendMessageA(statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text0));
    SendMessageA(statusBar, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(text1));
    Sleep(0);
    return 0;
}

int Center(HWND window) {
    RECT own, desktop;
    GetWindowRect(window, &own);
    GetWindowRect(GetDesktopWindow(), &desktop);
    const int w = own.right - own.left, h = own.bottom - own.top;
    const int dw = desktop.right - desktop.left, dh = desktop.bottom - desktop.top;

    RECT work;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
        work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};

    int x = (dw - w) / 2 + desktop.left;
    if (x < 0)
        x = 0;
    else if (x + w > work.right)
        x = work.right - w;
    int y = (dh - h) / 2 + desktop.top;
    if (y < 0)
        y = 0;
    else if (y + h > work.bottom)
        y = work.bottom - h;

    return SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER) ? 0 : 1;
}

int Resize(HWND window, std::uint32_t width, std::uint32_t height) {
    DestroyWindow(g_app->statusBar);
    g_app->statusBar = nullptr;

    const LONG wantWidth = static_cast<LONG>(width);
    const LONG wantHeight =
        static_cast<LONG>(height + (g_app->statusBarFlag ? kStatusBarHeight : 0));
    RECT r = {0, 0, wantWidth, wantHeight};
    const DWORD style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
    if (!AdjustWindowRectEx(&r, style, GetMenu(window) != nullptr, exStyle))
        return ShowFailure("%s Fail!", "AdjustWindowRectEx()");

    if (!SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                      SWP_NOSENDCHANGING | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE))
        return ShowFailure("%s Fail!", "Resize()");

    RECT client;
    GetClientRect(window, &client);
    if (client.right - client.left != wantWidth || client.bottom - client.top != wantHeight)
        return ShowFailure("%s Fail!", "Resize()");

    if (g_app->statusBarFlag && !StatusBar()) return ShowFailure("%s Fail!", "StatusBar()");
    return 0;
}

HWND StatusBar() {
    HWND bar = CreateWindowExA(WS_EX_ACCEPTFILES, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE,
                               0, 0, 0, 0, g_app->mainWindow, nullptr, g_app->instance, nullptr);
    g_app->statusBar = bar;
    if (!bar) return nullptr;
    SetWindowSubclass(bar, StatusBarDrops, 1, 0);
    int edges[2] = {260, -1};
    SendMessageA(bar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
    SendMessageA(bar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(""));
    SendMessageA(bar, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(""));
    SetStatus(kVersionText, bar, kReadyText);
    return bar;
}

int UpdateDC() {
    HDC dc = GetWindowDC(g_app->mainWindow);
    if (!dc) {
        ShowMessage("Error!", "%s Fail!", "RetDC()");
        ShowMessage("Error!", "%s Fail!", "UpdateDC()");
        return 0;
    }
    SetBkMode(dc, TRANSPARENT);
    SetDCBrushColor(dc, RGB(0, 0, 0));
    SetDCPenColor(dc, RGB(0, 0, 0));
    SetSystemPaletteUse(dc, GetSystemPaletteUse(dc));
    RestoreDC(dc, SaveDC(dc));
    ReleaseDC(g_app->mainWindow, dc);
    SendMessageW(g_app->mainWindow, WM_PAINT, 0, 0);
    return 0;
}

} // namespace quillon
