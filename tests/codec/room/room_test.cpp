// Room files: finding, extracting and replacing the script chunks.
#include <gtest/gtest.h>

#include "codec/room/room.h"
#include "testkit/cli_support.h"
#include "testkit/room_gen.h"

using namespace quillon_test;
namespace room = quillon::room;

namespace {

std::uint32_t Entry(const std::string& file, int entry) {
    return Get32(file, 8 + 4 * entry);
}

// Each script replaced by chunks of other sizes: every offset at or after the
// old end moves by the change, every chunk is found whole where its entry now
// points, and both scripts come out as they went in.
TEST(Room, ReplacingAScriptMovesEveryLaterOffset) {
    const std::string big = Chunk({std::string("\x01\x00", 2), std::string(40, '\0')});
    const std::string odd = Chunk({std::string("\x01\x00\x00", 3)});
    for (room::Script script : room::kScripts) {
        const bool init = script == room::Script::Init;
        for (const std::string& chunk : {kInit, odd, kMain, big}) {
            SCOPED_TRACE(std::string(room::NameOf(script)) + ", " + std::to_string(chunk.size()));
            const std::string before = BuildRoom(init ? kMain : kInit, kMain);
            std::string file = before, reason, got;
            room::Span old;
            ASSERT_TRUE(room::FindScript(file, script, old, reason)) << reason;
            ASSERT_TRUE(room::ReplaceScript(file, script, chunk, reason)) << reason;
            // Everything after the old chunk moves by the change in size.
            const std::string& written = chunk;
            const std::int64_t delta = std::int64_t(chunk.size()) - (old.end - old.begin);
            if (delta == 0) {
                EXPECT_EQ(file, before);
            }
            EXPECT_EQ(std::int64_t(file.size()), std::int64_t(before.size()) + delta);
            for (int e = 0; e < room::kEntryCount; ++e) {
                const std::uint32_t was = Entry(before, e);
                const bool moves = was != 0 && was >= old.end && e != room::EntryOf(script);
                EXPECT_EQ(Entry(file, e), was + (moves ? delta : 0)) << "entry " << e;
            }
            for (int i = 0; i < 2 * kObjectModels; ++i) {
                const std::uint32_t was = Get32(before, kObjectTable + 4 * i);
                const bool moves = was != 0 && was != 0xFFFFFFFF;
                EXPECT_EQ(Get32(file, kObjectTable + 4 * i), was + (moves ? delta : 0));
            }
            for (size_t i = 0; i < std::size(kPieces); ++i) {
                const Piece& p = kPieces[i]; // the scripts' size is 0, the object table changed
                if (p.entry < 0 || p.entry == 10 || p.size == 0) continue;
                EXPECT_EQ(file.substr(Entry(file, p.entry), p.size), std::string(p.size, Fill(i)));
            }
            ASSERT_TRUE(room::ExtractScript(file, room::Script::Init, got, reason)) << reason;
            EXPECT_EQ(got, init ? written : kInit);
            ASSERT_TRUE(room::ExtractScript(file, room::Script::Main, got, reason)) << reason;
            EXPECT_EQ(got, init ? kMain : written);
        }
    }
    // Both, one after the other.
    std::string file = BuildRoom(kInit, kMain), reason;
    ASSERT_TRUE(room::ReplaceScript(file, room::Script::Init, big, reason)) << reason;
    ASSERT_TRUE(room::ReplaceScript(file, room::Script::Main, odd, reason)) << reason;
    EXPECT_EQ(file, BuildRoom(big, odd));
}

// A chunk ends where an object's model begins; entry 5 may point past the file.
TEST(Room, AChunkBeforeAnObjectModel) {
    std::string file(0x64, '\0');
    file[2] = 1;
    const auto main = static_cast<std::uint32_t>(0x6C + kInit.size());
    const auto model = static_cast<std::uint32_t>(main + kMain.size());
    for (auto [at, value] : {std::pair{8 + 4 * 10, 0x64u},
                             {8 + 4 * 16, 0x6Cu},
                             {8 + 4 * 17, main},
                             {8 + 4 * 5, 0x10000u}})
        Put32(file, at, value);
    file += std::string("\xFF\xFF\xFF\xFF", 4) + "MMMM" + kInit + kMain + "model";
    Put32(file, 0x68, model);
    std::string reason, got;
    ASSERT_TRUE(room::ReplaceScript(file, room::Script::Main, kInit, reason)) << reason;
    EXPECT_EQ(file.substr(file.size() - 5), "model");
    EXPECT_EQ(Get32(file, 0x64), 0xFFFFFFFF);
    const std::uint32_t shrink = 6; // 6 bytes less
    EXPECT_EQ(Get32(file, 0x68), model - shrink);
    EXPECT_EQ(Entry(file, 5), 0x10000u - shrink);
    ASSERT_TRUE(room::ExtractScript(file, room::Script::Main, got, reason)) << reason;
    EXPECT_EQ(got, kInit);
}

TEST(Room, Refusals) {
    const std::string good = BuildRoom(kInit, kMain);
    const auto size = static_cast<std::uint32_t>(good.size());
    struct Case {
        std::uint32_t at; // where `value` goes; 2: the object model count; 0: cut the file
        std::uint32_t value;
        const char* reason;
        bool replaceRefused = true; // the old chunk's validity does not matter to a replacement
    } cases[] = {
        {0, 0x63, "too short for the header"},
        {8 + 4 * 22, size + 1, "entry 22 of the offset table"},
        {kObjectTable + 4, size + 1, "model offset of object model 0"},
        {2, 255, "runs past the end"},
        {8 + 4 * 16, 0, "the init script entry (16) is 0"},
        {8 + 4 * 17, 0, "the main script entry (17) is 0"},
        {8 + 4 * 16, 0x20, "entry, 0x00000020, points into the header"},
        {8 + 4 * 10, 0x08, "the object table, 0x00000008, points into the header"},
        {8 + 4 * 16, Entry(good, 17), "both point at"},
        {Entry(good, 16), 3, "the init chunk is not a valid script chunk", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        std::string file = good, chunk, reason;
        if (c.at == 0) file.resize(c.value);
        if (c.at == 2) file[2] = static_cast<char>(c.value);
        if (c.at > 2) Put32(file, c.at, c.value);
        EXPECT_FALSE(room::ExtractScript(file, room::Script::Init, chunk, reason));
        EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
        const std::string before = file;
        EXPECT_EQ(room::ReplaceScript(file, room::Script::Init, kInit, reason), !c.replaceRefused);
        if (c.replaceRefused) {
            EXPECT_EQ(file, before);
        }
    }
    std::string file = good, reason;
    EXPECT_FALSE(room::ReplaceScript(file, room::Script::Main, "\x03\x00\x01\x00", reason));
    EXPECT_NE(reason.find("the new main chunk is not a valid script chunk"), std::string::npos);
    EXPECT_EQ(file, good);
}

} // namespace
