// Bad bytecode for the disassembler: empty files, a file of one byte of every
// value, instructions cut by the end of the file, size-0 opcodes and the
// bound of their repetition, deep nesting. Each case has a fixed outcome: no
// crash, no hang, nothing read or written outside the input and the
// instruction buffer (the sanitizer build checks that), the text below.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "codec/classic/engine.h"
#include "testkit/cli_support.h"
#include "testkit/codec_support.h"

using namespace quillon;
using namespace codec_test;

namespace {

// The lines between the header and the closing brace, without their CR LF.
// Tabs written by passes that print no line stand before the brace and are
// returned in `trailing`.
std::vector<std::string> Lines(const std::string& text, const std::string& title,
                               std::string* trailing = nullptr) {
    std::vector<std::string> lines;
    const std::string header = Header(title);
    EXPECT_EQ(text.substr(0, header.size()), header);
    EXPECT_EQ(text.back(), '}');
    size_t start = header.size();
    const size_t end = text.size() - 1;
    for (;;) {
        const size_t cr = text.find("\r\n", start);
        if (cr == std::string::npos || cr >= end) break;
        lines.push_back(text.substr(start, cr - start));
        start = cr + 2;
    }
    if (trailing)
        *trailing = text.substr(start, end - start);
    else
        EXPECT_EQ(start, end) << "text after the last line";
    return lines;
}

std::string Tabs(int n) {
    return std::string(static_cast<size_t>(n), '\t');
}

const std::string kUnknown81At0 = "// unknown opcode (81) found at 0x00000000";

} // namespace

TEST(BadBytecode, EmptyFileGivesHeaderAndBrace) {
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        ScriptContext ctx(*d);
        for (int indent : {0, 1}) {
            ctx.indent = indent;
            EXPECT_EQ(DisassembleBuffer(ctx, "", "room100"), "int room100(void) {\r\n\r\n}");
        }
    }
}

// Every one-byte file, in both dialects, with indentation on and off, all on
// one record: one line for a byte below 0x90 (its instruction cut by the end
// of the file where it is longer), none for 0x90 and above and for the
// size-0 0xFF, and for the size-0 0x81 one comment (one pass per byte).
TEST(BadBytecode, EveryOneByteFile) {
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        ScriptContext ctx(*d);
        for (int indent : {0, 1}) {
            ctx.indent = indent;
            for (int b = 0; b < 256; ++b) {
                const std::string text = DisassembleBuffer(ctx, std::string(1, char(b)), "r");
                std::string trailing;
                const std::vector<std::string> lines = Lines(text, "r", &trailing);
                const bool line =
                    b < 0x90 && (d->Size(static_cast<std::uint8_t>(b)) > 0 || b == 0x81);
                ASSERT_EQ(lines.size(), line ? 1u : 0u) << d->name << " byte " << b;
                EXPECT_EQ(trailing, line ? "" : Tabs(indent)) << d->name << " byte " << b;
                if (line && indent) {
                    EXPECT_EQ(lines[0].substr(0, 1), "\t");
                }
            }
        }
    }
    // Some of those lines in full. The buffer of a fresh record is zero, so
    // a cut instruction shows zeros where the file ends.
    struct Case {
        int byte;
        const char* line;
    };
    for (const Case& c :
         {Case{0x81, "// unknown opcode (81) found at 0x00000000"}, Case{0x06, "if() {"},
          Case{0x0F, "while() {"}, Case{0x12, "} while();"}, Case{0x07, "} else {"},
          Case{0x2C, "Aot_set(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);"},
          Case{0x85, "// unknown opcode (85) found at 0x00000006"}, Case{0x1E, ""}}) {
        ScriptContext ctx(RetailDialect());
        ctx.indent = 0;
        const std::vector<std::string> lines =
            Lines(DisassembleBuffer(ctx, std::string(1, char(c.byte)), "r"), "r");
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], c.line) << c.byte;
    }
}

// An instruction cut by the end of the file is read as far as the file goes;
// the rest of its fields show what the buffer holds from the instruction
// before, and the reading stops there.
TEST(BadBytecode, InstructionCutByTheEndOfTheFile) {
    ScriptContext ctx(RetailDialect());
    ctx.indent = 0;
    const std::string full =
        Bytes({0x2C, 1, 2, 3, 4, 5, 60, 0, 80, 0, 100, 0, 120, 0, 10, 11, 12, 0, 0, 0});
    EXPECT_EQ(Lines(DisassembleBuffer(ctx, full, "r"), "r"),
              std::vector<std::string>{"Aot_set(1, 2, 3, 4, 5, 60, 80, 100, 120, 10, 11, 12);"});
    EXPECT_EQ(Lines(DisassembleBuffer(ctx, Bytes({0x2C, 9, 8}), "r"), "r"),
              std::vector<std::string>{"Aot_set(9, 8, 3, 4, 5, 60, 80, 100, 120, 10, 11, 12);"});
    // A condition cut off, or no condition at all.
    EXPECT_EQ(Lines(DisassembleBuffer(ctx, Bytes({0x06, 0, 0}), "r"), "r"),
              std::vector<std::string>{"if() {"});
    EXPECT_EQ(Lines(DisassembleBuffer(ctx, Bytes({0x02, 0x06, 0, 0, 0, 0x21, 7}), "r"), "r"),
              (std::vector<std::string>{"Evt_next();", "if(Ck(7, 0, 0)) {"}));
    EXPECT_EQ(Lines(DisassembleBuffer(ctx, Bytes({0x11, 0, 0, 0, 0x12}), "r"), "r"),
              (std::vector<std::string>{"do {", "} while();"}));
}

// A size-0 instruction does not move the reading on: the same instruction is
// read again, pass after pass, until the pass count reaches the file size,
// and the rest of the file is never read.
TEST(BadBytecode, SizeZeroOpcodesRepeatUpToThePassBound) {
    ScriptContext ctx(RetailDialect());
    ctx.indent = 0;
    EXPECT_EQ(Lines(DisassembleBuffer(ctx, Bytes({0x81, 0x02, 0x03}), "r"), "r"),
              (std::vector<std::string>{kUnknown81At0, kUnknown81At0, kUnknown81At0}));
    EXPECT_EQ(Lines(DisassembleBuffer(ctx, Bytes({0x02, 0x81, 0x0B}), "r"), "r"),
              (std::vector<std::string>{"Evt_next();", "// unknown opcode (81) found at 0x00000001",
                                        "// unknown opcode (81) found at 0x00000001"}));
    // 0xFF writes no line, only the tabs of each pass.
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        ScriptContext c(*d);
        c.indent = 1;
        EXPECT_EQ(DisassembleBuffer(c, Bytes({0xFF, 0x02, 0x0B}), "r"), Header("r") + "\t\t\t}");
        c.indent = 0;
        EXPECT_EQ(DisassembleBuffer(c, Bytes({0xFF, 0x02, 0x0B}), "r"), Header("r") + "}");
    }
}

// The output bound for size-0 opcodes. A file of N bytes 0x81 gives N
// comment lines of 42 characters, CR LF and (with indentation) one tab:
// 45 bytes per input byte. The worst case puts the comment at the deepest
// level first: 252 default labels (2 bytes each, one level deeper each)
// bring the depth to 253, and every remaining pass writes 253 tabs, the
// comment and CR LF: 297 bytes per pass, about 297 times the input.
TEST(BadBytecode, SizeZeroOutputBound) {
    const size_t mebibyte = size_t{1} << 20;
    ScriptContext ctx(RetailDialect());
    std::string text;
    ctx.indent = 0;
    DisassembleBuffer(ctx, std::string(mebibyte, '\x81'), "r", text);
    EXPECT_EQ(text.size(), Header("r").size() + mebibyte * (42 + 2) + 1);
    ctx.indent = 1;
    DisassembleBuffer(ctx, std::string(mebibyte, '\x81'), "r", text);
    EXPECT_EQ(text.size(), Header("r").size() + mebibyte * (1 + 42 + 2) + 1);
    EXPECT_EQ(text.substr(Header("r").size(), 45), "\t" + kUnknown81At0 + "\r\n");

    // The deepest case on 64 KiB (the bound is linear in the file size).
    const size_t size = 64 * 1024;
    const size_t labels = 252;
    const std::string worst =
        Repeat(Bytes({0x15, 0}), labels) + std::string(size - 2 * labels, '\x81');
    DisassembleBuffer(ctx, worst, "r", text);
    size_t expected = Header("r").size() + 1;
    for (size_t depth = 1; depth <= labels; ++depth) expected += depth + 8 + 2; // "default:"
    expected += (size - labels) * (253 + 42 + 2);
    EXPECT_EQ(text.size(), expected);
    EXPECT_NE(text.find(Tabs(253) + "// unknown opcode (81) found at 0x000001F8\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find(Tabs(254)), std::string::npos);
}

// More than 7 else blocks open at once: the else lists grow, and every
// block still ends at the nop its length points to.
TEST(BadBytecode, NineNestedElseBlocks) {
    const int n = 9;
    std::string bytes;
    for (int i = 0; i < n; ++i) bytes += Bytes({0x07, 0, 0, 0});
    for (int i = 0; i < n; ++i) bytes += Bytes({0x00, 0x00});
    bytes += Bytes({0x00});
    ScriptContext ctx(RetailDialect());
    ctx.indent = 0;
    std::vector<std::string> expected(n, "} else {");
    expected.insert(expected.end(), n, "}");
    expected.push_back("nop();"); // every block closed: a plain nop again
    EXPECT_EQ(Lines(DisassembleBuffer(ctx, bytes, "r"), "r"), expected);
    EXPECT_EQ(ctx.elseDepth, 0);
    EXPECT_EQ(ctx.elseOpen, 0);
}

// 10 000 nested if blocks: the depth is 8-bit and clamped, so the tabs go
// up to 253 and start again at 1; nothing nests in the reading.
TEST(BadBytecode, TenThousandNestedIfs) {
    const int n = 10000;
    const std::string bytes =
        Repeat(Bytes({0x06, 0, 0, 0, 0x21, 1, 2, 3}), n) + Repeat(Bytes({0x08, 0}), n);
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        ScriptContext ctx(*d);
        ctx.indent = 1;
        const std::vector<std::string> lines = Lines(DisassembleBuffer(ctx, bytes, "r"), "r");
        ASSERT_EQ(lines.size(), 2u * n);
        int depth = 1; // the expected 8-bit depth, clamped as the driver does
        for (int i = 0; i < 2 * n; ++i) {
            const bool open = i < n;
            if (!open) depth = (depth - 1) & 0xFF;
            if (depth == 0 || depth >= 254) depth = 1;
            ASSERT_EQ(lines[static_cast<size_t>(i)],
                      Tabs(depth) + (open ? "if(Ck(1, 2, 3)) {" : "}"))
                << d->name << " line " << i;
            if (open) depth = (depth + 1) & 0xFF;
        }
    }
}

// A run of 10 000 if instructions: each reads the next as its condition, so
// the whole run is one line, built in a loop.
TEST(BadBytecode, TenThousandChainedConditions) {
    const int n = 10000;
    ScriptContext ctx(RetailDialect());
    ctx.indent = 0;
    const std::vector<std::string> lines =
        Lines(DisassembleBuffer(ctx, Repeat(Bytes({0x06, 0, 0, 0}), n), "r"), "r");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], Repeat("if(", n) + Repeat(") {", n));
}

// 300 nested for blocks, beyond the 127 entries of the prototype block
// stack, disassemble with the depth wrapping like the ifs above.
TEST(BadBytecode, ThreeHundredNestedForBlocks) {
    const int n = 300;
    const std::string bytes = Repeat(Bytes({0x0D, 0, 0, 0, 2, 0}), n) + Repeat(Bytes({0x0E, 0}), n);
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        ScriptContext ctx(*d);
        ctx.indent = 0;
        const std::vector<std::string> lines = Lines(DisassembleBuffer(ctx, bytes, "r"), "r");
        ASSERT_EQ(lines.size(), 2u * n);
        EXPECT_EQ(lines.front(), "for(n = 0; n < 2; n++) {");
        EXPECT_EQ(lines.back(), "}");
    }
}

// A source text given to the disassembler is just bytes: it disassembles to
// something, within the bounds, and the file is not touched (see the path
// tests for the files).
TEST(BadBytecode, SourceTextGivenAsBytecode) {
    const std::string source = "int room(void) {\r\n\r\n\tSleep(30);\r\n\tEvt_next();\r\n}";
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        ScriptContext ctx(*d);
        const std::string text = DisassembleBuffer(ctx, source, "room");
        std::string trailing;
        EXPECT_FALSE(Lines(text, "room", &trailing).empty());
        EXPECT_EQ(trailing.find_first_not_of('\t'), std::string::npos);
        EXPECT_LE(text.size(), Header("room").size() + 1 + source.size() * 320);
    }
}

// 1 MiB of 0x81 repeats its comment line until the passes reach the file
// size: 45 bytes of text per input byte. The file drivers write the text in
// pieces as they make it; the memory this takes is measured by bench/run.
TEST(BadBytecode, SizeZeroOutputIsBoundedByThePassCounter) {
    quillon_test::TempDir dir;
    const size_t mebibyte = size_t{1} << 20;
    quillon_test::WriteFile(dir / "room.scd", std::string(mebibyte, '\x81'));
    const quillon_test::RunResult r =
        quillon_test::RunQuillon({"disassemble", dir.str("room.scd")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(quillon_test::fs::file_size(dir / "room.c"),
              Header("room").size() + mebibyte * 45 + 1);
}
