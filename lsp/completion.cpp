// Completion and signature help: instruction names with their arguments as
// snippets, at an argument the names that fit its place, and directives.
#include <cctype>

#include "codec/base/text.h"
#include "codec/exact/naming.h"
#include "codec/isa/exact_rows.h"
#include "lsp/describe.h"
#include "lsp/features.h"
#include "lsp/instructions.h"

namespace quillon::lsp {

namespace {

using exact::TokenRole;

// The protocol's kinds of completion items.
enum ItemKind {
    kFunction = 3,
    kKeyword = 14,
    kSnippet = 15,
    kEnumMember = 20,
    kConstant = 21,
    kReference = 18
};

// The directives that the compiler reads.
constexpr const char* kDirectives[] = {"#define", "#include"};

// The instruction of the line that a place stands after the name of, and
// the argument that the place is in (from 0).
struct Call {
    const Token* name = nullptr;
    int opcode = -1;
    int argument = 0;
    bool jump = false; // a goto
};

Call CallAt(const Place& place) {
    const Model& model = *place.document->model;
    Call call;
    for (const Token& t : model.tokens) {
        if (t.span.source != 0 || t.span.line != place.line || t.span.expanded) continue;
        if (t.span.column + t.span.length > place.column) continue; // not before the place
        if (t.role == TokenRole::Instruction) {
            call.name = &t;
            call.opcode = OpcodeNamed(model.TextOf(t));
            call.jump = false;
        } else if (t.role == TokenRole::Keyword && model.TextOf(t) == "goto") {
            call.name = &t;
            call.opcode = exact::ExactRows().jump;
            call.jump = true;
        }
    }
    if (!call.name || call.opcode < 0) return call;
    call.jump = call.jump || call.opcode == exact::ExactRows().jump;
    // The arguments that the front end read on the line, before the place.
    for (const Argument& a : model.arguments) {
        if (a.span.source != 0 || a.span.line != place.line || a.opcode != call.opcode) continue;
        if (place.column >= a.span.column && place.column <= a.span.column + a.span.length)
            return call.argument = a.index, call;
        if (a.span.column + a.span.length < place.column)
            call.argument = std::max(call.argument, a.index + 1);
    }
    return call;
}

// The meaning of argument k of a call: as the front end read it, else as
// the rows place it.
Meaning MeaningAt(const Place& place, const Call& call) {
    for (const Argument& a : place.document->model->arguments)
        if (a.span.line == place.line && a.opcode == call.opcode && a.index == call.argument)
            return a.meaning;
    const InstructionInfo& info = InfoOf(static_cast<std::uint8_t>(call.opcode));
    return call.argument < static_cast<int>(info.arguments.size())
               ? info.arguments[static_cast<std::size_t>(call.argument)].meaning
               : Meaning::None;
}

Json Item(const std::string& label, int kind, const std::string& detail) {
    return {{"label", label}, {"kind", kind}, {"detail", detail}};
}

void Names(const Workspace& workspace, const Place& place, const Call& call, Json& items) {
    const Model& model = *place.document->model;
    if (call.jump) {
        const Function* f = model.FunctionAt(place.line);
        for (const Token& t : model.tokens)
            if (t.role == TokenRole::Label && t.definition && t.span.source == 0 &&
                (!f || (t.span.line >= f->firstLine && t.span.line <= f->lastLine)))
                items.push_back(Item(std::string(model.TextOf(t)), kReference, "label"));
        return;
    }
    const Meaning m = MeaningAt(place, call);
    if (m == Meaning::None) return;
    if (m == Meaning::Procedure) {
        for (const Function& f : model.functions)
            items.push_back(Item(f.text, kFunction, "procedure " + std::to_string(f.index)));
        return;
    }
    // A flag index: the names of its group's flags.
    int group = -1;
    if (m == Meaning::FlagIndex)
        for (const Argument& a : model.arguments)
            if (a.span.line == place.line && a.opcode == call.opcode &&
                a.meaning == Meaning::FlagGroup && a.index < call.argument && a.known)
                group = static_cast<int>(a.value);
    for (const Define& d : model.defines)
        if (d.valued && d.meaning == m)
            items.push_back(Item(d.text, kConstant, ValueText(d.value)));
    for (const auto& [name, d] : workspace.names.All())
        if (!d.values.empty() && d.values[0].meaning == m)
            items.push_back(Item(name, kConstant, ValueText(d.values[0].value)));
    if (m == Meaning::FlagIndex) {
        if (group < 0) return;
        for (const FlagName& f : RetailFlagNames())
            if (f.group == group) items.push_back(Item(f.name, kEnumMember, ValueText(f.index)));
        if (group != kItemFlagGroup) return;
    }
    const Meaning listed = m == Meaning::FlagIndex ? Meaning::Item : m;
    for (const exact::Naming::Entry& e : exact::Naming::Builtin().All())
        if (e.named.meaning == listed)
            items.push_back(Item(std::string(e.name), kEnumMember, ValueText(e.named.value)));
}

void Instructions(const Place& place, Json& items) {
    // After "#": the directives, replacing the "#" too.
    const std::string_view line = place.document->text.Line(place.position.line);
    std::size_t start = static_cast<std::size_t>(place.column - 1);
    while (start > 0 &&
           (std::isalnum(static_cast<unsigned char>(line[start - 1])) || line[start - 1] == '_'))
        --start;
    if (start > 0 && line[start - 1] == '#') {
        const Range range{place.document->text.At(place.position.line, start - 1), place.position};
        for (const char* d : kDirectives)
            items.push_back(
                {{"label", d},
                 {"kind", kKeyword},
                 {"filterText", d},
                 {"textEdit", {{"range", ToJson(range)}, {"newText", std::string(d) + " "}}}});
        return;
    }
    // The same for every text: made once.
    static const Json instructions = [] {
        Json list = Json::array();
        for (int op = 0; op < 256; ++op) {
            const InstructionInfo& info = InfoOf(static_cast<std::uint8_t>(op));
            if (info.name.empty() || info.line.empty()) continue;
            list.push_back({{"label", info.name},
                            {"kind", kSnippet},
                            {"detail", info.line},
                            {"insertTextFormat", 2},
                            {"insertText", info.snippet}});
        }
        return list;
    }();
    items.insert(items.end(), instructions.begin(), instructions.end());
    for (const char* d : kDirectives) items.push_back(Item(d, kKeyword, "directive"));
}

} // namespace

Reply Completion(const Workspace& workspace, const Json& params) {
    Place place;
    Reply reply;
    if (!FindPlace(workspace, params, place, reply)) return reply;
    Json items = Json::array();
    const Call call = CallAt(place);
    if (call.name)
        Names(workspace, place, call, items);
    else
        Instructions(place, items);
    return Ok({{"isIncomplete", false}, {"items", items}});
}

Reply SignatureHelp(const Workspace& workspace, const Json& params) {
    Place place;
    Reply reply;
    if (!FindPlace(workspace, params, place, reply)) return reply;
    const Call call = CallAt(place);
    if (!call.name || call.jump) return Ok(nullptr);
    const InstructionInfo& info = InfoOf(static_cast<std::uint8_t>(call.opcode));
    if (info.line.empty()) return Ok(nullptr);
    Json parameters = Json::array();
    for (std::size_t k = 0; k < info.arguments.size(); ++k)
        parameters.push_back({{"label", {info.at[k].first, info.at[k].second}},
                              {"documentation", NounOf(info.arguments[k].meaning)}});
    return Ok({{"signatures",
                {{{"label", info.line},
                  {"documentation", FormatText("opcode 0x%02X, %d bytes", call.opcode, info.size)},
                  {"parameters", parameters}}}},
               {"activeSignature", 0},
               {"activeParameter", call.argument}});
}

} // namespace quillon::lsp
