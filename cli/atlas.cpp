#include "cli/atlas.h"

#include <cstdio>
#include <map>

#include "cli/atlas_report.h"
#include "cli/console.h"
#include "cli/graphviz.h"
#include "cli/inputs.h"
#include "io/atlas_inputs.h"
#include "io/paths.h"
#include "io/safe_write.h"

namespace quillon::cli {

namespace {

// In folders: the files whose kind and name say a room.
bool WantedInFolder(const std::string& path) {
    return AtlasKindOf(path) != AtlasKind::None && NamesRoom(path);
}

// A text's error ("6:15: error: ...") follows its file as compile's do.
void Failed(AtlasReport& report, const std::string& file, const std::string& reason) {
    int line = 0, column = 0, end = 0;
    const bool placed =
        std::sscanf(reason.c_str(), "%d:%d: %n", &line, &column, &end) == 2 && end > 0;
    std::fprintf(stderr, "quillon: %s%s%s\n", file.c_str(), placed ? ":" : ": ", reason.c_str());
    report.failures.push_back({file, reason});
}

// The chunks of every input, one per chunk of a room: a text before a
// chunk file before a room file; the first of a kind stands.
std::map<std::pair<atlas::RoomId, int>, AtlasChunk>
ReadInputs(const InputList& inputs, const atlas::RoomId* room, AtlasReport& report) {
    report.folderFailures = inputs.failures; // already reported
    std::map<std::pair<atlas::RoomId, int>, AtlasChunk> chunks;
    for (const std::string& file : inputs.files) {
        std::vector<AtlasChunk> read;
        std::string reason;
        if (!ReadAtlasInput(file, room, read, reason)) {
            Failed(report, file, reason);
            continue;
        }
        for (AtlasChunk& c : read) {
            const auto key = std::make_pair(c.room, static_cast<int>(c.script));
            const auto it = chunks.find(key);
            if (it == chunks.end() || it->second.kind < c.kind) chunks[key] = std::move(c);
        }
    }
    return chunks;
}

// The rooms of the chunks, with the facts of each chunk.
void ReadFacts(std::map<std::pair<atlas::RoomId, int>, AtlasChunk>& chunks, AtlasReport& report) {
    std::vector<atlas::Room> rooms;
    std::map<atlas::RoomId, std::size_t> index;
    std::vector<std::array<std::string, 2>> files;
    for (auto& [key, c] : chunks) {
        std::vector<atlas::Fact> facts;
        std::string reason;
        if (!atlas::ReadChunkFacts(c.chunk, c.script, facts, reason)) {
            Failed(report, c.file,
                   std::string("the ") + room::NameOf(c.script) + " chunk: " + reason);
            continue;
        }
        if (!c.lines.empty()) atlas::PlaceOnText(facts, 0, c.lines);
        auto [it, added] = index.try_emplace(c.room, rooms.size());
        if (added) {
            rooms.push_back({c.room, {}});
            files.emplace_back();
        }
        auto& held = rooms[it->second].facts;
        if (held.empty())
            held.swap(facts);
        else
            held.insert(held.end(), facts.begin(), facts.end());
        files[it->second][static_cast<int>(c.script)] = c.file;
    }
    report.web = atlas::Weave(std::move(rooms));
    // Weave sorts the rooms by id, as the map gave them: the files follow.
    report.files = std::move(files);
}

bool Write(const Options& options, const std::string& text) {
    std::string reason;
    const bool ok = options.hasOutput && options.output != "-"
                        ? WriteFileSafely(options.output, text, false, reason)
                        : WriteStandardOutput(text, reason);
    if (!ok) std::fprintf(stderr, "quillon: %s\n", reason.c_str());
    return ok;
}

} // namespace

int RunAtlas(const Options& options) {
    atlas::RoomId room;
    std::string reason;
    if (!options.room.empty()) {
        if (!atlas::ParseRoom(options.room, room, reason)) {
            std::fprintf(stderr, "quillon: %s\n", reason.c_str());
            return 2;
        }
        for (const std::string& input : options.inputs)
            if (IsFolder(input)) {
                std::fprintf(stderr,
                             "quillon: '--room' names the room of files, not of the "
                             "folder '%s'\n",
                             input.c_str());
                return 2;
            }
    }
    const InputList inputs = CollectInputs(options.inputs, WantedInFolder, options.recursive);
    // The report and the graph never go over an input.
    for (const std::string& file : inputs.files)
        for (const std::string* out : {&options.output, &options.svg})
            if (!out->empty() && *out != "-" && SameFile(*out, file)) {
                std::fprintf(stderr,
                             "quillon: '%s' is an input: the atlas does not write over it\n",
                             out->c_str());
                return 2;
            }
    AtlasReport report;
    auto chunks = ReadInputs(inputs, options.room.empty() ? nullptr : &room, report);
    ReadFacts(chunks, report);
    int status = report.failures.empty() && report.folderFailures == 0 ? 0 : 1;
    if (options.check) {
        const std::vector<atlas::Warning> warnings = atlas::Check(report.web);
        for (const atlas::Warning& w : warnings) {
            const atlas::Place& p = report.web.At(w.ref).place;
            std::fprintf(stderr, "%s:%d:%d: %s: %s (%s chunk)\n", report.FileOf(w.ref).c_str(),
                         p.line, p.column, "warning", w.text.c_str(), ChunkName(p));
        }
        if (!warnings.empty() && options.werror) status = 1;
    }
    if (!options.check || !options.format.empty() || options.hasOutput) {
        const std::string& format = options.format;
        const std::string text = format == "json"  ? AtlasJson(report)
                                 : format == "csv" ? AtlasCsv(report, options.table)
                                 : format == "dot" ? AtlasDot(report)
                                                   : AtlasText(report);
        if (!Write(options, text)) status = 1;
    }
    if (!options.svg.empty() && !DrawSvg(AtlasDot(report), options.svg, reason)) {
        std::fprintf(stderr, "quillon: %s\n", reason.c_str());
        status = 1;
    }
    return status;
}

} // namespace quillon::cli
