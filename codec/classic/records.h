// The one record of each dialect, alive for the whole program.
#pragma once

#include "codec/classic/context.h"

namespace quillon {

ScriptContext& RetailRecord();
ScriptContext& PrototypeRecord();
ScriptContext& RecordOf(const Dialect& d);

} // namespace quillon
