// End-to-end tests of the warning cap and of the streamed compile: at most N
// warnings printed per file, one line for the rest, --Werror counting them
// all; lines and columns and bytes the same however the text is read.
#include <gtest/gtest.h>

#include "codec/classic/engine.h"
#include "testkit/cli_support.h"

using namespace quillon_test;

namespace {

// `count` lines with one unknown instruction each, line k at column 2.
std::string Faulty(int count) {
    std::string text = "int room(void) {\r\n";
    for (int k = 0; k < count; ++k) text += "\tSlep(" + std::to_string(k) + ");\r\n";
    return text + "}";
}

int Lines(const std::string& s, const std::string& what) {
    int n = 0;
    for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
    return n;
}

TEST(CliWarningCap, AtMostNWarningsThenHowManyMore) {
    TempDir dir;
    WriteFile(dir / "room.c", Faulty(250));
    const RunOptions in{"", dir.path().string()};
    struct Case {
        std::vector<std::string> args;
        int shown;
        std::string tail; // the last line of standard error
    };
    const Case cases[] = {
        {{"compile", "room.c"}, 100, "room.c: 150 more warnings not shown"},
        {{"compile", "--max-warnings", "3", "room.c"}, 3, "room.c: 247 more warnings not shown"},
        {{"compile", "--max-warnings", "249", "room.c"}, 249, "room.c: 1 more warning not shown"},
        {{"compile", "--max-warnings", "0", "room.c"}, 250, "room.c:251:2: warning: unknown"},
        {{"compile", "--max-warnings", "250", "room.c"}, 250, "room.c:251:2: warning: unknown"},
        {{"compile", "-q", "room.c"}, 0, ""},
    };
    for (const Case& c : cases) {
        const RunResult r = RunQuillon(c.args, in);
        EXPECT_EQ(r.status, 0) << c.args[2];
        EXPECT_EQ(Lines(r.err, ": warning: "), c.shown) << c.args[2];
        const std::size_t last = r.err.rfind('\n', r.err.size() - 2);
        const std::string tail = r.err.substr(last == std::string::npos ? 0 : last + 1);
        EXPECT_EQ(tail.rfind(c.tail, 0), 0u) << c.args[2] << ": " << tail;
    }
    // The first line of the cap is the source's first warning, in place.
    const RunResult r = RunQuillon({"compile", "--max-warnings", "1", "room.c"}, in);
    EXPECT_EQ(r.err.rfind("room.c:2:2: warning: unknown instruction 'Slep'", 0), 0u) << r.err;
}

TEST(CliWarningCap, WerrorCountsEveryWarning) {
    TempDir dir;
    WriteFile(dir / "room.c", Faulty(7));
    const RunResult r = RunQuillon({"compile", "--Werror", "--max-warnings", "2", "room.c"},
                                   RunOptions{"", dir.path().string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Lines(r.err, ": warning: "), 2);
    EXPECT_NE(r.err.find("room.c: 7 warnings treated as errors"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(dir / "room.scd"));
}

// Warnings past the cap are counted without their places: every kind counts
// the same, and a label line (an unknown word but for the ":" after it) is
// still no warning.
TEST(CliWarningCap, HiddenWarningsCountAsShownOnes) {
    TempDir dir;
    const char* const kinds[] = {
        "\tSlep(1);\r\n",                                                   // unknown instruction
        "here:\r\n",                                                        // a label: no warning
        "}\r\n",                                                            // closes no open block
        "\tSce_espr_on(1);\r\n",                                            // too few arguments
        "\tSce_espr_on(0x01, 0x02, 3, 4, 5, 0x0006, 7, 8, 9, 10, 11);\r\n", // one too many
        "\tSce_espr_on(zz, 0x02, 3, 4, 5, 0x0006, 7, 8, 9, 10);\r\n",       // not a number
        "\tSce_espr_on(0x1FF, 0x02, 3, 4, 5, 0x0006, 7, 8, 9, 10);\r\n",    // out of range
    };
    std::string text = "int room(void) {\r\n";
    for (int k = 0; k < 30; ++k) text += kinds[k % 7];
    WriteFile(dir / "room.c", text + "}");
    const RunOptions in{"", dir.path().string()};
    const int all =
        Lines(RunQuillon({"compile", "--max-warnings", "0", "room.c"}, in).err, ": warning: ");
    EXPECT_GT(all, 20);
    const RunResult capped = RunQuillon({"compile", "--max-warnings", "1", "room.c"}, in);
    EXPECT_NE(capped.err.find("room.c: " + std::to_string(all - 1) + " more warnings not shown"),
              std::string::npos)
        << capped.err;
    const RunResult counted = RunQuillon({"compile", "-q", "--Werror", "room.c"}, in);
    EXPECT_NE(counted.err.find("room.c: " + std::to_string(all) + " warnings treated as errors"),
              std::string::npos)
        << counted.err;
}

// A source of several MiB (more than the compiler's window) gives the same
// bytes beside it, through -o and on standard output, and its warnings keep
// their lines and columns across the window's moves.
TEST(CliWarningCap, StreamedCompileKeepsBytesAndPlaces) {
    TempDir dir;
    std::string text = "int big(void) {\r\n";
    const std::string line = "\tSce_espr_on(0x01, 0x02, 3, 4, 5, 0x0006, 7, 8, 9, 10);\r\n";
    int lines = 1; // physical lines so far
    std::string warnings;
    while (text.size() < (3u << 20)) {
        text += line;
        if (++lines % 20011 == 0) {
            text += "\tBad_name(1);\r\n";
            warnings += "big.c:" + std::to_string(++lines) +
                        ":2: warning: unknown instruction 'Bad_name': the line produces no bytes\n";
        }
    }
    text += "}";
    WriteFile(dir / "big.c", text);
    quillon::ScriptContext ctx(quillon::RetailDialect());
    const std::string expected = quillon::CompileBuffer(ctx, text);
    const RunOptions in{"", dir.path().string()};
    const RunResult beside = RunQuillon({"compile", "big.c"}, in);
    EXPECT_EQ(beside.status, 0);
    EXPECT_TRUE(ReadFile(dir / "big.scd") == expected);
    const RunResult out = RunQuillon({"compile", "big.c", "-o", "other.scd"}, in);
    EXPECT_TRUE(ReadFile(dir / "other.scd") == expected);
    const RunResult std = RunQuillon({"compile", "--stdout", "big.c"}, in);
    EXPECT_TRUE(std.out == expected);
    EXPECT_EQ(beside.err, warnings);
    EXPECT_EQ(out.err, warnings);
    // No temporary file is left beside the outputs.
    int files = 0;
    for (const auto& e : fs::directory_iterator(dir.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 3);
}

} // namespace
