// The inputs of the atlas: room files (.rdt), script chunks (.scd) and the
// exact texts of rooms (ROOM1000.init.c, ROOM1000.main.c), read into the
// script chunks of their rooms. A text is compiled as compile --exact does
// (its #include lines read beside it), and its facts stand on its own lines.
#pragma once

#include <string>
#include <vector>

#include "codec/atlas/facts.h"
#include "codec/atlas/room_id.h"
#include "codec/room/room.h"

namespace quillon {

// What an input is, by its extension; the later kinds stand before the
// earlier for the same chunk of a room (a modder's text before the room
// file it came from).
enum class AtlasKind { None, RoomFile, Chunk, Text };

// A script chunk of a room, and where it came from.
struct AtlasChunk {
    atlas::RoomId room;
    room::Script script = room::Script::Main;
    AtlasKind kind = AtlasKind::None;
    std::string file; // the input's path
    std::string chunk;
    // A text's: the line and column of the instruction at each chunk
    // offset (empty for the others, whose lines are those that
    // disassemble --exact prints).
    std::vector<atlas::TextPlace> lines;
};

// The kind of the file at `path` by its extension (any case): .rdt, .scd or
// .c; None otherwise.
AtlasKind AtlasKindOf(const std::string& path);

// Whether the file's name gives a room ("ROOM1000.RDT", "ROOM1000.main.c").
bool NamesRoom(const std::string& path);

// Reads the input at `path` into the chunks of its room (both of a room
// file, one of a chunk or a text: init when its name says ".init.", main
// otherwise), its room from its name unless `room` is given. False with
// `reason` (which names no file; a text's errors are "LINE:COLUMN: error:").
bool ReadAtlasInput(const std::string& path, const atlas::RoomId* room,
                    std::vector<AtlasChunk>& chunks, std::string& reason);

} // namespace quillon
