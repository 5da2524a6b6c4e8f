// Running the quillon executable from the end-to-end tests: arguments,
// standard input, captured standard output and error, exit status, and a
// scratch folder per test.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace quillon_test {

namespace fs = std::filesystem;

struct RunResult {
    int status = -1; // exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
    double seconds = 0;    // wall time
    double cpuSeconds = 0; // user and system time of the program
};

struct RunOptions {
    std::string input;           // standard input
    std::string cwd;             // working folder (empty: the test's own)
    bool terminalStderr = false; // standard error on a pseudo-terminal
    rlim_t fileSizeLimit = 0;    // bytes a file may grow to (0: no limit)
};

inline void CloseFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

namespace child {

// The pipes between a test and the program it runs, and the pseudo-terminal
// when the program's standard error is one.
struct ChildIo {
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    int ptyMaster = -1;
    std::string ptyName;
};

inline bool OpenChildIo(ChildIo& io, bool terminalStderr) {
    if (pipe(io.in) != 0 || pipe(io.out) != 0) return false;
    if (!terminalStderr) return pipe(io.err) == 0;
    io.ptyMaster = posix_openpt(O_RDWR | O_NOCTTY);
    if (io.ptyMaster < 0 || grantpt(io.ptyMaster) != 0 || unlockpt(io.ptyMaster) != 0) return false;
    io.ptyName = ptsname(io.ptyMaster);
    return true;
}

// In the child: the standard streams onto the pipes, then the program.
[[noreturn]] inline void ExecChild(ChildIo& io, std::vector<char*>& argv,
                                   const RunOptions& options) {
    dup2(io.in[0], 0);
    dup2(io.out[1], 1);
    if (options.terminalStderr) {
        const int slave = open(io.ptyName.c_str(), O_RDWR | O_NOCTTY);
        if (slave < 0) _exit(127);
        dup2(slave, 2);
        close(slave);
        close(io.ptyMaster);
    } else {
        dup2(io.err[1], 2);
        close(io.err[0]);
        close(io.err[1]);
    }
    close(io.in[0]);
    close(io.in[1]);
    close(io.out[0]);
    close(io.out[1]);
    if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(127);
    const rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
    if (options.fileSizeLimit && setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
    execv(argv[0], argv.data());
    _exit(127);
}

// Writes `input` to the program and reads its output and error until both
// end; closes the three descriptors.
inline void Exchange(pid_t pid, int inWrite, int outRead, int errRead, const std::string& input,
                     RunResult& result) {
    signal(SIGPIPE, SIG_IGN);
    size_t written = 0;
    if (input.empty())
        CloseFd(inWrite);
    else
        fcntl(inWrite, F_SETFL, O_NONBLOCK);
    char buffer[1 << 14];
    while (outRead >= 0 || errRead >= 0) {
        pollfd fds[3];
        int n = 0;
        if (outRead >= 0) fds[n++] = {outRead, POLLIN, 0};
        if (errRead >= 0) fds[n++] = {errRead, POLLIN, 0};
        if (inWrite >= 0) fds[n++] = {inWrite, POLLOUT, 0};
        // Two minutes without a byte: a quiet batch under the sanitizers on a
        // loaded machine takes a good part of one.
        if (poll(fds, static_cast<nfds_t>(n), 120000) <= 0) {
            kill(pid, SIGKILL); // a hung program fails the test
            break;
        }
        for (int i = 0; i < n; ++i) {
            if (!fds[i].revents) continue;
            const int fd = fds[i].fd;
            if (fd == inWrite) {
                const ssize_t w = write(fd, input.data() + written, input.size() - written);
                if (w > 0) written += static_cast<size_t>(w);
                if (w < 0 || written == input.size()) CloseFd(inWrite);
                continue;
            }
            const ssize_t r = read(fd, buffer, sizeof buffer);
            if (r > 0) {
                (fd == outRead ? result.out : result.err).append(buffer, static_cast<size_t>(r));
            } else if (r == 0 || errno != EINTR) {
                // End of file; a terminal's master reads EIO once the program is gone.
                if (fd == outRead)
                    CloseFd(outRead);
                else
                    CloseFd(errRead);
            }
        }
    }
    CloseFd(inWrite);
    CloseFd(outRead);
    CloseFd(errRead);
}

// Waits for the program; its exit status and its wall and processor time.
inline void Reap(pid_t pid, std::chrono::steady_clock::time_point start, RunResult& result) {
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                        static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The terminal turns "\n" into "\r\n"; this turns it back.
inline std::string WithoutTerminalReturns(const std::string& text) {
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            plain.push_back(text[i]);
    return plain;
}

} // namespace child

// Runs quillon with `args` and waits for it.
inline RunResult RunQuillon(const std::vector<std::string>& args, const RunOptions& options = {}) {
    RunResult result;
    child::ChildIo io;
    if (!child::OpenChildIo(io, options.terminalStderr)) return result;
    std::vector<std::string> argv_strings;
    argv_strings.push_back(QUILLON_EXE);
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : argv_strings) argv.push_back(s.data());
    argv.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) child::ExecChild(io, argv, options);
    close(io.in[0]);
    close(io.out[1]);
    if (io.err[1] >= 0) close(io.err[1]);
    child::Exchange(pid, io.in[1], io.out[0], options.terminalStderr ? io.ptyMaster : io.err[0],
                    options.input, result);
    child::Reap(pid, start, result);
    if (options.terminalStderr) result.err = child::WithoutTerminalReturns(result.err);
    return result;
}

inline std::string ReadFile(const fs::path& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string Example(const std::string& name) {
    return ReadFile(fs::path(QUILLON_SOURCE_DIR) / "examples" / name);
}

// A scratch folder, removed with everything in it at the end of the test.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "quillon-cli-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    std::string str(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

// The names of the files in a folder, sorted.
inline std::vector<std::string> FolderNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// The lines of a text, without their ends.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace quillon_test
