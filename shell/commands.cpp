// What arrives at the main window: menu commands, the open-file, Window Size
// and about dialogs, and dropped files. The conversions are the codec
// drivers'; the shell picks the driver and the file and shows the status.
#include "shell.h"

#include <string>
#include <vector>

#include "codec/base/text.h"
#include "codec/classic/line_ends.h"
#include "io/drivers.h"
#include "io/exact_drivers.h"
#include "io/file_bytes.h"
#include "io/paths.h"
#include "resource.h"

namespace quillon {

const char kSourceFilter[] = "C Source (*.C)\0*.C\0";
const char kScdFilter[] = "Bio Hazard File (*.SCD)\0*.SCD\0";

namespace {

// Joystick button messages, answered and otherwise ignored.
constexpr UINT kJoy1ButtonDown = 0x03B5;
constexpr UINT kJoy2ButtonDown = 0x03B6;

FileChooser g_chooser = ChooseFile;

bool EqualsIgnoringAsciiCase(const std::string& text, const char* word) {
    size_t i = 0;
    for (; i < text.size() && word[i]; ++i) {
        char a = text[i], b = word[i];
        if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
        if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
        if (a != b) return false;
    }
    return i == text.size() && word[i] == '\0';
}

void SetDropSelector(int selector) {
    CheckMenuItem(g_app->menu, IDM_DROP_PROTOTYPE,
                  MF_BYCOMMAND | (selector == kDropPrototype ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(g_app->menu, IDM_DROP_RETAIL,
                  MF_BYCOMMAND | (selector == kDropRetail ? MF_CHECKED : MF_UNCHECKED));
    DropSelector = selector;
}

void SwitchFormat() {
    ScriptContext& retail = RetailContext();
    ScriptContext& prototype = PrototypeContext();
    const bool on = !(retail.indent == 1 && prototype.indent == 1);
    retail.indent = prototype.indent = on ? 1 : 0;
    CheckMenuItem(g_app->menu, IDM_FORMAT, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

// Exact mode: the check mark of its menu item is its state, so every new
// window starts with it off.
bool ExactChecked() {
    return (GetMenuState(g_app->menu, IDM_EXACT, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void SwitchExact() {
    CheckMenuItem(g_app->menu, IDM_EXACT,
                  MF_BYCOMMAND | (ExactChecked() ? MF_UNCHECKED : MF_CHECKED));
}

// What the status bar says after a command beside "READY": why a command
// that ran to its end gave nothing ("" when nothing needs saying).
std::string g_note;

// A classic compile of a text without a CR writes an empty script, as it
// always has: only CR ends a line. The status bar says why.
int ClassicCompile(int (*driver)(const char*), const char* path) {
    const int result = driver(path);
    std::string text, reason;
    if (result == 0 && ReadWholeFile(BesidePaths(path, "scd").input, text, reason)) {
        const LineEnds ends = LineEndsOf(text);
        if (ends != LineEnds::Usable)
            g_note = std::string(LineEndsReason(ends)) + ": nothing compiled (end lines in CR LF)";
    }
    return result;
}

// The retail drivers: exact while "Exact" is checked.
int RetailCompile(const char* path) {
    return ExactChecked() ? exact::Compile(path) : ClassicCompile(Compile, path);
}
int PrototypeCompile(const char* path) {
    return ClassicCompile(prototype::Compile, path);
}
int RetailDisassemble(const char* path) {
    return ExactChecked() ? exact::Disassemble(path) : Disassemble(path);
}

// A conversion of a file chosen in the open-file dialog. A cancelled dialog
// gives an empty path, which the driver reports as its own failure.
void Convert(int (*driver)(const char*), const char* defaultExtension, const char* filter) {
    std::unique_ptr<char[]> path = g_chooser(defaultExtension, filter);
    driver(path ? path.get() : "");
}

// Returns false for an identifier that is not a command of the program.
bool RunCommand(HWND window, unsigned id) {
    switch (id) {
    case IDM_ABOUT:
        DialogBoxParamW(g_app->instance, MAKEINTRESOURCEW(IDD_ABOUT), window, AboutProc, 0);
        break;
    case IDM_EXIT: DestroyWindow(window); break;
    case IDM_WINDOWSIZE:
        DialogBoxParamA(g_app->instance, MAKEINTRESOURCEA(IDD_WINDOWSIZE), nullptr, WindowSizeProc,
                        0);
        break;
    case IDM_CENTER: Center(g_app->mainWindow); break;
    case IDM_PROTO_COMPILE: Convert(PrototypeCompile, "C", kSourceFilter); break;
    case IDM_PROTO_DISASSEMBLE: Convert(prototype::Disassemble, "SCD", kScdFilter); break;
    case IDM_DROP_PROTOTYPE: SetDropSelector(kDropPrototype); break;
    case IDM_RETAIL_COMPILE: Convert(RetailCompile, "C", kSourceFilter); break;
    case IDM_RETAIL_DISASSEMBLE: Convert(RetailDisassemble, "SCD", kScdFilter); break;
    case IDM_EXACT: SwitchExact(); break;
    case IDM_FORMAT: SwitchFormat(); break;
    case IDM_DROP_RETAIL: SetDropSelector(kDropRetail); break;
    default: return false;
    }
    return true;
}

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    SetStatus("WM_COMMAND", g_app->statusBar, "WAIT");
    const unsigned id = LOWORD(wParam);
    LRESULT result = 0;
    g_note.clear();
    if (!RunCommand(window, id)) result = DefWindowProcW(window, WM_COMMAND, wParam, lParam);
    // Back to the idle texts after every command, one of ours or not, so the
    // status never says "WAIT" while nothing runs; a note follows "READY".
    const std::string ready =
        g_note.empty() ? kReadyText : std::string(kReadyText) + " - " + g_note;
    SetStatus(kVersionText, g_app->statusBar, ready.c_str());
    return result;
}

} // namespace

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_INPUT: return 0;
    case WM_COMMAND: return OnCommand(window, wParam, lParam);
    case WM_DROPFILES: return OnDropFiles(reinterpret_cast<HDROP>(wParam));
    case WM_HOTKEY: return 0;
    case kJoy1ButtonDown:
    case kJoy2ButtonDown: return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

INT_PTR CALLBACK WindowSizeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: ShowWindow(dialog, SW_SHOW); return TRUE;
    case WM_CLOSE: EndDialog(dialog, 1); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_SET) {
            // Text that is not a number reads as 0.
            g_app->clientWidth = GetDlgItemInt(dialog, IDC_WIDTH, nullptr, FALSE);
            g_app->clientHeight = GetDlgItemInt(dialog, IDC_HEIGHT, nullptr, FALSE);
            Resize(g_app->mainWindow, g_app->clientWidth, g_app->clientHeight);
            Center(g_app->mainWindow);
        }
        return TRUE;
    default: return FALSE;
    }
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE: EndDialog(dialog, IDCANCEL); return TRUE;
    default: return FALSE;
    }
}

std::unique_ptr<char[]> ChooseFile(const char* defaultExtension, const char* filter) {
    auto path = std::make_unique<char[]>(MAX_PATH);
    path[0] = '\0';
    OPENFILENAMEA request = {};
    request.lStructSize = sizeof request; // the full structure, with the Windows 2000 members
    request.hwndOwner = nullptr;
    request.lpstrFilter = filter;
    request.nFilterIndex = 0;
    request.lpstrFile = path.get();
    request.nMaxFile = MAX_PATH;
    request.Flags = kChooseFileFlags;
    request.lpstrDefExt = defaultExtension;
    GetOpenFileNameA(&request); // cancelled: the path stays empty
    return path;
}

FileChooser SetFileChooser(FileChooser chooser) {
    FileChooser previous = g_chooser;
    g_chooser = chooser ? chooser : ChooseFile;
    return previous;
}

int OnDropFiles(HDROP drop) {
    SetStatus("WM_DROPFILES", g_app->statusBar, "WAIT");
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        if (length == 0) continue;
        std::vector<char> path((length + 1) * 2);
        if (DragQueryFileA(drop, i, path.data(), length + 1) != 0) RouteDroppedFile(path.data());
    }
    DragFinish(drop);
    SetStatus(kVersionText, g_app->statusBar, kReadyText);
    return 0;
}

int RouteDroppedFile(const char* path) {
    // Only bytecode files are converted, and only ever disassembled.
    const std::string extension = PathExtension(path);
    if (!EqualsIgnoringAsciiCase(extension, "SCD")) return 0;
    const std::string joined = FormatText("%s\\%s.%s", PathFolder(path).c_str(),
                                          PathTitle(path).c_str(), extension.c_str());
    if (DropSelector == kDropPrototype)
        prototype::Disassemble(joined.c_str());
    else if (DropSelector == kDropRetail)
        RetailDisassemble(joined.c_str());
    return 0;
}

} // namespace quillon
