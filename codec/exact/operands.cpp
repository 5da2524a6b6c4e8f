#include "codec/exact/operands.h"

#include "codec/isa/exact_rows.h"

namespace quillon::exact {

namespace {

OperandList ListOf(const Dialect& dialect, int op) {
    OperandList list;
    const Form& form = *dialect.forms[op];
    for (int i = 0; i < form.fieldCount; ++i) {
        const Field& f = form.fields[i];
        if (!FieldApplies(f, dialect.Size(static_cast<std::uint8_t>(op)))) continue;
        const bool scanned = !(f.flags & kNoScan);
        list.at[list.count++] = {f.offset, f.kind, scanned};
        if (scanned) ++list.arguments;
    }
    return list;
}

} // namespace

const OperandTable& Operands() {
    static const OperandTable table = [] {
        OperandTable t;
        for (int op = 0; op < 256; ++op) t.of[op] = ListOf(ExactRows().dialect, op);
        return t;
    }();
    return table;
}

} // namespace quillon::exact
