// The bundled examples stay in step with the codec: each source compiles to
// its bytecode and each bytecode disassembles to its source.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "codec/classic/engine.h"
#include "testkit/room_gen.h"

using namespace quillon;

namespace {

std::string Slurp(const std::string& name) {
    std::ifstream in(std::string(QUILLON_SOURCE_DIR) + "/examples/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Example {
    const char* title;
    const Dialect& (*dialect)();
    bool compilesBack; // the source uses only lines that compile to their bytes
};

class ExampleTest : public testing::TestWithParam<Example> {};

TEST_P(ExampleTest, BytecodeDisassemblesToTheSource) {
    const Example& e = GetParam();
    const std::string bytes = Slurp(std::string(e.title) + ".scd");
    const std::string text = Slurp(std::string(e.title) + ".c");
    ASSERT_FALSE(bytes.empty());
    ScriptContext ctx(e.dialect());
    EXPECT_EQ(DisassembleBuffer(ctx, bytes, e.title), text);
}

TEST_P(ExampleTest, SourceCompilesToTheBytecode) {
    const Example& e = GetParam();
    ScriptContext ctx(e.dialect());
    const std::string compiled = CompileBuffer(ctx, Slurp(std::string(e.title) + ".c"));
    if (e.compilesBack) {
        EXPECT_EQ(compiled, Slurp(std::string(e.title) + ".scd"));
    } else {
        // Switch labels are passed over by the compiler, so the bytes may
        // differ; compiling what the compiled bytes disassemble to is stable.
        ScriptContext again(e.dialect());
        const std::string text = DisassembleBuffer(again, compiled, e.title);
        EXPECT_EQ(CompileBuffer(again, text), compiled);
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleTest,
                         testing::Values(Example{"room100", RetailDialect, true},
                                         Example{"retail_all", RetailDialect, false},
                                         Example{"proto_room", PrototypeDialect, true}),
                         [](const auto& info) { return std::string(info.param.title); });

// Every named retail instruction appears in the reference example.
TEST(Examples, RetailReferenceUsesEveryNamedInstruction) {
    const std::string text = Slurp("retail_all.c");
    const Dialect& d = RetailDialect();
    for (int op = 0x00; op <= 0x88; ++op) {
        std::string name = d.Name(static_cast<std::uint8_t>(op));
        if (name == "Gosub") name = "goto Sub"; // Gosub's text form
        if (name == "UnknownOpcode" || name == "}" || name == "} else" || name == "} while")
            continue;
        EXPECT_NE(text.find(name), std::string::npos) << name;
    }
}

// The sample room is what the test kit builds around the exact example's
// chunk; QUILLON_WRITE_EXAMPLES=1 writes it again after a change of either.
TEST(Examples, SampleRoomIsWhatTheGeneratorBuilds) {
    const std::string room = quillon_test::SampleRoom(Slurp("exact_room.scd"));
    if (std::getenv("QUILLON_WRITE_EXAMPLES")) {
        std::ofstream(std::string(QUILLON_SOURCE_DIR) + "/examples/room100.rdt", std::ios::binary)
            << room;
    }
    EXPECT_EQ(Slurp("room100.rdt"), room);
}

} // namespace
