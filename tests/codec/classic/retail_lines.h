// Retail instruction lines in both directions, each in a fresh context: the
// helpers shared by the retail tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "testkit/codec_support.h"

namespace retail_lines {

using namespace quillon;
using namespace codec_test;

// n zero bytes in the "00 00" notation.
inline std::string Zeros(int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += i ? " 00" : "00";
    return out;
}

// The disassembly's lines, without header, indentation and closing brace.
inline std::string Lines(std::string_view bytes) {
    ScriptContext ctx(RetailDialect());
    ctx.indent = 0;
    std::string text = DisassembleBuffer(ctx, bytes, "t");
    return text.substr(kHeader.size(), text.size() - kHeader.size() - 1);
}

// The one line of a single instruction.
inline std::string Line(std::string_view bytes) {
    std::string lines = Lines(bytes);
    EXPECT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.find("\r\n"), lines.size() - 2) << "more than one line: " << lines;
    return lines.substr(0, lines.size() - 2);
}

// The disassembly with its indentation.
inline std::string Indented(std::string_view bytes) {
    ScriptContext ctx(RetailDialect());
    std::string text = DisassembleBuffer(ctx, bytes, "t");
    return text.substr(kHeader.size(), text.size() - kHeader.size() - 1);
}

// Compiles a source in a fresh record (all-zero instruction buffer).
inline std::string Compiled(std::string_view source) {
    ScriptContext ctx(RetailDialect());
    return Hex(CompileBuffer(ctx, source));
}

struct Case {
    const char* bytes;
    const char* line;
    const char* compiled = nullptr; // what the line compiles to, when not `bytes`
};

inline void CheckBothWays(const Case& c) {
    SCOPED_TRACE(std::string(c.bytes) + " / " + c.line);
    EXPECT_EQ(Line(H(c.bytes)), c.line);
    EXPECT_EQ(Compiled(std::string(c.line) + "\r\n"), Hex(H(c.compiled ? c.compiled : c.bytes)));
}

} // namespace retail_lines
