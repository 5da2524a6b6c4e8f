// The facts of a chunk, worked out by hand on a text of two procedures:
// what each instruction sets up, where it stands and whether a condition
// holds it.
#include "codec/atlas/facts.h"

#include <gtest/gtest.h>

#include <string>

#include "codec/exact/exact.h"

namespace {

using quillon::Meaning;
using quillon::RoomFact;
using quillon::atlas::Fact;
using M = Meaning;

// The lines as disassemble --exact prints them, so that the printed lines
// are the text's.
const char kText[] =
    "// quillon exact\r\n"
    "#include <bio2.h>\r\n"
    "\r\n"
    "int Sub00(void) {\r\n"
    "\tDoor_aot_set(ID_AOT_0, SCE_DOOR, SAT_PL, 0, 0, 100, 200, 300, 400, 1000, 0, -2000, 1024, "
    "0, 1, 2, 0, 0, 0, 0, 5, ITEM_RED_CARD, 0);\r\n"
    "\tif(Ck(FG_SCENARIO, 18, 1) && Ck(FG_ROOM, 3, 0)) {\r\n"
    "\t\tItem_aot_set(ID_AOT_1, SCE_ITEM, SAT_PL, 0, 0, 10, 20, 30, 40, ITEM_RED_CARD, 1, 5, "
    "ID_OBJ_0, IF_DEFAULT);\r\n"
    "\t} else {\r\n"
    "\t\tMessage_on(0, ID_MSG_7, 0x00FF);\r\n"
    "\t}\r\n"
    "\treturn 0;\r\n"
    "}\r\n"
    "\r\n"
    "int Sub01(void) {\r\n"
    "\tswitch(V_05) {\r\n"
    "\tcase 0:\r\n"
    "\t\tSet(FG_SCENARIO, 19, 1);\r\n"
    "\t\tbreak;\r\n"
    "\t}\r\n"
    "\tSce_em_set(0, ID_EM_0, ENEMY_ZOMBIE_COP, 0, AI_DEFAULT, 0, SBK_0, 0, 0, 1500, -1800, "
    "600, 2048, 0, 0);\r\n"
    "\treturn 0;\r\n"
    "}\r\n";

std::string Compiled(const char* text) {
    std::string chunk;
    EXPECT_TRUE(quillon::exact::CompileChunk(text, chunk, {}));
    return chunk;
}

TEST(ChunkFacts, EachInstructionWithItsPlaceAndCondition) {
    const std::string chunk = Compiled(kText);
    std::vector<Fact> facts;
    std::string reason;
    ASSERT_TRUE(quillon::atlas::ReadChunkFacts(chunk, quillon::room::Script::Main, facts, reason))
        << reason;
    // The table holds two offsets; Sub00 starts at 4 and Sub01 after its
    // 80 bytes: door 32, if 4, two Ck 4 each, item 22, else 4, message 6,
    // endif 2, return 2.
    const struct {
        RoomFact kind;
        int procedure, at, line, column;
        bool conditional;
    } kPlaces[] = {
        {RoomFact::Door, 0, 4, 5, 2, false},          {RoomFact::FlagChecked, 0, 40, 6, 5, false},
        {RoomFact::FlagChecked, 0, 44, 6, 31, false}, {RoomFact::Item, 0, 48, 7, 3, true},
        {RoomFact::Message, 0, 74, 9, 3, true},       {RoomFact::FlagChanged, 1, 94, 17, 3, true},
        {RoomFact::Enemy, 1, 102, 20, 2, false},
    };
    ASSERT_EQ(facts.size(), std::size(kPlaces));
    for (std::size_t k = 0; k < facts.size(); ++k) {
        const auto& p = facts[k].place;
        SCOPED_TRACE(k);
        EXPECT_EQ(facts[k].kind, kPlaces[k].kind);
        EXPECT_EQ(p.procedure, kPlaces[k].procedure);
        EXPECT_EQ(p.at, kPlaces[k].at);
        EXPECT_EQ(p.line, kPlaces[k].line);
        EXPECT_EQ(p.column, kPlaces[k].column);
        EXPECT_EQ(p.conditional, kPlaces[k].conditional);
    }
    const Fact& door = facts[0];
    const struct {
        Meaning m;
        int value;
    } kDoor[] = {{M::X, 1000},      {M::Y, 0},        {M::Z, -2000},      {M::Direction, 1024},
                 {M::NextStage, 0}, {M::NextRoom, 1}, {M::NextCamera, 2}, {M::NextFloor, 0},
                 {M::LockId, 5},    {M::KeyLock, 52}};
    for (const auto& v : kDoor) {
        EXPECT_TRUE(door.Has(v.m));
        EXPECT_EQ(door.Get(v.m), v.value) << static_cast<int>(v.m);
    }
    EXPECT_EQ(door.areaCount, 4);
    EXPECT_EQ(door.area[3], 400);
    EXPECT_EQ(facts[1].Get(M::FlagGroup), 3);
    EXPECT_EQ(facts[1].Get(M::FlagIndex), 18);
    EXPECT_EQ(facts[2].Get(M::FlagGroup), 5);
    EXPECT_EQ(facts[3].Get(M::Item), 52);
    EXPECT_EQ(facts[3].Get(M::Amount), 1);
    EXPECT_EQ(facts[3].area[0], 10);
    EXPECT_EQ(facts[4].Get(M::MessageId), 7);
    EXPECT_EQ(facts[5].Get(M::FlagIndex), 19);
    const Fact& enemy = facts[6];
    EXPECT_EQ(enemy.Get(M::EnemyType), 16);
    EXPECT_EQ(enemy.Get(M::X), 1500);
    EXPECT_EQ(enemy.Get(M::Y), -1800);
    EXPECT_EQ(enemy.Get(M::Z), 600);
    EXPECT_EQ(enemy.Get(M::Direction), 2048);
}

// The records of four points: eight values of area, the same tail later.
TEST(ChunkFacts, RecordsOfFourPoints) {
    const std::string chunk = Compiled(
        "// quillon exact\n"
        "int Sub00(void) {\n"
        "\tDoor_aot_set_4p(ID_AOT_0, SCE_DOOR, SAT_PL, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, -100, 200, "
        "-300, 512, 2, 10, 3, 1, 0, 0, 0, 7, LOCKED, 0);\n"
        "\tItem_aot_set_4p(ID_AOT_1, SCE_ITEM, SAT_PL, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, "
        "ITEM_BLUE_CARD, 2, 9, ID_OBJ_1, IF_DEFAULT);\n"
        "}\n");
    std::vector<Fact> facts;
    std::string reason;
    ASSERT_TRUE(quillon::atlas::ReadChunkFacts(chunk, quillon::room::Script::Main, facts, reason))
        << reason;
    ASSERT_EQ(facts.size(), 2u);
    const Fact& door = facts[0];
    EXPECT_EQ(door.kind, RoomFact::Door);
    EXPECT_EQ(door.areaCount, 8);
    EXPECT_EQ(door.area[7], 8);
    const int kDoor[][2] = {{int(M::X), -100},       {int(M::Direction), 512},
                            {int(M::NextStage), 2},  {int(M::NextRoom), 10},
                            {int(M::NextCamera), 3}, {int(M::NextFloor), 1},
                            {int(M::LockId), 7},     {int(M::KeyLock), 255}};
    for (const auto& v : kDoor) EXPECT_EQ(door.Get(Meaning(v[0])), v[1]) << v[0];
    const Fact& item = facts[1];
    EXPECT_EQ(item.kind, RoomFact::Item);
    EXPECT_EQ(item.Get(M::Item), 53);
    EXPECT_EQ(item.Get(M::Amount), 2);
    EXPECT_EQ(item.areaCount, 8);
}

TEST(ChunkFacts, ABrokenChunkIsRefusedWithItsReason) {
    std::vector<Fact> facts;
    std::string reason;
    EXPECT_FALSE(quillon::atlas::ReadChunkFacts(std::string("\x03\x00", 2),
                                                quillon::room::Script::Init, facts, reason));
    EXPECT_NE(reason.find("odd"), std::string::npos) << reason;
    EXPECT_TRUE(facts.empty());
}

} // namespace
