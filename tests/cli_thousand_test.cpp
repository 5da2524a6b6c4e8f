// A folder of a thousand room scripts converts in one process, with whole-file
// reads and writes: its processor time stays below a second.
#include <gtest/gtest.h>

#include <iostream>

#include "cli_test_support.h"

using namespace quillon_test;

namespace {

// Times are checked on optimised builds only, not under the sanitizers.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#define QUILLON_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QUILLON_SANITIZED 1
#endif
#if defined(__OPTIMIZE__) && !defined(QUILLON_SANITIZED)
constexpr bool kTimed = true;
#else
constexpr bool kTimed = false;
#endif

TEST(CliPerformance, AThousandRoomsInOneRun) {
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
    std::cout << "1000 rooms: disassemble " << d.seconds << " s (" << d.cpuSeconds
              << " s processor), compile " << c.seconds << " s (" << c.cpuSeconds << " s), verify "
              << v.seconds << " s (" << v.cpuSeconds << " s)\n";
    // Wall time depends on the disk and on the other work of the machine;
    // processor time is the program's own. Per-file processes or per-byte
    // system calls would take well over this.
    if (kTimed) {
        EXPECT_LT(d.cpuSeconds, 1.0);
        EXPECT_LT(c.cpuSeconds, 1.0);
        EXPECT_LT(v.cpuSeconds, 1.0);
    }
    // Compiled back over the inputs: room100 survives the round trip.
    EXPECT_TRUE(ReadFile(dir / "rooms/room0998.scd") == small);
    EXPECT_FALSE(ReadFile(dir / "rooms/room0999.scd").empty());
    EXPECT_EQ(ReadFile(dir / "rooms/room0001.c").rfind("int room0001(void) {\r\n", 0), 0u);
}

} // namespace
