// Graphviz's dot, for drawing the atlas's door graph.
#pragma once

#include <string>

namespace quillon::cli {

// Draws the graph `dot` (Graphviz's language) as SVG into the file `path`,
// written whole or not at all, with the `dot` program found on the PATH.
// False with `reason`: where dot is not installed, how to install it.
bool DrawSvg(const std::string& dot, const std::string& path, std::string& reason);

} // namespace quillon::cli
