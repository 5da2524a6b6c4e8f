#include "harness.h"

#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>

namespace quillon::test {

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::string WindowText(HWND window) {
    wchar_t buffer[1024] = {};
    DWORD_PTR length = 0;
    // WM_GETTEXT with a timeout: the window's thread may be busy.
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL,
                        5000, &length);
    return Narrow(buffer);
}

std::string ControlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control ? WindowText(control) : std::string("<no control>");
}

std::string ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return Narrow(name);
}

std::string StatusText(HWND statusBar, int pane) {
    char buffer[256] = {};
    DWORD_PTR result = 0;
    if (!statusBar ||
        !SendMessageTimeoutA(statusBar, SB_GETTEXTLENGTHA, pane, 0, SMTO_NORMAL, 5000, &result) ||
        LOWORD(result) >= sizeof buffer)
        return "<no status>";
    SendMessageTimeoutA(statusBar, SB_GETTEXTA, pane, reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL,
                        5000, &result);
    return buffer;
}

namespace {

struct FindRequest {
    const std::function<bool(HWND)>* match;
    HWND found;
};

BOOL CALLBACK FindOne(HWND window, LPARAM param) {
    auto* request = reinterpret_cast<FindRequest*>(param);
    if ((*request->match)(window)) {
        request->found = window;
        return FALSE;
    }
    return TRUE;
}

struct ChildScan {
    bool hasEdit = false;
    std::vector<HWND> buttons;
};

BOOL CALLBACK ScanChild(HWND child, LPARAM param) {
    auto* scan = reinterpret_cast<ChildScan*>(param);
    const std::string cls = ClassOf(child);
    if (lstrcmpiA(cls.c_str(), "Edit") == 0) scan->hasEdit = true;
    if (lstrcmpiA(cls.c_str(), "Button") == 0) scan->buttons.push_back(child);
    return TRUE;
}

} // namespace

HWND WaitForWindow(DWORD thread, const std::function<bool(HWND)>& match, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        FindRequest request = {&match, nullptr};
        EnumThreadWindows(thread, FindOne, reinterpret_cast<LPARAM>(&request));
        if (request.found) return request.found;
        Sleep(10);
    } while (std::chrono::steady_clock::now() < end);
    return nullptr;
}

bool IsMessageBox(HWND window) {
    if (ClassOf(window) != "#32770" || !IsWindowVisible(window)) return false;
    HWND text = GetDlgItem(window, 0xFFFF);
    if (!text || ClassOf(text) != "Static" || GetDlgItem(window, 1000)) return false;
    ChildScan scan;
    EnumChildWindows(window, ScanChild, reinterpret_cast<LPARAM>(&scan));
    return !scan.hasEdit && !scan.buttons.empty();
}

bool WaitGone(HWND window, int timeoutMs) {
    for (int waited = 0; IsWindow(window) && IsWindowVisible(window); waited += 10) {
        if (waited >= timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

void Press(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button)
        PostMessageW(button, BM_CLICK, 0, 0);
    else
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void WhileRunning(const std::function<void()>& action, const std::function<void()>& work) {
    std::thread worker(work);
    action();
    worker.join();
}

BoxCatcher::BoxCatcher(std::vector<std::string> watchedFiles)
    : thread_(GetCurrentThreadId()), watched_(std::move(watchedFiles)), worker_([this] { Run(); }) {
}

BoxCatcher::~BoxCatcher() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

std::vector<Box> BoxCatcher::Finish() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
    return boxes_;
}

void BoxCatcher::Run() {
    const std::function<bool(HWND)> isBox = IsMessageBox;
    while (!stop_) {
        HWND box = WaitForWindow(thread_, isBox, 50);
        if (!box) continue;
        Sleep(20); // let the box finish its set-up
        Box seen;
        seen.caption = WindowText(box);
        seen.text = ControlText(box, 0xFFFF);
        seen.hasOwner = GetWindow(box, GW_OWNER) != nullptr;
        ChildScan scan;
        EnumChildWindows(box, ScanChild, reinterpret_cast<LPARAM>(&scan));
        for (HWND b : scan.buttons) seen.buttons.push_back(WindowText(b));
        if (g_app && g_app->statusBar) {
            seen.status0 = StatusText(g_app->statusBar, 0);
            seen.status1 = StatusText(g_app->statusBar, 1);
        }
        for (const std::string& file : watched_)
            if (Exists(file)) seen.filesPresent.push_back(file);
        boxes_.push_back(seen);
        if (!scan.buttons.empty()) PostMessageW(scan.buttons.front(), BM_CLICK, 0, 0);
        if (!WaitGone(box, 2000)) PostMessageW(box, WM_COMMAND, IDOK, 0);
        WaitGone(box, 5000);
    }
}

TempFolder::TempFolder() {
    static int counter = 0;
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    std::string folder = base;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    path_ = folder + "\\quillon-shell-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((path_ + "\\" + entry.cFileName).c_str());
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(path_.c_str());
}

void WriteFile(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

bool ReadFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
    return true;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

HDROP MakeDrop(const std::vector<std::string>& paths, bool wide) {
    std::string names; // the paths as bytes, each with its terminator
    for (const std::string& p : paths) {
        if (wide) {
            int n = MultiByteToWideChar(CP_ACP, 0, p.c_str(), -1, nullptr, 0);
            std::wstring w(static_cast<size_t>(n), L'\0');
            MultiByteToWideChar(CP_ACP, 0, p.c_str(), -1, w.data(), n);
            names.append(reinterpret_cast<const char*>(w.c_str()), w.size() * sizeof(wchar_t));
        } else {
            names.append(p.c_str(), p.size() + 1);
        }
    }
    names.append(wide ? sizeof(wchar_t) : 1, '\0');

    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->pt = {10, 10};
    header->fNC = FALSE;
    header->fWide = wide;
    memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

void DrainMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) DispatchMessageW(&msg);
    }
}

namespace {

std::mutex g_strayLock;
std::vector<std::string> g_strays;

void GuardDialogs(DWORD thread) {
    std::map<HWND, ULONGLONG> firstSeen;
    for (;;) {
        Sleep(250);
        std::vector<HWND> open;
        EnumThreadWindows(
            thread,
            [](HWND w, LPARAM param) -> BOOL {
                if (ClassOf(w) == "#32770" && IsWindowVisible(w))
                    reinterpret_cast<std::vector<HWND>*>(param)->push_back(w);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&open));
        const ULONGLONG now = GetTickCount64();
        std::map<HWND, ULONGLONG> still;
        for (HWND w : open) {
            const ULONGLONG since = firstSeen.count(w) ? firstSeen[w] : now;
            still[w] = since;
            // Message boxes are answered within a second by the tests that
            // expect them; other dialogs may legitimately stay longer.
            if (now - since < (IsMessageBox(w) ? 5000u : 30000u)) continue;
            {
                std::lock_guard<std::mutex> lock(g_strayLock);
                g_strays.push_back(WindowText(w) + ": " + ControlText(w, 0xFFFF));
            }
            PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
            PostMessageW(w, WM_COMMAND, IDOK, 0);
            PostMessageW(w, WM_CLOSE, 0, 0);
            still.erase(w);
        }
        firstSeen.swap(still);
    }
}

} // namespace

void StartStrayDialogGuard() {
    std::thread(GuardDialogs, GetCurrentThreadId()).detach();
}

std::vector<std::string> TakeStrayDialogs() {
    std::lock_guard<std::mutex> lock(g_strayLock);
    std::vector<std::string> taken;
    taken.swap(g_strays);
    return taken;
}

void ShellTest::SetUp() {
    LinkRecords();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    LoadTexts(instance);
    SetFileChooser(nullptr);
    ASSERT_EQ(CreateMainWindow(instance, SW_SHOW), 1);
    DrainMessages();
}

void ShellTest::TearDown() {
    for (const std::string& stray : TakeStrayDialogs())
        ADD_FAILURE() << "unanswered dialog " << stray;
    SetFileChooser(nullptr);
    if (g_app && IsWindow(g_app->mainWindow)) DestroyWindow(g_app->mainWindow);
    DrainMessages();
}

bool ShellTest::Checked(int id) const {
    return (GetMenuState(g_app->menu, static_cast<UINT>(id), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

LRESULT ShellTest::Command(int id) {
    return SendMessageW(g_app->mainWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

} // namespace quillon::test

namespace {

// Under Wine without a window manager, every window that is destroyed makes
// Wine wait two seconds for a manager's answer that never comes. Wine's X11
// driver reads at process start whether it leaves windows to a manager
// ("Managed"); with "N" it draws the frames itself, as Windows does. The first
// run in a new prefix sets the value and runs the tests again in a process
// of its own, which then starts with it. Returns true with the child's exit
// code when it did so.
bool RunUnmanaged(int& exitCode) {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return false; // not Wine
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    wchar_t value[8] = {};
    DWORD size = sizeof value;
    const bool already = RegQueryValueExW(key, L"Managed", nullptr, nullptr,
                                          reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
                         (value[0] == L'N' || value[0] == L'n');
    if (!already)
        RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"),
                       2 * sizeof(wchar_t));
    RegCloseKey(key);
    if (already) return false;

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    if (!CreateProcessW(nullptr, GetCommandLineW(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &child))
        return false;
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    exitCode = static_cast<int>(code);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    int childCode = 0;
    if (RunUnmanaged(childCode)) return childCode;
    ::testing::InitGoogleTest(&argc, argv);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // The program's own start-up, up to the window: each test makes one.
    quillon::InstallMessageBoxes();
    if (!quillon::InitControls()) return 1;
    quillon::LinkRecords();
    quillon::LoadTexts(instance);
    quillon::RegisterMainClass(instance);
    quillon::test::StartStrayDialogGuard();
    return RUN_ALL_TESTS();
}
