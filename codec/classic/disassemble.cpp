// The disassembler: instructions read one by one, their nesting shown by
// tabs, conditions read inline and else blocks closed where they end.
#include <algorithm>
#include <string>

#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "codec/classic/engine_internals.h"

namespace quillon {

namespace detail {

void DisassembleSpecial(ScriptContext& ctx, const Form& form, TextBuffer& out) {
    switch (form.special) {
    case Special::Unknown:
        out += "// unknown opcode (";
        out.Wrote(WriteHex(out.Room(8), ctx.opcode, 2));
        out += ") found at 0x";
        out.Wrote(WriteHex(out.Room(8), static_cast<std::uint32_t>(ctx.nextPos), 8));
        return;
    case Special::Else: {
        ++ctx.elseDepth;
        const size_t d = static_cast<size_t>(ctx.elseDepth);
        if (d >= ctx.elseLength.size()) {
            ctx.elseLength.resize(d + 1);
            ctx.elseEnd.resize(d + 1);
        }
        ctx.elseOpen = 1;
        ctx.elseLength[d] = U16At(ctx, 2);
        ctx.elseEnd[d] = ctx.nextPos + ctx.elseLength[d] - 6;
        PrintForm(ctx, form, out);
        return;
    }
    case Special::Nop: {
        const size_t d = static_cast<size_t>(ctx.elseDepth);
        if (ctx.elseOpen && ctx.nextPos >= ctx.elseEnd[d]) {
            ctx.nextPos += 1;
            ctx.readPos = ctx.nextPos;
            ctx.elseEnd[d] = 0;
            ctx.elseLength[d] = 0;
            if (--ctx.elseDepth <= 0) {
                ctx.elseDepth = 0;
                ctx.elseOpen = 0;
            }
            out += "}";
            return;
        }
        PrintForm(ctx, form, out);
        return;
    }
    case Special::Condition: {
        // The condition is the next instruction of the file; a condition that
        // is itself conditional reads the next one in turn. The chain is
        // walked in a loop, so no file nests the reading deeper than one call.
        std::string closes;
        for (;;) {
            out += ctx.dialect->Name(ctx.opcode);
            out += '(';
            closes += ctx.dialect->closesKinds[ctx.opcode] & KindBit(BlockKind::Do) ? ';' : '{';
            if (!ctx.input) { // no file to read the condition from: Read reports it
                Read(ctx, ctx.readPos, ctx.input);
                break;
            }
            const std::int32_t end = static_cast<std::int32_t>(ctx.input->bytes.size());
            if (ctx.readPos >= end) break; // no condition left in the file
            ctx.nextPos = Read(ctx, ctx.readPos, ctx.input);
            const Form& next = *ctx.dialect->forms[ctx.opcode];
            if (next.special != Special::Condition) {
                DisassembleLine(ctx, out);
                break;
            }
        }
        for (size_t i = closes.size(); i-- > 0;) out += closes[i] == ';' ? ");" : ") {";
        return;
    }
    default: PrintForm(ctx, form, out); return;
    }
}

void DisassembleLine(ScriptContext& ctx, TextBuffer& out, int tabs, bool lineEnd) {
    NoteCase(ctx);
    if (ctx.plan->lines[ctx.opcode].plain) {
        // Most lines: the fields alone, written in place.
        PrintForm(ctx, *ctx.dialect->forms[ctx.opcode], out, tabs, lineEnd);
        return;
    }
    out.Tabs(tabs);
    DisassembleSpecial(ctx, *ctx.dialect->forms[ctx.opcode], out);
    if (lineEnd) out += "\r\n";
}

} // namespace detail

using namespace detail;

namespace {

// The disassembler's text goes to the sink in pieces of about this size.
constexpr std::size_t kTextPiece = 1 << 18;

} // namespace

// The disassembler: the text is made in the context's piece and handed to
// the sink whenever it reaches kTextPiece, and at the end.
void DisassembleStream(ScriptContext& ctx, std::string_view bytecode, std::string_view title,
                       const TextSink& sink) {
    ctx.compiling = 0;
    InputFile input{bytecode};
    ctx.input = &input;
    // The depth steps of the opcodes are looked up, not branched on: the
    // opcodes of a file follow no pattern.
    const Dialect& d = *ctx.dialect;
    const std::int32_t size = static_cast<std::int32_t>(bytecode.size());
    // Room for a piece and the longest line, or for about the whole text of
    // a small input (the room grows for more): a context made for one small
    // script is not given a piece's worth of fresh memory.
    TextBuffer out(ctx.textPiece.text, 0,
                   std::min<std::size_t>(bytecode.size() * 8, kTextPiece) + 4096);
    out += "int ";
    out += title;
    out += "(void) {\r\n\r\n";
    ctx.nextPos = ctx.readPos = 0;
    ctx.elseOpen = ctx.elseDepth = 0;
    ctx.elseLength[0] = ctx.elseEnd[0] = 0;
    std::uint8_t depth = 1;
    std::int32_t passes = 0;
    while (size > 0) {
        if (ctx.readPos >= size) break;
        ctx.nextPos = Read(ctx, ctx.readPos, &input);
        const std::uint8_t op = ctx.opcode;
        // Depth before the line: the table's step, or nop's and case's own.
        depth = static_cast<std::uint8_t>(depth + d.depthBefore[op]);
        if (d.forms[op]->special == Special::Nop) {
            if (ctx.elseOpen && ctx.nextPos >= ctx.elseEnd[static_cast<size_t>(ctx.elseDepth)])
                --depth;
        } else if (d.caseEffect[op] == CaseEffect::Opens && ctx.caseOpen == 1) {
            ctx.caseOpen = 0;
            --depth;
        }
        if (depth == 0 || depth >= 254) depth = 1;
        // The tabs are written with the line.
        const int tabs = ctx.indent == 1 ? depth : 0;
        depth = static_cast<std::uint8_t>(depth + d.depthAfter[op]); // depth after the line
        if (op < 0x90)
            DisassembleLine(ctx, out, tabs, true);
        else
            out.Tabs(tabs);
        if (out.Size() >= kTextPiece) {
            sink(out.Text());
            out.Clear();
        }
        if (++passes >= size) break;
    }
    out += '}';
    ctx.input = nullptr;
    sink(out.Text());
}

void DisassembleBuffer(ScriptContext& ctx, std::string_view bytecode, std::string_view title,
                       std::string& text) {
    text.clear();
    text.reserve(bytecode.size() * 5 + 64);
    DisassembleStream(ctx, bytecode, title, [&](std::string_view piece) { text += piece; });
}

std::string DisassembleBuffer(ScriptContext& ctx, std::string_view bytecode,
                              std::string_view title) {
    std::string text;
    DisassembleBuffer(ctx, bytecode, title, text);
    return text;
}

} // namespace quillon
