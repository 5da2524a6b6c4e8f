// The layout of a compiled text: each function's items handed to the
// encoder as they are read, the procedures laid out one after another, and
// the procedure table put before them when the text ends.
#include "codec/base/text.h"
#include "codec/exact/compiler.h"

namespace quillon::exact {

Compiler::Compiler() : rows_(ExactRows()), operands_(Operands()), scanner_(this) {
    for (int op = 0; op < 256; ++op) {
        const int size = rows_.dialect.Size(static_cast<std::uint8_t>(op));
        ScannedFields(*rows_.dialect.forms[op], size, scanned_[op]);
        if (rows_.oldForm[op]) ScannedFields(*rows_.oldForm[op], size, oldScanned_[op]);
        operatorAt_[op] = 1 << 20;
        for (std::size_t k = scanned_[op].size(); k-- > 0;)
            if (IsOperator(scanned_[op][k].kind)) operatorAt_[op] = static_cast<int>(k);
    }
}

void Compiler::Begin(const MessageHandler& onMessage, const CompileOptions& options) {
    onMessage_ = &onMessage;
    options_ = &options;
    listener_ = options.listener;
    blocks_.clear();
    book_ = NameBook();
    directives_ = std::make_unique<Directives>(book_, options, options.key);
    directives_->SetReader([this](std::string_view text, const std::string& key,
                                  std::string_view name,
                                  std::string&) { return ReadHeader(text, key, name); });
    directives_->Macros().NoteUses(options.listener != nullptr);
    sources_.clear();
    source_ = 0;
    headers_.clear();
    breaks_.clear();
    expanding_ = preprocessing_ = placing_ = false;
    unclosed_ = kNone;
    functions_.clear();
    functionLines_.clear();
    procedureReferences_.clear();
    waitingReferences_.clear();
    inFunction_ = missingReported_ = false;
    open_ = line_ = errors_ = 0;
    count_ = 0;
    body_.clear();
    starts_.clear();
    laying_ = true;
    recordFirst_ = false;
    layoutFailedAt_ = kNone;
    placed_.clear();
    placedIn_ = 0;
}

// The table before the procedures has an even size: the pads, which go by
// the parity of the chunk offset, are the same counted from its end. A
// procedure that starts past what the table holds already is the chunk's
// failure: nothing from it on needs laying out.
void Compiler::BeginProcedure() {
    if (errors_ != 0 || !laying_) return;
    const std::size_t start = body_.size();
    // Its first line, until an item gives one (an empty function has none).
    starts_.push_back({static_cast<std::uint32_t>(start), line_});
    recordFirst_ = true;
    if (2 * count_ + start > 0xFFFF)
        laying_ = false;
    else
        encoder_.Begin(static_cast<std::int32_t>(start), body_);
}

void Compiler::LayoutFailed() {
    layoutError_ = encoder_.Error();
    encoder_.End();
    laying_ = false;
    layoutFailedAt_ = count_ - 1;
}

// The depth of each instruction: the blocks open around it, a case or a
// default inside its switch; a header's conditions stand at its block's.
void Compiler::Placed(const Item& e, const std::uint8_t* bytes, bool laid) {
    std::vector<Block>& open = placedBlocks_;
    if (placedIn_ != count_) { // the first item of a function
        placedIn_ = count_;
        open.clear();
    }
    const auto inCase = [&] {
        return !open.empty() && (open.back() == Block::Case || open.back() == Block::Default);
    };
    int depth = static_cast<int>(open.size());
    switch (e.kind) {
    case ItemKind::Open:
        headerDepth_ = depth;
        open.push_back(e.block);
        break;
    case ItemKind::Else: --depth; break;
    case ItemKind::Case:
    case ItemKind::Default:
        if (inCase()) open.pop_back();
        depth = static_cast<int>(open.size());
        open.push_back(e.kind == ItemKind::Case ? Block::Case : Block::Default);
        break;
    case ItemKind::Close:
        if (inCase()) open.pop_back();
        if (!open.empty()) open.pop_back();
        headerDepth_ = static_cast<int>(open.size());
        break;
    case ItemKind::Code:
        if (e.condition) depth = headerDepth_;
        break;
    case ItemKind::Label:
    case ItemKind::Goto: break;
    }
    // A brace or a label has no instruction of its own (the closing
    // instruction of a block is the encoder's).
    if (e.count == 0 || !bytes) return;
    InstructionEvent i;
    i.span.line = e.line;
    i.span.column = e.column;
    for (std::size_t k = 0; k < tokens_.size(); ++k)
        if (Column(tokens_[k]) == e.column) {
            // "} else {" is told at its keyword.
            const std::string_view t =
                e.kind == ItemKind::Else && k + 1 < tokens_.size() ? tokens_[k + 1] : tokens_[k];
            i.span.column = Column(t);
            i.span.length = static_cast<int>(Original(t).size());
            break;
        }
    i.opcode = bytes[0];
    i.size = e.count;
    i.procedure = static_cast<int>(count_) - 1;
    i.at = laid ? encoder_.LastAt() : -1;
    i.depth = depth;
    i.condition = e.condition;
    placed_.push_back(i);
}

void Compiler::TellPlaced() {
    const std::int64_t table = 2 * static_cast<std::int64_t>(count_);
    for (InstructionEvent& i : placed_) {
        if (i.at >= 0) i.at += table;
        options_->listener->Instruction(i);
    }
    placed_.clear();
}

void Compiler::CloseProcedure() {
    for (const Reference& r : references_)
        if (!labelLine_[r.label]) {
            ++errors_;
            if (*onMessage_)
                (*onMessage_)({true, r.line, r.column,
                               FormatText("label '%s' is never defined", r.name.c_str())});
        }
    if (errors_ || !laying_) return;
    if (!encoder_.End()) {
        layoutError_ = encoder_.Error();
        laying_ = false;
        layoutFailedAt_ = count_ - 1;
    }
}

bool Compiler::Finish(std::string& chunk) {
    ++line_;
    if (std::string open; !directives_->EndFile(0, open)) Message(true, 1, std::move(open));
    if (inFunction_) Message(true, 1, "the last function is never closed with '}'");
    if (count_ == 0)
        Message(true, 1, "no function: an exact text holds one function per procedure");
    ResolveReferences();
    if (options_->listener) TellPlaced();
    if (errors_) return false;
    // The first procedure that starts past what the 16-bit table holds,
    // unless one before it failed to lay out.
    const std::size_t table = 2 * count_;
    for (std::size_t k = 0; k < starts_.size(); ++k) {
        const std::size_t start = table + starts_[k].first;
        if (start > 0xFFFF && (layoutFailedAt_ == kNone || k <= layoutFailedAt_)) {
            layoutError_ = {starts_[k].second, 1,
                            FormatText("procedure %zu starts at 0x%zX, past what the 16-bit "
                                       "table holds",
                                       k, start)};
            layoutFailedAt_ = k;
            break;
        }
    }
    if (layoutFailedAt_ != kNone) {
        ++errors_;
        if (*onMessage_)
            (*onMessage_)({true, layoutError_.line, layoutError_.column, layoutError_.text});
        return false;
    }
    chunk.resize(table);
    for (std::size_t k = 0; k < count_; ++k) {
        const std::size_t start = table + starts_[k].first;
        chunk[2 * k] = static_cast<char>(start & 0xFF);
        chunk[2 * k + 1] = static_cast<char>(start >> 8);
    }
    chunk += body_;
    return true;
}

} // namespace quillon::exact
