// A generator of script chunks as the game writes them, built from the facts
// of its bytecode on its own (it shares no code with the exact encoder):
// nested blocks of every kind, conditions, switches with fall-through cases,
// gotos forward and back, alignment pads, bytes after a procedure's end;
// runs of conditions after an if, references to every procedure, area
// records and operands with the values that carry names (exact_gen_records.h).
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "testkit/exact_gen_records.h"

namespace exact_gen {

class ChunkGenerator {
  public:
    // Without `unknowns`, no instruction of unknown layout (the classic
    // table gives 0x81 no size, which would stall a classic disassembly).
    explicit ChunkGenerator(std::uint32_t seed, bool unknowns = true)
        : rng_(seed), unknowns_(unknowns), records_(rng_) {}

    // A chunk of `procedures` procedures; `rawLines` receives how many raw
    // lines its exact text must have (unknown opcodes and unframed bytes).
    std::string Chunk(int procedures, int& rawLines) {
        out_.assign(static_cast<std::size_t>(procedures) * 2, '\0');
        raw_ = 0;
        procedures_ = procedures;
        for (int k = 0; k < procedures; ++k) {
            Put16(static_cast<std::size_t>(2 * k), static_cast<int>(out_.size()));
            Procedure((k + 1) % procedures);
        }
        rawLines = raw_;
        return out_;
    }

  private:
    int Pick(int n) { return static_cast<int>(rng_() % static_cast<std::uint32_t>(n)); }
    char Byte() { return static_cast<char>(rng_() & 0xFF); }
    void Put16(std::size_t at, int v) {
        out_[at] = static_cast<char>(v & 0xFF);
        out_[at + 1] = static_cast<char>((v >> 8) & 0xFF);
    }
    // An instruction with a 16-bit field starts at an even offset: one 00
    // before it where it would not.
    std::size_t Emit(std::string bytes, bool aligned) {
        if (aligned && (out_.size() & 1)) out_ += '\0';
        const std::size_t at = out_.size();
        out_ += bytes;
        return at;
    }
    std::string Random(std::uint8_t op, int size) {
        std::string b(1, static_cast<char>(op));
        for (int i = 1; i < size; ++i) b += Byte();
        return b;
    }
    void LineStart() { starts_.push_back(static_cast<int>(out_.size())); }
    void LineStartAt(std::size_t at) { starts_.push_back(static_cast<int>(at)); }

    struct Op {
        std::uint8_t op;
        int size;
        bool aligned;
        int operatorAt, operators; // an operator byte and the size of its list
    };
    // Instructions with lines of their own (and one without: 0x1E), then
    // those of unknown layout.
    static const std::vector<Op>& Plain() {
        static const std::vector<Op> ops = {
            {0x01, 2, false, 0, 0}, {0x02, 1, false, 0, 0},  {0x03, 4, false, 0, 0},
            {0x04, 4, true, 0, 0},  {0x05, 2, false, 0, 0},  {0x09, 4, true, 0, 0},
            {0x0A, 3, true, 0, 0},  {0x0B, 1, false, 0, 0},  {0x18, 2, false, 0, 0},
            {0x19, 2, false, 0, 0}, {0x1D, 4, false, 0, 0},  {0x21, 4, false, 0, 0},
            {0x22, 4, false, 0, 0}, {0x23, 6, true, 3, 7},   {0x24, 4, true, 0, 0},
            {0x25, 3, false, 0, 0}, {0x26, 6, true, 2, 12},  {0x27, 4, false, 0, 0},
            {0x28, 1, false, 0, 0}, {0x29, 2, false, 0, 0},  {0x2B, 6, true, 0, 0},
            {0x2C, 20, true, 0, 0}, {0x2D, 38, true, 0, 0},  {0x3E, 6, true, 3, 7},
            {0x44, 22, true, 0, 0}, {0x4E, 22, true, 0, 0},  {0x5C, 3, false, 0, 0},
            {0x67, 28, true, 0, 0}, {0x68, 40, false, 0, 0}, {0x73, 8, false, 0, 0},
            {0x86, 1, false, 0, 0}, {0x3B, 32, true, 0, 0},  {0x87, 1, false, 0, 0},
            {0x88, 3, false, 0, 0}, {0x80, 2, false, 0, 0},  {0x4E, 22, true, 0, 0},
            {0x1E, 1, false, 0, 0}, {0x81, 3, false, 0, 0},  {0x82, 3, false, 0, 0},
            {0x83, 1, false, 0, 0}, {0x84, 2, false, 0, 0},  {0x85, 6, false, 0, 0},
            {0x89, 1, false, 0, 0}, {0x8A, 6, false, 0, 0},  {0x8B, 6, false, 0, 0},
            {0x8C, 8, false, 0, 0}, {0x8D, 24, false, 0, 0}, {0x8E, 24, false, 0, 0},
        };
        return ops;
    }
    void Instruction() {
        if (Pick(8) == 0) return Known(records_.Area(procedures_));
        if (Pick(8) == 0) return Known(records_.Reference(Pick(procedures_)));
        const int kinds = static_cast<int>(Plain().size()) - (unknowns_ ? 0 : 12);
        const Op& o = Plain()[static_cast<std::size_t>(Pick(kinds))];
        std::string b = Random(o.op, o.size);
        if (o.operators)
            b[static_cast<std::size_t>(o.operatorAt)] = static_cast<char>(Pick(o.operators));
        if (o.op == 0x1E) ++raw_;
        records_.Dress(b);
        Known({b, o.aligned});
    }
    void Known(const Records::Bytes& i) {
        if (i.aligned && (out_.size() & 1)) out_ += '\0';
        LineStart();
        Emit(i.b, i.aligned);
    }
    // A condition, after a pad where it holds a 16-bit field: its offset.
    std::size_t Condition() {
        static const Op conds[] = {{0x21, 4, false, 0, 0}, {0x23, 6, true, 3, 7},
                                   {0x3E, 6, true, 3, 7},  {0x1D, 4, false, 0, 0},
                                   {0x5E, 2, false, 0, 0}, {0x39, 8, true, 0, 0},
                                   {0x4F, 4, true, 0, 0},  {0x50, 4, true, 0, 0},
                                   {0x86, 1, false, 0, 0}, {0x81, 3, false, 0, 0}};
        const Op& o = conds[Pick(unknowns_ ? 10 : 9)];
        std::string b = Random(o.op, o.size);
        if (o.operators)
            b[static_cast<std::size_t>(o.operatorAt)] = static_cast<char>(Pick(o.operators));
        records_.Dress(b);
        return Emit(b, o.aligned);
    }
    // A run of `n` conditions: its size from the first one's start, the
    // pads between them included.
    int Run(int n) {
        const std::size_t first = Condition();
        for (int c = 1; c < n; ++c) Condition();
        return static_cast<int>(out_.size() - first);
    }
    // Most runs of a while or a do hold one condition.
    int LoopRun() { return Run(Pick(4) ? 1 : 2 + Pick(2)); }
    void Body(int depth) {
        const int n = Pick(depth > 3 ? 3 : 5);
        for (int i = 0; i < n; ++i) Statement(depth);
    }
    void Statement(int depth) {
        const int kind = depth > 4 ? 0 : Pick(12);
        if (kind <= 4) return Instruction();
        if (kind == 5) { // a nop that is no pad
            LineStart();
            out_ += '\0';
            return;
        }
        if (kind == 6) { // goto, patched at the end of the procedure
            if (out_.size() & 1) out_ += '\0';
            LineStart();
            std::string b = Random(0x17, 6);
            gotos_.push_back(Emit(b, true));
            return;
        }
        if (out_.size() & 1 && Pick(2)) {
            LineStart(); // the pad before an opener may also be a nop of the text
        }
        if (out_.size() & 1) out_ += '\0';
        LineStart();
        if (kind == 7)
            IfBlock(depth);
        else if (kind == 8)
            WhileBlock(depth);
        else if (kind == 9)
            DoBlock(depth);
        else if (kind == 10)
            ForBlock(depth);
        else
            SwitchBlock(depth);
    }
    // The blocks, from their opener (at an even offset, its line started).
    void IfBlock(int depth) { // with or without else
        const std::size_t at = Emit(std::string("\x06\x00\x00\x00", 4), true);
        const int run = Pick(3) ? 1 : 2 + Pick(8); // 2 to 9 conditions in one run
        Run(run);
        Body(depth + 1);
        if (Pick(2)) {
            if (out_.size() & 1) out_ += '\0';
            LineStart();
            const std::size_t els = Emit(std::string("\x07\x00\x00\x00", 4), true);
            Put16(at + 2, static_cast<int>(out_.size() - (at + 4)));
            Body(depth + 1);
            LineStart();
            out_ += std::string("\x00\x00", 2);
            Put16(els + 2, static_cast<int>(out_.size() - els));
        } else {
            LineStart();
            out_ += std::string("\x08\x00", 2);
            Put16(at + 2, static_cast<int>(out_.size() - (at + 4)));
        }
    }
    void WhileBlock(int depth) {
        const std::size_t at = Emit(std::string("\x0F\x00\x00\x00", 4), true);
        out_[at + 1] = static_cast<char>(LoopRun());
        Body(depth + 1);
        LineStart();
        out_ += std::string("\x10\x00", 2);
        Put16(at + 2, static_cast<int>(out_.size() - (at + 4)));
    }
    void DoBlock(int depth) {
        const std::size_t at = Emit(std::string("\x11\x00\x00\x00", 4), true);
        Body(depth + 1);
        LineStart();
        const std::size_t head = out_.size();
        out_ += std::string("\x12\x00", 2);
        out_[head + 1] = static_cast<char>(LoopRun());
        Put16(at + 2, static_cast<int>(out_.size() - (at + 4)));
    }
    void ForBlock(int depth) {
        std::string b("\x0D\x00\x00\x00", 4);
        b += Byte();
        b += Byte();
        const std::size_t at = Emit(b, true);
        Body(depth + 1);
        LineStart();
        out_ += std::string("\x0E\x00", 2);
        Put16(at + 2, static_cast<int>(out_.size() - (at + 6)));
    }
    // Cases, some empty and falling through, and maybe a default.
    void SwitchBlock(int depth) {
        std::string b("\x13", 1);
        b += Byte();
        b += std::string("\x00\x00", 2);
        const std::size_t at = Emit(b, true);
        const int cases = 1 + Pick(4);
        std::size_t open = 0;
        bool any = false;
        auto endCase = [&] {
            if (any) Put16(open + 2, static_cast<int>(out_.size() - (open + 6)));
            any = false;
        };
        for (int c = 0; c < cases; ++c) {
            if (out_.size() & 1) out_ += '\0';
            endCase();
            LineStart();
            std::string cb("\x14\x00\x00\x00", 4);
            cb += Byte();
            cb += Byte();
            open = Emit(cb, true);
            any = true;
            if (Pick(3)) {
                Body(depth + 1);
                LineStart();
                out_ += std::string("\x1A\x00", 2);
            }
        }
        endCase();
        if (Pick(2)) {
            LineStart();
            out_ += std::string("\x15\x00", 2);
            Body(depth + 1);
        }
        LineStart();
        out_ += std::string("\x16\x00", 2);
        Put16(at + 2, static_cast<int>(out_.size() - (at + 4)));
    }
    // A procedure that refers to procedure `next`, so that every procedure
    // of the chunk is referred to.
    void Procedure(int next) {
        starts_.clear();
        gotos_.clear();
        Body(0);
        Known(records_.Reference(next));
        Body(0);
        Statement(0);
        const bool tail = Pick(3) == 0;
        if (!tail) LineStart(); // the end of the procedure
        for (std::size_t g : gotos_) {
            const int target =
                starts_[static_cast<std::size_t>(Pick(static_cast<int>(starts_.size())))];
            Put16(g + 4, target - static_cast<int>(g));
        }
        if (tail) { // bytes that are never run: an instruction cut short
            out_ += '\x2C';
            const int n = Pick(14);
            for (int i = 0; i < n; ++i) out_ += Byte();
            ++raw_;
        }
    }

    std::mt19937 rng_;
    bool unknowns_;
    Records records_;
    int procedures_ = 0;
    std::string out_;
    int raw_ = 0;
    std::vector<int> starts_;
    std::vector<std::size_t> gotos_;
};

} // namespace exact_gen
