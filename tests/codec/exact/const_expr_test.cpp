// Constant expressions: C's precedence and associativity, the argument's
// subset against the whole "#if" grammar, names and "defined", and each
// fault at its place.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "codec/exact/const_expr.h"

namespace {

using namespace quillon::exact;

ConstExprOptions Options(bool conditional) {
    ConstExprOptions o;
    o.conditional = conditional;
    o.lookup = [](std::string_view name, std::int64_t& v) {
        if (name == "TEN")
            v = 10;
        else if (name == "BIT")
            v = 0x40;
        else
            return false;
        return true;
    };
    o.defined = [](std::string_view name) { return name == "TEN"; };
    return o;
}

struct Good {
    const char* text;
    std::int64_t value;
    bool conditional; // needs the "#if" grammar
};

TEST(ConstExpr, ValuesAsC) {
    const Good cases[] = {
        {"10", 10, false},
        {"0x1F", 31, false},
        {"1 + 2 * 3", 7, false},
        {"(1 + 2) * 3", 9, false},
        {"10 - 3 - 2", 5, false},
        {"100 / 10 / 5", 2, false},
        {"-7 / 2", -3, false},
        {"-7 % 3", -1, false},
        {"1 << 4 | 1", 17, false},
        {"0x10|1", 17, false},
        {"6 & 3 ^ 1", 3, false},
        {"1 | 6 & 3", 3, false},
        {"- -5", 5, false},
        {"~0", -1, false},
        {"!0 + !7", 1, false},
        {"+3", 3, false},
        {"-16 >> 2", -4, false},
        {"TEN * 2 + BIT", 84, false},
        {"'A' + 1", 66, false},
        {"'\\n'", 10, false},
        {"2147483647", 2147483647, false},
        {"-2147483647 - 1", -2147483647 - 1, false},
        {"1 < 2 == 1", 1, true},
        {"3 >= 4 || 2 != 2", 0, true},
        {"1 && 2", 1, true},
        {"0 ? 1 : 2 ? 3 : 4", 3, true},
        {"defined(TEN) && !defined OTHER", 1, true},
        {"0 && 1 / 0", 0, true},
        {"1 || 1 % 0", 1, true},
        {"1 ? 5 : 1 / 0", 5, true},
    };
    for (const Good& c : cases) {
        for (const bool conditional : {false, true}) {
            if (c.conditional && !conditional) continue;
            std::int64_t v = 0;
            ConstExprError e;
            EXPECT_TRUE(EvaluateConstExpr(c.text, Options(conditional), v, e))
                << c.text << ": " << e.reason;
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

struct Bad {
    const char* text;
    std::size_t at;
    const char* reason;
    bool conditional;
};

TEST(ConstExpr, FaultsAtTheirPlace) {
    const Bad cases[] = {
        {"0x", 0, "malformed number '0x'", false},
        {"20abc", 0, "malformed number '20abc'", false},
        {"1e3", 0, "malformed number '1e3'", false},
        {"1 + 09z", 4, "malformed number '09z'", false},
        {"1 / 0", 2, "division by zero", false},
        {"5 % (2 - 2)", 2, "remainder of a division by zero", false},
        {"2147483647 + 1", 11, "'+' overflows (past 32-bit signed)", false},
        {"65536 * 65536", 6, "'*' overflows (past 32-bit signed)", false},
        {"4294967296", 0, "'4294967296' overflows (past 32-bit signed)", false},
        {"1 << 32", 2, "a shift by 32 (0 to 31 are shifts)", false},
        {"1 +", 3, "a value is missing at the end", false},
        {"* 2", 0, "a value is missing before '*'", false},
        {"(1 + 2", 0, "'(' without its ')'", false},
        {"1 + 2)", 5, "')' without its '('", false},
        {"1 2", 2, "'2' left over after the expression", false},
        {"NOPE + 1", 0, "unknown name 'NOPE'", false},
        {"1 && 2", 2, "the operator '&&' is not taken here", false},
        {"1 < 2", 2, "the operator '<' is not taken here", false},
        {"1 ? 2 : 3", 2, "the operator '?' is not taken here", false},
        {"1 = 2", 2, "'=' is no operator or value", false},
        {"1 ? 2", 5, "':' expected after '?' and its value", true},
        {"defined(1)", 8, "'defined' takes a name", true},
        {"'ab'", 0, "malformed character constant 'ab'", false},
    };
    for (const Bad& c : cases) {
        std::int64_t v = 0;
        ConstExprError e;
        EXPECT_FALSE(EvaluateConstExpr(c.text, Options(c.conditional), v, e)) << c.text;
        EXPECT_EQ(e.at, c.at) << c.text;
        EXPECT_EQ(e.reason, c.reason) << c.text;
    }
}

TEST(ConstExpr, NumbersReadWhole) {
    std::int64_t v = 0;
    bool ok = false;
    EXPECT_EQ(ReadNumber("0xff,", v, ok), 4u);
    EXPECT_TRUE(ok);
    EXPECT_EQ(v, 255);
    EXPECT_EQ(ReadNumber("12.5)", v, ok), 4u);
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadNumber("x1", v, ok), 0u);
}

} // namespace
