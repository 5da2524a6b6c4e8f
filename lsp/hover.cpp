// Hover: what the instruction, argument or name under the cursor is.
#include "codec/base/text.h"
#include "codec/exact/naming.h"
#include "lsp/describe.h"
#include "lsp/features.h"
#include "lsp/instructions.h"

namespace quillon::lsp {

namespace {

using exact::TokenRole;

std::string InstructionText(const Model& model, const Place& place, std::uint8_t op) {
    const InstructionInfo& info = InfoOf(op);
    std::string text = FormatText("**%s**: opcode 0x%02X, %d bytes%s\n\n", info.name.c_str(), op,
                                  info.size, info.aligned ? ", at an even offset" : "");
    if (!info.line.empty()) text += "```\n" + info.line + "\n```\n";
    int k = 0;
    for (const ArgumentPlace& a : info.arguments)
        text += FormatText("%d. `%s`: %s at byte %d\n", ++k, RowOf(a.field.kind).label,
                           NounOf(a.meaning).c_str(), a.field.offset);
    if (const exact::InstructionEvent* i = model.InstructionAt(place.line, place.column);
        i && i->at >= 0)
        text += FormatText("\nAt 0x%04llX in the chunk (procedure %d)\n",
                           static_cast<unsigned long long>(i->at), i->procedure);
    return text;
}

std::string ArgumentText(const Workspace& workspace, const Model& model, const Argument& a) {
    const InstructionInfo& info = InfoOf(a.opcode);
    std::string text =
        FormatText("Argument %d of **%s**: `%s`, %s\n\n", a.index + 1, info.name.c_str(),
                   RowOf(a.kind).label, NounOf(a.meaning).c_str());
    if (a.known) {
        text += "Value " + ValueText(a.value);
        const Argument* group = a.meaning == Meaning::FlagIndex ? GroupOf(model, a) : nullptr;
        const std::string name = NameOf(workspace, a.meaning, a.value,
                                        group ? static_cast<std::uint8_t>(group->value) : 0);
        if (!name.empty()) text += ", `" + name + "`";
        text += "\n\n";
    }
    text += FormatText("Byte %d of the instruction\n", a.offset);
    return text;
}

std::string Where(const Workspace& workspace, const OpenDocument& d, const exact::Span& span) {
    if (span.source == 0) return FormatText("line %d", span.line);
    return FormatText("%s:%d", workspace.UriOf(d, span.source).c_str(), span.line);
}

std::string NameText(const Workspace& workspace, const Place& place, const Token& t) {
    const Model& model = *place.document->model;
    const std::string name(model.TextOf(t));
    switch (t.role) {
    case TokenRole::Function: {
        const Function* f = model.FindFunction(name);
        int uses = 0;
        for (const Token& u : model.tokens)
            if (u.role == TokenRole::Function && !u.definition && model.TextOf(u) == name) ++uses;
        std::string text = "Function **" + name + "**";
        if (f)
            text += FormatText(": procedure %d of the table, at line %d", f->index, f->name.line);
        return text + FormatText("\n\n%d reference%s", uses, uses == 1 ? "" : "s");
    }
    case TokenRole::Label: {
        const Token* l = model.FindLabel(name, t.span.line);
        return "Label **" + name + "**" + (l ? FormatText(" at line %d", l->span.line) : "");
    }
    case TokenRole::Macro: {
        const Define* d = model.FindDefine(name);
        if (!d) return "Name **" + name + "**";
        std::string text =
            "Name **" + name + "**, defined at " + Where(workspace, *place.document, d->name);
        if (d->valued && d->count == 1)
            text += "\n\n" + NounOf(d->meaning) + ": " + ValueText(d->value);
        text += "\n```\n#define " + name + " " + d->body + "\n```";
        return text;
    }
    case TokenRole::Builtin: {
        const exact::Naming::Named* n = exact::Naming::Builtin().Find(name);
        std::string text = "Built-in name **" + name + "** of `<bio2.h>`";
        if (n) text += "\n\n" + NounOf(n->meaning) + ": " + ValueText(n->value);
        return text;
    }
    default: return {};
    }
}

} // namespace

Reply Hover(const Workspace& workspace, const Json& params) {
    Place place;
    Reply reply;
    if (!FindPlace(workspace, params, place, reply)) return reply;
    const Model& model = *place.document->model;
    const Token* t = TokenAt(place);
    std::string text;
    exact::Span span;
    if (t && t->role == TokenRole::Instruction) {
        const int op = OpcodeNamed(model.TextOf(*t));
        if (op >= 0) text = InstructionText(model, place, static_cast<std::uint8_t>(op));
        span = t->span;
    } else if (t && (t->role == TokenRole::Function || t->role == TokenRole::Label ||
                     t->role == TokenRole::Macro || t->role == TokenRole::Builtin)) {
        text = NameText(workspace, place, *t);
        span = t->span;
    }
    // An argument: its value and place, after what its name is.
    if (const Argument* a = model.ArgumentAt(place.line, place.column);
        a && (!t || t->role != TokenRole::Function || t->definition == false)) {
        if (!text.empty()) text += "\n\n---\n\n";
        text += ArgumentText(workspace, model, *a);
        if (!t) span = a->span;
    }
    if (text.empty()) return Ok(nullptr);
    return Ok({{"contents", {{"kind", "markdown"}, {"value", text}}},
               {"range", workspace.RangeOf(*place.document, span)}});
}

} // namespace quillon::lsp
