// The prototype dialect: its table and compiler rules, the instructions whose
// layout differs from retail, and its independence from the retail record.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "io/drivers.h"
#include "testkit/codec_support.h"

using namespace quillon;
using namespace codec_test;

namespace {

// The lines of a prototype disassembly without indentation.
std::string Lines(std::string_view bytes) {
    ScriptContext ctx(PrototypeDialect());
    ctx.indent = 0;
    return Body(ctx, bytes);
}

std::string Line(std::string_view bytes) {
    const std::string lines = Lines(bytes);
    EXPECT_EQ(lines.find("\r\n"), lines.size() - 2) << lines;
    return lines.substr(0, lines.size() - 2);
}

std::string Compiled(std::string_view source) {
    ScriptContext ctx(PrototypeDialect());
    return Hex(CompileBuffer(ctx, source));
}

struct Case {
    const char* bytes;
    const char* line;
    const char* compiled = nullptr; // when not `bytes`
};

TEST(CodecPrototype, UnknownOpcodesAndEmptyLines) {
    EXPECT_EQ(Lines(H("58 01 02 03")), "// unknown opcode (58) found at 0x00000004\r\n");
    EXPECT_EQ(Lines(H("1D")), "\r\n");
    EXPECT_EQ(Lines(H("1D 1E 1F 20")), "\r\n\r\n\r\n\r\n");
    EXPECT_EQ(Lines(H("4C") + std::string(17, '\0')),
              "// unknown opcode (4C) found at 0x00000012\r\n");
    EXPECT_EQ(Lines(H("4D") + std::string(9, '\0')),
              "// unknown opcode (4D) found at 0x0000000A\r\n");
    EXPECT_EQ(Lines(H("5A 00 00 00 00 00 02")),
              "// unknown opcode (5A) found at 0x00000006\r\nEvt_next();\r\n");
    EXPECT_EQ(Lines(H("60 8F 02")), "// unknown opcode (60) found at 0x00000001\r\n// unknown "
                                    "opcode (8F) found at 0x00000002\r\n"
                                    "Evt_next();\r\n");
    EXPECT_EQ(Lines(H("81 02")), "// unknown opcode (81) found at 0x00000001\r\nEvt_next();\r\n");
    EXPECT_EQ(Lines(H("90 FE 02")), "Evt_next();\r\n");
}

TEST(CodecPrototype, FileStartingWithIllegalOpcodeHasNoInstructionLine) {
    ScriptContext ctx(PrototypeDialect());
    EXPECT_EQ(DisassembleBuffer(ctx, H("FF 02 03"), "room"), "int room(void) {\r\n\r\n\t\t\t}");
    ctx.indent = 0;
    EXPECT_EQ(DisassembleBuffer(ctx, H("FF 02 03"), "room"), "int room(void) {\r\n\r\n}");
}

TEST(CodecPrototype, KeywordLinesArePassedOver) {
    const char* skipped[] = {
        "if(Ck(0, 1, 1)) {", "while(Ck(0, 1, 1)) {", "do {",   "switch(3) {", "case 2:",
        "default:",          "int room(void) {",     "void x", "if",          "Foo(1);",
    };
    for (const char* line : skipped) {
        SCOPED_TRACE(line);
        EXPECT_EQ(Compiled(std::string(line) + "\r\n"), "");
    }
    EXPECT_EQ(Compiled("nop();\r\n"), "00");
    EXPECT_EQ(Compiled("UnknownOpcode();\r\n"), "1D");
    // The if/else example: only the statements and the braces remain.
    EXPECT_EQ(Compiled("if(Ck(1, 2, 3)) {\r\nEvt_next();\r\n} else {\r\nWsleep();\r\n}\r\n"),
              "02 08 00 0B 08 00");
    EXPECT_EQ(Compiled("do {\r\nEvt_next();\r\n} while(Ck(1, 2, 3));\r\n"), "02 08 00");
}

TEST(CodecPrototype, NamesAreThoseOfThePrototypeTable) {
    EXPECT_EQ(Compiled("Sce_fade_set(1, 2, 3, 4, 5);\r\n"), "55 01 02 03 04 05");
    ScriptContext retail(RetailDialect());
    EXPECT_EQ(Hex(CompileBuffer(retail, "Sce_fade_set(1, 2, 3, 4, 5);\r\n")), "53 01 02 03 04 05");
    EXPECT_EQ(Compiled("Work_copy(1, 2, 3);\r\nSce_bgmtbl_set(1, 2, 3, 4);\r\n"), "");
}

TEST(CodecPrototype, NoLineCompilesToTheUnnamedRows) {
    const Dialect& d = PrototypeDialect();
    for (int op = 0; op < 256; ++op) {
        const std::string name = d.Name(static_cast<std::uint8_t>(op));
        for (const std::string& line : {name + "();\r\n", name + "(1, 2, 3);\r\n", name + "\r\n"}) {
            ScriptContext ctx(PrototypeDialect());
            const std::string bytes = CompileBuffer(ctx, line);
            if (bytes.empty()) continue;
            const int first = static_cast<unsigned char>(bytes[0]);
            SCOPED_TRACE(line);
            EXPECT_NE(first, 0x4C);
            EXPECT_NE(first, 0x4D);
            EXPECT_LT(first, 0x58);
        }
    }
}

TEST(CodecPrototype, InstructionsBothWays) {
    const Case cases[] = {
        // Evt_exec prints four hex digits.
        {"04 01 34 12", "Evt_exec(1, 0x1234);"},
        {"04 02 05 00", "Evt_exec(2, 0x0005);"},
        // Shortened records.
        {"2B 03 10 27", "Message_on(3, 10000);"},
        {"39 01 0A 00", "Dir_ck(1, 10);"},
        {"45 01 02", "Col_chg_set(1, 2);"},
        {"53 07 08", "Sce_bgm_control(7, 8);"},
        // Renumbered instructions with their retail forms.
        {"4E 01 02 03 04", "Sce_espr_kill(1, 2, 3, 4);"},
        {"4F 01 02 03 04 05 10 27 01 00 02 00 03 00 04 00 05 00 06 00 F9 FF",
         "Obj_model_move(1, 2, 3, 4, 5, 10000, 1, 2, 3, 4, 5, 6, -7);"},
        {"50 01 02 03 04 05 0A 00 F6 FF 64 00 00 80 05 00 10 27 FF FF 34 12",
         "Item_aot_set(1, 2, 3, 4, 5, 10, -10, 100, -32768, 0x05, 10000, 65535, 0x1234);"},
        {"51 01 F6 FF", "Sce_key_ck(1, -10);"},
        {"52 02 0A 00", "Sce_trg_ck(2, 10);"},
        {"54 01 02 03 04 05", "Sce_espr_control(1, 2, 3, 4, 5);"},
        {"55 01 02 03 04 05", "Sce_fade_set(1, 2, 3, 4, 5);"},
        {"56 01 10 27 FF FF", "Member_calc(1, 10000, 65535);"},
        {"57 01 02 03", "Member_calc2(1, 2, 3);"},
        // Instructions as in retail.
        {"01 03", "return 3;"},
        {"03 01 02 03", "Evt_chain(1, 2, 3);"},
        {"05 09", "Evt_kill(9);"},
        {"09 0A 1E 00", "Sleep(30);"},
        {"0A 2C 01", "Sleeping(300);"},
        {"17 00 00 00 10 00", "goto(0x00000010);"},
        {"18 05", "goto Sub05();"},
        {"19 02", "return Sub02();"},
        {"21 01 02 03", "Ck(1, 2, 3)"},
        {"23 00 FD 02 0A 00", "Cmp(-3 >= 10)"},
        {"24 01 2C 01", "Save(1, 300);"},
        {"26 00 03 02 64 00", "Calc(2 / 100)"},
        {"29 1F", "Cut_chg(0x1F);"},
        {"2C 01 02 03 04 05 0A 00 F6 FF 64 00 00 80 07 08 09 00 00 00",
         "Aot_set(1, 2, 3, 4, 5, 10, -10, 100, -32768, 7, 8, 9);"},
        {"32 00 9C FF 00 00 C8 00", "Pos_set(0, -100, 0, 200);"},
        {"36 01 02 03 04 05 0A 00 F6 FF 00 80", "Se_on(1, 2, 3, 4, 5, 10, -10, -32768);"},
        {"37 01 34 12", "Sca_id_set(1, 0x1234);"},
        {"3A 0A 0B 01 02 03 05 00 01 00 02 00 03 00 FC FF",
         "Sce_espr_on(0x0A, 0x0B, 1, 2, 3, 0x05, 1, 2, 3, -4);"},
        {"3E 00 02 01 05 00", "Member_cmp(512 > 5)"},
        {"41 01 02 03 0A 00 F6 FF 00 00", "Plc_neck(1, 2, 3, 10, -10, 0);"},
        {"46 01 02 03 10 27 FF FF 05 00", "Aot_reset(1, 2, 3, 10000, 65535, 0x05);"},
        {"48 01 02 03 01 00 02 00 03 00 04 00 05 00 FA FF",
         "Super_set(1, 2, 3, 1, 2, 3, 4, 5, -6);"},
        {"49 01 02 03 04 05 06 07", "Super_reset(1, 2, 3, 4, 5, 6, 7);"},
        {"4B 01 02", "Cut_replace(1, 2);"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.bytes) + " / " + c.line);
        EXPECT_EQ(Line(H(c.bytes)), c.line);
        EXPECT_EQ(Compiled(std::string(c.line) + "\r\n"),
                  Hex(H(c.compiled ? c.compiled : c.bytes)));
    }
}

TEST(CodecPrototype, SurplusArgumentsOfShortenedRecordsAreIgnored) {
    EXPECT_EQ(Compiled("Message_on(3, 10000, 0x00FF);\r\n"), "2B 03 10 27");
    EXPECT_EQ(Compiled("Dir_ck(1, 10, 20, 30);\r\n"), "39 01 0A 00");
    EXPECT_EQ(Compiled("Col_chg_set(1, 2, 3, 4);\r\n"), "45 01 02");
    EXPECT_EQ(Compiled("Sce_bgm_control(7, 8, 9, 10, 11);\r\n"), "53 07 08");
    EXPECT_EQ(Compiled("Evt_exec(1, 1234);\r\n"), "04 01 34 12");
}

TEST(CodecPrototype, ObjModelSetAndSceEmSetAreCutAtTheirSize) {
    const std::string objArgs =
        "0x1F, 1, 2, 3, 4, 5, 6, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6, 7";
    const std::string objBytes = "2D 1F 01 02 03 04 05 06 01 00 FF FF 02 00 FE FF 03 00 FD FF 04 "
                                 "00 FC FF 05 00 FB FF 06 00 FA FF 07 00";
    EXPECT_EQ(Compiled("Obj_model_set(" + objArgs + ", -32768, 32767);\r\n"), objBytes);
    EXPECT_EQ(Compiled("Obj_model_set(" + objArgs + ");\r\n"), objBytes);
    EXPECT_EQ(H(objBytes).size(), 34u);
    EXPECT_EQ(Line(H(objBytes)), "Obj_model_set(" + objArgs + ");");

    const std::string emArgs = "1, 2, 0xAB, 3, 4, 5, 6, 7, -1, 1, 2, 3, 4, 5";
    const std::string emBytes = "44 01 02 AB 03 04 05 06 07 FF 01 00 02 00 03 00 04 00 05 00";
    EXPECT_EQ(Compiled("Sce_em_set(" + emArgs + ", -6);\r\n"), emBytes);
    EXPECT_EQ(H(emBytes).size(), 20u);
    EXPECT_EQ(Line(H(emBytes)), "Sce_em_set(" + emArgs + ");");
}

TEST(CodecPrototype, FlrSetKeepsTheBufferBeyondItsTwoFields) {
    const std::string seOn = "Se_on(0, 0, 0, 0, 0, 1798, 2312, 2826);\r\n";
    const std::string seOnBytes = "36 00 00 00 00 00 06 07 08 09 0A 0B ";
    EXPECT_EQ(Compiled(seOn + "Flr_set(1, 2);\r\n"),
              seOnBytes + "38 01 02 00 00 00 06 07 08 09 0A 0B");
    EXPECT_EQ(Compiled(seOn + "Flr_set(1, -1);\r\n"),
              seOnBytes + "38 01 FF FF FF FF 06 07 08 09 0A 0B");
    EXPECT_EQ(Compiled("Flr_set(1, 2);\r\n"), "38 01 02 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(Line(H("38 01 02 03 04 05 06 07 08 09 0A 0B")), "Flr_set(1, 2);");
}

TEST(CodecPrototype, Calc2HasTheFormOfCalc) {
    const char* texts[] = {"+", "-", "*", "/", "%", "||", "&&", "^", "~", "<<", ">>", "~>>"};
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        const std::string bytes = H("27 00") + static_cast<char>(code) + H("05");
        const std::string text = code < 12 ? texts[code] : "";
        EXPECT_EQ(Line(bytes), "Calc2(5 " + text + " 0)");
        if (code < 12) {
            EXPECT_EQ(Compiled("Calc2(5 " + text + " 100)\r\n"), Hex(bytes));
        }
    }
    // The third value is what the buffer holds at offsets 4 and 5.
    EXPECT_EQ(Lines(H("32 00 00 00 D2 04 00 00 27 00 04 05")),
              "Pos_set(0, 0, 1234, 0);\r\nCalc2(5 % 1234)\r\n");
    // Offset 1 is kept; an operator not in the list keeps offset 2.
    EXPECT_EQ(Compiled("Copy(7, 8);\r\nCalc2(5 % 100)\r\n"), "25 07 08 27 07 04 05");
    EXPECT_EQ(Compiled("Copy(7, 8);\r\nCalc2(5 ** 100)\r\n"), "25 07 08 27 07 08 05");
    // The third argument goes to the buffer only, so the same record shows it again.
    ScriptContext ctx(PrototypeDialect());
    ctx.indent = 0;
    const std::string bytes = CompileBuffer(ctx, "Calc2(5 % 100)\r\n");
    EXPECT_EQ(Hex(bytes), "27 00 04 05");
    EXPECT_EQ(ctx.code[4], 100);
    EXPECT_EQ(ctx.code[5], 0);
    EXPECT_EQ(Body(ctx, bytes), "Calc2(5 % 100)\r\n");
}

TEST(CodecPrototype, ForBlocksCloseThroughTheBlockStack) {
    EXPECT_EQ(Compiled("for(n = 0; n < 3; n++) {\r\nCut_chg(0x1F);\r\n}\r\n"),
              "0D 00 00 00 03 00 29 1F 0E 00");
    EXPECT_EQ(Compiled("for(n = 0; n < 2; n++) {\r\nfor(n = 0; n < 3; n++) {\r\n}\r\n}\r\n}\r\n"),
              "0D 00 00 00 02 00 0D 00 00 00 03 00 0E 00 0E 00 08 00");
    // Any "}" while a for block is open closes the innermost for block.
    EXPECT_EQ(
        Compiled("for(n = 0; n < 5; n++) {\r\nif(Ck(1, 2, 3)) {\r\nEvt_next();\r\n}\r\n}\r\n"),
        "0D 00 00 00 05 00 02 0E 00 08 00");
    // With no for block open: 08 and the byte that the buffer holds.
    EXPECT_EQ(Compiled("Cut_chg(0x1F);\r\n}\r\n"), "29 1F 08 1F");
    EXPECT_EQ(Compiled("Cut_chg(0x1F);\r\n} else {\r\n"), "29 1F 08 1F");
}

TEST(CodecPrototype, MoreThan127ForBlocksStillClose) {
    const int n = 130;
    std::string open, close, expected;
    for (int i = 0; i < n; ++i) {
        open += "for(n = 0; n < 1; n++) {\r\n";
        close += "}\r\n";
        expected += "0D 00 00 00 01 00 ";
    }
    for (int i = 0; i < n; ++i) expected += "0E 00 ";
    expected += "08 00";

    ScriptContext ctx(PrototypeDialect());
    CompileBuffer(ctx, open);
    EXPECT_EQ(ctx.forDepth, n);

    EXPECT_EQ(Hex(CompileBuffer(ctx, open + close + "}\r\n")), expected);
    EXPECT_EQ(ctx.forDepth, 0);
}

TEST(CodecPrototype, ForDepthStartsAtZeroInEveryCompileRun) {
    ScriptContext ctx(PrototypeDialect());
    CompileBuffer(ctx, "for(n = 0; n < 3; n++) {\r\n");
    EXPECT_EQ(Hex(CompileBuffer(ctx, "}\r\n")), "08 00");
    EXPECT_EQ(Hex(CompileBuffer(ctx, "for(n = 0; n < 3; n++) {\r\n}\r\n")),
              "0D 00 00 00 03 00 0E 00");
}

TEST(CodecPrototype, MendsOfTheRetailCodecApplyToo) {
    EXPECT_EQ(Compiled("goto Sub05();\r\nreturn Sub02();\r\n"), "18 05 19 02");
    EXPECT_EQ(Compiled("Calc(2 / 100)\r\nSce_rnd(); // Evt_next();\r\n"), "26 00 03 02 64 00 28");
    EXPECT_EQ(Compiled("Sce_rnd(); /* x */ \r\nSave(1,\r\n20);\r\n"), "28 24 01 14 00");
    EXPECT_EQ(Lines(H("06 00 00 00")), "if() {\r\n");
    const std::string blanks(4000, ' ');
    EXPECT_EQ(Compiled("Save(1," + blanks + "20);\r\n"), "24 01 14 00");
}

TEST(CodecPrototype, DisassemblesBlocksAsRetailDoes) {
    const std::string bytes =
        H("06 00 00 00 21 01 02 03 02 07 00 00 00 0B 00 00 0D 00 00 00 02 00 28 0E 00");
    ScriptContext proto(PrototypeDialect()), retail(RetailDialect());
    const std::string text = Body(proto, bytes);
    EXPECT_EQ(text,
              "\tif(Ck(1, 2, 3)) {\r\n\t\tEvt_next();\r\n\t} else {\r\n\t\tWsleep();\r\n\t}\r\n"
              "\tfor(n = 0; n < 2; n++) {\r\n\t\tSce_rnd();\r\n\t}\r\n");
    EXPECT_EQ(Body(retail, bytes), text);
}

TEST(CodecPrototype, FileDriversWriteBesideTheInput) {
    char tmpl[] = "/tmp/quillon-proto-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string dir = tmpl;
    {
        std::FILE* f = std::fopen((dir + "/room.c").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("for(n = 0; n < 3; n++) {\r\nCut_chg(0x1F);\r\n}\r\n", f);
        std::fclose(f);
    }
    ScriptContext ctx(PrototypeDialect());
    EXPECT_EQ(CompileFile(ctx, dir + "/room.c"), 0);
    std::string bytes, reason;
    ASSERT_TRUE(ReadWholeFile(dir + "/room.scd", bytes, reason));
    EXPECT_EQ(Hex(bytes), "0D 00 00 00 03 00 29 1F 0E 00");
    EXPECT_EQ(DisassembleFile(ctx, dir + "/room.scd"), 0);
    std::string text;
    ASSERT_TRUE(ReadWholeFile(dir + "/room.c", text, reason));
    EXPECT_EQ(
        text,
        "int room(void) {\r\n\r\n\tfor(n = 0; n < 3; n++) {\r\n\t\tCut_chg(0x1F);\r\n\t}\r\n}");
    std::remove((dir + "/room.c").c_str());
    std::remove((dir + "/room.scd").c_str());
    std::remove(dir.c_str());
}

// ---- the two records -------------------------------------------------------------

TEST(CodecDialects, RecordsAreIndependent) {
    ScriptContext& retail = RetailContext();
    ScriptContext& proto = PrototypeContext();
    ASSERT_NE(&retail, &proto);
    const int retailIndent = retail.indent, protoIndent = proto.indent;

    // Instruction buffers.
    EXPECT_EQ(Hex(CompileBuffer(retail, "Evt_chain(7, 8, 9);\r\n")), "03 07 08 09");
    EXPECT_EQ(Hex(CompileBuffer(proto, "Cut_chg(0x1F);\r\n")), "29 1F");
    EXPECT_EQ(Hex(CompileBuffer(retail, "goto(0x10);\r\n")), "17 07 08 09 10 00");
    EXPECT_EQ(Hex(CompileBuffer(proto, "}\r\n")), "08 1F");

    // Block state: a prototype for block leaves the retail braces alone.
    EXPECT_EQ(Hex(CompileBuffer(proto, "for(n = 0; n < 3; n++) {\r\n}\r\n")),
              "0D 00 00 00 03 00 0E 00");
    EXPECT_EQ(Hex(CompileBuffer(retail, "do {\r\n")), "11 00 00 00");
    EXPECT_EQ(proto.forDepth, 0);
    EXPECT_EQ(Hex(CompileBuffer(proto, "}\r\n")), "08 00");

    // Indentation flags.
    retail.indent = 0;
    proto.indent = 1;
    EXPECT_EQ(Body(proto, H("02")), "\tEvt_next();\r\n");
    EXPECT_EQ(Body(retail, H("02")), "Evt_next();\r\n");
    retail.indent = 1;
    proto.indent = 0;
    EXPECT_EQ(Body(proto, H("02")), "Evt_next();\r\n");
    EXPECT_EQ(Body(retail, H("02")), "\tEvt_next();\r\n");

    // The case flag.
    retail.indent = proto.indent = 1;
    Body(retail, H("15 00"));
    Body(proto, H("14 00 00 00 02 00"));
    EXPECT_EQ(proto.caseOpen, 1);
    EXPECT_EQ(retail.caseOpen, 0);
    EXPECT_EQ(Body(retail, H("11 00 00 00 14 00 00 00 05 00")), "\tdo {\r\n\t\tcase 5:\r\n");
    EXPECT_EQ(Body(proto, H("11 00 00 00 14 00 00 00 05 00")), "\tdo {\r\n\tcase 5:\r\n");
    Body(proto, H("15 00"));

    // The same bytes, each record its own table.
    EXPECT_EQ(Body(retail, H("2B 03 10 27 05 00")), "\tMessage_on(3, 10000, 0x0005);\r\n");
    EXPECT_EQ(Body(proto, H("2B 03 10 27 05 00")), "\tMessage_on(3, 10000);\r\n\tEvt_kill(0);\r\n");

    retail.indent = retailIndent;
    proto.indent = protoIndent;
}

// ---- round trip ------------------------------------------------------------------

// Prototype opcodes whose every byte is shown by their line.
const int kProtoShownInFull[] = {
    0x01, 0x02, 0x03, 0x04, 0x05, 0x09, 0x0A, 0x0B, 0x0C, 0x18, 0x19, 0x21, 0x22, 0x24, 0x25, 0x26,
    0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37,
    0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48,
    0x49, 0x4A, 0x4B, 0x4E, 0x4F, 0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57,
};

TEST(CodecPrototype, DisassemblyCompilesBackToTheSameBytes) {
    std::mt19937 rng(1501u);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const Dialect& d = PrototypeDialect();
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        const int count = pick(1, 30);
        for (int i = 0; i < count; ++i) {
            std::string b;
            if (pick(0, 9) == 0) {
                b = H("0D 00 00 00") + static_cast<char>(pick(0, 255)) +
                    static_cast<char>(pick(0, 255)) + H("02 0E 00");
            } else {
                const int op =
                    kProtoShownInFull[pick(0, static_cast<int>(std::size(kProtoShownInFull)) - 1)];
                b = std::string(1, static_cast<char>(op));
                for (int k = 1; k < d.Size(static_cast<std::uint8_t>(op)); ++k)
                    b += static_cast<char>(pick(0, 255));
                if (op == 0x09) b[1] = 0x0A;
                if (op == 0x26) b[1] = 0, b[2] = static_cast<char>(pick(0, 11));
                if (op == 0x2C) b[17] = b[18] = b[19] = 0;
                if (op == 0x3E) b[3] = static_cast<char>(pick(0, 6));
            }
            bytes += b;
        }
        ScriptContext a(PrototypeDialect()), c(PrototypeDialect());
        const std::string text = DisassembleBuffer(a, bytes, "room");
        ASSERT_EQ(Hex(CompileBuffer(c, text)), Hex(bytes)) << text;
    }
}

} // namespace
