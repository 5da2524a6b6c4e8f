// The compiler's quick way through an instruction's fields: the numbers of
// the fields that apply, found once per opcode from the dialect's forms, and
// the common number texts read without the general scan. It writes the same
// bytes as ScanFields; a line that ScanFields would report on is left to it.
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "codec/classic/engine_internals.h"
#include "codec/classic/source.h"
#include "codec/isa/field_walk.h"

namespace quillon::detail {

namespace {

// How a field's value goes into the instruction buffer.
enum class Store : std::uint8_t {
    Wide,     // 16 bits; a field that does not scan repeats the last wide value
    Byte,     // its low byte only (dialects with narrow stores)
    Word,     // 32 bits, whose surplus the following fields overwrite
    Operator, // the index of its text in the operator list of its kind
};

struct QuickField {
    std::uint8_t offset;
    Store store;
    bool hex;               // scanned as hexadecimal
    std::uint8_t operators; // Operator: its kind, the index of its list in QuickTables
    std::int32_t low, high; // the values it holds as printed
    std::uint32_t bytes;    // Wide, Byte, Word: its bytes in the four at its offset
};

// The fields that compiling scans for one opcode, when all are numbers or
// operators.
struct QuickForm {
    bool usable = false;
    std::uint8_t count = 0;
    QuickField fields[kFieldSlots] = {};
};

using QuickForms = std::array<QuickForm, 256>;

constexpr int kCodeBytes = static_cast<int>(sizeof ScriptContext::code);

// Rows 0x00 to 0x8F by name, each name at its first row only: a slot holds
// the row + 1, or 0 when empty. Names are told apart by their length first.
constexpr std::size_t kSlots = 1024;
struct NameIndex {
    std::uint8_t row[kSlots] = {};
    std::string_view name[kSlots];
    std::uint64_t head[kSlots] = {}, tail[kSlots] = {};
};

std::size_t Slot(std::string_view word) {
    const std::size_t n = word.size();
    if (n == 0) return 0;
    const auto at = [&](std::size_t i) {
        return static_cast<std::size_t>(static_cast<unsigned char>(word[i]));
    };
    return (n * 0xD93 + at(0) * 0xBC7 + at(n - 1) * 0xB09 + at(n / 2) * 0x133) % kSlots;
}

// Names of up to 16 characters are also held as two words: the first 8
// bytes (those there are, zero-extended) and the last 8 (the first word when
// there are no more than 8). A word that has room after it is compared in
// the same two words, without a test on its length.
std::uint64_t FirstWord(const char* text, std::size_t size) {
    std::uint64_t v = 0;
    std::memcpy(&v, text, std::min<std::size_t>(size, 8));
    return v;
}
std::uint64_t LastWord(const char* text, std::size_t size) {
    if (size <= 8) return FirstWord(text, size);
    std::uint64_t v;
    std::memcpy(&v, text + size - 8, 8);
    return v;
}

bool SameName(const NameIndex& index, std::size_t slot, std::string_view word, bool padded) {
    const std::size_t n = word.size();
    if (index.name[slot].size() != n) return false;
    if (!padded || n == 0 || n > 16) return index.name[slot] == word;
    std::uint64_t head, tail;
    std::memcpy(&head, word.data(), 8);
    std::memcpy(&tail, word.data() + (n > 8 ? n - 8 : 0), 8);
    head &= ~std::uint64_t{0} >> (8 * (8 - std::min<std::size_t>(n, 8)));
    return head == index.head[slot] && (n > 8 ? tail : head) == index.tail[slot];
}

// The operator texts of one kind of field, in the order of their codes.
struct OperatorList {
    std::uint8_t count = 0;
    std::string_view text[16];
};
static_assert(std::all_of(std::begin(kKindRows), std::end(kKindRows),
                          [](const KindRow& r) { return r.scanned <= 16; }));

struct QuickTables {
    QuickForms forms;
    NameIndex names;
    OperatorList operators[kKinds]; // the texts that scan back, by kind
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
            index.head[slot] = FirstWord(name.data(), name.size());
            index.tail[slot] = LastWord(name.data(), name.size());
        }
    }
    for (int k = 0; k < kKinds; ++k) {
        OperatorList& list = tables->operators[k];
        for (; list.count < kKindRows[k].scanned; ++list.count)
            list.text[list.count] = kKindRows[k].operators[list.count];
    }
    for (int op = 0; op < 256; ++op) {
        const Form& form = *d.forms[op];
        QuickForm& q = tables->forms[static_cast<std::size_t>(op)];
        q.usable = form.special == Special::None;
        const int size = d.Size(static_cast<std::uint8_t>(op));
        for (const Field& f : AppliedFields(form, size, FieldWalk::Scanned)) {
            if (!q.usable) break;
            // Stores go through the four bytes at the field's offset.
            if (RowOf(f.kind).subPrefix || f.offset + 4 > kCodeBytes) q.usable = false;
            const Store store = IsOperator(f.kind) ? Store::Operator
                                : IsWide(f.kind)   ? Store::Wide
                                : d.narrowStores   ? Store::Byte
                                                   : Store::Word;
            q.fields[q.count++] = QuickField{f.offset,
                                             store,
                                             ScansHex(f.kind),
                                             static_cast<std::uint8_t>(f.kind),
                                             RangeOf(f.kind).low,
                                             RangeOf(f.kind).high,
                                             store == Store::Wide   ? 0xFFFFu
                                             : store == Store::Byte ? 0xFFu
                                                                    : 0xFFFFFFFFu};
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

// The value of 1 to 8 decimal digits at `p`, of which 8 bytes can be read,
// in one step: false when one of them is not a digit.
bool EightDigits(const char* p, std::size_t count, std::uint32_t& value) {
    std::uint64_t x;
    std::memcpy(&x, p, 8);
    // The digits to the top, "0"s below them (the first byte is the lowest).
    const unsigned pad = 8 * static_cast<unsigned>(8 - count);
    x = (x << pad) | (0x3030303030303030ull & ~(~std::uint64_t{0} << pad));
    const std::uint64_t d = x - 0x3030303030303030ull;
    if ((x & 0xF0F0F0F0F0F0F0F0ull) != 0x3030303030303030ull ||
        ((d + 0x0606060606060606ull) & 0xF0F0F0F0F0F0F0F0ull) != 0)
        return false;
    // Pairs, then fours, then the eight digits.
    const std::uint64_t pairs = d * 10 + (d >> 8);
    value = static_cast<std::uint32_t>(
        ((pairs & 0x000000FF000000FFull) * (100 + (1000000ull << 32)) +
         ((pairs >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32))) >>
        32);
    return true;
}

// The value of a token made of a sign and up to 8 hex or 9 decimal digits
// only ("0x" before hex digits), as the general scan reads it; false for
// every other token, which the general scan then reads. With `padded`, 8
// bytes can be read from anywhere in the token.
bool QuickNumber(std::string_view t, bool hex, bool padded, std::int32_t& value) {
    const char* p = t.data();
    const char* const end = p + t.size();
    if (p == end) return false;
    const bool negative = *p == '-';
    p += negative || *p == '+';
    std::uint32_t v = 0;
    if (hex) {
        if (end - p >= 2 && p[0] == '0' && (p[1] | 0x20) == 'x') p += 2;
        if (p == end || end - p > 8) return false;
        for (; p != end; ++p) {
            const std::uint32_t d = kHexDigits.of[static_cast<unsigned char>(*p)];
            if (d > 15) return false;
            v = v * 16 + d;
        }
    } else {
        const std::size_t count = static_cast<std::size_t>(end - p);
        if (count == 0 || count > 9) return false;
        if (padded && count <= 8) {
            if (!EightDigits(p, count, v)) return false;
        } else {
            for (; p != end; ++p) {
                const std::uint32_t d =
                    static_cast<std::uint32_t>(static_cast<unsigned char>(*p)) - '0';
                if (d > 9) return false;
                v = v * 10 + d;
            }
        }
    }
    // Negated without a test: (v ^ -1) + 1 is -v.
    const std::uint32_t sign = 0u - static_cast<std::uint32_t>(negative);
    value = static_cast<std::int32_t>((v ^ sign) - sign);
    return true;
}

// The code of an operator text, or -1.
int OperatorCode(const OperatorList& list, std::string_view text) {
    for (int i = 0; i < list.count; ++i)
        if (list.text[i] == text) return i;
    return -1;
}

} // namespace

bool QuickScanFields(ScriptContext& ctx, const Form& form) {
    const QuickTables& tables = TablesOf(*ctx.dialect);
    const QuickForm& q = tables.forms[ctx.opcode];
    if (!q.usable) return false;
    const bool listening = ctx.listener != nullptr;
    // Tokens in the reader's buffer have room after them.
    static_assert(kReadableFromToken >= 8, "numbers are read 8 bytes at a time");
    const bool padded = !ctx.lineCopied;
    const int first = form.firstToken;
    const int live = std::min(ctx.tokenCount, ctx.liveTokens);
    // A missing argument is reported by ScanFields.
    if (listening && first + q.count > live) return false;
    for (int i = 0; i < form.presetCount; ++i)
        ctx.code[form.presets[i].offset] = form.presets[i].value;
    const std::string_view* const tokens = ctx.tokens.data();
    std::int32_t work = 0;
    for (int i = 0; i < q.count; ++i) {
        const QuickField& f = q.fields[i];
        const int t = first + i;
        std::uint8_t* const at = ctx.code + f.offset;
        if (t >= live) {
            if (f.store == Store::Wide) {
                at[0] = static_cast<std::uint8_t>(work & 0xFF);
                at[1] = static_cast<std::uint8_t>((work >> 8) & 0xFF);
            }
            continue;
        }
        const std::string_view text = tokens[t];
        if (f.store == Store::Operator) {
            const int code = OperatorCode(tables.operators[f.operators], text);
            if (code >= 0)
                at[0] = static_cast<std::uint8_t>(code);
            else if (listening)
                return false; // a bad operator
            continue;
        }
        std::int32_t value = 0;
        bool scanned = QuickNumber(text, f.hex, padded, value);
        if (!scanned) {
            bool overflow = false;
            const auto general = f.hex ? ScanHex(text, &overflow) : ScanDecimal(text, &overflow);
            if (listening && (!general || overflow)) return false;
            scanned = general.has_value();
            if (general) value = *general;
        }
        if (listening && (value < f.low || value > f.high)) return false;
        // A wide field that does not scan repeats the last wide value; the
        // others then keep their bytes. The four bytes at the field are
        // written back with its own bytes changed (little-endian).
        // (Masks instead of tests: which way a field goes follows no pattern.)
        const std::uint32_t wide = 0u - static_cast<std::uint32_t>(f.store == Store::Wide);
        const std::uint32_t took = 0u - static_cast<std::uint32_t>(scanned);
        const std::uint32_t number = static_cast<std::uint32_t>(value);
        work = static_cast<std::int32_t>((number & wide & took) |
                                         (static_cast<std::uint32_t>(work) & ~(wide & took)));
        const std::uint32_t bytes = f.bytes & (took | wide);
        const std::uint32_t v = (static_cast<std::uint32_t>(work) & wide) | (number & ~wide);
        const std::uint32_t was =
            static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
            static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
        const std::uint32_t now = (was & ~bytes) | (v & bytes);
        at[0] = static_cast<std::uint8_t>(now);
        at[1] = static_cast<std::uint8_t>(now >> 8);
        at[2] = static_cast<std::uint8_t>(now >> 16);
        at[3] = static_cast<std::uint8_t>(now >> 24);
    }
    if (listening && form.fieldCount > 0) {
        int rest = ctx.liveTokens;
        const int token = first + q.count;
        while (rest > token && tokens[rest - 1] == "{") --rest;
        if (rest > token) return false; // surplus arguments
    }
    return true;
}

int QuickInstructionOf(const ScriptContext& ctx) {
    const std::string_view word = ctx.tokens[0];
    if (word == "goto" || word == "return") return InstructionOf(ctx);
    const NameIndex& index = TablesOf(*ctx.dialect).names;
    // Tokens in the reader's buffer have room after them.
    static_assert(kReadableFromToken >= 8, "names are read 8 bytes at a time");
    const bool padded = !ctx.lineCopied;
    for (std::size_t slot = Slot(word); index.row[slot] != 0; slot = (slot + 1) % kSlots)
        if (SameName(index, slot, word, padded)) return index.row[slot] - 1;
    return -1;
}

} // namespace quillon::detail
