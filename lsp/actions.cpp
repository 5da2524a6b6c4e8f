// Code actions: the did-you-mean of a diagnostic as a quick fix, and an
// argument's number written as its name or its name as its number.
#include "codec/base/text.h"
#include "codec/exact/naming.h"
#include "lsp/describe.h"
#include "lsp/features.h"

namespace quillon::lsp {

namespace {

using exact::TokenRole;

Json Edit(const std::string& title, const char* kind, const std::string& uri, const Json& range,
          const std::string& text) {
    return {{"title", title},
            {"kind", kind},
            {"edit", {{"changes", {{uri, {{{"range", range}, {"newText", text}}}}}}}}};
}

// The number as its kind writes it: hexadecimal with its digits, or decimal.
std::string NumberText(Kind kind, std::int64_t value) {
    if (ScansHex(kind))
        return FormatText("0x%0*llX", PrintedDigits(kind), static_cast<unsigned long long>(value));
    return std::to_string(value);
}

bool Overlaps(const Json& range, int line) {
    return range["start"]["line"].get<int>() <= line && range["end"]["line"].get<int>() >= line;
}

} // namespace

Reply CodeActions(const Workspace& workspace, const Json& params) {
    Place place;
    Reply reply;
    if (!FindPlace(workspace, params, place, reply, false)) return reply;
    const OpenDocument& d = *place.document;
    const Json& range = params.at("range");
    Json out = Json::array();

    // The guesses of the diagnostics that the client sends back.
    constexpr std::string_view kGuess = "; did you mean '";
    for (const Json& diagnostic :
         params.value("context", Json::object()).value("diagnostics", Json::array())) {
        const std::string message = diagnostic.value("message", "");
        const std::size_t at = message.rfind(kGuess);
        if (at == std::string::npos || !message.ends_with("'?")) continue;
        const std::string guess =
            message.substr(at + kGuess.size(), message.size() - at - kGuess.size() - 2);
        Json action =
            Edit("Change to '" + guess + "'", "quickfix", d.uri, diagnostic.at("range"), guess);
        action["diagnostics"] = {diagnostic};
        action["isPreferred"] = true;
        out.push_back(action);
    }

    // The arguments in the range: a number named, a name numbered.
    const Model& model = *d.model;
    const int first = range.at("start").at("line").get<int>() + 1;
    const int last = range.at("end").at("line").get<int>() + 1;
    for (const Argument& a : model.arguments) {
        if (a.span.source != 0 || a.span.expanded || a.span.line < first || a.span.line > last ||
            !a.known)
            continue;
        if (!Overlaps(range, a.span.line - 1)) continue;
        const Token* t = model.TokenAt(0, a.span.line, a.span.column);
        if (!t || t->span.length != a.span.length) continue; // an expression of several tokens
        const Json where = workspace.RangeOf(d, a.span);
        const std::string text(model.TextOf(*t));
        if (t->role == TokenRole::Number) {
            const Argument* group = a.meaning == Meaning::FlagIndex ? GroupOf(model, a) : nullptr;
            const std::string name = NameOf(workspace, a.meaning, a.value,
                                            group ? static_cast<std::uint8_t>(group->value) : 0);
            if (!name.empty() && name != text)
                out.push_back(
                    Edit("Write " + text + " as " + name, "refactor.rewrite", d.uri, where, name));
        } else if (t->role == TokenRole::Builtin ||
                   (t->role == TokenRole::Macro && model.FindDefine(text) &&
                    model.FindDefine(text)->count == 1)) {
            // A name of several values fills several fields: no one number stands for it.
            const std::string number = NumberText(a.kind, a.value);
            out.push_back(
                Edit("Write " + text + " as " + number, "refactor.rewrite", d.uri, where, number));
        }
    }
    return Ok(out);
}

} // namespace quillon::lsp
