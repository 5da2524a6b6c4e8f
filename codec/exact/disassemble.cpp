// The exact disassembler: the procedure table checked, each procedure's
// instructions framed by the game's sizes, its blocks recovered from their
// lengths, its gotos turned into labels and its alignment pads left out. A
// procedure whose bytes the items would not give back exactly is written as
// raw bytes instead, so that every chunk comes back byte for byte.
#include <algorithm>
#include <string>
#include <vector>

#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "codec/classic/engine_parts.h"
#include "codec/exact/exact.h"
#include "codec/exact/ir.h"

namespace quillon::exact {

namespace {

std::uint16_t U16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) |
                                      (static_cast<std::uint8_t>(b[at + 1]) << 8));
}

// Raw lines hold at most this many bytes.
constexpr std::size_t kRawLine = 16;

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
    explicit Recovery(std::string_view chunk) : chunk_(chunk), rows_(ExactRows()) {}

    // The items of the procedure [start, end), and the chunk offsets of its
    // labels. One recovery serves every procedure of its chunk in turn.
    bool Run(std::int32_t start, std::int32_t end, Procedure& proc,
             std::vector<std::int32_t>& labelAt);

  private:
    const Row& RowOf(const Ins& i) const { return rows_.row[i.op]; }
    std::uint8_t Byte(std::int32_t at) const {
        return static_cast<std::uint8_t>(chunk_[static_cast<std::size_t>(at)]);
    }
    int IndexAt(std::int32_t pos) const {
        if (pos < start_ || pos >= end_) return -1;
        return index_[static_cast<std::size_t>(pos - start_)];
    }
    void Decode();
    bool FixedBytesHold(const Ins& i) const;
    bool Printable(const Ins& i) const;
    bool IsBlockInstruction(const Ins& i) const {
        const Role r = RowOf(i).role;
        return r == Role::Open || r == Role::Else || r == Role::Close || r == Role::Label;
    }
    bool ConditionFits(int opener, std::int32_t limit) const;
    bool Claim(int opener, int at);
    void MatchBlocks();
    void MatchJumps();
    void MarkPads();
    bool Walk(Procedure& proc, std::vector<std::int32_t>& labelAt);
    void AddCode(Procedure& proc, const Ins& i, bool condition);

    std::string_view chunk_;
    const Rows& rows_;
    std::int32_t start_ = 0, end_ = 0;
    std::vector<Ins> ins_;
    std::vector<int> index_;
    std::int32_t tail_ = -1; // start of bytes that frame no whole instruction
};

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
// byte names an operator of its list.
bool Recovery::Printable(const Ins& i) const {
    const Row& row = RowOf(i);
    if (row.role == Role::Raw || !FixedBytesHold(i)) return false;
    const Form& form = *rows_.dialect.forms[i.op];
    for (int k = 0; k < form.fieldCount; ++k) {
        const Field& f = form.fields[k];
        if (!IsOperator(f.kind)) continue;
        const std::uint8_t code = Byte(i.pos + f.offset);
        if (*(f.kind == Kind::CalcOp ? ArithmeticText(code) : ComparisonText(code)) == '\0')
            return false;
    }
    return true;
}

// The condition after an if or a while: a plain instruction that ends at or
// before `limit`, of the size that the while says.
bool Recovery::ConditionFits(int opener, std::int32_t limit) const {
    const Ins& o = ins_[static_cast<std::size_t>(opener)];
    const std::size_t c = static_cast<std::size_t>(opener) + 1;
    if (c >= ins_.size() || IsBlockInstruction(ins_[c]) || RowOf(ins_[c]).role == Role::Jump)
        return false;
    if (ins_[c].claimedBy >= 0 || ins_[c].pos + ins_[c].size > limit) return false;
    const Row& row = RowOf(o);
    return !row.conditionAt || Byte(o.pos + row.conditionAt) == ins_[c].size;
}

bool Recovery::Claim(int opener, int at) {
    if (at < 0 || ins_[static_cast<std::size_t>(at)].claimedBy >= 0 ||
        ins_[static_cast<std::size_t>(at)].raw)
        return false;
    ins_[static_cast<std::size_t>(at)].claimedBy = opener;
    return true;
}

// Each opener finds its closing instruction where its length says; one that
// does not is written raw, and so is every closing instruction that no
// opener claims.
void Recovery::MatchBlocks() {
    for (std::size_t k = 0; k < ins_.size(); ++k) {
        Ins& o = ins_[k];
        const Row& row = RowOf(o);
        if (o.raw || row.role != Role::Open) continue;
        const int opener = static_cast<int>(k);
        const std::int32_t from = row.from == From::Start ? o.pos : o.pos + o.size;
        o.end = from + U16(chunk_, static_cast<std::size_t>(o.pos + row.lengthAt));
        bool ok = false;
        switch (row.block) {
        case Block::If: {
            const int close = IndexAt(o.end - 2);
            const int els = IndexAt(o.end - 4);
            if (close >= 0 &&
                ins_[static_cast<std::size_t>(close)].op ==
                    rows_.closer[static_cast<int>(Block::If)] &&
                ConditionFits(opener, o.end - 2) && Claim(opener, close)) {
                o.closer = close;
                ok = true;
            } else if (els >= 0 && RowOf(ins_[static_cast<std::size_t>(els)]).role == Role::Else &&
                       !ins_[static_cast<std::size_t>(els)].raw &&
                       ConditionFits(opener, o.end - 4)) {
                Ins& e = ins_[static_cast<std::size_t>(els)];
                const std::int32_t elseEnd =
                    e.pos + U16(chunk_, static_cast<std::size_t>(e.pos + RowOf(e).lengthAt));
                const int a = IndexAt(elseEnd - 2), b = IndexAt(elseEnd - 1);
                if (a >= 0 && b >= 0 && elseEnd - 2 >= e.pos + e.size &&
                    ins_[static_cast<std::size_t>(a)].op ==
                        rows_.closer[static_cast<int>(Block::Else)] &&
                    ins_[static_cast<std::size_t>(b)].op ==
                        rows_.closer[static_cast<int>(Block::Else)] &&
                    ins_[static_cast<std::size_t>(els)].claimedBy < 0 &&
                    ins_[static_cast<std::size_t>(a)].claimedBy < 0 &&
                    ins_[static_cast<std::size_t>(b)].claimedBy < 0) {
                    Claim(opener, els);
                    Claim(els, a);
                    Claim(els, b);
                    o.elseAt = els;
                    e.closer = a;
                    e.end = elseEnd;
                    o.closer = els;
                    ok = true;
                }
            }
            break;
        }
        case Block::Do: {
            // "} while": 12 CS, a pad when the condition needs one, the condition.
            // The condition is the instruction that ends where the block ends:
            // the one before the instruction (or the end of the framed bytes)
            // that starts there.
            const std::int32_t framed = tail_ >= 0 ? tail_ : end_;
            const int after = o.end == framed  ? static_cast<int>(ins_.size())
                              : o.end < framed ? IndexAt(o.end)
                                               : -1;
            const int cond = after - 1;
            if (after < 0 || cond <= static_cast<int>(k)) break;
            const Ins& c = ins_[static_cast<std::size_t>(cond)];
            int head = cond - 1;
            int pad = -1;
            if (head > static_cast<int>(k) && ins_[static_cast<std::size_t>(head)].op == 0 &&
                (ins_[static_cast<std::size_t>(head)].pos & 1) && RowOf(c).aligned && !c.raw) {
                pad = head;
                --head;
            }
            if (head <= static_cast<int>(k)) break;
            const Ins& h = ins_[static_cast<std::size_t>(head)];
            if (h.op != rows_.closer[static_cast<int>(Block::Do)] || h.raw ||
                Byte(h.pos + rows_.row[h.op].conditionAt) != c.size || IsBlockInstruction(c) ||
                RowOf(c).role == Role::Jump || c.claimedBy >= 0 || h.claimedBy >= 0 ||
                (pad >= 0 && ins_[static_cast<std::size_t>(pad)].claimedBy >= 0))
                break;
            Claim(opener, head);
            if (pad >= 0) ins_[static_cast<std::size_t>(pad)].claimedBy = opener;
            ins_[static_cast<std::size_t>(cond)].claimedBy = opener;
            o.closer = head;
            ok = true;
            break;
        }
        default: {
            const int close = IndexAt(o.end - 2);
            if (close >= 0 &&
                ins_[static_cast<std::size_t>(close)].op ==
                    rows_.closer[static_cast<int>(row.block)] &&
                (!row.condition || ConditionFits(opener, o.end - 2)) && Claim(opener, close)) {
                o.closer = close;
                ok = true;
            }
            break;
        }
        }
        if (!ok) o.raw = true;
    }
    for (Ins& i : ins_) {
        const Role r = RowOf(i).role;
        if ((r == Role::Close || r == Role::Else) && i.claimedBy < 0) i.raw = true;
    }
}

// A goto whose target starts a line of this procedure names a label there;
// any other is written raw.
void Recovery::MatchJumps() {
    for (Ins& g : ins_) {
        if (g.raw || RowOf(g).role != Role::Jump) continue;
        const auto offset = static_cast<std::int16_t>(
            U16(chunk_, static_cast<std::size_t>(g.pos + RowOf(g).lengthAt)));
        const std::int32_t target = g.pos + offset;
        if (target == end_ && tail_ < 0) {
            g.end = target;
            continue;
        }
        const int t = IndexAt(target);
        bool ok = t >= 0;
        if (ok) {
            const Ins& at = ins_[static_cast<std::size_t>(t)];
            // Lines start at every instruction but conditions and the inside
            // of a closing "} while" or else pair.
            if (at.claimedBy >= 0) {
                const Ins& owner = ins_[static_cast<std::size_t>(at.claimedBy)];
                ok = owner.closer == t;
            } else if (t > 0 && !ins_[static_cast<std::size_t>(t - 1)].raw &&
                       RowOf(ins_[static_cast<std::size_t>(t - 1)]).role == Role::Open &&
                       RowOf(ins_[static_cast<std::size_t>(t - 1)]).condition &&
                       ins_[static_cast<std::size_t>(t - 1)].closer >= 0) {
                ok = false;
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
            if (t >= 0) ins_[static_cast<std::size_t>(t)].target = true;
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
        if (next.claimedBy >= 0 &&
            ins_[static_cast<std::size_t>(next.claimedBy)].closer != static_cast<int>(k + 1))
            continue;
        n.pad = true;
    }
}

void Recovery::AddCode(Procedure& proc, const Ins& i, bool condition) {
    Entry& e = proc.Add(Item::Code, chunk_.data() + i.pos, static_cast<std::size_t>(i.size));
    e.raw = i.raw;
    e.condition = condition;
}

struct Frame {
    int opener; // instruction that opened it
    Block block;
    std::int32_t end; // case: where its block ends
};

bool Recovery::Walk(Procedure& proc, std::vector<std::int32_t>& labelAt) {
    std::vector<Frame> frames;
    auto label = [&](std::int32_t at) {
        Entry& e = proc.Add(Item::Label, nullptr, 0);
        e.label = static_cast<std::uint32_t>(labelAt.size());
        labelAt.push_back(at);
    };
    std::vector<std::uint32_t> labelOf; // for gotos: chunk offset -> label number
    for (std::size_t k = 0; k < ins_.size(); ++k) {
        const Ins& i = ins_[k];
        while (!frames.empty() && frames.back().block == Block::Case &&
               i.pos >= frames.back().end) {
            if (i.pos != frames.back().end) return false;
            frames.pop_back();
            const Role r = RowOf(i).role;
            if (i.raw ||
                !(r == Role::Label || (r == Role::Close && i.claimedBy == frames.back().opener)))
                return false;
        }
        if (i.target) label(i.pos);
        if (i.pad) continue;
        const Row& row = RowOf(i);
        if (i.claimedBy >= 0) {
            if (!frames.empty() && (frames.back().block == Block::Default) &&
                i.claimedBy == frames[frames.size() - 2].opener)
                frames.pop_back();
            if (frames.empty() || frames.back().opener != i.claimedBy ||
                ins_[static_cast<std::size_t>(i.claimedBy)].closer != static_cast<int>(k))
                return false;
            const Frame f = frames.back();
            frames.pop_back();
            if (row.role == Role::Else) {
                proc.Add(Item::Else, chunk_.data() + i.pos, static_cast<std::size_t>(i.size));
                frames.push_back({static_cast<int>(k), Block::Else, 0});
                continue;
            }
            Entry& e = proc.Add(Item::Close, nullptr, 0);
            e.block = f.block;
            if (f.block == Block::Else) {
                ++k; // the second byte of the pair
            } else if (f.block == Block::Do) {
                ++k;
                if (ins_[k].op == 0 && ins_[k].claimedBy == i.claimedBy && k + 1 < ins_.size() &&
                    ins_[k + 1].claimedBy == i.claimedBy)
                    ++k; // the pad before the condition
                AddCode(proc, ins_[k], true);
            }
            continue;
        }
        if (!i.raw && row.role == Role::Open) {
            Entry& e =
                proc.Add(Item::Open, chunk_.data() + i.pos, static_cast<std::size_t>(i.size));
            e.block = row.block;
            frames.push_back({static_cast<int>(k), row.block, i.end});
            if (row.condition) AddCode(proc, ins_[++k], true);
            continue;
        }
        if (!i.raw && row.role == Role::Label) {
            if (!frames.empty() && frames.back().block == Block::Default) frames.pop_back();
            if (frames.empty() || frames.back().block != Block::Switch) return false;
            const bool isCase = row.block == Block::Case;
            proc.Add(isCase ? Item::Case : Item::Default, chunk_.data() + i.pos,
                     static_cast<std::size_t>(i.size));
            const std::int32_t end =
                isCase
                    ? i.pos + i.size + U16(chunk_, static_cast<std::size_t>(i.pos + row.lengthAt))
                    : 0;
            frames.push_back({static_cast<int>(k), row.block, end});
            continue;
        }
        if (!i.raw && row.role == Role::Jump) {
            Entry& e =
                proc.Add(Item::Goto, chunk_.data() + i.pos, static_cast<std::size_t>(i.size));
            e.label = static_cast<std::uint32_t>(i.end); // a chunk offset until numbered below
            continue;
        }
        AddCode(proc, i, false);
    }
    if (!frames.empty()) return false;
    // Gotos to the end of the procedure land after its last line.
    bool toEnd = false;
    for (const Ins& g : ins_)
        if (!g.raw && RowOf(g).role == Role::Jump && g.end == end_) toEnd = true;
    if (tail_ >= 0) {
        for (std::int32_t at = tail_; at < end_; at += static_cast<std::int32_t>(kRawLine)) {
            const std::size_t n =
                std::min<std::size_t>(kRawLine, static_cast<std::size_t>(end_ - at));
            proc.Add(Item::Code, chunk_.data() + at, n).raw = true;
        }
    }
    if (toEnd) label(end_);
    // Number the gotos' labels.
    for (Entry& e : proc.items) {
        if (e.kind != Item::Goto) continue;
        const auto at = static_cast<std::int32_t>(e.label);
        const auto it = std::find(labelAt.begin(), labelAt.end(), at);
        if (it == labelAt.end()) return false;
        e.label = static_cast<std::uint32_t>(it - labelAt.begin());
    }
    return true;
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

// The procedure as raw lines only.
void RawProcedure(std::string_view chunk, std::int32_t start, std::int32_t end, Procedure& proc) {
    proc.items.clear();
    proc.pool.clear();
    for (std::int32_t at = start; at < end; at += static_cast<std::int32_t>(kRawLine)) {
        const std::size_t n = std::min<std::size_t>(kRawLine, static_cast<std::size_t>(end - at));
        proc.Add(Item::Code, chunk.data() + at, n).raw = true;
    }
}

// True when the items give back the procedure's bytes.
// (`out` is working storage, reused.)
bool GivesBack(const Procedure& proc, std::string_view chunk, std::int32_t start, std::int32_t end,
               std::string& out) {
    out.clear();
    EncodeError error;
    if (!EncodeProcedure(proc, start, out, error)) return false;
    return out ==
           chunk.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

// ---- text ------------------------------------------------------------------

class Printer {
  public:
    explicit Printer(std::string& text) : text_(text), ctx_(ExactRows().dialect) {}

    void Procedure(const exact::Procedure& proc, int number,
                   const std::vector<std::int32_t>& labelAt);

  private:
    // "L" and the label's chunk offset in four hexadecimal digits.
    void Label(std::int32_t at) {
        text_ += 'L';
        AppendHex(text_, static_cast<std::uint32_t>(at), 4);
    }
    void Tabs(int depth) { text_.append(static_cast<std::size_t>(std::max(depth, 0)), '\t'); }
    // The text of a code item: its instruction's line, or its raw bytes.
    void Code(const exact::Procedure& proc, const Entry& e, bool condition);
    void Bytes(const exact::Procedure& proc, const Entry& e) {
        for (std::uint8_t k = 0; k < e.count; ++k) {
            if (k) text_ += ' ';
            AppendHex(text_, static_cast<std::uint8_t>(proc.pool[e.first + k]), 2);
        }
    }
    void Load(const exact::Procedure& proc, const Entry& e) {
        ctx_.opcode = static_cast<std::uint8_t>(proc.pool[e.first]);
        std::copy_n(proc.pool.data() + e.first, e.count, reinterpret_cast<char*>(ctx_.code));
    }

    std::string& text_;
    ScriptContext ctx_;
};

void Printer::Code(const exact::Procedure& proc, const Entry& e, bool condition) {
    if (e.raw) {
        text_ += "raw(";
        Bytes(proc, e);
        text_ += condition ? ")" : ");";
        return;
    }
    Load(proc, e);
    detail::PrintFields(ctx_, *ExactRows().dialect.forms[ctx_.opcode], text_);
}

void Printer::Procedure(const exact::Procedure& proc, int number,
                        const std::vector<std::int32_t>& labelAt) {
    text_ += "int Sub";
    if (number < 10) text_ += '0';
    AppendDecimal(text_, number);
    text_ += "(void) {\r\n";
    int depth = 1;
    const auto& items = proc.items;
    for (std::size_t k = 0; k < items.size(); ++k) {
        const Entry& e = items[k];
        switch (e.kind) {
        case Item::Code:
            Tabs(depth);
            Code(proc, e, false);
            break;
        case Item::Label:
            Label(labelAt[e.label]);
            text_ += ':';
            break;
        case Item::Goto:
            Tabs(depth);
            text_ += "goto(";
            Label(labelAt[e.label]);
            text_ += ", ";
            Load(proc, e);
            detail::PrintFields(ctx_, *ExactRows().dialect.forms[ctx_.opcode], text_);
            break;
        case Item::Open: {
            Tabs(depth);
            Load(proc, e);
            const std::uint8_t op = ctx_.opcode;
            if (ExactRows().row[op].condition) {
                text_ += ExactRows().dialect.Name(op);
                text_ += '(';
                Code(proc, items[++k], true);
                text_ += ") {";
            } else {
                detail::PrintFields(ctx_, *ExactRows().dialect.forms[op], text_);
            }
            ++depth;
            break;
        }
        case Item::Else:
            Tabs(depth - 1);
            text_ += "} else {";
            break;
        case Item::Case:
        case Item::Default:
            // Labels stand one level out, at the level of their switch.
            Tabs(depth - 1);
            Load(proc, e);
            detail::PrintFields(ctx_, *ExactRows().dialect.forms[ctx_.opcode], text_);
            break;
        case Item::Close:
            --depth;
            Tabs(depth);
            if (e.block == Block::Do) {
                text_ += "} while(";
                Code(proc, items[++k], true);
                text_ += ");";
            } else {
                text_ += '}';
            }
            break;
        }
        text_ += "\r\n";
    }
    text_ += "}\r\n";
}

} // namespace

bool CheckChunk(std::string_view chunk, std::string& reason) {
    if (chunk.size() < 2) {
        reason = FormatText("%zu bytes are too few for a procedure table", chunk.size());
        return false;
    }
    const std::uint16_t first = U16(chunk, 0);
    if (first == 0 || (first & 1)) {
        reason = FormatText("the first procedure offset 0x%04X is %s", first,
                            first == 0 ? "zero" : "odd");
        return false;
    }
    if (first > chunk.size()) {
        reason = FormatText("the procedure table (%u entries) runs past the end (%zu bytes)",
                            first / 2u, chunk.size());
        return false;
    }
    std::uint16_t previous = first;
    for (std::size_t k = 1; k < first / 2u; ++k) {
        const std::uint16_t at = U16(chunk, 2 * k);
        if (at > chunk.size()) {
            reason = FormatText("procedure %zu starts at 0x%04X, past the end (%zu bytes)", k, at,
                                chunk.size());
            return false;
        }
        if (at < previous) {
            reason = FormatText("procedure %zu starts at 0x%04X, before procedure %zu (0x%04X)", k,
                                at, k - 1, previous);
            return false;
        }
        previous = at;
    }
    return true;
}

bool DisassembleChunk(std::string_view chunk, std::string& text, std::string& reason) {
    if (!CheckChunk(chunk, reason)) return false;
    const std::size_t count = U16(chunk, 0) / 2u;
    text.clear();
    text.reserve(chunk.size() * 6 + 256);
    text += kMarker;
    text += ": compile with --exact; block lengths, goto offsets, pads and the procedure "
            "table are worked out from the text\r\n";
    Printer printer(text);
    Recovery recovery(chunk);
    Procedure proc;
    std::vector<std::int32_t> labelAt;
    std::string encoded;
    for (std::size_t k = 0; k < count; ++k) {
        const std::int32_t start = U16(chunk, 2 * k);
        const std::int32_t end =
            k + 1 < count ? U16(chunk, 2 * (k + 1)) : static_cast<std::int32_t>(chunk.size());
        if (!recovery.Run(start, end, proc, labelAt) ||
            !GivesBack(proc, chunk, start, end, encoded)) {
            RawProcedure(chunk, start, end, proc);
            labelAt.clear();
        }
        text += "\r\n";
        printer.Procedure(proc, static_cast<int>(k), labelAt);
    }
    return true;
}

} // namespace quillon::exact
