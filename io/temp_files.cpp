#include "io/temp_files.h"

#include <atomic>
#include <csignal>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace quillon {

namespace {

// The paths are kept in fixed storage, which the handler reads without
// allocating. A slot is free (0), taken while its path is copied in (2), or
// holds a path to remove (1).
constexpr int kSlots = 16;
constexpr std::size_t kLongestPath = 4096;
char g_paths[kSlots][kLongestPath];
std::atomic<int> g_slots[kSlots];
std::atomic<int> g_fds[kSlots]; // the descriptor + 1, or 0

void RemoveAll() {
    for (int i = 0; i < kSlots; ++i) {
        if (g_slots[i].load(std::memory_order_acquire) != 1) continue;
#ifdef _WIN32
        if (const int fd = g_fds[i].load(std::memory_order_acquire); fd > 0)
            CloseHandle(reinterpret_cast<HANDLE>(_get_osfhandle(fd - 1)));
        DeleteFileA(g_paths[i]);
#else
        unlink(g_paths[i]);
#endif
    }
}

#ifdef _WIN32
BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    RemoveAll();
    ExitProcess(128 + (event == CTRL_C_EVENT ? SIGINT : SIGBREAK));
    return TRUE;
}
#else
void OnSignal(int signal) {
    RemoveAll();
    _exit(128 + signal);
}
#endif

} // namespace

void RemoveTempFilesOnInterrupt() {
#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
    std::signal(SIGXFSZ, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigfillset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal ignored from the start (nohup, a background job) stays so.
        struct sigaction old {};
        if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
    }
#endif
}

int RegisterTempFile(const std::string& path) {
    if (path.size() >= kLongestPath) return -1;
    for (int i = 0; i < kSlots; ++i) {
        int free = 0;
        if (!g_slots[i].compare_exchange_strong(free, 2, std::memory_order_acquire)) continue;
        std::memcpy(g_paths[i], path.c_str(), path.size() + 1);
        g_fds[i].store(0, std::memory_order_relaxed);
        g_slots[i].store(1, std::memory_order_release);
        return i;
    }
    return -1;
}

void TempFileOpened(int slot, int fd) {
    if (slot >= 0 && slot < kSlots) g_fds[slot].store(fd + 1, std::memory_order_release);
}

void ForgetTempFile(int slot) {
    if (slot >= 0 && slot < kSlots) g_slots[slot].store(0, std::memory_order_release);
}

} // namespace quillon
