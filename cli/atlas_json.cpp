// The atlas as JSON, its keys those of docs/atlas.schema.json. Written
// straight into one string: a game's atlas holds tens of thousands of places.
#include <charconv>

#include "cli/atlas_report.h"

namespace quillon::cli {

namespace {

using atlas::Fact;
using atlas::Ref;
using M = Meaning;

class Json {
  public:
    explicit Json(std::string& out) : out_(out) {}
    Json& Raw(std::string_view s) {
        out_ += s;
        return *this;
    }
    // `"key": ` after a comma where something came before in its object.
    Json& Key(std::string_view key) {
        if (out_.back() != '{' && out_.back() != '[' && out_.back() != '\n') out_ += ", ";
        out_ += '"';
        out_ += key;
        return Raw("\": ");
    }
    Json& Int(std::int64_t v) {
        char buffer[24];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
        out_.append(buffer, end);
        return *this;
    }
    Json& Bool(bool v) { return Raw(v ? "true" : "false"); }
    Json& String(std::string_view s) {
        out_ += '"';
        for (const char c : s) {
            if (c == '"' || c == '\\') {
                out_ += '\\';
                out_ += c;
            } else if (static_cast<unsigned char>(c) < 0x20) {
                static const char kHex[] = "0123456789abcdef";
                out_ += "\\u00";
                out_ += kHex[(c >> 4) & 0xF];
                out_ += kHex[c & 0xF];
            } else {
                out_ += c;
            }
        }
        out_ += '"';
        return *this;
    }
    // An element of an array: a comma after the one before.
    Json& Next(bool first) { return Raw(first ? "" : ", "); }

  private:
    std::string& out_;
};

// {"value": 52, "name": "ITEM_RED_CARD"}
void Named(Json& j, M m, std::int32_t value, std::uint8_t group = 0) {
    j.Raw("{").Key("value").Int(value).Key("name").String(atlas::ValueText(m, value, group));
    j.Raw("}");
}

void Room(Json& j, const atlas::RoomId& id) {
    j.Raw("{").Key("label").String(Label(id)).Key("title").String(Title(id));
    j.Key("stage").Int(id.stage).Key("room").Int(id.room).Key("player").Int(id.player).Raw("}");
}

void Place(Json& j, const AtlasReport& r, const Ref& ref) {
    const atlas::Place& p = r.web.At(ref).place;
    j.Raw("{").Key("room").String(Label(r.web.rooms[ref.room].id));
    j.Key("file").String(r.FileOf(ref)).Key("chunk").String(ChunkName(p));
    j.Key("procedure").Int(p.procedure).Key("offset").Int(p.at).Key("line").Int(p.line);
    j.Key("column").Int(p.column).Key("conditional").Bool(p.conditional).Raw("}");
}

void Area(Json& j, const Fact& f) {
    j.Key("area").Raw("[");
    for (int k = 0; k < f.areaCount; ++k) j.Next(k == 0).Int(f.area[k]);
    j.Raw("]");
}

void Flag(Json& j, std::uint8_t group, std::uint8_t index) {
    j.Key("group").Int(group).Key("index").Int(index);
    j.Key("name").String(atlas::FlagText(group, index));
}

// The fields of a fact after its place.
void Fields(Json& j, const Fact& f, const atlas::RoomId& room) {
    switch (f.kind) {
    case RoomFact::Door:
        j.Key("target");
        Room(j, {f.Get(M::NextStage) + 1, f.Get(M::NextRoom), room.player});
        j.Key("camera").Int(f.Get(M::NextCamera)).Key("floor").Int(f.Get(M::NextFloor));
        j.Key("next").Raw("{").Key("x").Int(f.Get(M::X)).Key("y").Int(f.Get(M::Y));
        j.Key("z").Int(f.Get(M::Z)).Key("direction").Int(f.Get(M::Direction)).Raw("}");
        j.Key("lock").Int(f.Get(M::LockId)).Key("key");
        Named(j, M::KeyLock, f.Get(M::KeyLock));
        return Area(j, f);
    case RoomFact::Item:
        j.Key("item");
        Named(j, M::Item, f.Get(M::Item));
        j.Key("amount").Int(f.Get(M::Amount));
        return Area(j, f);
    case RoomFact::Enemy:
        j.Key("type");
        Named(j, M::EnemyType, f.Get(M::EnemyType));
        j.Key("x").Int(f.Get(M::X)).Key("y").Int(f.Get(M::Y)).Key("z").Int(f.Get(M::Z));
        j.Key("direction").Int(f.Get(M::Direction));
        return;
    case RoomFact::FlagChecked:
    case RoomFact::FlagChanged:
        return Flag(j, static_cast<std::uint8_t>(f.Get(M::FlagGroup)),
                    static_cast<std::uint8_t>(f.Get(M::FlagIndex)));
    case RoomFact::Message: j.Key("message").Int(f.Get(M::MessageId)); return;
    case RoomFact::None: return;
    }
}

void Places(Json& j, const AtlasReport& r, const std::vector<Ref>& refs) {
    j.Raw("[");
    for (std::size_t k = 0; k < refs.size(); ++k) {
        j.Next(k == 0);
        Place(j, r, refs[k]);
    }
    j.Raw("]");
}

} // namespace

std::string AtlasJson(const AtlasReport& r) {
    // About what a fact and a place of the lists across rooms take, so that
    // the text grows once.
    std::size_t facts = 0;
    for (const atlas::Room& room : r.web.rooms) facts += room.facts.size();
    std::string out;
    out.reserve(4096 + 512 * r.web.rooms.size() + 560 * facts);
    Json j(out);
    j.Raw("{\n  \"rooms\": [");
    for (std::size_t k = 0; k < r.web.rooms.size(); ++k) {
        const atlas::Room& room = r.web.rooms[k];
        j.Raw(k ? ",\n    {" : "\n    {").Key("room");
        Room(j, room.id);
        j.Key("files").Raw("{").Key("init").String(r.files[k][0]);
        j.Key("main").String(r.files[k][1]).Raw("}");
        for (const FactList& list : kFactLists) {
            j.Raw(",\n      \"").Raw(list.key).Raw("\": [");
            bool first = true;
            for (std::size_t f = 0; f < room.facts.size(); ++f) {
                if (room.facts[f].kind != list.kind) continue;
                j.Raw(first ? "\n        {" : ",\n        {").Key("place");
                Place(j, r, {k, f});
                Fields(j, room.facts[f], room.id);
                j.Raw("}");
                first = false;
            }
            j.Raw(first ? "]" : "\n      ]");
        }
        j.Raw("}");
    }
    j.Raw("\n  ],\n  \"doors\": [");
    for (std::size_t k = 0; k < r.web.doors.size(); ++k) {
        const atlas::Door& d = r.web.doors[k];
        j.Raw(k ? ",\n    {" : "\n    {").Key("from");
        Room(j, r.web.rooms[d.ref.room].id);
        j.Key("to");
        Room(j, d.target);
        j.Key("key");
        Named(j, M::KeyLock, r.web.At(d.ref).Get(M::KeyLock));
        j.Key("in_set").Bool(d.inSet).Key("one_way").Bool(d.oneWay).Key("place");
        Place(j, r, d.ref);
        j.Raw("}");
    }
    j.Raw("\n  ],\n  \"flags\": [");
    for (std::size_t k = 0; k < r.web.flags.size(); ++k) {
        const atlas::FlagUses& f = r.web.flags[k];
        j.Raw(k ? ",\n    {" : "\n    {");
        Flag(j, f.group, f.index);
        j.Key("checked");
        Places(j, r, f.checks);
        j.Key("changed");
        Places(j, r, f.changes);
        j.Raw("}");
    }
    // Each value with its places: {"item": {...}, "places": [...]}.
    const auto values = [&](const std::vector<atlas::Places>& list, M m, const char* key,
                            const char* each) {
        j.Raw("\n  ],\n  \"").Raw(key).Raw("\": [");
        for (std::size_t k = 0; k < list.size(); ++k) {
            j.Raw(k ? ",\n    {" : "\n    {").Key(each);
            Named(j, m, list[k].value);
            j.Key("places");
            Places(j, r, list[k].refs);
            j.Raw("}");
        }
    };
    values(r.web.items, M::Item, "items", "item");
    values(r.web.enemies, M::EnemyType, "enemies", "type");
    j.Raw("\n  ],\n  \"failures\": [");
    for (std::size_t k = 0; k < r.failures.size(); ++k) {
        j.Raw(k ? ",\n    {" : "\n    {").Key("file").String(r.failures[k].file);
        j.Key("reason").String(r.failures[k].reason).Raw("}");
    }
    j.Raw("\n  ]\n}\n");
    return out;
}

} // namespace quillon::cli
