// Bad source text for the compiler: empty and one-byte files, lines of a
// mebibyte, NUL bytes, LF-only and CR-only line ends, non-ASCII bytes and
// binary garbage, deep nesting, numbers beyond 32 bits. Each case has a fixed
// outcome: no crash, no hang, nothing written outside the output, the
// outcome below.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codec/classic/diagnostics.h"
#include "codec/classic/engine.h"
#include "testkit/codec_support.h"

using namespace quillon;
using namespace codec_test;

namespace {

// Collects the compiler's events, as the command-line tool does.
struct Issues : CompileListener {
    std::vector<Issue> seen;
    void Report(const Diagnostic& d) override { seen.push_back(d.issue); }
    bool Has(Issue i) const { return std::find(seen.begin(), seen.end(), i) != seen.end(); }
};

double SecondsOf(const std::function<void()>& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A generous bound: the linear work takes well under a second even under
// the sanitizers; the quadratic work it guards against took minutes.
constexpr double kLinearSeconds = 30;

} // namespace

TEST(BadSource, EmptySourceCompilesToNothing) {
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        ScriptContext ctx(*d);
        EXPECT_EQ(CompileBuffer(ctx, ""), "");
    }
}

// A one-byte source holds no complete line (only CR ends one, and a CR alone
// ends an empty line): nothing is compiled, whatever the byte.
TEST(BadSource, EveryOneByteSourceCompilesToNothing) {
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        ScriptContext ctx(*d);
        for (int b = 0; b < 256; ++b)
            EXPECT_EQ(CompileBuffer(ctx, std::string(1, static_cast<char>(b))), "") << b;
    }
}

// A mebibyte of "if" keywords on one line: each writes its if instruction.
// The keyword chain once shifted the whole token list per keyword, which made
// such a line take minutes.
TEST(BadSource, MebibyteLineOfKeywordsCompilesInLinearTime) {
    const size_t n = (1u << 20) / 3;
    const std::string source = Repeat("if ", n) + "\r\n";
    ScriptContext ctx(RetailDialect());
    std::string bytes;
    EXPECT_LT(SecondsOf([&] { bytes = CompileBuffer(ctx, source); }), kLinearSeconds);
    EXPECT_EQ(bytes, Repeat(Bytes({0x06, 0, 0, 0}), n));

    // The keywords before an instruction leave its arguments in place.
    ScriptContext again(RetailDialect());
    EXPECT_EQ(CompileBuffer(again, Repeat("while ", 1000) + "Ck(1, 2, 3)) {\r\n"),
              Repeat(Bytes({0x0F, 0, 0, 0}), 1000) + Bytes({0x21, 1, 2, 3}));
}

// "} while" closes a do block and compiles the rest of the line as its
// condition; when the rest is "} while" again, the next do block closes the
// same way. A hundred thousand of them on one line once nested the calls a
// hundred thousand deep and overflowed the stack.
TEST(BadSource, LongChainOfDoBlockEndsOnOneLine) {
    const size_t n = 100000;
    const std::string source = Repeat("do\r\n", n) + Repeat("} while ", n) + "\r\n";
    ScriptContext ctx(RetailDialect());
    std::string bytes;
    EXPECT_LT(SecondsOf([&] { bytes = CompileBuffer(ctx, source); }), kLinearSeconds);
    // Every do block gets its 12 04; the last "}" of the line, with no block
    // left, is a lone "}" with a second token: 08 and the buffer's offset 1.
    EXPECT_EQ(bytes, Repeat(Bytes({0x11, 0, 0, 0}), n) + Repeat(Bytes({0x12, 0x04}), n) +
                         Bytes({0x08, 0x04}));

    ScriptContext short_chain(RetailDialect());
    EXPECT_EQ(CompileBuffer(short_chain, "do\r\ndo\r\n} while } while(Ck(1, 2, 3));\r\n"),
              Bytes({0x11, 0, 0, 0, 0x11, 0, 0, 0, 0x12, 4, 0x12, 4, 0x21, 1, 2, 3}));
}

// Other lines of a mebibyte: a number, a comment, a list of arguments, and
// a parenthesis left open across half a million line ends.
TEST(BadSource, MebibyteLines) {
    const size_t mebibyte = size_t{1} << 20;
    struct Case {
        std::string source;
        std::string bytes;
    };
    const Case cases[] = {
        // The digits wrap around: 10^(2^20) - 1 keeps its low 32 bits, of
        // which Sleep keeps 16.
        {"Sleep(" + std::string(mebibyte, '9') + ");\r\n", ""},
        {"Sleep(3); //" + std::string(mebibyte, 'x') + "\r\nWsleep();\r\n",
         Bytes({0x09, 0x0A, 3, 0, 0x0B})},
        {"Sleep(" + Repeat("1, ", mebibyte / 3) + ");\r\n", Bytes({0x09, 0x0A, 1, 0})},
        {"Sleep(" + Repeat("\r\n", mebibyte / 2) + "7);\r\n", Bytes({0x09, 0x0A, 7, 0})},
        {std::string(mebibyte, 'A') + "\r\nWsleep();\r\n", Bytes({0x0B})},
    };
    for (const Case& c : cases) {
        ScriptContext ctx(RetailDialect());
        std::string bytes;
        EXPECT_LT(SecondsOf([&] { bytes = CompileBuffer(ctx, c.source); }), kLinearSeconds);
        if (c.bytes.empty()) {
            // 10^n - 1 modulo 2^32, low 16 bits: computed digit by digit.
            std::uint32_t v = 0;
            for (size_t i = 0; i < mebibyte; ++i) v = v * 10 + 9;
            EXPECT_EQ(bytes, Bytes({0x09, 0x0A, static_cast<int>(v & 0xFF),
                                    static_cast<int>((v >> 8) & 0xFF)}));
        } else {
            EXPECT_EQ(bytes, c.bytes);
        }
    }
}

// A NUL byte ends the line it stands in, as in a C string: what follows it
// up to the line end is dropped; the next line is read as usual.
TEST(BadSource, NulBytes) {
    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(CompileBuffer(ctx, std::string("Sleep(3);\0Wsleep();\r\nWsleep();\r\n", 32)),
              Bytes({0x09, 0x0A, 3, 0, 0x0B}));
    EXPECT_EQ(CompileBuffer(ctx, std::string("\0Sleep(3);\r\nSce_rnd();\r\n", 24)), Bytes({0x28}));
    EXPECT_EQ(CompileBuffer(ctx, std::string(4096, '\0')), "");
}

// Only CR ends a line: a source with LF alone compiles to nothing (the
// command-line tool warns about it); CR alone works like CR LF.
TEST(BadSource, LineEnds) {
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        ScriptContext ctx(*d);
        EXPECT_EQ(CompileBuffer(ctx, "int r(void) {\n\tSleep(30);\n\tWsleep();\n}\n"), "");
        const std::string crlf =
            CompileBuffer(ctx, "int r(void) {\r\n\tSleep(30);\r\n\tWsleep();\r\n}");
        EXPECT_EQ(crlf, Bytes({0x09, 0x0A, 30, 0, 0x0B}));
        EXPECT_EQ(CompileBuffer(ctx, "int r(void) {\r\tSleep(30);\r\tWsleep();\r}"), crlf);
        EXPECT_EQ(CompileBuffer(ctx, "int r(void) {\n\r\tSleep(30);\n\r\tWsleep();\n\r}"), crlf);
    }
}

// Bytes above 0x7F are ordinary characters: in a name they make a word that
// no row has (the line is passed over, and reported to a listener), in a
// number they end it.
TEST(BadSource, NonAsciiBytes) {
    ScriptContext ctx(RetailDialect());
    Issues issues;
    ctx.listener = &issues;
    EXPECT_EQ(CompileBuffer(ctx, "\xC9vt_next();\r\nSleep(3\xE9);\r\nS\xFF\xFE;\r\nWsleep();\r\n"),
              Bytes({0x09, 0x0A, 3, 0, 0x0B}));
    ctx.listener = nullptr;
    EXPECT_TRUE(issues.Has(Issue::UnknownName));
    // UTF-8 with a byte order mark: the first word carries the mark.
    ScriptContext bom(RetailDialect());
    EXPECT_EQ(CompileBuffer(bom, "\xEF\xBB\xBFSleep(3);\r\nWsleep();\r\n"), Bytes({0x0B}));
}

// Binary garbage compiles to whatever lines it happens to hold, never more
// than the bound of the compile fuzzer, in both dialects on one record.
TEST(BadSource, BinaryGarbage) {
    std::uint32_t state = 12345;
    auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return static_cast<char>(state >> 24);
    };
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        ScriptContext ctx(*d);
        for (int round = 0; round < 200; ++round) {
            std::string garbage(1 + static_cast<unsigned char>(next()) * 16, '\0');
            for (char& c : garbage) c = next();
            const std::string bytes = CompileBuffer(ctx, garbage);
            EXPECT_LE(bytes.size(), 64 + 40 * garbage.size());
        }
    }
    // Garbage that is mostly line ends and separators.
    std::string mixed;
    for (int i = 0; i < 100000; ++i)
        mixed += "\r\n(),;:/\t{}"[static_cast<unsigned char>(next()) % 11];
    ScriptContext ctx(RetailDialect());
    CompileBuffer(ctx, mixed);
}

// A bytecode file given to the compiler is garbage text to it: no crash,
// and bytes come out only where it happens to hold a complete line that
// starts with a known name; these hold none.
TEST(BadSource, BytecodeGivenAsSource) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        ScriptContext ctx(*d);
        EXPECT_EQ(CompileBuffer(ctx, bytes), "") << d->name;
        EXPECT_EQ(CompileBuffer(ctx, Bytes({0x06, 0, 0, 0, 0x21, 1, 2, 3, 0x09, 0x0A, 0x1E, 0})),
                  "")
            << d->name;
    }
}

// Numbers beyond 32 bits keep their low 32 bits, as the digits wrap around;
// the field then keeps its own width. The listener reports each as out of
// range.
TEST(BadSource, NumbersBeyondThirtyTwoBits) {
    struct Case {
        const char* line;
        std::string bytes;
    };
    const Case cases[] = {
        {"Sleep(4294967296);", Bytes({0x09, 0x0A, 0, 0})},        // 2^32
        {"Sleep(4294967301);", Bytes({0x09, 0x0A, 5, 0})},        // 2^32 + 5
        {"Sleep(-4294967297);", Bytes({0x09, 0x0A, 0xFF, 0xFF})}, // -(2^32 + 1)
        {"Sleep(99999999999999999999);", Bytes({0x09, 0x0A, 0xFF, 0xFF})},
        {"Copy(4294967553, 1);", Bytes({0x25, 1, 1})}, // 2^32 + 257
        {"Evt_exec(1, 0x1FFFFFFFF);", Bytes({0x04, 1, 0xFF, 0xFF})},
        {"Evt_exec(1, 123456789ABCDEF01);", Bytes({0x04, 1, 0x01, 0xEF})},
        {"goto(0xFFFFFFFFFFFF0010);", Bytes({0x17, 0, 0, 0, 0x10, 0})},
    };
    for (const Case& c : cases) {
        ScriptContext ctx(RetailDialect());
        Issues issues;
        ctx.listener = &issues;
        EXPECT_EQ(CompileBuffer(ctx, std::string(c.line) + "\r\n"), c.bytes) << c.line;
        ctx.listener = nullptr;
        EXPECT_TRUE(issues.Has(Issue::OutOfRange)) << c.line;
    }
}

// More than 7 else blocks open at once, in the compiling direction: nine
// nested if/else pairs compile and disassemble back to the same text.
TEST(BadSource, NineNestedElseBlocksComeBack) {
    const int n = 9;
    std::string source;
    for (int i = 0; i < n; ++i) source += "if(Ck(1, 2, 3)) {\r\nEvt_next();\r\n} else {\r\n";
    source += "Wsleep();\r\n";
    for (int i = 0; i < n; ++i) source += "}\r\n";
    ScriptContext ctx(RetailDialect());
    ctx.indent = 0;
    const std::string bytes = CompileBuffer(ctx, source);
    EXPECT_EQ(bytes, Repeat(Bytes({0x06, 0, 0, 0, 0x21, 1, 2, 3, 0x02, 0x07, 0, 0, 0}), n) +
                         Bytes({0x0B}) + Repeat(Bytes({0, 0}), n));
    const std::string text = DisassembleBuffer(ctx, bytes, "r");
    EXPECT_EQ(text, "int r(void) {\r\n\r\n" + source + "}");
}

// More than 127 for blocks open at once: the depth counts them all, and every
// "}" closes one.
// Nothing is written past the stack: the record's other fields keep their
// values.
TEST(BadSource, ThreeHundredNestedForBlocks) {
    const int n = 300;
    const std::string source =
        Repeat("for(n = 0; n < 2; n++) {\r\n", n) + Repeat("}\r\n", n) + "}\r\n";
    const std::string expected =
        Repeat(Bytes({0x0D, 0, 0, 0, 2, 0}), n) + Repeat(Bytes({0x0E, 0}), n);
    ScriptContext proto(PrototypeDialect());
    proto.elseDepth = 12345;
    proto.elseOpen = 678;
    proto.caseOpen = 9;
    proto.code[1] = 0x44;
    const std::string bytes = CompileBuffer(proto, source);
    // The last "}" closes no for block: 08 and the buffer's offset 1 (0 from
    // the last 0E 00).
    EXPECT_EQ(bytes, expected + Bytes({0x08, 0}));
    EXPECT_EQ(proto.forDepth, 0);
    EXPECT_EQ(proto.elseDepth, 12345);
    EXPECT_EQ(proto.elseOpen, 678);
    EXPECT_EQ(proto.caseOpen, 9);

    ScriptContext retail(RetailDialect());
    EXPECT_EQ(CompileBuffer(retail, source), expected + Bytes({0x08, 0}));
    EXPECT_TRUE(retail.blocks.empty());
}

// 10 000 nested if blocks compile in both dialects (the prototype passes the
// if lines over) and come back in the retail one.
TEST(BadSource, TenThousandNestedIfs) {
    const int n = 10000;
    const std::string source = Repeat("if(Ck(1, 2, 3)) {\r\n", n) + Repeat("}\r\n", n);
    ScriptContext retail(RetailDialect());
    const std::string bytes = CompileBuffer(retail, source);
    const std::string expected =
        Repeat(Bytes({0x06, 0, 0, 0, 0x21, 1, 2, 3}), n) + Repeat(Bytes({0x08, 0}), n);
    EXPECT_EQ(bytes, expected);
    retail.indent = 0;
    EXPECT_EQ(DisassembleBuffer(retail, bytes, "r"), "int r(void) {\r\n\r\n" + source + "}");
    ScriptContext proto(PrototypeDialect());
    proto.code[1] = 0;
    EXPECT_EQ(CompileBuffer(proto, source), Repeat(Bytes({0x08, 0}), n));
}
