// The retail instruction set in both directions: control flow, events and
// conditions, the field kinds and generic forms, the scene records and the
// coordinate, comparison and parameter records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "testkit/codec_support.h"

using namespace quillon;
using namespace codec_test;

namespace {

// n zero bytes in the "00 00" notation.
std::string Zeros(int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += i ? " 00" : "00";
    return out;
}

// The disassembly's lines, without header, indentation and closing brace.
std::string Lines(std::string_view bytes) {
    ScriptContext ctx(RetailDialect());
    ctx.indent = 0;
    std::string text = DisassembleBuffer(ctx, bytes, "t");
    return text.substr(kHeader.size(), text.size() - kHeader.size() - 1);
}

// The one line of a single instruction.
std::string Line(std::string_view bytes) {
    std::string lines = Lines(bytes);
    EXPECT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.find("\r\n"), lines.size() - 2) << "more than one line: " << lines;
    return lines.substr(0, lines.size() - 2);
}

// The disassembly with its indentation.
std::string Indented(std::string_view bytes) {
    ScriptContext ctx(RetailDialect());
    std::string text = DisassembleBuffer(ctx, bytes, "t");
    return text.substr(kHeader.size(), text.size() - kHeader.size() - 1);
}

// Compiles a source in a fresh record (all-zero instruction buffer).
std::string Compiled(std::string_view source) {
    ScriptContext ctx(RetailDialect());
    return Hex(CompileBuffer(ctx, source));
}

struct Case {
    const char* bytes;
    const char* line;
    const char* compiled = nullptr; // what the line compiles to, when not `bytes`
};

void CheckBothWays(const Case& c) {
    SCOPED_TRACE(std::string(c.bytes) + " / " + c.line);
    EXPECT_EQ(Line(H(c.bytes)), c.line);
    EXPECT_EQ(Compiled(std::string(c.line) + "\r\n"), Hex(H(c.compiled ? c.compiled : c.bytes)));
}

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

// ---- fields and generic forms ---------------------------------------------------

struct FormCase {
    std::vector<int> opcodes;
    const char* operands; // null: all zero
    const char* arguments;
};

TEST(CodecForms, GenericFormsBothWays) {
    const FormCase cases[] = {
        {{0x29}, "1F", "(0x1F);"},
        {{0x25, 0x2E, 0x35, 0x38, 0x3D, 0x4B, 0x76, 0x88}, "FE 02", "(254, 2);"},
        {{0x5C}, "FE 02 00", "(254, 2);"},
        {{0x03, 0x1D, 0x22, 0x3F, 0x43, 0x56, 0x61, 0x74, 0x77}, "01 80 FF", "(1, 128, 255);"},
        {{0x45, 0x4C}, "01 02 03 04", "(1, 2, 3, 4);"},
        {{0x51, 0x52, 0x53, 0x7C, 0x7F}, "01 02 03 04 05", "(1, 2, 3, 4, 5);"},
        {{0x49}, "01 02 03 04 05 06 07", "(1, 2, 3, 4, 5, 6, 7);"},
        {{0x2F, 0x34, 0x4F, 0x50, 0x58, 0x59, 0x6B, 0x6D}, "07 F6 FF", "(7, -10);"},
        {{0x6A}, "01 02 03 00 80", "(1, 2, 3, -32768);"},
        {{0x6E, 0x7D, 0x7E}, "01 02 03 F6 FF", "(1, 2, 3, 65526);"},
        {{0x2A, 0x30, 0x31, 0x42, 0x63, 0x66, 0x6C, 0x70, 0x71, 0x79, 0x86, 0x87}, "", "();"},
        {{0x68}, nullptr, "(/* WIP */);"},
        {{0x69}, nullptr, "(/* WIP */);"},
        {{0x73}, nullptr, "(/* WIP */);"},
        {{0x78}, nullptr, "(/* WIP */);"},
        {{0x7A, 0x7B}, nullptr, "(/* WIP */);"},
    };
    for (const FormCase& c : cases) {
        for (int op : c.opcodes) {
            const std::string name = RetailDialect().Name(static_cast<std::uint8_t>(op));
            SCOPED_TRACE(name);
            const int size = RetailDialect().Size(static_cast<std::uint8_t>(op));
            const std::string bytes = std::string(1, static_cast<char>(op)) +
                                      H(c.operands ? c.operands : Zeros(size - 1));
            ASSERT_EQ(static_cast<int>(bytes.size()), size);
            EXPECT_EQ(Line(bytes), name + c.arguments);
            EXPECT_EQ(Compiled(name + c.arguments + "\r\n"), Hex(bytes));
        }
    }
}

TEST(CodecForms, FieldScanRules) {
    const struct {
        const char* source;
        const char* bytes;
    } cases[] = {
        {"Cut_chg(1f);", "29 1F"},
        {"Cut_chg(0x1F);", "29 1F"},
        {"Cut_chg(31);", "29 31"},
        {"Copy(-1, 256);", "25 FF 00"},
        {"Copy(300, 2);", "25 2C 02"},
        {"Copy(0x10, 2);", "25 00 02"},
        {"Copy(12abc, 2);", "25 0C 02"},
        {"Speed_set(1, 40000);", "2F 01 40 9C"},
        {"Speed_set(2, abc);", "2F 02 00 00"},
        {"Speed_set(2, -1);", "2F 02 FF FF"},
        {"Speed_set(2, 65536);", "2F 02 00 00"},
        {"Sce_shake_on(3, 2);", "5C 03 02 00"},
        {"Sce_shake_on(3, -1);", "5C 03 FF FF"},
        {"Sce_shake_on(3, 300);", "5C 03 2C 01"},
        {"Plc_ret(5);", "42"},
        {"Sce_espr_kill(1, 2, 3, 4, 5);", "4C 01 02 03 04"},
        {"Save(1, 4294967297);", "24 01 01 00"},
        {"Copy(4294967551, 0);", "25 FF 00"},
        {"Sca_id_set(1, 1234);", "37 01 34 12"},
        {"Sca_id_set(1, 0x1234);", "37 01 34 12"},
        {"Message_on(0, 10000, FF);", "2B 00 10 27 FF 00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(Compiled(std::string(c.source) + "\r\n"), c.bytes);
    }
    EXPECT_EQ(Line(H("2F 01 40 9C")), "Speed_set(1, -25536);");
}

TEST(CodecForms, MissingArgumentsBehaveAsArgumentsThatDoNotScan) {
    const struct {
        const char* source;
        const char* bytes;
    } cases[] = {
        {"Save(1);", "24 01 00 00"},
        {"Set(1, 770);", "22 01 02 03"},
        {"Set(4, 5, 6);\r\nEvt_chain();", "22 04 05 06 03 04 05 06"},
        {"Set(4, 5, 6);\r\nEvt_chain(1);", "22 04 05 06 03 01 00 00"},
        {"Pos_set(1, 100);", "32 01 64 00 64 00 64 00"},
        {"Pos_set();", "32 00 00 00 00 00 00 00"},
        {"Pos_set(1, 100, x, 7);", "32 01 64 00 64 00 07 00"},
        {"Pos_set(1, y, 5, 6);", "32 01 00 00 05 00 06 00"},
        {"Evt_chain(7, 8, 9);\r\nCk();", "03 07 08 09 21 07 08 09"},
        {"Evt_chain(7, 8, 9);\r\nCk(x, y, z);", "03 07 08 09 21 07 08 09"},
        {"Calc(2);", "26 00 00 02 00 00"},
        {"Cmp();", "23 00 00 00 00 00"},
        {"Member_cmp(5);", "3E 05 00 00 05 00"},
        // After a keyword shift the last tokens stand twice; those copies are
        // not arguments, so a condition's missing argument stays missing.
        {"Evt_chain(7, 8, 9);\r\nif Ck(1, 2)", "03 07 08 09 06 00 00 00 21 01 02 00"},
        {"do {\r\n} while(Ck(1, 2));", "11 00 00 00 12 04 21 01 02 00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(Compiled(std::string(c.source) + "\r\n"), c.bytes);
    }
    EXPECT_EQ(Compiled("Door_aot_set();\r\n"), "3B " + Zeros(31));
    EXPECT_EQ(Compiled("Obj_model_set(1F);\r\n"), "2D 1F " + Zeros(36));
}

TEST(CodecForms, WorkInProgressWritesWhatTheBufferHolds) {
    EXPECT_EQ(Compiled("Evt_chain(1, 2, 3);\r\nSce_line_main(/* WIP */);\r\n"),
              "03 01 02 03 78 01 02 03 00 00");
    EXPECT_EQ(Compiled("Sce_line_main(1, 2, 3);\r\n"), "78 00 00 00 00 00");
    EXPECT_EQ(Line(H("78 01 02 03 04 05")), "Sce_line_main(/* WIP */);");
    // The line after a WIP line is not swallowed by its comment.
    EXPECT_EQ(Compiled("Door_aot_set_4p(/* WIP */);\r\nSce_rnd();\r\n").substr(40 * 3), "28");
}

// ---- scene setup records -----------------------------------------------------------

TEST(CodecScene, AotSetKeepsTheSurplusOfItsLastArgument) {
    const std::string bytes = H("2C 01 02 03 04 05 0A 00 F6 FF 64 00 00 80 07 08 09 AA BB CC");
    const std::string line = "Aot_set(1, 2, 3, 4, 5, 10, -10, 100, -32768, 7, 8, 9);";
    EXPECT_EQ(Line(bytes), line);
    EXPECT_EQ(Compiled(line + "\r\n"),
              "2C 01 02 03 04 05 0A 00 F6 FF 64 00 00 80 07 08 09 00 00 00");
    EXPECT_EQ(Compiled("Aot_set(1, 2, 3, 4, 5, 10, -10, 100, -32768, 7, 8, -1);\r\n"),
              "2C 01 02 03 04 05 0A 00 F6 FF 64 00 00 80 07 08 FF FF FF FF");
    EXPECT_EQ(Compiled("Aot_set(1, 2, 3, 4, 5, 10, -10, 100, -32768, 7, 8, 513);\r\n"),
              "2C 01 02 03 04 05 0A 00 F6 FF 64 00 00 80 07 08 01 02 00 00");
}

TEST(CodecScene, AotSet4pKeepsTheSurplusOfItsLastArgument) {
    const std::string head =
        "67 01 02 03 04 05 0A 00 F6 FF 64 00 00 80 01 00 02 00 03 00 04 00 07 08 ";
    const std::string line =
        "Aot_set_4p(1, 2, 3, 4, 5, 10, -10, 100, -32768, 1, 2, 3, 4, 7, 8, 9);";
    EXPECT_EQ(Line(H(head + "09 AA BB CC")), line);
    EXPECT_EQ(Compiled(line + "\r\n"), Hex(H(head + "09 00 00 00")));
    EXPECT_EQ(
        Compiled("Aot_set_4p(1, 2, 3, 4, 5, 10, -10, 100, -32768, 1, 2, 3, 4, 7, 8, -1);\r\n"),
        Hex(H(head + "FF FF FF FF")));
}

TEST(CodecScene, RecordsBothWays) {
    const Case cases[] = {
        {"3B 01 02 03 04 05 0A 00 F6 FF 64 00 00 80 01 00 02 00 03 00 FF 7F 01 02 03 04 05 06 07 "
         "08 09 FF",
         "Door_aot_set(1, 2, 3, 4, 5, 10, -10, 100, -32768, 1, 2, 3, 32767, 1, 2, 3, 4, 5, 6, 7, "
         "8, 9, "
         "255);"},
        {"4E 01 02 03 04 05 0A 00 F6 FF 64 00 00 80 05 00 10 27 FF FF 34 12",
         "Item_aot_set(1, 2, 3, 4, 5, 10, -10, 100, -32768, 0x05, 10000, 65535, 0x1234);"},
        {"46 01 02 03 10 27 FF FF 05 00", "Aot_reset(1, 2, 3, 10000, 65535, 0x05);"},
        {"46 01 02 03 10 27 FF FF FF FF", "Aot_reset(1, 2, 3, 10000, 65535, 0xFFFF);"},
        {"2D 1F 01 02 03 04 05 06 01 00 FF FF 02 00 FE FF 03 00 FD FF 04 00 FC FF 05 00 FB FF 06 "
         "00 "
         "FA FF 07 00 00 80 FF 7F",
         "Obj_model_set(0x1F, 1, 2, 3, 4, 5, 6, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6, 7, "
         "-32768, "
         "32767);"},
        {"4D 01 02 03 04 05 10 27 01 00 02 00 03 00 04 00 05 00 06 00 F9 FF",
         "Obj_model_move(1, 2, 3, 4, 5, 10000, 1, 2, 3, 4, 5, 6, -7);"},
        {"44 01 02 AB 03 04 05 06 07 FF 01 00 02 00 03 00 04 00 05 00 FA FF",
         "Sce_em_set(1, 2, 0xAB, 3, 4, 5, 6, 7, -1, 1, 2, 3, 4, 5, -6);"},
        {"48 01 02 03 01 00 02 00 03 00 04 00 05 00 FA FF",
         "Super_set(1, 2, 3, 1, 2, 3, 4, 5, -6);"},
        {"72 01 02 03 01 00 02 00 03 00 04 00 05 00 FA FF",
         "Super_on(1, 2, 3, 1, 2, 3, 4, 5, -6);"},
        {"60 01 02 0A 0B 0C 01 00 02 00 03 00 FC FF",
         "Kage_set(1, 2, 0x0A, 0x0B, 0x0C, 1, 2, 3, -4);"},
        {"3A 0A 0B 01 02 03 05 00 01 00 02 00 03 00 FC FF",
         "Sce_espr_on(0x0A, 0x0B, 1, 2, 3, 0x05, 1, 2, 3, -4);"},
        {"64 0A 0B 01 02 03 34 12 01 00 02 00 03 00 FC FF",
         "Sce_espr_on2(0x0A, 0x0B, 1, 2, 3, 0x1234, 1, 2, 3, -4);"},
        {"54 01 0A 0B 02 03 34 12 01 00 02 00 03 00 04 00 05 00 06 00 F9 FF",
         "Sce_espr3d_on(1, 0x0A, 0x0B, 2, 3, 0x1234, 1, 2, 3, 4, 5, 6, -7);"},
        {"75 01 0A 0B 02 03 05 00 01 00 02 00 03 00 04 00 05 00 06 00 F9 FF",
         "Sce_espr3d_on2(1, 0x0A, 0x0B, 2, 3, 0x05, 1, 2, 3, 4, 5, 6, -7);"},
    };
    for (const Case& c : cases) CheckBothWays(c);
}

TEST(CodecScene, HexadecimalFieldsScanWithOrWithoutPrefix) {
    EXPECT_EQ(
        Compiled("Obj_model_set(1F, 1, 2, 3, 4, 5, 6, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6, 7, "
                 "-32768, 32767);\r\n"),
        Compiled("Obj_model_set(0x1F, 1, 2, 3, 4, 5, 6, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6, "
                 "7, -32768, 32767);\r\n"));
    EXPECT_EQ(
        Compiled("Item_aot_set(1, 2, 3, 4, 5, 10, -10, 100, -32768, 5, 10000, 65535, 1234);\r\n"),
        "4E 01 02 03 04 05 0A 00 F6 FF 64 00 00 80 05 00 10 27 FF FF 34 12");
}

TEST(CodecScene, SignedByteOfSceEmSet) {
    const std::string tail = ", 1, 2, 3, 4, 5, -6);\r\n";
    const std::string expected =
        "44 01 02 AB 03 04 05 06 07 FF 01 00 02 00 03 00 04 00 05 00 FA FF";
    EXPECT_EQ(Compiled("Sce_em_set(1, 2, 0xAB, 3, 4, 5, 6, 7, -1" + tail), expected);
    EXPECT_EQ(Compiled("Sce_em_set(1, 2, AB, 3, 4, 5, 6, 7, 255" + tail), expected);
    EXPECT_EQ(Line(H("44 01 02 AB 03 04 05 06 07 80 01 00 02 00 03 00 04 00 05 00 FA FF")),
              "Sce_em_set(1, 2, 0xAB, 3, 4, 5, 6, 7, -128, 1, 2, 3, 4, 5, -6);");
}

TEST(CodecScene, DoorAotSetRepeatsThePreviousSixteenBitValue) {
    EXPECT_EQ(Compiled("Door_aot_set(1, 2, 3, 4, 5, x, 100, y, 200, 300, z, z, 400, "
                       "1, 2, 3, 4, 5, 6, 7, 8, 9, 10);\r\n"),
              "3B 01 02 03 04 05 00 00 64 00 64 00 C8 00 2C 01 2C 01 2C 01 90 01 "
              "01 02 03 04 05 06 07 08 09 0A");
}

// ---- coordinates, comparisons and parameter records ---------------------------------

TEST(CodecRecords, BothWays) {
    const Case cases[] = {
        {"32 00 9C FF 00 00 C8 00", "Pos_set(0, -100, 0, 200);"},
        {"33 01 9C FF 00 00 C8 00", "Dir_set(1, -100, 0, 200);"},
        {"40 02 9C FF 00 80 FF 7F", "Plc_dest(2, -100, -32768, 32767);"},
        {"39 01 0A 00 14 00 1E 00", "Dir_ck(1, 10, 20, 30);"},
        {"41 01 02 03 0A 00 F6 FF 00 00", "Plc_neck(1, 2, 3, 10, -10, 0);"},
        {"55 01 10 27 FF FF", "Member_calc(1, 10000, 65535);"},
        {"2B 00 10 27 FF 00", "Message_on(0, 10000, 0x00FF);"},
        {"2B 05 FF FF 34 12", "Message_on(5, 65535, 0x1234);"},
        {"36 01 02 03 04 05 0A 00 F6 FF 00 80", "Se_on(1, 2, 3, 4, 5, 10, -10, -32768);"},
        {"37 01 34 12", "Sca_id_set(1, 0x1234);"},
        {"37 01 05 00", "Sca_id_set(1, 0x0005);"},
        {"57 01 05 00 34 12 FF 00", "Sce_bgmtbl_set(1, 0x05, 0x1234, 0xFF);"},
        {"3E 00 02 01 05 00", "Member_cmp(512 > 5)"},
        {"3E 00 02 01 FF FF", "Member_cmp(512 > -1)"},
        {"3E FF FF 06 00 80", "Member_cmp(-1 ? -32768)"},
    };
    for (const Case& c : cases) CheckBothWays(c);
}

TEST(CodecRecords, MemberCmpOperators) {
    const char* texts[] = {"=", ">", ">=", "<", "<=", "!=", "?"};
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        const std::string bytes = H("3E 00 02") + static_cast<char>(code) + H("05 00");
        const std::string text = code < 7 ? texts[code] : "";
        EXPECT_EQ(Line(bytes), "Member_cmp(512 " + text + " 5)");
        if (code < 7) {
            EXPECT_EQ(Compiled("Member_cmp(512 " + text + " 5)\r\n"), Hex(bytes));
        }
    }
    EXPECT_EQ(Line(H("3E 00 02 09 05 00")), "Member_cmp(512  5)");
}

} // namespace
