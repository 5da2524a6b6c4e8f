// The atlas as one CSV table (RFC 4180: CR LF, fields with a comma or a
// quote quoted): doors, items, enemies, flags or messages, one row per fact.
#include "cli/atlas_report.h"

#include "codec/base/text.h"

namespace quillon::cli {

namespace {

using atlas::Fact;
using M = Meaning;

std::string Field(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string out = "\"";
    for (const char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + '"';
}

std::string Area(const Fact& f) {
    std::string s;
    for (int k = 0; k < f.areaCount; ++k) s += (k ? " " : "") + std::to_string(f.area[k]);
    return s;
}

struct Table {
    const char* name;
    RoomFact kinds[2];
    const char* columns; // after the place's
};
const Table kTables[] = {
    {"doors",
     {RoomFact::Door, RoomFact::Door},
     "target,camera,floor,x,y,z,direction,lock,key,in_set,one_way,area"},
    {"items", {RoomFact::Item, RoomFact::Item}, "item,item_name,amount,area"},
    {"enemies", {RoomFact::Enemy, RoomFact::Enemy}, "type,type_name,x,y,z,direction"},
    {"flags", {RoomFact::FlagChecked, RoomFact::FlagChanged}, "use,group,index,flag"},
    {"messages", {RoomFact::Message, RoomFact::Message}, "message"},
};

std::string Row(const AtlasReport& r, const atlas::Ref& ref, const atlas::Door* door) {
    const Fact& f = r.web.At(ref);
    switch (f.kind) {
    case RoomFact::Door:
        return Label(door->target) +
               FormatText(",%d,%d,%d,%d,%d,%d,%d,", f.Get(M::NextCamera), f.Get(M::NextFloor),
                          f.Get(M::X), f.Get(M::Y), f.Get(M::Z), f.Get(M::Direction),
                          f.Get(M::LockId)) +
               Field(atlas::ValueText(M::KeyLock, f.Get(M::KeyLock))) +
               (door->inSet ? ",yes" : ",no") + (door->oneWay ? ",yes," : ",no,") + Area(f);
    case RoomFact::Item:
        return FormatText("%d,", f.Get(M::Item)) + atlas::ValueText(M::Item, f.Get(M::Item)) +
               FormatText(",%d,", f.Get(M::Amount)) + Area(f);
    case RoomFact::Enemy:
        return FormatText("%d,", f.Get(M::EnemyType)) +
               atlas::ValueText(M::EnemyType, f.Get(M::EnemyType)) +
               FormatText(",%d,%d,%d,%d", f.Get(M::X), f.Get(M::Y), f.Get(M::Z),
                          f.Get(M::Direction));
    case RoomFact::FlagChecked:
    case RoomFact::FlagChanged: {
        const auto group = static_cast<std::uint8_t>(f.Get(M::FlagGroup));
        const auto index = static_cast<std::uint8_t>(f.Get(M::FlagIndex));
        return FormatText("%s,%d,%d,", f.kind == RoomFact::FlagChecked ? "checked" : "changed",
                          group, index) +
               Field(atlas::FlagText(group, index));
    }
    case RoomFact::Message: return std::to_string(f.Get(M::MessageId));
    case RoomFact::None: break;
    }
    return "";
}

} // namespace

std::string AtlasCsv(const AtlasReport& r, std::string_view name) {
    const Table* table = nullptr;
    for (const Table& t : kTables)
        if (name == t.name) table = &t;
    if (!table) return "";
    std::string out = std::string("room,file,chunk,procedure,offset,line,column,conditional,") +
                      table->columns + "\r\n";
    std::size_t door = 0;
    for (std::size_t k = 0; k < r.web.rooms.size(); ++k) {
        const atlas::Room& room = r.web.rooms[k];
        for (std::size_t j = 0; j < room.facts.size(); ++j) {
            const Fact& f = room.facts[j];
            // The doors of the web are in the order of the rooms' facts.
            const atlas::Door* d = f.kind == RoomFact::Door ? &r.web.doors[door++] : nullptr;
            if (f.kind != table->kinds[0] && f.kind != table->kinds[1]) continue;
            const atlas::Ref ref{k, j};
            out +=
                Label(room.id) + "," + Field(r.FileOf(ref)) +
                FormatText(",%s,%d,%d,%d,%d,%s,", ChunkName(f.place), f.place.procedure, f.place.at,
                           f.place.line, f.place.column, f.place.conditional ? "yes" : "no") +
                Row(r, ref, d) + "\r\n";
        }
    }
    return out;
}

} // namespace quillon::cli
