// The web of a set of rooms: each room's facts, and across the rooms the
// door graph (doors to rooms outside the set, one-way doors), every flag
// with the places that check it and those that change it, every item with
// the places that put it, every enemy type with its places; and the checks
// of a set after an edit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/atlas/facts.h"
#include "codec/atlas/room_id.h"

namespace quillon::atlas {

struct Room {
    RoomId id;
    std::vector<Fact> facts;
};

// A fact of the web: its room's index and its own in that room.
struct Ref {
    std::size_t room = 0, fact = 0;
};

struct Door {
    Ref ref;
    RoomId target;       // the next stage byte plus 1, the next room, the room's player
    bool inSet = false;  // the target is a room of the set
    bool oneWay = false; // in the set, and no door of it leads back
};

struct FlagUses {
    std::uint8_t group = 0, index = 0;
    std::vector<Ref> checks, changes;
};

// The places of one value: an item, an enemy type.
struct Places {
    std::int32_t value = 0;
    std::vector<Ref> refs;
};

struct Web {
    std::vector<Room> rooms; // by their ids
    std::vector<Door> doors; // by room, then in the order of their facts
    std::vector<FlagUses> flags;
    std::vector<Places> items, enemies; // by value
    const Fact& At(const Ref& r) const { return rooms[r.room].facts[r.fact]; }
};

// The web of `rooms` (each id once).
Web Weave(std::vector<Room> rooms);

// A warning of the checks, at a fact.
struct Warning {
    Ref ref;
    std::string text;
};
// Doors whose target is not in the set; flags checked and changed nowhere
// in the set, and flags changed and checked nowhere (each once, at its
// first place).
std::vector<Warning> Check(const Web& web);

// The name of `value` of meaning `m` as exact texts print it (a flag
// index's group is `group`), or the number.
std::string ValueText(Meaning m, std::int32_t value, std::uint8_t group = 0);
// "FG_SCENARIO, 18": a flag as a Ck or a Set names it.
std::string FlagText(std::uint8_t group, std::uint8_t index);

} // namespace quillon::atlas
