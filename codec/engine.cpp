#include "engine.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "diagnostics.h"
#include "source.h"
#include "text.h"

namespace quillon {

namespace {

const char* const kComparison[] = {"=", ">", ">=", "<", "<=", "!=", "?"};
const char* const kArithmetic[] = {"+",  "-", "*", "/",  "%",  "||",
                                   "&&", "^", "~", "<<", ">>", "~>>"};

std::uint16_t U16At(const ScriptContext& ctx, int offset) {
    return static_cast<std::uint16_t>(ctx.code[offset] | (ctx.code[offset + 1] << 8));
}

// A field applies only as far as the instruction reaches: one whose last byte
// would lie at or past the instruction's size is neither printed nor scanned.
bool FieldApplies(const Field& f, int size) {
    return (f.flags & kLoose) || f.offset + WidthOf(f.kind) <= size;
}

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
char* PutPiece(char* p, const char* text, const char (&padded)[kPaddedPiece], std::size_t n) {
    if (n >= kPaddedPiece) return CopyPiece(p, text, n);
    std::memcpy(p, padded, kPaddedPiece);
    return p + n;
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

// The text of a line, after `tabs` tabs and, with `lineEnd`, before CR LF.
void PrintFields(const ScriptContext& ctx, const Form& form, std::string& out, int tabs = 0,
                 bool lineEnd = false) {
    const Dialect& d = *ctx.dialect;
    const std::uint8_t op = ctx.opcode;
    const int size = d.Size(op);
    const char* head = form.head ? form.head : d.nameLength[op] == kLongName ? d.Name(op) : nullptr;
    const std::size_t headLength = head ? std::strlen(head) : kPaddedName;
    // Room for the longest text: tabs, name, punctuation, every field at its
    // longest and the line end, and for a padded piece copied whole.
    const std::size_t room = static_cast<std::size_t>(tabs) + headLength + form.openLength +
                             form.closeLength + form.fieldCount * (form.sepLength + kFieldRoom) +
                             2 + kPaddedPiece;
    char local[512];
    std::unique_ptr<char[]> large;
    char* const buffer = room <= sizeof local ? local : (large.reset(new char[room]), large.get());
    char* p = buffer;
    for (int i = 0; i < tabs; ++i) *p++ = '\t';
    if (head) {
        p = CopyPiece(p, head, headLength);
    } else {
        std::memcpy(p, d.paddedName[op], kPaddedName);
        p += d.nameLength[op];
    }
    p = PutPiece(p, form.open, form.openPadded, form.openLength);
    bool first = true;
    for (int i = 0; i < form.fieldCount; ++i) {
        const Field& f = form.fields[i];
        if (!FieldApplies(f, size)) continue;
        if (!first) p = PutPiece(p, form.sep, form.sepPadded, form.sepLength);
        first = false;
        p = PrintField(ctx, f, p);
    }
    p = PutPiece(p, form.close, form.closePadded, form.closeLength);
    if (lineEnd) {
        *p++ = '\r';
        *p++ = '\n';
    }
    out.append(buffer, static_cast<std::size_t>(p - buffer));
}

// ---- compiling -----------------------------------------------------------

std::int32_t TokenOffset(const ScriptContext& ctx, std::string_view token) {
    if (ctx.lineOffsets.empty() || token.data() < ctx.line.data() ||
        token.data() >= ctx.line.data() + ctx.line.size())
        return -1;
    return ctx.lineOffsets[static_cast<size_t>(token.data() - ctx.line.data())];
}

void Report(ScriptContext& ctx, Issue issue, std::string_view token, int argument,
            std::int64_t value = 0, Kind kind = Kind::U8) {
    if (!ctx.listener) return;
    Diagnostic d{issue, TokenOffset(ctx, token), token, ctx.opcode, argument, value, kind};
    ctx.listener->Report(d);
}

bool FitsField(Kind kind, std::int32_t v) {
    switch (kind) {
    case Kind::S8: return v >= -128 && v <= 127;
    case Kind::U8:
    case Kind::X8:
    case Kind::Sub8:
    case Kind::HexN: return v >= 0 && v <= 255;
    case Kind::S16: return v >= -32768 && v <= 32767;
    default: return v >= 0 && v <= 65535;
    }
}

int OperatorCode(Kind kind, std::string_view token) {
    if (kind == Kind::CalcOp) {
        for (int i = 0; i < 12; ++i)
            if (token == kArithmetic[i]) return i;
        return -1;
    }
    const int count = kind == Kind::CmpOpQ ? 7 : 6; // "?" does not scan back for Cmp
    for (int i = 0; i < count; ++i)
        if (token == kComparison[i]) return i;
    return -1;
}

void ScanFields(ScriptContext& ctx, const Form& form) {
    for (int i = 0; i < form.presetCount; ++i)
        ctx.code[form.presets[i].offset] = form.presets[i].value;
    const int size = ctx.dialect->Size(ctx.opcode);
    std::int32_t work = 0;
    int token = form.firstToken;
    int argument = 0;
    for (int i = 0; i < form.fieldCount; ++i) {
        const Field& f = form.fields[i];
        if (!FieldApplies(f, size) || (f.flags & kNoScan)) continue;
        ++argument;
        const int t = token++;
        // A missing argument acts as one that does not scan: the copies that
        // keyword shifts leave at the end of the line are not arguments.
        const bool present = t < std::min(ctx.tokenCount, ctx.liveTokens);
        if (ctx.listener && t >= ctx.liveTokens)
            Report(ctx, Issue::MissingArgument, std::string_view(), argument);
        const std::string_view text =
            present ? ctx.tokens[static_cast<size_t>(t)] : std::string_view();
        if (IsOperator(f.kind)) {
            const int op = present ? OperatorCode(f.kind, text) : -1;
            if (op >= 0)
                ctx.code[f.offset] = static_cast<std::uint8_t>(op);
            else if (present && t < ctx.liveTokens)
                Report(ctx, Issue::BadOperator, text, argument);
            continue;
        }
        std::optional<std::int32_t> value;
        bool overflow = false;
        if (present) {
            std::string_view digits = text;
            if (f.kind == Kind::Sub8 && digits.substr(0, 3) == "Sub") digits.remove_prefix(3);
            const bool hex = f.kind == Kind::X8 || f.kind == Kind::X16 || f.kind == Kind::H16 ||
                             f.kind == Kind::Addr16 || f.kind == Kind::HexN;
            value = hex ? ScanHex(digits, &overflow) : ScanDecimal(digits, &overflow);
            if (!value && t < ctx.liveTokens)
                Report(ctx, Issue::BadNumber, text, argument, 0, f.kind);
        }
        if (value && ctx.listener && t < ctx.liveTokens && (overflow || !FitsField(f.kind, *value)))
            Report(ctx, Issue::OutOfRange, text, argument, *value, f.kind);
        if (IsWide(f.kind)) {
            if (value) work = *value;
            ctx.code[f.offset] = static_cast<std::uint8_t>(work & 0xFF);
            ctx.code[f.offset + 1] = static_cast<std::uint8_t>((work >> 8) & 0xFF);
        } else if (value) {
            const std::uint32_t v = static_cast<std::uint32_t>(*value);
            for (int k = 0; k < 4; ++k)
                ctx.code[f.offset + k] = static_cast<std::uint8_t>(v >> (8 * k));
        }
    }
    if (ctx.listener && form.special != Special::For && form.fieldCount > 0) {
        int live = ctx.liveTokens;
        while (live > token && ctx.tokens[static_cast<size_t>(live - 1)] == "{") --live;
        if (live > token)
            Report(ctx, Issue::SurplusArgument, ctx.tokens[static_cast<size_t>(token)],
                   argument + 1);
    }
}

// Where token k comes from after `times` shifts left by n, each giving token
// k the value of token k + n where there is one and leaving the last n tokens
// as they are (the count stays).
int ShiftedIndex(int count, int n, int times, int k) {
    if (k + n >= count) return k;
    return k + n * std::min(times, (count - k - 1) / n);
}

// Applies `times` shifts by n in one pass, so that a long chain of keywords
// costs no more than its line.
void ShiftTokens(ScriptContext& ctx, int n, int times = 1) {
    for (int k = 0; k < ctx.tokenCount; ++k)
        ctx.tokens[static_cast<size_t>(k)] =
            ctx.tokens[static_cast<size_t>(ShiftedIndex(ctx.tokenCount, n, times, k))];
    ctx.liveTokens = std::max(0, ctx.liveTokens - n * times);
}

bool IsSubLabel(std::string_view token) {
    if (token.size() < 4 || token.substr(0, 3) != "Sub") return false;
    return std::all_of(token.begin() + 3, token.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The opcode that a line's first word names: "goto SubNN" is Gosub (0x18) and
// "return SubNN" the return of 0x19, as the disassembler writes them;
// otherwise the first row of that name, or -1.
int InstructionOf(const ScriptContext& ctx) {
    const std::string_view word = ctx.tokens[0];
    if ((word == "goto" || word == "return") && ctx.liveTokens > 1 && IsSubLabel(ctx.tokens[1]))
        return word == "goto" ? 0x18 : 0x19;
    return ctx.dialect->FindName(word);
}

// The dispatcher; compiling callers that discard the text pass `text` false
// and the instruction is not printed at all. The disassembler has the line's
// tabs and its end written with the text.
void DispatchForm(ScriptContext& ctx, std::string& out, bool text = true, int tabs = 0,
                  bool lineEnd = false);

void CompileCloseBrace(ScriptContext& ctx) {
    OutputFile* out = ctx.target;
    if (ctx.dialect->braces == BraceRule::ForDepth) {
        if (ctx.forDepth > 0) {
            if (ctx.forDepth < 128) ctx.blockStack[ctx.forDepth] = 0;
            --ctx.forDepth;
            ctx.opcode = ctx.code[0] = 0x0E;
            ctx.code[1] = 0;
        }
        return; // otherwise 08 and whatever the buffer holds at offset 1
    }
    // A "} while" whose condition is again "}" closes the next block in turn.
    // The chain is walked in a loop, not by nested calls, and its token shifts
    // (two per "} while") are applied once at its end.
    int pairs = 0;
    auto token = [&](int k) {
        return ctx.tokens[static_cast<size_t>(ShiftedIndex(ctx.tokenCount, 2, pairs, k))];
    };
    bool elseWord;
    bool any;
    BlockKind kind;
    for (;;) {
        elseWord = ctx.tokenCount > 1 && token(1) == "else";
        any = !ctx.blocks.empty();
        kind = any ? ctx.blocks.back() : BlockKind::If;
        if (any) ctx.blocks.pop_back();
        if (!any || kind != BlockKind::Do) break;
        ctx.opcode = ctx.code[0] = 0x12;
        ctx.code[1] = 4;
        if (ctx.tokenCount <= 2) break;
        Write(ctx, ctx.nextPos, out);
        ++pairs;
        if (token(0) != "}") break;
        ctx.opcode = ctx.code[0] = 0x08;
    }
    ShiftTokens(ctx, 2, pairs);
    if (any && kind == BlockKind::Do) {
        if (ctx.tokenCount > 2) {
            const int op = InstructionOf(ctx);
            if (op >= 0) {
                ctx.opcode = ctx.code[0] = static_cast<std::uint8_t>(op);
                std::string discard;
                DispatchForm(ctx, discard, false);
            } else {
                Report(ctx, Issue::UnknownName, ctx.tokens[0], 0);
            }
        }
        return;
    }
    if (any && kind == BlockKind::For) {
        ctx.opcode = ctx.code[0] = 0x0E;
        ctx.code[1] = 0;
        return;
    }
    if (elseWord) {
        ctx.blocks.push_back(BlockKind::Else);
        ctx.elseOpen = 1;
        ctx.opcode = 0x07;
        ctx.code[0] = 0x07;
        ctx.code[1] = ctx.code[2] = ctx.code[3] = 0;
        return;
    }
    if (any && kind == BlockKind::Else) {
        // The pair 00 00: one byte here, the second by the driver.
        ctx.opcode = ctx.code[0] = 0x00;
        Write(ctx, ctx.nextPos, out);
        return;
    }
    if (ctx.tokenCount > 1) return; // 08 with offset 1 as the buffer holds it
    ctx.code[1] = 0;
}

// ---- disassembling -------------------------------------------------------

void DisassembleSpecial(ScriptContext& ctx, const Form& form, std::string& out);

void DispatchForm(ScriptContext& ctx, std::string& out, bool text, int tabs, bool lineEnd) {
    const Form& form = *ctx.dialect->forms[ctx.opcode];
    if (ctx.compiling == 1) {
        switch (form.special) {
        case Special::CloseBrace: CompileCloseBrace(ctx); return;
        case Special::For:
            ScanFields(ctx, form);
            if (ctx.dialect->braces == BraceRule::ForDepth) {
                ++ctx.forDepth;
                if (ctx.forDepth < 128) ctx.blockStack[ctx.forDepth] = 0x0D;
            } else {
                ctx.blocks.push_back(BlockKind::For);
            }
            break;
        case Special::Unknown:
        case Special::Condition:
        case Special::Else: break; // nothing to scan
        default: ScanFields(ctx, form); break;
        }
        if (text) PrintFields(ctx, form, out);
        return;
    }
    // Switch labels: case opens, default and the two-byte break close.
    if (ctx.opcode == 0x14)
        ctx.caseOpen = 1;
    else if (ctx.opcode == 0x15 || ctx.opcode == 0x1A)
        ctx.caseOpen = 0;
    if (form.special == Special::None || form.special == Special::For ||
        form.special == Special::CloseBrace) {
        PrintFields(ctx, form, out, tabs, lineEnd);
        return;
    }
    if (tabs > 0) out.append(static_cast<std::size_t>(tabs), '\t');
    DisassembleSpecial(ctx, form, out);
    if (lineEnd) out += "\r\n";
}

void DisassembleSpecial(ScriptContext& ctx, const Form& form, std::string& out) {
    switch (form.special) {
    case Special::Unknown:
        out += "// unknown opcode (";
        AppendHex(out, ctx.opcode, 2);
        out += ") found at 0x";
        AppendHex(out, static_cast<std::uint32_t>(ctx.nextPos), 8);
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
        PrintFields(ctx, form, out);
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
        PrintFields(ctx, form, out);
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
            closes += ctx.opcode == 0x12 ? ';' : '{';
            if (!ctx.input) { // no file to read the condition from: Read reports it
                Read(ctx, ctx.readPos, ctx.input);
                break;
            }
            const std::int32_t end = static_cast<std::int32_t>(ctx.input->bytes.size());
            if (ctx.readPos >= end) break; // no condition left in the file
            ctx.nextPos = Read(ctx, ctx.readPos, ctx.input);
            const Form& next = *ctx.dialect->forms[ctx.opcode];
            if (next.special != Special::Condition) {
                DispatchForm(ctx, out);
                break;
            }
        }
        for (size_t i = closes.size(); i-- > 0;) out += closes[i] == ';' ? ");" : ") {";
        return;
    }
    default: PrintFields(ctx, form, out); return;
    }
}

// Counting braces for diagnostics: lines that end in "{" open, lines that
// start with "}" close.
struct BraceCount {
    std::int32_t open = 0;
};

void RecognizeLine(ScriptContext& ctx, OutputFile* out, BraceCount& braces) {
    const Dialect& d = *ctx.dialect;
    if (ctx.tokenCount == 0) return;
    if (ctx.listener) {
        if (ctx.tokens[0] == "}") {
            if (braces.open == 0)
                Report(ctx, Issue::UnmatchedClose, ctx.tokens[0], 0);
            else
                --braces.open;
        }
        if (ctx.tokens.back() == "{") ++braces.open;
    }
    bool pushed = false;
    auto push = [&](BlockKind k) {
        if (!pushed && d.braces == BraceRule::Nested) ctx.blocks.push_back(k);
        pushed = true;
    };
    int shifts = 0; // keyword shifts by one, applied to the tokens when the chain ends
    for (;;) {
        if (ctx.liveTokens - shifts <= 0) return;
        const std::string_view word = ctx.tokens[static_cast<size_t>(shifts)];
        if (word == "int" || word == "void") return;
        const bool ifWord = word == "if", whileWord = word == "while", doWord = word == "do";
        if (ifWord || whileWord || doWord) {
            if (!d.keywordBlocks) {
                Report(ctx, Issue::SkippedKeyword, word, 0);
                return;
            }
            ctx.opcode = ctx.code[0] = ifWord ? 0x06 : whileWord ? 0x0F : 0x11;
            ctx.code[1] = ctx.code[2] = ctx.code[3] = 0;
            Write(ctx, ctx.nextPos, out);
            push(ifWord ? BlockKind::If : whileWord ? BlockKind::While : BlockKind::Do);
            if (doWord) return;
            ++shifts;
            continue;
        }
        if (word == "switch" || word == "case" || word == "default") {
            if (word == "switch") push(BlockKind::Switch);
            return;
        }
        break;
    }
    ShiftTokens(ctx, 1, shifts);
    const std::string_view word = ctx.tokens[0];
    const int op = InstructionOf(ctx);
    if (op < 0) {
        Report(ctx, Issue::UnknownName, word, 0);
        return;
    }
    ctx.opcode = ctx.code[0] = static_cast<std::uint8_t>(op);
    std::string discard;
    DispatchForm(ctx, discard, false);
    Write(ctx, ctx.nextPos, out);
}

} // namespace

const char* ComparisonText(std::uint8_t code) {
    return code < 7 ? kComparison[code] : "";
}
const char* ArithmeticText(std::uint8_t code) {
    return code < 12 ? kArithmetic[code] : "";
}

namespace {
// For each instruction size, 0xFF over the bytes of the instruction and 0
// over the rest of the instruction buffer.
struct SizeMasks {
    std::uint8_t mask[256][sizeof ScriptContext::code] = {};
    constexpr SizeMasks() {
        for (std::size_t size = 0; size < 256; ++size)
            for (std::size_t i = 0; i < sizeof ScriptContext::code && i < size; ++i)
                mask[size][i] = 0xFF;
    }
};
constexpr SizeMasks kSizeMasks;
} // namespace

std::int32_t Read(ScriptContext& ctx, std::int32_t& position, const InputFile* file) {
    if (!file) {
        ctx.opcode = 0xFF;
        ShowMessage("Quillon", "%s Fail!", "Read()");
        return 1;
    }
    const std::int64_t available = static_cast<std::int64_t>(file->bytes.size()) - position;
    if (position >= 0 && available > 0)
        ctx.opcode = static_cast<std::uint8_t>(file->bytes[static_cast<size_t>(position)]);
    const int size = ctx.dialect->Size(ctx.opcode);
    if (position >= 0 && available >= static_cast<std::int64_t>(sizeof ctx.code)) {
        // A whole buffer's worth of input follows: the instruction's bytes are
        // blended in through a mask of its size, without branches on the size
        // (sizes follow no pattern); the bytes past it keep their values.
        const std::uint8_t* mask = kSizeMasks.mask[size];
        const char* from = file->bytes.data() + position;
        for (std::size_t i = 0; i < sizeof ctx.code; ++i)
            ctx.code[i] = static_cast<std::uint8_t>((static_cast<std::uint8_t>(from[i]) & mask[i]) |
                                                    (ctx.code[i] & ~mask[i]));
    } else if (position >= 0 && available > 0) {
        const size_t n = static_cast<size_t>(std::min<std::int64_t>(size, available));
        std::memcpy(ctx.code, file->bytes.data() + position, n);
    }
    position += size;
    return position;
}

std::int32_t Write(ScriptContext& ctx, std::int32_t& position, OutputFile* file) {
    if (!file) return ShowFailure("%s Fail!", "Write()");
    const int size = ctx.dialect->Size(ctx.opcode);
    if (size > 0 && position >= 0) {
        const size_t end = static_cast<size_t>(position) + static_cast<size_t>(size);
        if (file->bytes.size() < end) file->bytes.resize(end, '\0');
        std::memcpy(file->bytes.data() + position, ctx.code, static_cast<size_t>(size));
    }
    position += size;
    return position;
}

void DispatchInto(ScriptContext& ctx, std::string& out) {
    // A caller that sets the tokens itself hands over a whole line.
    if (ctx.compiling == 1) ctx.liveTokens = ctx.tokenCount;
    DispatchForm(ctx, out);
}

std::string Dispatch(ScriptContext& ctx) {
    std::string text;
    DispatchInto(ctx, text);
    return text;
}

namespace {

// The disassembler's text goes to the sink in pieces of about this size.
constexpr std::size_t kTextPiece = 1 << 18;

// The steps of the nesting depth by opcode, before and after the line, looked
// up rather than branched on (the opcodes of a file follow no pattern). Nop
// and case step before the line only on conditions of their own.
struct DepthSteps {
    std::int8_t before[256] = {};
    std::int8_t after[256] = {};
    constexpr DepthSteps() {
        for (int op : {0x07, 0x08, 0x0E, 0x10, 0x12, 0x1A}) before[op] = -1;
        for (int op : {0x06, 0x07, 0x0D, 0x0F, 0x11, 0x14, 0x15}) after[op] = 1;
    }
};
constexpr DepthSteps kDepthSteps;

// The disassembler. With a sink, `text` is handed over and emptied whenever it
// reaches a piece and at the end; without one it receives the whole text.
void DisassembleInto(ScriptContext& ctx, std::string_view bytecode, std::string_view title,
                     std::string& text, const TextSink* sink) {
    ctx.compiling = 0;
    InputFile input{bytecode};
    ctx.input = &input;
    const std::int32_t size = static_cast<std::int32_t>(bytecode.size());
    text.clear();
    text.reserve(sink ? kTextPiece + 4096 : bytecode.size() * 5 + 64);
    text += "int ";
    text += title;
    text += "(void) {\r\n\r\n";
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
        depth = static_cast<std::uint8_t>(depth + kDepthSteps.before[op]);
        if (op == 0x00) {
            if (ctx.elseOpen && ctx.nextPos >= ctx.elseEnd[static_cast<size_t>(ctx.elseDepth)])
                --depth;
        } else if (op == 0x14 && ctx.caseOpen == 1) {
            ctx.caseOpen = 0;
            --depth;
        }
        if (depth == 0 || depth >= 254) depth = 1;
        // The tabs are written with the line.
        const int tabs = ctx.indent == 1 ? depth : 0;
        depth = static_cast<std::uint8_t>(depth + kDepthSteps.after[op]); // depth after the line
        if (op < 0x90)
            DispatchForm(ctx, text, true, tabs, true);
        else if (tabs > 0)
            text.append(static_cast<std::size_t>(tabs), '\t');
        if (sink && text.size() >= kTextPiece) {
            (*sink)(text);
            text.clear();
        }
        if (++passes >= size) break;
    }
    text += "}";
    ctx.input = nullptr;
    if (sink) {
        (*sink)(text);
        text.clear();
    }
}

} // namespace

void DisassembleBuffer(ScriptContext& ctx, std::string_view bytecode, std::string_view title,
                       std::string& text) {
    DisassembleInto(ctx, bytecode, title, text, nullptr);
}

void DisassembleStream(ScriptContext& ctx, std::string_view bytecode, std::string_view title,
                       const TextSink& sink) {
    std::string piece;
    DisassembleInto(ctx, bytecode, title, piece, &sink);
}

std::string DisassembleBuffer(ScriptContext& ctx, std::string_view bytecode,
                              std::string_view title) {
    std::string text;
    DisassembleBuffer(ctx, bytecode, title, text);
    return text;
}

void CompileBuffer(ScriptContext& ctx, std::string_view source, std::string& bytecode) {
    ctx.compiling = 1;
    InputFile input{source};
    OutputFile output;
    output.bytes.swap(bytecode); // its memory serves again
    output.bytes.clear();
    output.bytes.reserve(source.size() / 2 + 16);
    ctx.input = &input;
    if (ctx.dialect->braces == BraceRule::Nested) ctx.output = &output;
    ctx.target = &output;
    ctx.nextPos = ctx.readPos = 0;
    ctx.forDepth = 0;
    ctx.blocks.clear();
    const std::int32_t size = static_cast<std::int32_t>(source.size());
    std::int32_t passes = 0;
    BraceCount braces;
    while (size > 0) {
        if (ctx.readPos >= size) break;
        const std::int32_t outputBegin = ctx.nextPos;
        ReadSourceLine(kCompilerLineOptions, source, ctx.readPos, ctx.line,
                       ctx.listener ? &ctx.lineOffsets : nullptr);
        SplitTokens(ctx.line, ctx.tokens);
        ctx.tokenCount = static_cast<std::int32_t>(ctx.tokens.size());
        ctx.liveTokens = ctx.tokenCount;
        ctx.opcode = 0xFF;
        RecognizeLine(ctx, &output, braces);
        if (ctx.listener && !ctx.line.empty()) {
            const std::int32_t begin =
                ctx.lineOffsets.empty() ? ctx.readPos : ctx.lineOffsets.front();
            ctx.listener->LineDone(begin, ctx.readPos, outputBegin, ctx.nextPos);
        }
        if (++passes >= size) break;
    }
    if (ctx.listener && braces.open > 0) {
        Diagnostic d{Issue::UnclosedBlock, size,    std::string_view(), 0xFF, braces.open,
                     braces.open,          Kind::U8};
        ctx.listener->Report(d);
    }
    if (ctx.listener) ctx.listener->SourceDone(source);
    ctx.target = nullptr;
    ctx.input = nullptr;
    ctx.output = nullptr;
    bytecode = std::move(output.bytes);
}

std::string CompileBuffer(ScriptContext& ctx, std::string_view source) {
    std::string bytecode;
    CompileBuffer(ctx, source, bytecode);
    return bytecode;
}

} // namespace quillon
