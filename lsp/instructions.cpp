#include "lsp/instructions.h"

#include <array>

#include "codec/exact/compiler.h"
#include "codec/exact/naming.h"
#include "codec/isa/exact_rows.h"

namespace quillon::lsp {

namespace {

InstructionInfo Describe(std::uint8_t op) {
    const exact::Rows& rows = exact::ExactRows();
    const Dialect& d = rows.dialect;
    InstructionInfo info;
    info.size = d.Size(op);
    info.aligned = rows.row[op].aligned;
    const Form& form = *d.forms[op];
    if (op >= 0x90 || form.special == Special::Unknown || !d.Name(op) || !*d.Name(op)) return info;
    info.name = d.Name(op);
    std::vector<Field> fields;
    exact::ScannedFields(form, info.size, fields);
    // The meaning of a place that hangs on no other byte of the instruction.
    std::array<std::uint8_t, 64> code{};
    code[0] = op;
    const std::string head = form.head ? form.head : info.name;
    info.line = head + form.open;
    info.snippet = info.line;
    int k = 0;
    for (const Field& f : fields) {
        const Position* p = exact::Naming::Builtin().At(code.data(), f.offset);
        ArgumentPlace a{f, p && p->when.at == 0 ? p->meaning : Meaning::None,
                        std::string(RowOf(f.kind).label) + "@" + std::to_string(f.offset)};
        if (k > 0) {
            info.line += form.sep;
            info.snippet += form.sep;
        }
        const int start = static_cast<int>(info.line.size());
        info.line += a.label;
        info.at.emplace_back(start, static_cast<int>(info.line.size()));
        info.snippet += "${" + std::to_string(++k) + ":" + a.label + "}";
        info.arguments.push_back(std::move(a));
    }
    info.line += form.close;
    info.snippet += form.close;
    return info;
}

struct Table {
    std::vector<InstructionInfo> info;
    Table() {
        for (int op = 0; op < 256; ++op) info.push_back(Describe(static_cast<std::uint8_t>(op)));
    }
};

const Table& Infos() {
    static const Table table;
    return table;
}

} // namespace

const InstructionInfo& InfoOf(std::uint8_t opcode) {
    return Infos().info[opcode];
}

int OpcodeNamed(std::string_view name) {
    if (name.empty()) return -1;
    const int op = exact::ExactRows().dialect.FindName(name);
    return op >= 0 && op < 256 ? op : -1;
}

} // namespace quillon::lsp
