#include "safe_write.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

#include "text.h"

namespace quillon {

namespace {

namespace fs = std::filesystem;

// A new file, never an existing file, a link or another run's temporary file.
std::FILE* CreateNew(const std::string& path) {
#ifdef _WIN32
    const int fd =
        _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    std::FILE* f = fd < 0 ? nullptr : _fdopen(fd, "wb");
    if (fd >= 0 && !f) _close(fd);
#else
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    std::FILE* f = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (fd >= 0 && !f) close(fd);
#endif
    return f;
}

bool FlushToDisk(std::FILE* f) {
    if (std::fflush(f) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return fsync(fileno(f)) == 0;
#endif
}

// Creates a file of an unused name beside `target` and writes `bytes` into
// it, flushed to the disk. On failure nothing is left behind.
bool WriteTemporary(const fs::path& target, std::string_view bytes, fs::path& temp,
                    std::string& reason) {
    static std::mt19937 names{std::random_device{}()};
    int err = EEXIST;
    for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
        temp = target;
        temp += FormatText(".%08x.tmp", static_cast<unsigned>(names()));
        std::FILE* f = CreateNew(temp.string());
        if (!f) {
            err = errno;
            continue;
        }
        const bool written =
            std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && FlushToDisk(f);
        err = written ? 0 : (errno ? errno : EIO);
        if (std::fclose(f) != 0 && !err) err = errno ? errno : EIO;
        if (!err) return true;
        std::error_code ignored;
        fs::remove(temp, ignored);
        break;
    }
    reason = FormatText("cannot write '%s': %s", target.string().c_str(), std::strerror(err));
    return false;
}

// Moves the finished temporary file over `target`; removes it on failure.
bool MoveOver(const fs::path& temp, const fs::path& target, std::string& reason) {
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (!ec) return true;
    reason = FormatText("cannot replace '%s': %s", target.string().c_str(), ec.message().c_str());
    std::error_code ignored;
    fs::remove(temp, ignored);
    return false;
}

// A copy of `target` as `backup`, whole or not at all.
bool KeepBackup(const fs::path& target, const fs::path& backup, std::string& reason) {
    std::string bytes;
    std::FILE* f = std::fopen(target.string().c_str(), "rb");
    char buffer[1 << 16];
    size_t n;
    while (f && (n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    if (!f || std::ferror(f)) {
        reason = FormatText("cannot keep '%s' as '%s': %s", target.string().c_str(),
                            backup.string().c_str(), std::strerror(errno));
        if (f) std::fclose(f);
        return false;
    }
    std::fclose(f);
    fs::path temp;
    return WriteTemporary(backup, bytes, temp, reason) && MoveOver(temp, backup, reason);
}

} // namespace

bool WriteFileSafely(const std::string& path, std::string_view bytes, bool backup,
                     std::string& reason) {
    fs::path target(path);
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::canonical(target, ec);
        if (!ec) target = resolved;
    }
    const bool exists = fs::exists(target, ec);
    fs::path temp;
    if (!WriteTemporary(target, bytes, temp, reason)) return false;
    if (exists) {
        // The new file keeps the old one's permissions.
        const fs::perms perms = fs::status(target, ec).permissions();
        if (!ec) fs::permissions(temp, perms, ec);
        fs::path backupPath = target;
        backupPath += ".bak";
        if (backup && !fs::exists(fs::symlink_status(backupPath, ec)) &&
            !KeepBackup(target, backupPath, reason)) {
            std::error_code ignored;
            fs::remove(temp, ignored);
            return false;
        }
    }
    return MoveOver(temp, target, reason);
}

} // namespace quillon
