// The field kinds of the instruction sets (how wide a field of each kind is,
// how it prints, scans and ranges) and the field of a form that places one.
#pragma once

#include <cstdint>

namespace quillon {

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

} // namespace quillon
