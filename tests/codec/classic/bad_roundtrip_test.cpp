// Disassemble, compile, disassemble: which lines come back as they were.
// The rule lives in fuzz/roundtrip.h, which the round-trip fuzzer uses; these
// tests run it in the unit suite on fixed and pseudo-random bytecode, show
// that every exclusion of the rule is needed, and hold the regressions that
// the fuzzer found.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "codec/classic/engine.h"
#include "io/drivers.h"
#include "testkit/roundtrip.h"

using namespace quillon;
using namespace quillon::fuzzing;

namespace {

std::string Bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s.push_back(static_cast<char>(b));
    return s;
}

struct Trip {
    std::string first, bytes, second;
};

Trip RoundTrip(ScriptContext& ctx, std::string_view bytecode, int indent) {
    Trip t;
    ctx.indent = indent;
    t.first = DisassembleBuffer(ctx, bytecode, "room");
    t.bytes = CompileBuffer(ctx, t.first);
    t.second = DisassembleBuffer(ctx, t.bytes, "room");
    return t;
}

const RoundTripRules& Rules(const Dialect& d) {
    static const RoundTripRules retail(RetailDialect());
    static const RoundTripRules prototype(PrototypeDialect());
    return &d == &PrototypeDialect() ? prototype : retail;
}

// A small deterministic generator, so that the suite sees the same inputs
// on every run.
struct Lcg {
    std::uint32_t state;
    std::uint8_t Next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::uint8_t>(state >> 24);
    }
};

} // namespace

// A do block closed by a Gosub or a 0x19 return as its condition: the
// condition line "goto Sub05();" compiled to a goto (0x17) with target 0, so
// the second disassembly read another instruction.
TEST(RoundTrip, DoWhileWithASubroutineConditionComesBack) {
    for (const std::string& bytes : {Bytes({0x11, 0, 0, 0, 0x12, 0x04, 0x18, 0x05}),
                                     Bytes({0x11, 0, 0, 0, 0x12, 0x04, 0x19, 0x02})}) {
        ScriptContext ctx(RetailDialect());
        const Trip t = RoundTrip(ctx, bytes, 1);
        EXPECT_EQ(t.bytes, bytes);
        EXPECT_EQ(t.second, t.first);
    }
    ScriptContext ctx(RetailDialect());
    EXPECT_EQ(DisassembleBuffer(ctx, Bytes({0x11, 0, 0, 0, 0x12, 0x04, 0x18, 0x05}), "r"),
              "int r(void) {\r\n\r\n\tdo {\r\n\t} while(goto Sub05(););\r\n}");
}

// Bytecode that already obeys the rule passes the normaliser unchanged.
TEST(RoundTrip, NormalizeKeepsBytecodeThatComesBack) {
    const std::string retail = Bytes({
        0x06, 0,    0,    0,    0x21, 1, 2, 3,        // if(Ck(1, 2, 3)) {
        0x02,                                         //   Evt_next();
        0x07, 0,    0,    0,                          // } else {
        0x0F, 0,    0,    0,    0x23, 0, 2, 3, 10, 0, //   while(Cmp(2 < 10)) {
        0x26, 0,    0,    2,    100,  0,              //     Calc(2 + 100)
        0x10, 0,                                      //   }
        0x11, 0,    0,    0,                          //   do {
        0x0D, 0,    0,    0,    5,    0,              //     for(n = 0; n < 5; n++) {
        0x0B,                                         //       Wsleep();
        0x0E, 0,                                      //     }
        0x12, 4,    0x21, 1,    0,    1,              //   } while(Ck(1, 0, 1));
        0x00, 0x00,                                   // }
        0x27, 0,    0x10, 0x07,                       // Calc2(0x10, 0x7);
        0x00,                                         // nop();
    });
    EXPECT_EQ(Normalize(Rules(RetailDialect()), retail), retail);
    const std::string prototype = Bytes({
        0x0D, 0, 0, 0, 3, 0, // for(n = 0; n < 3; n++) {
        0x55, 1, 2, 3, 4, 5, //   Sce_fade_set(1, 2, 3, 4, 5);
        0x0E, 0,             // }
        0x08, 0,             // }
        0x00,                // nop();
    });
    EXPECT_EQ(Normalize(Rules(PrototypeDialect()), prototype), prototype);
}

// Each exclusion of the rule answers a line that does not come back: the raw
// bytes give two different disassemblies, the normalised ones the same.
struct Excluded {
    const char* what;
    bool prototype;
    int indent;
    std::string bytes;
};

class RoundTripExclusion : public testing::TestWithParam<Excluded> {};

TEST_P(RoundTripExclusion, IsNeeded) {
    const Excluded& e = GetParam();
    const Dialect& d = e.prototype ? PrototypeDialect() : RetailDialect();
    ScriptContext raw(d);
    const Trip t = RoundTrip(raw, e.bytes, e.indent);
    EXPECT_NE(t.first, t.second) << e.what;
    ScriptContext normalised(d);
    const std::string n = Normalize(Rules(d), e.bytes);
    const Trip u = RoundTrip(normalised, n, e.indent);
    EXPECT_EQ(u.first, u.second) << e.what;
}

INSTANTIATE_TEST_SUITE_P(
    Rule, RoundTripExclusion,
    testing::Values(
        Excluded{"Cmp operator 7 prints empty", false, 0, Bytes({0x23, 0, 2, 7, 10, 0})},
        Excluded{"Cmp operator ? does not scan back", false, 0, Bytes({0x23, 0, 2, 6, 10, 0})},
        Excluded{"Calc operator 12 prints empty", false, 0, Bytes({0x26, 0, 12, 2, 100, 0})},
        Excluded{"Member_cmp operator 9", false, 0, Bytes({0x3E, 0, 1, 9, 5, 0})},
        Excluded{"Calc2 always compiles to 10 07", false, 0, Bytes({0x27, 0, 1, 2})},
        Excluded{"switch line passed over", false, 0, Bytes({0x13, 3, 0, 0, 0x02})},
        Excluded{"case line passed over", false, 0, Bytes({0x14, 0, 0, 0, 2, 0})},
        Excluded{"default line passed over", false, 0, Bytes({0x15, 0})},
        Excluded{"empty line of 0x1E", false, 0, Bytes({0x02, 0x1E, 0x02})},
        Excluded{"unknown-opcode comment", false, 0, Bytes({0x85, 1, 2, 3, 4, 5})},
        Excluded{"size-0 opcode repeated", false, 0, Bytes({0x81, 0x02})},
        Excluded{"do closed by 08", false, 0, Bytes({0x11, 0, 0, 0, 0x08, 0, 0x02})},
        Excluded{"else length past its nop", false, 0, Bytes({0x07, 0, 0x10, 0, 0x00, 0x00})},
        Excluded{"0x16 steps no depth", false, 1,
                 Bytes({0x06, 0, 0, 0, 0x21, 1, 2, 3, 0x16, 0, 0x02})},
        Excluded{"0x1C break steps no depth", false, 1,
                 Bytes({0x06, 0, 0, 0, 0x21, 1, 2, 3, 0x1C, 0x02})},
        Excluded{"0x1B for steps no depth", false, 1, Bytes({0x1B, 0, 0, 0, 5, 0, 0x02})},
        Excluded{"prototype if passed over", true, 0, Bytes({0x06, 0, 0, 0, 0x21, 1, 2, 3})},
        Excluded{"prototype else compiles as a brace", true, 0, Bytes({0x07, 0, 0, 0, 0x02})},
        Excluded{"prototype unknown 0x4D", true, 0, Bytes({0x4D, 1, 2, 3, 4, 5, 6, 7, 8, 9})},
        Excluded{"prototype empty line of 0x1D", true, 0, Bytes({0x02, 0x1D, 0x02})},
        Excluded{"prototype size-0 opcode", true, 1, Bytes({0xFF, 0x02})}));

// The property itself on pseudo-random bytecode, both dialects, indentation
// on and off, on one record per dialect as in the program.
TEST(RoundTrip, NormalisedRandomBytecodeComesBack) {
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        ScriptContext ctx(*d);
        Lcg rng{0x5EED0000u + static_cast<std::uint32_t>(d == &PrototypeDialect())};
        for (int round = 0; round < 300; ++round) {
            std::string input(1 + rng.Next() % 200, '\0');
            for (char& c : input) {
                // Mostly small opcodes, so that blocks and plain
                // instructions dominate.
                const std::uint8_t b = rng.Next();
                c = static_cast<char>(b < 200 ? b % 0x30 : b);
            }
            const std::string n = Normalize(Rules(*d), input);
            for (int indent : {0, 1}) {
                const Trip t = RoundTrip(ctx, n, indent);
                ASSERT_EQ(t.first, t.second) << d->name << " round " << round;
            }
        }
    }
}

// The shipped examples, normalised, come back too.
TEST(RoundTrip, NormalisedExamplesComeBack) {
    struct Example {
        const char* file;
        const Dialect* dialect;
    };
    for (const Example& e :
         {Example{"room100.scd", &RetailDialect()}, Example{"retail_all.scd", &RetailDialect()},
          Example{"proto_room.scd", &PrototypeDialect()}}) {
        std::string bytes, reason;
        ASSERT_TRUE(
            ReadWholeFile(std::string(QUILLON_SOURCE_DIR) + "/examples/" + e.file, bytes, reason))
            << reason;
        ScriptContext ctx(*e.dialect);
        const std::string n = Normalize(Rules(*e.dialect), bytes);
        EXPECT_GT(n.size(), bytes.size() / 2) << e.file;
        for (int indent : {0, 1}) {
            const Trip t = RoundTrip(ctx, n, indent);
            EXPECT_EQ(t.first, t.second) << e.file;
        }
    }
}
