// The headers that exact texts include ("#include "flags.h""), read from the
// files beside the text that includes them.
#pragma once

#include <string>

#include "codec/exact/name_book.h"

namespace quillon {

// Reads the header `name` from the folder of the file of key `from` (for
// standard input, whose key is empty, from the current folder). Its key is
// the header's canonical path, the same however the header is reached. A
// folder or a file that cannot be read is refused with the reason.
exact::IncludeReader FileIncludes();

// The key of the text at the host path `path` ("" for standard input), as
// FileIncludes gives keys.
std::string IncludeKey(const std::string& path);

// The options to compile the text at the host path `path` ("" for standard
// input) with: its own key and FileIncludes.
exact::CompileOptions FileCompileOptions(const std::string& path);

} // namespace quillon
