// The file drivers: writing beside the input, paths, whole files read, and
// the failures they report.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "codec/classic/engine.h"
#include "io/drivers.h"
#include "io/file_bytes.h"
#include "testkit/codec_support.h"

using namespace quillon;
using namespace codec_test;

namespace {

class CodecFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/quillon-codec-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        messages_.Clear();
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    void Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    std::string Get(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(Path(name)); }

    std::string dir_;
    MessageCapture messages_;
};

TEST_F(CodecFiles, DisassembleWritesBesideTheInput) {
    Put("room100.SCD", "");
    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(DisassembleFile(ctx, Path("room100.SCD")), 0);
    EXPECT_EQ(Get("room100.c"), "int room100(void) {\r\n\r\n}");
    Put("room101.scd", H("01 05"));
    EXPECT_EQ(DisassembleFile(ctx, Path("room101.scd")), 0);
    EXPECT_EQ(Get("room101.c"), "int room101(void) {\r\n\r\n\treturn 5;\r\n}");
    EXPECT_TRUE(messages_.shown().empty());
}

TEST_F(CodecFiles, CompileWritesBesideTheSourceReplacingAnOldFile) {
    Put("room100.c", "int room100(void) {\r\n\r\n\tSave(1,\r\n20);\r\n}");
    Put("room100.scd", std::string(100, 'x'));
    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(CompileFile(ctx, Path("room100.c")), 0);
    EXPECT_EQ(Hex(Get("room100.scd")), "24 01 14 00");
}

TEST_F(CodecFiles, BackslashPathsWork) {
    Put("room.scd", H("02"));
    ScriptContext ctx(RetailDialect());
    std::string path = Path("room.scd");
    for (char& c : path)
        if (c == '/') c = '\\';
    EXPECT_EQ(DisassembleFile(ctx, path), 0);
    EXPECT_EQ(Get("room.c"), "int room(void) {\r\n\r\n\tEvt_next();\r\n}");
}

TEST_F(CodecFiles, MissingInputFailsWithTheDriversMessage) {
    ScriptContext ctx(RetailDialect());
    DriverFailure failure;
    EXPECT_EQ(DisassembleFile(ctx, Path("none.scd"), &failure), 1);
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].caption, "Quillon");
    EXPECT_EQ(messages_.shown()[0].text, "Disassemble() Fail!");
    EXPECT_NE(failure.reason.find("none.scd"), std::string::npos);
    EXPECT_FALSE(Exists("none.c"));
    messages_.Clear();
    EXPECT_EQ(CompileFile(ctx, Path("none.c"), &failure), 1);
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].text, "Compile() Fail!");
    EXPECT_FALSE(Exists("none.scd"));
}

// Whole files read for the disassembler: small ones, and large ones in huge
// pages, around the page's size; reading again replaces what was held.
TEST_F(CodecFiles, FileBytesHoldTheWholeFile) {
    FileBytes bytes;
    std::string reason;
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, std::size_t{70000}, (std::size_t{2} << 20) - 1,
          std::size_t{2} << 20, (std::size_t{5} << 20) + 3, std::size_t{3}}) {
        std::string file(size, '\0');
        for (std::size_t i = 0; i < size; ++i) file[i] = static_cast<char>(i * 7 + i / 4099);
        Put("in.scd", file);
        ASSERT_TRUE(bytes.Read(Path("in.scd"), reason)) << size << ": " << reason;
        EXPECT_TRUE(bytes.View() == file) << size;
    }
    // A file whose size is not known ahead (0 to stat) is read to its end.
    std::string whole;
    if (ReadWholeFile("/proc/version", whole, reason) && !whole.empty()) {
        ASSERT_TRUE(bytes.Read("/proc/version", reason)) << reason;
        EXPECT_TRUE(bytes.View() == whole);
    }
    EXPECT_FALSE(bytes.Read(Path("none.scd"), reason));
    EXPECT_EQ(reason, "cannot open '" + Path("none.scd") + "': No such file or directory");
    EXPECT_TRUE(bytes.View().empty());
}

TEST_F(CodecFiles, UnwritableOutputFails) {
    Put("room.scd", H("02"));
    std::filesystem::create_directory(Path("room.c")); // the output cannot be opened
    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(DisassembleFile(ctx, Path("room.scd")), 1);
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].text, "Disassemble() Fail!");
}

TEST_F(CodecFiles, OutputEqualToInputIsRefused) {
    const std::string source = "Evt_next();\r\n";
    Put("room.scd", source);
    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(CompileFile(ctx, Path("room.scd")), 1);
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].text, "Compile() Fail!");
    EXPECT_EQ(Get("room.scd"), source);

    messages_.Clear();
    const std::string bytes = H("01 05");
    Put("room.c", bytes);
    EXPECT_EQ(DisassembleFile(ctx, Path("room.c")), 1);
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].text, "Disassemble() Fail!");
    EXPECT_EQ(Get("room.c"), bytes);
}

TEST_F(CodecFiles, NameWithoutDotKeepsItsWholeNameAsTitle) {
    Put("room", H("02"));
    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(DisassembleFile(ctx, Path("room")), 0);
    EXPECT_EQ(Get("room.c"), "int room(void) {\r\n\r\n\tEvt_next();\r\n}");
    EXPECT_FALSE(Exists(".c"));
}

TEST_F(CodecFiles, PathWithoutFolderWritesInTheCurrentFolder) {
    Put("room.scd", H("02"));
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    ScriptContext ctx(RetailDialect());
    const int result = DisassembleFile(ctx, "room.scd");
    std::filesystem::current_path(previous);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Get("room.c"), "int room(void) {\r\n\r\n\tEvt_next();\r\n}");
}

TEST_F(CodecFiles, ShellEntryPointsUseTheirDialectsRecord) {
    Put("a.c", "Sce_fade_set(1, 2, 3, 4, 5);\r\n");
    EXPECT_EQ(Compile(Path("a.c").c_str()), 0);
    EXPECT_EQ(Hex(Get("a.scd")), "53 01 02 03 04 05");
    EXPECT_EQ(prototype::Compile(Path("a.c").c_str()), 0);
    EXPECT_EQ(Hex(Get("a.scd")), "55 01 02 03 04 05");
    Put("b.scd", H("04 02 05 00"));
    EXPECT_EQ(Disassemble(Path("b.scd").c_str()), 0);
    EXPECT_EQ(Get("b.c"), "int b(void) {\r\n\r\n\tEvt_exec(2, 0x05);\r\n}");
    EXPECT_EQ(prototype::Disassemble(Path("b.scd").c_str()), 0);
    EXPECT_EQ(Get("b.c"), "int b(void) {\r\n\r\n\tEvt_exec(2, 0x0005);\r\n}");
    EXPECT_EQ(Disassemble(Path("missing.scd").c_str()), 1);
    EXPECT_EQ(prototype::Compile(Path("missing.c").c_str()), 1);
    EXPECT_EQ(&ContextOf(RetailDialect()), &RetailContext());
    EXPECT_EQ(&ContextOf(PrototypeDialect()), &PrototypeContext());
    EXPECT_EQ(RetailContext().dialect, &RetailDialect());
    EXPECT_EQ(PrototypeContext().dialect, &PrototypeDialect());
}

} // namespace
