// Writing a file whole or not at all.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

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
