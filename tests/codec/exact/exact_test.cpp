// Exact mode: chunks from the generator and by hand come back byte for byte,
// edits move every length, offset and pad, and mistakes are errors.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codec/exact/exact.h"
#include "testkit/codec_support.h"
#include "testkit/exact_chunk_gen.h"

namespace {

using codec_test::H;
using codec_test::Hex;
using namespace quillon;

std::string Disassemble(const std::string& chunk, const exact::PrintOptions& options = {}) {
    std::string text, reason;
    EXPECT_TRUE(exact::DisassembleChunk(chunk, text, reason, options)) << reason;
    return text;
}

// Compiles, collecting the messages as "LINE:COLUMN: error: text".
bool Compile(const std::string& text, std::string& chunk,
             std::vector<std::string>* messages = nullptr) {
    return exact::CompileChunk(text, chunk, [&](const exact::Message& m) {
        if (messages)
            messages->push_back(std::to_string(m.line) + ":" + std::to_string(m.column) + ": " +
                                (m.error ? "error: " : "warning: ") + m.text);
    });
}

int Count(const std::string& text, const std::string& word) {
    int n = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
    return n;
}

// With names, with bare numbers and with each line's offset and bytes.
TEST(ExactRoundTrip, GeneratedChunksComeBackAndStayStructured) {
    const exact::PrintOptions printings[] = {{}, {.numbers = true}, {.offsets = true}};
    for (std::uint32_t seed = 1; seed <= 1000; ++seed) {
        exact_gen::ChunkGenerator gen(seed);
        int rawLines = 0;
        const std::string chunk = gen.Chunk(1 + static_cast<int>(seed % 5), rawLines);
        for (const exact::PrintOptions& options : printings) {
            const std::string text = Disassemble(chunk, options);
            std::string again;
            std::vector<std::string> messages;
            ASSERT_TRUE(Compile(text, again, &messages))
                << "seed " << seed << "\n"
                << (messages.empty() ? "" : messages[0]) << "\n"
                << text;
            ASSERT_EQ(Hex(again), Hex(chunk)) << "seed " << seed << "\n" << text;
            // Every block, goto and instruction has its line: raw lines only
            // for the unknown opcodes and the bytes that frame no instruction.
            ASSERT_EQ(Count(text, "raw("), rawLines) << "seed " << seed << "\n" << text;
        }
    }
}

} // namespace

namespace {

// Any bytes behind a valid table come back, whatever they hold: what has no
// structure is written raw.
TEST(ExactRoundTrip, RandomBytesComeBack) {
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; ++round) {
        const int procedures = 1 + static_cast<int>(rng() % 4);
        std::string chunk(static_cast<size_t>(procedures) * 2, '\0');
        std::vector<int> sizes;
        for (int k = 0; k < procedures; ++k) sizes.push_back(static_cast<int>(rng() % 60));
        int at = procedures * 2;
        for (int k = 0; k < procedures; ++k) {
            chunk[2 * k] = static_cast<char>(at & 0xFF);
            chunk[2 * k + 1] = static_cast<char>(at >> 8);
            at += sizes[static_cast<size_t>(k)];
        }
        // Bytes biased towards the block opcodes, so that lengths often fit.
        static const unsigned char kBiased[] = {0x00, 0x06, 0x07, 0x08, 0x0D, 0x0E, 0x0F, 0x10,
                                                0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x1A};
        while (static_cast<int>(chunk.size()) < at)
            chunk += static_cast<char>(rng() % 3 ? kBiased[rng() % 16] : rng() % 8);
        const std::string text = Disassemble(chunk);
        std::string again;
        std::vector<std::string> messages;
        ASSERT_TRUE(Compile(text, again, &messages))
            << "round " << round << "\n"
            << (messages.empty() ? "" : messages[0]) << "\n"
            << text;
        ASSERT_EQ(Hex(again), Hex(chunk)) << "round " << round << "\n" << text;
    }
}

} // namespace

namespace {

const char kHeader[] = "// quillon exact\r\n";

// Texts by hand and the bytes worked out by hand from the facts of the game.
struct Golden {
    const char* name;
    const char* text; // lines joined with "\n" here, CR LF in the file
    const char* bytes;
};

std::string Crlf(const char* text) {
    std::string out = kHeader;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') out += '\r';
        out += *p;
    }
    return out;
}

// An if with an else after a one-byte instruction: the pad before the else
// lies inside the if's length, which runs to the end of the else.
const char kIfElse[] = "int Sub00(void) {\n"
                       "\tif(Ck(FG_STATUS, 2, 3)) {\n"
                       "\t\tSce_rnd();\n"
                       "\t} else {\n"
                       "\t\treturn 5;\n"
                       "\t}\n"
                       "\treturn 0;\n"
                       "}\n";
const char kIfElseBytes[] = "02 00 06 00 0A 00 21 01 02 03 28 00 07 00 08 00 01 05 00 00 01 00";

// A switch with an empty case falling through, a default, a goto back over
// it after its pad; a do whose condition needs a pad after "12 06".
const char kSwitchGoto[] = "int Sub00(void) {\n"
                           "L0004:\n"
                           "\tswitch(V_USED_ITEM) {\n"
                           "\tcase 1:\n"
                           "\tcase 2:\n"
                           "\t\tSce_rnd();\n"
                           "\t\tbreak;\n"
                           "\tdefault:\n"
                           "\t}\n"
                           "\tgoto(L0004, 0, 0, 0);\n"
                           "\treturn 0;\n"
                           "}\n"
                           "\n"
                           "int Sub01(void) {\n"
                           "\tdo {\n"
                           "\t\tEvt_next();\n"
                           "\t} while(Cmp(V_03 > 10, 0));\n"
                           "}\n";
const char kSwitchGotoBytes[] = "04 00 24 00 13 02 13 00 14 00 00 00 01 00 14 00 03 00 02 00 28 1A "
                                "00 15 00 16 00 00 17 00 00 00 E8 FF 01 00 11 00 0A 00 02 12 06 00 "
                                "23 00 03 01 0A 00";

TEST(ExactGolden, TextsCompileToTheBytesAndBack) {
    const Golden cases[] = {{"if/else", kIfElse, kIfElseBytes},
                            {"switch/goto/do", kSwitchGoto, kSwitchGotoBytes}};
    for (const Golden& g : cases) {
        std::string chunk;
        std::vector<std::string> messages;
        ASSERT_TRUE(Compile(Crlf(g.text), chunk, &messages)) << g.name << " " << messages[0];
        EXPECT_EQ(Hex(chunk), g.bytes) << g.name;
        // The disassembler gives the same lines back (after its own first
        // line and the include of the names).
        const std::string text = Disassemble(H(g.bytes));
        EXPECT_EQ(text.substr(text.find(">\r\n") + 5), Crlf(g.text).substr(sizeof kHeader - 1))
            << g.name;
    }
}

// Edits: a line added or removed moves lengths, pads, gotos and procedure
// offsets; each result worked out by hand.
TEST(ExactEdits, LengthsPadsJumpsAndOffsetsFollowTheText) {
    struct Edit {
        const char* name;
        const char* text;
        const char* from;
        const char* to;
        const char* bytes;
    } edits[] = {
        {"if body emptied: no pad, both lengths shrink", kIfElse, "\t\tSce_rnd();\n", "",
         "02 00 06 00 08 00 21 01 02 03 07 00 08 00 01 05 00 00 01 00"},
        {"line duplicated before the else: the pad gives way", kIfElse, "\t\tSce_rnd();\n",
         "\t\tSce_rnd();\n\t\tSce_rnd();\n",
         "02 00 06 00 0A 00 21 01 02 03 28 28 07 00 08 00 01 05 00 00 01 00"},
        {"line added inside a case: case and switch grow, the pad before the goto goes",
         kSwitchGoto, "\t\tSce_rnd();\n", "\t\tSce_rnd();\n\t\tEvt_next();\n",
         "04 00 24 00 13 02 14 00 14 00 00 00 01 00 14 00 04 00 02 00 28 02 1A 00 15 00 16 00 17 "
         "00 00 00 E8 FF 01 00 11 00 0A 00 02 12 06 00 23 00 03 01 0A 00"},
        {"line removed: the next procedure moves and its condition's pad follows", kSwitchGoto,
         "\treturn 0;\n", "",
         "04 00 22 00 13 02 13 00 14 00 00 00 01 00 14 00 03 00 02 00 28 1A 00 15 00 16 00 00 17 "
         "00 00 00 E8 FF 11 00 0A 00 02 12 06 00 23 00 03 01 0A 00"},
    };
    for (const Edit& e : edits) {
        std::string text = e.text;
        const size_t at = text.find(e.from);
        ASSERT_NE(at, std::string::npos) << e.name;
        text.replace(at, std::string(e.from).size(), e.to);
        std::string chunk;
        std::vector<std::string> messages;
        ASSERT_TRUE(Compile(Crlf(text.c_str()), chunk, &messages)) << e.name << " " << messages[0];
        EXPECT_EQ(Hex(chunk), e.bytes) << e.name;
    }
}

// Mistakes that would break the game are errors at their line and column,
// and the compile gives no chunk.
TEST(ExactErrors, MistakesAreErrorsAtTheirPlace) {
    const struct {
        const char* body;
        const char* message;
    } cases[] = {
        {"\tif(Ck(1, 2, 3)) {\n", "5:1: error: the last function is never closed"},
        {"\tFoo(1);\n", "3:2: error: unknown instruction 'Foo'"},
        {"\tgoto(L0099, 0, 0, 0);\n", "3:7: error: label 'L0099' is never defined"},
        {"\tcase 1:\n", "3:2: error: 'case' outside a switch block"},
        {"\tSave(1);\n", "3:8: error: 'Save' takes 2 arguments, 1 given"},
        {"\tSave(1, 2, 3);\n", "3:13: error: 'Save' takes 2 arguments; '3' is one too many"},
        {"\tSce_rnd(1);\n", "3:10: error: 'Sce_rnd' takes 0 arguments; '1' is one too many"},
        {"\tSave(1, x);\n", "3:10: error: unknown name 'x'"},
        {"\t} else {\n\t}\n", "3:2: error: '} else {' follows no if block"},
        {"L0001:\nL0001:\n", "4:1: error: label 'L0001' is already defined on line 3"},
        {"\traw(1FF);\n", "3:6: error: '1FF' is not a byte in hexadecimal"},
        {"\tUnknownOpcode();\n", "3:2: error: 'UnknownOpcode' has no line of its own"},
    };
    for (const auto& c : cases) {
        const std::string text = std::string("int Sub00(void) {\n") + c.body + "}\n";
        std::string chunk;
        std::vector<std::string> messages;
        EXPECT_FALSE(Compile(Crlf(text.c_str()), chunk, &messages)) << c.body;
        ASSERT_FALSE(messages.empty()) << c.body;
        EXPECT_EQ(messages[0].substr(0, std::string(c.message).size()), c.message) << c.body;
    }
}

// A length or a jump beyond 16 bits is an error, not a cut-off value.
TEST(ExactErrors, LengthsBeyondSixteenBits) {
    std::string body = "int Sub00(void) {\n\tfor(n = 0; n < 1; n++) {\n";
    for (int i = 0; i < 3300; ++i)
        body += "\t\tAot_set(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 0, 0);\n";
    body += "\t}\n}\n";
    std::string chunk;
    std::vector<std::string> messages;
    EXPECT_FALSE(Compile(Crlf(body.c_str()), chunk, &messages));
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages[0].find("3:2: error: the block of 66002 bytes does not fit 16 bits"),
              std::string::npos)
        << messages[0];
}

// A chunk whose procedure table is broken is refused with the reason.
TEST(ExactChunk, BrokenTablesAreRefused) {
    const struct {
        const char* bytes;
        const char* reason;
    } cases[] = {
        {"", "0 bytes are too few for a procedure table"},
        {"00 00 01 00", "the first procedure offset 0x0000 is zero"},
        {"03 00 01", "the first procedure offset 0x0003 is odd"},
        {"08 00 01 00", "the procedure table (4 entries) runs past the end (4 bytes)"},
        {"04 00 09 00 01 00", "procedure 1 starts at 0x0009, past the end (6 bytes)"},
        {"06 00 08 00 04 00 01 00", "procedure 2 starts at 0x0004, before procedure 1 (0x0008)"},
    };
    for (const auto& c : cases) {
        std::string reason;
        EXPECT_FALSE(exact::CheckChunk(H(c.bytes), reason)) << c.bytes;
        EXPECT_EQ(reason, c.reason) << c.bytes;
    }
}

} // namespace

namespace {

// Comments, blank lines and lone "/" operators read as in the classic text;
// LF alone ends a line too.
TEST(ExactText, CommentsAndLineEnds) {
    const std::string text = "// quillon exact\n"
                             "int Sub00(void) { // the first\r\n"
                             "\n"
                             "\t/* a pause */ Sce_rnd(); // and more\r"
                             "\tSce_rnd()//a comment against the word\r"
                             "\tSce_rnd(); /* closed on the next line (\r\n"
                             "\t*/ Calc(2 / 100, 0)\n"
                             "}\n";
    std::string chunk;
    std::vector<std::string> messages;
    ASSERT_TRUE(Compile(text, chunk, &messages)) << messages[0];
    EXPECT_EQ(Hex(chunk), "02 00 28 28 28 00 26 00 03 02 64 00");
}

} // namespace

namespace {

// Read in pieces of any size, a text gives the chunk and the messages it
// gives whole: lines, CR LF pairs and comments split between pieces, a line
// longer than the window, errors, and a chunk whose procedures pass what its
// table holds.
// A text read after one that stopped inside a function, and after errors
// before its first function, starts afresh.
TEST(ExactStream, EachTextStartsAfresh) {
    std::string chunk;
    std::vector<std::string> messages;
    EXPECT_FALSE(Compile(Crlf("int Sub00(void) {\n"), chunk, &messages));
    messages.clear();
    EXPECT_FALSE(Compile(Crlf("junk\nint Sub00(void) {\n\tSce_rnd();\n}\n"), chunk, &messages));
    EXPECT_EQ(messages, std::vector<std::string>{"2:1: error: a line outside any function"});
    EXPECT_TRUE(Compile(Crlf("int Sub00(void) {\n\tSce_rnd();\n}\n"), chunk));
    EXPECT_EQ(Hex(chunk), "02 00 28");
}

TEST(ExactStream, PiecesGiveWhatTheWholeTextGives) {
    std::vector<std::string> texts;
    for (std::uint32_t seed = 1; seed <= 30; ++seed) {
        exact_gen::ChunkGenerator gen(seed);
        int raw = 0;
        texts.push_back(Disassemble(gen.Chunk(4, raw)));
    }
    texts.push_back("// quillon exact\rint Sub00(void) {\r\n\tSce_rnd(); /* a\r\tSave(1, x);\n"
                    "\tgoto(L0001, 0, 0, 0);//\r\n}\r\nint Sub07(void) {\r}");
    // Comments over line ends, backslashes, macros and groups, split anywhere.
    texts.push_back(Crlf("#define MARK(n) Set(1, n, 1); \\\n\tSce_rnd();\nint Sub00(void) {\n"
                         "\tSet(1, /* a\n\t\tb */ 5, 1); /**/ /*\n*/\n#if MARK\n\tMARK(3)\n"
                         "#else\n\tSce_rnd(); /* \\\n\t*/ Set(1, \\\n\t\t2, x);\n#endif\n"
                         "\tMARK(4) /* never closed\n}\n"));
    std::string far = Crlf("int Sub00(void) {\n");
    for (int i = 0; i < 17000; ++i) far += "\tSet(1, 24, 1);\r\n";
    far += "}\r\nint Sub01(void) {\r\n}\r\nint Sub02(void) {\r\n}\r\n";
    texts.push_back(far);
    texts.push_back(Crlf("int Sub00(void) {\n\tSce_rnd(); // ") + std::string(1536 << 10, 'x') +
                    "\r\n}\r\n");
    for (const std::string& text : texts) {
        std::string whole, pieces;
        std::vector<std::string> expected, messages;
        const bool ok = Compile(text, whole, &expected);
        for (std::size_t piece : {1u, 3u, 16u, 4093u, 1u << 20}) {
            // A line split between pieces is read again with each piece.
            if (piece < (text.size() > 1000000 ? 1u << 20 : text.size() > 100000 ? 16u : 1u))
                continue;
            std::size_t at = 0;
            messages.clear();
            const bool streamed = exact::CompileStream(
                [&](char* into, std::size_t room) {
                    const std::size_t n = std::min({piece, room, text.size() - at});
                    text.copy(into, n, at);
                    at += n;
                    return n;
                },
                pieces,
                [&](const exact::Message& m) {
                    messages.push_back(std::to_string(m.line) + ":" + std::to_string(m.column) +
                                       ": " + (m.error ? "error: " : "warning: ") + m.text);
                });
            EXPECT_EQ(streamed, ok) << piece << "\n" << text.substr(0, 300);
            EXPECT_EQ(Hex(pieces), Hex(whole)) << piece;
            EXPECT_EQ(messages, expected) << piece << "\n" << text.substr(0, 300);
        }
    }
    std::vector<std::string> messages;
    std::string chunk;
    EXPECT_FALSE(Compile(far, chunk, &messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("error: procedure 1 starts at 0x1"), std::string::npos)
        << messages[0];
}

} // namespace
