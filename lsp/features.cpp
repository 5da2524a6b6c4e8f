#include "lsp/features.h"

#include <algorithm>

namespace quillon::lsp {

bool FindPlace(const Workspace& workspace, const Json& params, Place& place, Reply& reply,
               bool atPosition) {
    const std::string uri = params.at("textDocument").at("uri");
    place.document = workspace.Find(uri);
    if (!place.document || !place.document->model) {
        reply = Fail(kInvalidParams, uri + " is not open");
        return false;
    }
    if (!atPosition) return true;
    if (!params.contains("position")) {
        reply = Fail(kInvalidParams, "the request has no position");
        return false;
    }
    const Json& p = params.at("position");
    place.position = {p.at("line").get<int>(), p.at("character").get<int>()};
    const Document& text = place.document->text;
    if (place.position.line < 0 || place.position.line >= text.Lines() ||
        place.position.character < 0) {
        reply = Fail(kInvalidParams, "a position outside the text");
        return false;
    }
    place.line = place.position.line + 1;
    const std::size_t lineStart = text.Offset({place.position.line, 0});
    place.column = static_cast<int>(text.Offset(place.position) - lineStart) + 1;
    return true;
}

const Token* TokenAt(const Place& place) {
    return place.document->model->TokenAt(0, place.line, place.column);
}

namespace {

using exact::TokenRole;

// What a token names, for finding the other places that name it.
bool Names(TokenRole r) {
    return r == TokenRole::Function || r == TokenRole::Label || r == TokenRole::Macro ||
           r == TokenRole::Builtin;
}

} // namespace

std::vector<Occurrence> Occurrences(const Workspace& workspace, const Place& place,
                                    const Token& token, bool everywhere, bool definitions) {
    std::vector<Occurrence> out;
    if (!Names(token.role)) return out;
    const Model& here = *place.document->model;
    const Function* scope =
        token.role == TokenRole::Label ? here.FunctionAt(token.span.line) : nullptr;
    // Functions and labels are each text's own, as are the names it defines
    // itself; names of headers and built-in names are shared.
    const std::string_view text = here.TextOf(token);
    const Define* own = token.role == TokenRole::Macro ? here.FindDefine(text) : nullptr;
    const bool shared = token.role == TokenRole::Builtin ||
                        (token.role == TokenRole::Macro && (!own || own->name.source != 0));
    everywhere = everywhere && shared;
    std::vector<std::pair<std::string, Json>> seen; // a header's places, once
    for (const auto& [uri, d] : workspace.documents) {
        if (!d.model || (!everywhere && &d != place.document)) continue;
        for (const Token& t : d.model->tokens) {
            if (t.role != token.role || d.model->TextOf(t) != text || t.span.expanded) continue;
            if (t.definition && !definitions) continue;
            if (!everywhere && t.span.source != 0) continue;
            if (scope && (t.span.source != 0 || t.span.line < scope->firstLine ||
                          t.span.line > scope->lastLine))
                continue;
            if (t.span.source != 0) {
                std::pair<std::string, Json> key{workspace.UriOf(d, t.span.source),
                                                 workspace.RangeOf(d, t.span)};
                if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
                seen.push_back(std::move(key));
            }
            out.push_back({&d, &t});
        }
    }
    return out;
}

const Argument* GroupOf(const Model& model, const Argument& index) {
    const Argument* group = nullptr;
    for (const Argument& a : model.arguments)
        if (a.span.line == index.span.line && a.opcode == index.opcode &&
            a.meaning == Meaning::FlagGroup && a.index < index.index && a.known)
            group = &a;
    return group;
}

std::vector<ArgumentOccurrence> SameValues(const Workspace& workspace, const Place& place,
                                           const Argument& argument, bool everywhere) {
    std::vector<ArgumentOccurrence> out;
    if (argument.meaning == Meaning::None || !argument.known) return out;
    const Argument* group = argument.meaning == Meaning::FlagIndex
                                ? GroupOf(*place.document->model, argument)
                                : nullptr;
    if (argument.meaning == Meaning::FlagIndex && !group) return out;
    for (const auto& [uri, d] : workspace.documents) {
        if (!d.model || (!everywhere && &d != place.document)) continue;
        for (const Argument& a : d.model->arguments) {
            if (a.meaning != argument.meaning || !a.known || a.value != argument.value) continue;
            if (group) {
                const Argument* g = GroupOf(*d.model, a);
                if (!g || g->value != group->value) continue;
            }
            out.push_back({&d, &a});
        }
    }
    return out;
}

namespace {

Json Null() {
    return nullptr;
}
Json Yes() {
    return true;
}
Json CompletionOptions() {
    return {{"triggerCharacters", {"(", ",", " ", "#"}}};
}
Json SignatureOptions() {
    return {{"triggerCharacters", {"(", ","}}, {"retriggerCharacters", {","}}};
}
Json RenameOptions() {
    return {{"prepareProvider", true}};
}
Json SemanticOptions() {
    return {{"legend", SemanticTokensLegend()}, {"full", true}};
}
Json ActionOptions() {
    return {{"codeActionKinds", {"quickfix", "refactor.rewrite"}}};
}

constexpr Feature kFeatures[] = {
    {"textDocument/hover", "hoverProvider", Yes, Hover},
    {"textDocument/definition", "definitionProvider", Yes, Definition},
    {"textDocument/references", "referencesProvider", Yes, References},
    {"textDocument/documentHighlight", "documentHighlightProvider", Yes, Highlight},
    {"textDocument/completion", "completionProvider", CompletionOptions, Completion},
    {"textDocument/signatureHelp", "signatureHelpProvider", SignatureOptions, SignatureHelp},
    {"textDocument/documentSymbol", "documentSymbolProvider", Yes, DocumentSymbols},
    {"textDocument/foldingRange", "foldingRangeProvider", Yes, FoldingRanges},
    {"textDocument/prepareRename", "", Null, PrepareRename},
    {"textDocument/rename", "renameProvider", RenameOptions, Rename},
    {"textDocument/semanticTokens/full", "semanticTokensProvider", SemanticOptions, SemanticTokens},
    {"textDocument/codeAction", "codeActionProvider", ActionOptions, CodeActions},
};

} // namespace

std::span<const Feature> Features() {
    return kFeatures;
}

} // namespace quillon::lsp
