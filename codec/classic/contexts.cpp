#include "codec/classic/contexts.h"

namespace quillon {

ScriptContext& RetailContext() {
    static ScriptContext context(RetailDialect());
    return context;
}

ScriptContext& PrototypeContext() {
    static ScriptContext context(PrototypeDialect());
    return context;
}

ScriptContext& ContextOf(const Dialect& d) {
    return &d == &PrototypeDialect() ? PrototypeContext() : RetailContext();
}

} // namespace quillon
