// The door graph for Graphviz: the rooms as nodes grouped by stage, the
// doors as edges (one per pair of rooms and key), a locked door labelled
// with its key; rooms outside the set dashed, one-way doors bold.
#include <map>
#include <set>
#include <tuple>

#include "cli/atlas_report.h"
#include "codec/base/text.h"

namespace quillon::cli {

namespace {

std::string Node(const atlas::RoomId& id) {
    return "\"" + Label(id) + "\"";
}

} // namespace

std::string AtlasDot(const AtlasReport& r) {
    std::map<int, std::string> stages; // the nodes of each stage
    for (const atlas::Room& room : r.web.rooms)
        stages[room.id.stage] += "    " + Node(room.id) + ";\n";
    std::set<atlas::RoomId> outside;
    for (const atlas::Door& d : r.web.doors)
        if (!d.inSet && outside.insert(d.target).second)
            stages[d.target.stage] += "    " + Node(d.target) + " [style=dashed];\n";
    std::string out = "digraph atlas {\n  node [shape=box, fontname=\"sans-serif\"];\n"
                      "  edge [fontname=\"sans-serif\", fontsize=10];\n";
    for (const auto& [stage, nodes] : stages)
        out += FormatText("  subgraph cluster_stage%d {\n    label=\"stage %d\";\n", stage, stage) +
               nodes + "  }\n";
    std::set<std::tuple<atlas::RoomId, atlas::RoomId, std::string>> drawn;
    for (const atlas::Door& d : r.web.doors) {
        const atlas::RoomId& from = r.web.rooms[d.ref.room].id;
        const std::string key = KeyText(r.web.At(d.ref));
        if (!drawn.insert({from, d.target, key}).second) continue;
        std::string attributes;
        if (!key.empty()) attributes += "label=\"" + key + "\"";
        if (d.oneWay) attributes += std::string(attributes.empty() ? "" : ", ") + "style=bold";
        out += "  " + Node(from) + " -> " + Node(d.target) +
               (attributes.empty() ? "" : " [" + attributes + "]") + ";\n";
    }
    return out + "}\n";
}

} // namespace quillon::cli
