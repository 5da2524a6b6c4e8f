// The requests that read the documents' models: one row per method, with
// the capability that the server announces for it.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "lsp/json.h"
#include "lsp/workspace.h"

namespace quillon::lsp {

struct Feature {
    std::string_view method;
    std::string_view capability; // the key in the server's capabilities
    Json (*announce)();          // its value there
    Reply (*answer)(const Workspace& workspace, const Json& params);
};

std::span<const Feature> Features();

// Where a request points: the document open at params.textDocument.uri and
// the line and byte column (both from 1) of params.position. False with the
// protocol's error in `reply` when the document is not open or the line is
// past the text.
struct Place {
    const OpenDocument* document = nullptr;
    int line = 0, column = 0;
    Position position;
};
// The open document of a request and, `atPosition`, its place; false with
// the protocol's error in `reply` (a document not open, no position, a
// position outside the text).
bool FindPlace(const Workspace& workspace, const Json& params, Place& place, Reply& reply,
               bool atPosition = true);

// The token at a request's place, or null.
const Token* TokenAt(const Place& place);

// The places that name what `token` of `place.document` names: a function,
// a label (of its own function), a name of the texts or a built-in name, in
// every open document (only `place.document` when `everywhere` is false);
// definitions too when `definitions`. Each place once.
struct Occurrence {
    const OpenDocument* document;
    const Token* token;
};
std::vector<Occurrence> Occurrences(const Workspace& workspace, const Place& place,
                                    const Token& token, bool everywhere, bool definitions);
// The arguments that give the same value of the same meaning as `argument`
// (a flag index of the same group), in every open document.
struct ArgumentOccurrence {
    const OpenDocument* document;
    const Argument* argument;
};
std::vector<ArgumentOccurrence> SameValues(const Workspace& workspace, const Place& place,
                                           const Argument& argument, bool everywhere);
// The flag group of a flag index's argument: the argument of its line that
// gives a group, or null.
const Argument* GroupOf(const Model& model, const Argument& index);

// The features, one per file.
Reply Hover(const Workspace& workspace, const Json& params);
Reply Definition(const Workspace& workspace, const Json& params);
Reply References(const Workspace& workspace, const Json& params);
Reply Highlight(const Workspace& workspace, const Json& params);
Reply PrepareRename(const Workspace& workspace, const Json& params);
Reply Rename(const Workspace& workspace, const Json& params);
Reply Completion(const Workspace& workspace, const Json& params);
Reply SignatureHelp(const Workspace& workspace, const Json& params);
Reply DocumentSymbols(const Workspace& workspace, const Json& params);
Reply FoldingRanges(const Workspace& workspace, const Json& params);
Reply SemanticTokens(const Workspace& workspace, const Json& params);
Json SemanticTokensLegend();
Reply CodeActions(const Workspace& workspace, const Json& params);

} // namespace quillon::lsp
