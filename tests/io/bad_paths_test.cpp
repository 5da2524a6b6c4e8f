// Bad paths for the file drivers and the command-line tool: names without a
// dot, without a folder, with several dots; an input that cannot be read; an
// output that cannot be written; an output path equal to the input path; a
// bytecode file given as source and the reverse. Every case leaves the input
// file as it was, and every failure says which file and why.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "codec/base/text.h"
#include "io/drivers.h"
#include "testkit/cli_support.h"

using namespace quillon;
using namespace quillon_test;

namespace {

std::vector<std::string> g_messages;
void Capture(const char* caption, const char* text) {
    g_messages.push_back(std::string(caption) + ": " + text);
}

// Captures the drivers' messages for the length of a test.
class BadPath : public testing::Test {
  protected:
    void SetUp() override {
        g_messages.clear();
        previous_ = SetMessageSink(Capture);
    }
    void TearDown() override { SetMessageSink(previous_); }

    MessageSink previous_ = nullptr;
    TempDir dir_;
};

// A file's bytes and modification time, to show that it was not touched.
struct Snapshot {
    std::string bytes;
    fs::file_time_type time;
    explicit Snapshot(const fs::path& p) : bytes(ReadFile(p)), time(fs::last_write_time(p)) {}
    bool operator==(const Snapshot& o) const { return bytes == o.bytes && time == o.time; }
};

const std::string kBytecode("\x09\x0A\x1E\x00\x0B", 5);
const std::string kSource = "int room(void) {\r\n\r\n\tSleep(30);\r\n\tWsleep();\r\n}";

std::string Text(const std::string& title) {
    return "int " + title + "(void) {\r\n\r\n\tSleep(30);\r\n\tWsleep();\r\n}";
}

bool IsRoot() {
    return geteuid() == 0;
}

} // namespace

// A file name without a dot has no extension to replace: the output is the
// whole name with the new extension, beside it.
TEST_F(BadPath, NameWithoutDot) {
    WriteFile(dir_ / "room100", kBytecode);
    ScriptContext ctx(RetailDialect());
    ASSERT_EQ(DisassembleFile(ctx, dir_.str("room100")), 0);
    EXPECT_EQ(ReadFile(dir_ / "room100.c"), Text("room100"));
    WriteFile(dir_ / "script", kSource);
    ASSERT_EQ(CompileFile(ctx, dir_.str("script")), 0);
    EXPECT_EQ(ReadFile(dir_ / "script.scd"), kBytecode);
    EXPECT_TRUE(g_messages.empty());
}

// A file name without a folder is taken in the working folder and its
// output written there.
TEST_F(BadPath, NameWithoutFolder) {
    WriteFile(dir_ / "room100.scd", kBytecode);
    const fs::path before = fs::current_path();
    fs::current_path(dir_.path());
    ScriptContext ctx(RetailDialect());
    const int result = DisassembleFile(ctx, "room100.scd");
    fs::current_path(before);
    ASSERT_EQ(result, 0);
    EXPECT_EQ(ReadFile(dir_ / "room100.c"), Text("room100"));
}

// Several dots: only the last one starts the extension. A dot in a folder
// name is no extension at all.
TEST_F(BadPath, NameWithSeveralDots) {
    ScriptContext ctx(RetailDialect());
    WriteFile(dir_ / "room.100.v2.scd", kBytecode);
    ASSERT_EQ(DisassembleFile(ctx, dir_.str("room.100.v2.scd")), 0);
    EXPECT_EQ(ReadFile(dir_ / "room.100.v2.c"), Text("room.100.v2"));
    WriteFile(dir_ / "scripts.v1" / "room", kBytecode);
    ASSERT_EQ(DisassembleFile(ctx, dir_.str("scripts.v1/room")), 0);
    EXPECT_EQ(ReadFile(dir_ / "scripts.v1" / "room.c"), Text("room"));
    // A name that is only an extension has an empty title.
    WriteFile(dir_ / ".scd", kBytecode);
    ASSERT_EQ(DisassembleFile(ctx, dir_.str(".scd")), 0);
    EXPECT_EQ(ReadFile(dir_ / ".c"), Text(""));
}

// An input that cannot be read: missing, a folder, or (for a user other than
// root) without read permission. The driver reports its failure, names the
// reason, and writes nothing.
TEST_F(BadPath, UnreadableInput) {
    ScriptContext ctx(RetailDialect());
    DriverFailure failure;
    EXPECT_EQ(DisassembleFile(ctx, dir_.str("missing.scd"), &failure), 1);
    EXPECT_NE(failure.reason.find("cannot open"), std::string::npos) << failure.reason;
    EXPECT_NE(failure.reason.find("missing.scd"), std::string::npos) << failure.reason;
    EXPECT_FALSE(fs::exists(dir_ / "missing.c"));

    fs::create_directory(dir_ / "folder.scd");
    EXPECT_EQ(DisassembleFile(ctx, dir_.str("folder.scd"), &failure), 1);
    EXPECT_NE(failure.reason.find("folder.scd"), std::string::npos) << failure.reason;
    EXPECT_FALSE(fs::exists(dir_ / "folder.c"));
    fs::create_directory(dir_ / "sources.c");
    EXPECT_EQ(CompileFile(ctx, dir_.str("sources.c"), &failure), 1);
    EXPECT_NE(failure.reason.find("sources.c"), std::string::npos) << failure.reason;
    EXPECT_FALSE(fs::exists(dir_ / "sources.scd"));
    EXPECT_EQ(g_messages, (std::vector<std::string>{"Quillon: Disassemble() Fail!",
                                                    "Quillon: Disassemble() Fail!",
                                                    "Quillon: Compile() Fail!"}));

    // An empty path, and paths that name folders.
    for (const std::string& path :
         {std::string(), std::string("/"), dir_.str("") + "/", dir_.str(".")}) {
        failure = DriverFailure();
        EXPECT_EQ(DisassembleFile(ctx, path, &failure), 1) << path;
        EXPECT_FALSE(failure.reason.empty()) << path;
    }
    EXPECT_FALSE(fs::exists(dir_ / ".c"));
    EXPECT_EQ(g_messages.size(), 3u + 4u);

    // Without read permission. Root reads the file all the same (the folder
    // above stands in for it then); anyone else is refused.
    WriteFile(dir_ / "locked.scd", kBytecode);
    fs::permissions(dir_ / "locked.scd", fs::perms::none);
    const int result = DisassembleFile(ctx, dir_.str("locked.scd"), &failure);
    if (IsRoot()) {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(ReadFile(dir_ / "locked.c"), Text("locked"));
    } else {
        EXPECT_EQ(result, 1);
        EXPECT_NE(failure.reason.find("Permission denied"), std::string::npos) << failure.reason;
        EXPECT_FALSE(fs::exists(dir_ / "locked.c"));
    }
    fs::permissions(dir_ / "locked.scd", fs::perms::owner_all);
}

// An output that cannot be written: beside an input in a folder that takes
// no new file (even from root), where a folder has the output's name, or in
// a folder without write permission (for a user other than root). The
// input stays as it was.
TEST_F(BadPath, OutputCannotBeWritten) {
    ScriptContext ctx(RetailDialect());
    DriverFailure failure;
    // /proc is readable and takes no new file.
    ASSERT_TRUE(fs::exists("/proc/version"));
    EXPECT_EQ(DisassembleFile(ctx, "/proc/version", &failure), 1);
    EXPECT_NE(failure.reason.find("cannot write '/proc/version.c'"), std::string::npos)
        << failure.reason;

    WriteFile(dir_ / "room.scd", kBytecode);
    fs::create_directory(dir_ / "room.c");
    const Snapshot input(dir_ / "room.scd");
    EXPECT_EQ(DisassembleFile(ctx, dir_.str("room.scd"), &failure), 1);
    EXPECT_NE(failure.reason.find("cannot write"), std::string::npos) << failure.reason;
    EXPECT_NE(failure.reason.find("room.c"), std::string::npos) << failure.reason;
    EXPECT_TRUE(Snapshot(dir_ / "room.scd") == input);
    EXPECT_TRUE(fs::is_directory(dir_ / "room.c"));
    EXPECT_EQ(g_messages.size(), 2u);

    WriteFile(dir_ / "shut" / "room.scd", kBytecode);
    fs::permissions(dir_ / "shut", fs::perms::owner_read | fs::perms::owner_exec);
    const int result = DisassembleFile(ctx, dir_.str("shut/room.scd"), &failure);
    fs::permissions(dir_ / "shut", fs::perms::owner_all);
    if (IsRoot()) {
        EXPECT_EQ(result, 0); // root writes into the folder all the same
    } else {
        EXPECT_EQ(result, 1);
        EXPECT_NE(failure.reason.find("Permission denied"), std::string::npos) << failure.reason;
    }
    EXPECT_EQ(ReadFile(dir_ / "shut" / "room.scd"), kBytecode);
}

// An output path equal to the input path (a source named .c given to the
// disassembler, a bytecode file named .scd given to the compiler, or an
// output name that is a link to the input) is refused: writing the output
// would destroy the input.
TEST_F(BadPath, OutputPathEqualToInputPath) {
    ScriptContext ctx(RetailDialect());
    DriverFailure failure;
    WriteFile(dir_ / "room.c", kSource);
    const Snapshot source(dir_ / "room.c");
    EXPECT_EQ(DisassembleFile(ctx, dir_.str("room.c"), &failure), 1);
    EXPECT_NE(failure.reason.find("would be overwritten by its own output"), std::string::npos)
        << failure.reason;
    EXPECT_TRUE(Snapshot(dir_ / "room.c") == source);

    WriteFile(dir_ / "room.scd", kBytecode);
    const Snapshot bytecode(dir_ / "room.scd");
    EXPECT_EQ(CompileFile(ctx, dir_.str("room.scd"), &failure), 1);
    EXPECT_TRUE(Snapshot(dir_ / "room.scd") == bytecode);

    // room2.c is a symbolic link to room2.scd, room3.c a hard link to room3.scd.
    WriteFile(dir_ / "room2.scd", kBytecode);
    fs::create_symlink(dir_ / "room2.scd", dir_ / "room2.c");
    EXPECT_EQ(DisassembleFile(ctx, dir_.str("room2.scd"), &failure), 1);
    EXPECT_EQ(ReadFile(dir_ / "room2.scd"), kBytecode);
    WriteFile(dir_ / "room3.scd", kBytecode);
    fs::create_hard_link(dir_ / "room3.scd", dir_ / "room3.c");
    EXPECT_EQ(DisassembleFile(ctx, dir_.str("room3.scd"), &failure), 1);
    EXPECT_EQ(ReadFile(dir_ / "room3.scd"), kBytecode);
    EXPECT_EQ(g_messages.size(), 4u);
}

// A bytecode file given to the compiler and a source given to the
// disassembler under other extensions: each is converted as what it is
// taken for, without a crash, and left as it was.
TEST_F(BadPath, WrongKindOfFile) {
    ScriptContext ctx(RetailDialect());
    const std::string bytecode = Example("room100.scd");
    WriteFile(dir_ / "room100.bin", bytecode);
    const Snapshot bin(dir_ / "room100.bin");
    EXPECT_EQ(CompileFile(ctx, dir_.str("room100.bin")), 0);
    EXPECT_TRUE(fs::exists(dir_ / "room100.scd"));
    EXPECT_TRUE(Snapshot(dir_ / "room100.bin") == bin);

    const std::string source = Example("room100.c");
    WriteFile(dir_ / "room100.txt", source);
    const Snapshot txt(dir_ / "room100.txt");
    EXPECT_EQ(DisassembleFile(ctx, dir_.str("room100.txt")), 0);
    const std::string text = ReadFile(dir_ / "room100.c");
    EXPECT_EQ(text.substr(0, 22), "int room100(void) {\r\n\r");
    EXPECT_EQ(text.back(), '}');
    EXPECT_TRUE(Snapshot(dir_ / "room100.txt") == txt);
}

// The command-line tool reports the same failures with the file and the
// reason, exits with 1, and leaves the input as it was.
TEST_F(BadPath, CommandLineMessages) {
    WriteFile(dir_ / "room.c", kSource);
    const Snapshot source(dir_ / "room.c");
    RunResult r = RunQuillon({"disassemble", dir_.str("room.c")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("would be overwritten by its own output"), std::string::npos) << r.err;
    EXPECT_TRUE(Snapshot(dir_ / "room.c") == source);

    r = RunQuillon({"compile", dir_.str("missing.c")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot open"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("missing.c"), std::string::npos) << r.err;

    // An output named under a regular file: no folder can be made there.
    WriteFile(dir_ / "room.scd", kBytecode);
    WriteFile(dir_ / "plain", "x");
    r = RunQuillon({"disassemble", "-o", dir_.str("plain/room.c"), dir_.str("room.scd")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(dir_ / "room.scd"), kBytecode);

    r = RunQuillon({"disassemble", "/proc/version"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("/proc/version.c"), std::string::npos) << r.err;
}
