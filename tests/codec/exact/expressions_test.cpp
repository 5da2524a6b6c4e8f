// Expressions in exact arguments: C's precedence and associativity, unary
// operators, parentheses and names give the bytes worked out by hand; each
// malformed argument is an error at its place; random expressions give what
// an evaluator written here gives.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "codec/exact/exact.h"
#include "testkit/codec_support.h"

namespace {

using codec_test::Hex;
using namespace quillon;

// The text of one instruction line in a function of its own (line 4).
std::string Text(const std::string& line) {
    return "// quillon exact\n#include <bio2.h>\nint Sub00(void) {\n\t" + line + "\n}\n";
}

bool Compile(const std::string& line, std::string& chunk, std::vector<std::string>& messages) {
    messages.clear();
    return exact::CompileChunk(Text(line), chunk, [&](const exact::Message& m) {
        messages.push_back(std::to_string(m.line) + ":" + std::to_string(m.column) + ": " +
                           (m.error ? "error: " : "warning: ") + m.text);
    });
}

// Sleep(a, b) is 09, b, then a in 16 bits; Cmp(l op r, x) is 23, x, l, op,
// r in 16 bits; Calc(l op r, x) is 26, x, op, l, r in 16 bits.
TEST(ExactExpressions, BytesAsCWorksThemOut) {
    const struct {
        const char* line;
        const char* bytes;   // after the table's "02 00"
        const char* warning; // the first message, or null
    } cases[] = {
        {"Sleep(10 + 20 * 2, 1);", "09 01 32 00", nullptr},
        {"Sleep((10 + 20) * 2, 1);", "09 01 3C 00", nullptr},
        {"Sleep(100 - 10 - 5, 64 / 4 / 2);", "09 08 55 00", nullptr},
        {"Sleep(1 << 2 + 1, 7 % 4 * 3);", "09 09 08 00", nullptr},
        {"Sleep(0x10|1, 16|1);", "09 11 11 00", nullptr},
        {"Sleep(6 & 3 ^ 1 | 8, ~0 & 0xFF);", "09 FF 0B 00", nullptr},
        {"Sleep(-(-300), !0 + !5);", "09 01 2C 01", nullptr},
        {"Sleep(0xFFFF - 0, 254 + 1);", "09 FF FF FF", nullptr},
        {"Sleep(ID_AOT_5 + 1, SAT_PL | SAT_FRONT);", "09 21 06 00", nullptr},
        {"Sleep(FG_ROOM * (I_GOSUB >> 3) /* a, comment */, 'A');", "09 41 0F 00", nullptr},
        {"Cmp(-(0x80) >= (32766 + 1), 2);", "23 02 80 02 FF 7F", nullptr},
        {"Cmp(-(0x81) = 0, 0);", "23 00 7F 00 00 00",
         "4:6: warning: argument 1 of 'Cmp': -(0x81) (-129) does not fit (-128 to 127)"},
        {"Calc(V_07 + (2 * 3), 0);", "26 00 00 07 06 00", nullptr},
        {"Calc(7 && 0xBFFF, 0);", "26 00 06 07 FF BF", nullptr},
        {"Sleep(65535 + 1, 255);", "09 FF 00 00",
         "4:8: warning: argument 1 of 'Sleep': 65535 + 1 (65536) does not fit (0 to 65535)"},
        {"Sleep(0, 255 + 1);", "09 00 00 00",
         "4:11: warning: argument 2 of 'Sleep': 255 + 1 (256) does not fit (0 to 255)"},
        {"Cmp(0 = -(32768), 0);", "23 00 00 00 00 80", nullptr},
        {"Cmp(0 = (-32768 - 1), 0);", "23 00 00 00 FF 7F",
         "4:10: warning: argument 3 of 'Cmp': (-32768 - 1) (-32769) does not fit (-32768 to "
         "32767)"},
        {"for(n = 0; n < 2 * 3; n++) {\n\t}", "0D 00 02 00 06 00 0E 00", nullptr},
        {"Calc(V_07 | 5, 0);", "26 00 05 07 05 00", nullptr},
        {"Calc(V_07 || 5, 0);", "26 00 05 07 05 00", nullptr},
        {"Calc(V_07 & (1 | 4), 0);", "26 00 06 07 05 00", nullptr},
        {"if(Calc(V_07 & 5, 0) && Ck(FG_ROOM, 5, 1)) {\n\t}",
         "06 00 0C 00 26 00 06 07 05 00 21 05 05 01 08 00", nullptr},
    };
    for (const auto& c : cases) {
        std::string chunk;
        std::vector<std::string> messages;
        ASSERT_TRUE(Compile(c.line, chunk, messages)) << c.line << ": " << messages[0];
        EXPECT_EQ(Hex(chunk), std::string("02 00 ") + c.bytes) << c.line;
        if (c.warning) {
            ASSERT_FALSE(messages.empty()) << c.line;
            EXPECT_EQ(messages[0].substr(0, std::string(c.warning).size()), c.warning);
        } else {
            EXPECT_TRUE(messages.empty()) << c.line << ": " << messages[0];
        }
    }
}

TEST(ExactExpressions, MalformedArgumentsAreErrorsAtTheirPlace) {
    const struct {
        const char* line;
        const char* message;
    } cases[] = {
        {"Sleep(0x, 1);", "4:8: error: malformed number '0x'"},
        {"Sleep(20abc, 1);", "4:8: error: malformed number '20abc'"},
        {"Sleep(1e3, 1);", "4:8: error: malformed number '1e3'"},
        {"Sleep(1, 10+20abc);", "4:14: error: malformed number '20abc'"},
        {"Sleep(1 && 2, 1);", "4:10: error: the operator '&&' is not taken here"},
        {"Sleep(1 < 2, 1);", "4:10: error: the operator '<' is not taken here"},
        {"Sleep(1 / (2 - 2), 1);", "4:10: error: division by zero"},
        {"Sleep(2147483647 + 1, 1);", "4:19: error: '+' overflows (past 32-bit signed)"},
        {"Sleep(FG_ROO + 1, 1);", "4:8: error: unknown name 'FG_ROO'; did you mean 'FG_ROOM'?"},
        {"Sleep((1 + 2, 1);", "4:8: error: '(' without its ')'"},
        {"Sleep(1 +, 1);", "4:11: error: a value is missing at the end"},
        {"Sleep(1 + 1, 2) x;", "4:18: error: 'x' left over after the arguments of 'Sleep'"},
        {"Sleep(0 10);", "4:10: error: '10' left over after the expression"},
        {"Cmp(V_07 < 1 + 1, 0);", "4:15: error: after '<', one term"},
        {"for(n = 0; n < 1e3; n++) {\n\t}", "4:17: error: malformed number '1e3'"},
    };
    for (const auto& c : cases) {
        std::string chunk;
        std::vector<std::string> messages;
        EXPECT_FALSE(Compile(c.line, chunk, messages)) << c.line;
        ASSERT_FALSE(messages.empty()) << c.line;
        EXPECT_EQ(messages[0].substr(0, std::string(c.message).size()), c.message) << c.line;
    }
}

// Calc's OR and AND print as C spells them, and a goto with the usual bytes
// as its label alone; each line compiles back to its bytes.
TEST(ExactExpressions, CalcAndGotoPrintAsC) {
    const std::string chunk =
        codec_test::H("02 00 26 00 05 07 05 00 26 00 06 07 05 00 17 FF FF 00 F4 FF 17 FF FF 01 "
                      "EE FF");
    for (const exact::PrintOptions& options : {exact::PrintOptions{}, {.numbers = true}}) {
        std::string text, reason, again;
        ASSERT_TRUE(exact::DisassembleChunk(chunk, text, reason, options)) << reason;
        const char* v07 = options.numbers ? "7" : "V_07";
        for (const std::string& line :
             {"\tCalc(" + std::string(v07) + " | 5, 0);\r\n",
              "\tCalc(" + std::string(v07) + " & 5, 0);\r\n", std::string("\tgoto L0002;\r\n"),
              std::string("\tgoto(L0002, 255, 255, 1);\r\n")})
            EXPECT_NE(text.find(line), std::string::npos) << line << text;
        ASSERT_TRUE(exact::CompileChunk(text, again, {}));
        EXPECT_EQ(Hex(again), Hex(chunk));
    }
    std::string out;
    std::vector<std::string> messages;
    for (const char* line : {"goto(L0001);", "goto L0001 0;"}) {
        EXPECT_FALSE(Compile(std::string("L0001:\n\t") + line, out, messages));
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages[0], "5:7: error: a goto takes its label and three bytes, as in "
                               "'goto(L0132, 255, 255, 0);', or its label alone for those "
                               "bytes, as in 'goto L0132;'");
    }
}

// Random expressions over numbers and names, printed with the parentheses
// that C's precedence needs and no more, against a tree evaluated here: the
// compiler gives the same value, or an error exactly where the tree meets
// division by zero, a shift out of range or an overflow.
class Tree {
  public:
    explicit Tree(std::mt19937& random) : random_(random) {}

    struct Result {
        std::string text;
        int precedence; // of its top operator (99: a term)
        std::int64_t value;
        bool fails;
    };

    Result Make(int depth) {
        std::uniform_int_distribution<int> pick(0, 99);
        if (depth == 0 || pick(random_) < 25) return Term();
        if (pick(random_) < 15) {
            static const char* const kUnary[] = {"-", "~", "!", "+"};
            const char* op = kUnary[pick(random_) % 4];
            Result r = Make(depth - 1);
            const std::int64_t v = op[0] == '-'   ? -r.value
                                   : op[0] == '~' ? ~r.value
                                   : op[0] == '!' ? !r.value
                                                  : r.value;
            return {op + Wrap(r, 99), 98, v, r.fails || Out(v)};
        }
        static const struct {
            const char* text;
            int precedence;
        } kBinary[] = {{"*", 10}, {"/", 10}, {"%", 10}, {"+", 9}, {"-", 9},
                       {"<<", 8}, {">>", 8}, {"&", 5},  {"^", 4}, {"|", 3}};
        const auto& op = kBinary[pick(random_) % 10];
        Result l = Make(depth - 1), r = Make(depth - 1);
        bool fails = l.fails || r.fails;
        std::int64_t v = 0;
        const std::string o = op.text;
        if ((o == "/" || o == "%") && r.value == 0)
            fails = true;
        else if ((o == "<<" || o == ">>") && (r.value < 0 || r.value > 31))
            fails = true;
        else if (o == "*")
            v = l.value * r.value;
        else if (o == "/")
            v = l.value / r.value;
        else if (o == "%")
            v = l.value % r.value;
        else if (o == "+")
            v = l.value + r.value;
        else if (o == "-")
            v = l.value - r.value;
        else if (o == "<<")
            v = l.value * (std::int64_t{1} << r.value);
        else if (o == ">>")
            v = l.value >> r.value;
        else if (o == "&")
            v = l.value & r.value;
        else if (o == "^")
            v = l.value ^ r.value;
        else
            v = l.value | r.value;
        // Left to right: the right side of the same precedence needs its
        // parentheses.
        return {Wrap(l, op.precedence) + " " + o + " " + Wrap(r, op.precedence + 1), op.precedence,
                v, fails || Out(v)};
    }

  private:
    static bool Out(std::int64_t v) { return v < INT32_MIN || v > INT32_MAX; }
    static std::string Wrap(const Result& r, int needed) {
        return r.precedence < needed ? "(" + r.text + ")" : r.text;
    }
    Result Term() {
        static const struct {
            const char* text;
            std::int64_t value;
        } kTerms[] = {{"0", 0},        {"1", 1},          {"7", 7},        {"0x1F", 31},
                      {"300", 300},    {"65535", 65535},  {"ID_AOT_3", 3}, {"FG_ROOM", 5},
                      {"I_GOSUB", 24}, {"SAT_FRONT", 32}, {"'A'", 65}};
        const auto& t = kTerms[std::uniform_int_distribution<int>(0, 10)(random_)];
        return {t.text, 99, t.value, false};
    }
    std::mt19937& random_;
};

TEST(ExactExpressions, RandomExpressionsAgreeWithAnEvaluatorHere) {
    std::mt19937 random(28);
    Tree tree(random);
    int failures = 0;
    for (int i = 0; i < 400; ++i) {
        const Tree::Result r = tree.Make(4);
        const std::string line = "Sleep((" + r.text + ") & 0xFFFF, 0);";
        std::string chunk;
        std::vector<std::string> messages;
        const bool ok = Compile(line, chunk, messages);
        ASSERT_EQ(ok, !r.fails) << line << (messages.empty() ? "" : "\n" + messages[0]);
        if (!ok) {
            ++failures;
            continue;
        }
        const std::uint32_t v = static_cast<std::uint32_t>(r.value) & 0xFFFF;
        char want[32];
        std::snprintf(want, sizeof want, "02 00 09 00 %02X %02X", v & 0xFF, v >> 8);
        EXPECT_EQ(Hex(chunk), want) << line;
    }
    // Both ways are met.
    EXPECT_GT(failures, 20);
    EXPECT_LT(failures, 200);
}

} // namespace
