// A script chunk as items (instructions, block openings and closings, labels
// and jumps) whose bytes carry no length, offset or pad: the exact
// disassembler recovers a list of them per procedure, the exact compiler
// reads them one by one. The encoder lays them out and works those out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/isa/exact_rows.h"

namespace quillon::exact {

enum class Item : std::uint8_t {
    Code,    // an instruction (or raw bytes) on a line of its own, or a condition
    Open,    // if, while, do, for, switch: the opening instruction
    Else,    // "} else {"
    Close,   // "}" (a "} while" is followed by its condition)
    Case,    // "case N:"
    Default, // "default:"
    Label,   // "L0132:"
    Goto,    // goto to a label
};

struct Entry {
    Item kind = Item::Code;
    Block block = Block::None; // Open, Close
    bool raw = false;          // Code: written as they are, never after a pad
    bool condition = false;    // Code: the condition of the item before it
    std::uint32_t label = 0;   // Label: its number; Goto: its target's
    std::int32_t line = 0;     // where the compiler read it (for messages)
    std::int32_t column = 0;
    std::uint32_t first = 0; // its bytes in the procedure's pool
    std::uint8_t count = 0;
};

struct Procedure {
    std::vector<Entry> items;
    std::string pool;

    Entry& Add(Item kind, const void* bytes, std::size_t count) {
        Entry& e = items.emplace_back();
        e.kind = kind;
        e.first = static_cast<std::uint32_t>(pool.size());
        e.count = static_cast<std::uint8_t>(count);
        pool.append(static_cast<const char*>(bytes), count);
        return e;
    }
};

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
    bool Add(const Entry& e, const char* bytes, bool padded);
    // Ends the procedure: the labels still waiting stand at its end, the
    // gotos get their offsets, and the string holds exactly what was laid
    // out (also after a failure). False with Error() set.
    bool End();
    const EncodeError& Error() const { return error_; }

  private:
    struct Frame {
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
        bool ends;   // a "} while": the do block ends after it
        Frame frame; // that block
    };
    static constexpr std::size_t kSlack = kQuickCopy + 8;

    std::int32_t Pos() const { return base_ + static_cast<std::int32_t>(written_ - begin_); }
    void Room(std::size_t n) {
        if (out_->size() < written_ + n + kSlack) Grow(n);
    }
    void Grow(std::size_t n);
    std::int32_t Emit(const Entry& e, const char* bytes, bool padded);
    std::int32_t EmitBytes(const char* bytes, std::size_t n);
    void PlaceLabels(std::int32_t at);
    bool Fail(std::int32_t line, std::int32_t column, std::string text);
    bool Store(std::int32_t line, std::int32_t column, std::int32_t at, std::int64_t value,
               bool isSigned);
    bool EndBlock(const Frame& f);

    const Rows& rows_;
    const std::uint8_t* aligned_; // by opcode: starts at an even offset
    std::string* out_ = nullptr;  // room past `written_`, cut by End
    std::int32_t base_ = 0;
    std::size_t begin_ = 0, written_ = 0;
    std::vector<Frame> frames_;
    std::vector<std::uint32_t> pending_; // labels waiting for the next item
    std::vector<std::int32_t> labels_;   // each label's chunk offset, -1 for none
    std::vector<Jump> jumps_;
    bool waiting_ = false;
    Wait wait_{};
    EncodeError error_;
};

// A whole procedure through a ProcedureEncoder.
bool EncodeProcedure(const Procedure& proc, std::int32_t base, std::string& out,
                     EncodeError& error);

} // namespace quillon::exact
