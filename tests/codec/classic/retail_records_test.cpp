// The retail instruction set in both directions: the field kinds and generic
// forms, the scene records and the coordinate, comparison and parameter
// records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/codec/classic/retail_lines.h"

using namespace quillon;
using namespace codec_test;
using namespace retail_lines;

namespace {

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
