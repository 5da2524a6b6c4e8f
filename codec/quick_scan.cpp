// The compiler's quick way through an instruction's fields: the numbers of
// the fields that apply, found once per opcode from the dialect's forms, and
// the common number texts read without the general scan. It writes the same
// bytes as ScanFields; a line that ScanFields would report on is left to it.
#include <algorithm>
#include <array>
#include <memory>

#include "engine_parts.h"
#include "text.h"

namespace quillon::detail {

namespace {

struct QuickField {
    std::uint8_t offset;
    Kind kind;
    bool hex;               // scanned as hexadecimal
    bool wide;              // 16 bits
    std::int32_t low, high; // the values it holds as printed
};

// The fields that compiling scans for one opcode, when all are numbers.
struct QuickForm {
    bool usable = false;
    std::uint8_t count = 0;
    QuickField fields[kFieldSlots] = {};
};

using QuickForms = std::array<QuickForm, 256>;

// Rows 0x00 to 0x8F by name, each name at its first row only: a slot holds
// the row + 1, or 0 when empty. Names are told apart by their length first.
constexpr std::size_t kSlots = 1024;
struct NameIndex {
    std::uint8_t row[kSlots] = {};
    std::string_view name[kSlots];
};

std::size_t Slot(std::string_view word) {
    const std::size_t n = word.size();
    if (n == 0) return 0;
    const auto at = [&](std::size_t i) {
        return static_cast<std::size_t>(static_cast<unsigned char>(word[i]));
    };
    return (n * 0x9E5 + at(0) * 0x2F + at(n - 1) * 0x1B3 + at(n / 2) * 0x3D + at(n / 3)) % kSlots;
}

struct QuickTables {
    QuickForms forms;
    NameIndex names;
};

std::unique_ptr<QuickTables> MakeQuickTables(const Dialect& d) {
    auto tables = std::make_unique<QuickTables>();
    NameIndex& index = tables->names;
    for (int op = 0; op < 0x90; ++op) {
        const std::string_view name = d.Name(static_cast<std::uint8_t>(op));
        std::size_t slot = Slot(name);
        while (index.row[slot] != 0 && index.name[slot] != name) slot = (slot + 1) % kSlots;
        if (index.row[slot] == 0) {
            index.row[slot] = static_cast<std::uint8_t>(op + 1);
            index.name[slot] = name;
        }
    }
    for (int op = 0; op < 256; ++op) {
        const Form& form = *d.forms[op];
        QuickForm& q = tables->forms[static_cast<std::size_t>(op)];
        q.usable = form.special == Special::None;
        for (int i = 0; i < form.fieldCount && q.usable; ++i) {
            const Field& f = form.fields[i];
            if (!FieldApplies(f, d.Size(static_cast<std::uint8_t>(op))) || (f.flags & kNoScan))
                continue;
            if (IsOperator(f.kind) || f.kind == Kind::Sub8) q.usable = false;
            q.fields[q.count++] = QuickField{f.offset,
                                             f.kind,
                                             ScansHex(f.kind),
                                             IsWide(f.kind),
                                             RangeOf(f.kind).low,
                                             RangeOf(f.kind).high};
        }
    }
    return tables;
}

const QuickTables& FindTables(const Dialect& d) {
    static const auto retail = MakeQuickTables(RetailDialect());
    static const auto prototype = MakeQuickTables(PrototypeDialect());
    if (&d == &RetailDialect()) return *retail;
    if (&d == &PrototypeDialect()) return *prototype;
    thread_local const Dialect* last = nullptr;
    thread_local std::unique_ptr<QuickTables> other;
    if (last != &d) {
        other = MakeQuickTables(d);
        last = &d;
    }
    return *other;
}

const QuickTables& TablesOf(const Dialect& d) {
    thread_local const Dialect* lastAsked = nullptr;
    thread_local const QuickTables* lastFound = nullptr;
    if (lastAsked == &d) return *lastFound;
    lastAsked = &d;
    lastFound = &FindTables(d);
    return *lastFound;
}

// Digit values, 0xFF for the other characters.
struct HexDigits {
    std::uint8_t of[256] = {};
    constexpr HexDigits() {
        for (auto& v : of) v = 0xFF;
        for (int c = '0'; c <= '9'; ++c) of[c] = static_cast<std::uint8_t>(c - '0');
        for (int c = 'a'; c <= 'f'; ++c) of[c] = static_cast<std::uint8_t>(c - 'a' + 10);
        for (int c = 'A'; c <= 'F'; ++c) of[c] = static_cast<std::uint8_t>(c - 'A' + 10);
    }
};
constexpr HexDigits kHexDigits;

// The value of a token made of a sign and up to 8 hex or 9 decimal digits
// only ("0x" before hex digits), as the general scan reads it; false for
// every other token, which the general scan then reads.
bool QuickNumber(std::string_view t, bool hex, std::int32_t& value) {
    std::size_t i = 0;
    const bool negative = !t.empty() && t[0] == '-';
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) i = 1;
    if (hex && t.size() >= i + 2 && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) i += 2;
    const std::size_t digits = t.size() - i;
    if (digits == 0 || digits > (hex ? 8u : 9u)) return false;
    std::uint32_t v = 0;
    if (hex) {
        for (; i < t.size(); ++i) {
            const std::uint32_t d = kHexDigits.of[static_cast<unsigned char>(t[i])];
            if (d > 15) return false;
            v = v * 16 + d;
        }
    } else {
        for (; i < t.size(); ++i) {
            const std::uint32_t d =
                static_cast<std::uint32_t>(static_cast<unsigned char>(t[i])) - '0';
            if (d > 9) return false;
            v = v * 10 + d;
        }
    }
    value = static_cast<std::int32_t>(negative ? 0u - v : v);
    return true;
}

} // namespace

bool QuickScanFields(ScriptContext& ctx, const Form& form) {
    const QuickForm& q = TablesOf(*ctx.dialect).forms[ctx.opcode];
    if (!q.usable) return false;
    const bool narrow = ctx.dialect->narrowStores;
    const bool listening = ctx.listener != nullptr;
    for (int i = 0; i < form.presetCount; ++i)
        ctx.code[form.presets[i].offset] = form.presets[i].value;
    std::int32_t work = 0;
    int token = form.firstToken;
    const int live = std::min(ctx.tokenCount, ctx.liveTokens);
    for (int i = 0; i < q.count; ++i) {
        const QuickField& f = q.fields[i];
        const int t = token++;
        bool scanned = false;
        std::int32_t value = 0;
        if (t < live) {
            const std::string_view text = ctx.tokens[static_cast<std::size_t>(t)];
            const bool hex = f.hex;
            scanned = QuickNumber(text, hex, value);
            if (!scanned) {
                bool overflow = false;
                const auto general = hex ? ScanHex(text, &overflow) : ScanDecimal(text, &overflow);
                if (listening && (!general || overflow)) return false;
                scanned = general.has_value();
                if (general) value = *general;
            }
            if (listening && (value < f.low || value > f.high)) return false;
        } else if (listening) {
            return false; // a missing argument
        }
        std::uint8_t* at = ctx.code + f.offset;
        if (f.wide) {
            if (scanned) work = value;
            at[0] = static_cast<std::uint8_t>(work & 0xFF);
            at[1] = static_cast<std::uint8_t>((work >> 8) & 0xFF);
        } else if (scanned && narrow) {
            at[0] = static_cast<std::uint8_t>(value & 0xFF);
        } else if (scanned) {
            const std::uint32_t v = static_cast<std::uint32_t>(value);
            at[0] = static_cast<std::uint8_t>(v);
            at[1] = static_cast<std::uint8_t>(v >> 8);
            at[2] = static_cast<std::uint8_t>(v >> 16);
            at[3] = static_cast<std::uint8_t>(v >> 24);
        }
    }
    if (listening && form.fieldCount > 0) {
        int rest = ctx.liveTokens;
        while (rest > token && ctx.tokens[static_cast<std::size_t>(rest - 1)] == "{") --rest;
        if (rest > token) return false; // surplus arguments
    }
    return true;
}

int QuickInstructionOf(const ScriptContext& ctx) {
    const std::string_view word = ctx.tokens[0];
    if (word == "goto" || word == "return") return InstructionOf(ctx);
    const NameIndex& index = TablesOf(*ctx.dialect).names;
    for (std::size_t slot = Slot(word); index.row[slot] != 0; slot = (slot + 1) % kSlots)
        if (index.name[slot] == word) return index.row[slot] - 1;
    return -1;
}

} // namespace quillon::detail
