// The compiler tells a listener where it lays out each instruction: the
// same lines, columns and offsets as the printer's for a printed text, and
// the blocks open around it.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "codec/exact/exact.h"
#include "codec/exact/listener.h"
#include "testkit/cli_support.h"

namespace {

using namespace quillon::exact;

struct Events : Listener {
    std::map<std::int64_t, InstructionEvent> at;
    void Instruction(const InstructionEvent& i) override { at[i.at] = i; }
};

struct Prints : PrintListener {
    std::vector<PrintedInstruction> all; // their bytes live only for the call: the opcode kept
    std::vector<std::uint8_t> opcodes;
    void Printed(const PrintedInstruction& i) override {
        all.push_back(i);
        opcodes.push_back(i.bytes[0]);
    }
};

TEST(InstructionEvents, StandWhereThePrinterPrintsThem) {
    const std::string text = quillon_test::Example("exact_room.c");
    std::string chunk, printedText, reason;
    Events events;
    CompileOptions options;
    options.listener = &events;
    ASSERT_TRUE(CompileChunk(text, chunk, {}, options));
    Prints printed;
    PrintOptions print;
    print.listener = &printed;
    ASSERT_TRUE(DisassembleChunk(chunk, printedText, reason, print));
    ASSERT_EQ(printedText, text);
    ASSERT_FALSE(printed.all.empty());
    for (std::size_t k = 0; k < printed.all.size(); ++k) {
        const PrintedInstruction& p = printed.all[k];
        SCOPED_TRACE(p.at);
        const auto it = events.at.find(p.at);
        ASSERT_NE(it, events.at.end());
        const InstructionEvent& e = it->second;
        EXPECT_EQ(e.opcode, printed.opcodes[k]);
        EXPECT_EQ(e.size, p.size);
        EXPECT_EQ(e.procedure, p.procedure);
        EXPECT_EQ(e.span.line, p.line);
        EXPECT_EQ(e.span.column, p.column);
        EXPECT_EQ(e.condition, p.condition);
    }
}

TEST(InstructionEvents, DepthCountsEveryOpenBlockAndACaseInItsSwitch) {
    const char text[] = "// quillon exact\n"
                        "int Sub00(void) {\n"
                        "\tif(Ck(FG_STATUS, 24, 0)) {\n"
                        "\t\tSet(FG_STATUS, 24, 1);\n"
                        "\t} else {\n"
                        "\t\tswitch(V_05) {\n"
                        "\t\tcase 0:\n"
                        "\t\t\tSce_rnd();\n"
                        "\t\t}\n"
                        "\t}\n"
                        "\tdo {\n"
                        "\t\tEvt_next();\n"
                        "\t} while(Cmp(V_07 < 20, 0));\n"
                        "}\n";
    std::string chunk;
    Events events;
    CompileOptions options;
    options.listener = &events;
    ASSERT_TRUE(CompileChunk(text, chunk, {}, options));
    // line, column, name's length, depth, condition
    const int kExpected[][5] = {
        {3, 2, 2, 0, 0}, {3, 5, 2, 0, 1}, {4, 3, 3, 1, 0},  {5, 4, 4, 0, 0},  {6, 3, 6, 1, 0},
        {7, 3, 4, 2, 0}, {8, 4, 7, 3, 0}, {11, 2, 2, 0, 0}, {12, 3, 8, 1, 0}, {13, 10, 3, 0, 1},
    };
    std::vector<InstructionEvent> seen;
    for (const auto& [at, e] : events.at)
        if (e.span.line != 9 && e.span.line != 10) seen.push_back(e); // the closers
    ASSERT_EQ(seen.size(), std::size(kExpected));
    for (std::size_t k = 0; k < seen.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(seen[k].span.line, kExpected[k][0]);
        EXPECT_EQ(seen[k].span.column, kExpected[k][1]);
        EXPECT_EQ(seen[k].span.length, kExpected[k][2]);
        EXPECT_EQ(seen[k].depth, kExpected[k][3]);
        EXPECT_EQ(seen[k].condition, kExpected[k][4] != 0);
    }
}

} // namespace
