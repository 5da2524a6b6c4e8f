// Temporary files being written, removed when the program is interrupted.
#pragma once

#include <string>

namespace quillon {

// From now on SIGINT, SIGTERM and SIGHUP (a console Ctrl+C on Windows)
// remove the temporary files registered below and end the program with
// status 128 + the signal's number; a write past the file-size limit fails
// as an error of its own instead of ending the program (SIGXFSZ is ignored).
void RemoveTempFilesOnInterrupt();

// Registers the temporary file `path` before it is created; returns its slot,
// or -1 when the path is too long or every slot is taken (the file is then
// left behind by an interrupt).
int RegisterTempFile(const std::string& path);
// The file descriptor of the registered file, once it is created: on Windows
// an open file cannot be removed, and an interrupt closes it first.
void TempFileOpened(int slot, int fd);
// Once the file is renamed or removed.
void ForgetTempFile(int slot);

} // namespace quillon
