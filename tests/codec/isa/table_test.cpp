// The opcode tables of both dialects, the name search, and reading and
// writing single instructions.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "codec/isa/exact_rows.h"
#include "testkit/codec_support.h"

using namespace quillon;
using namespace codec_test;

namespace {

// Rows worked out by hand from the scripts: size and name.
const struct {
    const Dialect& (*dialect)();
    int opcode, size;
    const char* name;
} kHandRows[] = {
    {RetailDialect, 0x00, 1, "nop"},
    {RetailDialect, 0x2C, 20, "Aot_set"},
    {RetailDialect, 0x2D, 38, "Obj_model_set"},
    {RetailDialect, 0x68, 40, "Door_aot_set_4p"},
    {RetailDialect, 0x81, 0, "UnknownOpcode"},
    {RetailDialect, 0x8F, 1, "nop"},
    {RetailDialect, 0xFF, 0, "IllegalOpcode"},
    {PrototypeDialect, 0x2D, 34, "Obj_model_set"},
    {PrototypeDialect, 0x38, 12, "Flr_set"},
    {PrototypeDialect, 0x4E, 5, "Sce_espr_kill"},
    {PrototypeDialect, 0x60, 1, "nop"},
    {PrototypeDialect, 0xFF, 0, "IllegalOpcode"},
};

TEST(CodecTable, RowsWorkedOutByHand) {
    for (const auto& r : kHandRows) {
        const Dialect& d = r.dialect();
        SCOPED_TRACE(std::string(d.name) + " " + r.name);
        EXPECT_EQ(d.Size(static_cast<std::uint8_t>(r.opcode)), r.size);
        EXPECT_STREQ(d.Name(static_cast<std::uint8_t>(r.opcode)), r.name);
    }
    // Exact mode has the game's sizes where the classic table differs.
    EXPECT_EQ(exact::ExactRows().dialect.Size(0x5C), 3);
    EXPECT_EQ(exact::ExactRows().dialect.Size(0x81), 3);
    EXPECT_EQ(exact::ExactRows().dialect.forms[0x68]->fieldCount, 27);
}

// Each row sits at its opcode, and every field of a retail form, classic or
// exact, lies within the instruction (the prototype cuts retail forms).
TEST(CodecTable, RowsAreInPlaceAndFormsFitTheirSizes) {
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect(), &exact::ExactRows().dialect}) {
        for (int op = 0; op < 256; ++op) {
            SCOPED_TRACE(std::string(d->name) + " row " + std::to_string(op));
            EXPECT_EQ((*d->table)[op].opcode, op);
            if (d == &PrototypeDialect()) continue;
            const Form& f = *d->forms[op];
            for (int i = 0; i < f.fieldCount; ++i)
                EXPECT_LE(f.fields[i].offset + WidthOf(f.fields[i].kind), d->Size(op));
        }
    }
}

// Names repeat below 0x90 only for these: compiling finds the first row.
TEST(CodecTable, OnlyTheseNamesRepeat) {
    const std::set<std::string> repeating = {"nop", "return", "}", "for", "break", "UnknownOpcode"};
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        std::set<std::string> seen;
        for (int op = 0; op < 0x90; ++op) {
            const std::string name = d->Name(static_cast<std::uint8_t>(op));
            if (!seen.insert(name).second) {
                EXPECT_TRUE(repeating.count(name)) << d->name << " " << name;
            }
        }
    }
}

TEST(CodecTable, NameSearchTakesTheFirstRowBelow0x90) {
    const Dialect& r = RetailDialect();
    const struct {
        const char* word;
        int opcode;
    } cases[] = {
        {"}", 0x08},
        {"return", 0x01},
        {"for", 0x0D},
        {"break", 0x1A},
        {"nop", 0x00},
        {"IllegalOpcode", -1},
        {"UnknownOpcode", 0x1E},
        {"Gosub", 0x18},
        {"Poison_ck", 0x86},
        {"Sce_Item_ck_Lost", 0x88},
        {"Evt_next", 0x02},
        {"evt_next", -1},
        {"Evt_next ", -1},
        {"", -1},
        {"} else", 0x07},
        {"else", -1},
        {"if", 0x06},
        {"Sce_fade_set", 0x53},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(r.FindName(c.word), c.opcode);
    }
    const Dialect& p = PrototypeDialect();
    EXPECT_EQ(p.FindName("UnknownOpcode"), 0x1D);
    EXPECT_EQ(p.FindName("Sce_fade_set"), 0x55);
    EXPECT_EQ(p.FindName("Sce_espr_kill"), 0x4E);
    EXPECT_EQ(p.FindName("Member_calc2"), 0x57);
    EXPECT_EQ(p.FindName("Work_copy"), -1);
    EXPECT_EQ(p.FindName("Sce_bgmtbl_set"), -1);
    EXPECT_EQ(p.FindName("IllegalOpcode"), -1);
}

// ---- Read and Write ---------------------------------------------------------

TEST(CodecRead, FramesInstructionsByTheirTableSize) {
    ScriptContext ctx(RetailDialect());
    const std::string bytes = Bytes({0x01, 0x00, 0x28});
    InputFile in{bytes};
    std::int32_t pos = 0;
    EXPECT_EQ(Read(ctx, pos, &in), 2);
    EXPECT_EQ(pos, 2);
    EXPECT_EQ(ctx.opcode, 0x01);
    EXPECT_EQ(ctx.code[0], 0x01);
    EXPECT_EQ(ctx.code[1], 0x00);
    EXPECT_EQ(Read(ctx, pos, &in), 3);
    EXPECT_EQ(ctx.opcode, 0x28);
    EXPECT_EQ(ctx.code[0], 0x28);
}

TEST(CodecRead, ShortReadKeepsTheRestOfTheBuffer) {
    ScriptContext ctx(RetailDialect());
    for (int i = 0; i < 64; ++i) ctx.code[i] = static_cast<std::uint8_t>(0xA0 + i);
    const std::string lone = Bytes({0x2C});
    InputFile in{lone};
    std::int32_t pos = 0;
    EXPECT_EQ(Read(ctx, pos, &in), 20);
    EXPECT_EQ(ctx.opcode, 0x2C);
    EXPECT_EQ(ctx.code[0], 0x2C);
    for (int i = 1; i < 64; ++i) EXPECT_EQ(ctx.code[i], 0xA0 + i) << "offset " << i;
}

TEST(CodecRead, InstructionCutByTheEndOfTheFileReadsWhatIsThere) {
    ScriptContext ctx(RetailDialect());
    for (int i = 0; i < 64; ++i) ctx.code[i] = 0xEE;
    const std::string bytes = Bytes({0x02, 0x23, 0x00, 0xFD});
    InputFile in{bytes};
    std::int32_t pos = 1;
    EXPECT_EQ(Read(ctx, pos, &in), 7);
    EXPECT_EQ(ctx.code[0], 0x23);
    EXPECT_EQ(ctx.code[1], 0x00);
    EXPECT_EQ(ctx.code[2], 0xFD);
    EXPECT_EQ(ctx.code[3], 0xEE);
    EXPECT_EQ(ctx.code[5], 0xEE);
}

TEST(CodecRead, NothingLeftKeepsThePreviousOpcodeAndItsSize) {
    ScriptContext ctx(RetailDialect());
    const std::string bytes = Bytes({0x01, 0x05});
    InputFile in{bytes};
    std::int32_t pos = 0;
    Read(ctx, pos, &in);
    EXPECT_EQ(Read(ctx, pos, &in), 4); // the size of 0x01 again
    EXPECT_EQ(ctx.opcode, 0x01);
    EXPECT_EQ(ctx.code[1], 0x05);
}

TEST(CodecRead, SizeZeroStaysWhereItIs) {
    for (std::uint8_t op : {std::uint8_t{0xFF}, std::uint8_t{0x81}}) {
        ScriptContext ctx(RetailDialect());
        const std::string bytes = Bytes({0x02, op, 0x02});
        InputFile in{bytes};
        std::int32_t pos = 1;
        EXPECT_EQ(Read(ctx, pos, &in), 1);
        EXPECT_EQ(pos, 1);
        EXPECT_EQ(ctx.opcode, op);
    }
    ScriptContext proto(PrototypeDialect());
    const std::string ff = Bytes({0xFF});
    InputFile in{ff};
    std::int32_t pos = 0;
    EXPECT_EQ(Read(proto, pos, &in), 0);
    std::int32_t pos81 = 0;
    const std::string b81 = Bytes({0x81, 0x00});
    InputFile in81{b81};
    EXPECT_EQ(Read(proto, pos81, &in81), 1); // a one-byte "nop" in the prototype table
}

TEST(CodecRead, WithoutAFileReportsAndGivesOne) {
    MessageCapture messages;
    ScriptContext ctx(RetailDialect());
    ctx.opcode = 0x02;
    std::int32_t pos = 7;
    EXPECT_EQ(Read(ctx, pos, nullptr), 1);
    EXPECT_EQ(ctx.opcode, 0xFF);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].caption, "Quillon");
    EXPECT_EQ(messages.shown()[0].text, "Read() Fail!");
}

TEST(CodecWrite, AppendsTheInstructionAtNextPos) {
    ScriptContext ctx(RetailDialect());
    OutputFile out{Bytes({0x02, 0x0B, 0x0C})};
    ctx.opcode = 0x09;
    const int code[] = {0x09, 0x0A, 0x05, 0x00, 0x77, 0x77};
    for (int i = 0; i < 6; ++i) ctx.code[i] = static_cast<std::uint8_t>(code[i]);
    std::int32_t pos = 3;
    EXPECT_EQ(Write(ctx, pos, &out), 7);
    EXPECT_EQ(pos, 7);
    EXPECT_EQ(out.bytes, Bytes({0x02, 0x0B, 0x0C, 0x09, 0x0A, 0x05, 0x00}));
}

TEST(CodecWrite, OverwritesInPlaceAndSizeZeroWritesNothing) {
    ScriptContext ctx(RetailDialect());
    OutputFile out{Bytes({0x11, 0x22, 0x33, 0x44})};
    ctx.opcode = ctx.code[0] = 0x01;
    ctx.code[1] = 0x09;
    std::int32_t pos = 1;
    EXPECT_EQ(Write(ctx, pos, &out), 3);
    EXPECT_EQ(out.bytes, Bytes({0x11, 0x01, 0x09, 0x44}));
    ctx.opcode = ctx.code[0] = 0xFF;
    EXPECT_EQ(Write(ctx, pos, &out), 3);
    EXPECT_EQ(out.bytes, Bytes({0x11, 0x01, 0x09, 0x44}));
}

TEST(CodecWrite, UsesTheSizeOfItsOwnDialect) {
    ScriptContext retail(RetailDialect()), proto(PrototypeDialect());
    OutputFile a, b;
    for (ScriptContext* ctx : {&retail, &proto}) {
        ctx->opcode = ctx->code[0] = 0x2B; // Message_on: 6 bytes retail, 4 prototype
        for (int i = 1; i < 8; ++i) ctx->code[i] = static_cast<std::uint8_t>(i);
    }
    std::int32_t pa = 0, pb = 0;
    EXPECT_EQ(Write(retail, pa, &a), 6);
    EXPECT_EQ(Write(proto, pb, &b), 4);
    EXPECT_EQ(a.bytes, Bytes({0x2B, 1, 2, 3, 4, 5}));
    EXPECT_EQ(b.bytes, Bytes({0x2B, 1, 2, 3}));
}

TEST(CodecWrite, WithoutAFileReportsAndKeepsThePosition) {
    MessageCapture messages;
    ScriptContext ctx(RetailDialect());
    ctx.opcode = ctx.code[0] = 0x02;
    std::int32_t pos = 5;
    EXPECT_EQ(Write(ctx, pos, nullptr), 1);
    EXPECT_EQ(pos, 5);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].caption, "Quillon");
    EXPECT_EQ(messages.shown()[0].text, "Write() Fail!");
}

// ---- text helpers -----------------------------------------------------------

TEST(CodecText, FormatTextGivesExactlyTheFormattedText) {
    EXPECT_EQ(FormatText("%s(%d, 0x%02X);", "Evt_exec", 7, 5), "Evt_exec(7, 0x05);");
    EXPECT_EQ(FormatText("0x%02X", 0x1234), "0x1234");
    EXPECT_EQ(FormatText("// unknown opcode (%02X) found at 0x%08X", 0x85, 0x16),
              "// unknown opcode (85) found at 0x00000016");
    EXPECT_EQ(FormatText("%s", ""), "");
    const std::string long_(5000, 'x');
    const std::string s = FormatText("int %s(void) {\r\n\r\n", long_.c_str());
    EXPECT_EQ(s.size(), long_.size() + 16);
    EXPECT_EQ(s.find('\0'), std::string::npos);
}

TEST(CodecText, ShowFailureUsesTheProgramCaptionAndGivesOne) {
    MessageCapture messages;
    EXPECT_EQ(ShowFailure("%s Fail!", "Compile()"), 1);
    ShowMessage("Error!", "%s", "UpdateDC()");
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_EQ(messages.shown()[0].caption, "Quillon");
    EXPECT_EQ(messages.shown()[0].text, "Compile() Fail!");
    EXPECT_EQ(messages.shown()[1].caption, "Error!");
    EXPECT_EQ(messages.shown()[1].text, "UpdateDC()");
}

TEST(CodecText, NumberScansFollowTheStandardConversions) {
    EXPECT_EQ(ScanDecimal("12abc"), 12);
    EXPECT_EQ(ScanDecimal("0x10"), 0);
    EXPECT_EQ(ScanDecimal("  -7"), -7);
    EXPECT_EQ(ScanDecimal("+5"), 5);
    EXPECT_EQ(ScanDecimal("abc"), std::nullopt);
    EXPECT_EQ(ScanDecimal("-"), std::nullopt);
    EXPECT_EQ(ScanDecimal(""), std::nullopt);
    EXPECT_EQ(ScanHex("1F"), 31);
    EXPECT_EQ(ScanHex("0x1f"), 31);
    EXPECT_EQ(ScanHex("0X1F"), 31);
    EXPECT_EQ(ScanHex("-1"), -1);
    EXPECT_EQ(ScanHex("Sub05"), std::nullopt);
    EXPECT_EQ(ScanHex("zz"), std::nullopt);
    // Beyond 32 bits the low 32 bits remain.
    EXPECT_EQ(ScanDecimal("4294967297"), 1);
    EXPECT_EQ(ScanDecimal("4294967295"), -1);
    EXPECT_EQ(ScanDecimal("-4294967297"), -1);
    EXPECT_EQ(ScanHex("0x100000010"), 0x10);
    EXPECT_EQ(ScanDecimal("99999999999999999999"), 0x630FFFFF);
    bool overflow = false;
    ScanDecimal("4294967296", &overflow);
    EXPECT_TRUE(overflow);
    ScanDecimal("65535", &overflow);
    EXPECT_FALSE(overflow);
}

} // namespace
