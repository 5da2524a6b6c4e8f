#include "codec/atlas/web.h"

#include <algorithm>
#include <map>

#include "codec/base/text.h"
#include "codec/exact/naming.h"

namespace quillon::atlas {

namespace {

RoomId TargetOf(const Fact& door, const RoomId& from) {
    return {door.Get(Meaning::NextStage) + 1, door.Get(Meaning::NextRoom), from.player};
}

void Add(std::map<std::int32_t, std::vector<Ref>>& places, std::int32_t value, Ref r) {
    places[value].push_back(r);
}

std::vector<Places> Listed(const std::map<std::int32_t, std::vector<Ref>>& places) {
    std::vector<Places> out;
    for (const auto& [value, refs] : places) out.push_back({value, refs});
    return out;
}

} // namespace

Web Weave(std::vector<Room> rooms) {
    Web web;
    web.rooms = std::move(rooms);
    std::sort(web.rooms.begin(), web.rooms.end(),
              [](const Room& a, const Room& b) { return a.id < b.id; });
    std::map<RoomId, std::size_t> index;
    for (std::size_t k = 0; k < web.rooms.size(); ++k) index[web.rooms[k].id] = k;
    std::map<std::pair<int, int>, FlagUses> flags;
    std::map<std::int32_t, std::vector<Ref>> items, enemies;
    for (std::size_t r = 0; r < web.rooms.size(); ++r) {
        const Room& room = web.rooms[r];
        for (std::size_t k = 0; k < room.facts.size(); ++k) {
            const Fact& f = room.facts[k];
            const Ref ref{r, k};
            switch (f.kind) {
            case RoomFact::Door:
                web.doors.push_back({ref, TargetOf(f, room.id)});
                web.doors.back().inSet = index.count(web.doors.back().target) > 0;
                break;
            case RoomFact::Item: Add(items, f.Get(Meaning::Item), ref); break;
            case RoomFact::Enemy: Add(enemies, f.Get(Meaning::EnemyType), ref); break;
            case RoomFact::FlagChecked:
            case RoomFact::FlagChanged: {
                const auto group = static_cast<std::uint8_t>(f.Get(Meaning::FlagGroup));
                const auto flag = static_cast<std::uint8_t>(f.Get(Meaning::FlagIndex));
                FlagUses& uses = flags[{group, flag}];
                uses.group = group;
                uses.index = flag;
                (f.kind == RoomFact::FlagChecked ? uses.checks : uses.changes).push_back(ref);
                break;
            }
            case RoomFact::Message:
            case RoomFact::None: break;
            }
        }
    }
    // A door is one-way when its target is in the set and no door of the
    // target leads back to its room.
    std::map<std::pair<RoomId, RoomId>, bool> links;
    for (const Door& d : web.doors) links[{web.rooms[d.ref.room].id, d.target}] = true;
    for (Door& d : web.doors)
        d.oneWay = d.inSet && !links.count({d.target, web.rooms[d.ref.room].id});
    for (auto& [key, uses] : flags) web.flags.push_back(std::move(uses));
    web.items = Listed(items);
    web.enemies = Listed(enemies);
    return web;
}

std::vector<Warning> Check(const Web& web) {
    std::vector<Warning> out;
    for (const Door& d : web.doors)
        if (!d.inSet)
            out.push_back({d.ref, "the door leads to room " + Label(d.target) + " (" +
                                      Title(d.target) + "), which is not in the set"});
    for (const FlagUses& f : web.flags) {
        const std::string flag = FlagText(f.group, f.index);
        if (f.changes.empty())
            out.push_back({f.checks[0], FormatText("the flag %s is checked here (%zu place%s) but "
                                                   "changed nowhere in the set",
                                                   flag.c_str(), f.checks.size(),
                                                   f.checks.size() == 1 ? "" : "s")});
        else if (f.checks.empty())
            out.push_back({f.changes[0], FormatText("the flag %s is changed here (%zu place%s) "
                                                    "but checked nowhere in the set",
                                                    flag.c_str(), f.changes.size(),
                                                    f.changes.size() == 1 ? "" : "s")});
    }
    std::stable_sort(out.begin(), out.end(), [&](const Warning& a, const Warning& b) {
        const Place &pa = web.At(a.ref).place, &pb = web.At(b.ref).place;
        if (a.ref.room != b.ref.room) return a.ref.room < b.ref.room;
        if (pa.script != pb.script) return pa.script < pb.script;
        return pa.at < pb.at;
    });
    return out;
}

std::string ValueText(Meaning m, std::int32_t value, std::uint8_t group) {
    char name[exact::Naming::kLongestName + 1];
    if (value >= 0 && value <= 0xFF)
        if (const char* end =
                exact::Naming::Builtin().Write(m, static_cast<std::uint32_t>(value), group, name))
            return std::string(static_cast<const char*>(name), end);
    return std::to_string(value);
}

std::string FlagText(std::uint8_t group, std::uint8_t index) {
    return ValueText(Meaning::FlagGroup, group) + ", " +
           ValueText(Meaning::FlagIndex, index, group);
}

} // namespace quillon::atlas
