// The atlas as JSON, its keys those of docs/atlas.schema.json.
#include "cli/atlas_report.h"

#include "codec/base/text.h"

namespace quillon::cli {

namespace {

using atlas::Fact;
using atlas::Ref;
using M = Meaning;

std::string Quoted(std::string_view s) {
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += FormatText("\\u%04x", c);
        } else {
            out += c;
        }
    }
    return out + '"';
}

// {"value": 52, "name": "ITEM_RED_CARD"}
std::string Named(M m, std::int32_t value, std::uint8_t group = 0) {
    return FormatText("{\"value\": %d, \"name\": ", value) +
           Quoted(atlas::ValueText(m, value, group)) + "}";
}

std::string Room(const atlas::RoomId& id) {
    return FormatText("{\"label\": \"%s\", \"title\": \"%s\", \"stage\": %d, \"room\": %d, "
                      "\"player\": %d}",
                      Label(id).c_str(), Title(id).c_str(), id.stage, id.room, id.player);
}

std::string Place(const AtlasReport& r, const Ref& ref) {
    const atlas::Place& p = r.web.At(ref).place;
    return FormatText("{\"room\": \"%s\", \"file\": ", Label(r.web.rooms[ref.room].id).c_str()) +
           Quoted(r.FileOf(ref)) +
           FormatText(", \"chunk\": \"%s\", \"procedure\": %d, \"offset\": %d, \"line\": %d, "
                      "\"column\": %d, \"conditional\": %s}",
                      ChunkName(p), p.procedure, p.at, p.line, p.column,
                      p.conditional ? "true" : "false");
}

std::string Area(const Fact& f) {
    std::string s = "[";
    for (int k = 0; k < f.areaCount; ++k) s += (k ? ", " : "") + std::to_string(f.area[k]);
    return s + "]";
}

std::string Flag(std::uint8_t group, std::uint8_t index) {
    return FormatText("\"group\": %d, \"index\": %d, \"name\": ", group, index) +
           Quoted(atlas::FlagText(group, index));
}

// The fields of a fact after its place.
std::string Fields(const Fact& f, const atlas::RoomId& room) {
    switch (f.kind) {
    case RoomFact::Door:
        return ", \"target\": " + Room({f.Get(M::NextStage) + 1, f.Get(M::NextRoom), room.player}) +
               FormatText(", \"camera\": %d, \"floor\": %d, \"next\": {\"x\": %d, \"y\": %d, "
                          "\"z\": %d, \"direction\": %d}, \"lock\": %d, \"key\": ",
                          f.Get(M::NextCamera), f.Get(M::NextFloor), f.Get(M::X), f.Get(M::Y),
                          f.Get(M::Z), f.Get(M::Direction), f.Get(M::LockId)) +
               Named(M::KeyLock, f.Get(M::KeyLock)) + ", \"area\": " + Area(f);
    case RoomFact::Item:
        return ", \"item\": " + Named(M::Item, f.Get(M::Item)) +
               FormatText(", \"amount\": %d, \"area\": ", f.Get(M::Amount)) + Area(f);
    case RoomFact::Enemy:
        return ", \"type\": " + Named(M::EnemyType, f.Get(M::EnemyType)) +
               FormatText(", \"x\": %d, \"y\": %d, \"z\": %d, \"direction\": %d", f.Get(M::X),
                          f.Get(M::Y), f.Get(M::Z), f.Get(M::Direction));
    case RoomFact::FlagChecked:
    case RoomFact::FlagChanged:
        return ", " + Flag(static_cast<std::uint8_t>(f.Get(M::FlagGroup)),
                           static_cast<std::uint8_t>(f.Get(M::FlagIndex)));
    case RoomFact::Message: return FormatText(", \"message\": %d", f.Get(M::MessageId));
    case RoomFact::None: break;
    }
    return "";
}

std::string Places(const AtlasReport& r, const std::vector<Ref>& refs) {
    std::string s = "[";
    for (std::size_t k = 0; k < refs.size(); ++k) s += (k ? ", " : "") + Place(r, refs[k]);
    return s + "]";
}

} // namespace

std::string AtlasJson(const AtlasReport& r) {
    static const struct {
        RoomFact kind;
        const char* key;
    } kLists[] = {
        {RoomFact::Door, "doors"},
        {RoomFact::Item, "items"},
        {RoomFact::Enemy, "enemies"},
        {RoomFact::FlagChecked, "flags_checked"},
        {RoomFact::FlagChanged, "flags_changed"},
        {RoomFact::Message, "messages"},
    };
    std::string out = "{\n  \"rooms\": [";
    for (std::size_t k = 0; k < r.web.rooms.size(); ++k) {
        const atlas::Room& room = r.web.rooms[k];
        out += (k ? ",\n    {" : "\n    {") + FormatText("\"room\": ") + Room(room.id);
        out += ", \"files\": {\"init\": " + Quoted(r.files[k][0]) +
               ", \"main\": " + Quoted(r.files[k][1]) + "}";
        for (const auto& list : kLists) {
            out += FormatText(",\n      \"%s\": [", list.key);
            bool first = true;
            for (std::size_t j = 0; j < room.facts.size(); ++j) {
                const Fact& f = room.facts[j];
                if (f.kind != list.kind) continue;
                out += (first ? "\n        {" : ",\n        {") + FormatText("\"place\": ") +
                       Place(r, {k, j}) + Fields(f, room.id) + "}";
                first = false;
            }
            out += first ? "]" : "\n      ]";
        }
        out += "}";
    }
    out += "\n  ],\n  \"doors\": [";
    for (std::size_t k = 0; k < r.web.doors.size(); ++k) {
        const atlas::Door& d = r.web.doors[k];
        out +=
            (k ? ",\n    {" : "\n    {") + FormatText("\"from\": ") +
            Room(r.web.rooms[d.ref.room].id) + ", \"to\": " + Room(d.target) +
            ", \"key\": " + Named(M::KeyLock, r.web.At(d.ref).Get(M::KeyLock)) +
            FormatText(", \"in_set\": %s, \"one_way\": %s, \"place\": ", d.inSet ? "true" : "false",
                       d.oneWay ? "true" : "false") +
            Place(r, d.ref) + "}";
    }
    out += "\n  ],\n  \"flags\": [";
    for (std::size_t k = 0; k < r.web.flags.size(); ++k) {
        const atlas::FlagUses& f = r.web.flags[k];
        out += (k ? ",\n    {" : "\n    {") + Flag(f.group, f.index) +
               ", \"checked\": " + Places(r, f.checks) + ", \"changed\": " + Places(r, f.changes) +
               "}";
    }
    // Each value with its places: {"item": {...}, "places": [...]}.
    const auto values = [&](const std::vector<atlas::Places>& list, M m, const char* key,
                            const char* each) {
        out += FormatText("\n  ],\n  \"%s\": [", key);
        for (std::size_t k = 0; k < list.size(); ++k)
            out += (k ? ",\n    {" : "\n    {") + FormatText("\"%s\": ", each) +
                   Named(m, list[k].value) + ", \"places\": " + Places(r, list[k].refs) + "}";
    };
    values(r.web.items, M::Item, "items", "item");
    values(r.web.enemies, M::EnemyType, "enemies", "type");
    out += "\n  ],\n  \"failures\": [";
    for (std::size_t k = 0; k < r.failures.size(); ++k)
        out += (k ? ",\n    {\"file\": " : "\n    {\"file\": ") + Quoted(r.failures[k].file) +
               ", \"reason\": " + Quoted(r.failures[k].reason) + "}";
    out += "\n  ]\n}\n";
    return out;
}

} // namespace quillon::cli
