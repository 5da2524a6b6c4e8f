// Laying out the items of a procedure as they come: alignment pads before
// the instructions that hold 16-bit fields, block lengths from where each
// block ends, the sizes of conditions, goto offsets from their labels.
#include <algorithm>
#include <cstring>
#include <string>

#include "codec/base/text.h"
#include "codec/exact/encoder.h"

namespace quillon::exact {

namespace {

// Whether each opcode starts at an even offset, from the rows, in a table of
// its own that stays in the cache.
struct AlignedTable {
    std::uint8_t of[256] = {};
    AlignedTable() {
        for (int op = 0; op < 256; ++op) of[op] = ExactRows().row[op].aligned ? 1 : 0;
    }
};

} // namespace

ProcedureEncoder::ProcedureEncoder() : rows_(ExactRows()) {
    static const AlignedTable table;
    aligned_ = table.of;
}

void ProcedureEncoder::Begin(std::int32_t base, std::string& out) {
    out_ = &out;
    base_ = base;
    begin_ = written_ = out.size();
    blocks_.clear();
    pending_.clear();
    labels_.clear();
    jumps_.clear();
    waiting_ = inRun_ = false;
    Room(0);
}

void ProcedureEncoder::Grow(std::size_t n) {
    out_->resize(std::max(2 * out_->size(), written_ + n + kSlack));
}

bool ProcedureEncoder::Fail(std::int32_t line, std::int32_t column, std::string text) {
    error_.line = line;
    error_.column = column;
    error_.text = std::move(text);
    return false;
}

std::int32_t ProcedureEncoder::Emit(const Item& e, const char* bytes, bool padded) {
    Room(e.count);
    char* const data = out_->data();
    // Without a branch: the parity of the position is as good as random.
    const std::size_t pad = static_cast<std::size_t>((Pos() & 1) != 0) &
                            aligned_[static_cast<unsigned char>(e.count ? *bytes : 0)] &
                            static_cast<std::size_t>(!e.raw & (e.count != 0));
    data[written_] = '\0';
    written_ += pad;
    const std::int32_t at = last_ = Pos();
    if (!pending_.empty()) PlaceLabels(at);
    // Most instructions are short: a copy of a fixed size where that much
    // can be read (the room written to has the slack).
    if (padded && e.count <= kQuickCopy)
        std::memcpy(data + written_, bytes, kQuickCopy);
    else
        std::memcpy(data + written_, bytes, e.count);
    written_ += e.count;
    return at;
}

std::int32_t ProcedureEncoder::EmitBytes(const char* bytes, std::size_t n) {
    Room(n);
    const std::int32_t at = Pos();
    if (!pending_.empty()) PlaceLabels(at);
    std::memcpy(out_->data() + written_, bytes, n);
    written_ += n;
    return at;
}

void ProcedureEncoder::PlaceLabels(std::int32_t at) {
    for (std::uint32_t id : pending_) labels_[id] = at;
    pending_.clear();
}

bool ProcedureEncoder::Store(std::int32_t line, std::int32_t column, std::int32_t at,
                             std::int64_t value, bool isSigned) {
    const bool fits = isSigned ? value >= -32768 && value <= 32767 : value >= 0 && value <= 65535;
    if (!fits)
        return Fail(line, column,
                    FormatText(isSigned ? "the jump of %lld bytes does not fit 16 bits"
                                        : "the block of %lld bytes does not fit 16 bits",
                               static_cast<long long>(value)));
    char* const field = out_->data() + begin_ + static_cast<std::size_t>(at - base_);
    field[0] = static_cast<char>(value & 0xFF);
    field[1] = static_cast<char>((value >> 8) & 0xFF);
    return true;
}

bool ProcedureEncoder::EndBlock(const PendingBlock& b) {
    const std::uint8_t op =
        static_cast<std::uint8_t>((*out_)[begin_ + static_cast<std::size_t>(b.start - base_)]);
    const Row& row = rows_.row[op];
    const std::int32_t from = row.from == From::Start ? b.start : b.start + rows_.dialect.Size(op);
    return Store(b.line, b.column, b.start + row.lengthAt, Pos() - from, false);
}

bool ProcedureEncoder::Add(const Item& e, const char* bytes, bool padded) {
    // An if, a while or a "} while" waits for its condition: this item;
    // further conditions join its run.
    if (waiting_) return AddCondition(e, bytes, padded);
    if (inRun_) {
        if (e.kind == ItemKind::Code && e.condition) return JoinRun(e, bytes, padded);
        if (!EndRun()) return false;
    }
    switch (e.kind) {
    case ItemKind::Code: Emit(e, bytes, padded); return true;
    case ItemKind::Label:
        if (labels_.size() <= e.label) labels_.resize(e.label + 1, -1);
        pending_.push_back(e.label);
        return true;
    case ItemKind::Goto: {
        const std::int32_t at = Emit(e, bytes, padded);
        jumps_.push_back({at, e.label, e.line, e.column});
        return true;
    }
    case ItemKind::Open: return AddOpen(e, bytes, padded);
    case ItemKind::Else: return AddElse(e, bytes, padded);
    case ItemKind::Case:
    case ItemKind::Default: return AddCaseOrDefault(e, bytes, padded);
    case ItemKind::Close: return AddClose(e);
    }
    return true;
}

bool ProcedureEncoder::AddCondition(const Item& e, const char* bytes, bool padded) {
    waiting_ = false;
    if (!e.condition) return Fail(wait_.line, wait_.column, "the condition is missing");
    runStart_ = Emit(e, bytes, padded);
    inRun_ = true;
    return StoreRunSize(e);
}

// The size of the run so far, from its first condition's start, where the
// header keeps it.
bool ProcedureEncoder::StoreRunSize(const Item& e) {
    if (wait_.sizeAt < 0) return true;
    const std::int32_t size = Pos() - runStart_;
    if (size > 0xFF)
        return Fail(e.line, e.column,
                    FormatText("the conditions of %d bytes do not fit 8 bits", size));
    (*out_)[begin_ + static_cast<std::size_t>(wait_.sizeAt - base_)] = static_cast<char>(size);
    return true;
}

bool ProcedureEncoder::JoinRun(const Item& e, const char* bytes, bool padded) {
    Emit(e, bytes, padded);
    return StoreRunSize(e);
}

// The run of conditions ends: a "} while" ends its do block after it.
bool ProcedureEncoder::EndRun() {
    inRun_ = false;
    return !wait_.ends || EndBlock(wait_.block);
}

bool ProcedureEncoder::AddOpen(const Item& e, const char* bytes, bool padded) {
    const std::int32_t at = Emit(e, bytes, padded);
    blocks_.push_back({e.block, at, e.line, e.column});
    const Row& row = rows_.row[static_cast<std::uint8_t>(*bytes)];
    if (row.condition) {
        waiting_ = true;
        wait_ = {row.conditionAt ? at + row.conditionAt : -1, e.line, e.column, false, {}};
    }
    return true;
}

bool ProcedureEncoder::AddElse(const Item& e, const char* bytes, bool padded) {
    if (blocks_.empty() || blocks_.back().block != Block::If)
        return Fail(e.line, e.column, "'} else {' follows no if block");
    const PendingBlock b = blocks_.back();
    blocks_.pop_back();
    const std::int32_t at = Emit(e, bytes, padded);
    if (!EndBlock(b)) return false;
    blocks_.push_back({Block::Else, at, e.line, e.column});
    return true;
}

bool ProcedureEncoder::EndCaseOrDefault() {
    const PendingBlock b = blocks_.back();
    blocks_.pop_back();
    return b.block != Block::Case || EndBlock(b);
}

bool ProcedureEncoder::AddCaseOrDefault(const Item& e, const char* bytes, bool padded) {
    if (InCaseOrDefault()) {
        // The case's length runs to the start of this one, after its pad.
        Room(1);
        if ((Pos() & 1) && aligned_[static_cast<unsigned char>(*bytes)]) (*out_)[written_++] = '\0';
        if (!EndCaseOrDefault()) return false;
    }
    if (blocks_.empty() || blocks_.back().block != Block::Switch)
        return Fail(e.line, e.column,
                    e.kind == ItemKind::Case ? "'case' outside a switch block"
                                             : "'default' outside a switch block");
    const std::int32_t at = Emit(e, bytes, padded);
    blocks_.push_back(
        {e.kind == ItemKind::Case ? Block::Case : Block::Default, at, e.line, e.column});
    return true;
}

bool ProcedureEncoder::AddClose(const Item& e) {
    if (InCaseOrDefault() && !EndCaseOrDefault()) return false;
    if (blocks_.empty() || InCaseOrDefault())
        return Fail(e.line, e.column, "'}' closes no open block");
    const PendingBlock b = blocks_.back();
    blocks_.pop_back();
    const std::uint8_t closer = rows_.closer[static_cast<int>(b.block)];
    if (b.block == Block::Do) {
        // The do block's length takes in its condition.
        const char head[2] = {static_cast<char>(closer), 0};
        const std::int32_t at = EmitBytes(head, 2);
        waiting_ = true;
        wait_ = {at + rows_.row[closer].conditionAt, e.line, e.column, true, b};
        return true;
    }
    const char pair[2] = {b.block == Block::Else ? '\0' : static_cast<char>(closer), 0};
    EmitBytes(pair, 2);
    return EndBlock(b);
}

bool ProcedureEncoder::End() {
    bool done = !inRun_ || EndRun();
    PlaceLabels(Pos());
    if (done && waiting_)
        done = Fail(wait_.line, wait_.column, "the condition is missing");
    else if (done && !blocks_.empty())
        done = Fail(blocks_.back().line, blocks_.back().column,
                    "the block opened here is never closed");
    for (std::size_t k = 0; done && k < jumps_.size(); ++k) {
        const Jump& j = jumps_[k];
        const std::int32_t target = j.label < labels_.size() ? labels_[j.label] : -1;
        if (target < 0) {
            done = Fail(j.line, j.column, "the goto's label is never defined");
            break;
        }
        const std::int32_t offset = target - j.at;
        if (offset < -32768 || offset > 32767) {
            done = Fail(j.line, j.column,
                        FormatText("the jump of %d bytes does not fit 16 bits", offset));
            break;
        }
        const std::size_t at = begin_ + static_cast<std::size_t>(j.at - base_);
        const std::size_t field = at + rows_.row[static_cast<std::uint8_t>((*out_)[at])].lengthAt;
        (*out_)[field] = static_cast<char>(offset & 0xFF);
        (*out_)[field + 1] = static_cast<char>((offset >> 8) & 0xFF);
    }
    out_->resize(written_);
    return done;
}

bool EncodeProcedure(const Procedure& proc, std::int32_t base, std::string& out,
                     EncodeError& error) {
    thread_local ProcedureEncoder encoder;
    encoder.Begin(base, out);
    const std::size_t size = proc.pool.size();
    for (const Item& e : proc.items)
        if (!encoder.Add(e, proc.pool.data() + e.first,
                         e.first + ProcedureEncoder::kQuickCopy <= size)) {
            error = encoder.Error();
            encoder.End();
            return false;
        }
    const bool done = encoder.End();
    if (!done) error = encoder.Error();
    return done;
}

} // namespace quillon::exact
