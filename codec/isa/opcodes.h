// The vocabulary of one dialect: its opcode table, the field kinds and the
// instruction forms that print and scan the fields, and the dialect record
// that ties a table to its forms and driver options.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillon {

// One row of an opcode table: the opcode as text, the total instruction size
// as hexadecimal text ("0x14" is 20) and the source name.
struct OpcodeEntry {
    const char* opcodeText;
    const char* sizeText;
    const char* name;
};

using OpcodeTable = std::array<OpcodeEntry, 256>;

// Field kinds. The first seven are the instruction-set vocabulary; the rest are
// the few text shapes that single instructions need.
enum class Kind : std::uint8_t {
    U8,     // 1 byte, "%d" unsigned, decimal scan
    S8,     // 1 byte, "%d" signed, decimal scan
    X8,     // 1 byte, "0x%02X", hexadecimal scan
    U16,    // 2 bytes, "%d" unsigned, decimal scan
    S16,    // 2 bytes, "%d" signed, decimal scan
    X16,    // 2 bytes, "0x%04X", hexadecimal scan
    H16,    // 2 bytes, "0x%02X" (at least two digits), hexadecimal scan
    Addr16, // 2 bytes, "0x%08X", hexadecimal scan (goto's target)
    Sub8,   // 1 byte, "%02d"; scans decimal after an optional "Sub" prefix
    HexN,   // 1 byte, "0x%X" without padding (Calc2's fixed bytes)
    CmpOp,  // 1 byte comparison code: prints "=" .. "?", scans "=" .. "!="
    CmpOpQ, // as CmpOp, but "?" scans back too (Member_cmp)
    CalcOp, // 1 byte arithmetic code: "+" .. "~>>"
};

constexpr bool IsWide(Kind k) {
    return k == Kind::U16 || k == Kind::S16 || k == Kind::X16 || k == Kind::H16 ||
           k == Kind::Addr16;
}
constexpr int WidthOf(Kind k) {
    return IsWide(k) ? 2 : 1;
}
constexpr bool IsOperator(Kind k) {
    return k == Kind::CmpOp || k == Kind::CmpOpQ || k == Kind::CalcOp;
}

// Kinds scanned as hexadecimal; the others scan as decimal.
constexpr bool ScansHex(Kind k) {
    return k == Kind::X8 || k == Kind::X16 || k == Kind::H16 || k == Kind::Addr16 ||
           k == Kind::HexN;
}

// How a field's number is printed: in hexadecimal (after "0x") where it scans
// so, with at least this many digits, zeros before.
constexpr int PrintedDigits(Kind k) {
    switch (k) {
    case Kind::X8:
    case Kind::H16:
    case Kind::Sub8: return 2;
    case Kind::X16: return 4;
    case Kind::Addr16: return 8;
    default: return 1;
    }
}

// The values that a field of a kind holds as printed.
struct KindRange {
    std::int32_t low, high;
};
constexpr KindRange RangeOf(Kind k) {
    switch (k) {
    case Kind::S8: return {-128, 127};
    case Kind::U8:
    case Kind::X8:
    case Kind::Sub8:
    case Kind::HexN: return {0, 255};
    case Kind::S16: return {-32768, 32767};
    default: return {0, 65535};
    }
}
constexpr bool Fits(Kind k, std::int32_t v) {
    return v >= RangeOf(k).low && v <= RangeOf(k).high;
}

enum FieldFlags : std::uint8_t {
    kNoScan = 1,   // printed, never scanned
    kLoose = 2,    // kept even where the instruction's size ends before it
    kAppended = 4, // a byte that the line of the classic text leaves out,
                   // appended after the others with ", "
};

struct Field {
    std::uint8_t offset;
    Kind kind;
    std::uint8_t flags = 0;
};

// A field applies only as far as the instruction reaches: one whose last byte
// would lie at or past the instruction's size is neither printed nor scanned,
// unless it is loose.
constexpr bool FieldApplies(const Field& f, int size) {
    return (f.flags & kLoose) || f.offset + WidthOf(f.kind) <= size;
}

// A byte that compiling sets to a fixed value before the fields are scanned.
struct Preset {
    std::uint8_t offset;
    std::uint8_t value;
};

// The few instructions that need more than fields and text.
enum class Special : std::uint8_t {
    None,
    Unknown,    // the unknown-opcode comment
    Condition,  // if, while, "} while": the condition instruction follows inline
    Else,       // opens an else block when disassembling
    Nop,        // closes an else block when its end is reached
    CloseBrace, // "}" lines when compiling
    For,        // for lines open a for block when compiling
};

// The most fields of a form of the classic text, and the room of a form,
// whose exact forms show every byte of the longest instruction.
constexpr int kMaxFields = 24;
constexpr int kFieldSlots = 40;

// An instruction's text form: head, then `open`, the fields joined by `sep`,
// and `close`. The head is the row's name unless `head` is set.
struct Form {
    const char* open = "(";
    const char* sep = ", ";
    const char* close = ");";
    std::uint8_t fieldCount = 0;
    Field fields[kFieldSlots] = {};
    std::uint8_t presetCount = 0;
    Preset presets[4] = {};
    Special special = Special::None;
    const char* head = nullptr;  // printed instead of the name
    std::uint8_t firstToken = 1; // token of the first field when compiling
};

// How "}" lines close blocks when compiling.
enum class BraceRule : std::uint8_t {
    Nested,   // retail: each "}" closes the innermost open block
    ForDepth, // prototype: a "}" closes the innermost for block, if any
};

// Kinds of block of the classic text.
enum class BlockKind : std::uint8_t { If, While, Do, For, Switch, Else };
constexpr int kBlockKinds = 6;
constexpr std::uint8_t KindBit(BlockKind k) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(k));
}

// What a switch label does to the level of the case it ends or begins.
enum class LabelEffect : std::uint8_t { None, Opens, Closes };

// A row of the classic text's blocks: what an opcode opens or closes.
struct BlockRow {
    std::uint8_t opcode;
    std::int8_t before = 0, after = 0;     // the disassembler's depth steps around the line
    LabelEffect label = LabelEffect::None; // case opens a level, default and break close it
    std::int8_t opens = -1;                // the BlockKind that compiling opens with it
    std::uint8_t closes = 0;               // KindBit()s of the blocks it closes when compiling
    std::uint8_t closeOperand = 0;         // offset 1 of it as a closing instruction
};
constexpr int kMaxBlockRows = 16;

// Slots of a dialect's name index (the 144 names fill under a third).
constexpr std::size_t kNameSlots = 512;

struct Dialect {
    const char* name;     // "retail" or "prototype"
    const char* menuName; // "Bio2" or "Rer1.5"
    const OpcodeTable* table;
    const Form* forms[256]; // the form that serves each opcode
    std::uint8_t size[256]; // the table's sizes, converted once
    // FindName's index: rows 0x00 to 0x8F hashed by name, each name at its
    // first row only; a slot holds the row + 1, or 0 when empty.
    std::uint8_t nameIndex[kNameSlots];
    // Compiling: "if", "while" and "do" write their block instructions (retail)
    // or the lines are passed over (prototype).
    bool keywordBlocks;
    // The blocks of the classic text, and what follows from them by opcode
    // and by kind of block (derived once, by MakeDialect).
    BlockRow blockRows[kMaxBlockRows];
    int blockRowCount;
    std::int8_t depthBefore[256];
    std::int8_t depthAfter[256];
    LabelEffect label[256];
    std::uint8_t closesKinds[256];
    std::uint8_t opener[kBlockKinds];        // the opcode that opens each kind of block
    std::uint8_t closer[kBlockKinds];        // the opcode that closes it
    std::uint8_t closerOperand[kBlockKinds]; // offset 1 of that closing instruction
    // Compiling an 8-bit field stores its one byte (exact mode) instead of
    // four bytes whose surplus the following fields overwrite.
    bool narrowStores = false;
    BraceRule braces;

    int Size(std::uint8_t opcode) const { return size[opcode]; }
    const char* Name(std::uint8_t opcode) const { return (*table)[opcode].name; }
    // The first row 0x00 to 0x8F whose name equals `word`, or -1.
    int FindName(std::string_view word) const;
};

const Dialect& RetailDialect();
const Dialect& PrototypeDialect();

// Size of a row from its hexadecimal text, as the "%X" conversion reads it.
int SizeFromText(const char* sizeText);

} // namespace quillon
