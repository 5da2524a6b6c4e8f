// Framing a procedure's bytes into instructions, their gotos matched to
// labels and their pads marked; then the matchers and the walk.
#include "codec/exact/recovery.h"

namespace quillon::exact {

void Recovery::Decode() {
    ins_.clear();
    tail_ = -1;
    index_.assign(static_cast<std::size_t>(end_ - start_), -1);
    std::int32_t q = start_;
    while (q < end_) {
        Ins i{};
        i.pos = q;
        i.op = Byte(q);
        i.size = rows_.dialect.Size(i.op);
        if (i.size == 0) { // no size of its own: one raw byte
            i.size = 1;
            i.raw = true;
        }
        if (q + i.size > end_) {
            tail_ = q;
            break;
        }
        if (!Printable(i)) i.raw = true;
        index_[static_cast<std::size_t>(q - start_)] = static_cast<int>(ins_.size());
        ins_.push_back(i);
        q += i.size;
    }
}

bool Recovery::FixedBytesHold(const Ins& i) const {
    const Row& row = RowOf(i);
    for (int k = 0; k < row.fixedCount; ++k)
        if (Byte(i.pos + row.fixed[k].offset) != row.fixed[k].value) return false;
    return true;
}

// An instruction has a line when its fixed bytes hold and every operator
// operand names an operator of its list.
bool Recovery::Printable(const Ins& i) const {
    const Row& row = RowOf(i);
    if (row.role == Role::Raw || !FixedBytesHold(i)) return false;
    const DecodedInstruction d(operands_,
                               reinterpret_cast<const std::uint8_t*>(chunk_.data() + i.pos));
    for (int k = 0; k < d.Count(); ++k) {
        const Kind kind = d[k].kind;
        if (!IsOperator(kind)) continue;
        if (*OperatorText(kind, static_cast<std::uint8_t>(d.Value(k))) == '\0') return false;
    }
    return true;
}

// The condition after an if or a while: a plain instruction that ends at or
// before `limit`; a while's run of conditions, pads between them, is as long
// as the while says.
bool Recovery::ConditionFits(int opener, std::int32_t limit) const {
    const Ins& o = At(opener);
    const std::size_t c = static_cast<std::size_t>(opener) + 1;
    if (c >= ins_.size() || IsBlockInstruction(ins_[c]) || RowOf(ins_[c]).role == Role::Jump)
        return false;
    if (ins_[c].claimedBy >= 0 || ins_[c].pos + ins_[c].size > limit) return false;
    const Row& row = RowOf(o);
    if (!row.conditionAt) return true;
    return RunEnd(c, ins_[c].pos + Byte(o.pos + row.conditionAt)) >= 0;
}

// The last instruction of the run of conditions that starts at `first` and
// ends at `end`, or -1 where the instructions do not end there.
int Recovery::RunEnd(std::size_t first, std::int32_t end) const {
    std::size_t k = first;
    while (ins_[k].pos + ins_[k].size < end) {
        std::size_t n = k + 1;
        if (n + 1 < ins_.size() && IsPadBefore(n)) ++n;
        if (n >= ins_.size() || !Joins(ins_[n])) return -1;
        k = n;
    }
    return ins_[k].pos + ins_[k].size == end ? static_cast<int>(k) : -1;
}

bool Recovery::Claim(int opener, int at) {
    if (at < 0 || At(at).claimedBy >= 0 || At(at).raw) return false;
    At(at).claimedBy = opener;
    return true;
}

// A goto whose target starts a line of this procedure names a label there;
// any other is written raw.
void Recovery::MatchJumps() {
    for (Ins& g : ins_) {
        if (g.raw || RowOf(g).role != Role::Jump) continue;
        const auto offset = static_cast<std::int16_t>(Word(g.pos + RowOf(g).lengthAt));
        const std::int32_t target = g.pos + offset;
        if (target == end_ && tail_ < 0) {
            g.end = target;
            continue;
        }
        const int t = IndexAt(target);
        bool ok = t >= 0;
        if (ok) {
            const Ins& at = At(t);
            // Lines start at every instruction but conditions and the inside
            // of a closing "} while" or else pair.
            if (at.claimedBy >= 0) {
                ok = At(at.claimedBy).closer == t;
            } else if (t > 0) {
                const Ins& before = At(t - 1);
                ok = before.raw || RowOf(before).role != Role::Open || !RowOf(before).condition ||
                     before.closer < 0;
            }
        }
        if (!ok) {
            g.raw = true;
            continue;
        }
        g.end = target;
    }
    for (Ins& g : ins_)
        if (!g.raw && RowOf(g).role == Role::Jump) {
            const int t = IndexAt(g.end);
            if (t >= 0) At(t).target = true;
        }
}

// A nop at an odd offset before an instruction that must start at an even
// one is the pad that the compiler puts back; a goto may land on it, and
// then it stays a line of its own.
void Recovery::MarkPads() {
    for (std::size_t k = 0; k + 1 < ins_.size(); ++k) {
        Ins& n = ins_[k];
        const Ins& next = ins_[k + 1];
        if (n.op != 0 || !(n.pos & 1) || n.raw || n.claimedBy >= 0 || n.target) continue;
        if (next.raw || !RowOf(next).aligned) continue;
        // A condition follows its opener directly; it is never after a pad.
        if (next.claimedBy >= 0 && At(next.claimedBy).closer != static_cast<int>(k + 1)) continue;
        n.pad = true;
    }
}

bool Recovery::Run(std::int32_t start, std::int32_t end, Procedure& proc,
                   std::vector<std::int32_t>& labelAt) {
    start_ = start;
    end_ = end;
    proc.items.clear();
    proc.pool.clear();
    labelAt.clear();
    Decode();
    MatchBlocks();
    MatchJumps();
    MarkPads();
    return Walk(proc, labelAt);
}

} // namespace quillon::exact
