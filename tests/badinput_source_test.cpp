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

#include "codec/diagnostics.h"
#include "codec/engine.h"

using namespace quillon;

namespace {

std::string Bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s.push_back(static_cast<char>(b));
    return s;
}

std::string Repeat(const std::string& s, size_t n) {
    std::string out;
    out.reserve(s.size() * n);
    for (size_t i = 0; i < n; ++i) out += s;
    return out;
}

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
