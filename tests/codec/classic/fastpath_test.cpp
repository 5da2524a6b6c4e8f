// The paths that make disassembling fast: numbers written into buffers (and
// the 16-bit fields' writers for every value), the
// instruction read through a mask of its size, text handed over in pieces,
// names and punctuation copied from padded copies (and the fallbacks for
// texts too long for them), and the name index of the compiler.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "codec/base/field_text.h"
#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "codec/isa/forms.h"

using namespace quillon;

namespace {

TEST(FastPath, WriteDecimalMatchesPrintf) {
    const std::int32_t values[] = {
        0,       1,      -1,      9,         10,         -10,       99,        100,          999,
        1000,    9999,   10000,   -32768,    32767,      65535,     99999,     100000,       -99999,
        -100000, 123456, 1000000, 999999999, 1000000000, INT32_MAX, INT32_MIN, INT32_MIN + 1};
    for (std::int32_t v : values) {
        char buffer[16];
        std::memset(buffer, '#', sizeof buffer);
        char* end = WriteDecimal(buffer, v);
        char expected[16];
        std::snprintf(expected, sizeof expected, "%d", v);
        EXPECT_EQ(std::string(buffer, end), expected) << v;
        EXPECT_LE(end - buffer, 11);
        // The bytes after the text stay within the eleven it may use.
        for (int i = 11; i < 16; ++i) EXPECT_EQ(buffer[i], '#') << v;
        std::string appended = "x";
        AppendDecimal(appended, v);
        EXPECT_EQ(appended, std::string("x") + expected);
    }
}

TEST(FastPath, WriteHexMatchesPrintf) {
    const std::uint32_t values[] = {0,      1,      0xF,     0x10,     0xFF,       0x100,
                                    0x1234, 0xFFFF, 0x10000, 0xABCDEF, 0x7FFFFFFF, 0xFFFFFFFF};
    for (std::uint32_t v : values) {
        for (int digits : {0, 1, 2, 4, 8, 10}) {
            char buffer[16];
            char* end = WriteHex(buffer, v, digits > 8 ? 8 : digits);
            char expected[24];
            std::snprintf(expected, sizeof expected, "%0*X", digits > 8 ? 8 : digits, v);
            EXPECT_EQ(std::string(buffer, end), expected) << v << " " << digits;
            std::string appended;
            AppendHex(appended, v, digits);
            std::snprintf(expected, sizeof expected, "%0*X", digits, v);
            EXPECT_EQ(appended, expected) << v << " " << digits;
        }
    }
}

// The writers of the 16-bit fields, for every value they are given: "%d" of
// the unsigned and signed readings, "0x%0*X" of each least number of digits.
TEST(FastPath, WordWritersMatchPrintfForEveryValue) {
    char buffer[32], expected[32];
    for (std::int32_t v = -32768; v <= 65535; ++v) {
        std::snprintf(expected, sizeof expected, "%d", v);
        ASSERT_EQ(std::string(buffer, WriteDecimal(buffer, v)), expected);
    }
    for (int digits : {1, 2, 4, 8}) {
        for (std::uint32_t v = 0; v <= 0xFFFF; ++v) {
            std::snprintf(expected, sizeof expected, "0x%0*X", digits, v);
            ASSERT_EQ(
                std::string(buffer, WriteWordHex(buffer, static_cast<std::uint16_t>(v), digits)),
                expected);
        }
    }
}

// Reading an instruction overwrites exactly its size in the instruction
// buffer, whether the input holds a whole buffer's worth after it or not.
TEST(FastPath, ReadKeepsTheBytesPastTheInstruction) {
    ScriptContext ctx(RetailDialect());
    for (std::size_t tail :
         {std::size_t{0}, std::size_t{3}, std::size_t{63}, std::size_t{64}, std::size_t{200}}) {
        for (int op : {0x01, 0x2C, 0x2D, 0x3B, 0x28}) {
            const int size = ctx.dialect->Size(static_cast<std::uint8_t>(op));
            std::string bytes(1, static_cast<char>(op));
            for (int i = 1; i < size; ++i) bytes.push_back(static_cast<char>(0x40 + i));
            bytes.append(tail, '\x77');
            InputFile input{bytes};
            for (std::size_t i = 0; i < sizeof ctx.code; ++i)
                ctx.code[i] = static_cast<std::uint8_t>(0xA0 + i % 16);
            std::int32_t position = 0;
            EXPECT_EQ(Read(ctx, position, &input), size);
            EXPECT_EQ(ctx.opcode, op);
            for (int i = 0; i < static_cast<int>(sizeof ctx.code); ++i) {
                const std::uint8_t expected = i == 0     ? static_cast<std::uint8_t>(op)
                                              : i < size ? static_cast<std::uint8_t>(0x40 + i)
                                                         : static_cast<std::uint8_t>(0xA0 + i % 16);
                ASSERT_EQ(ctx.code[i], expected)
                    << "opcode " << op << " tail " << tail << " byte " << i;
            }
        }
    }
}

// A script of many instructions of varied forms, blocks and unknown bytes.
std::string LongScript() {
    static const char kUnit[] = "\x06\x00\x00\x00\x21\x01\x02\x03"         // if(Ck(1, 2, 3)) {
                                "\x2C\x01\x02\x03\x04\x05\x10\x27\xF0\xD8" // Aot_set(...)
                                "\x00\x00\x00\x00\x06\x07\x08\x00\x00\x00"
                                "\x08\x00"                                 // }
                                "\x07\x00\x0A\x00\x23\x00\xFD\x02\x0A\x00" // } else { Cmp(...)
                                "\x00\x00"                                 // }
                                "\x85\x01\x02\x03\x04\x05"                 // unknown opcode
                                "\x95"                                     // no line
                                "\x17\x00\x00\x00\x34\x12";                // goto
    const std::string unit(kUnit, sizeof kUnit - 1);
    std::string script;
    while (script.size() < 200000) script += unit;
    return script;
}

TEST(FastPath, StreamedTextEqualsTheWholeText) {
    const std::string script = LongScript();
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        for (int indent : {1, 0}) {
            ScriptContext whole(*d);
            whole.indent = indent;
            const std::string expected = DisassembleBuffer(whole, script, "room");
            ScriptContext streamed(*d);
            streamed.indent = indent;
            std::string joined;
            int pieces = 0;
            DisassembleStream(streamed, script, "room", [&](std::string_view piece) {
                joined += piece;
                ++pieces;
            });
            // Compared by position: a failure names the first differing byte
            // instead of printing two texts of a megabyte.
            const auto diff =
                std::mismatch(joined.begin(), joined.end(), expected.begin(), expected.end());
            EXPECT_EQ(joined.size(), expected.size()) << d->name << " indent " << indent;
            EXPECT_EQ(diff.first - joined.begin(), static_cast<std::ptrdiff_t>(joined.size()))
                << d->name << " indent " << indent << ": first difference";
            EXPECT_GT(pieces, 2) << "the text is handed over in several pieces";
        }
    }
}

// Names and punctuation too long for their padded copies are printed from the
// texts themselves.
TEST(FastPath, LongNamesAndPunctuationPrintWhole) {
    static const Form longForm =
        Shape("(<<< an opening of many >>> ", " ,, between ,, ", " <<< and a long closing >>>);",
              {Field{1, Kind::U8, 0}, Field{2, Kind::S8, 0}});
    // Twenty-four fields with long separators: more than the stack buffer.
    static const Form manyFields = [] {
        Form f = Shape("(", " ,, between ,, ", ");");
        AddRun(f, 1, kMaxFields, Kind::S16);
        return f;
    }();
    static OpcodeTable table = [] {
        OpcodeTable t{};
        for (int op = 0; op < 256; ++op)
            t[op] = {static_cast<std::uint8_t>(op), 1, "Short", &forms::kUnknown};
        t[0x30] = {0x30, 3, "A_name_much_longer_than_thirty_two_characters", &longForm};
        t[0x31] = {0x31, 3, "Plain", &longForm};
        t[0x32] = {0x32, 49, "Many", &manyFields}; // 24 words after the opcode
        return t;
    }();
    static const Dialect d = MakeDialect("test", "Test", table, false, BraceRule::ForDepth);
    ScriptContext ctx(d);
    std::string script("\x30\x07\xFE\x31\x01\x02", 6);
    std::string many = "\tMany(";
    script.push_back('\x32');
    for (int i = 0; i < kMaxFields; ++i) {
        const int value = -30000 + 2500 * i;
        script.push_back(static_cast<char>(value & 0xFF));
        script.push_back(static_cast<char>((value >> 8) & 0xFF));
        many += (i ? " ,, between ,, " : "") + std::to_string(value);
    }
    many += ");\r\n";
    const std::string text = DisassembleBuffer(ctx, script, "t");
    EXPECT_EQ(text,
              "int t(void) {\r\n\r\n"
              "\tA_name_much_longer_than_thirty_two_characters(<<< an opening of many >>> 7 ,, "
              "between ,, -2 <<< and a long closing >>>);\r\n"
              "\tPlain(<<< an opening of many >>> 1 ,, between ,, 2 <<< and a long closing >>>);"
              "\r\n" +
                  many + "}");
}

// The name index finds the first row of a name, as a search from row 0x00
// does, for every name of both tables.
TEST(FastPath, NameIndexFindsTheFirstRow) {
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        for (int op = 0; op < 0x90; ++op) {
            const char* name = d->Name(static_cast<std::uint8_t>(op));
            int first = -1;
            for (int row = 0; row < 0x90 && first < 0; ++row)
                if (std::strcmp(d->Name(static_cast<std::uint8_t>(row)), name) == 0) first = row;
            EXPECT_EQ(d->FindName(name), first) << d->name << " " << name;
        }
        for (const char* absent : {"", "nope", "Sce_", "Sce_fade_set ", "sleep", "}}"})
            EXPECT_EQ(d->FindName(absent), -1) << d->name << " '" << absent << "'";
    }
}

} // namespace
