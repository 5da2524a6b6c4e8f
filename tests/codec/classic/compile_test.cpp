// The compiler's line loop: lines, comments, keyword lines and the lookup
// of instructions by name.
#include <gtest/gtest.h>

#include <string>

#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "testkit/codec_support.h"

using namespace quillon;
using namespace codec_test;

namespace {

std::string Compiled(ScriptContext& ctx, std::string_view source) {
    return Hex(CompileBuffer(ctx, source));
}

TEST(CodecCompile, DisassemblersOwnOutputCompilesBack) {
    ScriptContext ctx(RetailDialect());
    const std::string bytes = H("01 05 02 06 00 00 00 21 01 02 03 24 01 14 00 08 00 28");
    const std::string text = DisassembleBuffer(ctx, bytes, "room100");
    ScriptContext compiler(RetailDialect());
    EXPECT_EQ(Hex(CompileBuffer(compiler, text)), Hex(bytes));
    // The final "}" has no CR after it and is dropped; with a CR it would be a "}".
    EXPECT_EQ(Compiled(compiler, text + "\r\n"), Hex(bytes + H("08 00")));
}

TEST(CodecCompile, OnlyCarriageReturnEndsALine) {
    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(Compiled(ctx, "Evt_next();\nWsleep();\n"), "");
    EXPECT_EQ(Compiled(ctx, "Evt_next();\rWsleep();\r"), "02 0B");
    EXPECT_EQ(Compiled(ctx, "Evt_next();\r\nWsleep();"), "02");
    EXPECT_EQ(Compiled(ctx, ""), "");
}

TEST(CodecCompile, ParenthesisJoinsLinesAndCommentsVanish) {
    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(Compiled(ctx, "Save(1,\r\n20);\r\n"), "24 01 14 00");
    EXPECT_EQ(Compiled(ctx, "Sce_rnd(); // Evt_next();\r\n"), "28");
    EXPECT_EQ(Compiled(ctx, "Sce_rnd(); /* Evt_next(); */ Wsleep();\r\n"), "28");
    EXPECT_EQ(Compiled(ctx, "/* Evt_next(); */ Wsleep();\r\n"), "0B");
    EXPECT_EQ(Compiled(ctx, "Calc(2 / 100)\r\nSce_rnd();\r\n"), "26 00 03 02 64 00 28");
    EXPECT_EQ(Compiled(ctx, "\t\tEvt_next();\r\n"), "02");
}

TEST(CodecCompile, LinesThatAreNoInstructionWriteNothing) {
    ScriptContext ctx(RetailDialect());
    const char* lines[] = {
        "   \r\n",
        "int room100(void) {\r\n",
        "void x\r\n",
        "switch(3) {\r\n",
        "case 2:\r\n",
        "default:\r\n",
        "{\r\n",
        "else {\r\n",
        "label:\r\n",
        "evt_next();\r\n",
        "Foo(1, 2);\r\n",
        "IllegalOpcode();\r\n",
        "// unknown opcode (85) found at 0x00000016\r\n",
    };
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        EXPECT_EQ(Compiled(ctx, line), "");
    }
}

TEST(CodecCompile, KeywordLinesWriteTheirBlockInstructions) {
    const struct {
        const char* source;
        const char* bytes;
    } cases[] = {
        {"if(Ck(1, 2, 3)) {\r\n", "06 00 00 00 21 01 02 03"},
        {"while(Ck(1, 2, 3)) {\r\n", "0F 00 00 00 21 01 02 03"},
        {"do {\r\n", "11 00 00 00"},
        {"if\r\n", "06 00 00 00"},
        {"while\r\n", "0F 00 00 00"},
        {"if if Ck(1, 2, 3)\r\n", "06 00 00 00 06 00 00 00 21 01 02 03"},
        {"while if Ck(1, 2, 3)\r\n", "0F 00 00 00 06 00 00 00 21 01 02 03"},
        {"if(Evt_next()) {\r\n", "06 00 00 00 02"},
        {"if(Cmp(-3 >= 10)) {\r\n", "06 00 00 00 23 00 FD 02 0A 00"},
        {"if(Member_cmp(512 > 5)) {\r\n", "06 00 00 00 3E 00 02 01 05 00"},
        {"if(Foo(1)) {\r\n", "06 00 00 00"},
        {"do Evt_next();\r\n", "11 00 00 00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        ScriptContext ctx(RetailDialect());
        EXPECT_EQ(Compiled(ctx, c.source), c.bytes);
    }
}

TEST(CodecCompile, InstructionsAreFoundByName) {
    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(Compiled(ctx, "nop();\r\n"), "00");
    EXPECT_EQ(Compiled(ctx, "UnknownOpcode();\r\n"), "1E");
    EXPECT_EQ(Compiled(ctx, "Poison_ck();\r\nPoison_clr();\r\n"), "86 87");
    EXPECT_EQ(Compiled(ctx, "Sce_fade_set(1, 2, 3, 4, 5);\r\n"), "53 01 02 03 04 05");
    EXPECT_EQ(Compiled(ctx, "break;\r\n"), "1A 01"); // offset 1 kept from Sce_fade_set
    EXPECT_EQ(Compiled(ctx, "return 3;\r\n"), "01 03");
}

TEST(CodecCompile, EveryNamedRetailRowBelow0x90IsFoundFirst) {
    // Compiling "<name>();" gives the first row of that name.
    const Dialect& d = RetailDialect();
    for (int op = 0; op < 0x90; ++op) {
        const std::string name = d.Name(static_cast<std::uint8_t>(op));
        if (name.find(' ') != std::string::npos || name == "}" || name == "if" || name == "while" ||
            name == "do" || name == "switch" || name == "case" || name == "default")
            continue;
        SCOPED_TRACE(name);
        int first = 0;
        while (d.Name(static_cast<std::uint8_t>(first)) != name) ++first;
        ScriptContext ctx(RetailDialect());
        const std::string bytes = CompileBuffer(ctx, name + "();\r\n");
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(static_cast<unsigned char>(bytes[0]), first);
        EXPECT_EQ(static_cast<int>(bytes.size()), d.Size(static_cast<std::uint8_t>(first)));
    }
}

TEST(CodecCompile, LongLinesAreAcceptedWhole) {
    ScriptContext ctx(RetailDialect());
    const std::string blanks(3000, ' ');
    EXPECT_EQ(Compiled(ctx, "Save(1," + blanks + "20);\r\nSce_rnd();\r\n"), "24 01 14 00 28");
    std::string many = "Evt_chain(1, 2, 3";
    for (int i = 0; i < 2000; ++i) many += ", 9";
    EXPECT_EQ(Compiled(ctx, many + ");\r\nWsleep();\r\n"), "03 01 02 03 0B");
}

TEST(CodecCompile, NulByteEndsTheLine) {
    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(Compiled(ctx, std::string("Sce_rnd\0Evt_next\r\nWsleep();\r\n", 28)), "28 0B");
}

} // namespace
