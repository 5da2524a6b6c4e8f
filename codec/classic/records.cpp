#include "codec/classic/records.h"

namespace quillon {

ScriptContext& RetailRecord() {
    static ScriptContext record(RetailDialect());
    return record;
}

ScriptContext& PrototypeRecord() {
    static ScriptContext record(PrototypeDialect());
    return record;
}

ScriptContext& RecordOf(const Dialect& d) {
    return &d == &PrototypeDialect() ? PrototypeRecord() : RetailRecord();
}

} // namespace quillon
