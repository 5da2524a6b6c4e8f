// The classic engine's fields for callers outside it (exact mode): printing
// an instruction's line from its bytes, and scanning a line's tokens into an
// instruction's bytes with the classic compiler's reports.
//
// Usage, for exact mode:
//   Printing needs no context: take the dialect's plan once, then append the
//   line of each instruction from its bytes (the opcode first; the bytes of
//   every field that applies to its size are read):
//       const PrintPlan& plan = PlanOf(dialect);
//       AppendInstruction(plan, bytes, text);        // "Speed_set(1, -3);"
//   Scanning fills a context (ScriptContext, compiling, with a listener) that
//   the caller keeps: its `tokens` hold the line (the instruction's name
//   first), `tokenCount` and `liveTokens` their count, `lineCopied` false when
//   kReadableFromToken bytes may be read from each token's start; `opcode`
//   and `code` the instruction, zeros where no field or preset writes.
//       const int op = InstructionNamed(context);     // -1: no such name
//       context.opcode = context.code[0] = op;
//       ScanInstruction(context);                     // into context.code
//   Every report goes to the context's listener as the classic compiler makes
//   it (BadNumber, MissingArgument, SurplusArgument, BadOperator, OutOfRange).
// The functions are inline, as cheap in a line loop as the engine's own.
#pragma once

#include <cstdint>
#include <string>

#include "codec/classic/context.h"
#include "codec/classic/engine_internals.h"
#include "codec/classic/print_plan.h"

namespace quillon {

// Appends the line of the instruction at `code` (its opcode first) as its
// opcode's form in the plan prints it, without indentation and line end.
inline void AppendInstruction(const PrintPlan& plan, const std::uint8_t* code, std::string& out) {
    detail::AppendLine(plan.lines[code[0]], code, out);
}
// The same through the line of another form (PlanLine makes it).
inline void AppendInstruction(const LinePlan& line, const std::uint8_t* code, std::string& out) {
    detail::AppendLine(line, code, out);
}

// Writes the text of one field of a line's plan at `p`, as the line prints
// it, and returns its end; it may touch kFieldRoom bytes from `p`.
inline char* WriteField(const FieldPlan& field, const std::uint8_t* code, char* p) {
    return detail::WriteFieldText(field, code, p);
}

// The opcode that the first of the context's tokens names, or -1: the row of
// that name, or Gosub and its return for "goto SubNN" and "return SubNN".
inline int InstructionNamed(const ScriptContext& ctx) {
    return detail::QuickInstructionOf(ctx);
}

// Scans the context's tokens into its instruction buffer through the form of
// its opcode: the presets, then each field that compiling reads, from the
// form's first token on; reports to the context's listener.
// The same through another form of the opcode (the quick scan serves only
// the opcode's own).
inline void ScanInstruction(ScriptContext& ctx, const Form& form) {
    if (&form != ctx.dialect->forms[ctx.opcode] || !detail::QuickScanFields(ctx, form))
        detail::ScanFields(ctx, form);
}
inline void ScanInstruction(ScriptContext& ctx) {
    ScanInstruction(ctx, *ctx.dialect->forms[ctx.opcode]);
}

} // namespace quillon
