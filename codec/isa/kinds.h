// The field kinds of the instruction sets, one row each (how wide a field of
// the kind is, how it prints and scans, the values it holds, its label and
// its operator texts), and the field of a form that places one.
#pragma once

#include <cstdint>
#include <string_view>

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

constexpr int kKinds = static_cast<int>(Kind::CalcOp) + 1;

// How a field's value is written and read: a decimal number, "0x" and
// hexadecimal digits, or the text of its code in an operator list.
enum class Notation : std::uint8_t { Decimal, Hex, Operator };

// The operator texts of a kind, in the order of their codes.
inline constexpr const char* kComparisonTexts[] = {"=", ">", ">=", "<", "<=", "!=", "?"};
inline constexpr const char* kArithmeticTexts[] = {"+",  "-", "*", "/",  "%",  "||",
                                                   "&&", "^", "~", "<<", ">>", "~>>"};

// Everything about one kind.
struct KindRow {
    const char* label;      // its name in the opcode list ("U8", "ADDR16", "CMP?")
    std::uint8_t width;     // bytes
    Notation notation;      // how it prints, and how it scans back
    std::uint8_t digits;    // numbers: the least digits printed, zeros before
    bool subPrefix;         // scans after an optional "Sub" prefix
    std::int32_t low, high; // the values it holds as printed (signed where low < 0)
    // Operators: the texts of its codes (codes past `printed` print nothing),
    // of which the first `scanned` scan back, and what the list is called.
    const char* const* operators;
    std::uint8_t printed, scanned;
    const char* operatorNoun;
};

inline constexpr KindRow kKindRows[kKinds] = {
    // label, width, notation, digits, Sub prefix, low, high, operators
    {"U8", 1, Notation::Decimal, 1, false, 0, 255, nullptr, 0, 0, nullptr},
    {"S8", 1, Notation::Decimal, 1, false, -128, 127, nullptr, 0, 0, nullptr},
    {"X8", 1, Notation::Hex, 2, false, 0, 255, nullptr, 0, 0, nullptr},
    {"U16", 2, Notation::Decimal, 1, false, 0, 65535, nullptr, 0, 0, nullptr},
    {"S16", 2, Notation::Decimal, 1, false, -32768, 32767, nullptr, 0, 0, nullptr},
    {"X16", 2, Notation::Hex, 4, false, 0, 65535, nullptr, 0, 0, nullptr},
    {"H16", 2, Notation::Hex, 2, false, 0, 65535, nullptr, 0, 0, nullptr},
    {"ADDR16", 2, Notation::Hex, 8, false, 0, 65535, nullptr, 0, 0, nullptr},
    {"SUB8", 1, Notation::Decimal, 2, true, 0, 255, nullptr, 0, 0, nullptr},
    {"HEX8", 1, Notation::Hex, 1, false, 0, 255, nullptr, 0, 0, nullptr},
    // "?" prints for Cmp but does not scan back; it does for Member_cmp.
    {"CMP", 1, Notation::Operator, 1, false, 0, 65535, kComparisonTexts, 7, 6,
     "a comparison operator"},
    {"CMP?", 1, Notation::Operator, 1, false, 0, 65535, kComparisonTexts, 7, 7,
     "a comparison operator"},
    {"OP", 1, Notation::Operator, 1, false, 0, 65535, kArithmeticTexts, 12, 12,
     "an arithmetic operator"},
};

constexpr const KindRow& RowOf(Kind k) {
    return kKindRows[static_cast<int>(k)];
}

// Lookups of the row, as cheap as tests of the kind: the predicates are bit
// sets of the kinds, worked out from the rows once, when compiling.
namespace kinds_detail {
template <class Test>
constexpr std::uint32_t KindsWhere(Test test) {
    std::uint32_t set = 0;
    for (int k = 0; k < kKinds; ++k)
        if (test(kKindRows[k])) set |= 1u << k;
    return set;
}
inline constexpr std::uint32_t kWide = KindsWhere([](const KindRow& r) { return r.width == 2; });
inline constexpr std::uint32_t kHex =
    KindsWhere([](const KindRow& r) { return r.notation == Notation::Hex; });
inline constexpr std::uint32_t kOperator =
    KindsWhere([](const KindRow& r) { return r.notation == Notation::Operator; });
constexpr bool In(std::uint32_t set, Kind k) {
    return (set >> static_cast<unsigned>(k)) & 1u;
}
} // namespace kinds_detail

constexpr bool IsWide(Kind k) {
    return kinds_detail::In(kinds_detail::kWide, k);
}
constexpr int WidthOf(Kind k) {
    return IsWide(k) ? 2 : 1;
}
constexpr bool IsOperator(Kind k) {
    return kinds_detail::In(kinds_detail::kOperator, k);
}

// Kinds printed and scanned as hexadecimal; the other numbers are decimal.
constexpr bool ScansHex(Kind k) {
    return kinds_detail::In(kinds_detail::kHex, k);
}

// How a field's number is printed: in hexadecimal (after "0x") where it scans
// so, with at least this many digits, zeros before.
constexpr int PrintedDigits(Kind k) {
    return RowOf(k).digits;
}

// The values that a field of a kind holds as printed.
struct KindRange {
    std::int32_t low, high;
};
constexpr KindRange RangeOf(Kind k) {
    return {RowOf(k).low, RowOf(k).high};
}
constexpr bool Fits(Kind k, std::int32_t v) {
    return v >= RangeOf(k).low && v <= RangeOf(k).high;
}

// The text of an operator code of an operator kind; empty for codes that its
// list does not hold.
constexpr const char* OperatorText(Kind k, std::uint8_t code) {
    return code < RowOf(k).printed ? RowOf(k).operators[code] : "";
}
// The code of an operator text that scans back for its kind, or -1.
constexpr int OperatorCode(Kind k, std::string_view text) {
    for (int i = 0; i < RowOf(k).scanned; ++i)
        if (text == RowOf(k).operators[i]) return i;
    return -1;
}
// Exact mode spells Calc's OR and AND as C does ("|", "&"), so that "&&"
// stands only between conditions; the classic spellings still scan back.
inline constexpr const char* kExactArithmeticTexts[] = {"+", "-", "*", "/",  "%",  "|",
                                                        "&", "^", "~", "<<", ">>", "~>>"};
constexpr const char* ExactOperatorText(Kind k, std::uint8_t code) {
    return k == Kind::CalcOp && code < RowOf(k).printed ? kExactArithmeticTexts[code]
                                                        : OperatorText(k, code);
}
// The code that an exact spelling other than the classic one stands for, or
// -1.
constexpr int ExactSpellingCode(Kind k, std::string_view text) {
    for (int i = 0; i < RowOf(k).scanned; ++i)
        if (text == ExactOperatorText(k, static_cast<std::uint8_t>(i)) &&
            text != OperatorText(k, static_cast<std::uint8_t>(i)))
            return i;
    return -1;
}
constexpr const char* ComparisonText(std::uint8_t code) {
    return OperatorText(Kind::CmpOp, code);
}
constexpr const char* ArithmeticText(std::uint8_t code) {
    return OperatorText(Kind::CalcOp, code);
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
