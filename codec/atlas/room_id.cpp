#include "codec/atlas/room_id.h"

#include "codec/base/text.h"

namespace quillon::atlas {

namespace {

// The stage, room and player digits of "SRRP"; false unless they are valid.
bool Digits(char s, char r1, char r2, char p, RoomId& id) {
    const int high = HexDigitValue(r1), low = HexDigitValue(r2);
    if (s < '1' || s > '7' || high < 0 || low < 0 || (p != '0' && p != '1')) return false;
    id = {s - '0', high * 16 + low, p - '0'};
    return true;
}

} // namespace

bool RoomOfName(std::string_view name, RoomId& id) {
    if (name.size() < 8 || (name.size() > 8 && name[8] != '.')) return false;
    for (int k = 0; k < 4; ++k)
        if ((name[k] | 0x20) != "room"[k]) return false;
    return Digits(name[4], name[5], name[6], name[7], id);
}

bool ParseRoom(std::string_view text, RoomId& id, std::string& reason) {
    if (text.size() != 6 || text[1] != ',' || text[4] != ',' ||
        !Digits(text[0], text[2], text[3], text[5], id)) {
        reason = "the room '" + std::string(text) +
                 "' is not S,RR,P (a stage 1 to 7, a room in two hexadecimal digits, a "
                 "player 0 or 1: 1,0A,0)";
        return false;
    }
    return true;
}

std::string Label(const RoomId& id) {
    return FormatText("%d-%02X", id.stage, id.room) + (id.player ? " p1" : "");
}

std::string Title(const RoomId& id) {
    return FormatText("ROOM%d%02X%d", id.stage, id.room, id.player);
}

} // namespace quillon::atlas
