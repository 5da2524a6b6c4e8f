// Printing an instruction's line through its plan.
#include <algorithm>
#include <cstring>
#include <memory>

#include "codec/base/field_text.h"
#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "codec/classic/engine_internals.h"

namespace quillon::detail {

namespace {

// The texts of the one-byte kinds by kind and value: up to 7 characters, and
// their length in the eighth byte. Made once from the kinds' own formats.
struct ByteTexts {
    char text[kKinds][256][8] = {};
    ByteTexts() {
        for (int k = 0; k < kKinds; ++k) {
            const Kind kind = static_cast<Kind>(k);
            if (IsWide(kind)) continue;
            for (int v = 0; v < 256; ++v) {
                // Made with the writers' room, then copied.
                char made[24] = {};
                char* end = made;
                if (IsOperator(kind)) {
                    const char* op = OperatorText(kind, static_cast<std::uint8_t>(v));
                    end = made + std::strlen(op);
                    std::memcpy(made, op, static_cast<std::size_t>(end - made));
                } else if (ScansHex(kind)) {
                    *end++ = '0';
                    *end++ = 'x';
                    end = WriteHex(end, static_cast<std::uint32_t>(v), PrintedDigits(kind));
                } else {
                    // Decimal, signed where the kind's range is, zeros before
                    // a number shorter than the kind's digits.
                    const int value = RangeOf(kind).low < 0 ? static_cast<std::int8_t>(v) : v;
                    for (int n = value < 10 ? 1 : value < 100 ? 2 : 3; n < PrintedDigits(kind); ++n)
                        *end++ = '0';
                    end = WriteDecimal(end, value);
                }
                std::memcpy(text[k][v], made, 7);
                text[k][v][7] = static_cast<char>(end - made);
            }
        }
    }
};
// Made on first use, so that no printing before the program's statics are
// made can find the tables empty.
const ByteTexts& TheByteTexts() {
    static const ByteTexts texts;
    return texts;
}

[[gnu::always_inline]] inline char* PutText(char* p, const PaddedText& t) {
    if (t.length == kLongText) {
        std::memcpy(p, t.whole.data(), t.whole.size());
        return p + t.whole.size();
    }
    std::memcpy(p, t.padded, kPaddedText);
    return p + t.length;
}

// Writes the field's text at `p` and returns its end (see kFieldRoom). Inline
// in the loop over the fields, which is the disassembler's innermost.
[[gnu::always_inline]] inline char* PrintField(const ByteTexts& texts, const std::uint8_t* code,
                                               const FieldPlan& f, char* p) {
    if (!IsWide(f.kind)) {
        const char* t = texts.text[static_cast<int>(f.kind)][code[f.offset]];
        std::memcpy(p, t, 8);
        return p + t[7];
    }
    const std::uint16_t v = static_cast<std::uint16_t>(code[f.offset] | code[f.offset + 1] << 8);
    if (ScansHex(f.kind)) return WriteWordHex(p, v, PrintedDigits(f.kind));
    return WriteDecimal(p, RangeOf(f.kind).low < 0 ? static_cast<std::int16_t>(v) : v);
}

} // namespace

char* PrintLine(const std::uint8_t* code, const LinePlan& line, char* p, int tabs, bool lineEnd) {
    if (tabs <= static_cast<int>(kTabMove)) {
        std::memset(p, '\t', kTabMove);
        p += tabs;
    } else {
        p = std::fill_n(p, tabs, '\t');
    }
    p = PutText(p, line.head);
    const ByteTexts& texts = TheByteTexts();
    for (int i = 0; i < line.fieldCount; ++i) {
        const FieldPlan& f = line.fields[i];
        if (f.sepLength <= kPaddedSep) {
            std::memcpy(p, f.sep, kPaddedSep);
            p += f.sepLength;
        } else {
            p = std::copy_n(f.sepText, f.sepLength, p);
        }
        p = PrintField(texts, code, f, p);
    }
    return PutText(p, lineEnd ? line.closeLine : line.close);
}

namespace {

// A form that is not its opcode's own has its line worked out on the spot
// (rarely: the plan holds every opcode's own), out of the printing path.
[[gnu::noinline]] LinePlan OtherLine(const ScriptContext& ctx, const Form& form) {
    return PlanLine(*ctx.dialect, form, ctx.opcode);
}

std::size_t RoomOf(const LinePlan& line, int tabs) {
    return std::max<std::size_t>(static_cast<std::size_t>(tabs), kTabMove) + line.room;
}

void PrintInto(const std::uint8_t* code, const LinePlan& line, std::string& out, int tabs,
               bool lineEnd) {
    const std::size_t room = RoomOf(line, tabs);
    char local[2048]; // room for every line of the tables, deeply indented
    std::unique_ptr<char[]> large;
    char* const buffer = room <= sizeof local ? local : (large.reset(new char[room]), large.get());
    const char* end = PrintLine(code, line, buffer, tabs, lineEnd);
    out.append(buffer, static_cast<std::size_t>(end - buffer));
}

void PrintInto(const std::uint8_t* code, const LinePlan& line, TextBuffer& out, int tabs,
               bool lineEnd) {
    out.Wrote(PrintLine(code, line, out.Room(RoomOf(line, tabs)), tabs, lineEnd));
}

// The line of `form` for the record's opcode, into `out`.
template <class Out>
void Print(const ScriptContext& ctx, const Form& form, Out& out, int tabs, bool lineEnd) {
    if (&form == ctx.dialect->forms[ctx.opcode])
        PrintInto(ctx.code, ctx.plan->lines[ctx.opcode], out, tabs, lineEnd);
    else
        PrintInto(ctx.code, OtherLine(ctx, form), out, tabs, lineEnd);
}

} // namespace

char* WriteFieldText(const FieldPlan& field, const std::uint8_t* code, char* p) {
    return PrintField(TheByteTexts(), code, field, p);
}

void AppendLine(const LinePlan& line, const std::uint8_t* code, std::string& out) {
    PrintInto(code, line, out, 0, false);
}

void PrintFields(const ScriptContext& ctx, const Form& form, std::string& out, int tabs,
                 bool lineEnd) {
    Print(ctx, form, out, tabs, lineEnd);
}

void PrintForm(const ScriptContext& ctx, const Form& form, TextBuffer& out, int tabs,
               bool lineEnd) {
    Print(ctx, form, out, tabs, lineEnd);
}

} // namespace quillon::detail
