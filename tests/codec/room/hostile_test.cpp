// Rooms made to hurt: offsets into the header, into each other or past the
// end, an object table at the file's end, a procedure table that claims
// 32,767 procedures. Each is refused with its reason or handled whole.
#include <gtest/gtest.h>

#include "testkit/room_checks.h"
#include "testkit/room_gen.h"

using namespace quillon_test;
namespace room = quillon::room;

namespace {

TEST(HostileRoom, RefusedWithItsReasonOrHandledWhole) {
    const std::string good = BuildRoom(kInit, kMain);
    const auto size = static_cast<std::uint32_t>(good.size());
    const std::uint32_t init = Get32(good, 8 + 4 * 16), main = Get32(good, 8 + 4 * 17);
    struct Case {
        const char* what;
        std::uint32_t at, value; // a 32-bit value put at `at`; at 2: the object model count
        const char* reason;      // why extracting the init chunk is refused; null: it is not
    } cases[] = {
        {"main inside init", 8 + 4 * 17, init + 2, nullptr}, // one empty procedure
        {"init inside main", 8 + 4 * 16, main + 2, "before procedure 0"},
        {"effect table inside init", 8 + 4 * 19, init + 1, nullptr},
        {"end entry far past the end", 8 + 4 * 5, 0xFFFFFFF0, nullptr},
        {"object table at the end", 8 + 4 * 10, size, "runs past the end"},
        {"255 objects", 2, 255, "runs past the end"},
        {"32,767 procedures", init, 0xFFFE, "the procedure table (32767 entries) runs past"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string file = good, chunk, reason;
        if (c.at == 2)
            file[2] = static_cast<char>(c.value);
        else if (c.at == init)
            file[init] = '\xFE', file[init + 1] = '\xFF';
        else
            Put32(file, c.at, c.value);
        EXPECT_EQ(room::ExtractScript(file, room::Script::Init, chunk, reason), !c.reason);
        if (c.reason) {
            EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
        }
        for (const std::string& next : {kInit, kMain, std::string("\x02\x00", 2)})
            EXPECT_EQ(CheckRoom(file, next), "");
    }
    // Entry 19 inside a chunk cannot move with it: it would point past a
    // shrunk room's end, or into the middle of a new chunk.
    std::string file = good, reason;
    Put32(file, 8 + 4 * 19, main + 1);
    const std::string before = file;
    EXPECT_FALSE(room::ReplaceScript(file, room::Script::Main, kInit, reason));
    EXPECT_NE(reason.find("points inside the main chunk"), std::string::npos) << reason;
    EXPECT_EQ(file, before);
}

} // namespace
