#include "cli/streamed_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "codec/base/text.h"

namespace quillon::cli {

bool StreamedOutput::Open(const std::string& path, bool toStdout, std::string& reason) {
    toStdout_ = toStdout;
    error_ = 0;
    return toStdout || file_.Open(path, reason);
}

void StreamedOutput::Write(std::string_view piece) {
    if (!toStdout_) {
        file_.Write(piece);
    } else if (!error_ && std::fwrite(piece.data(), 1, piece.size(), stdout) != piece.size()) {
        error_ = errno ? errno : EIO;
    }
}

bool StreamedOutput::Finish(std::string& reason) {
    if (!toStdout_) return file_.Close(false, reason) && file_.Replace(reason);
    if (!error_ && std::fflush(stdout) != 0) error_ = errno ? errno : EIO;
    if (error_) reason = FormatText("cannot write '<stdout>': %s", std::strerror(error_));
    return error_ == 0;
}

} // namespace quillon::cli
