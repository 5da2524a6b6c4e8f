// Taking script paths apart. Paths are 8-bit strings and the backslash is the
// separator; PathFolder also accepts "/".
#pragma once

#include <string>
#include <string_view>

namespace quillon {

// The path with every "/" turned into a backslash, cut before its last
// backslash. A path without a backslash has no folder: the result is ".".
std::string PathFolder(std::string_view path);
// The characters after the last backslash and before the last "."; empty when
// there is no "." after the last backslash.
std::string PathTitle(std::string_view path);
// The characters after the last "."; the whole path when there is none.
std::string PathExtension(std::string_view path);

// The output path of a driver: "%s\\%s.%s" from the input's folder, title and
// the given extension. A file name without a "." keeps its whole name as the
// title, so "room" gives "room.c" rather than a file named ".c".
std::string OutputPath(std::string_view path, const char* extension);
// The title that OutputPath uses: PathTitle, or the whole file name when it
// has no ".". The disassembler names its function after it.
std::string ScriptTitle(std::string_view path);

// Paths of the host system to and from the backslash form above (on POSIX
// systems "/" is the separator; on Windows they are the same).
std::string ToScriptPath(std::string_view hostPath);
std::string ToHostPath(std::string_view scriptPath);

// Whether two host paths name the same file: the same text, or the same file
// reached another way (a link, "./", a different case where the system
// ignores it). Otherwise, and when either does not exist, they differ.
bool SameFile(const std::string& a, const std::string& b);

} // namespace quillon
