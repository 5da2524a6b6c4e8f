// The classic engine's record and field functions, set up for exact mode: the
// retail dialect with the game's sizes and the exact forms, compiling, the
// line's tokens in the record.
#include "codec/exact/field_engine.h"

#include <algorithm>
#include <cstring>

#include "codec/classic/context.h"
#include "codec/classic/engine_parts.h"
#include "codec/classic/source.h"
#include "codec/isa/exact_rows.h"

namespace quillon::exact {

static_assert(FieldEngine::kReadable == kReadableFromToken);

FieldEngine::FieldEngine(CompileListener* listener)
    : ctx_(std::make_unique<ScriptContext>(ExactRows().dialect)), tokens_(&ctx_->tokens) {
    ctx_->compiling = 1;
    ctx_->listener = listener;
}

FieldEngine::~FieldEngine() = default;

void FieldEngine::StartLine(bool readable) {
    first_ = 0;
    end_ = ctx_->tokens.size();
    ctx_->tokenCount = ctx_->liveTokens = static_cast<std::int32_t>(end_);
    // The line is not the engine's to copy: it reads the tokens where they
    // are, and may read past them when told that it need not copy the line.
    ctx_->readLine = {};
    ctx_->lineCopied = !readable;
}

// Those before `first` and from `end` on are dropped; nothing reads the
// line's tokens by their places after that.
void FieldEngine::Keep(std::size_t first, std::size_t end) {
    if (first_ == first && end_ == end) return;
    std::vector<std::string_view>& tokens = ctx_->tokens;
    const auto begin = tokens.begin();
    tokens.erase(begin + static_cast<std::ptrdiff_t>(end - first_), tokens.end());
    tokens.erase(begin, begin + static_cast<std::ptrdiff_t>(first - first_));
    ctx_->tokenCount = ctx_->liveTokens = static_cast<std::int32_t>(tokens.size());
    first_ = first;
    end_ = end;
}

int FieldEngine::InstructionOf() const {
    return detail::QuickInstructionOf(*ctx_);
}

const std::uint8_t* FieldEngine::Scan(std::uint8_t op) {
    std::memset(ctx_->code, 0, sizeof ctx_->code);
    ctx_->opcode = ctx_->code[0] = op;
    const Form& form = *ctx_->dialect->forms[op];
    if (!detail::QuickScanFields(*ctx_, form)) detail::ScanFields(*ctx_, form);
    return ctx_->code;
}

void FieldEngine::Print(const char* bytes, std::size_t count, std::string& out) {
    ctx_->opcode = static_cast<std::uint8_t>(bytes[0]);
    std::copy_n(bytes, count, reinterpret_cast<char*>(ctx_->code));
    detail::PrintFields(*ctx_, *ctx_->dialect->forms[ctx_->opcode], out);
}

} // namespace quillon::exact
