// Printing an instruction's line through its form.
#include <algorithm>
#include <cstring>
#include <memory>

#include "engine.h"
#include "engine_parts.h"
#include "text.h"

namespace quillon::detail {

namespace {

// An instruction's text is put together in a buffer on the stack, with room
// for the longest text its form can print, and appended to the output in one
// piece.

// The most characters that one field prints ("0x" and 8 digits, a sign and 5
// digits, an operator).
constexpr std::size_t kFieldRoom = 11;

char* CopyPiece(char* p, const char* s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) p[i] = s[i];
    return p + n;
}

// A piece of a form's punctuation: short ones are copied as a fixed block of
// 16 bytes (their text and the zeros after it), which needs no branch on
// their length.
char* PutPiece(char* p, const Piece& piece) {
    if (piece.length >= kPaddedPiece) return CopyPiece(p, piece.text, piece.length);
    std::memcpy(p, piece.padded, kPaddedPiece);
    return p + piece.length;
}

// "0x" and at least `minDigits` (at most 8) upper-case hex digits.
char* WriteHexField(char* p, std::uint32_t value, int minDigits) {
    *p++ = '0';
    *p++ = 'x';
    return WriteHex(p, value, minDigits);
}

// The texts of 0 to 255, the most common field, as length and digits.
struct ByteTexts {
    char text[256][4] = {};
    constexpr ByteTexts() {
        for (int v = 0; v < 256; ++v) {
            char* t = text[v];
            t[0] = static_cast<char>(v < 10 ? 1 : v < 100 ? 2 : 3);
            int i = 1;
            if (v >= 100) t[i++] = static_cast<char>('0' + v / 100);
            if (v >= 10) t[i++] = static_cast<char>('0' + v / 10 % 10);
            t[i] = static_cast<char>('0' + v % 10);
        }
    }
};
constexpr ByteTexts kByteTexts;

char* WriteByte(char* p, std::uint8_t value) {
    const char* t = kByteTexts.text[value];
    std::memcpy(p, t + 1, 3);
    return p + t[0];
}

// Writes the field's text at `p` (at most kFieldRoom characters) and returns
// its end. Inline in the loop over the fields, which is the disassembler's
// innermost.
[[gnu::always_inline]] inline char* PrintField(const ScriptContext& ctx, const Field& f, char* p) {
    const std::uint8_t b = ctx.code[f.offset];
    switch (f.kind) {
    case Kind::U8: return WriteByte(p, b);
    case Kind::S8: return WriteDecimal(p, static_cast<std::int8_t>(b));
    case Kind::X8: return WriteHexField(p, b, 2);
    case Kind::U16: return WriteDecimal(p, U16At(ctx, f.offset));
    case Kind::S16: return WriteDecimal(p, static_cast<std::int16_t>(U16At(ctx, f.offset)));
    case Kind::X16: return WriteHexField(p, U16At(ctx, f.offset), 4);
    case Kind::H16: return WriteHexField(p, U16At(ctx, f.offset), 2);
    case Kind::Addr16: return WriteHexField(p, U16At(ctx, f.offset), 8);
    case Kind::Sub8:
        if (b < 10) *p++ = '0';
        return WriteByte(p, b);
    case Kind::HexN: return WriteHexField(p, b, 1);
    case Kind::CmpOp:
    case Kind::CmpOpQ: {
        const char* t = ComparisonText(b);
        return CopyPiece(p, t, std::strlen(t));
    }
    case Kind::CalcOp: {
        const char* t = ArithmeticText(b);
        return CopyPiece(p, t, std::strlen(t));
    }
    }
    return p;
}

} // namespace

void PrintFields(const ScriptContext& ctx, const Form& form, std::string& out, int tabs,
                 bool lineEnd) {
    const Dialect& d = *ctx.dialect;
    const PrintPlan& plan = *ctx.plan;
    const std::uint8_t op = ctx.opcode;
    const int size = d.Size(op);
    // The plan holds the pieces of the opcode's own form; any other form's
    // are worked out here.
    FormPlan other;
    const FormPlan& pieces = &form == d.forms[op] ? plan.forms[op] : (other = PlanForm(form));
    const char* head = form.head                          ? form.head
                       : plan.nameLength[op] == kLongName ? d.Name(op)
                                                          : nullptr;
    const std::size_t headLength = head ? std::strlen(head) : kPaddedName;
    // Room for the longest text: tabs, name, punctuation, every field at its
    // longest and the line end, and for a padded piece copied whole.
    const std::size_t room =
        static_cast<std::size_t>(tabs) + headLength + pieces.open.length + pieces.close.length +
        form.fieldCount * (std::max<std::size_t>(pieces.sep.length, 2) + kFieldRoom) + 2 +
        kPaddedPiece;
    char local[512];
    std::unique_ptr<char[]> large;
    char* const buffer = room <= sizeof local ? local : (large.reset(new char[room]), large.get());
    char* p = buffer;
    for (int i = 0; i < tabs; ++i) *p++ = '\t';
    if (head) {
        p = CopyPiece(p, head, headLength);
    } else {
        std::memcpy(p, plan.paddedName[op], kPaddedName);
        p += plan.nameLength[op];
    }
    p = PutPiece(p, pieces.open);
    bool first = true;
    for (int i = 0; i < form.fieldCount; ++i) {
        const Field& f = form.fields[i];
        if (!FieldApplies(f, size)) continue;
        if (!first) {
            if (f.flags & kAppended)
                p = CopyPiece(p, ", ", 2);
            else
                p = PutPiece(p, pieces.sep);
        }
        first = false;
        p = PrintField(ctx, f, p);
    }
    p = PutPiece(p, pieces.close);
    if (lineEnd) {
        *p++ = '\r';
        *p++ = '\n';
    }
    out.append(buffer, static_cast<std::size_t>(p - buffer));
}
} // namespace quillon::detail
