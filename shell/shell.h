// The Windows program: start-up, the main window with its menu and status
// bar, the menu commands, the open-file and Window Size dialogs, and the
// routing of dropped files. The conversions themselves belong to the codec's
// four drivers; this layer only chooses which one runs on which file.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <cstdint>
#include <memory>

#include "quillon_version.h"

namespace quillon {

// The application record.
struct AppContext {
    std::uint32_t clientWidth = 0;  // requested client width in pixels
    std::uint32_t clientHeight = 0; // requested client height without the status bar
    RECT windowRect = {};           // scratch rectangle of the start-up size computation
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    HWND statusBar = nullptr;        // the current status bar, null after a failed Resize
    HMENU menu = nullptr;            // menu 111
    std::uint32_t statusBarFlag = 0; // 1 once start-up has created the status bar
};

extern AppContext* g_app;
extern wchar_t g_title[260];     // string 103
extern wchar_t g_className[260]; // string 109
extern HINSTANCE g_instance;
extern HWND g_mainWindow;

// The dialect that dropped files are disassembled with.
constexpr int kDropPrototype = 150;
constexpr int kDropRetail = 200;
extern int DropSelector;

// The status texts of the idle program.
inline constexpr char kVersionText[] = QUILLON_VERSION_TEXT;
inline constexpr char kReadyText[] = "READY";

// The status bar's height, added below the requested client area.
constexpr int kStatusBarHeight = 20;
// The main window's style: fixed size, caption, system menu, minimise box.
constexpr DWORD kMainWindowStyle = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// The open-file dialog's flags.
constexpr DWORD kChooseFileFlags =
    OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_DONTADDTORECENT;

// The two filters of the open-file dialog: description, pattern, end.
extern const char kSourceFilter[];
extern const char kScdFilter[];

// ---- Start-up (the entry point runs these in order) ----

// Initialises the common controls; on failure shows "System Error!" under the
// caption "InitCommonControlsEx()" and returns false.
bool InitControls();
// Links the application record, sets DropSelector to retail and both
// dialects' indentation on.
void LinkRecords();
// Loads the window title and the class name from the string resources.
void LoadTexts(HINSTANCE instance);
// Sends the codec's messages to message boxes with no owner and an OK button.
void InstallMessageBoxes();
ATOM RegisterMainClass(HINSTANCE instance);
// Builds the main window; 1 on success, 0 after a failure message.
int CreateMainWindow(HINSTANCE instance, int showCommand);
// Gives one message of the loop to the accelerators or, failing them, to the
// window. The loop itself calls it for every message.
void ProcessMessage(MSG& msg, HACCEL accelerators);
// Runs the message loop with accelerator table 109 until the quit message;
// returns its exit code.
int RunMessageLoop(HINSTANCE instance);
// The whole start-up and the loop: what WinMain does.
int RunProgram(HINSTANCE instance, int showCommand);

// ---- Window operations ----

// Sets pane 0 and pane 1 of the status bar, then yields the time slice.
int SetStatus(const char* text0, HWND statusBar, const char* text1);
// Centres the window on the desktop, inside the work area. 0, or 1 when the
// final positioning fails.
int Center(HWND window);
// Gives the window a client area of width by height (plus the status bar)
// and rebuilds the status bar. 0, or 1 after a failure message.
int Resize(HWND window, std::uint32_t width, std::uint32_t height);
// Creates the status bar of the main window with its two panes showing the
// idle texts and stores it in the application record; null on failure (the
// caller reports it).
HWND StatusBar();
// Sets up the main window's device context and asks it to paint. Returns 0.
int UpdateDC();

// ---- Commands, dialogs and drops ----

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK WindowSizeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the open-file dialog; the 260-byte result holds the chosen path, or
// an empty string when the user cancelled.
std::unique_ptr<char[]> ChooseFile(const char* defaultExtension, const char* filter);
// The commands reach the open-file dialog through this pointer, ChooseFile
// unless replaced. Returns the previous chooser; null restores ChooseFile.
using FileChooser = std::unique_ptr<char[]> (*)(const char* defaultExtension, const char* filter);
FileChooser SetFileChooser(FileChooser chooser);

int OnDropFiles(HDROP drop);
int RouteDroppedFile(const char* path);

} // namespace quillon
