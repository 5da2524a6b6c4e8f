// Which room a script belongs to: its stage (1 to 7), its room number and
// its player, as room files are named ("ROOM1000.RDT": stage 1, room 0x00,
// player 0).
#pragma once

#include <compare>
#include <string>
#include <string_view>

namespace quillon::atlas {

struct RoomId {
    int stage = 0;  // 1 to 7
    int room = 0;   // 0x00 to 0xFF
    int player = 0; // 0 or 1
    auto operator<=>(const RoomId&) const = default;
};

// The room that a file's name gives: "ROOM" (any case), the stage digit,
// two hexadecimal digits, the player digit, then the end of the name or a
// dot ("ROOM1000.RDT", "room10a1.main.c"). False when it gives none.
bool RoomOfName(std::string_view fileName, RoomId& id);

// The room of "S,RR,P" (stage, room in hexadecimal, player); false with
// `reason`.
bool ParseRoom(std::string_view text, RoomId& id, std::string& reason);

// "1-0A", and "1-0A p1" for player 1: the label of a room in reports.
std::string Label(const RoomId& id);
// "ROOM10A0": the title of its room file.
std::string Title(const RoomId& id);

} // namespace quillon::atlas
