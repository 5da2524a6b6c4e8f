// Test helpers for the Windows program: a fresh main window per test, a
// temporary folder, a watcher thread that answers the program's message boxes
// and dialogs while the test thread runs the command, and real drop handles.
#pragma once

#include <gtest/gtest.h>

#include "shell.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace quillon::test {

std::string Narrow(const std::wstring& text);

// Text of a window or of a dialog's control (read from another thread too).
std::string WindowText(HWND window);
std::string ControlText(HWND dialog, int id);
std::string ClassOf(HWND window);
// Texts of the status bar's two panes.
std::string StatusText(HWND statusBar, int pane);

// A message box as the user saw it.
struct Box {
    std::string caption;
    std::string text;
    std::vector<std::string> buttons; // texts of its buttons, in order
    bool hasOwner = true;
    std::string status0, status1;          // the status bar while the box was shown
    std::vector<std::string> filesPresent; // Watched files that existed then
};

// Polls the top-level windows of `thread` for up to `timeoutMs` and returns
// the first for which `match` holds, or null.
HWND WaitForWindow(DWORD thread, const std::function<bool(HWND)>& match, int timeoutMs = 10000);
// True for a message box: a dialog whose text control is 0xFFFF and that has
// no edit field (the file and Window Size dialogs have some).
bool IsMessageBox(HWND window);
// Waits for `window` to disappear; false on timeout.
bool WaitGone(HWND window, int timeoutMs = 10000);
// Presses a dialog's button as a click does.
void Press(HWND dialog, int id);

// Runs `work` on a thread of its own while the test thread does `action`
// (which may block in a dialog's or a box's message loop); joins it.
void WhileRunning(const std::function<void()>& action, const std::function<void()>& work);

// Answers message boxes of the test thread with OK until stopped, recording
// each one. `watchedFiles` are checked for existence while a box shows.
class BoxCatcher {
  public:
    explicit BoxCatcher(std::vector<std::string> watchedFiles = {});
    ~BoxCatcher();
    // Stops watching once no box is open and returns what was seen.
    std::vector<Box> Finish();

  private:
    void Run();
    DWORD thread_;
    std::vector<std::string> watched_;
    std::atomic<bool> stop_{false};
    std::vector<Box> boxes_;
    std::thread worker_;
};

// A folder of its own under the system's temporary folder, removed with
// everything in it at the end.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
bool ReadFile(const std::string& path, std::string& bytes);
bool Exists(const std::string& path);

// A drop handle as the system gives one: a DROPFILES block followed by the
// paths (wide when `wide`), each ended by a zero, the list by another.
HDROP MakeDrop(const std::vector<std::string>& paths, bool wide = true);

// A fresh main window made by the program's own start-up steps for each
// test, destroyed afterwards with the message queue emptied.
class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    HWND main() const { return g_app->mainWindow; }
    HMENU menu() const { return g_app->menu; }
    bool Checked(int id) const;
    // Sends a menu command the way the menu does.
    LRESULT Command(int id);
    std::string Status(int pane) const { return StatusText(g_app->statusBar, pane); }
};

// Drains the test thread's queue, including any quit message.
void DrainMessages();

// A guard for the whole run: a dialog of the test thread that nobody
// answers would hang the tests, so one that stays open for several seconds
// is closed and reported. Returns and forgets what it closed since the last
// call.
void StartStrayDialogGuard();
std::vector<std::string> TakeStrayDialogs();

} // namespace quillon::test
