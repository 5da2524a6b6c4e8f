// What must hold of any bytes taken as a room and any bytes taken as a new
// script chunk, for the room fuzzer and the tests of hostile rooms: a chunk
// that a room gives up is valid and comes back through its exact text byte
// for byte, and putting it back gives the same room; a chunk put in comes
// out as it went in, with the other chunk and the header untouched and the
// file grown by the change in size; a refused change leaves the room as it
// was. Returns what broke, or an empty string.
#pragma once

#include <string>
#include <string_view>

#include "codec/exact/exact.h"
#include "codec/room/room.h"

namespace quillon_test {

inline std::string CheckTakenChunk(const std::string& file, quillon::room::Script script,
                                   const std::string& taken) {
    namespace room = quillon::room;
    std::string same = file, reason, text, again;
    if (!room::ReplaceScript(same, script, taken, reason) || same != file)
        return "putting back what was taken out changed the room: " + reason;
    if (!quillon::exact::DisassembleChunk(taken, text, reason))
        return "an extracted chunk is refused: " + reason;
    if (!quillon::exact::CompileChunk(text, again, {}) || again != taken)
        return "an extracted chunk does not come back";
    return {};
}

inline std::string CheckReplacement(const std::string& file, quillon::room::Script script,
                                    std::string_view chunk) {
    namespace room = quillon::room;
    const room::Script other =
        script == room::Script::Init ? room::Script::Main : room::Script::Init;
    std::string changed = file, reason, otherBefore, otherAfter, back;
    const bool hadOther = room::ExtractScript(file, other, otherBefore, reason);
    if (!room::ReplaceScript(changed, script, chunk, reason))
        return changed == file ? std::string() : "a refused change altered the room";
    if (!room::ExtractScript(changed, script, back, reason) || back != chunk)
        return "the chunk put in does not come out: " + reason;
    if (hadOther != room::ExtractScript(changed, other, otherAfter, reason) ||
        otherAfter != otherBefore)
        return "the other chunk changed: " + reason;
    room::Span before, after;
    if (!room::FindScript(file, script, before, reason) ||
        !room::FindScript(changed, script, after, reason))
        return "the chunk's bounds are lost: " + reason;
    if (changed.compare(0, room::kHeaderSize, file, 0, room::kHeaderSize) != 0 ||
        after.begin != before.begin ||
        changed.size() - chunk.size() != file.size() - (before.end - before.begin))
        return "the room around the chunk changed";
    return {};
}

// Both checks for both scripts.
inline std::string CheckRoom(const std::string& file, std::string_view chunk) {
    for (const quillon::room::Script script : quillon::room::kScripts) {
        std::string taken, reason, broke;
        if (quillon::room::ExtractScript(file, script, taken, reason))
            broke = CheckTakenChunk(file, script, taken);
        if (broke.empty()) broke = CheckReplacement(file, script, chunk);
        if (!broke.empty()) return std::string(quillon::room::NameOf(script)) + ": " + broke;
    }
    return {};
}

} // namespace quillon_test
