// The retail dialect's operand meanings: the value-to-name tables, and the
// positions of each meaning per opcode and offset.
#include "codec/isa/meanings.h"

namespace quillon {

namespace {

const ValueName kFlagGroups[] = {
    {0, "FG_SYSTEM"},      {1, "FG_STATUS"},   {2, "FG_STOP"},     {3, "FG_SCENARIO"},
    {4, "FG_COMMON"},      {5, "FG_ROOM"},     {6, "FG_ENEMY"},    {7, "FG_ENEMY_2"},
    {8, "FG_ITEM"},        {9, "FG_MAP"},      {10, "FG_USE"},     {11, "FG_MESSAGE"},
    {12, "FG_ROOM_ENEMY"}, {13, "FG_PBF00"},   {14, "FG_PBF01"},   {15, "FG_PBF02"},
    {16, "FG_PBF03"},      {17, "FG_PBF04"},   {18, "FG_PBF05"},   {19, "FG_PBF06"},
    {20, "FG_PBF07"},      {21, "FG_PBF08"},   {22, "FG_PBF09"},   {23, "FG_PBF0A"},
    {24, "FG_PBF0B"},      {25, "FG_PBF0C"},   {26, "FG_PBF0D"},   {27, "FG_PBF0E"},
    {28, "FG_PBF0F"},      {29, "FG_ZAPPING"}, {30, "FG_RBJ_SET"}, {31, "FG_KEY"},
    {32, "FG_MAP_C"},      {33, "FG_MAP_I"},   {34, "FG_ITEM_2"},
};
const ValueName kSceTypes[] = {
    {0, "SCE_AUTO"},    {1, "SCE_DOOR"},       {2, "SCE_ITEM"},     {3, "SCE_NORMAL"},
    {4, "SCE_MESSAGE"}, {5, "SCE_EVENT"},      {6, "SCE_FLAG_CHG"}, {7, "SCE_WATER"},
    {8, "SCE_MOVE"},    {9, "SCE_SAVE"},       {10, "SCE_ITEMBOX"}, {11, "SCE_DAMAGE"},
    {12, "SCE_STATUS"}, {13, "SCE_HIKIDASHI"}, {14, "SCE_WINDOWS"},
};
const ValueName kItems[] = {
    {0, "ITEM_NONE"},
    {1, "ITEM_KNIFE"},
    {2, "ITEM_HANDGUN_LEON"},
    {3, "ITEM_HANDGUN_CLAIRE"},
    {4, "ITEM_CUSTOM_HANDGUN"},
    {5, "ITEM_MAGNUM"},
    {6, "ITEM_CUSTOM_MAGNUM"},
    {7, "ITEM_SHOTGUN"},
    {8, "ITEM_CUSTOM_SHOTGUN"},
    {9, "ITEM_GRENADE_LAUNCHER_EXPLOSIVE"},
    {10, "ITEM_GRENADE_LAUNCHER_FLAME"},
    {11, "ITEM_GRENADE_LAUNCHER_ACID"},
    {12, "ITEM_BOWGUN"},
    {13, "ITEM_COLT_SAA"},
    {14, "ITEM_SPARKSHOT"},
    {15, "ITEM_SMG"},
    {16, "ITEM_FLAMETHROWER"},
    {17, "ITEM_ROCKET_LAUNCHER"},
    {18, "ITEM_GATLING_GUN"},
    {19, "ITEM_BERETTA"},
    {20, "ITEM_HANDGUN_AMMO"},
    {21, "ITEM_SHOTGUN_AMMO"},
    {22, "ITEM_MAGNUM_AMMO"},
    {23, "ITEM_FUEL_TANK"},
    {24, "ITEM_EXPLOSIVE_ROUNDS"},
    {25, "ITEM_FLAME_ROUNDS"},
    {26, "ITEM_ACID_ROUNDS"},
    {27, "ITEM_SMG_AMMO"},
    {28, "ITEM_SPARKSHOT_AMMO"},
    {29, "ITEM_BOWGUN_AMMO"},
    {30, "ITEM_INK_RIBBON"},
    {31, "ITEM_SMALL_KEY"},
    {32, "ITEM_HANDGUN_PARTS"},
    {33, "ITEM_MAGNUM_PARTS"},
    {34, "ITEM_SHOTGUN_PARTS"},
    {35, "ITEM_FIRST_AID_SPRAY"},
    {36, "ITEM_ANTIVIRUS_BOMB"},
    {37, "ITEM_CHEMICAL_ACW32"},
    {38, "ITEM_HERB_G"},
    {39, "ITEM_HERB_R"},
    {40, "ITEM_HERB_B"},
    {41, "ITEM_HERB_GG"},
    {42, "ITEM_HERB_GR"},
    {43, "ITEM_HERB_GB"},
    {44, "ITEM_HERB_GGG"},
    {45, "ITEM_HERB_GGB"},
    {46, "ITEM_HERB_GRB"},
    {47, "ITEM_LIGHTER"},
    {48, "ITEM_LOCKPICK"},
    {49, "ITEM_PHOTO_SHERRY"},
    {50, "ITEM_VALVE_HANDLE"},
    {51, "ITEM_RED_JEWEL"},
    {52, "ITEM_RED_CARD"},
    {53, "ITEM_BLUE_CARD"},
    {54, "ITEM_SERPENT_STONE"},
    {55, "ITEM_JAGUAR_STONE"},
    {56, "ITEM_JAGUAR_STONE_L"},
    {57, "ITEM_JAGUAR_STONE_R"},
    {58, "ITEM_EAGLE_STONE"},
    {59, "ITEM_BISHOP_PLUG"},
    {60, "ITEM_ROOK_PLUG"},
    {61, "ITEM_KNIGHT_PLUG"},
    {62, "ITEM_KING_PLUG"},
    {63, "ITEM_WEAPON_BOX_KEY"},
    {64, "ITEM_DETONATOR"},
    {65, "ITEM_C4_EXPLOSIVE"},
    {66, "ITEM_C4_DETONATOR"},
    {67, "ITEM_CRANK"},
    {68, "ITEM_FILM_A"},
    {69, "ITEM_FILM_B"},
    {70, "ITEM_FILM_C"},
    {71, "ITEM_UNICORN_MEDAL"},
    {72, "ITEM_EAGLE_MEDAL"},
    {73, "ITEM_WOLF_MEDAL"},
    {74, "ITEM_COG"},
    {75, "ITEM_MANHOLE_OPENER"},
    {76, "ITEM_MAIN_FUSE"},
    {77, "ITEM_FUSE_CASE"},
    {78, "ITEM_VACCINE"},
    {79, "ITEM_VACCINE_CART"},
    {80, "ITEM_FILM_D"},
    {81, "ITEM_VACCINE_BASE"},
    {82, "ITEM_G_VIRUS"},
    {83, "ITEM_SPECIAL_KEY"},
    {84, "ITEM_JOINT_PLUG_BLUE"},
    {85, "ITEM_JOINT_PLUG_RED"},
    {86, "ITEM_CORD"},
    {87, "ITEM_PHOTO_ADA"},
    {88, "ITEM_CABIN_KEY"},
    {89, "ITEM_SPADE_KEY"},
    {90, "ITEM_DIAMOND_KEY"},
    {91, "ITEM_HEART_KEY"},
    {92, "ITEM_CLUB_KEY"},
    {93, "ITEM_DOWN_KEY"},
    {94, "ITEM_UP_KEY"},
    {95, "ITEM_POWER_ROOM_KEY"},
    {96, "ITEM_MO_DISK"},
    {97, "ITEM_UMBRELLA_KEY_CARD"},
    {98, "ITEM_MASTER_KEY"},
    {99, "ITEM_PLATFORM_KEY"},
    {104, "ITEM_CHRIS_DIARY"},
    {105, "ITEM_FEDERAL_POLICE_REPORT"},
    {106, "ITEM_MEMO_TO_LEON"},
    {107, "ITEM_POLICE_MEMORANDUM"},
    {108, "ITEM_OPERATION_REPORT_1"},
    {109, "ITEM_MAIL_TO_THE_CHIEF_1"},
    {110, "ITEM_MAIL_TO_THE_CHIEF_2"},
    {111, "ITEM_SECRETARY_DIARY_A"},
    {112, "ITEM_SECRETARY_DIARY_B"},
    {113, "ITEM_OPERATION_REPORT_2"},
    {114, "ITEM_USER_REGISTRATION"},
    {115, "ITEM_DEVELOPED_FILM_A"},
    {116, "ITEM_DEVELOPED_FILM_B"},
    {117, "ITEM_DEVELOPED_FILM_C"},
    {118, "ITEM_PATROL_REPORT"},
    {119, "ITEM_WATCHMAN_DIARY"},
    {120, "ITEM_CHIEF_DIARY"},
    {121, "ITEM_SEWER_MANAGER_DIARY"},
    {122, "ITEM_SEWER_MANAGER_FAX"},
    {123, "ITEM_DEVELOPED_FILM_D"},
    {124, "ITEM_VACCINE_SYNTHESIS"},
    {125, "ITEM_LAB_SECURITY_MANUAL"},
    {126, "ITEM_P_EPSILON_REPORT"},
    {127, "ITEM_HINT_FILE_1"},
    {128, "ITEM_HINT_FILE_2"},
};
const ValueName kEnemyTypes[] = {
    {16, "ENEMY_ZOMBIE_COP"},
    {17, "ENEMY_ZOMBIE_BRAD"},
    {18, "ENEMY_ZOMBIE_GUY_1"},
    {19, "ENEMY_ZOMBIE_GIRL"},
    {21, "ENEMY_ZOMBIE_TEST_SUBJECT"},
    {22, "ENEMY_ZOMBIE_SCIENTIST"},
    {23, "ENEMY_ZOMBIE_NAKED"},
    {24, "ENEMY_ZOMBIE_GUY_2"},
    {30, "ENEMY_ZOMBIE_GUY_3"},
    {31, "ENEMY_ZOMBIE_RANDOM"},
    {32, "ENEMY_ZOMBIE_DOG"},
    {33, "ENEMY_CROW"},
    {34, "ENEMY_LICKER_RED"},
    {35, "ENEMY_ALLIGATOR"},
    {36, "ENEMY_LICKER_GREY"},
    {37, "ENEMY_SPIDER"},
    {38, "ENEMY_BABY_SPIDER"},
    {39, "ENEMY_G_EMBRYO"},
    {40, "ENEMY_G_ADULT"},
    {41, "ENEMY_COCKROACH"},
    {42, "ENEMY_TYRANT_1"},
    {43, "ENEMY_TYRANT_2"},
    {45, "ENEMY_ZOMBIE_ARMS"},
    {46, "ENEMY_IVY"},
    {47, "ENEMY_VINES"},
    {48, "ENEMY_BIRKIN_1"},
    {49, "ENEMY_BIRKIN_2"},
    {50, "ENEMY_BIRKIN_3"},
    {51, "ENEMY_BIRKIN_4"},
    {52, "ENEMY_BIRKIN_5"},
    {57, "ENEMY_IVY_PURPLE"},
    {58, "ENEMY_GIANT_MOTH"},
    {59, "ENEMY_MAGGOTS"},
    {64, "ENEMY_IRONS_1"},
    {65, "ENEMY_ADA_1"},
    {66, "ENEMY_IRONS_2"},
    {67, "ENEMY_ADA_2"},
    {68, "ENEMY_BEN_1"},
    {69, "ENEMY_SHERRY_PENDANT"},
    {70, "ENEMY_BEN_2"},
    {71, "ENEMY_ANNETTE_1"},
    {72, "ENEMY_KENDO"},
    {73, "ENEMY_ANNETTE_2"},
    {74, "ENEMY_MARVIN"},
    {75, "ENEMY_MAYORS_DAUGHTER"},
    {79, "ENEMY_SHERRY_JACKET"},
    {80, "ENEMY_LEON_RPD"},
    {81, "ENEMY_CLAIRE"},
    {84, "ENEMY_LEON_BANDAGED"},
    {85, "ENEMY_CLAIRE_NO_JACKET"},
    {88, "ENEMY_LEON_TANK_TOP"},
    {89, "ENEMY_CLAIRE_COWGIRL"},
    {90, "ENEMY_LEON_LEATHER"},
};
const ValueName kMembers[] = {
    {0, "M_POINTER"},    {1, "M_BE_FLAG"},    {2, "M_ROUTINE0"},     {3, "M_ROUTINE1"},
    {4, "M_ROUTINE2"},   {5, "M_ROUTINE3"},   {6, "M_ID"},           {7, "M_TYPE"},
    {8, "M_OBJ_NO"},     {9, "M_SCE_NO"},     {10, "M_ATTRIBUTE"},   {11, "M_X_POS"},
    {12, "M_Y_POS"},     {13, "M_Z_POS"},     {14, "M_X_DIR"},       {15, "M_Y_DIR"},
    {16, "M_Z_DIR"},     {17, "M_FLOOR"},     {18, "M_STATUS_FLAG"}, {19, "M_GROUND"},
    {20, "M_X_DEST"},    {21, "M_Z_DEST"},    {22, "M_SCE_FLAG"},    {23, "M_SCE_FREE0"},
    {24, "M_SCE_FREE1"}, {25, "M_SCE_FREE2"}, {26, "M_SCE_FREE3"},   {27, "M_X_SPEED0"},
    {28, "M_X_SPEED1"},  {29, "M_Y_SPEED"},   {30, "M_Z_SPEED"},     {31, "M_HOKAN_FLAG"},
    {32, "M_OBJ_OFS_X"}, {33, "M_OBJ_OFS_Y"}, {34, "M_OBJ_OFS_Z"},   {35, "M_OBJ_W"},
    {36, "M_OBJ_H"},     {37, "M_OBJ_D"},     {38, "M_PARTS_POS_Y"}, {39, "M_SCA_OLD_X"},
    {40, "M_SCA_OLD_Z"}, {41, "M_FREE0"},     {42, "M_FREE1"},       {43, "M_DAMAGE_CNT"},
};
const ValueName kVariables[] = {
    {2, "V_USED_ITEM"}, {16, "V_TEMP"},     {24, "V_STAGE"}, {25, "V_ROOM"},
    {26, "V_CUT"},      {27, "V_LAST_RDT"}, {29, "V_RNG"},   {32, "V_NEXT_PLD"},
};
const ValueName kComparators[] = {
    {0, "CMP_EQ"}, {1, "CMP_GT"}, {2, "CMP_GE"}, {3, "CMP_LT"}, {4, "CMP_LE"}, {5, "CMP_NE"},
};
const ValueName kOperators[] = {
    {0, "OP_ADD"}, {1, "OP_SUB"}, {2, "OP_MUL"}, {3, "OP_DIV"}, {4, "OP_MOD"},  {5, "OP_OR"},
    {6, "OP_AND"}, {7, "OP_XOR"}, {8, "OP_NOT"}, {9, "OP_LSL"}, {10, "OP_LSR"}, {11, "OP_ASR"},
};
const ValueName kWorkKinds[] = {
    {0, "WK_NONE"},   {1, "WK_PLAYER"}, {2, "WK_SPLAYER"}, {3, "WK_ENEMY"},
    {4, "WK_OBJECT"}, {5, "WK_DOOR"},   {6, "WK_ALL"},
};

const ValueName kSatBits[] = {
    {0x01, "SAT_PL"},     {0x02, "SAT_EM"},    {0x04, "SAT_SPL"},   {0x08, "SAT_OB"},
    {0x10, "SAT_MANUAL"}, {0x20, "SAT_FRONT"}, {0x40, "SAT_UNDER"},
};
const ValueName kAiBits[] = {
    {0x01, "AI_01"}, {0x02, "AI_02"}, {0x04, "AI_04"}, {0x08, "AI_08"},
    {0x10, "AI_10"}, {0x20, "AI_20"}, {0x40, "AI_40"}, {0x80, "AI_INACTIVE"},
};
// The parts of the item flags: the floor and fast bits, then the glints.
const ValueName kItemFlags[] = {
    {0x01, "IF_FLOOR"},      {0x10, "IF_FAST"},      {0xA0, "IF_GLINT_GRAY"},
    {0xC0, "IF_GLINT_BLUE"}, {0xE0, "IF_GLINT_RED"},
};
const ValueName kKeyLocks[] = {{0, "UNLOCKED"}, {254, "UNLOCK"}, {255, "LOCKED"}};
const ValueName kBgmChannels[] = {
    {0, "BGM_CHANNEL_MAIN"}, {1, "BGM_CHANNEL_SUB0"}, {2, "BGM_CHANNEL_SUB1"}};
const ValueName kBgmOps[] = {
    {0, "BGM_OP_NOP"},     {1, "BGM_OP_START"}, {2, "BGM_OP_STOP"},
    {3, "BGM_OP_RESTART"}, {4, "BGM_OP_PAUSE"}, {5, "BGM_OP_FADEOUT"},
};
const ValueName kBgmTypes[] = {
    {0, "BGM_TYPE_MAIN_VOL"},
    {1, "BGM_TYPE_PROG0_VOL"},
    {2, "BGM_TYPE_PROG1_VOL"},
    {3, "BGM_TYPE_PROG2_VOL"},
};
const ValueName kGosubMarkers[] = {{0x18, "I_GOSUB"}};

const FlagName kFlagNames[] = {
    {0, 25, "F_DIFFICULT"}, {1, 0, "F_PLAYER"},    {1, 1, "F_SCENARIO"},   {1, 5, "F_EASY"},
    {1, 6, "F_BONUS"},      {1, 27, "F_CUTSCENE"}, {11, 31, "F_QUESTION"},
};

using M = Meaning;
using S = Style;
using F = RoomFact;

// In the order of Meaning.
const MeaningRow kMeaningRows[kMeanings] = {
    {"a number", "", S::Table, {}},
    {"a flag group", "Flag groups (Ck, Set, flag-change areas)", S::Table, kFlagGroups},
    {"a flag index", "Flag indexes, by their group (in FG_USE, items name them)", S::FlagIndex, {}},
    {"a scene type", "Scene types of areas (Aot_set and the other area records)", S::Table,
     kSceTypes},
    {"a set of area attributes", "Area attributes, bits joined by |", S::Bits, kSatBits, nullptr,
     "SAT_AUTO"},
    {"an area id", "Area ids", S::Numbered, {}, "ID_AOT_"},
    {"an object id", "Object ids", S::Numbered, {}, "ID_OBJ_"},
    {"an enemy slot", "Enemy slots", S::Numbered, {}, "ID_EM_"},
    {"a message id", "Message ids", S::Numbered, {}, "ID_MSG_"},
    {"a sound bank", "Sound banks", S::Numbered, {}, "SBK_"},
    {"an item", "Items", S::Table, kItems, "ITEM_"},
    {"a set of item flags", "Item flags: a glint, IF_FAST and IF_FLOOR joined by |", S::ItemFlags,
     kItemFlags, nullptr, "IF_DEFAULT"},
    {"a key or lock", "Keys and locks of doors (other values are items)", S::KeyLock, kKeyLocks},
    {"an enemy type", "Enemy types", S::Table, kEnemyTypes, "ENEMY_"},
    {"a set of AI bits", "Enemy AI bits, joined by |", S::Bits, kAiBits, nullptr, "AI_DEFAULT"},
    {"an entity member", "Entity members (of the entity that Work_set selects)", S::Table,
     kMembers},
    {"a variable", "Variables", S::Table, kVariables, "V_"},
    {"a comparator", "Comparators", S::Table, kComparators},
    {"an operator", "Operators", S::Table, kOperators},
    {"a work kind", "Work kinds (Work_set)", S::Table, kWorkKinds},
    {"a BGM channel", "BGM channels", S::Table, kBgmChannels},
    {"a BGM operation", "BGM operations", S::Table, kBgmOps},
    {"a BGM type", "BGM types", S::Table, kBgmTypes},
    {"a procedure", "", S::Procedure, {}},
    {"the gosub marker", "The gosub marker before a procedure (Evt_exec, Evt_chain, events)",
     S::Table, kGosubMarkers},
    {"a value of an area", "", S::Plain, {}},
    {"an X position", "", S::Plain, {}},
    {"a Y position", "", S::Plain, {}},
    {"a Z position", "", S::Plain, {}},
    {"a direction", "", S::Plain, {}},
    {"a next stage", "", S::Plain, {}},
    {"a next room", "", S::Plain, {}},
    {"a next camera", "", S::Plain, {}},
    {"a next floor", "", S::Plain, {}},
    {"a lock id", "", S::Plain, {}},
    {"an amount", "", S::Plain, {}},
};

// Scene types and the marker that the conditions of the area records test.
constexpr std::uint8_t kAuto = 0, kItem = 2, kMessage = 4, kEvent = 5, kFlagChange = 6;
constexpr When Sce(std::uint8_t type) {
    return {2, type};
}
constexpr When SceMarked(std::uint8_t type, std::uint8_t markerAt) {
    return {2, type, markerAt, kGosubMarker};
}

// The area records' event data: a message, a flag change (group, index) or
// an event (marker, procedure) by the scene type, from `d0` on.
#define QUILLON_AREA_DATA(op, d0)                                                                  \
    {op, d0, M::MessageId, Sce(kMessage)}, {op, d0, M::FlagGroup, Sce(kFlagChange)},               \
        {op, d0 + 2, M::GosubMarker, Sce(kEvent)},                                                 \
        {op, d0 + 2, M::FlagIndex, Sce(kFlagChange), d0},                                          \
        {op, d0 + 2, M::GosubMarker, SceMarked(kAuto, d0 + 2)},                                    \
        {op, d0 + 3, M::Procedure, SceMarked(kAuto, d0 + 2)}, {                                    \
        op, d0 + 3, M::Procedure, SceMarked(kEvent, d0 + 2)                                        \
    }
#define QUILLON_AREA_HEAD(op)                                                                      \
    {op, 1, M::AotId}, {op, 2, M::SceType}, {                                                      \
        op, 3, M::SatBits                                                                          \
    }
// The area of a placing record: four 16-bit values from offset 6, eight in
// the records of four points.
#define QUILLON_AREA(op)                                                                           \
    {op, 6, M::Area}, {op, 8, M::Area}, {op, 10, M::Area}, {                                       \
        op, 12, M::Area                                                                            \
    }
#define QUILLON_AREA_4P(op)                                                                        \
    QUILLON_AREA(op), {op, 14, M::Area}, {op, 16, M::Area}, {op, 18, M::Area}, {                   \
        op, 20, M::Area                                                                            \
    }
// A door's target after its area, from `at`: next X, Y, Z and direction
// (16-bit), then one byte each: next stage, room, camera and floor, texture,
// door type, knock sound, lock id, key/lock and a free byte.
#define QUILLON_DOOR_TARGET(op, at)                                                                \
    {op, at, M::X}, {op, at + 2, M::Y}, {op, at + 4, M::Z}, {op, at + 6, M::Direction},            \
        {op, at + 8, M::NextStage, {}, 0, F::Door}, {op, at + 9, M::NextRoom},                     \
        {op, at + 10, M::NextCamera}, {op, at + 11, M::NextFloor}, {op, at + 15, M::LockId}, {     \
        op, at + 16, M::KeyLock                                                                    \
    }

const Position kPositions[] = {
    {0x03, 2, M::GosubMarker}, // Evt_chain
    {0x03, 3, M::Procedure},
    {0x04, 2, M::GosubMarker}, // Evt_exec
    {0x04, 3, M::Procedure},
    {0x13, 1, M::Variable},                         // switch
    {0x18, 1, M::Procedure},                        // Gosub
    {0x21, 1, M::FlagGroup, {}, 0, F::FlagChecked}, // Ck
    {0x21, 2, M::FlagIndex, {}, 1},
    {0x22, 1, M::FlagGroup, {}, 0, F::FlagChanged}, // Set
    {0x22, 2, M::FlagIndex, {}, 1},
    {0x23, 2, M::Variable}, // Cmp
    {0x23, 3, M::Comparator},
    {0x24, 1, M::Variable}, // Save
    {0x25, 1, M::Variable}, // Copy
    {0x25, 2, M::Variable},
    {0x26, 2, M::Operator}, // Calc
    {0x26, 3, M::Variable},
    {0x27, 1, M::Operator}, // Calc2
    {0x27, 2, M::Variable},
    {0x27, 3, M::Variable},
    {0x2B, 2, M::MessageId, {}, 0, F::Message}, // Message_on
    QUILLON_AREA_HEAD(0x2C),                    // Aot_set
    QUILLON_AREA_DATA(0x2C, 14),
    {0x2D, 1, M::ObjectId}, // Obj_model_set
    {0x2E, 1, M::WorkKind}, // Work_set: the id of an enemy or an object
    {0x2E, 2, M::EnemySlot, {1, 3}},
    {0x2E, 2, M::ObjectId, {1, 4}},
    {0x34, 1, M::Member}, // Member_set
    {0x35, 1, M::Member}, // Member_set2
    {0x35, 2, M::Variable},
    QUILLON_AREA_HEAD(0x3B), // Door_aot_set
    QUILLON_AREA(0x3B),
    QUILLON_DOOR_TARGET(0x3B, 14),
    {0x3D, 1, M::Variable}, // Member_copy
    {0x3D, 2, M::Member},
    {0x3E, 2, M::Member}, // Member_cmp
    {0x3E, 3, M::Comparator},
    {0x44, 2, M::EnemySlot}, // Sce_em_set
    {0x44, 3, M::EnemyType, {}, 0, F::Enemy},
    {0x44, 5, M::AiBits},
    {0x44, 7, M::SoundBank},
    {0x44, 10, M::X}, // Y is the floor's height
    {0x44, 12, M::Y},
    {0x44, 14, M::Z},
    {0x44, 16, M::Direction},
    QUILLON_AREA_HEAD(0x46), // Aot_reset: an item is 16-bit, as in Item_aot_set
    {0x46, 4, M::Item, Sce(kItem)},
    QUILLON_AREA_DATA(0x46, 4),
    {0x47, 1, M::AotId},     // Aot_on
    QUILLON_AREA_HEAD(0x4E), // Item_aot_set
    QUILLON_AREA(0x4E),
    {0x4E, 14, M::Item, {}, 0, F::Item},
    {0x4E, 16, M::Amount},
    {0x4E, 20, M::ObjectId},
    {0x4E, 21, M::ItemFlags},
    {0x51, 1, M::BgmChannel}, // Sce_bgm_control
    {0x51, 2, M::BgmOp},
    {0x51, 3, M::BgmType},
    {0x55, 1, M::Operator},  // Member_calc
    {0x56, 1, M::Operator},  // Member_calc2
    {0x5E, 1, M::Item},      // Keep_Item_ck
    {0x62, 1, M::Item},      // Sce_Item_lost
    QUILLON_AREA_HEAD(0x67), // Aot_set_4p
    QUILLON_AREA_DATA(0x67, 22),
    QUILLON_AREA_HEAD(0x68), // Door_aot_set_4p
    QUILLON_AREA_4P(0x68),
    QUILLON_DOOR_TARGET(0x68, 22),
    QUILLON_AREA_HEAD(0x69), // Item_aot_set_4p
    QUILLON_AREA_4P(0x69),
    {0x69, 22, M::Item, {}, 0, F::Item},
    {0x69, 24, M::Amount},
    {0x69, 28, M::ObjectId},
    {0x69, 29, M::ItemFlags},
    {0x76, 1, M::Item}, // Sce_Item_get
    {0x88, 1, M::Item}, // Sce_Item_ck_Lost
};
#undef QUILLON_AREA_DATA
#undef QUILLON_AREA_HEAD
#undef QUILLON_AREA
#undef QUILLON_AREA_4P
#undef QUILLON_DOOR_TARGET

} // namespace

const MeaningRow& MeaningOf(Meaning m) {
    return kMeaningRows[static_cast<int>(m)];
}

std::span<const Position> RetailPositions() {
    return kPositions;
}

std::span<const FlagName> RetailFlagNames() {
    return kFlagNames;
}

} // namespace quillon
