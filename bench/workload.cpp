#include "bench/workload.h"

#include <functional>
#include <initializer_list>
#include <vector>

namespace quillon::bench {

namespace {

// xorshift32: the same numbers on every platform and standard library.
class Rng {
  public:
    explicit Rng(std::uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // 0 to n - 1.
    std::uint32_t Below(std::uint32_t n) { return Next() % n; }
    std::int32_t Between(std::int32_t lo, std::int32_t hi) {
        return lo + static_cast<std::int32_t>(Below(static_cast<std::uint32_t>(hi - lo + 1)));
    }
    bool OneIn(std::uint32_t n) { return Below(n) == 0; }

  private:
    std::uint32_t state_;
};

// The block instructions, the same in both dialects.
enum : std::uint8_t {
    kNop = 0x00,
    kIf = 0x06,
    kElse = 0x07,
    kEndIf = 0x08,
    kFor = 0x0D,
    kEndFor = 0x0E,
    kWhile = 0x0F,
    kEndWhile = 0x10,
    kDo = 0x11,
    kEndDo = 0x12,
    kSwitch = 0x13,
    kCase = 0x14,
    kDefault = 0x15,
    kEndSwitch = 0x16,
    kBreak = 0x1A,
    kFor2 = 0x1B,
    kBreak1 = 0x1C,
};

bool IsBlockOpcode(int op) {
    switch (op) {
    case kIf:
    case kElse:
    case kEndIf:
    case kFor:
    case kEndFor:
    case kWhile:
    case kEndWhile:
    case kDo:
    case kEndDo:
    case kSwitch:
    case kCase:
    case kDefault:
    case kEndSwitch:
    case kBreak:
    case kFor2:
    case kBreak1: return true;
    default: return false;
    }
}

bool FieldFits(const Field& f, int size) {
    return (f.flags & kLoose) || f.offset + WidthOf(f.kind) <= size;
}

class Emitter {
  public:
    Emitter(const Dialect& d, std::uint32_t seed, bool typical)
        : d_(d), rng_(seed), typical_(typical) {
        for (const char* name : {"Ck", "Cmp", "Member_cmp"}) {
            const int op = d.FindName(name);
            if (op >= 0 && d.Size(static_cast<std::uint8_t>(op)) > 0) conditions_.push_back(op);
        }
        for (int op = 0; op < 0x90; ++op) {
            const int size = d.Size(static_cast<std::uint8_t>(op));
            if (size == 0 || IsBlockOpcode(op)) continue;
            (d.forms[op]->special == Special::Unknown ? unknown_ : statements_).push_back(op);
        }
    }

    std::size_t count() const { return count_; }

    // One instruction with operands drawn by its form.
    void Instruction(std::string& out, int op) {
        const std::uint8_t opcode = static_cast<std::uint8_t>(op);
        const int size = d_.Size(opcode);
        std::uint8_t code[64] = {};
        code[0] = opcode;
        const Form& form = *d_.forms[opcode];
        for (int i = 0; i < form.presetCount; ++i)
            if (form.presets[i].offset < size) code[form.presets[i].offset] = form.presets[i].value;
        for (int i = 0; i < form.fieldCount; ++i) {
            const Field& f = form.fields[i];
            if (!FieldFits(f, size) || f.kind == Kind::HexN) continue;
            const std::uint32_t v = Value(f.kind);
            code[f.offset] = static_cast<std::uint8_t>(v);
            if (IsWide(f.kind) && f.offset + 1 < size)
                code[f.offset + 1] = static_cast<std::uint8_t>(v >> 8);
        }
        out.append(reinterpret_cast<const char*>(code), static_cast<std::size_t>(size));
        ++count_;
    }

    void Named(std::string& out, const char* name) {
        const int op = d_.FindName(name);
        if (op >= 0 && !IsBlockOpcode(op) && d_.Size(static_cast<std::uint8_t>(op)) > 0)
            Instruction(out, op);
    }

    void Raw(std::string& out, std::initializer_list<std::uint8_t> bytes) {
        for (std::uint8_t b : bytes) out.push_back(static_cast<char>(b));
        ++count_;
    }

    void Condition(std::string& out) {
        if (conditions_.empty()) {
            Instruction(out, 0x21);
            return;
        }
        Instruction(out, conditions_[rng_.Below(static_cast<std::uint32_t>(conditions_.size()))]);
    }

    // A statement of the whole vocabulary; no nop inside an else block,
    // where it would close the block.
    void AnyStatement(std::string& out, bool inElse) {
        if (!unknown_.empty() && rng_.OneIn(100)) {
            Instruction(out, unknown_[rng_.Below(static_cast<std::uint32_t>(unknown_.size()))]);
            return;
        }
        int op;
        do op = statements_[rng_.Below(static_cast<std::uint32_t>(statements_.size()))];
        while (inElse && op == kNop);
        Instruction(out, op);
    }

    // A block of every kind in turn; `body` fills the inside.
    template <class Body>
    void Block(std::string& out, int kind, bool inElse, Body body) {
        std::string inner;
        switch (kind) {
        case 0:
        case 1: { // if, if with else
            std::string cond;
            Condition(cond);
            body(inner, inElse);
            const std::size_t length = 4 + cond.size() + inner.size() + 2;
            Raw(out, {kIf, 0, Lo(length), Hi(length)});
            out += cond;
            out += inner;
            Raw(out, {kEndIf, 0});
            if (kind == 1) {
                std::string other;
                body(other, true);
                // The block ends at the else instruction's offset plus its
                // length minus 2: at the nop that closes it.
                const std::size_t elseLength = other.size() + 6;
                Raw(out, {kElse, 0, Lo(elseLength), Hi(elseLength)});
                out += other;
                out.push_back(static_cast<char>(kNop));
                out.push_back(static_cast<char>(kNop));
                ++count_;
            }
            return;
        }
        case 2: { // while
            std::string cond;
            Condition(cond);
            body(inner, inElse);
            const std::size_t length = 4 + cond.size() + inner.size() + 2;
            Raw(out, {kWhile, 0, Lo(length), Hi(length)});
            out += cond;
            out += inner;
            Raw(out, {kEndWhile, 0});
            return;
        }
        case 3: { // do ... while
            body(inner, inElse);
            const std::size_t length = 4 + inner.size();
            Raw(out, {kDo, 0, Lo(length), Hi(length)});
            out += inner;
            Raw(out, {kEndDo, 4});
            Condition(out);
            return;
        }
        case 4: { // for, in both encodings
            const std::uint8_t op = rng_.OneIn(4) ? kFor2 : kFor;
            body(inner, inElse);
            const std::uint32_t n = rng_.Below(typical_ ? 10 : 65536);
            Raw(out, {op, 0, 0, 0, Lo(n), Hi(n)});
            out += inner;
            Raw(out, {kEndFor, 0});
            return;
        }
        default: { // switch with cases, breaks and a default
            Raw(out, {kSwitch, static_cast<std::uint8_t>(rng_.Below(typical_ ? 32 : 256)), 0, 0});
            const int cases = 1 + static_cast<int>(rng_.Below(3));
            for (int c = 0; c < cases; ++c) {
                const std::uint32_t v = rng_.Below(typical_ ? 16 : 65536);
                Raw(out, {kCase, 0, 0, 0, Lo(v), Hi(v)});
                std::string caseBody;
                body(caseBody, inElse);
                out += caseBody;
                if (rng_.OneIn(4))
                    Raw(out, {kBreak1});
                else
                    Raw(out, {kBreak, 0});
            }
            Raw(out, {kDefault, 0});
            std::string defaultBody;
            body(defaultBody, inElse);
            out += defaultBody;
            Raw(out, {kEndSwitch, 0});
            return;
        }
        }
    }

    Rng& rng() { return rng_; }

  private:
    static std::uint8_t Lo(std::size_t v) { return static_cast<std::uint8_t>(v); }
    static std::uint8_t Hi(std::size_t v) { return static_cast<std::uint8_t>(v >> 8); }

    std::uint32_t Value(Kind kind) {
        if (typical_) {
            // Flags, indices and counts are small; coordinates are signed and
            // a few thousand units long.
            switch (kind) {
            case Kind::U8: return rng_.OneIn(8) ? rng_.Below(256) : rng_.Below(32);
            case Kind::S8: return static_cast<std::uint32_t>(rng_.Between(-20, 100));
            case Kind::S16: return static_cast<std::uint32_t>(rng_.Between(-24000, 24000));
            case Kind::U16: return rng_.Below(rng_.OneIn(4) ? 65536 : 400);
            default: break;
            }
        }
        switch (kind) {
        case Kind::U8:
        case Kind::X8:
        case Kind::S8: return rng_.Below(256);
        case Kind::Sub8: return rng_.Below(100);
        case Kind::CmpOp: return rng_.Below(6);
        case Kind::CmpOpQ: return rng_.Below(7);
        case Kind::CalcOp: return rng_.Below(12);
        default: return rng_.Below(65536);
        }
    }

    const Dialect& d_;
    Rng rng_;
    bool typical_;
    std::size_t count_ = 0;
    std::vector<int> conditions_, statements_, unknown_;
};

// The actions of a room's events, the common ones more than once.
const char* const kActions[] = {
    "Set",          "Set",         "Set",         "Save",         "Copy",
    "Calc",         "Cut_chg",     "Cut_chg",     "Message_on",   "Message_on",
    "Se_on",        "Sleep",       "Sleep",       "Evt_next",     "Evt_exec",
    "Evt_kill",     "Plc_motion",  "Plc_dest",    "Plc_ret",      "Pos_set",
    "Dir_set",      "Member_set",  "Work_set",    "Sce_fade_set", "Sce_bgm_control",
    "Cut_replace",  "Aot_on",      "Sce_espr_on", "Sce_em_set",   "Obj_model_move",
    "Speed_set",    "Member_copy", "Member_calc", "Xa_on",        "Sce_shake_on",
    "Sce_Item_get", "Sce_key_ck",  "Sce_rnd",     "Wsleep",       "Work_copy",
};

// The set-up records with which a room script begins.
const char* const kSetup[] = {
    "Aot_set",       "Aot_set",       "Aot_set",      "Door_aot_set",   "Door_aot_set",
    "Obj_model_set", "Obj_model_set", "Item_aot_set", "Sce_em_set",     "Se_on",
    "Sce_espr_on",   "Cut_replace",   "Flr_set",      "Sce_bgmtbl_set", "Light_color_set",
    "Light_pos_set", "Kage_set",      "Col_chg_set",  "Super_set",      "Work_set",
};

} // namespace

Workload RoomScript(const Dialect& d, std::uint32_t seed, std::size_t size) {
    Emitter e(d, seed, true);
    Rng& rng = e.rng();
    std::string out;
    const int setup = 12 + static_cast<int>(rng.Below(12));
    for (int i = 0; i < setup; ++i)
        e.Named(out, kSetup[rng.Below(sizeof kSetup / sizeof kSetup[0])]);
    auto actions = [&](std::string& body, bool) {
        const int n = 1 + static_cast<int>(rng.Below(5));
        for (int i = 0; i < n; ++i)
            e.Named(body, kActions[rng.Below(sizeof kActions / sizeof kActions[0])]);
    };
    while (out.size() + 64 < size) {
        // Events: mostly flag tests, some waiting loops and switches.
        const std::uint32_t pick = rng.Below(16);
        const int kind = pick < 7    ? 0
                         : pick < 11 ? 1
                         : pick < 13 ? 2
                         : pick < 14 ? 3
                         : pick < 15 ? 4
                                     : 5;
        if (kind <= 1 && rng.OneIn(3)) {
            // A test nested in a test.
            e.Block(out, kind, false, [&](std::string& body, bool inElse) {
                actions(body, inElse);
                e.Block(body, 0, inElse, actions);
            });
        } else {
            e.Block(out, kind, false, actions);
        }
        if (rng.OneIn(3)) actions(out, false);
    }
    e.Named(out, "Evt_next");
    return Workload{std::move(out), e.count()};
}

Workload InstructionStream(const Dialect& d, std::uint32_t seed, std::size_t size) {
    Emitter e(d, seed, false);
    Rng& rng = e.rng();
    Workload stream{};
    std::string& out = stream.bytes; // built in place: GCC 12 takes a move of it for an overread
    out.reserve(size + 4096);
    // Blocks nest up to three deep and hold up to eight items each.
    std::function<void(std::string&, bool, int)> items = [&](std::string& body, bool inElse,
                                                             int depth) {
        const int n = static_cast<int>(rng.Below(9));
        for (int i = 0; i < n; ++i) {
            if (depth < 3 && rng.OneIn(8)) {
                e.Block(body, static_cast<int>(rng.Below(6)), inElse,
                        [&](std::string& inner, bool innerElse) {
                            items(inner, innerElse, depth + 1);
                        });
            } else {
                e.AnyStatement(body, inElse);
            }
        }
    };
    while (out.size() < size) {
        if (rng.OneIn(8)) {
            e.Block(out, static_cast<int>(rng.Below(6)), false,
                    [&](std::string& inner, bool inElse) { items(inner, inElse, 1); });
        } else {
            e.AnyStatement(out, false);
        }
    }
    stream.instructions = e.count();
    return stream;
}

} // namespace quillon::bench
