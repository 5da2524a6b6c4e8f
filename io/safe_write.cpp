#include "io/safe_write.h"

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

#include "codec/base/text.h"
#include "io/temp_files.h"

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

int Descriptor(std::FILE* f) {
#ifdef _WIN32
    return _fileno(f);
#else
    return fileno(f);
#endif
}

bool FlushToDisk(std::FILE* f) {
    if (std::fflush(f) != 0) return false;
#ifdef _WIN32
    return _commit(Descriptor(f)) == 0;
#else
    return fsync(Descriptor(f)) == 0;
#endif
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
    SafeFileWriter copy;
    if (!copy.Open(backup.string(), reason)) return false;
    copy.Write(bytes);
    // Another run may keep its backup at the same moment, of a room that it
    // has already replaced: the first backup made stays.
    bool taken = false;
    return copy.Close(true, reason) && copy.PlaceNew(taken, reason);
}

} // namespace

SafeFileWriter::~SafeFileWriter() {
    if (file_) std::fclose(file_);
    RemoveTemp();
}

void SafeFileWriter::RemoveTemp() {
    if (!temp_.empty()) {
        std::error_code ignored;
        fs::remove(temp_, ignored);
        temp_.clear();
    }
    ForgetTempFile(slot_);
    slot_ = -1;
}

bool SafeFileWriter::Fail(const char* what, const std::string& cause, std::string& reason) {
    reason = FormatText("cannot %s '%s': %s", what, path_.c_str(), cause.c_str());
    if (file_) std::fclose(file_);
    file_ = nullptr;
    RemoveTemp();
    return false;
}

bool SafeFileWriter::Open(const std::string& path, std::string& reason) {
    static std::mt19937 names{std::random_device{}()};
    path_ = path;
    target_ = path;
    error_ = 0;
    direct_ = false;
    std::error_code ec;
    if (fs::is_symlink(target_, ec)) {
        const fs::path resolved = fs::canonical(target_, ec);
        if (!ec) target_ = resolved;
    }
    // A device or a pipe (/dev/null, /dev/stdout) is written as it is: it
    // cannot be replaced, and a file put in its place would be wrong.
    const fs::file_status status = fs::status(target_, ec);
    if (!ec && fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status)) {
        file_ = std::fopen(target_.string().c_str(), "wb");
        direct_ = file_ != nullptr;
        return direct_ || Fail("write", std::strerror(errno), reason);
    }
    int err = EEXIST;
    for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
        fs::path temp = target_;
        temp += FormatText(".%08x.tmp", static_cast<unsigned>(names()));
        // Registered before it exists, so that an interrupt cannot come
        // between its creation and its registration.
        slot_ = RegisterTempFile(temp.string());
        file_ = CreateNew(temp.string());
        if (file_) {
            temp_ = temp;
            TempFileOpened(slot_, Descriptor(file_));
            return true;
        }
        err = errno;
        ForgetTempFile(slot_);
        slot_ = -1;
    }
    return Fail("write", std::strerror(err), reason);
}

void SafeFileWriter::Write(std::string_view piece) {
    if (file_ && !error_ && std::fwrite(piece.data(), 1, piece.size(), file_) != piece.size())
        error_ = errno ? errno : EIO;
}

bool SafeFileWriter::Close(bool durable, std::string& reason) {
    if (!file_) return Fail("write", std::strerror(EBADF), reason);
    if (!error_ && durable && !FlushToDisk(file_)) error_ = errno ? errno : EIO;
    if (std::fclose(file_) != 0 && !error_) error_ = errno ? errno : EIO;
    file_ = nullptr;
    if (error_) return Fail("write", std::strerror(error_), reason);
    return true;
}

bool SafeFileWriter::Replace(std::string& reason) {
    if (direct_) return true;
    std::error_code ec;
    if (fs::exists(target_, ec)) {
        const fs::perms perms = fs::status(target_, ec).permissions();
        if (!ec) fs::permissions(temp_, perms, ec);
    }
    fs::rename(temp_, target_, ec);
    if (ec) return Fail("replace", ec.message(), reason);
    temp_.clear();
    ForgetTempFile(slot_);
    slot_ = -1;
    return true;
}

bool SafeFileWriter::PlaceNew(bool& taken, std::string& reason) {
    if (direct_) return true;
#ifdef _WIN32
    // Windows' rename never replaces a file.
    const bool placed = std::rename(temp_.string().c_str(), target_.string().c_str()) == 0;
    taken = !placed && fs::exists(target_);
#else
    // A link is made only where no file is; the temporary name then goes.
    const bool placed = link(temp_.c_str(), target_.c_str()) == 0;
    taken = !placed && errno == EEXIST;
#endif
    if (!placed && !taken) return Fail("write", std::strerror(errno), reason);
    RemoveTemp();
    return true;
}

bool WriteFileSafely(const std::string& path, std::string_view bytes, bool backup,
                     std::string& reason) {
    SafeFileWriter file;
    if (!file.Open(path, reason)) return false;
    file.Write(bytes);
    if (!file.Close(true, reason)) return false;
    std::error_code ec;
    fs::path backupPath = file.Target();
    backupPath += ".bak";
    if (backup && fs::exists(file.Target(), ec) &&
        !fs::exists(fs::symlink_status(backupPath, ec)) &&
        !KeepBackup(file.Target(), backupPath, reason))
        return false;
    return file.Replace(reason);
}

} // namespace quillon
