// The text's outline: its functions with their labels, the ranges that
// fold, and the tokens coloured by what they are.
#include <algorithm>

#include "codec/exact/naming.h"
#include "lsp/features.h"

namespace quillon::lsp {

namespace {

using exact::TokenRole;

enum SymbolKind { kSymbolFunction = 12, kSymbolConstant = 14, kSymbolKey = 20 };

Json Symbol(const Workspace& workspace, const OpenDocument& d, const std::string& name, int kind,
            const exact::Span& span, int firstLine, int lastLine) {
    const Document& text = d.text;
    const Range whole{{firstLine - 1, 0}, text.At(lastLine - 1, text.Line(lastLine - 1).size())};
    return {{"name", name.empty() ? std::string("?") : name},
            {"kind", kind},
            {"range", ToJson(whole)},
            {"selectionRange", workspace.RangeOf(d, span)}};
}

// The token types and modifiers that the server tells, in the legend's order.
constexpr const char* kTypes[] = {"keyword",    "macro",  "string",   "method",
                                  "function",   "label",  "variable", "parameter",
                                  "enumMember", "number", "operator"};
constexpr const char* kModifiers[] = {"declaration", "defaultLibrary", "flag", "item"};

int TypeOf(TokenRole role) {
    switch (role) {
    case TokenRole::Keyword: return 0;
    case TokenRole::Directive: return 1;
    case TokenRole::HeaderName: return 2;
    case TokenRole::Instruction: return 3;
    case TokenRole::Function: return 4;
    case TokenRole::Label: return 5;
    case TokenRole::Macro: return 6;
    case TokenRole::Parameter: return 7;
    case TokenRole::Builtin: return 8;
    case TokenRole::Number: return 9;
    case TokenRole::Operator: return 10;
    }
    return 0;
}

int ModifiersOf(const Model& model, const Token& t) {
    int bits = t.definition ? 1 : 0;
    Meaning m = Meaning::None;
    if (t.role == TokenRole::Builtin) {
        bits |= 2;
        if (const exact::Naming::Named* n = exact::Naming::Builtin().Find(model.TextOf(t)))
            m = n->meaning;
    } else if (t.role == TokenRole::Macro) {
        if (const Define* d = model.FindDefine(model.TextOf(t))) m = d->meaning;
    }
    if (m == Meaning::FlagGroup || m == Meaning::FlagIndex) bits |= 4;
    if (m == Meaning::Item || m == Meaning::ItemFlags) bits |= 8;
    return bits;
}

} // namespace

Json SemanticTokensLegend() {
    return {{"tokenTypes", kTypes}, {"tokenModifiers", kModifiers}};
}

Reply DocumentSymbols(const Workspace& workspace, const Json& params) {
    Place place;
    Reply reply;
    if (!FindPlace(workspace, params, place, reply, false)) return reply;
    const OpenDocument& d = *place.document;
    const Model& model = *d.model;
    Json out = Json::array();
    for (const Define& m : model.defines)
        if (m.name.source == 0)
            out.push_back(
                Symbol(workspace, d, m.text, kSymbolConstant, m.name, m.name.line, m.name.line));
    for (const Function& f : model.functions) {
        Json symbol =
            Symbol(workspace, d, f.text, kSymbolFunction, f.name, f.firstLine, f.lastLine);
        Json labels = Json::array();
        for (const Token& t : model.tokens)
            if (t.role == TokenRole::Label && t.definition && t.span.source == 0 &&
                t.span.line >= f.firstLine && t.span.line <= f.lastLine)
                labels.push_back(Symbol(workspace, d, std::string(model.TextOf(t)), kSymbolKey,
                                        t.span, t.span.line, t.span.line));
        symbol["children"] = labels;
        out.push_back(symbol);
    }
    return Ok(out);
}

Reply FoldingRanges(const Workspace& workspace, const Json& params) {
    Place place;
    Reply reply;
    if (!FindPlace(workspace, params, place, reply, false)) return reply;
    const Model& model = *place.document->model;
    Json out = Json::array();
    auto fold = [&](int first, int last) {
        if (last > first) out.push_back({{"startLine", first - 1}, {"endLine", last - 1}});
    };
    for (const Function& f : model.functions) fold(f.firstLine, f.lastLine);
    for (const exact::BlockEvent& b : model.blocks)
        if (b.keyword.source == 0) fold(b.firstLine, b.lastLine);
    return Ok(out);
}

Reply SemanticTokens(const Workspace& workspace, const Json& params) {
    Place place;
    Reply reply;
    if (!FindPlace(workspace, params, place, reply, false)) return reply;
    const OpenDocument& d = *place.document;
    std::vector<const Token*> tokens;
    for (const Token& t : d.model->tokens)
        if (t.span.source == 0 && !t.span.expanded && t.span.length > 0) tokens.push_back(&t);
    std::stable_sort(tokens.begin(), tokens.end(), [](const Token* a, const Token* b) {
        return a->span.line != b->span.line ? a->span.line < b->span.line
                                            : a->span.column < b->span.column;
    });
    std::vector<int> data;
    Position last{0, 0};    // the start of the token before, which the next counts from
    Position reached{0, 0}; // its end: tokens that overlap it are left out
    for (const Token* t : tokens) {
        const int line = t->span.line - 1;
        const auto column = static_cast<std::size_t>(t->span.column - 1);
        const Position start = d.text.At(line, column);
        const Position end = d.text.At(line, column + static_cast<std::size_t>(t->span.length));
        if (start.line < reached.line ||
            (start.line == reached.line && start.character < reached.character))
            continue;
        data.insert(data.end(),
                    {start.line - last.line,
                     start.line == last.line ? start.character - last.character : start.character,
                     end.character - start.character, TypeOf(t->role), ModifiersOf(*d.model, *t)});
        last = start;
        reached = end;
    }
    return Ok({{"data", data}});
}

} // namespace quillon::lsp
