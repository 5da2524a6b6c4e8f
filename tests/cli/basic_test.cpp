// End-to-end tests of the command-line tool: converting files beside
// themselves as the Windows program's drivers do, exit status, failure
// messages, --help and --version.
#include <gtest/gtest.h>

#include "codec/classic/engine.h"
#include "io/drivers.h"
#include "testkit/cli_support.h"

using namespace quillon_test;

namespace {

TEST(CliBasic, EmptyRoomGivesHeaderBlankLineAndBrace) {
    TempDir dir;
    WriteFile(dir / "room100.scd", "");
    const RunResult r = RunQuillon({"disassemble", dir.str("room100.scd")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadFile(dir / "room100.c"), "int room100(void) {\r\n\r\n}");
}

TEST(CliBasic, ReturnFiveGetsOneTab) {
    TempDir dir;
    WriteFile(dir / "r.scd", std::string("\x01\x05", 2));
    const RunResult r = RunQuillon({"disassemble", dir.str("r.scd")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(ReadFile(dir / "r.c"), "int r(void) {\r\n\r\n\treturn 5;\r\n}");
}

TEST(CliBasic, NoIndentWritesNoTabs) {
    TempDir dir;
    // if(Ck(1, 2, 3)) { Evt_next(); }
    WriteFile(dir / "r.scd", std::string("\x06\x00\x00\x00\x21\x01\x02\x03\x02\x08\x00", 11));
    ASSERT_EQ(RunQuillon({"disassemble", "--no-indent", dir.str("r.scd")}).status, 0);
    EXPECT_EQ(ReadFile(dir / "r.c"),
              "int r(void) {\r\n\r\nif(Ck(1, 2, 3)) {\r\nEvt_next();\r\n}\r\n}");
    ASSERT_EQ(RunQuillon({"disassemble", dir.str("r.scd")}).status, 0);
    EXPECT_EQ(ReadFile(dir / "r.c"),
              "int r(void) {\r\n\r\n\tif(Ck(1, 2, 3)) {\r\n\t\tEvt_next();\r\n\t}\r\n}");
}

TEST(CliBasic, MissingInputFailsWithTheDriversMessage) {
    TempDir dir;
    const std::string missing = dir.str("x.scd");
    const RunResult r = RunQuillon({"disassemble", missing});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Quillon: Disassemble() Fail!\nquillon: cannot open '" + missing +
                         "': No such file or directory\n");
    EXPECT_FALSE(fs::exists(dir / "x.c"));
}

TEST(CliBasic, MissingSourceFailsWithTheCompilersMessage) {
    TempDir dir;
    const std::string missing = dir.str("x.c");
    const RunResult r = RunQuillon({"compile", missing});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Quillon: Compile() Fail!\nquillon: cannot open '" + missing +
                         "': No such file or directory\n");
    EXPECT_FALSE(fs::exists(dir / "x.scd"));
}

TEST(CliBasic, OneFailureAmongSeveralFilesStillConvertsTheOthers) {
    TempDir dir;
    WriteFile(dir / "a.scd", std::string("\x01\x05", 2));
    WriteFile(dir / "c.scd", std::string("\x02", 1));
    const RunResult r =
        RunQuillon({"disassemble", dir.str("a.scd"), dir.str("b.scd"), dir.str("c.scd")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("quillon: cannot open '" + dir.str("b.scd") + "'"), std::string::npos);
    EXPECT_NE(r.err.find("2 converted, 1 failed\n"), std::string::npos);
    EXPECT_EQ(ReadFile(dir / "a.c"), "int a(void) {\r\n\r\n\treturn 5;\r\n}");
    EXPECT_EQ(ReadFile(dir / "c.c"), "int c(void) {\r\n\r\n\tEvt_next();\r\n}");
}

TEST(CliBasic, OutputThatWouldOverwriteItsInputIsRefused) {
    TempDir dir;
    // Disassembling a file named room.c would write room.c.
    const std::string bytes("\x01\x05", 2);
    WriteFile(dir / "room.c", bytes);
    const RunResult r = RunQuillon({"disassemble", dir.str("room.c")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("Quillon: Disassemble() Fail!\nquillon: ", 0), 0u) << r.err;
    EXPECT_EQ(ReadFile(dir / "room.c"), bytes);
}

TEST(CliBasic, CompileWritesTheScriptBesideTheSource) {
    TempDir dir;
    WriteFile(dir / "room100.c", Example("room100.c"));
    const RunResult r = RunQuillon({"compile", dir.str("room100.c")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadFile(dir / "room100.scd"), Example("room100.scd"));
}

TEST(CliBasic, UpperCaseExtensionAndNoExtension) {
    TempDir dir;
    WriteFile(dir / "ROOM.SCD", std::string("\x01\x05", 2));
    WriteFile(dir / "plain", std::string("\x02", 1));
    ASSERT_EQ(RunQuillon({"disassemble", dir.str("ROOM.SCD"), dir.str("plain")}).status, 0);
    EXPECT_EQ(ReadFile(dir / "ROOM.c"), "int ROOM(void) {\r\n\r\n\treturn 5;\r\n}");
    EXPECT_EQ(ReadFile(dir / "plain.c"), "int plain(void) {\r\n\r\n\tEvt_next();\r\n}");
}

// The tool writes what the Windows program's driver writes, file by file.
struct DriverCase {
    const char* example;
    const char* dialect;
};

class CliSameAsDriver : public ::testing::TestWithParam<DriverCase> {};

TEST_P(CliSameAsDriver, DisassemblyAndCompileMatchTheDriver) {
    const DriverCase c = GetParam();
    const quillon::Dialect& dialect = std::string(c.dialect) == "prototype"
                                          ? quillon::PrototypeDialect()
                                          : quillon::RetailDialect();
    TempDir cli, driver;
    const std::string scd = std::string(c.example) + ".scd";
    WriteFile(cli / scd, Example(scd));
    WriteFile(driver / scd, Example(scd));
    const RunResult r = RunQuillon({"disassemble", "--dialect", c.dialect, cli.str(scd)});
    ASSERT_EQ(r.status, 0) << r.err;
    quillon::ScriptContext fresh(dialect);
    ASSERT_EQ(quillon::DisassembleFile(fresh, driver.str(scd)), 0);
    const std::string text = ReadFile(driver / (std::string(c.example) + ".c"));
    EXPECT_EQ(ReadFile(cli / (std::string(c.example) + ".c")), text);

    // And back, from the bundled source text.
    const std::string src = std::string(c.example) + ".c";
    WriteFile(cli / src, Example(src));
    WriteFile(driver / src, Example(src));
    const RunResult back = RunQuillon({"compile", "--dialect", c.dialect, "-q", cli.str(src)});
    ASSERT_EQ(back.status, 0) << back.err;
    quillon::ScriptContext fresh2(dialect);
    ASSERT_EQ(quillon::CompileFile(fresh2, driver.str(src)), 0);
    EXPECT_EQ(ReadFile(cli / scd), ReadFile(driver / scd));
}

INSTANTIATE_TEST_SUITE_P(Examples, CliSameAsDriver,
                         ::testing::Values(DriverCase{"room100", "retail"},
                                           DriverCase{"retail_all", "retail"},
                                           DriverCase{"proto_room", "prototype"}));

TEST(CliBasic, PrototypeDialectUsesItsOwnForms) {
    TempDir dir;
    // Evt_exec(7, 5): four hex digits in the prototype dialect, two in retail.
    WriteFile(dir / "e.scd", std::string("\x04\x07\x05\x00", 4));
    ASSERT_EQ(RunQuillon({"disassemble", "--dialect", "prototype", dir.str("e.scd")}).status, 0);
    EXPECT_EQ(ReadFile(dir / "e.c"), "int e(void) {\r\n\r\n\tEvt_exec(7, 0x0005);\r\n}");
    ASSERT_EQ(RunQuillon({"disassemble", "--dialect=retail", dir.str("e.scd")}).status, 0);
    EXPECT_EQ(ReadFile(dir / "e.c"), "int e(void) {\r\n\r\n\tEvt_exec(7, 0x05);\r\n}");
}

TEST(CliBasic, OneRecordPerDialectAcrossTheFilesOfOneRun) {
    // goto keeps offsets 1 to 3 of the instruction buffer: after Evt_chain(1,
    // 2, 3) in an earlier file of the same run they hold 01 02 03; in a run
    // of its own the buffer starts all zero.
    TempDir dir;
    WriteFile(dir / "a.c", "Evt_chain(1, 2, 3);\r\n");
    WriteFile(dir / "b.c", "goto(0x10);\r\n");
    ASSERT_EQ(RunQuillon({"compile", dir.str("a.c"), dir.str("b.c")}).status, 0);
    EXPECT_EQ(ReadFile(dir / "b.scd"), std::string("\x17\x01\x02\x03\x10\x00", 6));
    ASSERT_EQ(RunQuillon({"compile", dir.str("b.c")}).status, 0);
    EXPECT_EQ(ReadFile(dir / "b.scd"), std::string("\x17\x00\x00\x00\x10\x00", 6));
    // The prototype record is another one.
    ASSERT_EQ(RunQuillon({"compile", dir.str("a.c")}).status, 0);
    ASSERT_EQ(RunQuillon({"compile", "--dialect", "prototype", dir.str("b.c")}).status, 0);
    EXPECT_EQ(ReadFile(dir / "b.scd"), std::string("\x17\x00\x00\x00\x10\x00", 6));
}

TEST(CliBasic, VersionAndHelp) {
    const RunResult v = RunQuillon({"--version"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, "quillon 1.9.1.0\n");
    const RunResult h = RunQuillon({"--help"});
    EXPECT_EQ(h.status, 0);
    for (const char* word :
         {"disassemble", "compile", "verify", "opcodes", "exit status", "examples:\n  quillon "})
        EXPECT_NE(h.out.find(word), std::string::npos) << word;
    // The help of help is the program's.
    for (const char* option : {"--help", "-h"}) {
        const RunResult again = RunQuillon({"help", option});
        EXPECT_EQ(again.status, 0) << option;
        EXPECT_EQ(again.out, h.out) << option;
    }
}

TEST(CliBasic, EveryCommandHasHelpWithExamples) {
    for (const char* command : {"disassemble", "compile", "verify", "opcodes"}) {
        const RunResult h = RunQuillon({command, "--help"});
        EXPECT_EQ(h.status, 0) << command;
        EXPECT_EQ(h.out.rfind(std::string("usage: quillon ") + command, 0), 0u) << h.out;
        EXPECT_NE(h.out.find("examples:\n  quillon " + std::string(command)), std::string::npos)
            << command;
        EXPECT_EQ(RunQuillon({"help", command}).out, h.out) << command;
        EXPECT_EQ(RunQuillon({command, "-h"}).out, h.out) << command;
    }
}

struct UsageCase {
    std::vector<std::string> args;
    const char* message;
};

TEST(CliBasic, UsageErrorsExitWithTwo) {
    const UsageCase cases[] = {
        {{}, "no command given"},
        {{"convert", "x.scd"}, "unknown command 'convert'"},
        {{"--frobnicate"}, "unknown option '--frobnicate'"},
        {{"disassemble"}, "'disassemble' needs at least one FILE"},
        {{"disassemble", "--dialect", "beta", "x.scd"}, "unknown dialect 'beta'"},
        {{"disassemble", "--dialect"}, "the option '--dialect' needs a value"},
        {{"disassemble", "-x", "a.scd"}, "unknown option '-x'"},
        {{"compile", "--no-indent", "a.c"}, "'compile' does not take the option '--no-indent'"},
        {{"disassemble", "--Werror", "a.scd"}, "does not take the option '--Werror'"},
        {{"disassemble", "-o", "x.c", "a.scd", "b.scd"}, "'-o' takes exactly one input file"},
        {{"disassemble", "-o", "x.c", "--stdout", "a.scd"}, "cannot be combined"},
        {{"compile", "-", "-"}, "standard input ('-') can be read only once"},
        {{"opcodes", "x.scd"}, "'opcodes' takes no file"},
        {{"verify", "--stdout", "x.scd"}, "'verify' does not take the option '--stdout'"},
        {{"help", "frob"}, "unknown command 'frob'"},
    };
    for (const UsageCase& c : cases) {
        const RunResult r = RunQuillon(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.err.rfind(std::string("quillon: ") + "", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("usage: quillon"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

TEST(CliBasic, OptionsMayFollowTheFilesAndDoubleDashEndsThem) {
    TempDir dir;
    WriteFile(dir / "-r.scd", std::string("\x01\x05", 2));
    const RunResult r = RunQuillon({"disassemble", "--", "-r.scd", "--no-indent"},
                                   RunOptions{"", dir.path().string(), false});
    // After "--" even "--no-indent" is a file name, and it does not exist.
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(ReadFile(dir / "-r.c"), "int -r(void) {\r\n\r\n\treturn 5;\r\n}");
    const RunResult r2 = RunQuillon({"disassemble", "./-r.scd", "--no-indent"},
                                    RunOptions{"", dir.path().string(), false});
    EXPECT_EQ(r2.status, 0);
    EXPECT_EQ(ReadFile(dir / "-r.c"), "int -r(void) {\r\n\r\nreturn 5;\r\n}");
}

} // namespace
