// Laying out the items of a chunk: alignment pads before the instructions
// that hold 16-bit fields, block lengths from where each block ends, the
// sizes of conditions, goto offsets from their labels, the procedure table.
#include <cstring>
#include <string>

#include "exact_ir.h"
#include "text.h"

namespace quillon::exact {

namespace {

struct Frame {
    Block block;
    std::int32_t start; // chunk offset of the instruction that opened it
    std::size_t item;
};

constexpr std::size_t kQuickCopy = 32;

// Whether each opcode starts at an even offset, from the rows, in a table of
// its own that stays in the cache.
struct AlignedTable {
    std::uint8_t of[256] = {};
    AlignedTable() {
        for (int op = 0; op < 256; ++op) of[op] = ExactRows().row[op].aligned ? 1 : 0;
    }
};
const AlignedTable& Alignment() {
    static const AlignedTable table;
    return table;
}

class Encoder {
  public:
    Encoder(const Procedure& proc, std::int32_t base, std::string& out,
            std::vector<std::int32_t>& labels, std::vector<Jump>& jumps, EncodeError& error)
        : proc_(proc), rows_(ExactRows()), base_(base), out_(out), labels_(labels), jumps_(jumps),
          error_(error), frames_(Cleared<Frame>()), pending_(Cleared<std::uint32_t>()) {}

    // The bytes are written into room made for the most a procedure can take
    // (every item after a pad, every block closed by two bytes), which is
    // then cut to what was written.
    bool Run() {
        begin_ = out_.size();
        out_.resize(begin_ + proc_.pool.size() + 3 * proc_.items.size() + kQuickCopy);
        data_ = out_.data() + begin_;
        const bool done = Items();
        out_.resize(begin_ + written_);
        return done;
    }

  private:
    bool Items();
    std::int32_t Pos() const { return base_ + static_cast<std::int32_t>(written_); }
    const Entry& At(std::size_t i) const { return proc_.items[i]; }
    bool Aligned(const Entry& e) const {
        if (e.raw || e.count == 0) return false;
        return aligned_.of[static_cast<std::uint8_t>(proc_.pool[e.first])];
    }
    // Writes an item's bytes after the pad it needs, and places the labels
    // that wait for it. Returns its chunk offset.
    std::int32_t Emit(const Entry& e) {
        // Without a branch: the parity of the position is as good as random.
        const char* const bytes = proc_.pool.data() + e.first;
        const std::size_t pad = (written_ ^ static_cast<std::size_t>(base_)) & 1 &
                                aligned_.of[static_cast<unsigned char>(*bytes)] &
                                static_cast<std::size_t>(!e.raw & (e.count != 0));
        data_[written_] = '\0';
        written_ += pad;
        const std::int32_t at = Pos();
        if (!pending_.empty()) PlaceLabels(at);
        // Most instructions are short: a copy of a fixed size where the pool
        // holds that much (the room written to has the slack).
        if (e.count <= kQuickCopy && e.first + kQuickCopy <= proc_.pool.size())
            std::memcpy(data_ + written_, bytes, kQuickCopy);
        else
            std::memcpy(data_ + written_, bytes, e.count);
        written_ += e.count;
        return at;
    }
    // Emit for the run of plain instructions from item i on, with no label
    // waiting; returns the item after the run. Kept in locals: the bytes
    // written could otherwise be any of the encoder's fields to the compiler.
    std::size_t CodeRun(std::size_t i) {
        const Entry* const items = proc_.items.data();
        const std::size_t n = proc_.items.size();
        const char* const pool = proc_.pool.data();
        const std::size_t poolSize = proc_.pool.size();
        const std::uint8_t* const aligned = aligned_.of;
        const std::size_t parity = static_cast<std::size_t>(base_) & 1;
        char* const data = data_;
        std::size_t written = written_;
        for (; i < n && items[i].kind == Item::Code; ++i) {
            const Entry e = items[i];
            const char* const bytes = pool + e.first;
            const std::size_t pad = (written ^ parity) & 1 &
                                    aligned[static_cast<unsigned char>(*bytes)] &
                                    static_cast<std::size_t>(!e.raw & (e.count != 0));
            data[written] = '\0';
            written += pad;
            if (e.count <= kQuickCopy && e.first + kQuickCopy <= poolSize)
                std::memcpy(data + written, bytes, kQuickCopy);
            else
                std::memcpy(data + written, bytes, e.count);
            written += e.count;
        }
        written_ = written;
        return i;
    }
    std::int32_t EmitBytes(const char* bytes, std::size_t n) {
        const std::int32_t at = Pos();
        if (!pending_.empty()) PlaceLabels(at);
        std::memcpy(data_ + written_, bytes, n);
        written_ += n;
        return at;
    }
    void PlaceLabels(std::int32_t at) {
        for (std::uint32_t id : pending_) labels_[id] = at;
        pending_.clear();
    }
    // The block and label stacks: those of the last procedure, reused.
    template <typename T>
    static std::vector<T>& Cleared() {
        thread_local std::vector<T> stack;
        stack.clear();
        return stack;
    }
    bool Fail(const Entry& e, std::string text) {
        error_.line = e.line;
        error_.column = e.column;
        error_.text = std::move(text);
        return false;
    }
    // Stores `value` as the 16-bit field at chunk offset `at`.
    bool Store(const Entry& e, std::int32_t at, std::int64_t value, bool isSigned) {
        const bool fits =
            isSigned ? value >= -32768 && value <= 32767 : value >= 0 && value <= 65535;
        if (!fits)
            return Fail(e, FormatText(isSigned ? "the jump of %lld bytes does not fit 16 bits"
                                               : "the block of %lld bytes does not fit 16 bits",
                                      static_cast<long long>(value)));
        const std::size_t i = static_cast<std::size_t>(at - base_);
        data_[i] = static_cast<char>(value & 0xFF);
        data_[i + 1] = static_cast<char>((value >> 8) & 0xFF);
        return true;
    }
    // Ends the block of `f` at the current position.
    bool EndBlock(const Frame& f) {
        const std::uint8_t op =
            static_cast<std::uint8_t>(data_[static_cast<std::size_t>(f.start - base_)]);
        const Row& row = rows_.row[op];
        const std::int32_t from =
            row.from == From::Start ? f.start : f.start + rows_.dialect.Size(op);
        return Store(At(f.item), f.start + row.lengthAt, Pos() - from, false);
    }
    // The condition after item i (if, while, "} while"); writes its size where
    // the row says.
    bool Condition(std::size_t& i, std::int32_t sizeAt) {
        if (i + 1 >= proc_.items.size() || !At(i + 1).condition)
            return Fail(At(i), "the condition is missing");
        ++i;
        Emit(At(i));
        if (sizeAt >= 0)
            data_[static_cast<std::size_t>(sizeAt - base_)] = static_cast<char>(At(i).count);
        return true;
    }

    const Procedure& proc_;
    const Rows& rows_;
    std::int32_t base_;
    std::string& out_;
    const AlignedTable& aligned_ = Alignment();
    std::size_t begin_ = 0, written_ = 0;
    char* data_ = nullptr;
    std::vector<std::int32_t>& labels_;
    std::vector<Jump>& jumps_;
    EncodeError& error_;
    std::vector<Frame>& frames_;
    std::vector<std::uint32_t>& pending_;
};

bool Encoder::Items() {
    for (std::size_t i = 0; i < proc_.items.size(); ++i) {
        const Entry& e = At(i);
        // Most items are plain instructions.
        if (e.kind == Item::Code) {
            if (pending_.empty())
                i = CodeRun(i) - 1;
            else
                Emit(e);
            continue;
        }
        switch (e.kind) {
        case Item::Code: break;
        case Item::Label:
            if (labels_.size() <= e.label) labels_.resize(e.label + 1, -1);
            pending_.push_back(e.label);
            break;
        case Item::Goto: {
            const std::int32_t at = Emit(e);
            jumps_.push_back({at, e.label, e.line, e.column});
            break;
        }
        case Item::Open: {
            const std::int32_t at = Emit(e);
            frames_.push_back({e.block, at, i});
            const std::uint8_t op = static_cast<std::uint8_t>(proc_.pool[e.first]);
            const Row& row = rows_.row[op];
            if (row.condition && !Condition(i, row.conditionAt ? at + row.conditionAt : -1))
                return false;
            break;
        }
        case Item::Else: {
            if (frames_.empty() || frames_.back().block != Block::If)
                return Fail(e, "'} else {' follows no if block");
            const Frame f = frames_.back();
            frames_.pop_back();
            const std::int32_t at = Emit(e);
            if (!EndBlock(f)) return false;
            frames_.push_back({Block::Else, at, i});
            break;
        }
        case Item::Case:
        case Item::Default: {
            if (!frames_.empty() &&
                (frames_.back().block == Block::Case || frames_.back().block == Block::Default)) {
                const Frame f = frames_.back();
                frames_.pop_back();
                // The case's length runs to the start of this label, after its pad.
                if (Aligned(e) && (Pos() & 1)) data_[written_++] = '\0';
                if (f.block == Block::Case && !EndBlock(f)) return false;
            }
            if (frames_.empty() || frames_.back().block != Block::Switch)
                return Fail(e, e.kind == Item::Case ? "'case' outside a switch block"
                                                    : "'default' outside a switch block");
            const std::int32_t at = Emit(e);
            frames_.push_back({e.kind == Item::Case ? Block::Case : Block::Default, at, i});
            break;
        }
        case Item::Close: {
            if (!frames_.empty() &&
                (frames_.back().block == Block::Case || frames_.back().block == Block::Default)) {
                const Frame f = frames_.back();
                frames_.pop_back();
                if (f.block == Block::Case && !EndBlock(f)) return false;
            }
            if (frames_.empty() || frames_.back().block == Block::Case ||
                frames_.back().block == Block::Default)
                return Fail(e, "'}' closes no open block");
            const Frame f = frames_.back();
            frames_.pop_back();
            const std::uint8_t closer = rows_.closer[static_cast<int>(f.block)];
            if (f.block == Block::Else) {
                const char pair[2] = {0, 0};
                EmitBytes(pair, 2);
            } else if (f.block == Block::Do) {
                const char head[2] = {static_cast<char>(closer), 0};
                const std::int32_t at = EmitBytes(head, 2);
                if (!Condition(i, at + rows_.row[closer].conditionAt)) return false;
            } else {
                const char pair[2] = {static_cast<char>(closer), 0};
                EmitBytes(pair, 2);
            }
            if (!EndBlock(f)) return false;
            break;
        }
        }
    }
    PlaceLabels(Pos());
    if (!frames_.empty()) {
        const Frame& f = frames_.back();
        return Fail(At(f.item), "the block opened here is never closed");
    }
    return true;
}

} // namespace

bool EncodeProcedure(const Procedure& proc, std::int32_t base, std::string& out,
                     std::vector<std::int32_t>& labels, std::vector<Jump>& jumps,
                     EncodeError& error) {
    return Encoder(proc, base, out, labels, jumps, error).Run();
}

bool PatchJumps(std::string& bytes, std::int32_t base, const std::vector<std::int32_t>& labels,
                const std::vector<Jump>& jumps, EncodeError& error) {
    for (const Jump& j : jumps) {
        const std::int32_t target = j.label < labels.size() ? labels[j.label] : -1;
        if (target < 0) {
            error = {j.line, j.column, "the goto's label is never defined"};
            return false;
        }
        const std::int32_t offset = target - j.at;
        if (offset < -32768 || offset > 32767) {
            error = {j.line, j.column,
                     FormatText("the jump of %d bytes does not fit 16 bits", offset)};
            return false;
        }
        const std::size_t at =
            static_cast<std::size_t>(j.at - base) +
            ExactRows()
                .row[static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(j.at - base)])]
                .lengthAt;
        bytes[at] = static_cast<char>(offset & 0xFF);
        bytes[at + 1] = static_cast<char>((offset >> 8) & 0xFF);
    }
    return true;
}

} // namespace quillon::exact
