// Recovery: a procedure's bytes framed into instructions by the game's sizes
// and turned into items. Each block's opener finds its closing instruction
// where its length says (one matcher per kind of block), each goto its
// label, each alignment pad its place; then a walk makes the items. An
// instruction that fits no block, goto or line is left as raw bytes.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "codec/exact/ir.h"
#include "codec/exact/operands.h"
#include "codec/isa/exact_rows.h"

namespace quillon::exact {

// Raw lines hold at most this many bytes.
constexpr std::size_t kRawLine = 16;

inline std::uint16_t U16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) |
                                      (static_cast<std::uint8_t>(b[at + 1]) << 8));
}

// An instruction of the procedure as recovery sees it.
struct Ins {
    std::int32_t pos;
    std::int32_t size;
    std::uint8_t op;
    bool raw = false;     // written as raw bytes
    bool pad = false;     // an alignment pad, left out of the text
    bool target = false;  // a goto lands here
    int claimedBy = -1;   // the opener whose block this closing instruction ends
    int closer = -1;      // opener: the instruction that closes its block
    int elseAt = -1;      // if: its else instruction
    std::int32_t end = 0; // opener and case: where its block ends
};

class Recovery {
  public:
    explicit Recovery(std::string_view chunk)
        : chunk_(chunk), rows_(ExactRows()), operands_(Operands()) {}

    // The items of the procedure [start, end), and the chunk offsets of its
    // labels. One recovery serves every procedure of its chunk in turn.
    bool Run(std::int32_t start, std::int32_t end, Procedure& proc,
             std::vector<std::int32_t>& labelAt);

  private:
    // A block that the walk is inside.
    struct EnclosingBlock {
        int opener; // instruction that opened it
        Block block;
        std::int32_t end; // case: where its block ends
    };

    const Row& RowOf(const Ins& i) const { return rows_.row[i.op]; }
    Ins& At(int k) { return ins_[static_cast<std::size_t>(k)]; }
    const Ins& At(int k) const { return ins_[static_cast<std::size_t>(k)]; }
    std::uint8_t Byte(std::int32_t at) const {
        return static_cast<std::uint8_t>(chunk_[static_cast<std::size_t>(at)]);
    }
    std::uint16_t Word(std::int32_t at) const { return U16(chunk_, static_cast<std::size_t>(at)); }
    int IndexAt(std::int32_t pos) const {
        if (pos < start_ || pos >= end_) return -1;
        return index_[static_cast<std::size_t>(pos - start_)];
    }
    // Whether instruction `at` is `block`'s closing instruction.
    bool Closes(int at, Block block) const {
        return at >= 0 && At(at).op == rows_.closer[static_cast<int>(block)];
    }
    bool IsBlockInstruction(const Ins& i) const {
        const Role r = RowOf(i).role;
        return r == Role::Open || r == Role::Else || r == Role::Close || r == Role::CaseOrDefault;
    }

    // Framing (recovery.cpp).
    void Decode();
    bool FixedBytesHold(const Ins& i) const;
    bool Printable(const Ins& i) const;
    bool ConditionFits(int opener, std::int32_t limit) const;
    int RunEnd(std::size_t first, std::int32_t end) const;
    // A condition that may follow another in a run.
    bool Joins(const Ins& i) const {
        return !i.raw && i.claimedBy < 0 && RowOf(i).joins && RowOf(i).role == Role::Plain;
    }
    // A nop at an odd offset before an instruction that starts at an even one.
    bool IsPadBefore(std::size_t k) const {
        return ins_[k].op == 0 && (ins_[k].pos & 1) && !ins_[k].raw && k + 1 < ins_.size() &&
               !ins_[k + 1].raw && RowOf(ins_[k + 1]).aligned;
    }
    bool Claim(int opener, int at);
    void MatchJumps();
    void MarkPads();

    // The matchers, one per kind of block (block_matchers.cpp).
    void MatchBlocks();
    bool MatchIf(int opener);
    bool MatchIfElse(int opener);
    bool MatchDo(int opener);
    bool MatchClosed(int opener); // for, while and switch

    // The walk that makes the items (walk.cpp).
    bool Walk(Procedure& proc, std::vector<std::int32_t>& labelAt);
    bool LeaveCases(const Ins& i);
    bool WalkClosing(Procedure& proc, std::size_t& k);
    void WalkOpen(Procedure& proc, std::size_t& k);
    bool WalkCaseOrDefault(Procedure& proc, std::size_t k);
    bool EndWalk(Procedure& proc, std::vector<std::int32_t>& labelAt);
    void AddCode(Procedure& proc, const Ins& i, bool condition);
    Item& AddBytes(Procedure& proc, ItemKind kind, const Ins& i) {
        Item& e = proc.Add(kind, chunk_.data() + i.pos, static_cast<std::size_t>(i.size));
        e.at = i.pos;
        return e;
    }

    std::string_view chunk_;
    const Rows& rows_;
    const OperandTable& operands_;
    std::int32_t start_ = 0, end_ = 0;
    std::vector<Ins> ins_;
    std::vector<int> index_;
    std::int32_t tail_ = -1; // start of bytes that frame no whole instruction
    std::vector<EnclosingBlock> blocks_;
};

} // namespace quillon::exact
