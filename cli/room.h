// Room files (.rdt) in the command-line tool: `quillon extract` and
// `quillon inject`, and the rooms that disassemble, compile and verify take
// under --exact. A room's chunks and texts are named after its title:
// ROOM.init.scd and ROOM.main.scd, ROOM.init.c and ROOM.main.c.
#pragma once

#include <string>

#include "cli/options.h"

namespace quillon::cli {

// Whether `file` names a room file: its extension is .rdt, in any case.
bool IsRoomFile(const std::string& file);

// `quillon extract` and `quillon inject`; each returns the exit status.
int RunExtract(const Options& options);
int RunInject(const Options& options);

// `disassemble --exact` or `compile --exact` of one room file; false after a
// failure, which it has reported.
bool ConvertRoom(const Options& options, const std::string& room);

// `verify --exact` of one room file: prints its result.
enum class RoomCheck { Identical, Differ, Failed };
RoomCheck VerifyRoom(const Options& options, const std::string& room);

} // namespace quillon::cli
