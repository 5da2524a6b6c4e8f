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
};

// The fields that compiling scans for one opcode, when all are numbers.
struct QuickForm {
    bool usable = false;
    std::uint8_t count = 0;
    QuickField fields[kMaxFields] = {};
};

using QuickForms = std::array<QuickForm, 256>;

std::unique_ptr<QuickForms> MakeQuickForms(const Dialect& d) {
    auto forms = std::make_unique<QuickForms>();
    for (int op = 0; op < 256; ++op) {
        const Form& form = *d.forms[op];
        QuickForm& q = (*forms)[static_cast<std::size_t>(op)];
        q.usable = form.special == Special::None;
        for (int i = 0; i < form.fieldCount && q.usable; ++i) {
            const Field& f = form.fields[i];
            if (!FieldApplies(f, d.Size(static_cast<std::uint8_t>(op))) || (f.flags & kNoScan))
                continue;
            if (IsOperator(f.kind) || f.kind == Kind::Sub8) q.usable = false;
            q.fields[q.count++] = QuickField{f.offset, f.kind};
        }
    }
    return forms;
}

const QuickForms& QuickFormsOf(const Dialect& d) {
    static const auto retail = MakeQuickForms(RetailDialect());
    static const auto prototype = MakeQuickForms(PrototypeDialect());
    if (&d == &RetailDialect()) return *retail;
    if (&d == &PrototypeDialect()) return *prototype;
    thread_local const Dialect* last = nullptr;
    thread_local std::unique_ptr<QuickForms> other;
    if (last != &d) {
        other = MakeQuickForms(d);
        last = &d;
    }
    return *other;
}

int Digit(char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (!hex) return -1;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

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
    for (; i < t.size(); ++i) {
        const int d = Digit(t[i], hex);
        if (d < 0) return false;
        v = v * (hex ? 16u : 10u) + static_cast<std::uint32_t>(d);
    }
    value = static_cast<std::int32_t>(negative ? 0u - v : v);
    return true;
}

} // namespace

bool QuickScanFields(ScriptContext& ctx, const Form& form) {
    const QuickForm& q = QuickFormsOf(*ctx.dialect)[ctx.opcode];
    if (!q.usable || ctx.dialect->narrowStores) return false;
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
            const bool hex = ScansHex(f.kind);
            scanned = QuickNumber(text, hex, value);
            if (!scanned) {
                bool overflow = false;
                const auto general = hex ? ScanHex(text, &overflow) : ScanDecimal(text, &overflow);
                if (listening && (!general || overflow)) return false;
                scanned = general.has_value();
                if (general) value = *general;
            }
            if (listening && !Fits(f.kind, value)) return false;
        } else if (listening) {
            return false; // a missing argument
        }
        if (IsWide(f.kind)) {
            if (scanned) work = value;
            ctx.code[f.offset] = static_cast<std::uint8_t>(work & 0xFF);
            ctx.code[f.offset + 1] = static_cast<std::uint8_t>((work >> 8) & 0xFF);
        } else if (scanned) {
            const std::uint32_t v = static_cast<std::uint32_t>(value);
            for (int k = 0; k < 4; ++k)
                ctx.code[f.offset + k] = static_cast<std::uint8_t>(v >> (8 * k));
        }
    }
    if (listening && form.fieldCount > 0) {
        int rest = ctx.liveTokens;
        while (rest > token && ctx.tokens[static_cast<std::size_t>(rest - 1)] == "{") --rest;
        if (rest > token) return false; // surplus arguments
    }
    return true;
}

} // namespace quillon::detail
