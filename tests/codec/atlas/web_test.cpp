// The web of rooms, worked out by hand on three rooms: their doors (one of
// them one-way, one out of the set), a flag checked in one room and set in
// another, and the warnings of the checks.
#include "codec/atlas/web.h"

#include <gtest/gtest.h>

#include <string>

#include "codec/exact/exact.h"

namespace {

using namespace quillon::atlas;

// A door to stage byte `stage`, room `room` with key/lock `key`.
std::string Door(int stage, int room, const char* key = "UNLOCKED") {
    return "\tDoor_aot_set(ID_AOT_0, SCE_DOOR, SAT_PL, 0, 0, 0, 0, 100, 100, 0, 0, 0, 0, " +
           std::to_string(stage) + ", " + std::to_string(room) + ", 0, 0, 0, 0, 0, 0, " + key +
           ", 0);\n";
}

Room MakeRoom(RoomId id, const std::string& body) {
    const std::string text = "// quillon exact\nint Sub00(void) {\n" + body + "}\n";
    std::string chunk, reason;
    EXPECT_TRUE(quillon::exact::CompileChunk(text, chunk, {})) << text;
    Room room{id, {}};
    EXPECT_TRUE(ReadChunkFacts(chunk, quillon::room::Script::Main, room.facts, reason)) << reason;
    return room;
}

TEST(Web, DoorsFlagsAndTheirChecks) {
    // 1-00 leads to 1-01 (and back), to 1-02 (which never leads back) and to
    // 2-05 (not in the set); it checks FG_SCENARIO, 18, which 1-01 sets.
    // 1-02 leads to 1-01 (one-way too) and sets FG_ROOM, 3, checked nowhere.
    Web web = Weave({
        MakeRoom({1, 2, 0}, Door(0, 1) + "\tSet(FG_ROOM, 3, 1);\n"),
        MakeRoom({1, 0, 0}, Door(0, 1) + Door(0, 2, "ITEM_RED_CARD") + Door(1, 5) +
                                "\tif(Ck(FG_SCENARIO, 18, 1)) {\n\t\tSce_rnd();\n\t}\n"),
        MakeRoom({1, 1, 0}, Door(0, 0) + "\tSet(FG_SCENARIO, 18, 1);\n"),
    });
    ASSERT_EQ(web.rooms.size(), 3u);
    EXPECT_EQ(web.rooms[0].id, (RoomId{1, 0, 0}));
    const struct {
        int from;
        RoomId to;
        bool inSet, oneWay;
    } kDoors[] = {
        {0, {1, 1, 0}, true, false}, {0, {1, 2, 0}, true, true}, {0, {2, 5, 0}, false, false},
        {1, {1, 0, 0}, true, false}, {2, {1, 1, 0}, true, true},
    };
    ASSERT_EQ(web.doors.size(), std::size(kDoors));
    for (std::size_t k = 0; k < web.doors.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(web.doors[k].ref.room, static_cast<std::size_t>(kDoors[k].from));
        EXPECT_EQ(web.doors[k].target, kDoors[k].to);
        EXPECT_EQ(web.doors[k].inSet, kDoors[k].inSet);
        EXPECT_EQ(web.doors[k].oneWay, kDoors[k].oneWay);
    }
    EXPECT_EQ(web.At(web.doors[1].ref).Get(quillon::Meaning::KeyLock), 52);

    ASSERT_EQ(web.flags.size(), 2u); // FG_SCENARIO (3) before FG_ROOM (5)
    EXPECT_EQ(FlagText(web.flags[0].group, web.flags[0].index), "FG_SCENARIO, 18");
    ASSERT_EQ(web.flags[0].checks.size(), 1u);
    ASSERT_EQ(web.flags[0].changes.size(), 1u);
    EXPECT_EQ(web.flags[0].checks[0].room, 0u);
    EXPECT_EQ(web.flags[0].changes[0].room, 1u);
    EXPECT_TRUE(web.flags[1].checks.empty());

    const std::vector<Warning> warnings = Check(web);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0].ref.room, 0u);
    EXPECT_EQ(warnings[0].text, "the door leads to room 2-05 (ROOM2050), which is not in the set");
    EXPECT_EQ(warnings[1].ref.room, 2u);
    EXPECT_EQ(warnings[1].text,
              "the flag FG_ROOM, 3 is changed here (1 place) but checked nowhere in the set");
}

TEST(Web, ItemsAndEnemiesWithTheirRooms) {
    const std::string item = "\tItem_aot_set(ID_AOT_1, SCE_ITEM, SAT_PL, 0, 0, 10, 20, 30, 40, "
                             "ITEM_RED_CARD, 1, 5, ID_OBJ_0, IF_DEFAULT);\n";
    const std::string enemy = "\tSce_em_set(0, ID_EM_0, ENEMY_ZOMBIE_COP, 0, AI_DEFAULT, 0, "
                              "SBK_0, 0, 0, 0, 0, 0, 0, 0, 0);\n";
    Web web = Weave({MakeRoom({1, 0, 1}, item + enemy), MakeRoom({2, 3, 1}, enemy + item)});
    ASSERT_EQ(web.items.size(), 1u);
    EXPECT_EQ(web.items[0].value, 52);
    ASSERT_EQ(web.items[0].refs.size(), 2u);
    EXPECT_EQ(web.items[0].refs[1].room, 1u);
    ASSERT_EQ(web.enemies.size(), 1u);
    EXPECT_EQ(web.enemies[0].value, 16);
    EXPECT_EQ(web.enemies[0].refs.size(), 2u);
}

TEST(RoomIds, FromNamesAndFromTheOption) {
    const struct {
        const char* name;
        bool ok;
        RoomId id;
    } kNames[] = {
        {"ROOM1000.RDT", true, {1, 0, 0}}, {"room70a1.main.c", true, {7, 0x0A, 1}},
        {"ROOM1FF0", true, {1, 0xFF, 0}},  {"ROOM8000.RDT", false, {}},
        {"ROOM1002.RDT", false, {}},       {"ROOM10G0.RDT", false, {}},
        {"ROOM10000.RDT", false, {}},      {"room100.rdt", false, {}},
    };
    for (const auto& n : kNames) {
        RoomId id;
        EXPECT_EQ(RoomOfName(n.name, id), n.ok) << n.name;
        if (n.ok) {
            EXPECT_EQ(id, n.id) << n.name;
        }
    }
    RoomId id;
    std::string reason;
    EXPECT_TRUE(ParseRoom("2,1b,1", id, reason));
    EXPECT_EQ(id, (RoomId{2, 0x1B, 1}));
    EXPECT_EQ(Label(id), "2-1B p1");
    EXPECT_EQ(Title(id), "ROOM21B1");
    EXPECT_FALSE(ParseRoom("2,1B", id, reason));
    EXPECT_NE(reason.find("S,RR,P"), std::string::npos);
}

} // namespace
