// Each number kind's row against the conversion that it stands for: every
// value of a field of the kind prints as that printf format prints it and
// scans back to its bytes through the fields API, and the compiler's range
// reports begin just past the ends of the kind's range.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "codec/classic/diagnostics.h"
#include "codec/classic/fields.h"

using namespace quillon;

namespace {

struct Case {
    Kind kind;
    const char* format;
    bool isSigned;
};
const Case kCases[] = {
    {Kind::U8, "%d", false},      {Kind::S8, "%d", true},          {Kind::X8, "0x%02X", false},
    {Kind::U16, "%d", false},     {Kind::S16, "%d", true},         {Kind::X16, "0x%04X", false},
    {Kind::H16, "0x%02X", false}, {Kind::Addr16, "0x%08X", false}, {Kind::Sub8, "%02d", false},
    {Kind::HexN, "0x%X", false},
};

struct Reports : CompileListener {
    std::vector<Issue> issues;
    void Report(const Diagnostic& d) override { issues.push_back(d.issue); }
};

// The retail dialect with one opcode's line made of one field of `kind` at
// offset 1 and nothing else. (Kept for the program's life: the engine keeps
// what it works out of a dialect by its address.)
const Dialect& OneField(Kind kind, std::uint8_t op) {
    static std::deque<Form> forms;
    static std::deque<Dialect> dialects;
    Form& form = forms.emplace_back();
    form.open = form.close = form.head = "";
    form.fieldCount = 1;
    form.fields[0] = Field{1, kind};
    Dialect& d = dialects.emplace_back(RetailDialect());
    d.forms[op] = &form;
    return d;
}

TEST(CodecFields, EachKindPrintsAndScansAsItsFormat) {
    std::uint8_t op = 0;
    while (RetailDialect().Size(op) < 3 || RetailDialect().forms[op]->special != Special::None)
        ++op;
    for (const Case& c : kCases) {
        SCOPED_TRACE(RowOf(c.kind).label);
        const Dialect& d = OneField(c.kind, op);
        Reports reports;
        ScriptContext ctx(d);
        ctx.compiling = 1;
        ctx.listener = &reports;
        const auto scan = [&](const std::string& text) {
            ctx.tokens = {"w", text};
            ctx.tokenCount = ctx.liveTokens = 2;
            std::memset(ctx.code, 0, sizeof ctx.code);
            ctx.opcode = ctx.code[0] = op;
            ScanInstruction(ctx);
        };
        const bool wide = WidthOf(c.kind) == 2;
        for (int v = 0; v < (wide ? 0x10000 : 0x100); ++v) {
            const std::uint8_t code[4] = {op, static_cast<std::uint8_t>(v),
                                          static_cast<std::uint8_t>(v >> 8), 0};
            const int value = !c.isSigned ? v
                              : wide      ? static_cast<std::int16_t>(v)
                                          : static_cast<std::int8_t>(v);
            char expected[16];
            std::snprintf(expected, sizeof expected, c.format, value);
            std::string text;
            AppendInstruction(PlanOf(d), code, text);
            ASSERT_EQ(text, expected) << v;
            for (const std::string& back : {text, RowOf(c.kind).subPrefix ? "Sub" + text : text}) {
                scan(back);
                ASSERT_EQ(ctx.code[1] | (wide ? ctx.code[2] << 8 : 0), v) << back;
            }
        }
        EXPECT_TRUE(reports.issues.empty());
        // Just past each end of the range (hexadecimal kinds start at 0).
        const KindRange range = RangeOf(c.kind);
        char past[16];
        std::snprintf(past, sizeof past, ScansHex(c.kind) ? "0x%X" : "%d", range.high + 1);
        scan(past);
        if (!ScansHex(c.kind)) scan(std::to_string(range.low - 1));
        EXPECT_EQ(reports.issues, std::vector<Issue>(ScansHex(c.kind) ? 1 : 2, Issue::OutOfRange));
    }
}

} // namespace
