// `quillon lsp`: the language server over standard input and output.
#pragma once

namespace quillon::cli {

// Serves one editor until it says exit or closes the input; returns the
// exit status (1 in a build without the server).
int RunLsp();

} // namespace quillon::cli
