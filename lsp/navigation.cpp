// Going to a definition, finding references and highlights, and renaming.
#include <cctype>

#include "io/file_bytes.h"
#include "lsp/features.h"
#include "lsp/uri.h"

namespace quillon::lsp {

namespace {

using exact::TokenRole;

// The place of "#define NAME" in the installed names header.
Json BuiltinDefinition(const Workspace& workspace, const std::string& name) {
    if (workspace.builtinHeader.empty()) return nullptr;
    std::string text, reason;
    if (!ReadWholeFile(workspace.builtinHeader, text, reason)) return nullptr;
    const Document header(std::move(text));
    Position at{0, 0};
    const std::string define = "#define " + name + " ";
    for (int line = 0; line < header.Lines(); ++line)
        if (header.Line(line).substr(0, define.size()) == define) {
            at = {line, 8};
            break;
        }
    const Position end{at.line, at.character + (at.character ? static_cast<int>(name.size()) : 0)};
    return {{"uri", UriOfPath(workspace.builtinHeader)}, {"range", ToJson(Range{at, end})}};
}

// The header that an #include line names.
Json HeaderDefinition(const Workspace& workspace, const OpenDocument& d, std::string name) {
    if (name.size() >= 2) name = name.substr(1, name.size() - 2);
    const Json top = ToJson(Range{});
    if (name == exact::kNamesHeader)
        return workspace.builtinHeader.empty()
                   ? Json(nullptr)
                   : Json{{"uri", UriOfPath(workspace.builtinHeader)}, {"range", top}};
    const exact::IncludeReader read = HeaderReader(workspace.settings, nullptr);
    exact::IncludedFile file;
    std::string why;
    if (!read(d.key, name, file, why)) return nullptr;
    return {{"uri", UriOfPath(file.key)}, {"range", top}};
}

Json Locations(const Workspace& workspace, const std::vector<Occurrence>& found) {
    Json out = Json::array();
    for (const Occurrence& o : found)
        out.push_back(workspace.LocationOf(*o.document, o.token->span));
    return out;
}

bool IsName(const std::string& s) {
    if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
    for (char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

// What a rename at `place` renames, or the reason it cannot.
const Token* Renamed(const Place& place, Reply& reply) {
    const Token* t = TokenAt(place);
    if (t && t->role == TokenRole::Builtin) {
        reply = Fail(kRequestFailed, "'" + std::string(place.document->model->TextOf(*t)) +
                                         "' is a built-in name of <bio2.h>; it cannot be renamed");
        return nullptr;
    }
    if (!t || t->span.expanded ||
        (t->role != TokenRole::Function && t->role != TokenRole::Label &&
         t->role != TokenRole::Macro)) {
        reply = Fail(kRequestFailed, "only a function, a label or a #define name can be renamed");
        return nullptr;
    }
    return t;
}

} // namespace

Reply Definition(const Workspace& workspace, const Json& params) {
    Place place;
    Reply reply;
    if (!FindPlace(workspace, params, place, reply)) return reply;
    const Token* t = TokenAt(place);
    if (!t) return Ok(nullptr);
    const OpenDocument& d = *place.document;
    const Model& model = *d.model;
    const std::string text(model.TextOf(*t));
    switch (t->role) {
    case TokenRole::Function:
        if (const Function* f = model.FindFunction(text))
            return Ok(workspace.LocationOf(d, f->name));
        break;
    case TokenRole::Label:
        if (const Token* l = model.FindLabel(text, t->span.line))
            return Ok(workspace.LocationOf(d, l->span));
        break;
    case TokenRole::Macro:
        if (const Define* m = model.FindDefine(text)) return Ok(workspace.LocationOf(d, m->name));
        break;
    case TokenRole::Builtin: return Ok(BuiltinDefinition(workspace, text));
    case TokenRole::HeaderName: return Ok(HeaderDefinition(workspace, d, text));
    default: break;
    }
    return Ok(nullptr);
}

Reply References(const Workspace& workspace, const Json& params) {
    Place place;
    Reply reply;
    if (!FindPlace(workspace, params, place, reply)) return reply;
    const bool definitions =
        params.value("context", Json::object()).value("includeDeclaration", true);
    const Token* t = TokenAt(place);
    if (t && t->role != TokenRole::Number)
        return Ok(Locations(workspace, Occurrences(workspace, place, *t, true, definitions)));
    // A number: the arguments of the same meaning and value (a flag of the same group).
    Json out = Json::array();
    if (const Argument* a = place.document->model->ArgumentAt(place.line, place.column))
        for (const ArgumentOccurrence& o : SameValues(workspace, place, *a, true))
            out.push_back(workspace.LocationOf(*o.document, o.argument->span));
    return Ok(out);
}

Reply Highlight(const Workspace& workspace, const Json& params) {
    Place place;
    Reply reply;
    if (!FindPlace(workspace, params, place, reply)) return reply;
    Json out = Json::array();
    const Token* t = TokenAt(place);
    if (t && t->role != TokenRole::Number) {
        for (const Occurrence& o : Occurrences(workspace, place, *t, false, true))
            out.push_back({{"range", workspace.RangeOf(*o.document, o.token->span)},
                           {"kind", o.token->definition ? 3 : 2}});
    } else if (const Argument* a = place.document->model->ArgumentAt(place.line, place.column)) {
        for (const ArgumentOccurrence& o : SameValues(workspace, place, *a, false))
            out.push_back(
                {{"range", workspace.RangeOf(*o.document, o.argument->span)}, {"kind", 2}});
    }
    return Ok(out);
}

Reply PrepareRename(const Workspace& workspace, const Json& params) {
    Place place;
    Reply reply;
    if (!FindPlace(workspace, params, place, reply)) return reply;
    const Token* t = Renamed(place, reply);
    if (!t) return reply;
    return Ok({{"range", workspace.RangeOf(*place.document, t->span)},
               {"placeholder", place.document->model->TextOf(*t)}});
}

Reply Rename(const Workspace& workspace, const Json& params) {
    Place place;
    Reply reply;
    if (!FindPlace(workspace, params, place, reply)) return reply;
    const std::string name = params.at("newName");
    if (!IsName(name)) return Fail(kInvalidParams, "'" + name + "' is no name");
    const Token* t = Renamed(place, reply);
    if (!t) return reply;
    Json changes = Json::object();
    for (const Occurrence& o : Occurrences(workspace, place, *t, true, true)) {
        const std::string uri = workspace.UriOf(*o.document, o.token->span.source);
        if (!changes.contains(uri)) changes[uri] = Json::array();
        changes[uri].push_back(
            {{"range", workspace.RangeOf(*o.document, o.token->span)}, {"newText", name}});
    }
    return Ok({{"changes", changes}});
}

} // namespace quillon::lsp
