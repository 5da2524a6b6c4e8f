// End-to-end tests of the compile warnings: exact file, line and column,
// the messages, --Werror and -q, and that warnings never change the bytes.
#include <gtest/gtest.h>

#include "codec/classic/engine.h"
#include "testkit/cli_support.h"

using namespace quillon_test;

namespace {

std::string CompileSilently(const std::string& source, bool prototype = false) {
    quillon::ScriptContext ctx(prototype ? quillon::PrototypeDialect() : quillon::RetailDialect());
    return quillon::CompileBuffer(ctx, source);
}

// Physical lines: line 2 ends in a lone LF, line 3 in a lone CR.
const char kFaulty[] = "int room(void) {\r\n"
                       "\n"
                       "\tSlep(30);\r"
                       "\tSpeed_set(2, abc);\r\n"
                       "\tSave(1);\r\n"
                       "\t}\r\n"
                       "}\r\n";

TEST(CliDiagnostics, FileLineAndColumnOfEachWarning) {
    TempDir dir;
    WriteFile(dir / "room.c", kFaulty);
    const RunResult r = RunQuillon({"compile", "room.c"}, RunOptions{"", dir.path().string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "room.c:3:2: warning: unknown instruction 'Slep': the line produces no "
                     "bytes; did you mean 'Sleep'?\n"
                     "room.c:4:15: warning: argument 2 of 'Speed_set': 'abc' is not a decimal "
                     "number\n"
                     "room.c:5:8: warning: 'Save' takes 2 arguments, 1 given\n"
                     "room.c:7:1: warning: '}' closes no open block\n");
    // The bytes are those of a compile that nobody listens to.
    EXPECT_EQ(ReadFile(dir / "room.scd"), CompileSilently(kFaulty));
    EXPECT_FALSE(ReadFile(dir / "room.scd").empty());
}

TEST(CliDiagnostics, AVeryLongTokenIsCutInItsWarning) {
    TempDir dir;
    WriteFile(dir / "long.c", "Sleep(" + std::string(100000, 'x') + ");\r\n");
    const RunResult r = RunQuillon({"compile", "long.c"}, RunOptions{"", dir.path().string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "long.c:1:7: warning: argument 1 of 'Sleep': '" + std::string(60, 'x') +
                         "...' is not a decimal number\n");
}

TEST(CliDiagnostics, UnclosedBlockIsReportedAtTheEnd) {
    TempDir dir;
    // The last "}" has no line end, as the disassembler writes it: it closes
    // the function, and the if block stays open.
    const std::string source = "int room(void) {\r\n"
                               "\tif(Ck(1, 2, 3)) {\r\n"
                               "\t\tWsleep();\r\n"
                               "}";
    WriteFile(dir / "open.c", source);
    const RunResult r = RunQuillon({"compile", dir.str("open.c")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, dir.str("open.c") +
                         ":4:2: warning: 1 block is still open at the end of the source: 1 '}' "
                         "is missing\n");
}

TEST(CliDiagnostics, TheDisassemblersOwnTextCompilesWithoutWarnings) {
    TempDir dir;
    for (const char* name : {"room100", "retail_all"}) {
        WriteFile(dir / (std::string(name) + ".scd"), Example(std::string(name) + ".scd"));
        ASSERT_EQ(RunQuillon({"disassemble", dir.str(std::string(name) + ".scd")}).status, 0);
        const RunResult r = RunQuillon({"compile", "--Werror", dir.str(std::string(name) + ".c")});
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_EQ(r.err, "") << name;
    }
}

TEST(CliDiagnostics, WerrorFailsButStillWritesTheSameBytes) {
    TempDir dir;
    WriteFile(dir / "room.c", kFaulty);
    const RunResult r =
        RunQuillon({"compile", "--Werror", "room.c"}, RunOptions{"", dir.path().string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("room.c:3:2: warning: unknown instruction 'Slep'"), std::string::npos);
    EXPECT_NE(r.err.find("quillon: room.c: 4 warnings treated as errors (--Werror)\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(ReadFile(dir / "room.scd"), CompileSilently(kFaulty));
}

TEST(CliDiagnostics, QuietSilencesWarnings) {
    TempDir dir;
    WriteFile(dir / "room.c", kFaulty);
    const RunResult q = RunQuillon({"compile", "-q", dir.str("room.c")});
    EXPECT_EQ(q.status, 0);
    EXPECT_EQ(q.err, "");
    EXPECT_EQ(ReadFile(dir / "room.scd"), CompileSilently(kFaulty));
    // Quiet, but still an error under --Werror.
    const RunResult qw = RunQuillon({"compile", "-q", "--Werror", dir.str("room.c")});
    EXPECT_EQ(qw.status, 1);
    EXPECT_EQ(qw.err.find("warning:"), std::string::npos);
}

struct LineCase {
    const char* line;     // one source line, compiled after a header
    const char* expected; // what follows "x.c:2:"; empty when no warning
};

TEST(CliDiagnostics, Messages) {
    const LineCase cases[] = {
        {"\tSleep(30);", ""},
        {"\tsleep(30);", "2: warning: unknown instruction 'sleep': the line produces no bytes; "
                         "did you mean 'Sleep'?"},
        {"\tEvt_nxt();", "2: warning: unknown instruction 'Evt_nxt': the line produces no bytes; "
                         "did you mean 'Evt_next'?"},
        {"\tSce_fade_st(0, 2, 7, 0, 40);",
         "2: warning: unknown instruction 'Sce_fade_st': the line produces no bytes; did you "
         "mean 'Sce_fade_set'?"},
        {"\tQwertyuiopasdf(1);",
         "2: warning: unknown instruction 'Qwertyuiopasdf': the line produces no bytes"},
        {"\tCopy(300, 1);", "7: warning: argument 1 of 'Copy': 300 does not fit (0 to 255); only "
                            "its low 8 bits are kept"},
        {"\tSpeed_set(1, 40000);", "15: warning: argument 2 of 'Speed_set': 40000 does not fit "
                                   "(-32768 to 32767); only its low 16 bits are kept"},
        {"\tSce_espr_kill(1, 2, 3, 4, 5);",
         "28: warning: 'Sce_espr_kill' takes 4 arguments; '5' and anything after it are ignored"},
        {"\tif(Cmp(1 => 2)) {", "11: warning: argument 2 of 'Cmp': '=>' is not a comparison "
                                "operator (= > >= < <= !=)"},
        {"\tCalc(2 ** 100)",
         "9: warning: argument 2 of 'Calc': '**' is not an arithmetic operator (+ - * / % || && "
         "^ ~ << >> ~>>)"},
        {"\tEvt_exec(1, zz);",
         "14: warning: argument 2 of 'Evt_exec': 'zz' is not a hexadecimal number"},
        {"\tCk(1)", "6: warning: 'Ck' takes 3 arguments, 1 given"},
        {"\tCalc2(0x10, 0x7);", ""},
        {"Sub05:", ""},
        {"{", ""},
        {"\tcase 2:", ""},
        {"\t// Slep(30);", ""},
        {"\tPlc_ret(5);", ""},
    };
    TempDir dir;
    for (const LineCase& c : cases) {
        const std::string source = std::string("int x(void) {\r\n") + c.line + "\r\n}";
        WriteFile(dir / "x.c", source);
        const RunResult r = RunQuillon({"compile", "x.c"}, RunOptions{"", dir.path().string()});
        EXPECT_EQ(r.status, 0) << c.line;
        // The warnings about the line itself (a "{" also leaves a block open).
        std::string about;
        for (const std::string& l : Lines(r.err))
            if (l.rfind("x.c:2:", 0) == 0) about += l + "\n";
        const std::string expected = *c.expected ? std::string("x.c:2:") + c.expected + "\n" : "";
        EXPECT_EQ(about, expected) << c.line;
        EXPECT_EQ(ReadFile(dir / "x.scd"), CompileSilently(source)) << c.line;
    }
}

TEST(CliDiagnostics, PrototypeWarnsThatBlockKeywordsProduceNoBytes) {
    TempDir dir;
    const std::string source = "int p(void) {\r\n"
                               "\tif(Ck(1, 2, 3)) {\r\n"
                               "\t\tWsleep();\r\n"
                               "\t}\r\n"
                               "\tdo {\r\n"
                               "\t} while(Ck(1, 2, 3));\r\n"
                               "}";
    WriteFile(dir / "p.c", source);
    const RunResult r = RunQuillon({"compile", "--dialect", "prototype", "p.c"},
                                   RunOptions{"", dir.path().string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "p.c:2:2: warning: 'if' lines produce no bytes in the prototype dialect\n"
                     "p.c:5:2: warning: 'do' lines produce no bytes in the prototype dialect\n");
    EXPECT_EQ(ReadFile(dir / "p.scd"), CompileSilently(source, true));
    // The same text in the retail dialect writes the blocks, silently.
    const RunResult retail = RunQuillon({"compile", "p.c"}, RunOptions{"", dir.path().string()});
    EXPECT_EQ(retail.err, "");
}

// Only CR ends a line: a text whose lines end in LF alone, or that has no
// line end, would compile to nothing. It is refused, whatever the output,
// and an earlier result stays as it was.
TEST(CliDiagnostics, TextsWithoutCarriageReturnsAreRefusedAndNothingIsWritten) {
    struct Case {
        const char* text;
        const char* reason;
        const char* convert;
    } const cases[] = {
        {"int x(void) {\n\tSleep(30);\n}\n", "lines end in LF alone",
         "sed -i 's/$/\\r/' 'x.c' (or unix2dos 'x.c')"},
        {"\tSleep(30);", "the text has no line end", "sed -i 's/$/\\r/' 'x.c'"},
    };
    for (const Case& c : cases) {
        for (const std::vector<std::string>& output :
             {std::vector<std::string>{}, {"-o", "x.scd"}, {"--stdout"}}) {
            TempDir dir;
            WriteFile(dir / "x.c", c.text);
            WriteFile(dir / "x.scd", "old");
            std::vector<std::string> args{"compile", "--Werror", "x.c"};
            args.insert(args.end(), output.begin(), output.end());
            const RunResult r = RunQuillon(args, RunOptions{"", dir.path().string()});
            EXPECT_EQ(r.status, 1) << c.text;
            EXPECT_EQ(r.err, std::string("Quillon: Compile() Fail!\nquillon: 'x.c': ") + c.reason +
                                 ", and only CR LF or CR ends a line, so nothing would compile; "
                                 "nothing is written. Convert the text first: " +
                                 c.convert + "\n")
                << c.text;
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(ReadFile(dir / "x.scd"), "old");
        }
    }
    // From standard input the advice is a pipe; a blank text stays an empty script.
    const RunResult piped = RunQuillon({"compile", "-"}, RunOptions{"Sleep(30);\n", ""});
    EXPECT_EQ(piped.status, 1);
    EXPECT_NE(piped.err.find("sed 's/$/\\r/' | quillon compile -\n"), std::string::npos)
        << piped.err;
    const RunResult blank = RunQuillon({"compile", "-"}, RunOptions{" \n\t\n", ""});
    EXPECT_EQ(blank.status, 0);
    EXPECT_EQ(blank.err, "");
}

// The advice works: the converted text compiles as a CR LF text does.
TEST(CliDiagnostics, TheAdvisedConversionMakesTheTextCompile) {
    TempDir dir;
    WriteFile(dir / "x.c", "int x(void) {\n\tSleep(30);\n}");
    ASSERT_EQ(std::system(("cd '" + dir.path().string() + "' && sed -i 's/$/\\r/' 'x.c'").c_str()),
              0);
    const RunResult r = RunQuillon({"compile", "x.c"}, RunOptions{"", dir.path().string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(dir / "x.scd"), CompileSilently("int x(void) {\r\n\tSleep(30);\r\n}\r"));
    EXPECT_EQ(ReadFile(dir / "x.scd"), std::string("\x09\x0A\x1E\x00\x08\x00", 6));
}

TEST(CliDiagnostics, ALastLineWithoutLineEndIsReported) {
    TempDir dir;
    WriteFile(dir / "t.c", "int x(void) {\r\n\tSleep(30);\r\n}\r\n\tWsleep();");
    const RunResult r = RunQuillon({"compile", "t.c"}, RunOptions{"", dir.path().string()});
    EXPECT_EQ(r.err, "t.c:4:2: warning: the last line has no line end (CR LF) and is not "
                     "compiled\n");
    // Sleep(30); and the "}" that closes the function.
    EXPECT_EQ(ReadFile(dir / "t.scd"), std::string("\x09\x0A\x1E\x00\x08\x00", 6));
}

TEST(CliDiagnostics, AParenthesisNeverClosedSwallowsTheRest) {
    TempDir dir;
    WriteFile(dir / "p.c", "int x(void) {\r\n\tSleep(30\r\n\tWsleep(;\r\n}");
    const RunResult r = RunQuillon({"compile", "p.c"}, RunOptions{"", dir.path().string()});
    EXPECT_EQ(r.err, "p.c:2:2: warning: a '(' is never closed: this line and everything after it "
                     "are not compiled\n"
                     "p.c:4:2: warning: 1 block is still open at the end of the source: 1 '}' is "
                     "missing\n");
    EXPECT_EQ(ReadFile(dir / "p.scd"), "");
}

// A ")" forgotten at a line's end makes the next line part of it: its
// instruction is lost. The line is named where its "(" is left open (or at
// its LF alone), and --Werror fails on it; the bytes stay those of the text
// as it stands.
TEST(CliDiagnostics, ALineThatJoinsTheNextIsReportedAtThatLine) {
    struct Case {
        const char* text;
        const char* warnings;
    } const cases[] = {
        {"int x(void) {\r\n\tSleep(30\r\n\tWsleep();\r\n}",
         "p.c:2:7: warning: a '(' is still open at the end of the line: the next line is "
         "compiled as part of this one\nquillon: p.c: 1 warning treated as error (--Werror)\n"},
        // Only the first line end of a joined line is named; a "(" in a
        // comment, or one closed before a second one opens, counts as none.
        {"\tSave((1), (2, // (\r\n\r\n\t\r\n\t);\r\n\tSleep(30); // (\r\n",
         "p.c:1:12: warning: a '(' is still open at the end of the line: the next line is "
         "compiled as part of this one\nquillon: p.c: 1 warning treated as error (--Werror)\n"},
        {"\tSleep(30);\r\n\r\n\tWsleep();\r\n", ""},
        // A line end of LF alone among CR LF ones joins the lines too, even
        // in a comment, which then runs on over the next line.
        {"int x(void) {\r\n\tSleep(30); // wait\n\tWsleep();\r\n}",
         "p.c:2:20: warning: the line ends in LF alone, which ends no line: the next line is "
         "compiled as part of this one (end it in CR LF)\n"
         "quillon: p.c: 1 warning treated as error (--Werror)\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteFile(dir / "p.c", c.text);
        const RunResult r =
            RunQuillon({"compile", "--Werror", "p.c"}, RunOptions{"", dir.path().string()});
        EXPECT_EQ(r.err, c.warnings) << c.text;
        EXPECT_EQ(r.status, *c.warnings ? 1 : 0) << c.text;
        EXPECT_EQ(ReadFile(dir / "p.scd"), CompileSilently(c.text)) << c.text;
    }
}

TEST(CliDiagnostics, CommentsAndBlanksAfterTheLastLineAreNoText) {
    TempDir dir;
    WriteFile(dir / "c.c", "int x(void) {\r\n\tSleep(30);\r\n}\r\n// the end  \r\n  /* note */");
    const RunResult r = RunQuillon({"compile", "c.c"}, RunOptions{"", dir.path().string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
}

TEST(CliDiagnostics, StandardInputIsNamedInWarnings) {
    const RunResult r = RunQuillon({"compile", "-"}, RunOptions{"Slep(30);\r\n", ""});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "<stdin>:1:1: warning: unknown instruction 'Slep': the line produces no "
                     "bytes; did you mean 'Sleep'?\n");
    EXPECT_EQ(r.out, "");
}

} // namespace
