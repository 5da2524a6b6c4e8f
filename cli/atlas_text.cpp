// The atlas as tables a person reads: each room's facts, then the web.
#include <algorithm>
#include <utility>

#include "cli/atlas_report.h"
#include "codec/base/text.h"

namespace quillon::cli {

namespace {

using atlas::Fact;
using atlas::Ref;

std::string Where(const Fact& f) {
    return FormatText("%s Sub%02d line %d", ChunkName(f.place), f.place.procedure, f.place.line) +
           (f.place.conditional ? " (under a condition)" : "");
}

std::string Area(const Fact& f) {
    std::string s = "area";
    for (int k = 0; k < f.areaCount; ++k) s += (k ? ", " : " ") + std::to_string(f.area[k]);
    return s;
}

std::string What(const Fact& f, const atlas::RoomId& room) {
    using M = Meaning;
    switch (f.kind) {
    case RoomFact::Door: {
        const atlas::RoomId to{f.Get(M::NextStage) + 1, f.Get(M::NextRoom), room.player};
        const std::string key = KeyText(f);
        return FormatText("to %s camera %d floor %d, at %d, %d, %d facing %d", Label(to).c_str(),
                          f.Get(M::NextCamera), f.Get(M::NextFloor), f.Get(M::X), f.Get(M::Y),
                          f.Get(M::Z), f.Get(M::Direction)) +
               (key.empty() ? "" : ", key " + key) +
               (f.Get(M::LockId) ? FormatText(", lock %d", f.Get(M::LockId)) : "");
    }
    case RoomFact::Item:
        return atlas::ValueText(M::Item, f.Get(M::Item)) + FormatText(" x%d, ", f.Get(M::Amount)) +
               Area(f);
    case RoomFact::Enemy:
        return atlas::ValueText(M::EnemyType, f.Get(M::EnemyType)) +
               FormatText(" at %d, %d, %d facing %d", f.Get(M::X), f.Get(M::Y), f.Get(M::Z),
                          f.Get(M::Direction));
    case RoomFact::FlagChecked:
    case RoomFact::FlagChanged:
        return atlas::FlagText(static_cast<std::uint8_t>(f.Get(M::FlagGroup)),
                               static_cast<std::uint8_t>(f.Get(M::FlagIndex)));
    case RoomFact::Message: return FormatText("message %d", f.Get(M::MessageId));
    case RoomFact::None: break;
    }
    return "";
}

// "1-00 (main line 12)" for each place.
std::string Places(const AtlasReport& r, const std::vector<Ref>& refs) {
    std::string s;
    for (const Ref& ref : refs) {
        const Fact& f = r.web.At(ref);
        s += (s.empty() ? "" : ", ") + Label(r.web.rooms[ref.room].id) +
             FormatText(" (%s line %d)", ChunkName(f.place), f.place.line);
    }
    return s;
}

} // namespace

std::string AtlasText(const AtlasReport& r) {
    std::string out =
        FormatText("%zu room%s\n", r.web.rooms.size(), r.web.rooms.size() == 1 ? "" : "s");
    for (std::size_t k = 0; k < r.web.rooms.size(); ++k) {
        const atlas::Room& room = r.web.rooms[k];
        out += "\nroom " + Label(room.id) + " (" + Title(room.id) + ")\n";
        for (const FactList& section : kFactLists) {
            // Two columns: what, then where, aligned within the section.
            std::vector<std::pair<std::string, std::string>> rows;
            std::size_t width = 0;
            for (const Fact& f : room.facts)
                if (f.kind == section.kind) {
                    rows.emplace_back(What(f, room.id), Where(f));
                    width = std::max(width, rows.back().first.size());
                }
            if (rows.empty()) continue;
            out += FormatText("  %s\n", section.heading);
            for (const auto& [what, where] : rows)
                out += "    " + what + std::string(width - what.size() + 4, ' ') + where + "\n";
        }
    }
    out += "\ndoor graph\n";
    for (const atlas::Door& d : r.web.doors) {
        const std::string key = KeyText(r.web.At(d.ref));
        out += "  " + Label(r.web.rooms[d.ref.room].id) + " -> " + Label(d.target) +
               (key.empty() ? "" : " (key " + key + ")") +
               (!d.inSet   ? " (outside the set)"
                : d.oneWay ? " (one-way)"
                           : "") +
               "\n";
    }
    out += "\nflags\n";
    for (const atlas::FlagUses& f : r.web.flags) {
        out += "  " + atlas::FlagText(f.group, f.index) + "\n";
        out += "    checked: " + (f.checks.empty() ? "nowhere" : Places(r, f.checks)) + "\n";
        out += "    changed: " + (f.changes.empty() ? "nowhere" : Places(r, f.changes)) + "\n";
    }
    out += "\nitems\n";
    for (const atlas::Places& p : r.web.items)
        out += "  " + atlas::ValueText(Meaning::Item, p.value) + ": " + Places(r, p.refs) + "\n";
    out += "\nenemies\n";
    for (const atlas::Places& p : r.web.enemies)
        out +=
            "  " + atlas::ValueText(Meaning::EnemyType, p.value) + ": " + Places(r, p.refs) + "\n";
    return out;
}

const char* ChunkName(const atlas::Place& place) {
    return room::NameOf(place.script);
}

std::string KeyText(const atlas::Fact& door) {
    const std::int32_t key = door.Get(Meaning::KeyLock);
    return key == 0 ? "" : atlas::ValueText(Meaning::KeyLock, key);
}

} // namespace quillon::cli
