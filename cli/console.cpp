#include "cli/console.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace quillon::cli {

void UseBinaryStreams() {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

bool StderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) == 1;
#endif
}

bool ReadStandardInput(std::string& bytes, std::string& reason) {
    bytes.clear();
    char buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) bytes.append(buffer, n);
    if (std::ferror(stdin)) {
        reason = std::string("cannot read standard input: ") + std::strerror(errno);
        return false;
    }
    if (bytes.size() > 0x7FFFFFFFu) {
        reason = "standard input is too large (2 GiB at most)";
        return false;
    }
    return true;
}

bool WriteStandardOutput(std::string_view bytes, std::string& reason) {
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    if (!written || std::fflush(stdout) != 0) {
        reason = std::string("cannot write standard output: ") + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace quillon::cli
