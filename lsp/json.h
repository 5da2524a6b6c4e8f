// The protocol's JSON: Debian's nlohmann-json, the one JSON of the server.
#pragma once

#include <nlohmann/json.hpp>

namespace quillon::lsp {

using Json = nlohmann::json;

} // namespace quillon::lsp
