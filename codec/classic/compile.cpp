// The compiler: source lines recognised by their first word, keyword lines
// and closing braces turned into block instructions, every other line
// scanned through its instruction's form.
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "codec/classic/engine.h"
#include "codec/classic/engine_internals.h"
#include "codec/classic/source.h"

namespace quillon {

namespace detail {

namespace {
// The output grows by as much as it holds, from 256 bytes up to steps of
// this many.
constexpr std::size_t kOutputStep = 64u << 10;

// While compiling, the output's string is kept longer than what was written
// (ctx.nextPos - base bytes), so that an instruction goes in as one copy of
// the whole instruction buffer: the bytes past its size are overwritten by
// the next instruction or cut off at the end.
void Put(ScriptContext& ctx, OutputFile* out) {
    const std::size_t size = static_cast<std::size_t>(ctx.dialect->Size(ctx.opcode));
    if (!out || ctx.nextPos < out->base || size > sizeof ctx.code) {
        Write(ctx, ctx.nextPos, out);
        return;
    }
    const std::size_t at = static_cast<std::size_t>(ctx.nextPos - out->base);
    std::string& bytes = out->bytes;
    if (bytes.size() < at + sizeof ctx.code)
        bytes.resize(at + sizeof ctx.code +
                     std::min(std::max<std::size_t>(bytes.size(), 256), kOutputStep));
    std::memcpy(bytes.data() + at, ctx.code, sizeof ctx.code);
    ctx.nextPos += static_cast<std::int32_t>(size);
}

std::string_view Written(const ScriptContext& ctx, const OutputFile& out) {
    return std::string_view(out.bytes.data(), static_cast<std::size_t>(ctx.nextPos - out.base));
}

// The buffer becomes the instruction that closes a block of `kind`.
void BecomeCloser(ScriptContext& ctx, BlockKind kind) {
    const int k = static_cast<int>(kind);
    ctx.opcode = ctx.code[0] = ctx.dialect->closer[k];
    ctx.code[1] = ctx.dialect->closerOperand[k];
}
} // namespace

void CompileCloseBrace(ScriptContext& ctx) {
    OutputFile* out = ctx.target;
    const Dialect& d = *ctx.dialect;
    if (d.braces == BraceRule::ForDepth) {
        if (ctx.forDepth > 0) {
            if (ctx.forDepth < 128) ctx.blockStack[ctx.forDepth] = 0;
            --ctx.forDepth;
            BecomeCloser(ctx, BlockKind::For);
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
        BecomeCloser(ctx, BlockKind::Do);
        if (ctx.tokenCount <= 2) break;
        Put(ctx, out);
        ++pairs;
        if (token(0) != "}") break;
        ctx.opcode = ctx.code[0] = d.closer[static_cast<int>(BlockKind::If)];
    }
    if (pairs > 0) ShiftTokens(ctx, 2, pairs);
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
        BecomeCloser(ctx, BlockKind::For);
        return;
    }
    if (elseWord) {
        ctx.blocks.push_back(BlockKind::Else);
        ctx.elseOpen = 1;
        ctx.opcode = ctx.code[0] = d.opener[static_cast<int>(BlockKind::Else)];
        ctx.code[1] = ctx.code[2] = ctx.code[3] = 0;
        return;
    }
    if (any && kind == BlockKind::Else) {
        // The pair 00 00: one byte here, the second by the driver.
        ctx.opcode = ctx.code[0] = d.closer[static_cast<int>(BlockKind::Else)];
        Put(ctx, out);
        return;
    }
    if (ctx.tokenCount > 1) return; // 08 with offset 1 as the buffer holds it
    ctx.code[1] = 0;
}

} // namespace detail

namespace {

using namespace detail;

// The window of a streamed compile, and the pieces its output is handed on in.
constexpr std::size_t kSourceWindow = 1u << 20;
constexpr std::size_t kOutputPiece = 256u << 10;
// The largest source: offsets in it are 32-bit.
constexpr std::size_t kLargestSource = 0x7FFFFFFF;

// Whether a word may be one of the keywords that RecognizeLine looks for:
// false for every word whose first letter starts none of them.
bool MayBeKeyword(std::string_view word) {
    switch (word[0]) {
    case 'c': // case
    case 'd': // default, do
    case 'i': // if, int
    case 's': // switch
    case 'v': // void
    case 'w': // while
        return true;
    default: return false;
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
        // Tokens are never empty: their first character tells them apart.
        const auto is = [](std::string_view token, char c) {
            return (static_cast<unsigned>(token.size() == 1) &
                    static_cast<unsigned>(token[0] == c)) != 0;
        };
        if (is(ctx.tokens[0], '}')) {
            if (braces.open == 0)
                Report(ctx, Issue::UnmatchedClose, ctx.tokens[0], 0);
            else
                --braces.open;
        }
        braces.open += is(ctx.tokens.back(), '{') ? 1 : 0;
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
        // Most lines name an instruction: one look at the first letter.
        if (!MayBeKeyword(word)) break;
        if (word == "int" || word == "void") return;
        const bool ifWord = word == "if", whileWord = word == "while", doWord = word == "do";
        if (ifWord || whileWord || doWord) {
            if (!d.keywordBlocks) {
                Report(ctx, Issue::SkippedKeyword, word, 0);
                return;
            }
            const BlockKind kind = ifWord      ? BlockKind::If
                                   : whileWord ? BlockKind::While
                                               : BlockKind::Do;
            ctx.opcode = ctx.code[0] = d.opener[static_cast<int>(kind)];
            ctx.code[1] = ctx.code[2] = ctx.code[3] = 0;
            Put(ctx, out);
            push(kind);
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
    if (shifts > 0) ShiftTokens(ctx, 1, shifts);
    const std::string_view word = ctx.tokens[0];
    const int op = QuickInstructionOf(ctx);
    if (op < 0) {
        Report(ctx, Issue::UnknownName, word, 0);
        return;
    }
    ctx.opcode = ctx.code[0] = static_cast<std::uint8_t>(op);
    if (!QuickScanFields(ctx, *d.forms[ctx.opcode])) {
        std::string discard;
        DispatchForm(ctx, discard, false);
    }
    Put(ctx, out);
}

// A line end inside a logical line, after its first kept character: a CR
// that an open "(" passed over, or an LF alone, which ends no line. Either
// way the line reaches into the next one.
void ReportJoinedLine(ScriptContext& ctx, const InputFile& in, std::int32_t firstKept,
                      std::int32_t end) {
    if (firstKept >= end) return;
    const std::string_view line = in.bytes.substr(static_cast<std::size_t>(firstKept),
                                                  static_cast<std::size_t>(end - firstKept));
    const std::size_t lineEnd = line.find_first_of("\r\n");
    if (lineEnd == std::string_view::npos) return;
    Diagnostic d{Issue::JoinedLine,
                 in.base + firstKept + static_cast<std::int32_t>(lineEnd),
                 std::string_view(),
                 0xFF,
                 0,
                 in.base + firstKept,
                 Kind::U8};
    ctx.listener->Report(d);
}

// The source as the compile loop sees it: a window of it, which `more`
// moves on when a line reaches past its end.
struct Window {
    InputFile input;
    bool last = true;                            // the window reaches the source's end
    std::function<void(std::int32_t keep)> more; // drops the bytes before `keep`, reads on
};

// The context set for a compile from `window` into `output`.
void StartCompile(ScriptContext& ctx, Window& window, OutputFile& output) {
    ctx.compiling = 1;
    ctx.input = &window.input;
    ctx.target = &output;
    ctx.nextPos = ctx.readPos = 0;
    ctx.forDepth = 0;
    ctx.blocks.clear();
}

// The end of a compile: blocks left open are reported, the last piece of the
// output handed on and the context let go of the files.
void FinishCompile(ScriptContext& ctx, const Window& window, OutputFile& output,
                   const TextSink* sink, const BraceCount& braces) {
    // The context holds the last line as it always did.
    CopyLine(ctx);
    const std::int32_t size =
        window.input.base + static_cast<std::int32_t>(window.input.bytes.size());
    if (ctx.listener && braces.open > 0) {
        Diagnostic d{Issue::UnclosedBlock, size,    std::string_view(), 0xFF, braces.open,
                     braces.open,          Kind::U8};
        ctx.listener->Report(d);
    }
    if (ctx.listener) ctx.listener->SourceDone(window.input.bytes);
    output.bytes.resize(static_cast<std::size_t>(ctx.nextPos - output.base));
    if (sink && !output.bytes.empty()) (*sink)(output.bytes);
    ctx.lineFrom = -1;
    ctx.target = nullptr;
    ctx.input = nullptr;
}

// The compiler's loop. With a sink the output is handed on in pieces;
// `passBound` keeps the whole-file driver's bound on the number of lines
// (never reached: every line takes at least one byte).
void CompileWindows(ScriptContext& ctx, Window& window, OutputFile& output, const TextSink* sink,
                    bool passBound) {
    StartCompile(ctx, window, output);
    std::int32_t passes = 0;
    BraceCount braces;
    const std::int32_t bound = static_cast<std::int32_t>(window.input.bytes.size());
    for (;;) {
        const InputFile& in = window.input;
        if (window.last && ctx.readPos >= in.base + static_cast<std::int32_t>(in.bytes.size()))
            break;
        const std::int32_t from = ctx.readPos - in.base;
        std::int32_t at = from, firstKept = 0;
        std::string_view line;
        const LineRead read =
            ReadCompilerLineInPlace(in.bytes, window.last, at, line, ctx.tokens, firstKept);
        if (read == LineRead::NeedMore) {
            window.more(ctx.readPos);
            continue;
        }
        ctx.readLine = line;
        ctx.lineCopied = false;
        ctx.readPos = in.base + at;
        ctx.lineFrom = from;
        ctx.lineOffsets.clear();
        const std::int32_t outputBegin = ctx.nextPos;
        ctx.tokenCount = static_cast<std::int32_t>(ctx.tokens.size());
        ctx.liveTokens = ctx.tokenCount;
        ctx.opcode = 0xFF;
        if (ctx.listener && read == LineRead::Complete) ReportJoinedLine(ctx, in, firstKept, at);
        RecognizeLine(ctx, &output, braces);
        if (ctx.listener && !line.empty())
            ctx.listener->LineDone(in.base + firstKept, ctx.readPos, outputBegin, ctx.nextPos);
        if (passBound && ++passes >= bound) break;
        if (sink && static_cast<std::size_t>(ctx.nextPos - output.base) >= kOutputPiece) {
            const std::string_view piece = Written(ctx, output);
            (*sink)(piece);
            output.base += static_cast<std::int32_t>(piece.size());
        }
    }
    FinishCompile(ctx, window, output, sink, braces);
}

} // namespace

std::string_view detail::CopyLine(ScriptContext& ctx, std::string_view token) {
    const std::string_view from = ctx.readLine;
    const auto in = [&](std::string_view t) {
        const std::less_equal<const char*> le;
        return le(from.data(), t.data()) && le(t.data(), from.data() + from.size());
    };
    const auto moved = [&](std::string_view t) {
        return std::string_view(ctx.line.data() + (t.data() - from.data()), t.size());
    };
    if (!ctx.lineCopied) {
        ctx.lineCopied = true;
        ctx.line.assign(from);
        for (std::string_view& t : ctx.tokens)
            if (in(t)) t = moved(t);
    }
    return from.data() && in(token) ? moved(token) : token;
}

void detail::NeedLineOffsets(ScriptContext& ctx) {
    if (ctx.lineFrom < 0 || !ctx.input || !ctx.lineOffsets.empty()) return;
    std::int32_t position = ctx.lineFrom;
    std::string again;
    ReadLineInWindow(kCompilerLineOptions, ctx.input->bytes, true, position, again,
                     &ctx.lineOffsets);
    for (std::int32_t& offset : ctx.lineOffsets) offset += ctx.input->base;
}

void CompileBuffer(ScriptContext& ctx, std::string_view source, std::string& bytecode) {
    Window window;
    window.input.bytes = source;
    OutputFile output;
    output.bytes.swap(bytecode); // its memory serves again
    output.bytes.clear();
    output.bytes.reserve(source.size() / 2 + 16);
    CompileWindows(ctx, window, output, nullptr, true);
    bytecode = std::move(output.bytes);
}

bool CompileStream(ScriptContext& ctx, const TextPull& read, const TextSink& sink) {
    std::string buffer(kSourceWindow, '\0');
    std::size_t filled = 0;
    bool tooLarge = false;
    Window window;
    auto fill = [&] {
        while (filled < buffer.size()) {
            const std::size_t got = read(buffer.data() + filled, buffer.size() - filled);
            if (got == 0) {
                window.last = true;
                break;
            }
            filled += got;
            if (static_cast<std::uint64_t>(window.input.base) + filled > kLargestSource) {
                // Source offsets are 32-bit: the source ends here.
                tooLarge = true;
                filled = kLargestSource - static_cast<std::size_t>(window.input.base);
                window.last = true;
                break;
            }
        }
        window.input.bytes = std::string_view(buffer.data(), filled);
    };
    window.last = false;
    window.more = [&](std::int32_t keep) {
        const std::size_t drop = static_cast<std::size_t>(keep - window.input.base);
        if (drop > 0 && ctx.listener)
            ctx.listener->SourcePassed(window.input.base, window.input.bytes.substr(0, drop));
        std::memmove(buffer.data(), buffer.data() + drop, filled - drop);
        filled -= drop;
        window.input.base = keep;
        // A line longer than the window: room for more of it.
        if (filled == buffer.size()) buffer.resize(2 * buffer.size());
        fill();
    };
    fill();
    OutputFile output;
    output.bytes.reserve(kOutputPiece + 64);
    CompileWindows(ctx, window, output, &sink, false);
    return !tooLarge;
}

std::string CompileBuffer(ScriptContext& ctx, std::string_view source) {
    std::string bytecode;
    CompileBuffer(ctx, source, bytecode);
    return bytecode;
}

} // namespace quillon
