// The retail instruction set in both directions: control flow, events and
// conditions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/codec/classic/retail_lines.h"

using namespace quillon;
using namespace codec_test;
using namespace retail_lines;

namespace {

// ---- control flow, events and conditions -------------------------------------

TEST(CodecControlFlow, InstructionLinesBothWays) {
    const Case cases[] = {
        {"00", "nop();"},
        {"01 03", "return 3;"},
        {"02", "Evt_next();"},
        {"03 01 02 03", "Evt_chain(1, 2, 3);"},
        {"04 07 20 01", "Evt_exec(7, 0x120);"},
        {"04 07 05 00", "Evt_exec(7, 0x05);"},
        {"04 07 34 12", "Evt_exec(7, 0x1234);"},
        {"05 09", "Evt_kill(9);"},
        {"06 00 00 00 21 01 02 03", "if(Ck(1, 2, 3)) {"},
        {"06 00 10 00 21 01 02 03", "if(Ck(1, 2, 3)) {", "06 00 00 00 21 01 02 03"},
        {"0F 00 00 00 21 01 02 03", "while(Ck(1, 2, 3)) {"},
        {"07 00 00 00", "} else {"},
        {"07 00 08 00", "} else {", "07 00 00 00"},
        {"08 00", "}"},
        {"09 0A 1E 00", "Sleep(30);"},
        {"09 00 1E 00", "Sleep(30);", "09 0A 1E 00"},
        {"0A 2C 01", "Sleeping(300);"},
        {"0B", "Wsleep();"},
        {"0C", "Wsleeping();"},
        {"0D 00 00 00 05 00", "for(n = 0; n < 5; n++) {"},
        {"0D 01 02 03 05 00", "for(n = 0; n < 5; n++) {", "0D 00 00 00 05 00"},
        {"0E 00", "}", "08 00"},
        {"10 00", "}", "08 00"},
        {"11 00 00 00", "do {"},
        {"13 03 00 00", "switch(3) {", ""},
        {"14 00 00 00 02 00", "case 2:", ""},
        {"15 00", "default:", ""},
        {"16 00", "}", "08 00"},
        {"17 00 00 00 10 00", "goto(0x00000010);"},
        {"17 00 00 00 34 12", "goto(0x00001234);"},
        {"18 05", "goto Sub05();"},
        {"18 0C", "goto Sub12();"},
        {"18 FF", "goto Sub255();"},
        {"19 02", "return Sub02();"},
        {"1A 00", "break;"},
        {"1B 00 00 00 07 00", "for(n = 0; n < 7; n++) {", "0D 00 00 00 07 00"},
        {"1C", "break;", "1A 00"},
        {"1D 04 05 06", "Work_copy(4, 5, 6);"},
        {"21 01 02 03", "Ck(1, 2, 3)"},
        {"22 01 02 03", "Set(1, 2, 3);"},
        {"23 00 FD 02 0A 00", "Cmp(-3 >= 10)"},
        {"23 00 7F 05 00 80", "Cmp(127 != -32768)"},
        {"24 01 2C 01", "Save(1, 300);"},
        {"25 01 02", "Copy(1, 2);"},
        {"26 00 04 02 64 00", "Calc(2 % 100)"},
        {"26 00 03 02 64 00", "Calc(2 / 100)"},
        {"26 00 0B FF FF FF", "Calc(255 ~>> 65535)"},
        {"27 00 10 07", "Calc2(0x10, 0x7);"},
        {"27 05 AB 0C", "Calc2(0xAB, 0xC);", "27 00 10 07"},
        {"28", "Sce_rnd();"},
    };
    for (const Case& c : cases) CheckBothWays(c);
}

TEST(CodecControlFlow, UnknownOpcodesOfTheFirstRowsShowNothing) {
    for (const char* bytes : {"1E", "1F", "20"}) EXPECT_EQ(Lines(H(bytes)), "\r\n");
    EXPECT_EQ(Compiled("UnknownOpcode();\r\n"), "1E");
}

TEST(CodecControlFlow, CalcWithAnUnknownOperatorShowsEmptyText) {
    EXPECT_EQ(Line(H("26 00 0C 02 64 00")), "Calc(2  100)");
}

TEST(CodecControlFlow, ComparisonOperatorsBothWays) {
    const char* texts[] = {"=", ">", ">=", "<", "<=", "!=", "?"};
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        const std::string bytes = H("23 00 05") + static_cast<char>(code) + H("07 00");
        const std::string text = code < 7 ? texts[code] : "";
        EXPECT_STREQ(ComparisonText(static_cast<std::uint8_t>(code)), text.c_str());
        EXPECT_EQ(Line(bytes), "Cmp(5 " + text + " 7)");
        if (code < 6) {
            EXPECT_EQ(Compiled("Cmp(5 " + text + " 7)\r\n"), Hex(bytes));
        }
    }
    // "?" does not compile back for Cmp: the operator byte keeps bits 8 to 15
    // of the first operand's store.
    EXPECT_EQ(Compiled("Cmp(5 ? 7)\r\n"), "23 00 05 00 07 00");
    EXPECT_EQ(Compiled("Cmp(-3 ? 10)\r\n"), "23 00 FD FF 0A 00");
    EXPECT_EQ(Compiled("Cmp(-3 == 10)\r\n"), "23 00 FD FF 0A 00");
}

TEST(CodecControlFlow, ArithmeticOperatorsBothWays) {
    const char* texts[] = {"+", "-", "*", "/", "%", "||", "&&", "^", "~", "<<", ">>", "~>>"};
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        const std::string bytes = H("26 00") + static_cast<char>(code) + H("05 07 00");
        const std::string text = code < 12 ? texts[code] : "";
        EXPECT_STREQ(ArithmeticText(static_cast<std::uint8_t>(code)), text.c_str());
        EXPECT_EQ(Line(bytes), "Calc(5 " + text + " 7)");
        if (code < 12) {
            EXPECT_EQ(Compiled("Calc(5 " + text + " 7)\r\n"), Hex(bytes));
        }
    }
    // An operator not in the list leaves the byte as the buffer holds it.
    EXPECT_EQ(Compiled("Evt_chain(7, 8, 9);\r\nCalc(2 ** 100)\r\n"),
              "03 07 08 09 26 00 08 02 64 00");
    EXPECT_EQ(Compiled("Calc(2 = 100)\r\n"), "26 00 00 02 64 00");
    // A Calc line as disassembled with an empty operator.
    EXPECT_EQ(Compiled("Calc(2  100)\r\n"), "26 00 00 02 00 00");
}

TEST(CodecControlFlow, Calc2AlwaysCompilesToItsFixedBytes) {
    EXPECT_EQ(Compiled("Calc2(1, 2);\r\n"), "27 00 10 07");
    EXPECT_EQ(Compiled("Calc2();\r\n"), "27 00 10 07");
    EXPECT_EQ(Compiled("Evt_chain(7, 8, 9);\r\nCalc2(0x10, 0x7);\r\n"), "03 07 08 09 27 00 10 07");
}

TEST(CodecControlFlow, Byte1FormBothWays) {
    const int members[] = {0x05, 0x3C, 0x47, 0x4A, 0x5A, 0x5B, 0x5D,
                           0x5E, 0x5F, 0x62, 0x65, 0x6F, 0x80};
    for (int op : members) {
        const std::string name = RetailDialect().Name(static_cast<std::uint8_t>(op));
        SCOPED_TRACE(name);
        EXPECT_EQ(RetailDialect().Size(static_cast<std::uint8_t>(op)), 2);
        const std::string bytes = std::string(1, static_cast<char>(op)) + H("2A");
        EXPECT_EQ(Line(bytes), name + "(42);");
        EXPECT_EQ(Compiled(name + "(42);\r\n"), Hex(bytes));
        EXPECT_EQ(Compiled(name + "(-1);\r\n"),
                  Hex(std::string(1, static_cast<char>(op)) + H("FF")));
    }
}

TEST(CodecControlFlow, SubRoutineCallsAndReturnsCompileBack) {
    EXPECT_EQ(Compiled("goto Sub05();\r\n"), "18 05");
    EXPECT_EQ(Compiled("return Sub02();\r\n"), "19 02");
    EXPECT_EQ(Compiled("Gosub(5);\r\n"), "18 05");
    EXPECT_EQ(Compiled("goto(Sub05);\r\n"), "18 05");
    // Other goto and return lines as ever.
    EXPECT_EQ(Compiled("goto(0x10);\r\n"), "17 00 00 00 10 00");
    EXPECT_EQ(Compiled("goto(1F);\r\n"), "17 00 00 00 1F 00");
    EXPECT_EQ(Compiled("goto(0x12345);\r\n"), "17 00 00 00 45 23");
    EXPECT_EQ(Compiled("goto Sub();\r\n"), "17 00 00 00 00 00");
    EXPECT_EQ(Compiled("goto SubX5();\r\n"), "17 00 00 00 00 00");
    EXPECT_EQ(Compiled("return 3;\r\n"), "01 03");
    EXPECT_EQ(Compiled("Copy(7, 8);\r\nreturn Sub;\r\n"), "25 07 08 01 07");
}

TEST(CodecControlFlow, KeptBytes) {
    // goto keeps offsets 1 to 3, Cmp and break offset 1, "}" with a second
    // token other than "else" its offset 1.
    EXPECT_EQ(Compiled("Evt_chain(7, 8, 9);\r\ngoto(0x10);\r\n"), "03 07 08 09 17 07 08 09 10 00");
    EXPECT_EQ(Compiled("Evt_chain(7, 8, 9);\r\nCmp(-3 >= 10)\r\n"),
              "03 07 08 09 23 07 FD 02 0A 00");
    EXPECT_EQ(Compiled("Copy(7, 8);\r\nbreak;\r\n"), "25 07 08 1A 07");
    EXPECT_EQ(Compiled("Copy(7, 8);\r\n} foo\r\n"), "25 07 08 08 07");
    // Bytes that compiling sets whatever the buffer held.
    EXPECT_EQ(Compiled("Evt_chain(7, 8, 9);\r\nfor(n = 0; n < 5; n++) {\r\n"),
              "03 07 08 09 0D 00 00 00 05 00");
    EXPECT_EQ(Compiled("Evt_chain(7, 8, 9);\r\nCalc(2 % 100)\r\n"),
              "03 07 08 09 26 00 04 02 64 00");
    EXPECT_EQ(Compiled("Evt_chain(7, 8, 9);\r\nSleep(30);\r\n"), "03 07 08 09 09 0A 1E 00");
    EXPECT_EQ(Compiled("Evt_chain(7, 8, 9);\r\n}\r\n"), "03 07 08 09 08 00");
    EXPECT_EQ(Compiled("Evt_chain(7, 8, 9);\r\nif(Cmp(1 = 2)) {\r\n"),
              "03 07 08 09 06 00 00 00 23 00 01 00 02 00");
}

TEST(CodecControlFlow, InstructionBufferCarriesAcrossRunsOfARecord) {
    ScriptContext ctx(RetailDialect());
    CompileBuffer(ctx, "Evt_chain(7, 8, 9);\r\n");
    EXPECT_EQ(Hex(CompileBuffer(ctx, "goto(0x10);\r\n")), "17 07 08 09 10 00");
    // Disassembling fills the same buffer.
    DisassembleBuffer(ctx, H("03 0A 0B 0C"), "t");
    EXPECT_EQ(Hex(CompileBuffer(ctx, "goto(0x10);\r\n")), "17 0A 0B 0C 10 00");
}

TEST(CodecControlFlow, IfElseExampleBothWays) {
    const std::string source = "if(Ck(1, 2, 3)) {\r\nEvt_next();\r\n} else {\r\nWsleep();\r\n}\r\n";
    const std::string bytes = H("06 00 00 00 21 01 02 03 02 07 00 00 00 0B 00 00");
    EXPECT_EQ(Compiled(source), Hex(bytes));
    EXPECT_EQ(Lines(bytes), source);
    EXPECT_EQ(Indented(bytes),
              "\tif(Ck(1, 2, 3)) {\r\n\t\tEvt_next();\r\n\t} else {\r\n\t\tWsleep();\r\n\t}\r\n");
}

TEST(CodecControlFlow, DoBlockEndsWithItsCondition) {
    EXPECT_EQ(Compiled("do {\r\nEvt_next();\r\n} while(Cmp(1 = 2));\r\n"),
              "11 00 00 00 02 12 04 23 04 01 00 02 00");
    EXPECT_EQ(Compiled("do {\r\nEvt_next();\r\n} while(Ck(1, 2, 3));\r\n"),
              "11 00 00 00 02 12 04 21 01 02 03");
    // A condition that names no instruction: the buffer still holds 12 04.
    EXPECT_EQ(Compiled("do {\r\n} while(Foo(1));\r\n"), "11 00 00 00 12 04 12 04");
    EXPECT_EQ(Lines(H("11 00 00 00 02 12 04 23 04 01 00 02 00")),
              "do {\r\nEvt_next();\r\n} while(Cmp(1 = 2));\r\n");
}

TEST(CodecControlFlow, ForBlockEndsWithItsOwnBrace) {
    EXPECT_EQ(Compiled("for(n = 0; n < 5; n++) {\r\nEvt_next();\r\n}\r\n}\r\n"),
              "0D 00 00 00 05 00 02 0E 00 08 00");
    EXPECT_EQ(Compiled("for(n = 0; n < 40000; n++) {\r\n}\r\n"), "0D 00 00 00 40 9C 0E 00");
}

TEST(CodecControlFlow, ElseBlockEndsWithTheNopPair) {
    EXPECT_EQ(Compiled("} else {\r\nEvt_next();\r\n}\r\n}\r\n"), "07 00 00 00 02 00 00 08 00");
    EXPECT_EQ(Lines(H("07 00 00 00 02 00 00 08 00")), "} else {\r\nEvt_next();\r\n}\r\n}\r\n");
}

TEST(CodecControlFlow, BlockStateStartsAfreshAtEveryCompileRun) {
    ScriptContext ctx(RetailDialect());
    CompileBuffer(ctx, "do {\r\n");
    EXPECT_EQ(Hex(CompileBuffer(ctx, "}\r\n")), "08 00");
    CompileBuffer(ctx, "for(n = 0; n < 5; n++) {\r\n");
    EXPECT_EQ(Hex(CompileBuffer(ctx, "}\r\n")), "08 00");
    CompileBuffer(ctx, "if(Ck(1, 2, 3)) {\r\n} else {\r\n");
    EXPECT_EQ(Hex(CompileBuffer(ctx, "}\r\n")), "08 00");
}

struct Nested {
    const char* what;
    const char* source;
    const char* bytes;
};

TEST(CodecControlFlow, NestedBlocksCloseWithTheirOwnBytes) {
    const Nested cases[] = {
        {"if inside else",
         "if(Ck(1, 2, 3)) {\r\n"
         "\tEvt_next();\r\n"
         "} else {\r\n"
         "\tif(Ck(4, 5, 6)) {\r\n"
         "\t\tWsleep();\r\n"
         "\t}\r\n"
         "\tWsleeping();\r\n"
         "}\r\n"
         "Sce_rnd();\r\n"
         "}\r\n",
         "06 00 00 00 21 01 02 03 02 07 00 00 00 06 00 00 00 21 04 05 06 0B 08 00 0C 00 00 28 08 "
         "00"},
        {"for inside if",
         "if(Ck(1, 2, 3)) {\r\n"
         "\tfor(n = 0; n < 3; n++) {\r\n"
         "\t\tEvt_next();\r\n"
         "\t}\r\n"
         "\tWsleep();\r\n"
         "}\r\n",
         "06 00 00 00 21 01 02 03 0D 00 00 00 03 00 02 0E 00 0B 08 00"},
        {"do inside while",
         "while(Ck(1, 2, 3)) {\r\n"
         "\tdo {\r\n"
         "\t\tEvt_next();\r\n"
         "\t} while(Ck(4, 5, 6));\r\n"
         "\tWsleep();\r\n"
         "}\r\n",
         "0F 00 00 00 21 01 02 03 11 00 00 00 02 12 04 21 04 05 06 0B 08 00"},
        {"if inside do",
         "do {\r\n"
         "\tif(Ck(1, 2, 3)) {\r\n"
         "\t\tEvt_next();\r\n"
         "\t}\r\n"
         "} while(Ck(4, 5, 6));\r\n",
         "11 00 00 00 06 00 00 00 21 01 02 03 02 08 00 12 04 21 04 05 06"},
        {"for inside do",
         "do {\r\n"
         "\tfor(n = 0; n < 2; n++) {\r\n"
         "\t\tWsleep();\r\n"
         "\t}\r\n"
         "} while(Ck(4, 5, 6));\r\n",
         "11 00 00 00 0D 00 00 00 02 00 0B 0E 00 12 04 21 04 05 06"},
        {"else inside for",
         "for(n = 0; n < 2; n++) {\r\n"
         "\tif(Ck(1, 2, 3)) {\r\n"
         "\t\tEvt_next();\r\n"
         "\t} else {\r\n"
         "\t\tWsleep();\r\n"
         "\t}\r\n"
         "}\r\n",
         "0D 00 00 00 02 00 06 00 00 00 21 01 02 03 02 07 00 00 00 0B 00 00 0E 00"},
        {"if inside if inside else",
         "if(Ck(1, 2, 3)) {\r\n"
         "} else {\r\n"
         "\tif(Ck(4, 5, 6)) {\r\n"
         "\t\tif(Ck(7, 8, 9)) {\r\n"
         "\t\t}\r\n"
         "\t}\r\n"
         "}\r\n"
         "}\r\n",
         "06 00 00 00 21 01 02 03 07 00 00 00 06 00 00 00 21 04 05 06 06 00 00 00 21 07 08 09 "
         "08 00 08 00 00 00 08 00"},
    };
    for (const Nested& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string bytes = H(c.bytes);
        EXPECT_EQ(Compiled(c.source), Hex(bytes));
        // The disassembly shows the same blocks, one tab deeper.
        std::string expected;
        std::string_view s = c.source;
        while (!s.empty()) {
            const size_t end = s.find("\r\n") + 2;
            expected += "\t" + std::string(s.substr(0, end));
            s.remove_prefix(end);
        }
        EXPECT_EQ(Indented(bytes), expected);
    }
}

TEST(CodecControlFlow, SwitchBlocksCloseWithAPlainBrace) {
    EXPECT_EQ(
        Compiled("switch(3) {\r\ncase 2:\r\nEvt_next();\r\nbreak;\r\ndefault:\r\nWsleep();\r\n}\r\n"
                 "Sce_rnd();\r\n"),
        "02 1A 00 0B 08 00 28");
    EXPECT_EQ(Compiled("do {\r\nswitch(3) {\r\n}\r\n} while(Ck(1, 2, 3));\r\n"),
              "11 00 00 00 08 00 12 04 21 01 02 03");
}

} // namespace
