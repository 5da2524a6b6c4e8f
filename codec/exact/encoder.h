// The encoder: a procedure's items laid out as bytes, with the alignment
// pads, block lengths, condition sizes and goto offsets that the items leave
// out worked out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/exact/ir.h"
#include "codec/isa/exact_rows.h"

namespace quillon::exact {

// A failure of the encoder, at an item.
struct EncodeError {
    std::int32_t line = 0, column = 0;
    std::string text;
};

// Lays out a procedure at chunk offset `base` (its parity decides the pads)
// item by item as they come, appending its bytes to a string. Labels belong
// to the procedure: a goto's offset is worked out when the procedure ends.
class ProcedureEncoder {
  public:
    // How many bytes Add may read at an item's bytes when told it may read
    // more than the item's own.
    static constexpr std::size_t kQuickCopy = 32;

    ProcedureEncoder();
    void Begin(std::int32_t base, std::string& out);
    // Lays out the next item, whose bytes are `bytes` (e.count of them;
    // kQuickCopy may be read when `padded`). False with Error() set when a
    // block does not balance or a length does not fit 16 bits.
    bool Add(const Item& e, const char* bytes, bool padded);
    // Ends the procedure: the labels still waiting stand at its end, the
    // gotos get their offsets, and the string holds exactly what was laid
    // out (also after a failure). False with Error() set.
    bool End();
    const EncodeError& Error() const { return error_; }
    // Where the last instruction laid out starts (after its pad).
    std::int32_t LastAt() const { return last_; }

  private:
    // A block laid out and not closed yet: its length is stored at its
    // opening instruction when it closes.
    struct PendingBlock {
        Block block;
        std::int32_t start; // chunk offset of the instruction that opened it
        std::int32_t line, column;
    };
    struct Jump {
        std::int32_t at;     // chunk offset of the goto
        std::uint32_t label; // its target
        std::int32_t line, column;
    };
    // The condition an if, a while or a "} while" waits for.
    struct Wait {
        std::int32_t sizeAt; // where its size goes (-1: nowhere)
        std::int32_t line, column;
        bool ends;          // a "} while": the do block ends after it
        PendingBlock block; // that block
    };
    static constexpr std::size_t kSlack = kQuickCopy + 8;

    std::int32_t Pos() const { return base_ + static_cast<std::int32_t>(written_ - begin_); }
    void Room(std::size_t n) {
        if (out_->size() < written_ + n + kSlack) Grow(n);
    }
    void Grow(std::size_t n);
    std::int32_t Emit(const Item& e, const char* bytes, bool padded);
    std::int32_t EmitBytes(const char* bytes, std::size_t n);
    void PlaceLabels(std::int32_t at);
    bool Fail(std::int32_t line, std::int32_t column, std::string text);
    bool Store(std::int32_t line, std::int32_t column, std::int32_t at, std::int64_t value,
               bool isSigned);
    bool EndBlock(const PendingBlock& b);
    // The steps of Add by the kind of item.
    bool AddCondition(const Item& e, const char* bytes, bool padded);
    bool JoinRun(const Item& e, const char* bytes, bool padded);
    bool StoreRunSize(const Item& e);
    bool EndRun();
    bool AddOpen(const Item& e, const char* bytes, bool padded);
    bool AddElse(const Item& e, const char* bytes, bool padded);
    bool AddCaseOrDefault(const Item& e, const char* bytes, bool padded);
    bool AddClose(const Item& e);
    // The case or default block open innermost, if any, ended where the
    // next one starts.
    bool InCaseOrDefault() const {
        return !blocks_.empty() &&
               (blocks_.back().block == Block::Case || blocks_.back().block == Block::Default);
    }
    bool EndCaseOrDefault();

    const Rows& rows_;
    const std::uint8_t* aligned_; // by opcode: starts at an even offset
    std::string* out_ = nullptr;  // room past `written_`, cut by End
    std::int32_t base_ = 0;
    std::int32_t last_ = 0;
    std::size_t begin_ = 0, written_ = 0;
    std::vector<PendingBlock> blocks_;
    std::vector<std::uint32_t> pending_; // labels waiting for the next item
    std::vector<std::int32_t> labels_;   // each label's chunk offset, -1 for none
    std::vector<Jump> jumps_;
    bool waiting_ = false;
    Wait wait_{};
    bool inRun_ = false;        // the conditions after a header are being laid out
    std::int32_t runStart_ = 0; // where the first of them starts
    EncodeError error_;
};

// A whole procedure through a ProcedureEncoder.
bool EncodeProcedure(const Procedure& proc, std::int32_t base, std::string& out,
                     EncodeError& error);

} // namespace quillon::exact
