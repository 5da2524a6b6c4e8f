// Reading source text (logical lines and tokens) and taking paths apart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/classic/source.h"
#include "io/paths.h"

using namespace quillon;

namespace {

// All logical lines of a source, as the compilers read them.
std::vector<std::string> LogicalLines(std::string_view source,
                                      const LineOptions& options = kCompilerLineOptions) {
    std::vector<std::string> lines;
    std::int32_t pos = 0;
    const std::int32_t size = static_cast<std::int32_t>(source.size());
    while (pos < size) {
        std::string line = ReadSourceLine(options, source, pos);
        if (pos >= size && line.empty()) break;
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Tokens(std::string_view line) {
    std::vector<std::string_view> views;
    SplitTokens(line, views);
    return std::vector<std::string>(views.begin(), views.end());
}

using Strings = std::vector<std::string>;

TEST(CodecSourceLine, EndsAtCarriageReturnOnly) {
    // CR LF and a lone CR end lines; separators become blanks, ";" vanishes.
    EXPECT_EQ(LogicalLines("Evt_next();\r\nWsleep();\r\n"), (Strings{"Evt_next  ", "Wsleep  "}));
    EXPECT_EQ(LogicalLines("Evt_next();\rWsleep();\r"), (Strings{"Evt_next  ", "Wsleep  "}));
    // A lone LF ends nothing: the whole text is one unfinished line.
    EXPECT_EQ(LogicalLines("Evt_next();\nWsleep();\n"), Strings{});
}

TEST(CodecSourceLine, PositionRestsOnTheCompletingCarriageReturn) {
    const std::string src = "Save(1, 20);\r\nSce_rnd();\r\n";
    std::int32_t pos = 0;
    EXPECT_EQ(ReadSourceLine(kCompilerLineOptions, src, pos), "Save 1  20 ");
    EXPECT_EQ(pos, 12);
    EXPECT_EQ(src[static_cast<size_t>(pos)], '\r');
    EXPECT_EQ(ReadSourceLine(kCompilerLineOptions, src, pos), "Sce_rnd  ");
    EXPECT_EQ(pos, 24);
    EXPECT_EQ(ReadSourceLine(kCompilerLineOptions, src, pos), "");
    EXPECT_EQ(pos, static_cast<std::int32_t>(src.size()));
}

TEST(CodecSourceLine, LastLineWithoutCarriageReturnIsDropped) {
    EXPECT_EQ(LogicalLines("Evt_next();\r\nWsleep();"), Strings{"Evt_next  "});
    std::int32_t pos = 0;
    const std::string src = "Wsleep();";
    EXPECT_EQ(ReadSourceLine(kCompilerLineOptions, src, pos), "");
    EXPECT_EQ(pos, 9);
}

TEST(CodecSourceLine, BlankLinesAreSkipped) {
    EXPECT_EQ(LogicalLines("\r\n\r\n\r\nEvt_next();\r\n\r\n"), Strings{"Evt_next  "});
    // Blanks are kept characters: a line of blanks is a line.
    EXPECT_EQ(LogicalLines("   \r\n"), Strings{"   "});
}

TEST(CodecSourceLine, OpenParenthesisJoinsPhysicalLines) {
    EXPECT_EQ(LogicalLines("Save(1,\r\n20);\r\n"), Strings{"Save 1 20 "});
    EXPECT_EQ(LogicalLines("Save(1,\r\n\r\n\r\n20);\r\nSce_rnd();\r\n"),
              (Strings{"Save 1 20 ", "Sce_rnd  "}));
    // A flag, not a count: the first ")" closes.
    EXPECT_EQ(LogicalLines("Ck((1)\r\n2);\r\n"), (Strings{"Ck  1 ", "2 "}));
}

TEST(CodecSourceLine, SlashCommentsFollowTheConventionOfC) {
    const struct {
        const char* source;
        Strings lines;
    } cases[] = {
        {"Sce_rnd(); // a comment (\r\nWsleep();\r\n", {"Sce_rnd   ", "Wsleep  "}},
        {"// a whole line\r\nWsleep();\r\n", {"Wsleep  "}},
        {"Save(1, /* x, y */ 20);\r\n", {"Save 1   20 "}},
        {"Door_aot_set_4p(/* WIP */);\r\nSce_rnd();\r\n", {"Door_aot_set_4p  ", "Sce_rnd  "}},
        // "/*" without "*/" ends with its physical line.
        {"Sce_rnd(); /* open (\r\nWsleep();\r\n", {"Sce_rnd   ", "Wsleep  "}},
        {"Save(1, /* open\r\n20);\r\n", {"Save 1  20 "}},
        {"Save(1, // rest\r\n20);\r\n", {"Save 1  20 "}},
        // A lone "/" is an ordinary character.
        {"Calc(2 / 100)\r\n", {"Calc 2 / 100 "}},
        {"a/b\r\n", {"a/b"}},
        {"x /\r\n", {"x /"}},
        // A comment's parentheses do not count.
        {"Sce_rnd(); // (\r\nWsleep();\r\n", {"Sce_rnd   ", "Wsleep  "}},
        {"Ck(1 /* ) */, 2, 3)\r\nWsleep();\r\n", {"Ck 1   2  3 ", "Wsleep  "}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(LogicalLines(c.source), c.lines);
    }
}

TEST(CodecSourceLine, TabsVanishAndColonsSeparate) {
    EXPECT_EQ(LogicalLines("\t\tEvt_next();\r\n"), Strings{"Evt_next  "});
    EXPECT_EQ(LogicalLines("case 2:\r\n"), Strings{"case 2 "});
    EXPECT_EQ(LogicalLines("Set(1,2,3);\r\n"), Strings{"Set 1 2 3 "});
}

TEST(CodecSourceLine, OptionsChangeTheRules) {
    LineOptions keepTabs = kCompilerLineOptions;
    keepTabs.keepTabs = 1;
    EXPECT_EQ(LogicalLines("\tA();\r\n", keepTabs), Strings{" A  "});

    LineOptions noColon = kCompilerLineOptions;
    noColon.colonBlank = 0;
    EXPECT_EQ(LogicalLines("case 2:\r\n", noColon), Strings{"case 2:"});

    LineOptions raw = kCompilerLineOptions;
    raw.rawLine = 1;
    EXPECT_EQ(LogicalLines("Set(1,2);\r\n", raw), Strings{"Set(1,2)"});

    LineOptions semicolon = kCompilerLineOptions;
    semicolon.semicolonComment = 1;
    EXPECT_EQ(LogicalLines("A; B\r\nC\r\n", semicolon), (Strings{"A", "C"}));

    LineOptions noSlash = kCompilerLineOptions;
    noSlash.noSlashComment = 1;
    EXPECT_EQ(LogicalLines("A // B\r\n", noSlash), Strings{"A // B"});
}

TEST(CodecSourceLine, HasNoLengthLimit) {
    const std::string blanks(5000, ' ');
    const std::string src = "Save(1," + blanks + "20);\r\nSce_rnd();\r\n";
    const Strings lines = LogicalLines(src);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Save 1 " + blanks + "20 ");
    EXPECT_EQ(lines[1], "Sce_rnd  ");
}

TEST(CodecSourceLine, NulByteEndsTheLinesText) {
    const std::string src("Sce_rnd\0Evt_next\r\nWsleep();\r\n", 28);
    EXPECT_EQ(LogicalLines(src), (Strings{"Sce_rnd", "Wsleep  "}));
}

TEST(CodecSourceLine, OffsetsTellWhereEachCharacterCameFrom) {
    const std::string src = "\r\n\tSave(1,\r\n20);\r\n";
    std::int32_t pos = 0;
    std::string line;
    std::vector<std::int32_t> offsets;
    ReadSourceLine(kCompilerLineOptions, src, pos, line, &offsets);
    EXPECT_EQ(line, "Save 1 20 ");
    ASSERT_EQ(offsets.size(), line.size());
    EXPECT_EQ(offsets.front(), 3);
    EXPECT_EQ(offsets[7], 12); // the "2" after the joined line end
}

TEST(CodecSplitTokens, BlanksAndTabsSeparate) {
    EXPECT_EQ(Tokens("Save 1  20 "), (Strings{"Save", "1", "20"}));
    EXPECT_EQ(Tokens("  \tSave\t\t1 \t 20"), (Strings{"Save", "1", "20"}));
    EXPECT_EQ(Tokens("for n = 0  n < 5  n++ {"),
              (Strings{"for", "n", "=", "0", "n", "<", "5", "n++", "{"}));
    EXPECT_EQ(Tokens(""), Strings{});
    EXPECT_EQ(Tokens("   \t "), Strings{});
}

TEST(CodecSplitTokens, QuotesAndBackslashesAreOrdinary) {
    EXPECT_EQ(Tokens("A \"b c\" d\\e"), (Strings{"A", "\"b", "c\"", "d\\e"}));
    EXPECT_EQ(Tokens("\"\""), Strings{"\"\""});
}

// ---- paths -----------------------------------------------------------------

TEST(CodecPaths, TakeApartAScriptPath) {
    EXPECT_EQ(PathFolder("D:\\scripts\\room100.SCD"), "D:\\scripts");
    EXPECT_EQ(PathTitle("D:\\scripts\\room100.SCD"), "room100");
    EXPECT_EQ(PathExtension("D:\\scripts\\room100.SCD"), "SCD");
}

TEST(CodecPaths, EdgeCases) {
    const struct {
        const char* path;
        const char* folder;
        const char* title;
        const char* extension;
    } cases[] = {
        {"D:/scripts/room100.SCD", "D:\\scripts", "D:/scripts/room100", "SCD"},
        {"D:\\a.b\\room", "D:\\a.b", "", "b\\room"},
        {"D:\\scripts\\room.tar.c", "D:\\scripts", "room.tar", "c"},
        {"room100.scd", ".", "room100", "scd"},
        {"room", ".", "", "room"},
        {"D:\\scripts\\.c", "D:\\scripts", "", "c"},
        {"\\room.c", "", "room", "c"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(PathFolder(c.path), c.folder);
        EXPECT_EQ(PathTitle(c.path), c.title);
        EXPECT_EQ(PathExtension(c.path), c.extension);
    }
}

TEST(CodecPaths, OutputPathSitsBesideTheInput) {
    EXPECT_EQ(OutputPath("D:\\scripts\\room100.SCD", "c"), "D:\\scripts\\room100.c");
    EXPECT_EQ(OutputPath("D:\\scripts\\room100.c", "scd"), "D:\\scripts\\room100.scd");
    // Without a folder: the current one. Without a ".": the whole name.
    EXPECT_EQ(OutputPath("room100.scd", "c"), ".\\room100.c");
    EXPECT_EQ(OutputPath("D:\\scripts\\room", "c"), "D:\\scripts\\room.c");
    EXPECT_EQ(ScriptTitle("D:\\scripts\\room"), "room");
    EXPECT_EQ(ScriptTitle("D:\\a.b\\room"), "room");
    EXPECT_EQ(ScriptTitle("D:\\scripts\\room100.SCD"), "room100");
}

TEST(CodecPaths, HostPathsConvert) {
#ifndef _WIN32
    EXPECT_EQ(ToScriptPath("/tmp/x/room.scd"), "\\tmp\\x\\room.scd");
    EXPECT_EQ(ToHostPath("\\tmp\\x\\room.c"), "/tmp/x/room.c");
#endif
    EXPECT_EQ(ToHostPath(ToScriptPath("dir/room.scd")), "dir/room.scd");
}

} // namespace
