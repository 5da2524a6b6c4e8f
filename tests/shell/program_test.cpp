// quillon.exe as a process of its own: its window, the show command it is
// started with, its exit code, and a screenshot of the running window.
#include "harness.h"

#include <set>

#include "screenshot.h"

namespace quillon::test {
namespace {

std::string Folder(const std::string& path) {
    return path.substr(0, path.rfind('\\'));
}

std::string SelfPath() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return self;
}

// The program is built one folder above the tests.
std::string ProgramPath() {
    return Folder(Folder(SelfPath())) + "\\quillon.exe";
}

class Program {
  public:
    explicit Program(WORD showCommand) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = showCommand;
        std::string command = "\"" + ProgramPath() + "\"";
        started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &process_);
    }
    ~Program() {
        if (!started_) return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.hProcess, 99);
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
    bool started() const { return started_; }

    // The program's main window once it is there.
    HWND Window(int timeoutMs = 20000) {
        for (int waited = 0; waited < timeoutMs; waited += 20) {
            for (HWND w = FindWindowExW(nullptr, nullptr, L"quillon", nullptr); w;
                 w = FindWindowExW(nullptr, w, L"quillon", nullptr)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == process_.dwProcessId && IsWindowVisible(w)) return w;
            }
            Sleep(20);
        }
        return nullptr;
    }

    // The exit code, or -1 when the program is still running after the wait.
    long ExitCode(int timeoutMs = 20000) {
        if (WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<long>(code);
    }

  private:
    bool started_ = false;
    PROCESS_INFORMATION process_ = {};
};

TEST(ProgramProcess, ShowsTheWindowAndEndsWithZeroOnExit) {
    Program program(SW_SHOWNORMAL);
    ASSERT_TRUE(program.started()) << ProgramPath();
    HWND window = program.Window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), "Quillon");
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 320);
    EXPECT_EQ(client.bottom, 260);
    EXPECT_FALSE(IsIconic(window));

    // The running window as the screen shows it, saved beside the tests.
    Sleep(700);
    RECT area;
    GetWindowRect(window, &area);
    const Image shot = CaptureScreen(area);
    std::set<std::uint32_t> colours;
    for (size_t i = 0; i + 2 < shot.rgb.size(); i += 3)
        colours.insert(shot.rgb[i] << 16 | shot.rgb[i + 1] << 8 | shot.rgb[i + 2]);
    EXPECT_GT(colours.size(), 4u) << "the window was drawn";
    const std::string png = Folder(SelfPath()) + "\\quillon-screenshot.png";
    EXPECT_TRUE(WritePng(png, shot)) << png;

    PostMessageW(window, WM_COMMAND, MAKEWPARAM(105, 0), 0);
    EXPECT_EQ(program.ExitCode(), 0);
}

TEST(ProgramProcess, TakesTheShowCommandItIsStartedWithAndEndsWithZeroOnClose) {
    Program program(SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(program.started()) << ProgramPath();
    HWND window = program.Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsIconic(window));
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(), 0);
}

} // namespace
} // namespace quillon::test
