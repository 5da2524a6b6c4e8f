// Small scripts whose conversions differ between the two dialects, and the
// codec's own results for them, computed on records of their own.
#pragma once

#include <string>

#include "codec/classic/engine.h"
#include "codec/isa/opcodes.h"

namespace quillon::test {

// Frames exactly in both dialects: retail reads Work_copy, return, nop, nop;
// the prototype reads an unknown opcode, return, Evt_chain, nop.
inline const std::string kBytecode("\x1D\x01\x02\x03\x01\x05\x00\x00", 8);
// Work_copy is a retail name only.
inline const std::string kSource = "Work_copy(1, 2, 3);\r\nreturn 5;\r\n";

inline std::string Disassembly(const Dialect& dialect, const std::string& bytes,
                               const std::string& title, int indent = 1) {
    ScriptContext record(dialect);
    record.indent = indent;
    return DisassembleBuffer(record, bytes, title);
}

inline std::string Compilation(const Dialect& dialect, const std::string& source) {
    ScriptContext record(dialect);
    return CompileBuffer(record, source);
}

} // namespace quillon::test
