// Exact mode's names: a text edited through its names, procedures and
// conditions compiles to the bytes worked out by hand; a user's names print
// and read back; mistakes with names are errors and warnings at their place.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "codec/exact/exact.h"
#include "testkit/codec_support.h"
#include "testkit/memory_headers.h"

namespace {

using codec_test::H;
using codec_test::Hex;
using namespace quillon;

// A room procedure that reads a flag pair, calls, forks and arms an event
// area for procedure 1, and loops on two flags; procedure 1 chains back.
const char kText[] = "// quillon exact\n"
                     "#include <bio2.h>\n"
                     "\n"
                     "int Sub00(void) {\n"
                     "\tif(Ck(FG_ROOM, 5, 1) && Ck(FG_ENEMY, 62, 1)) {\n"
                     "\t\tSub01();\n"
                     "\t}\n"
                     "\tEvt_exec(255, I_GOSUB, Sub01);\n"
                     "\tAot_set(ID_AOT_3, SCE_EVENT, SAT_PL, 0, 0, 0, 0, 0, 0, 255, 0, I_GOSUB, "
                     "Sub01, 0, 0);\n"
                     "\twhile(Ck(FG_STATUS, F_PLAYER, 1) && Ck(FG_ROOM, 7, 0)) {\n"
                     "\t\tSet(FG_ROOM, 5, 0);\n"
                     "\t}\n"
                     "\treturn 0;\n"
                     "}\n"
                     "\n"
                     "int Sub01(void) {\n"
                     "\tEvt_chain(0, I_GOSUB, Sub00);\n"
                     "\treturn 0;\n"
                     "}\n";

// Its bytes, piece by piece. The if's length runs from its conditions to
// past "08 00"; the while's condition size byte is its whole run, its
// length runs past "10 00".
const char kTable[] = "04 00 40 00";
const char kIf[] = "06 00 0C 00 21 05 05 01 21 06 3E 01 18 01 08 00";
const char kExec[] = "04 FF 18 01";
const char kArea[] = "2C 03 05 01 00 00 00 00 00 00 00 00 00 00 FF 00 18 01 00 00";
const char kWhile[] = "0F 08 0E 00 21 01 00 01 21 05 07 00 22 05 05 00 10 00";
const char kEnd[] = "01 00";
const char kSub01[] = "03 00 18 00 01 00";

std::string Join(const std::vector<const char*>& pieces) {
    std::string out;
    for (const char* p : pieces) out += (out.empty() ? "" : " ") + std::string(p);
    return out;
}

std::vector<std::string> g_messages;

bool Compile(const std::string& text, std::string& chunk,
             const exact::CompileOptions& options = {}) {
    g_messages.clear();
    return exact::CompileChunk(
        text, chunk,
        [](const exact::Message& m) {
            g_messages.push_back(std::to_string(m.line) + ":" + std::to_string(m.column) + ": " +
                                 (m.error ? "error: " : "warning: ") + m.text);
        },
        options);
}

// Every occurrence of each `from` replaced by its `to`.
using Replacements = std::vector<std::pair<const char*, const char*>>;
std::string Edited(const Replacements& edits) {
    std::string text = kText;
    for (const auto& [from, to] : edits) {
        const std::string f = from, t = to;
        EXPECT_NE(text.find(f), std::string::npos) << from;
        for (std::size_t at = text.find(f); at != std::string::npos;
             at = text.find(f, at + t.size()))
            text.replace(at, f.size(), t);
    }
    return text;
}

TEST(ExactNames, TheTextIsWhatTheBytesPrint) {
    std::string chunk;
    ASSERT_TRUE(Compile(kText, chunk)) << g_messages[0];
    EXPECT_EQ(Hex(chunk), Join({kTable, kIf, kExec, kArea, kWhile, kEnd, kSub01}));
    std::string text, reason;
    ASSERT_TRUE(exact::DisassembleChunk(chunk, text, reason)) << reason;
    std::string lf;
    for (char c : text)
        if (c != '\r') lf += c;
    EXPECT_EQ(lf.substr(lf.find("\n") + 1), std::string(kText).substr(sizeof "// quillon exact"));
}

TEST(ExactNames, EditsCompileToTheBytesWorkedOutByHand) {
    const struct {
        const char* name;
        Replacements edits;
        std::vector<const char*> bytes;
    } cases[] = {
        {"a flag group for another",
         {{"Ck(FG_ROOM, 5", "Ck(FG_ENEMY, 5"}},
         {kTable, "06 00 0C 00 21 06 05 01 21 06 3E 01 18 01 08 00", kExec, kArea, kWhile, kEnd,
          kSub01}},
        {"scene bits with one that has no name",
         {{"SAT_PL", "SAT_PL | SAT_FRONT | 0x80"}},
         {kTable, kIf, kExec, "2C 03 05 A1 00 00 00 00 00 00 00 00 00 00 FF 00 18 01 00 00", kWhile,
          kEnd, kSub01}},
        {"a flag index's name for another",
         {{"F_PLAYER", "F_SCENARIO"}},
         {kTable, kIf, kExec, kArea, "0F 08 0E 00 21 01 01 01 21 05 07 00 22 05 05 00 10 00", kEnd,
          kSub01}},
        {"numbers where names stood",
         {{"SCE_EVENT", "5"}, {"FG_ENEMY", "6"}, {"I_GOSUB", "24"}},
         {kTable, kIf, kExec, kArea, kWhile, kEnd, kSub01}},
        {"functions renamed",
         {{"Sub01", "Opening"}, {"Sub00", "Hall"}},
         {kTable, kIf, kExec, kArea, kWhile, kEnd, kSub01}},
        {"a procedure inserted first: every reference moves",
         {{"int Sub00(void) {", "int Intro(void) {\n\tSub01();\n}\n\nint Sub00(void) {"}},
         {"06 00 08 00 44 00", "18 02", "06 00 0C 00 21 05 05 01 21 06 3E 01 18 02 08 00",
          "04 FF 18 02", "2C 03 05 01 00 00 00 00 00 00 00 00 00 00 FF 00 18 02 00 00", kWhile,
          kEnd, "03 00 18 01 01 00"}},
        {"a condition removed from the if",
         {{" && Ck(FG_ENEMY, 62, 1)", ""}},
         {"04 00 3C 00", "06 00 08 00 21 05 05 01 18 01 08 00", kExec, kArea, kWhile, kEnd,
          kSub01}},
        {"conditions added to the if, a pad before the 16-bit one",
         {{"62, 1))", "62, 1) && Poison_ck() && Cmp(V_TEMP < 3, 0))"}},
         {"04 00 48 00", "06 00 14 00 21 05 05 01 21 06 3E 01 86 00 23 00 10 03 03 00 18 01 08 00",
          kExec, kArea, kWhile, kEnd, kSub01}},
        {"a condition removed from the while",
         {{" && Ck(FG_ROOM, 7, 0)", ""}},
         {"04 00 3C 00", kIf, kExec, kArea, "0F 04 0A 00 21 01 00 01 22 05 05 00 10 00", kEnd,
          kSub01}},
        {"a condition added to the while",
         {{"7, 0))", "7, 0) && Keep_Item_ck(ITEM_SHOTGUN))"}},
         {"04 00 42 00", kIf, kExec, kArea,
          "0F 0A 10 00 21 01 00 01 21 05 07 00 5E 07 22 05 05 00 10 00", kEnd, kSub01}},
        {"a user's flag in Ck and Set",
         {{"<bio2.h>\n", "<bio2.h>\n#define MET_CLAIRE FG_SCENARIO, 18\n"},
          {"FG_ENEMY, 62", "MET_CLAIRE"},
          {"FG_ROOM, 5, 0", "MET_CLAIRE, 0"}},
         {kTable, "06 00 0C 00 21 05 05 01 21 03 12 01 18 01 08 00", kExec, kArea,
          "0F 08 0E 00 21 01 00 01 21 05 07 00 22 03 12 00 10 00", kEnd, kSub01}},
    };
    for (const auto& c : cases) {
        std::string chunk;
        ASSERT_TRUE(Compile(Edited(c.edits), chunk)) << c.name << ": " << g_messages[0];
        EXPECT_EQ(Hex(chunk), Join(c.bytes)) << c.name;
        EXPECT_TRUE(g_messages.empty()) << c.name << ": " << g_messages[0];
    }
}

// Mistakes with names are errors at their line and column, and give no
// chunk; a name of another kind is a warning, and its value is compiled.
TEST(ExactNames, MistakesAreMessagesAtTheirPlace) {
    const struct {
        Replacements edits;
        const char* message; // the first message, or its start
        bool compiles;
    } cases[] = {
        {{{"Ck(FG_ROOM, 5", "Ck(FG_ROOMS, 5"}},
         "5:8: error: unknown name 'FG_ROOMS'; did you mean 'FG_ROOM'?",
         false},
        {{{"Evt_exec(255, I_GOSUB, Sub01)", "Evt_exec(255, I_GOSUB, Nowhere)"}},
         "8:25: error: 'Nowhere' is no function",
         false},
        {{{"Ck(FG_ROOM, 5", "Ck(ITEM_SHOTGUN, 5"}},
         "5:8: warning: 'ITEM_SHOTGUN' is an item; argument 1 of Ck is a flag group",
         true},
        {{{"Evt_exec(255, I_GOSUB, Sub01)", "Evt_exec(255, I_GOSUB, Sub09)"}},
         "8:25: warning: no function is named 'Sub09': compiled as procedure 9 of a table of 2",
         true},
        {{{"\t\tSub01();\n", "\t\tSub5();\n"}},
         "6:3: warning: no function is named 'Sub5': compiled as procedure 5 of a table of 2",
         true},
        {{{"<bio2.h>\n", "<bio2.h>\n#pragma once\n"}}, "3:1: error: '#pragma'", false},
        {{{"<bio2.h>\n", "<bio2.h>\n#define DOOR 1\n#define DOOR 1\n#define DOOR 2\n"}},
         "5:9: error: 'DOOR' is already defined",
         false},
        {{{"<bio2.h>\n", "<bio2.h>\n#include \"x.h\"\n"}}, "3:10: error: cannot include", false},
    };
    for (const auto& c : cases) {
        std::string chunk;
        EXPECT_EQ(Compile(Edited(c.edits), chunk), c.compiles) << c.message;
        ASSERT_FALSE(g_messages.empty()) << c.message;
        EXPECT_EQ(g_messages[0].substr(0, std::string(c.message).size()), c.message);
    }
    std::string chunk;
    ASSERT_TRUE(Compile(Edited({{"Ck(FG_ROOM, 5", "Ck(ITEM_SHOTGUN, 5"}}), chunk));
    EXPECT_EQ(Hex(chunk), Join({kTable, "06 00 0C 00 21 07 05 01 21 06 3E 01 18 01 08 00", kExec,
                                kArea, kWhile, kEnd, kSub01}));
}

// Headers come through the reader: a user's flag from one, and a header
// that includes itself.
TEST(ExactNames, HeadersAreReadThroughTheReader) {
    exact::CompileOptions options;
    options.key = "room.c";
    options.include = quillon_test::MemoryHeaders(
        {{"flags.h", "// the story\n#define MET_CLAIRE FG_SCENARIO, 18\n"},
         {"loop.h", "#define A 1\n#include \"loop.h\"\n"}});
    std::string chunk;
    ASSERT_TRUE(Compile(Edited({{"<bio2.h>\n", "<bio2.h>\n#include \"flags.h\"\n"},
                                {"FG_ROOM, 5, 0", "MET_CLAIRE, 0"}}),
                        chunk, options))
        << g_messages[0];
    EXPECT_EQ(Hex(chunk),
              Join({kTable, kIf, kExec, kArea,
                    "0F 08 0E 00 21 01 00 01 21 05 07 00 22 03 12 00 10 00", kEnd, kSub01}));
    EXPECT_FALSE(
        Compile(Edited({{"<bio2.h>\n", "<bio2.h>\n#include \"loop.h\"\n"}}), chunk, options));
    ASSERT_FALSE(g_messages.empty());
    EXPECT_NE(g_messages[0].find("includes itself"), std::string::npos) << g_messages[0];
}

// A user's names print before the built-in ones; a name defined by bare
// numbers never prints.
TEST(ExactNames, AUsersNamesPrint) {
    const struct {
        const char* header;
        const char* line;
    } cases[] = {
        {"#define MET_CLAIRE FG_SCENARIO, 18\n", "\tCk(MET_CLAIRE, 1);\r\n"},
        {"#define STORY FG_SCENARIO\n", "\tCk(STORY, 18, 1);\r\n"},
        {"#define MET_CLAIRE 3, 18\n", "\tCk(FG_SCENARIO, 18, 1);\r\n"},
        {"/* flags\n * of the story */\n#if 1\n#define MET_CLAIRE \\\n FG_SCENARIO, 18\n#endif\n",
         "\tCk(MET_CLAIRE, 1);\r\n"},
    };
    for (const auto& c : cases) {
        exact::NameBook book;
        std::string reason, text;
        ASSERT_TRUE(exact::ReadNames(c.header, "flags.h", {}, book, reason)) << reason;
        exact::PrintOptions options;
        options.names = &book;
        ASSERT_TRUE(exact::DisassembleChunk(H("02 00 21 03 12 01"), text, reason, options));
        EXPECT_NE(text.find(c.line), std::string::npos) << c.header << text;
    }
}

// The header that "quillon names" prints, its comment over two lines
// included, reads as a header of names.
TEST(ExactNames, TheNamesHeaderReadsBack) {
    exact::NameBook book;
    std::string reason;
    EXPECT_TRUE(exact::ReadNames(exact::NamesHeader(), "bio2.h", {}, book, reason)) << reason;
    EXPECT_NE(book.Find("FG_ROOM"), nullptr);
}

// The example room comes back from each printing of it.
TEST(ExactNames, TheExampleRoomComesBackFromEachPrinting) {
    std::ifstream in(std::string(QUILLON_SOURCE_DIR) + "/examples/exact_room.scd",
                     std::ios::binary);
    const std::string room{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(room.empty());
    const exact::PrintOptions printings[] = {{}, {.numbers = true}, {.offsets = true}};
    for (const exact::PrintOptions& options : printings) {
        std::string text, reason, chunk;
        ASSERT_TRUE(exact::DisassembleChunk(room, text, reason, options)) << reason;
        ASSERT_TRUE(Compile(text, chunk)) << g_messages[0] << "\n" << text;
        EXPECT_EQ(Hex(chunk), Hex(room)) << text;
    }
}

// A name that is no name, where a defined run of two values would stand,
// is the mistake named, not the count of the arguments.
TEST(ExactNames, AnUnknownNameForARunIsAnUnknownName) {
    std::string chunk;
    EXPECT_FALSE(Compile("// quillon exact\n#include <bio2.h>\nint Sub00(void) {\n"
                         "\tCk(MET_CLAIRE, 1);\n}\n",
                         chunk));
    ASSERT_FALSE(g_messages.empty());
    EXPECT_EQ(g_messages[0].rfind("4:5: error: unknown name 'MET_CLAIRE'", 0), 0u) << g_messages[0];
}

} // namespace
