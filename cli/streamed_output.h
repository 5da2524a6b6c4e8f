// The output of a conversion written as it is made: to standard output, or
// into a file that is replaced only once the output is complete.
#pragma once

#include <string>
#include <string_view>

#include "io/safe_write.h"

namespace quillon::cli {

class StreamedOutput {
  public:
    // Standard output when `toStdout` is set, otherwise the host path `path`
    // (through a temporary file beside it). False with `reason` set.
    bool Open(const std::string& path, bool toStdout, std::string& reason);
    void Write(std::string_view piece);
    // Flushes standard output, or puts the file in place. False with
    // `reason` naming the output and the cause; a file is then left as it
    // was.
    bool Finish(std::string& reason);

  private:
    bool toStdout_ = false;
    int error_ = 0; // standard output's first failure
    SafeFileWriter file_;
};

} // namespace quillon::cli
