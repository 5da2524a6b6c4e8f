#include "codec/classic/fields.h"

#include "codec/classic/engine_internals.h"

namespace quillon {

void AppendInstruction(const PrintPlan& plan, const std::uint8_t* code, std::string& out) {
    detail::AppendLine(plan.lines[code[0]], code, out);
}

void AppendInstruction(const LinePlan& line, const std::uint8_t* code, std::string& out) {
    detail::AppendLine(line, code, out);
}

int InstructionNamed(const ScriptContext& ctx) {
    return detail::QuickInstructionOf(ctx);
}

void ScanInstruction(ScriptContext& ctx) {
    const Form& form = *ctx.dialect->forms[ctx.opcode];
    if (!detail::QuickScanFields(ctx, form)) detail::ScanFields(ctx, form);
}

} // namespace quillon
