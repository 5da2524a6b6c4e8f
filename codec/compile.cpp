// The compiler: source lines recognised by their first word, keyword lines
// and closing braces turned into block instructions, every other line
// scanned through its instruction's form.
#include <string>

#include "engine.h"
#include "engine_parts.h"
#include "source.h"

namespace quillon {

namespace detail {

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

} // namespace detail

namespace {

using namespace detail;

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
