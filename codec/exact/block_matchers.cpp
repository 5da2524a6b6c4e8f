// The matchers: each block's opener finds its closing instruction where its
// length says, by the kind of its block. An opener that finds none is
// written raw, and so is every closing instruction that no opener claims.
#include "codec/exact/recovery.h"

namespace quillon::exact {

void Recovery::MatchBlocks() {
    for (std::size_t k = 0; k < ins_.size(); ++k) {
        Ins& o = ins_[k];
        const Row& row = RowOf(o);
        if (o.raw || row.role != Role::Open) continue;
        const int opener = static_cast<int>(k);
        const std::int32_t from = row.from == From::Start ? o.pos : o.pos + o.size;
        o.end = from + Word(o.pos + row.lengthAt);
        bool ok = false;
        switch (row.block) {
        case Block::If: ok = MatchIf(opener) || MatchIfElse(opener); break;
        case Block::Do: ok = MatchDo(opener); break;
        default: ok = MatchClosed(opener); break;
        }
        if (!ok) o.raw = true;
    }
    for (Ins& i : ins_) {
        const Role r = RowOf(i).role;
        if ((r == Role::Close || r == Role::Else) && i.claimedBy < 0) i.raw = true;
    }
}

// An if block without else: its closing instruction ends the block, its
// condition fits before that.
bool Recovery::MatchIf(int opener) {
    Ins& o = At(opener);
    const int close = IndexAt(o.end - 2);
    if (!Closes(close, Block::If) || !ConditionFits(opener, o.end - 2) || !Claim(opener, close))
        return false;
    o.closer = close;
    return true;
}

// An if block with else: the else instruction ends the if block, and the
// else block ends in a pair of the else's closing instruction.
bool Recovery::MatchIfElse(int opener) {
    Ins& o = At(opener);
    const int els = IndexAt(o.end - 4);
    if (els < 0 || RowOf(At(els)).role != Role::Else || At(els).raw ||
        !ConditionFits(opener, o.end - 4))
        return false;
    Ins& e = At(els);
    const std::int32_t elseEnd = e.pos + Word(e.pos + RowOf(e).lengthAt);
    const int a = IndexAt(elseEnd - 2), b = IndexAt(elseEnd - 1);
    if (a < 0 || b < 0 || elseEnd - 2 < e.pos + e.size || !Closes(a, Block::Else) ||
        !Closes(b, Block::Else) || e.claimedBy >= 0 || At(a).claimedBy >= 0 || At(b).claimedBy >= 0)
        return false;
    Claim(opener, els);
    Claim(els, a);
    Claim(els, b);
    o.elseAt = els;
    e.closer = a;
    e.end = elseEnd;
    o.closer = els;
    return true;
}

// A do block: "} while" is its closing instruction, a pad when the first
// condition needs one, then its run of conditions, which ends where the
// block ends: at the instruction (or the end of the framed bytes) that
// starts there. The run is as long as the "} while" says.
bool Recovery::MatchDo(int opener) {
    Ins& o = At(opener);
    const std::int32_t framed = tail_ >= 0 ? tail_ : end_;
    const int after = o.end == framed  ? static_cast<int>(ins_.size())
                      : o.end < framed ? IndexAt(o.end)
                                       : -1;
    if (after < 0 || after - 1 <= opener) return false;
    // Back from the last condition, over the conditions of the run, to the
    // "} while" whose size the run has.
    for (int first = after - 1; first > opener; --first) {
        const Ins& c = At(first);
        if (IsBlockInstruction(c) || RowOf(c).role == Role::Jump || c.claimedBy >= 0 || c.raw)
            return false;
        int head = first - 1;
        const int pad = head > opener && IsPadBefore(static_cast<std::size_t>(head)) ? head : -1;
        if (pad >= 0) --head;
        if (head <= opener) return false;
        const Ins& h = At(head);
        if (Closes(head, Block::Do) && !h.raw && h.claimedBy < 0 &&
            Byte(h.pos + RowOf(h).conditionAt) == o.end - c.pos &&
            (first == after - 1 || RunEnd(static_cast<std::size_t>(first), o.end) == after - 1)) {
            Claim(opener, head);
            for (int k = head + 1; k < after; ++k) At(k).claimedBy = opener;
            o.closer = head;
            return true;
        }
        // The condition before this one, past a pad between them.
        if (!Joins(c) || (pad >= 0 && !Joins(At(head)))) return false;
        if (pad >= 0) first = head + 1;
    }
    return false;
}

// A for, while or switch block: its closing instruction ends the block (and
// a while's condition fits before that).
bool Recovery::MatchClosed(int opener) {
    Ins& o = At(opener);
    const Row& row = RowOf(o);
    const int close = IndexAt(o.end - 2);
    if (!Closes(close, row.block) || (row.condition && !ConditionFits(opener, o.end - 2)) ||
        !Claim(opener, close))
        return false;
    o.closer = close;
    return true;
}

} // namespace quillon::exact
