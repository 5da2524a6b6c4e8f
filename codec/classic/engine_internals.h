// The classic engine's internals, shared by its own .cpp files: printing an
// instruction's line through its form, scanning a line's tokens into its
// fields, and the two directions of an instruction through its form. Callers
// outside the engine include codec/classic/fields.h, whose functions stand
// for the ones they need.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "codec/base/text_buffer.h"
#include "codec/classic/context.h"
#include "codec/classic/diagnostics.h"

namespace quillon::detail {

inline std::uint16_t U16At(const ScriptContext& ctx, int offset) {
    return static_cast<std::uint16_t>(ctx.code[offset] | (ctx.code[offset + 1] << 8));
}

// Printing (print.cpp): the text of a line of the instruction at `code`,
// after `tabs` tabs and, with `lineEnd`, before CR LF. PrintLine writes it at
// `p`, which has room for the most that the line may touch (max(tabs,
// kTabMove) + line.room), and returns its end; AppendLine appends it bare.
char* PrintLine(const std::uint8_t* code, const LinePlan& line, char* p, int tabs, bool lineEnd);
void AppendLine(const LinePlan& line, const std::uint8_t* code, std::string& out);
// Writes the text of one field of the instruction at `code` at `p` (see
// kFieldRoom) and returns its end.
char* WriteFieldText(const FieldPlan& field, const std::uint8_t* code, char* p);
void PrintFields(const ScriptContext& ctx, const Form& form, std::string& out, int tabs = 0,
                 bool lineEnd = false);
void PrintForm(const ScriptContext& ctx, const Form& form, TextBuffer& out, int tabs = 0,
               bool lineEnd = false);

// Scanning (scan.cpp).
std::int32_t TokenOffset(const ScriptContext& ctx, std::string_view token);
void Report(ScriptContext& ctx, Issue issue, std::string_view token, int argument,
            std::int64_t value = 0, Kind kind = Kind::U8);
void ScanFields(ScriptContext& ctx, const Form& form);
// ScanFields' bytes for the common lines, in less time: false, with nothing
// reported, for a form that it does not serve or a line that ScanFields
// reports on (quick_scan.cpp); ScanFields then writes the same bytes again.
bool QuickScanFields(ScriptContext& ctx, const Form& form);
// InstructionOf through an index of the names that tells them apart by
// their length and a few of their characters (quick_scan.cpp).
int QuickInstructionOf(const ScriptContext& ctx);
// Where token k comes from after `times` shifts left by n, each giving token
// k the value of token k + n where there is one and leaving the last n tokens
// as they are (the count stays).
int ShiftedIndex(int count, int n, int times, int k);
// Applies `times` shifts by n in one pass, so that a long chain of keywords
// costs no more than its line.
void ShiftTokens(ScriptContext& ctx, int n, int times = 1);
// The opcode that a line's first word names: "goto SubNN" is Gosub (0x18) and
// "return SubNN" the return of 0x19, as the disassembler writes them;
// otherwise the first row of that name, or -1.
int InstructionOf(const ScriptContext& ctx);

// The two directions of an instruction through its form (engine.cpp).
// CompileForm scans the record's tokens into its instruction (closing braces
// and for lines do their part in the blocks) and appends the instruction's
// text, unless `text` is false (callers that discard it). DisassembleForm
// appends the disassembler's line of the instruction, after `tabs` tabs and,
// with `lineEnd`, before CR LF. DispatchForm does the one of them that the
// record's direction (compiling) asks for.
void CompileForm(ScriptContext& ctx, std::string& out, bool text = true);
void DisassembleForm(ScriptContext& ctx, std::string& out, int tabs = 0, bool lineEnd = false);
void DispatchForm(ScriptContext& ctx, std::string& out, bool text = true, int tabs = 0,
                  bool lineEnd = false);
// Switch labels as the disassembler meets them: case opens, default and the
// two-byte break close.
inline void NoteCase(ScriptContext& ctx) {
    const CaseEffect effect = ctx.dialect->caseEffect[ctx.opcode];
    if (effect == CaseEffect::Opens)
        ctx.caseOpen = 1;
    else if (effect == CaseEffect::Closes)
        ctx.caseOpen = 0;
}
// The instructions that need more than their fields: closing braces when
// compiling (compile.cpp), conditions, else and nop when disassembling
// (disassemble.cpp).
void CompileCloseBrace(ScriptContext& ctx);
// Fills the record's lineOffsets for the current line when the classic
// compiler left them to be worked out (compile.cpp); otherwise does nothing.
void NeedLineOffsets(ScriptContext& ctx);
// Copies the current line into the record's `line` when the classic compiler
// left it in its reader's buffer, the tokens with it, and returns `token`
// (a view of that buffer or not) as a view of `line` (compile.cpp).
std::string_view CopyLine(ScriptContext& ctx, std::string_view token = {});
void DisassembleSpecial(ScriptContext& ctx, const Form& form, TextBuffer& out);
// The disassembler's line of the instruction in the record, after `tabs`
// tabs and, with `lineEnd`, before CR LF (disassemble.cpp).
void DisassembleLine(ScriptContext& ctx, TextBuffer& out, int tabs = 0, bool lineEnd = false);

} // namespace quillon::detail
