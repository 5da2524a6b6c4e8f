#include "codec/classic/engine.h"

#include <algorithm>
#include <cstring>

#include "codec/base/text.h"
#include "codec/classic/engine_internals.h"

namespace quillon {

namespace detail {

void CompileForm(ScriptContext& ctx, std::string& out, bool text) {
    const Form& form = *ctx.dialect->forms[ctx.opcode];
    switch (form.special) {
    case Special::CloseBrace: CompileCloseBrace(ctx); return;
    case Special::For:
        ScanFields(ctx, form);
        if (ctx.dialect->braces == BraceRule::ForDepth) {
            ++ctx.forDepth;
            if (ctx.forDepth < 128)
                ctx.blockStack[ctx.forDepth] =
                    ctx.dialect->opener[static_cast<int>(BlockKind::For)];
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
}

void DisassembleForm(ScriptContext& ctx, std::string& out, int tabs, bool lineEnd) {
    TextBuffer buffer(out, out.size(), 0);
    DisassembleLine(ctx, buffer, tabs, lineEnd);
    buffer.Finish();
}

void DispatchForm(ScriptContext& ctx, std::string& out, bool text, int tabs, bool lineEnd) {
    if (ctx.compiling == 1)
        CompileForm(ctx, out, text);
    else
        DisassembleForm(ctx, out, tabs, lineEnd);
}

} // namespace detail

using namespace detail;

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
    if (size > 0 && position >= file->base) {
        const size_t at = static_cast<size_t>(position - file->base);
        if (at == file->bytes.size()) {
            file->bytes.append(reinterpret_cast<const char*>(ctx.code), static_cast<size_t>(size));
        } else {
            const size_t end = at + static_cast<size_t>(size);
            if (file->bytes.size() < end) file->bytes.resize(end, '\0');
            std::memcpy(file->bytes.data() + at, ctx.code, static_cast<size_t>(size));
        }
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
} // namespace quillon
