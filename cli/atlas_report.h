// The atlas of a set of rooms as the command reports it: the web and the
// input file of each room's chunks, printed as text, JSON, CSV or a Graphviz
// graph of its doors.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "codec/atlas/web.h"

namespace quillon::cli {

struct AtlasReport {
    atlas::Web web;
    std::vector<std::array<std::string, 2>> files; // per room: its init and main chunk's input
    struct Failure {
        std::string file, reason;
    };
    std::vector<Failure> failures; // inputs that could not be read
    int folderFailures = 0;        // folders that could not be read

    const std::string& FileOf(const atlas::Ref& r) const {
        return files[r.room][static_cast<int>(web.At(r).place.script)];
    }
};

// A room's lists of facts, in the order that the reports give them: each
// kind with its key in the JSON and its heading in the text.
struct FactList {
    RoomFact kind;
    const char* key;
    const char* heading;
};
inline constexpr FactList kFactLists[] = {
    {RoomFact::Door, "doors", "doors"},
    {RoomFact::Item, "items", "items"},
    {RoomFact::Enemy, "enemies", "enemies"},
    {RoomFact::FlagChecked, "flags_checked", "flags checked"},
    {RoomFact::FlagChanged, "flags_changed", "flags changed"},
    {RoomFact::Message, "messages", "messages"},
};

// "init" or "main".
const char* ChunkName(const atlas::Place& place);
// The key of a door: "" when it is unlocked (0), else its name (LOCKED, an item).
std::string KeyText(const atlas::Fact& door);

std::string AtlasText(const AtlasReport& report);
std::string AtlasJson(const AtlasReport& report);
// One table: doors, items, enemies, flags or messages.
std::string AtlasCsv(const AtlasReport& report, std::string_view table);
// The door graph: rooms grouped by stage, doors as edges.
std::string AtlasDot(const AtlasReport& report);

} // namespace quillon::cli
