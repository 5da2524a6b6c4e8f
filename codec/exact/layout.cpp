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
    if (inFunction_) Message(true, 1, "the last function is never closed with '}'");
    if (count_ == 0)
        Message(true, 1, "no function: an exact text holds one function per procedure");
    ResolveReferences();
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
