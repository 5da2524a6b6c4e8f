// The opcode tables of both dialects, the name search, and reading and
// writing single instructions.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "testkit/codec_support.h"

using namespace quillon;
using namespace codec_test;

namespace {

struct Row {
    int opcode;
    int size;
    const char* name;
};

// The retail table as the scripts define it, rows 0x00 to 0x8E.
const Row kRetailRows[] = {
    {0x00, 1, "nop"},
    {0x01, 2, "return"},
    {0x02, 1, "Evt_next"},
    {0x03, 4, "Evt_chain"},
    {0x04, 4, "Evt_exec"},
    {0x05, 2, "Evt_kill"},
    {0x06, 4, "if"},
    {0x07, 4, "} else"},
    {0x08, 2, "}"},
    {0x09, 4, "Sleep"},
    {0x0A, 3, "Sleeping"},
    {0x0B, 1, "Wsleep"},
    {0x0C, 1, "Wsleeping"},
    {0x0D, 6, "for"},
    {0x0E, 2, "}"},
    {0x0F, 4, "while"},
    {0x10, 2, "}"},
    {0x11, 4, "do"},
    {0x12, 2, "} while"},
    {0x13, 4, "switch"},
    {0x14, 6, "case"},
    {0x15, 2, "default"},
    {0x16, 2, "}"},
    {0x17, 6, "goto"},
    {0x18, 2, "Gosub"},
    {0x19, 2, "return"},
    {0x1A, 2, "break"},
    {0x1B, 6, "for"},
    {0x1C, 1, "break"},
    {0x1D, 4, "Work_copy"},
    {0x1E, 1, "UnknownOpcode"},
    {0x1F, 1, "UnknownOpcode"},
    {0x20, 1, "UnknownOpcode"},
    {0x21, 4, "Ck"},
    {0x22, 4, "Set"},
    {0x23, 6, "Cmp"},
    {0x24, 4, "Save"},
    {0x25, 3, "Copy"},
    {0x26, 6, "Calc"},
    {0x27, 4, "Calc2"},
    {0x28, 1, "Sce_rnd"},
    {0x29, 2, "Cut_chg"},
    {0x2A, 1, "Cut_old"},
    {0x2B, 6, "Message_on"},
    {0x2C, 20, "Aot_set"},
    {0x2D, 38, "Obj_model_set"},
    {0x2E, 3, "Work_set"},
    {0x2F, 4, "Speed_set"},
    {0x30, 1, "Add_speed"},
    {0x31, 1, "Add_aspeed"},
    {0x32, 8, "Pos_set"},
    {0x33, 8, "Dir_set"},
    {0x34, 4, "Member_set"},
    {0x35, 3, "Member_set2"},
    {0x36, 12, "Se_on"},
    {0x37, 4, "Sca_id_set"},
    {0x38, 3, "Flr_set"},
    {0x39, 8, "Dir_ck"},
    {0x3A, 16, "Sce_espr_on"},
    {0x3B, 32, "Door_aot_set"},
    {0x3C, 2, "Cut_auto"},
    {0x3D, 3, "Member_copy"},
    {0x3E, 6, "Member_cmp"},
    {0x3F, 4, "Plc_motion"},
    {0x40, 8, "Plc_dest"},
    {0x41, 10, "Plc_neck"},
    {0x42, 1, "Plc_ret"},
    {0x43, 4, "Plc_flg"},
    {0x44, 22, "Sce_em_set"},
    {0x45, 5, "Col_chg_set"},
    {0x46, 10, "Aot_reset"},
    {0x47, 2, "Aot_on"},
    {0x48, 16, "Super_set"},
    {0x49, 8, "Super_reset"},
    {0x4A, 2, "Plc_gun"},
    {0x4B, 3, "Cut_replace"},
    {0x4C, 5, "Sce_espr_kill"},
    {0x4D, 22, "Obj_model_move"},
    {0x4E, 22, "Item_aot_set"},
    {0x4F, 4, "Sce_key_ck"},
    {0x50, 4, "Sce_trg_ck"},
    {0x51, 6, "Sce_bgm_control"},
    {0x52, 6, "Sce_espr_control"},
    {0x53, 6, "Sce_fade_set"},
    {0x54, 22, "Sce_espr3d_on"},
    {0x55, 6, "Member_calc"},
    {0x56, 4, "Member_calc2"},
    {0x57, 8, "Sce_bgmtbl_set"},
    {0x58, 4, "Plc_rot"},
    {0x59, 4, "Xa_on"},
    {0x5A, 2, "Weapon_chg"},
    {0x5B, 2, "Plc_cnt"},
    {0x5C, 4, "Sce_shake_on"},
    {0x5D, 2, "Mizu_div_set"},
    {0x5E, 2, "Keep_Item_ck"},
    {0x5F, 2, "Xa_vol"},
    {0x60, 14, "Kage_set"},
    {0x61, 4, "Cut_be_set"},
    {0x62, 2, "Sce_Item_lost"},
    {0x63, 1, "Plc_gun_eff"},
    {0x64, 16, "Sce_espr_on2"},
    {0x65, 2, "Sce_espr_kill2"},
    {0x66, 1, "Plc_stop"},
    {0x67, 28, "Aot_set_4p"},
    {0x68, 40, "Door_aot_set_4p"},
    {0x69, 30, "Item_aot_set_4p"},
    {0x6A, 6, "Light_pos_set"},
    {0x6B, 4, "Light_kido_set"},
    {0x6C, 1, "Rbj_reset"},
    {0x6D, 4, "Sce_scr_move"},
    {0x6E, 6, "Parts_set"},
    {0x6F, 2, "Movie_on"},
    {0x70, 1, "Splc_ret"},
    {0x71, 1, "Splc_sce"},
    {0x72, 16, "Super_on"},
    {0x73, 8, "Mirror_set"},
    {0x74, 4, "Sce_fade_adjust"},
    {0x75, 22, "Sce_espr3d_on2"},
    {0x76, 3, "Sce_Item_get"},
    {0x77, 4, "Sce_line_start"},
    {0x78, 6, "Sce_line_main"},
    {0x79, 1, "Sce_line_end"},
    {0x7A, 16, "Sce_parts_bomb"},
    {0x7B, 16, "Sce_parts_down"},
    {0x7C, 6, "Light_color_set"},
    {0x7D, 6, "Light_pos_set2"},
    {0x7E, 6, "Light_kido_set2"},
    {0x7F, 6, "Light_color_set2"},
    {0x80, 2, "Se_vol"},
    {0x81, 0, "UnknownOpcode"},
    {0x82, 3, "UnknownOpcode"},
    {0x83, 1, "UnknownOpcode"},
    {0x84, 2, "UnknownOpcode"},
    {0x85, 6, "UnknownOpcode"},
    {0x86, 1, "Poison_ck"},
    {0x87, 1, "Poison_clr"},
    {0x88, 3, "Sce_Item_ck_Lost"},
    {0x89, 1, "UnknownOpcode"},
    {0x8A, 6, "UnknownOpcode"},
    {0x8B, 6, "UnknownOpcode"},
    {0x8C, 8, "UnknownOpcode"},
    {0x8D, 24, "UnknownOpcode"},
    {0x8E, 24, "UnknownOpcode"},
};

// The prototype table, rows 0x00 to 0x5F.
const Row kPrototypeRows[] = {
    {0x00, 1, "nop"},
    {0x01, 2, "return"},
    {0x02, 1, "Evt_next"},
    {0x03, 4, "Evt_chain"},
    {0x04, 4, "Evt_exec"},
    {0x05, 2, "Evt_kill"},
    {0x06, 4, "if"},
    {0x07, 4, "} else"},
    {0x08, 2, "}"},
    {0x09, 4, "Sleep"},
    {0x0A, 3, "Sleeping"},
    {0x0B, 1, "Wsleep"},
    {0x0C, 1, "Wsleeping"},
    {0x0D, 6, "for"},
    {0x0E, 2, "}"},
    {0x0F, 4, "while"},
    {0x10, 2, "}"},
    {0x11, 4, "do"},
    {0x12, 2, "} while"},
    {0x13, 4, "switch"},
    {0x14, 6, "case"},
    {0x15, 2, "default"},
    {0x16, 2, "}"},
    {0x17, 6, "goto"},
    {0x18, 2, "Gosub"},
    {0x19, 2, "return"},
    {0x1A, 2, "break"},
    {0x1B, 6, "for"},
    {0x1C, 1, "break"},
    {0x1D, 1, "UnknownOpcode"},
    {0x1E, 1, "UnknownOpcode"},
    {0x1F, 1, "UnknownOpcode"},
    {0x20, 1, "UnknownOpcode"},
    {0x21, 4, "Ck"},
    {0x22, 4, "Set"},
    {0x23, 6, "Cmp"},
    {0x24, 4, "Save"},
    {0x25, 3, "Copy"},
    {0x26, 6, "Calc"},
    {0x27, 4, "Calc2"},
    {0x28, 1, "Sce_rnd"},
    {0x29, 2, "Cut_chg"},
    {0x2A, 1, "Cut_old"},
    {0x2B, 4, "Message_on"},
    {0x2C, 20, "Aot_set"},
    {0x2D, 34, "Obj_model_set"},
    {0x2E, 3, "Work_set"},
    {0x2F, 4, "Speed_set"},
    {0x30, 1, "Add_speed"},
    {0x31, 1, "Add_aspeed"},
    {0x32, 8, "Pos_set"},
    {0x33, 8, "Dir_set"},
    {0x34, 4, "Member_set"},
    {0x35, 3, "Member_set2"},
    {0x36, 12, "Se_on"},
    {0x37, 4, "Sca_id_set"},
    {0x38, 12, "Flr_set"},
    {0x39, 4, "Dir_ck"},
    {0x3A, 16, "Sce_espr_on"},
    {0x3B, 32, "Door_aot_set"},
    {0x3C, 2, "Cut_auto"},
    {0x3D, 3, "Member_copy"},
    {0x3E, 6, "Member_cmp"},
    {0x3F, 4, "Plc_motion"},
    {0x40, 8, "Plc_dest"},
    {0x41, 10, "Plc_neck"},
    {0x42, 1, "Plc_ret"},
    {0x43, 4, "Plc_flg"},
    {0x44, 20, "Sce_em_set"},
    {0x45, 3, "Col_chg_set"},
    {0x46, 10, "Aot_reset"},
    {0x47, 2, "Aot_on"},
    {0x48, 16, "Super_set"},
    {0x49, 8, "Super_reset"},
    {0x4A, 2, "Plc_gun"},
    {0x4B, 3, "Cut_replace"},
    {0x4C, 18, "UnknownOpcode"},
    {0x4D, 10, "UnknownOpcode"},
    {0x4E, 5, "Sce_espr_kill"},
    {0x4F, 22, "Obj_model_move"},
    {0x50, 22, "Item_aot_set"},
    {0x51, 4, "Sce_key_ck"},
    {0x52, 4, "Sce_trg_ck"},
    {0x53, 3, "Sce_bgm_control"},
    {0x54, 6, "Sce_espr_control"},
    {0x55, 6, "Sce_fade_set"},
    {0x56, 6, "Member_calc"},
    {0x57, 4, "Member_calc2"},
    {0x58, 4, "UnknownOpcode"},
    {0x59, 4, "UnknownOpcode"},
    {0x5A, 6, "UnknownOpcode"},
    {0x5B, 4, "UnknownOpcode"},
    {0x5C, 4, "UnknownOpcode"},
    {0x5D, 4, "UnknownOpcode"},
    {0x5E, 4, "UnknownOpcode"},
    {0x5F, 4, "UnknownOpcode"},
};

std::string TwoHex(int v) {
    char buf[3];
    std::snprintf(buf, sizeof buf, "%02X", v & 0xFF);
    return buf;
}

void ExpectRows(const Dialect& d, const Row* rows, size_t count, int firstNop) {
    const OpcodeTable& table = *d.table;
    for (size_t i = 0; i < count; ++i) {
        const Row& r = rows[i];
        SCOPED_TRACE(d.name + std::string(" row 0x") + TwoHex(r.opcode));
        ASSERT_EQ(static_cast<int>(i), r.opcode);
        EXPECT_EQ(d.Size(static_cast<std::uint8_t>(r.opcode)), r.size);
        EXPECT_EQ(SizeFromText(table[static_cast<size_t>(r.opcode)].sizeText), r.size);
        EXPECT_STREQ(d.Name(static_cast<std::uint8_t>(r.opcode)), r.name);
    }
    for (int op = 0; op < 256; ++op) {
        SCOPED_TRACE(d.name + std::string(" row 0x") + TwoHex(op));
        const OpcodeEntry& e = table[static_cast<size_t>(op)];
        EXPECT_EQ(std::string(e.opcodeText), "0x" + TwoHex(op));
        EXPECT_EQ(std::string(e.sizeText), "0x" + TwoHex(d.Size(static_cast<std::uint8_t>(op))));
        if (op >= firstNop && op < 0xFF) {
            EXPECT_STREQ(e.sizeText, "0x01");
            EXPECT_STREQ(e.name, "nop");
        }
    }
    EXPECT_STREQ(table[0xFF].sizeText, "0x00");
    EXPECT_STREQ(table[0xFF].name, "IllegalOpcode");
    EXPECT_EQ(d.Size(0xFF), 0);
}

TEST(CodecTable, RetailRowsAreThoseOfTheScripts) {
    ExpectRows(RetailDialect(), kRetailRows, std::size(kRetailRows), 0x8F);
}

TEST(CodecTable, PrototypeRowsAreThoseOfTheScripts) {
    ExpectRows(PrototypeDialect(), kPrototypeRows, std::size(kPrototypeRows), 0x60);
}

TEST(CodecTable, SizesComeFromTheHexTexts) {
    EXPECT_EQ(RetailDialect().Size(0x2C), 20);
    EXPECT_STREQ((*RetailDialect().table)[0x2C].sizeText, "0x14");
    EXPECT_EQ(SizeFromText("0x14"), 20);
    EXPECT_EQ(SizeFromText("0x26"), 38);
    EXPECT_EQ(SizeFromText("0x00"), 0);
    // The two rows of size 0 in retail, the one in the prototype table.
    int retailZero = 0, prototypeZero = 0;
    for (int op = 0; op < 256; ++op) {
        retailZero += RetailDialect().Size(static_cast<std::uint8_t>(op)) == 0;
        prototypeZero += PrototypeDialect().Size(static_cast<std::uint8_t>(op)) == 0;
    }
    EXPECT_EQ(RetailDialect().Size(0x81), 0);
    EXPECT_EQ(retailZero, 2);
    EXPECT_EQ(prototypeZero, 1);
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
