// Documents are named by "file:" URIs; the include reader and the files by
// host paths.
#pragma once

#include <string>
#include <string_view>

namespace quillon::lsp {

// The host path of a "file:" URI ("" for any other scheme): its escapes
// decoded, "/c:/x" read as "c:/x" on Windows.
std::string PathOfUri(std::string_view uri);
// The "file:" URI of an absolute host path.
std::string UriOfPath(std::string_view path);

} // namespace quillon::lsp
