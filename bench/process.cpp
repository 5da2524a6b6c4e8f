#include "bench/process.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "bench/setup.h"

namespace quillon::bench {

ProcessResult RunProcess(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        std::FILE* null = std::fopen("/dev/null", "w");
        if (null) {
            dup2(fileno(null), 1);
            dup2(fileno(null), 2);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    ProcessResult r;
    if (pid < 0) return r;
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    r.maxRssKiB = usage.ru_maxrss;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

int IoFloorProcess(const char* input, const char* output, const char* size) {
    std::vector<char> buffer(1u << 20);
    std::FILE* in = std::fopen(input, "rb");
    std::FILE* out = std::fopen(output, "wb");
    bool ok = in && out && ReadThenWrite(in, out, std::strtoull(size, nullptr, 10), buffer);
    if (in) ok = !std::ferror(in) && std::fclose(in) == 0 && ok;
    if (out) ok = std::fclose(out) == 0 && ok;
    return ok ? 0 : 1;
}

} // namespace quillon::bench
