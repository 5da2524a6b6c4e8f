// What a listener is told of a small text: its tokens with their roles, its
// arguments with their places and values, its blocks and functions when
// they end, and the length of the token at fault in a message.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "codec/exact/exact.h"
#include "codec/exact/listener.h"

namespace {

using namespace quillon::exact;
using quillon::Meaning;

std::string Where(const Span& s) {
    return std::to_string(s.line) + ":" + std::to_string(s.column) + "+" + std::to_string(s.length);
}

struct Recorder : Listener {
    std::vector<std::string> events;
    void Token(const TokenEvent& t) override {
        events.push_back("token " + Where(t.span) + " " + std::string(t.text) + " " +
                         std::to_string(static_cast<int>(t.role)) + (t.definition ? " def" : ""));
    }
    void Argument(const ArgumentEvent& a) override {
        events.push_back("argument " + Where(a.span) + " op " + std::to_string(a.opcode) + " #" +
                         std::to_string(a.index) + " @" + std::to_string(a.offset) + " " +
                         (a.known ? std::to_string(a.value) : "?") + " place " +
                         std::to_string(static_cast<int>(a.meaning)) + " name " +
                         std::to_string(static_cast<int>(a.valueMeaning)));
    }
    void Function(const FunctionEvent& f) override {
        events.push_back("function " + Where(f.name) + " #" + std::to_string(f.index) + " " +
                         std::to_string(f.firstLine) + "-" + std::to_string(f.lastLine));
    }
    void Block(const BlockEvent& b) override {
        events.push_back("block " + Where(b.keyword) + " " + std::to_string(b.firstLine) + "-" +
                         std::to_string(b.lastLine));
    }
};

std::string Role(TokenRole r) {
    return std::to_string(static_cast<int>(r));
}
std::string M(Meaning m) {
    return std::to_string(static_cast<int>(m));
}

TEST(ExactEvents, ASmallTextToldWhole) {
    const std::string text = "// quillon exact\n"
                             "#include <bio2.h>\n"
                             "int Sub00(void) {\n"
                             "\tif(Ck(FG_ROOM, 5, 1)) {\n"
                             "\t\tSleep(10 + 20, 1);\n"
                             "\t}\n"
                             "\tEvt_exec(255, I_GOSUB, Sub01);\n"
                             "\tSleep(SAT_PL | SAT_FRONT, 0);\n"
                             "}\n"
                             "int Sub01(void) {\n"
                             "L1:\n"
                             "\tgoto L1;\n"
                             "}\n";
    Recorder r;
    CompileOptions options;
    options.listener = &r;
    std::string chunk;
    ASSERT_TRUE(CompileChunk(text, chunk, {}, options));
    const std::string instruction = Role(TokenRole::Instruction), number = Role(TokenRole::Number);
    const std::vector<std::string> expected = {
        "token 3:5+5 Sub00 " + Role(TokenRole::Function) + " def",
        "token 4:2+2 if " + Role(TokenRole::Keyword),
        "token 4:5+2 Ck " + instruction,
        "token 4:8+7 FG_ROOM " + Role(TokenRole::Builtin),
        "argument 4:8+7 op 33 #0 @1 5 place " + M(Meaning::FlagGroup) + " name " +
            M(Meaning::FlagGroup),
        "token 5:9+2 10 " + number,
        "token 5:12+1 + " + Role(TokenRole::Operator),
        "token 5:14+2 20 " + number,
        "argument 5:9+7 op 9 #0 @2 30 place 0 name 0",
        "argument 5:18+1 op 9 #1 @1 1 place 0 name 0",
        "block 4:2+2 4-6",
        "argument 7:25+5 op 4 #2 @3 ? place " + M(Meaning::Procedure) + " name " +
            M(Meaning::Procedure),
        "argument 8:8+18 op 9 #0 @2 33 place 0 name " + M(Meaning::SatBits),
        "function 3:5+5 #0 3-9",
        "token 11:1+2 L1 " + Role(TokenRole::Label) + " def",
        "token 12:7+2 L1 " + Role(TokenRole::Label),
        "function 10:5+5 #1 10-13",
    };
    // In this order, among the others.
    auto at = r.events.begin();
    for (const std::string& e : expected) {
        at = std::find(at, r.events.end(), e);
        ASSERT_NE(at, r.events.end()) << e;
    }
}

TEST(ExactEvents, AMessageHasTheLengthOfItsToken) {
    int length = -1;
    std::string chunk;
    EXPECT_FALSE(CompileChunk("int Sub00(void) {\n\tSleep(20abc, 1);\n}\n", chunk,
                              [&](const Message& m) { length = m.length; }));
    EXPECT_EQ(length, 5);
}

} // namespace
