// The one context of each dialect, alive for the whole program.
#pragma once

#include "codec/classic/context.h"

namespace quillon {

ScriptContext& RetailContext();
ScriptContext& PrototypeContext();
ScriptContext& ContextOf(const Dialect& d);

} // namespace quillon
