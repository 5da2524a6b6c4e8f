#include "cli/opcode_list.h"

#include "codec/base/text.h"
#include "codec/isa/exact_rows.h"
#include "codec/isa/field_walk.h"

namespace quillon::cli {

std::string ArgumentForm(const Dialect& dialect, std::uint8_t opcode) {
    if (opcode >= 0x90) return "(no line)";
    const Form& form = *dialect.forms[opcode];
    const char* name = dialect.Name(opcode);
    switch (form.special) {
    case Special::Unknown: return "// unknown opcode";
    case Special::Condition:
        return std::string(name) + "(condition" + (opcode == 0x12 ? ");" : ") {");
    default: break;
    }
    std::string text = form.head ? form.head : name;
    text += form.open;
    const int size = dialect.Size(opcode);
    bool first = true;
    for (const Field& f : AppliedFields(form, size, FieldWalk::Printed)) {
        if (!first) text += (f.flags & kAppended) ? ", " : form.sep;
        first = false;
        // Right after a word ("goto Sub") the placeholder is set off: Sub<SUB8@1>.
        const char before = text.empty() ? ' ' : text.back();
        const bool setOff = (before >= 'A' && before <= 'Z') || (before >= 'a' && before <= 'z');
        if (setOff) text += '<';
        text += RowOf(f.kind).label;
        text += '@';
        text += std::to_string(f.offset);
        if (f.flags & kNoScan) text += '*';
        if (setOff) text += '>';
    }
    text += form.close;
    if (text.empty()) return "(empty line)";
    if (form.special == Special::Nop) text += " or } closing an else block";
    return text;
}

std::string PresetText(const Dialect& dialect, std::uint8_t opcode) {
    if (opcode >= 0x90) return std::string();
    const Form& form = *dialect.forms[opcode];
    if (form.special == Special::Unknown || form.special == Special::Condition) return {};
    std::string text;
    for (int i = 0; i < form.presetCount; ++i) {
        if (!text.empty()) text += ' ';
        text += FormatText("%d=0x%02X", form.presets[i].offset, form.presets[i].value);
    }
    return text;
}

void PrintOpcodes(const Dialect& dialect, std::FILE* out) {
    std::fprintf(out, "# %s dialect (%s)\n", dialect.name, dialect.menuName);
    std::fprintf(out, "%-6s  %4s  %-18s  %s\n", "OPCODE", "SIZE", "NAME", "FORM");
    for (int op = 0; op < 256; ++op) {
        const auto code = static_cast<std::uint8_t>(op);
        std::string form = ArgumentForm(dialect, code);
        const std::string presets = PresetText(dialect, code);
        if (!presets.empty()) form += "  [compiling sets " + presets + "]";
        std::fprintf(out, "0x%02X    %4d  %-18s  %s\n", op, dialect.Size(code), dialect.Name(code),
                     form.c_str());
    }
}

namespace {

// What the exact text shows of a block instruction, and where its length or
// offset counts from.
std::string ExactForm(const Dialect& d, std::uint8_t op) {
    const exact::Row& row = exact::ExactRows().row[op];
    const std::string length = FormatText("length U16@%d from its %s", row.lengthAt,
                                          row.from == exact::From::Start ? "start" : "end");
    switch (row.role) {
    case exact::Role::Raw: return "raw(bytes);  no line of its own";
    case exact::Role::Jump: return "goto(LABEL, U8@1, U8@2, U8@3);  offset S16@4 from its start";
    case exact::Role::Open:
        if (row.condition)
            return std::string(d.Name(op)) + "(condition) {  " + length +
                   (row.conditionAt ? FormatText(", condition size U8@%d", row.conditionAt) : "");
        return ArgumentForm(d, op) + "  " + length;
    case exact::Role::Else: return "} else {  " + length;
    case exact::Role::Close:
        return op == exact::ExactRows().closer[static_cast<int>(exact::Block::Do)]
                   ? FormatText("} while(condition);  condition size U8@%d", row.conditionAt)
                   : std::string("}");
    case exact::Role::CaseOrDefault:
        return row.lengthAt ? ArgumentForm(d, op) + "  " + length + " to the next label"
                            : ArgumentForm(d, op);
    case exact::Role::Plain: break;
    }
    return ArgumentForm(d, op);
}

} // namespace

void PrintExactOpcodes(std::FILE* out) {
    const exact::Rows& rows = exact::ExactRows();
    const Dialect& d = rows.dialect;
    std::fprintf(out,
                 "# %s dialect (%s), exact mode: the game's sizes; EVEN marks instructions\n"
                 "# that start at an even chunk offset (a 00 pad goes before them)\n",
                 d.name, d.menuName);
    std::fprintf(out, "%-6s  %4s  %-4s  %-18s  %s\n", "OPCODE", "SIZE", "", "NAME", "FORM");
    for (int op = 0; op < 256; ++op) {
        const auto code = static_cast<std::uint8_t>(op);
        std::fprintf(out, "0x%02X    %4d  %-4s  %-18s  %s\n", op, d.Size(code),
                     rows.row[op].aligned ? "EVEN" : "", d.Name(code), ExactForm(d, code).c_str());
    }
}

} // namespace quillon::cli
