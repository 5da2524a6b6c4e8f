#include "cli/scanned_fields.h"

namespace quillon::cli {

const Field* ScannedField(const Dialect& dialect, std::uint8_t opcode, int argument) {
    const Form& form = *dialect.forms[opcode];
    const int size = dialect.Size(opcode);
    int n = 0;
    for (int i = 0; i < form.fieldCount; ++i) {
        const Field& f = form.fields[i];
        if (!FieldApplies(f, size) || (f.flags & kNoScan)) continue;
        if (++n == argument) return &f;
    }
    return nullptr;
}

int PrintedFieldCount(const Dialect& dialect, std::uint8_t opcode) {
    const Form& form = *dialect.forms[opcode];
    const int size = dialect.Size(opcode);
    int n = 0;
    for (int i = 0; i < form.fieldCount; ++i) n += FieldApplies(form.fields[i], size) ? 1 : 0;
    return n;
}

int ScannedFieldCount(const Dialect& dialect, std::uint8_t opcode) {
    int n = 0;
    while (ScannedField(dialect, opcode, n + 1)) ++n;
    return n;
}

} // namespace quillon::cli
