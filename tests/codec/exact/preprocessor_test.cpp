// The exact text's preprocessor and comments, each rule worked out by hand on
// a small text: macros of arguments, of lines and of blocks, "#if" groups,
// headers of any text, comments and backslashes over line ends; mistakes are
// messages at the line of the use, naming the definition.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/exact/exact.h"
#include "codec/exact/listener.h"
#include "testkit/codec_support.h"
#include "testkit/memory_headers.h"

namespace {

using codec_test::Hex;
using namespace quillon;

// The text's chunk in hexadecimal, or its messages ("LINE:COLUMN: error:
// text", one per line) where it does not compile; warnings follow a chunk.
std::string Compiled(const std::string& body, const exact::CompileOptions& options = {}) {
    std::string chunk, messages;
    const bool ok = exact::CompileChunk(
        "// quillon exact\n#include <bio2.h>\n" + body, chunk,
        [&](const exact::Message& m) {
            messages += std::to_string(m.line) + ":" + std::to_string(m.column) + ": " +
                        (m.error ? "error: " : "warning: ") + m.text + "\n";
        },
        options);
    return ok ? Hex(chunk) + (messages.empty() ? "" : "\n" + messages) : messages;
}

std::string Function(const std::string& lines) {
    return "int Sub00(void) {\n" + lines + "}\n";
}

// Set(FG_ROOM, n, v) is 22 05 n v; Sce_rnd() is 28; the table of one
// procedure is 02 00. An if's length runs from its header's end past the
// 08 00 that closes it.
TEST(ExactPreprocessor, MacrosExpandAsWorkedOutByHand) {
    const struct {
        const char* what;
        std::string text;
        const char* bytes;
    } cases[] = {
        {"a macro of a line", "#define ROLL Sce_rnd();\n" + Function("\tROLL\n\tROLL\n"),
         "02 00 28 28"},
        {"a macro of arguments", "#define ROOM(n) FG_ROOM, n\n" + Function("\tSet(ROOM(5), 1);\n"),
         "02 00 22 05 05 01"},
        {"statements cut into lines",
         "#define MARK(n) Set(FG_ROOM, n, 1); Sce_rnd();\n" + Function("\tMARK(7)\n"),
         "02 00 22 05 07 01 28"},
        {"a body continued with backslashes",
         "#define MARK(n) \\\n\tSet(FG_ROOM, n, 1); \\\n\tSce_rnd();\n" + Function("\tMARK(7)\n"),
         "02 00 22 05 07 01 28"},
        {"arguments expanded first, commas in parentheses kept",
         "#define ROOM(n) FG_ROOM, n\n#define SET(f, v) Set(f, v);\n" +
             Function("\tSET(ROOM(9), 1)\n"),
         "02 00 22 05 09 01"},
        {"a name made with ##",
         "#define GROUP(g) FG_##g\n" + Function("\tSet(GROUP(ROOM), 5, 1);\n"),
         "02 00 22 05 05 01"},
        {"a macro read again with the rest of the line",
         "#define CALL SET\n#define SET(v) Set(FG_ROOM, v, 0);\n" + Function("\tCALL(4)\n"),
         "02 00 22 05 04 00"},
        {"a block",
         "#define ONCE(n) if(Ck(FG_ROOM, n, 0)) { Set(FG_ROOM, n, 1); }\n" +
             Function("\tONCE(7)\n"),
         "02 00 06 00 0A 00 21 05 07 00 22 05 07 01 08 00"},
        {"names of values keep their meaning",
         "#define DOOR_FLAG FG_ROOM, 5\n" + Function("\tSet(DOOR_FLAG, 1);\n"),
         "02 00 22 05 05 01"},
        {"an empty macro", "#define NOTHING\n" + Function("\tNOTHING\n\tSce_rnd(); NOTHING\n"),
         "02 00 28"},
        {"#undef",
         "#define ROLL Sce_rnd();\n#undef ROLL\n#define ROLL Set(FG_ROOM, 1, 1);\n" +
             Function("\tROLL\n"),
         "02 00 22 05 01 01"},
    };
    for (const auto& c : cases) EXPECT_EQ(Compiled(c.text), c.bytes) << c.what;
}

// A macro that writes blocks gives the bytes of the same text written out.
TEST(ExactPreprocessor, ABlockMacroIsTheTextWrittenOut) {
    const std::string macro =
        "#define EITHER(n, l) \\\n"
        "\tif(Ck(FG_ROOM, n, 0)) { \\\n"
        "\t\tSet(FG_ROOM, n, 1); \\\n"
        "\t} else { \\\n"
        "\tl: \\\n"
        "\t\tSce_rnd(); \\\n"
        "\t} \\\n"
        "\tdo { Sce_rnd(); } while(Ck(FG_ROOM, n, 1)); \\\n"
        "\tswitch(V_05) { case 1: Sce_rnd(); break; default: goto(l, 0, 0, 0); }\n";
    const std::string out = "\tif(Ck(FG_ROOM, 3, 0)) {\n\t\tSet(FG_ROOM, 3, 1);\n\t} else {\n"
                            "\tL1:\n\t\tSce_rnd();\n\t}\n\tdo {\n\t\tSce_rnd();\n"
                            "\t} while(Ck(FG_ROOM, 3, 1));\n\tswitch(V_05) {\n\tcase 1:\n"
                            "\t\tSce_rnd();\n\t\tbreak;\n\tdefault:\n\t\tgoto(L1, 0, 0, 0);\n\t}\n";
    const std::string written = Compiled(Function(out));
    ASSERT_EQ(written.find("error"), std::string::npos) << written;
    EXPECT_EQ(Compiled(macro + Function("\tEITHER(3, L1)\n")), written);
}

TEST(ExactPreprocessor, GroupsAsWorkedOutByHand) {
    const struct {
        const char* what;
        std::string text;
        const char* bytes;
    } cases[] = {
        {"#if and #else",
         Function("#if 2 > 1\n\tSce_rnd();\n#else\n\tSet(FG_ROOM, 1, 1);\n#endif\n"), "02 00 28"},
        {"defined and a name of values",
         "#define LEVEL 3\n" +
             Function("#if defined(LEVEL) && LEVEL >= 3 && !defined NONE\n\tSce_rnd();\n#endif\n"),
         "02 00 28"},
        {"#ifdef and #ifndef",
         "#define HARD\n" + Function("#ifdef HARD\n\tSce_rnd();\n#endif\n#ifndef HARD\n"
                                     "\tSet(FG_ROOM, 1, 1);\n#endif\n"),
         "02 00 28"},
        {"the first true #elif alone",
         Function("#if 0\n\tSet(FG_ROOM, 1, 1);\n#elif 1 ? 2 : 0\n\tSet(FG_ROOM, 2, 1);\n"
                  "#elif 1\n\tSet(FG_ROOM, 3, 1);\n#else\n\tSet(FG_ROOM, 4, 1);\n#endif\n"),
         "02 00 22 05 02 01"},
        {"a group inside one left out",
         Function("#if 0\n#if 1\n\tSet(FG_ROOM, 1, 1);\n#else\n\tSet(FG_ROOM, 2, 1);\n#endif\n"
                  "#error \"never read\"\n#endif\n\tSce_rnd();\n"),
         "02 00 28"},
        {"directives written apart from their #",
         Function("#\n# if 1\n#  define ROLL Sce_rnd();\n# endif\n\tROLL\n"), "02 00 28"},
        {"a macro in a condition",
         "#define TWICE(x) ((x) * 2)\n" + Function("#if TWICE(3) == 6 && FG_ROOM == 5\n"
                                                   "\tSce_rnd();\n#endif\n"),
         "02 00 28"},
        {"a name of nothing reads as 0", Function("#if MISSING\n\tSet(FG_ROOM, 1, 1);\n#endif\n"),
         "02 00\n4:5: warning: 'MISSING' is not defined: it reads as 0\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Compiled(c.text), c.bytes) << c.what;
}

// Comments and backslashes join physical lines; messages keep the physical
// line and column of what they name.
TEST(ExactPreprocessor, CommentsSpanLines) {
    const struct {
        std::string text;
        const char* result;
    } cases[] = {
        {Function("\tSet(FG_ROOM, /* the\n\t\tflag */ 5, 1);\n"), "02 00 22 05 05 01"},
        {Function("\tSce_rnd(); /* one\n\ttwo */ Sce_rnd();\n"), "02 00 28 28"},
        {Function("\tSet(FG_ROOM, \\\n\t\t5, 1);\n"), "02 00 22 05 05 01"},
        {Function("/*\n*/\tSet(FG_ROOM,\n/* */ 5, 1);\n"),
         "5:15: error: 'Set' takes 3 arguments, 1 given\n"},
        {Function("\tSet(FG_ROOM, /*\n*/ 5, FG_X);\n\tSce_rnd(); /* \\\n"),
         "5:7: error: unknown name 'FG_X'\n6:13: error: the comment is never closed with '*/'\n"},
        {Function("\tSce_rnd(); // a path C:\\mods\\\n\tSet(FG_ROOM, 5, 1);\n"),
         "02 00 28 22 05 05 01"},
    };
    for (const auto& c : cases) {
        const std::string got = Compiled(c.text);
        EXPECT_EQ(got.substr(0, std::string(c.result).size()), c.result) << c.text;
    }
}

TEST(ExactPreprocessor, MistakesNameTheUseAndTheDefinition) {
    const struct {
        std::string text;
        const char* message; // the first, or its start
    } cases[] = {
        {"#define BAD(n) Set(FG_ROOMS, n, 1);\n" + Function("\tSce_rnd();\n\tBAD(3)\n"),
         "6:2: error: unknown name 'FG_ROOMS'"},
        {"#define BAD(n) Set(FG_ROOMS, n, 1);\n" + Function("\tBAD(3)\n"),
         "(in the expansion of 'BAD', line 3)"},
        {"#define F(a, b) a\n" + Function("\tF(1)\n"),
         "5:2: error: 'F' takes 2 arguments, 1 given"},
        {"#define F(a) a\n" + Function("\tF(Sce_rnd();\n"),
         "5:2: error: the arguments of 'F' are never closed"},
        {"#define LOOP LOOP\n" + Function("\tLOOP\n"),
         "5:2: error: 'LOOP' is used inside its own expansion"},
        {"#define R Sce_rnd();\n#define R Set(FG_ROOM, 1, 1);\n",
         "4:9: error: 'R' is already defined otherwise (line 3)"},
        {"#define F(a, a) a\n", "3:14: error: the parameter 'a' stands twice"},
        {"#undef FG_ROOM\n", "3:8: error: 'FG_ROOM' is a built-in name"},
        {Function("#else\n#endif\n"), "4:1: error: '#else' without its '#if'"},
        {Function("#if 1\n#else\n#elif 1\n#endif\n"), "6:1: error: '#elif' after the '#else'"},
        {Function("#if 1\n"), "6:1: error: the '#if' of line 4 is never closed with '#endif'"},
        {Function("#if 1 +\n#endif\n"), "4:8: error: "},
        {"#error \"not for this scenario\"\n", "3:1: error: #error not for this scenario"},
        {"#define HASH #define X 1\n" + Function("\tHASH\n"),
         "5:2: error: a macro's expansion cannot be a directive"},
        {"#define JUMP goto(NOWHERE, 0, 0, 0);\n" + Function("\tSce_rnd();\n\tJUMP\n"),
         "6:2: error: label 'NOWHERE' is never defined"},
    };
    for (const auto& c : cases) {
        const std::string got = Compiled(c.text);
        EXPECT_NE(got.find(c.message), std::string::npos) << c.text << "\n" << got;
        EXPECT_NE(got.find("error"), std::string::npos) << c.text;
    }
}

// A header of any text: macros, groups and a function; its mistakes stand
// at the text's #include, naming the header's line and column.
TEST(ExactPreprocessor, HeadersHoldAnyText) {
    exact::CompileOptions options;
    options.key = "room.c";
    options.include = quillon_test::MemoryHeaders(
        {{"steps.h", "#define MARK(n) Set(FG_ROOM, n, 1);\n#ifndef STEPS\n#define STEPS\n"
                     "int Helper(void) {\n\tMARK(3)\n}\n#endif\n"},
         {"bad.h", "int Bad(void) {\n\tSet(FG_ROOMS, 1, 1);\n}\n"},
         {"open.h", "#if 1\n"}});
    EXPECT_EQ(Compiled("#include \"steps.h\"\n#include \"steps.h\"\n" +
                           Function("\tHelper();\n\tMARK(4)\n"),
                       options),
              "04 00 08 00 22 05 03 01 18 00 22 05 04 01");
    EXPECT_EQ(Compiled("#include \"bad.h\"\n", options).substr(0, 47),
              "3:10: error: bad.h:2:6: unknown name 'FG_ROOMS'");
    EXPECT_NE(Compiled("#include \"open.h\"\n" + Function(""), options)
                  .find("3:10: error: open.h:2:1: the '#if' of open.h:1 is never closed"),
              std::string::npos);
}

// The listener hears of the directives' words, headers, macros at their
// definition and use, and parameters, each at its source, line and column.
TEST(ExactPreprocessor, TheListenerHearsTheDirectives) {
    struct Heard : exact::Listener {
        std::vector<std::string> said;
        void Source(std::uint32_t n, std::string_view key, std::string_view) override {
            said.push_back("source " + std::to_string(n) + " " + std::string(key));
        }
        void Token(const exact::TokenEvent& e) override {
            said.push_back(std::to_string(e.span.source) + ":" + std::to_string(e.span.line) + ":" +
                           std::to_string(e.span.column) + " " + std::string(e.text) +
                           (e.definition ? " def" : "") + " " +
                           std::to_string(static_cast<int>(e.role)));
        }
        void Define(const exact::DefineEvent& d) override {
            said.push_back("define " + std::string(d.body) + (d.function ? " f" : "") +
                           (d.valued ? " = " + std::to_string(d.value) : ""));
        }
    } heard;
    exact::CompileOptions options;
    options.include = quillon_test::MemoryHeaders({{"m.h", "\n#define TWO 2\n"}});
    options.listener = &heard;
    ASSERT_EQ(Compiled("#include \"m.h\"\n#define SET(a, b) Set(a, b, 1);\n" +
                           Function("\tSET(FG_ROOM, TWO)\n"),
                       options),
              "02 00 22 05 02 01");
    using R = exact::TokenRole;
    auto role = [](R r) { return " " + std::to_string(static_cast<int>(r)); };
    const std::vector<std::string> expected = {
        "0:2:1 #include" + role(R::Directive),
        "0:2:10 <bio2.h>" + role(R::HeaderName),
        "0:3:1 #include" + role(R::Directive),
        "0:3:10 \"m.h\"" + role(R::HeaderName),
        "source 1 m.h",
        "1:2:1 #define" + role(R::Directive),
        "1:2:9 TWO def" + role(R::Macro),
        "define 2 = 2",
        "0:4:1 #define" + role(R::Directive),
        "0:4:9 SET def" + role(R::Macro),
        "0:4:13 a def" + role(R::Parameter),
        "0:4:16 b def" + role(R::Parameter),
        "define Set(a, b, 1); f",
        "0:5:5 Sub00 def" + role(R::Function),
        "0:6:2 SET" + role(R::Macro),
        // What the expansion writes stands at the use.
        "0:6:2 Set" + role(R::Instruction),
        "0:6:2 FG_ROOM" + role(R::Builtin),
        "0:6:2 TWO" + role(R::Macro),
        "0:6:2 1" + role(R::Number),
    };
    std::vector<std::string> mine;
    for (const std::string& s : heard.said)
        if (s.find(" 0") == std::string::npos || s.rfind("source", 0) == 0 ||
            s.rfind("define", 0) == 0 || s.find('#') != std::string::npos ||
            s.find(role(R::Macro)) != std::string::npos ||
            s.find(role(R::Parameter)) != std::string::npos ||
            s.find(role(R::HeaderName)) != std::string::npos)
            mine.push_back(s);
    EXPECT_EQ(mine, expected);
}

} // namespace
