#include "codec/exact/operands.h"

#include "codec/isa/exact_rows.h"
#include "codec/isa/field_walk.h"

namespace quillon::exact {

namespace {

OperandList ListOf(const Dialect& dialect, int op) {
    OperandList list;
    const int size = dialect.Size(static_cast<std::uint8_t>(op));
    for (const Field& f : AppliedFields(*dialect.forms[op], size, FieldWalk::Printed)) {
        const bool scanned = Visits(f, size, FieldWalk::Scanned);
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
