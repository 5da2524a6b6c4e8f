// Scanning a source line's tokens into an instruction's fields.
#include <algorithm>
#include <optional>

#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "codec/classic/engine_internals.h"
#include "codec/isa/field_walk.h"

namespace quillon::detail {

std::int32_t TokenOffset(const ScriptContext& ctx, std::string_view token) {
    if (ctx.lineOffsets.empty() || token.data() < ctx.line.data() ||
        token.data() >= ctx.line.data() + ctx.line.size())
        return -1;
    return ctx.lineOffsets[static_cast<size_t>(token.data() - ctx.line.data())];
}

void Report(ScriptContext& ctx, Issue issue, std::string_view token, int argument,
            std::int64_t value, Kind kind) {
    if (!ctx.listener) return;
    if (!ctx.listener->NeedsPlace(issue)) {
        Diagnostic d{issue, -1, token, ctx.opcode, argument, value, kind};
        ctx.listener->Report(d);
        return;
    }
    token = CopyLine(ctx, token);
    NeedLineOffsets(ctx);
    Diagnostic d{issue, TokenOffset(ctx, token), token, ctx.opcode, argument, value, kind};
    ctx.listener->Report(d);
}

void ScanFields(ScriptContext& ctx, const Form& form) {
    for (int i = 0; i < form.presetCount; ++i)
        ctx.code[form.presets[i].offset] = form.presets[i].value;
    const int size = ctx.dialect->Size(ctx.opcode);
    std::int32_t work = 0;
    int token = form.firstToken;
    int argument = 0;
    for (const Field& f : AppliedFields(form, size, FieldWalk::Scanned)) {
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
            if (RowOf(f.kind).subPrefix && digits.substr(0, 3) == "Sub") digits.remove_prefix(3);
            value = ScansHex(f.kind) ? ScanHex(digits, &overflow) : ScanDecimal(digits, &overflow);
            if (!value && t < ctx.liveTokens)
                Report(ctx, Issue::BadNumber, text, argument, 0, f.kind);
        }
        if (value && ctx.listener && t < ctx.liveTokens && (overflow || !Fits(f.kind, *value)))
            Report(ctx, Issue::OutOfRange, text, argument, *value, f.kind);
        if (IsWide(f.kind)) {
            if (value) work = *value;
            ctx.code[f.offset] = static_cast<std::uint8_t>(work & 0xFF);
            ctx.code[f.offset + 1] = static_cast<std::uint8_t>((work >> 8) & 0xFF);
        } else if (value && ctx.dialect->narrowStores) {
            ctx.code[f.offset] = static_cast<std::uint8_t>(*value & 0xFF);
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

int ShiftedIndex(int count, int n, int times, int k) {
    if (k + n >= count) return k;
    return k + n * std::min(times, (count - k - 1) / n);
}

void ShiftTokens(ScriptContext& ctx, int n, int times) {
    for (int k = 0; k < ctx.tokenCount; ++k)
        ctx.tokens[static_cast<size_t>(k)] =
            ctx.tokens[static_cast<size_t>(ShiftedIndex(ctx.tokenCount, n, times, k))];
    ctx.liveTokens = std::max(0, ctx.liveTokens - n * times);
}

namespace {
bool IsSubLabel(std::string_view token) {
    if (token.size() < 4 || token.substr(0, 3) != "Sub") return false;
    return std::all_of(token.begin() + 3, token.end(), [](char c) { return c >= '0' && c <= '9'; });
}
} // namespace

int InstructionOf(const ScriptContext& ctx) {
    const std::string_view word = ctx.tokens[0];
    if ((word == "goto" || word == "return") && ctx.liveTokens > 1 && IsSubLabel(ctx.tokens[1]))
        return word == "goto" ? 0x18 : 0x19;
    return ctx.dialect->FindName(word);
}

} // namespace quillon::detail
