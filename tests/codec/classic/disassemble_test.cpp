// The disassembler's line loop: header and footer, nesting depth and
// indentation, unknown opcodes, inline conditions and else blocks.
#include <gtest/gtest.h>

#include <string>

#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "testkit/codec_support.h"

using namespace quillon;
using namespace codec_test;

namespace {

bool EndsWith(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

TEST(CodecDisassemble, EmptyInputGivesHeaderAndBraceOnly) {
    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(DisassembleBuffer(ctx, "", "room100"), "int room100(void) {\r\n\r\n}");
}

TEST(CodecDisassemble, OneInstructionWithIndentation) {
    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(DisassembleBuffer(ctx, H("01 05"), "room100"),
              "int room100(void) {\r\n\r\n\treturn 5;\r\n}");
    ctx.indent = 0;
    EXPECT_EQ(DisassembleBuffer(ctx, H("01 05"), "room100"),
              "int room100(void) {\r\n\r\nreturn 5;\r\n}");
    ctx.indent = 2; // any value but 1 means no tabs
    EXPECT_EQ(Body(ctx, H("01 05")), "return 5;\r\n");
}

TEST(CodecDisassemble, BlocksAreIndentedOneLevelDeeper) {
    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(Body(ctx, H("06 00 00 00 21 01 02 03 02 08 00")),
              "\tif(Ck(1, 2, 3)) {\r\n\t\tEvt_next();\r\n\t}\r\n");
    EXPECT_EQ(Body(ctx, H("0F 00 00 00 21 01 02 03 02 10 00")),
              "\twhile(Ck(1, 2, 3)) {\r\n\t\tEvt_next();\r\n\t}\r\n");
    EXPECT_EQ(Body(ctx, H("0D 00 00 00 03 00 02 0E 00")),
              "\tfor(n = 0; n < 3; n++) {\r\n\t\tEvt_next();\r\n\t}\r\n");
    // The second for (0x1B), switch and its "}" (0x16) and the one-byte break
    // leave the depth alone.
    EXPECT_EQ(Body(ctx, H("1B 00 00 00 07 00 02 13 01 00 00 1C 16 00 02")),
              "\tfor(n = 0; n < 7; n++) {\r\n\tEvt_next();\r\n\tswitch(1) {\r\n\tbreak;\r\n\t}\r\n"
              "\tEvt_next();\r\n");
    EXPECT_EQ(Body(ctx, H("11 00 00 00 02 12 04 21 01 02 03 0B")),
              "\tdo {\r\n\t\tEvt_next();\r\n\t} while(Ck(1, 2, 3));\r\n\tWsleep();\r\n");
}

TEST(CodecDisassemble, ClosingBraceAtDepthOneIsClampedBackToOne) {
    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(Body(ctx, H("08 00")), "\t}\r\n");
    EXPECT_EQ(Body(ctx, H("08 00 08 00 02")), "\t}\r\n\t}\r\n\tEvt_next();\r\n");
    EXPECT_EQ(Body(ctx, H("1A 00 0E 00 10 00 12 04 02")),
              "\tbreak;\r\n\t}\r\n\t}\r\n\t} while(Evt_next(););\r\n");
}

TEST(CodecDisassemble, DepthIsAnEightBitCounterClampedToOne) {
    // 253 do blocks: the 253rd do line stands at depth 253 and leaves 254.
    ScriptContext ctx(RetailDialect());
    std::string bytes;
    for (int i = 0; i < 253; ++i) bytes += H("11 00 00 00");
    const std::string tabs253(253, '\t');
    // The next line is clamped to one tab...
    std::string body = Body(ctx, bytes + H("02"));
    EXPECT_TRUE(EndsWith(body, "\n\tEvt_next();\r\n"));
    EXPECT_NE(body.find(tabs253 + "do {\r\n"), std::string::npos);
    // ...unless its own "before" step takes the 254 down to 253 first.
    body = Body(ctx, bytes + H("08 00"));
    EXPECT_TRUE(EndsWith(body, "\n" + tabs253 + "}\r\n"));
}

TEST(CodecDisassemble, BytesFrom0x90MakeNoLineButKeepTheirTabs) {
    for (int op = 0x90; op <= 0xFE; ++op) {
        SCOPED_TRACE(op);
        ScriptContext ctx(RetailDialect());
        std::string bytes = H("02");
        bytes.push_back(static_cast<char>(op));
        bytes += H("02");
        EXPECT_EQ(Body(ctx, bytes), "\tEvt_next();\r\n\t\tEvt_next();\r\n");
        ctx.indent = 0;
        EXPECT_EQ(Body(ctx, bytes), "Evt_next();\r\nEvt_next();\r\n");
    }
}

TEST(CodecDisassemble, UnknownOpcodesOfTheFirstRowsGiveAnEmptyText) {
    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(Body(ctx, H("1E 1F 20")), "\t\r\n\t\r\n\t\r\n");
}

TEST(CodecDisassemble, UnknownOpcodeCommentNamesTheOffsetPastTheInstruction) {
    ScriptContext ctx(RetailDialect());
    ctx.indent = 0;
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += H("03 01 02 03");
    bytes += H("85 01 02 03 04 05 02");
    const std::string body = Body(ctx, bytes);
    EXPECT_NE(
        body.find(
            "Evt_chain(1, 2, 3);\r\n// unknown opcode (85) found at 0x00000016\r\nEvt_next();\r\n"),
        std::string::npos)
        << body;
    const struct {
        const char* bytes;
        const char* line;
    } cases[] = {
        {"82 00 00", "// unknown opcode (82) found at 0x00000003\r\n"},
        {"83", "// unknown opcode (83) found at 0x00000001\r\n"},
        {"84 00", "// unknown opcode (84) found at 0x00000002\r\n"},
        {"89", "// unknown opcode (89) found at 0x00000001\r\n"},
        {"8A 00 00 00 00 00", "// unknown opcode (8A) found at 0x00000006\r\n"},
        {"8F", "// unknown opcode (8F) found at 0x00000001\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Body(ctx, H(c.bytes)), c.line);
}

TEST(CodecDisassemble, DispatchGivesTheUnknownOpcodeComment) {
    ScriptContext ctx(RetailDialect());
    ctx.opcode = ctx.code[0] = 0x85;
    ctx.nextPos = 0x16;
    EXPECT_EQ(Dispatch(ctx), "// unknown opcode (85) found at 0x00000016");
    ctx.opcode = ctx.code[0] = 0x8E;
    ctx.nextPos = 0x12345678;
    EXPECT_EQ(Dispatch(ctx), "// unknown opcode (8E) found at 0x12345678");
}

TEST(CodecDisassemble, SizeZeroOpcodesRepeatUntilThePassCountReachesTheSize) {
    ScriptContext ctx(RetailDialect());
    ctx.indent = 0;
    const std::string comment = "// unknown opcode (81) found at 0x00000000\r\n";
    EXPECT_EQ(Body(ctx, H("81 02 02")), comment + comment + comment);
    EXPECT_EQ(Body(ctx, H("FF 02 02")), "");
    ctx.indent = 1;
    EXPECT_EQ(Body(ctx, H("FF 02 02 02")), "\t\t\t\t");
    EXPECT_EQ(Body(ctx, H("02 FF 02")), "\tEvt_next();\r\n\t\t");
}

TEST(CodecDisassemble, InstructionRunningPastTheEndEndsTheLoop) {
    ScriptContext ctx(RetailDialect());
    ctx.indent = 0;
    EXPECT_EQ(Body(ctx, H("02 01")), "Evt_next();\r\nreturn 0;\r\n");
    EXPECT_EQ(Body(ctx, H("25 07")), "Copy(7, 0);\r\n");
}

TEST(CodecDisassemble, SwitchLabelsStepTheDepth) {
    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(Body(ctx, H("13 03 00 00 14 00 00 00 02 00 02 14 00 00 00 03 00 02 1A 00 16 00")),
              "\tswitch(3) {\r\n"
              "\tcase 2:\r\n"
              "\t\tEvt_next();\r\n"
              "\tcase 3:\r\n"
              "\t\tEvt_next();\r\n"
              "\tbreak;\r\n"
              "\t}\r\n");
    EXPECT_EQ(ctx.caseOpen, 0);
    // default opens a level and closes the case; the one-byte break leaves it.
    EXPECT_EQ(Body(ctx, H("11 00 00 00 14 00 00 00 01 00 15 00 02 1C 02")),
              "\tdo {\r\n\t\tcase 1:\r\n\t\t\tdefault:\r\n\t\t\t\tEvt_next();\r\n\t\t\t\tbreak;\r\n"
              "\t\t\t\tEvt_next();\r\n");
    EXPECT_EQ(ctx.caseOpen, 0);
}

TEST(CodecDisassemble, CaseFlagCarriesIntoTheNextRunOfTheRecord) {
    const std::string next = H("11 00 00 00 14 00 00 00 05 00");
    ScriptContext fresh(RetailDialect());
    EXPECT_EQ(Body(fresh, next), "\tdo {\r\n\t\tcase 5:\r\n");

    ScriptContext ctx(RetailDialect());
    Body(ctx, H("14 00 00 00 02 00"));
    EXPECT_EQ(ctx.caseOpen, 1);
    EXPECT_EQ(Body(ctx, next), "\tdo {\r\n\tcase 5:\r\n");
}

TEST(CodecDisassemble, ConditionsAreReadInline) {
    ScriptContext ctx(RetailDialect());
    ctx.indent = 0;
    EXPECT_EQ(Body(ctx, H("06 00 00 00 21 01 02 03")), "if(Ck(1, 2, 3)) {\r\n");
    EXPECT_EQ(Body(ctx, H("06 00 00 00 23 00 FD 02 0A 00")), "if(Cmp(-3 >= 10)) {\r\n");
    EXPECT_EQ(Body(ctx, H("0F 00 00 00 3E 00 02 01 05 00")), "while(Member_cmp(512 > 5)) {\r\n");
    EXPECT_EQ(Body(ctx, H("12 04 21 01 02 03")), "} while(Ck(1, 2, 3));\r\n");
    // Any other instruction brings its own ";" inside the parentheses.
    EXPECT_EQ(Body(ctx, H("06 00 00 00 02")), "if(Evt_next();) {\r\n");
    // A conditional condition reads the next one in turn.
    EXPECT_EQ(Body(ctx, H("06 00 00 00 06 00 00 00 21 01 02 03 02")),
              "if(if(Ck(1, 2, 3)) {) {\r\nEvt_next();\r\n");
    EXPECT_EQ(Body(ctx, H("0F 00 00 00 12 04 21 01 02 03")), "while(} while(Ck(1, 2, 3));) {\r\n");
}

TEST(CodecDisassemble, ConditionAtTheEndOfTheFileIsEmpty) {
    ScriptContext ctx(RetailDialect());
    ctx.indent = 0;
    EXPECT_EQ(Body(ctx, H("06 00 00 00")), "if() {\r\n");
    EXPECT_EQ(Body(ctx, H("0F 00 00 00")), "while() {\r\n");
    EXPECT_EQ(Body(ctx, H("12 04")), "} while();\r\n");
    EXPECT_EQ(Body(ctx, H("02 06 00 00 00 06 00 00 00")), "Evt_next();\r\nif(if() {) {\r\n");
    // An if cut short by the end of the file has no condition either.
    EXPECT_EQ(Body(ctx, H("06 00")), "if() {\r\n");
}

TEST(CodecDisassemble, LongChainsOfConditionsDoNotNestTheReading) {
    ScriptContext ctx(RetailDialect());
    ctx.indent = 0;
    std::string bytes;
    const int n = 200000;
    for (int i = 0; i < n; ++i) bytes += H("06 00 00 00");
    bytes += H("21 01 02 03");
    const std::string body = Body(ctx, bytes);
    EXPECT_EQ(body.size(), static_cast<size_t>(n) * 6 + 11 + 2);
    EXPECT_EQ(body.substr(0, 6), "if(if(");
    EXPECT_NE(body.find("Ck(1, 2, 3)) {) {"), std::string::npos);
}

TEST(CodecDisassemble, ConditionWithoutAnInputFileReportsRead) {
    MessageCapture messages;
    ScriptContext ctx(RetailDialect());
    ctx.opcode = ctx.code[0] = 0x06;
    const std::string text = Dispatch(ctx);
    EXPECT_EQ(text.substr(0, 3), "if(");
    ASSERT_FALSE(messages.shown().empty());
    EXPECT_EQ(messages.shown()[0].text, "Read() Fail!");
}

TEST(CodecDisassemble, ElseBlockEndsAtItsComputedEnd) {
    // An else of length 8 at 0x20 ends at 0x26: a nop whose end lies at 0x26
    // closes it, and the byte after that nop is skipped.
    std::string prefix = H("06 00 00 00 21 01 02 03");
    for (int i = 0; i < 6; ++i) prefix += H("03 01 02 03");
    ASSERT_EQ(prefix.size(), 0x20u);
    std::string lines = "\tif(Ck(1, 2, 3)) {\r\n";
    for (int i = 0; i < 6; ++i) lines += "\t\tEvt_chain(1, 2, 3);\r\n";
    lines += "\t} else {\r\n";

    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(Body(ctx, prefix + H("07 00 08 00 02 00 28 0B")),
              lines + "\t\tEvt_next();\r\n\t}\r\n\tWsleep();\r\n");
    EXPECT_EQ(ctx.elseOpen, 0);
    EXPECT_EQ(ctx.elseDepth, 0);
    // A nop that ends before 0x26 is an ordinary nop.
    EXPECT_EQ(Body(ctx, prefix + H("07 00 08 00 00 00 28 0B")),
              lines + "\t\tnop();\r\n\t}\r\n\tWsleep();\r\n");
    // A nop without an open else block is a nop.
    EXPECT_EQ(Body(ctx, H("00 28")), "\tnop();\r\n\tSce_rnd();\r\n");
}

TEST(CodecDisassemble, ElseStateIsResetAtEveryRun) {
    ScriptContext ctx(RetailDialect());
    ctx.indent = 0;
    Body(ctx, H("07 00 40 00"));
    EXPECT_EQ(ctx.elseOpen, 1);
    EXPECT_EQ(Body(ctx, H("00 28")), "nop();\r\nSce_rnd();\r\n");
}

TEST(CodecDisassemble, MoreThanSevenElseBlocksStillClose) {
    // Nine nested if/else pairs; compiled else blocks have length 0, so the
    // first nop after each else closes the innermost one.
    const int levels = 9;
    std::string source, expected;
    for (int i = 0; i < levels; ++i) {
        const std::string tabs(static_cast<size_t>(i) + 1, '\t');
        source +=
            tabs + "if(Ck(1, 2, 3)) {\r\n" + tabs + "\tEvt_next();\r\n" + tabs + "} else {\r\n";
    }
    source += std::string(levels + 1, '\t') + "Wsleep();\r\n";
    for (int i = levels - 1; i >= 0; --i)
        source += std::string(static_cast<size_t>(i) + 1, '\t') + "}\r\n";
    ScriptContext compiler(RetailDialect());
    const std::string bytes = CompileBuffer(compiler, source);
    std::string expectedBytes;
    for (int i = 0; i < levels; ++i) expectedBytes += H("06 00 00 00 21 01 02 03 02 07 00 00 00");
    expectedBytes += H("0B");
    for (int i = 0; i < levels; ++i) expectedBytes += H("00 00");
    EXPECT_EQ(Hex(bytes), Hex(expectedBytes));

    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(Body(ctx, bytes), source);
    EXPECT_EQ(ctx.elseDepth, 0);
    EXPECT_EQ(ctx.elseOpen, 0);
    // The same record disassembles a plain else afterwards.
    EXPECT_EQ(Body(ctx, H("07 00 00 00 02 00 00 0B")),
              "\t} else {\r\n\t\tEvt_next();\r\n\t}\r\n\tWsleep();\r\n");
}

TEST(CodecDisassemble, InstructionBufferIsNeverCleared) {
    ScriptContext ctx(RetailDialect());
    ctx.indent = 0;
    Body(ctx, H("2C 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13"));
    // A lone Aot_set shows the bytes the buffer held.
    EXPECT_EQ(Body(ctx, H("2C")),
              "Aot_set(1, 2, 3, 4, 5, 1798, 2312, 2826, 3340, 14, 15, 16);\r\n");
}

} // namespace
