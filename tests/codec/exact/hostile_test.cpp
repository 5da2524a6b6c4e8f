// Exact texts made to hurt: blocks nested deeper than 16-bit lengths hold,
// more functions than the 16-bit table reaches, 300,000 labels, a 64 MB
// line, macros that expand to each other or without end, long lines joined
// by comments, headers that include themselves. Each is refused at its
// place with its reason, or compiled, in linear time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/exact/exact.h"
#include "testkit/memory_headers.h"

namespace {

using quillon::exact::CompileChunk;
using quillon::exact::CompileOptions;
using quillon::exact::IncludedFile;
using quillon::exact::Message;

std::string Repeat(const std::string& s, int n) {
    std::string out;
    out.reserve(s.size() * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

TEST(HostileExactText, RefusedAtItsPlaceOrCompiled) {
    std::string labels, functions;
    for (int i = 0; i < 300000; ++i) labels += "L" + std::to_string(i) + ":\n\tSce_rnd();\n";
    for (int i = 0; i < 70000; ++i) functions += "int F" + std::to_string(i) + "(void) {\n}\n";
    const std::string head = "// quillon exact\nint A(void) {\n";
    struct Case {
        const char* what;
        std::string text;
        const char* error; // the first error, from its line on; null: it compiles
    } cases[] = {
        {"100,000 nested blocks",
         head + Repeat("\tif(Ck(1, 2, 3)) {\n", 100000) + Repeat("\t}\n", 100000) + "}\n",
         ":2: error: the block of 65536 bytes does not fit 16 bits"},
        {"70,000 functions", "// quillon exact\n" + functions,
         "2:1: error: procedure 0 starts at 0x222E0, past what the 16-bit table holds"},
        {"300,000 labels", head + labels + "}\n", nullptr},
        {"a 64 MB line", head + "\tSce_rnd(); /*" + std::string(64 << 20, 'x') + "*/\n}\n",
         nullptr},
        // Macros that expand to each other are a cycle where they are used.
        {"a #define loop", "// quillon exact\n#define A B\n#define B A\n" + head + "}\n",
         "5:5: error: 'A' is used inside its own expansion"},
        {"a runaway macro",
         "// quillon exact\n#define A0 Sce_rnd();\n" +
             [] {
                 std::string d;
                 for (int i = 1; i <= 24; ++i)
                     d += "#define A" + std::to_string(i) + " A" + std::to_string(i - 1) + " A" +
                          std::to_string(i - 1) + "\n";
                 return d;
             }() +
             head + "\tA24\n}\n",
         "29:2: error: the expansion of 'A24' runs away"},
        {"200,000 statements joined by a comment over lines",
         head + "/*\n*/" + Repeat("Sce_rnd(); ", 200000) + "\n}\n", nullptr},
        // Colons part tokens as blanks do.
        {"200,000 colons after blanks",
         head + "/*\n*/" + std::string(200000, ' ') + std::string(200000, ':') + "\n}\n", nullptr},
        {"a header that includes itself", "// quillon exact\n#include \"self.h\"\n" + head + "}\n",
         "2:10: error: self.h:1:10: \"self.h\" includes itself"},
        {"a header that is a folder", "// quillon exact\n#include \"dir.h\"\n" + head + "}\n",
         "2:10: error: cannot include \"dir.h\": a folder"},
    };
    CompileOptions options;
    options.key = "text.c";
    // Any header but self.h is a folder.
    options.include =
        quillon_test::MemoryHeaders({{"self.h", "#include \"self.h\"\n"}}, "a folder");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> errors;
        std::string chunk;
        const bool ok = CompileChunk(
            c.text, chunk,
            [&](const Message& m) {
                if (m.error)
                    errors.push_back(std::to_string(m.line) + ":" + std::to_string(m.column) +
                                     ": error: " + m.text);
            },
            options);
        EXPECT_EQ(ok, c.error == nullptr);
        if (c.error) {
            ASSERT_FALSE(errors.empty());
            EXPECT_NE(errors[0].find(c.error), std::string::npos) << errors[0];
        }
    }
}

// A function's head refused for its name, then two functions of one name:
// the second names the line of the first (the refused one is among the
// procedures, not among the names).
TEST(HostileExactText, ARefusedHeadThenTwoFunctionsOfOneName) {
    const std::string text = "// quillon exact\nint Sleep(void) {\n}\nint A(void) {\n\treturn "
                             "0;\n}\nint A(void) {\n\treturn 0;\n}\n";
    std::vector<std::string> errors;
    std::string chunk;
    EXPECT_FALSE(CompileChunk(text, chunk, [&](const Message& m) {
        errors.push_back(std::to_string(m.line) + ":" + std::to_string(m.column) + ": " + m.text);
    }));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1], "7:5: function 'A' is already defined on line 4");
}

} // namespace
