// Turning arbitrary bytes into bytecode whose every line compiles back to the
// bytes that print it, so that disassemble, compile, disassemble must give the
// same text twice. Used by the round-trip fuzzer and by the unit tests.
//
// The rule. A disassembled line compiles back to an instruction that prints
// the same text when all of these hold:
//
//  - Framing. The line compiles to exactly one instruction of the same opcode
//    (or of an opcode with the same text and the same depth steps), so the
//    second disassembly meets the same instructions in the same order. Lines
//    the compiler passes over break this: the unknown-opcode comment (opcodes
//    whose form is the comment, 0x81 to 0x85 and above 0x88 retail; 0x4C,
//    0x4D and above 0x57 prototype), the empty line of 0x1E to 0x20 (0x1D to
//    0x20 prototype), switch, case and default, the size-0 opcodes (the
//    disassembler repeats them, the compiler writes nothing), and in the
//    prototype dialect every if, while, do, "} while" and "} else {" line.
//    A name that several rows share finds its first row: 0x1B for becomes
//    0x0D, 0x1C break becomes 0x1A (same text, but other depth steps), so the
//    normaliser writes the first row. "return SubNN();" and "goto SubNN();"
//    come back as 0x19 and 0x18.
//  - Fields. Every printed field scans back to the byte it printed, except
//    operator codes outside their lists (they print as empty text, and the
//    empty text scans nothing: Cmp beyond 5, since "?" does not scan back for
//    Cmp, Member_cmp beyond 6, Calc beyond 11), retail Calc2, which prints
//    its offsets 2 and 3 but compiles always 10 07, and the prototype Calc2,
//    whose third value lies past the instruction and is printed from whatever
//    the buffer holds. Bytes that no field prints (block lengths, the kept
//    bytes of goto, break, Cmp and "}", Sleep's offset 1, the operands of the
//    WIP forms) may differ after compiling; they do not show in the text.
//  - Blocks. Compiling writes the block lengths as 0 and pairs every "}" with
//    the innermost open block: "}" closing a do becomes "} while(...);", "}"
//    closing an else becomes the pair 00 00, any other "}" becomes 08 00 (0E 00
//    for a for). The text agrees only where the bytecode's blocks are nested
//    the same way: a do block is closed by 0x12 with a condition, an else
//    block by the nop that the else length makes its end (its length must not
//    reach past that nop, and no other nop may stand inside the else block),
//    every other block by 08, 0E or 10 (0x16 steps the depth differently), and
//    "} else {" follows an if or while block or no block at all.
//  - Conditions. The instruction after if, while and "} while" must be a
//    plain instruction by the rules above that opens and closes no block and
//    is not a nop (a nop there would take part in the else bookkeeping).
//  - The end of the file. A last instruction cut by the end of the file
//    prints bytes that the buffer kept from the instruction before; the text
//    still compiles back to itself, unless those bytes are an operator code or
//    Calc2's fixed bytes.
//
// `Normalize` walks the input as bytecode of the dialect and rewrites it to
// obey the rule: it keeps instructions that obey it, fixes operator codes and
// Calc2's bytes, writes block closers that match the innermost open block,
// limits else lengths and drops what cannot come back. Bytecode made of such
// instructions and properly nested blocks passes unchanged.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "codec/isa/forms.h"
#include "codec/isa/opcodes.h"

namespace quillon::fuzzing {

enum class Role : std::uint8_t {
    Drop,  // the line does not come back: the instruction is left out
    Plain, // one instruction of its own, no block
    Nop,   // plain, or the end of an else block
    If,    // retail only
    While, // retail only
    Do,    // retail only
    Else,  // retail only
    For,   // both dialects
    Close, // "}" (0x08, 0x0E, 0x10, 0x16) and "} while" (0x12)
};

struct RoundTripRules {
    const Dialect* dialect = nullptr;
    Role role[256] = {};
    // The opcode written for an input opcode of role Plain or For.
    std::uint8_t canonical[256] = {};
    // Plain opcodes that may stand as a condition, and whether a plain
    // instruction may be cut by the end of the file.
    bool condition[256] = {};
    bool cuttable[256] = {};
    std::vector<std::uint8_t> conditions; // the opcodes of `condition`

    explicit RoundTripRules(const Dialect& d) : dialect(&d) {
        for (int op = 0; op < 256; ++op) role[op] = Classify(d, op);
        for (int op = 0; op < 256; ++op) {
            canonical[op] = static_cast<std::uint8_t>(op);
            if (role[op] == Role::For) canonical[op] = static_cast<std::uint8_t>(d.FindName("for"));
            if (role[op] != Role::Plain || op == 0x18 || op == 0x19) continue;
            const int first = d.FindName(d.Name(static_cast<std::uint8_t>(op)));
            if (first < 0 || Classify(d, first) != Role::Plain)
                role[op] = Role::Drop;
            else
                canonical[op] = static_cast<std::uint8_t>(first);
        }
        for (int op = 0; op < 256; ++op) {
            if (role[op] != Role::Plain || canonical[op] != op) continue;
            condition[op] = true;
            conditions.push_back(static_cast<std::uint8_t>(op));
            const Form& f = *d.forms[op];
            cuttable[op] = true;
            for (int i = 0; i < f.fieldCount; ++i)
                if (IsOperator(f.fields[i].kind) || (f.fields[i].flags & kNoScan))
                    cuttable[op] = false;
        }
    }

    static Role Classify(const Dialect& d, int op) {
        const Form& f = *d.forms[op];
        const int size = d.Size(static_cast<std::uint8_t>(op));
        if (size == 0 || f.special == Special::Unknown || &f == &forms::kEmpty ||
            &f == &forms::kSwitch || &f == &forms::kCase || &f == &forms::kDefault)
            return Role::Drop;
        switch (f.special) {
        case Special::Condition:
            if (op == 0x12) return d.keywordBlocks ? Role::Close : Role::Drop;
            if (!d.keywordBlocks) return Role::Drop;
            return op == 0x06 ? Role::If : Role::While;
        case Special::Else: return d.keywordBlocks ? Role::Else : Role::Drop;
        case Special::CloseBrace: return Role::Close;
        case Special::For: return Role::For;
        case Special::Nop: return Role::Nop;
        default: break;
        }
        if (&f == &forms::kBrace) return Role::Close;
        if (&f == &forms::kDo) return d.keywordBlocks ? Role::Do : Role::Drop;
        // A plain form: every printed field must scan back to its byte.
        bool scanned[64] = {};
        for (int i = 0; i < f.fieldCount; ++i) {
            const Field& fd = f.fields[i];
            if (fd.flags & kLoose) return Role::Drop; // printed from beyond the instruction
            if (fd.offset + WidthOf(fd.kind) > size) continue; // neither printed nor scanned
            if (fd.flags & kNoScan) {
                bool preset = false;
                for (int p = 0; p < f.presetCount; ++p) preset |= f.presets[p].offset == fd.offset;
                if (!preset) return Role::Drop;
                continue;
            }
            // A later 8-bit store reaches three bytes on: it must not overwrite
            // a field scanned before it.
            if (!IsWide(fd.kind) && !IsOperator(fd.kind))
                for (int k = 1; k <= 3 && fd.offset + k < 64; ++k)
                    if (scanned[fd.offset + k]) return Role::Drop;
            for (int k = 0; k < WidthOf(fd.kind); ++k) scanned[fd.offset + k] = true;
        }
        return Role::Plain;
    }
};

namespace detail {

struct Cursor {
    std::string_view in;
    size_t at = 0;
    bool Empty() const { return at >= in.size(); }
    std::uint8_t Byte() { return at < in.size() ? static_cast<std::uint8_t>(in[at++]) : 0; }
};

// Fixes the printed bytes that would not scan back.
inline void FixFields(const Dialect& d, std::uint8_t op, std::uint8_t* bytes, int size) {
    const Form& f = *d.forms[op];
    for (int i = 0; i < f.fieldCount; ++i) {
        const Field& fd = f.fields[i];
        if (fd.offset + WidthOf(fd.kind) > size) continue;
        switch (fd.kind) {
        case Kind::CmpOp: bytes[fd.offset] %= 6; break;
        case Kind::CmpOpQ: bytes[fd.offset] %= 7; break;
        case Kind::CalcOp: bytes[fd.offset] %= 12; break;
        default: break;
        }
        if (fd.flags & kNoScan)
            for (int p = 0; p < f.presetCount; ++p)
                if (f.presets[p].offset == fd.offset) bytes[fd.offset] = f.presets[p].value;
    }
}

} // namespace detail

namespace detail {

// The walk of `Normalize`: the input still to read, the bytecode written so
// far and the blocks open in it.
class Normalizer {
  public:
    Normalizer(const RoundTripRules& rules, std::string_view input)
        : rules_(rules), d_(*rules.dialect), input_(input), in_{input} {}

    std::string Run() {
        while (!in_.Empty())
            if (!Step(in_.Byte())) break;
        return std::move(out_);
    }

  private:
    struct Open {
        Role kind;
        size_t at; // offset of the block's instruction in `out_`
    };

    // One input instruction of `op`; false when nothing may follow.
    bool Step(std::uint8_t op) {
        const Role role = rules_.role[op];
        switch (role) {
        case Role::Drop:
            in_.at += d_.Size(op) > 1 ? static_cast<size_t>(d_.Size(op) - 1) : 0;
            return true;
        case Role::Plain: return Emit(rules_.canonical[op], true);
        case Role::Nop:
            if (!blocks_.empty() && blocks_.back().kind == Role::Else) return Close(op);
            if (elsesOpen_ == 0) return Emit(op, true);
            return true; // a nop inside an else block but not at its end is left out
        case Role::If:
        case Role::While:
            blocks_.push_back({role, out_.size()});
            return Emit(op, false) && EmitCondition();
        case Role::Do:
        case Role::For:
            blocks_.push_back({role, out_.size()});
            return Emit(rules_.canonical[op], false);
        case Role::Else: return OpenElse(op);
        case Role::Close: return Close(op);
        }
        return true;
    }

    // Copies one instruction of `op` with its operands from the input; a
    // plain instruction may be cut by the end of the input (then the result
    // is false and nothing may follow), any other is padded with zeros.
    bool Emit(std::uint8_t op, bool plain) {
        const int size = d_.Size(op);
        std::uint8_t bytes[256] = {};
        bytes[0] = op;
        int have = 1;
        for (; have < size && !in_.Empty(); ++have) bytes[have] = in_.Byte();
        if (have < size && plain) {
            if (!rules_.cuttable[op]) return false;
            out_.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(have));
            in_.at = input_.size();
            return false;
        }
        FixFields(d_, op, bytes, size);
        out_.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size));
        return true;
    }

    bool EmitCondition() {
        if (in_.Empty()) return false; // the file ends: "if() {"
        std::uint8_t op = in_.Byte();
        if (!rules_.condition[op]) op = rules_.conditions[op % rules_.conditions.size()];
        return Emit(op, true);
    }

    // "} else {" after an if or while block or no block at all; elsewhere it
    // closes the innermost block.
    bool OpenElse(std::uint8_t op) {
        if (!blocks_.empty() && blocks_.back().kind != Role::If &&
            blocks_.back().kind != Role::While)
            return Close(0x08);
        if (!blocks_.empty()) blocks_.pop_back();
        blocks_.push_back({Role::Else, out_.size()});
        ++elsesOpen_;
        return Emit(op, false);
    }

    // Writes the closer that matches the innermost open block.
    bool Close(std::uint8_t op) {
        if (blocks_.empty()) return Emit(op == 0x0E || op == 0x10 ? op : 0x08, false);
        const Open top = blocks_.back();
        blocks_.pop_back();
        switch (top.kind) {
        case Role::Do: Emit(0x12, false); return EmitCondition();
        case Role::Else: CloseElse(top); return true;
        default: return Emit(op == 0x0E || op == 0x10 ? op : 0x08, false);
        }
    }

    // The nop that ends an else block, and the block's length limited to it.
    void CloseElse(const Open& top) {
        --elsesOpen_;
        const size_t nop = out_.size();
        out_.push_back('\0');
        out_.push_back(static_cast<char>(in_.Byte())); // skipped by the disassembler
        // The else block ends at its offset plus its length minus 2; the
        // closing nop must lie at or past that end.
        std::uint32_t longest = static_cast<std::uint32_t>(nop - top.at + 3);
        if (longest > 0xFFFF) longest = 0xFFFF;
        std::uint8_t* len = reinterpret_cast<std::uint8_t*>(out_.data() + top.at + 2);
        const std::uint32_t given = len[0] | (len[1] << 8);
        const std::uint32_t length = given % (longest + 1);
        len[0] = static_cast<std::uint8_t>(length);
        len[1] = static_cast<std::uint8_t>(length >> 8);
    }

    const RoundTripRules& rules_;
    const Dialect& d_;
    std::string_view input_;
    Cursor in_;
    std::string out_;
    std::vector<Open> blocks_;
    int elsesOpen_ = 0;
};

} // namespace detail

// Rewrites `input` as described at the top of this file.
inline std::string Normalize(const RoundTripRules& rules, std::string_view input) {
    return detail::Normalizer(rules, input).Run();
}

} // namespace quillon::fuzzing
