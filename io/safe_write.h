// Writing a file whole or not at all.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace quillon {

// A file written piece by piece: the pieces go to a new temporary file in
// the folder of `path`, which replaces `path` only once every piece is
// written; until then, and after any failure, `path` keeps what it held and
// the temporary file is removed. A symbolic link at `path` is followed (the
// file it points at is replaced); a device or a pipe is written directly.
// Failures name `path` and the cause.
class SafeFileWriter {
  public:
    SafeFileWriter() = default;
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;
    ~SafeFileWriter(); // removes a temporary file that never replaced `path`

    bool Open(const std::string& path, std::string& reason);
    // The first failure is kept and reported by Close.
    void Write(std::string_view piece);
    // Closes the temporary file, flushed to the disk when `durable` is set.
    bool Close(bool durable, std::string& reason);
    // Moves the closed file over `path`, with the permissions of the file it
    // replaces.
    bool Replace(std::string& reason);
    // Moves the closed file to `path` unless a file is already there, in one
    // step that no other writer can come between; with `taken` set when one
    // was (the closed file is then dropped, and that is no failure).
    bool PlaceNew(bool& taken, std::string& reason);
    // The file that will be replaced (the target of a link).
    const std::filesystem::path& Target() const { return target_; }

  private:
    bool Fail(const char* what, const std::string& cause, std::string& reason);
    // Removes the temporary file, if there is one.
    void RemoveTemp();

    std::string path_;
    std::filesystem::path target_, temp_;
    std::FILE* file_ = nullptr;
    int slot_ = -1; // where an interrupt finds the temporary file to remove
    int error_ = 0;
    bool direct_ = false; // a device or a pipe, written in place
};

// Writes `bytes` to the host path `path` through a new temporary file in the
// same folder, flushed to the disk and then renamed over `path`. Afterwards
// `path` holds either what it held before or all of `bytes`, and the
// temporary file is gone. With `backup`, a file already at `path` is first
// kept as `path` + ".bak", unless a file of that name exists (the first
// original stays). A symbolic link at `path` is followed: the file it points
// at is replaced. On failure `reason` names the file and the cause.
bool WriteFileSafely(const std::string& path, std::string_view bytes, bool backup,
                     std::string& reason);

} // namespace quillon
