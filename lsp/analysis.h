// A text compiled for what it means: the front end run on it with a
// listener that records its events, and with headers read from the open
// documents first, then from the files beside the text and in the include
// folders.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "codec/exact/exact.h"
#include "lsp/model.h"

namespace quillon::lsp {

// What the user sets: a header of names (as `--names`) and the folders
// where headers are looked for after the including file's own.
struct Settings {
    std::string namesHeader;
    std::vector<std::string> includePaths;
};

// Compiles `text` with `options` (its listener and include reader set),
// telling `onMessage` its errors and warnings.
using FrontEnd = std::function<void(std::string_view text, const exact::CompileOptions& options,
                                    const exact::MessageHandler& onMessage)>;
// The exact compiler.
FrontEnd CompilerFrontEnd();

// The text of an open document by key (a path), or null.
using OpenText = std::function<const std::string*(const std::string& key)>;

// Reads headers: an open document's text where one is open, else the file
// beside the including file, else in each include folder in turn.
exact::IncludeReader HeaderReader(const Settings& settings, OpenText open);

// Compiles the text of key `key` and records what the front end told. The
// model shares the text's bytes.
std::unique_ptr<Model> Analyze(const Document& text, const std::string& key,
                               const FrontEnd& frontEnd, const exact::IncludeReader& include);

} // namespace quillon::lsp
