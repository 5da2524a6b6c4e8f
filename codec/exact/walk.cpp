// The walk: the procedure's instructions in order, made into items, with
// the blocks that the matchers found entered and left as the walk meets
// their openers and closing instructions. A walk that finds the blocks
// badly nested fails, and the procedure is written raw.
#include <algorithm>

#include "codec/exact/recovery.h"

namespace quillon::exact {

void Recovery::AddCode(Procedure& proc, const Ins& i, bool condition) {
    Item& e = AddBytes(proc, ItemKind::Code, i);
    e.raw = i.raw;
    e.condition = condition;
}

// A case block ends where its length says, at the next case or default or
// at the closing instruction of its switch.
bool Recovery::LeaveCases(const Ins& i) {
    while (!blocks_.empty() && blocks_.back().block == Block::Case && i.pos >= blocks_.back().end) {
        if (i.pos != blocks_.back().end) return false;
        blocks_.pop_back();
        const Role r = RowOf(i).role;
        if (i.raw || !(r == Role::CaseOrDefault ||
                       (r == Role::Close && i.claimedBy == blocks_.back().opener)))
            return false;
    }
    return true;
}

// A closing instruction that an opener claimed: "}", "} else {" or, with its
// condition, "} while".
bool Recovery::WalkClosing(Procedure& proc, std::size_t& k) {
    const Ins& i = ins_[k];
    if (!blocks_.empty() && (blocks_.back().block == Block::Default) &&
        i.claimedBy == blocks_[blocks_.size() - 2].opener)
        blocks_.pop_back();
    if (blocks_.empty() || blocks_.back().opener != i.claimedBy ||
        At(i.claimedBy).closer != static_cast<int>(k))
        return false;
    const EnclosingBlock b = blocks_.back();
    blocks_.pop_back();
    if (RowOf(i).role == Role::Else) {
        AddBytes(proc, ItemKind::Else, i);
        blocks_.push_back({static_cast<int>(k), Block::Else, 0});
        return true;
    }
    // Its bytes show only in the offsets' comment: the encoder writes them.
    Item& e = AddBytes(proc, ItemKind::Close, i);
    e.block = b.block;
    if (b.block == Block::Else) {
        ++k; // the second byte of the pair
    } else if (b.block == Block::Do) {
        // The conditions, pads before them aside.
        while (k + 1 < ins_.size() && ins_[k + 1].claimedBy == i.claimedBy) {
            ++k;
            if (ins_[k].op == 0 && k + 1 < ins_.size() && ins_[k + 1].claimedBy == i.claimedBy &&
                IsPadBefore(k))
                continue;
            AddCode(proc, ins_[k], true);
        }
    }
    return true;
}

// An opener whose block was matched, and its condition if it has one.
void Recovery::WalkOpen(Procedure& proc, std::size_t& k) {
    const Ins& i = ins_[k];
    const Row& row = RowOf(i);
    AddBytes(proc, ItemKind::Open, i).block = row.block;
    blocks_.push_back({static_cast<int>(k), row.block, i.end});
    if (!row.condition) return;
    AddCode(proc, ins_[++k], true);
    // The run of conditions: an if's takes those that follow the first, a
    // while's as many as its size says; pads between them aside.
    const int last = row.conditionAt ? RunEnd(k, ins_[k].pos + Byte(i.pos + row.conditionAt))
                                     : static_cast<int>(ins_.size()) - 1;
    for (std::size_t n = k + 1; static_cast<int>(n) <= last; ++n) {
        const Ins& c = ins_[n];
        if (c.target) return;
        if (c.pad) continue;
        if (!Joins(c)) return;
        AddCode(proc, c, true);
        k = n;
    }
}

// A case or default: inside a switch block, and after the case or default
// before it, which it ends.
bool Recovery::WalkCaseOrDefault(Procedure& proc, std::size_t k) {
    const Ins& i = ins_[k];
    const Row& row = RowOf(i);
    if (!blocks_.empty() && blocks_.back().block == Block::Default) blocks_.pop_back();
    if (blocks_.empty() || blocks_.back().block != Block::Switch) return false;
    const bool isCase = row.block == Block::Case;
    AddBytes(proc, isCase ? ItemKind::Case : ItemKind::Default, i);
    const std::int32_t end = isCase ? i.pos + i.size + Word(i.pos + row.lengthAt) : 0;
    blocks_.push_back({static_cast<int>(k), row.block, end});
    return true;
}

bool Recovery::Walk(Procedure& proc, std::vector<std::int32_t>& labelAt) {
    blocks_.clear();
    for (std::size_t k = 0; k < ins_.size(); ++k) {
        const Ins& i = ins_[k];
        if (!LeaveCases(i)) return false;
        if (i.target) {
            proc.Add(ItemKind::Label, nullptr, 0).label =
                static_cast<std::uint32_t>(labelAt.size());
            labelAt.push_back(i.pos);
        }
        if (i.pad) continue;
        const Role role = RowOf(i).role;
        if (i.claimedBy >= 0) {
            if (!WalkClosing(proc, k)) return false;
        } else if (!i.raw && role == Role::Open) {
            WalkOpen(proc, k);
        } else if (!i.raw && role == Role::CaseOrDefault) {
            if (!WalkCaseOrDefault(proc, k)) return false;
        } else if (!i.raw && role == Role::Jump) {
            // A chunk offset until EndWalk numbers it.
            AddBytes(proc, ItemKind::Goto, i).label = static_cast<std::uint32_t>(i.end);
        } else {
            AddCode(proc, i, false);
        }
    }
    if (!blocks_.empty()) return false;
    return EndWalk(proc, labelAt);
}

// The bytes that frame no instruction, as raw lines; the label of the gotos
// to the end of the procedure, after its last line; the gotos' labels
// numbered.
bool Recovery::EndWalk(Procedure& proc, std::vector<std::int32_t>& labelAt) {
    bool toEnd = false;
    for (const Ins& g : ins_)
        if (!g.raw && RowOf(g).role == Role::Jump && g.end == end_) toEnd = true;
    if (tail_ >= 0) {
        for (std::int32_t at = tail_; at < end_; at += static_cast<std::int32_t>(kRawLine)) {
            const std::size_t n =
                std::min<std::size_t>(kRawLine, static_cast<std::size_t>(end_ - at));
            Item& e = proc.Add(ItemKind::Code, chunk_.data() + at, n);
            e.raw = true;
            e.at = at;
        }
    }
    if (toEnd) {
        proc.Add(ItemKind::Label, nullptr, 0).label = static_cast<std::uint32_t>(labelAt.size());
        labelAt.push_back(end_);
    }
    for (Item& e : proc.items) {
        if (e.kind != ItemKind::Goto) continue;
        const auto at = static_cast<std::int32_t>(e.label);
        const auto it = std::find(labelAt.begin(), labelAt.end(), at);
        if (it == labelAt.end()) return false;
        e.label = static_cast<std::uint32_t>(it - labelAt.begin());
    }
    return true;
}

} // namespace quillon::exact
