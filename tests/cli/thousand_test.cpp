// A folder of a thousand room scripts converts in one run of the tool.
#include <gtest/gtest.h>

#include "testkit/cli_support.h"

using namespace quillon_test;

namespace {

TEST(CliBatch, AThousandRoomsInOneRun) {
    TempDir dir;
    const std::string small = Example("room100.scd"), large = Example("retail_all.scd");
    for (int i = 0; i < 1000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "rooms/room%04d.scd", i);
        WriteFile(dir / name, i % 2 ? large : small);
    }
    const RunOptions in{"", dir.path().string(), false};
    const RunResult d = RunQuillon({"disassemble", "-q", "rooms"}, in);
    ASSERT_EQ(d.status, 0) << d.err;
    const RunResult c = RunQuillon({"compile", "-q", "rooms"}, in);
    ASSERT_EQ(c.status, 0) << c.err;
    const RunResult v = RunQuillon({"verify", "-q", "rooms"}, in);
    // The time it takes is measured by the benchmarks (bench/run), not here.
    EXPECT_EQ(v.status, 0) << v.err; // the compiled files survive the round trip
    // Compiled back over the inputs: room100 survives the round trip.
    EXPECT_TRUE(ReadFile(dir / "rooms/room0998.scd") == small);
    EXPECT_FALSE(ReadFile(dir / "rooms/room0999.scd").empty());
    EXPECT_EQ(ReadFile(dir / "rooms/room0001.c").rfind("int room0001(void) {\r\n", 0), 0u);
}

} // namespace
