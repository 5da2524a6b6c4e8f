#include "io/atlas_inputs.h"

#include <filesystem>

#include "codec/base/text.h"
#include "codec/exact/exact.h"
#include "codec/exact/listener.h"
#include "io/file_bytes.h"
#include "io/includes.h"

namespace quillon {

namespace {

namespace fs = std::filesystem;

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Where each instruction of the text is laid out.
class TextLines : public exact::Listener {
  public:
    explicit TextLines(std::vector<atlas::TextPlace>& lines) : lines_(lines) {}
    void Instruction(const exact::InstructionEvent& i) override {
        if (i.at < 0 || i.span.source != 0) return;
        const auto at = static_cast<std::size_t>(i.at);
        if (lines_.size() <= at) lines_.resize(at + 1);
        lines_[at] = {i.span.line, i.span.column};
    }

  private:
    std::vector<atlas::TextPlace>& lines_;
};

bool CompileText(const std::string& path, const std::string& text, AtlasChunk& c,
                 std::string& reason) {
    TextLines lines(c.lines);
    exact::CompileOptions options = FileCompileOptions(path);
    options.listener = &lines;
    int errors = 0;
    const bool ok = exact::CompileChunk(
        text, c.chunk,
        [&](const exact::Message& m) {
            if (m.error && ++errors == 1)
                reason = FormatText("%d:%d: error: %s", m.line, m.column, m.text.c_str());
        },
        options);
    if (!ok && errors > 1)
        reason += FormatText(" (and %d more error%s)", errors - 1, errors == 2 ? "" : "s");
    if (!ok && errors == 0) reason = "the text does not compile";
    return ok;
}

} // namespace

AtlasKind AtlasKindOf(const std::string& path) {
    const std::string ext = Lower(fs::path(path).extension().string());
    return ext == ".rdt"   ? AtlasKind::RoomFile
           : ext == ".scd" ? AtlasKind::Chunk
           : ext == ".c"   ? AtlasKind::Text
                           : AtlasKind::None;
}

bool NamesRoom(const std::string& path) {
    atlas::RoomId id;
    return atlas::RoomOfName(fs::path(path).filename().string(), id);
}

bool ReadAtlasInput(const std::string& path, const atlas::RoomId* room,
                    std::vector<AtlasChunk>& chunks, std::string& reason) {
    const std::string name = fs::path(path).filename().string();
    const AtlasKind kind = AtlasKindOf(path);
    if (kind == AtlasKind::None) {
        reason = "not a room file (.rdt), a script chunk (.scd) or an exact text (.c)";
        return false;
    }
    atlas::RoomId id;
    if (room) {
        id = *room;
    } else if (!atlas::RoomOfName(name, id)) {
        reason = "the name does not say which room it is (ROOM, the stage, two hexadecimal "
                 "digits of the room, the player: ROOM1000.RDT); name the room with --room S,RR,P";
        return false;
    }
    std::string bytes;
    if (!ReadWholeFile(path, bytes, reason)) return false;
    if (kind == AtlasKind::RoomFile) {
        for (const room::Script script : room::kScripts) {
            AtlasChunk c;
            c.room = id;
            c.script = script;
            c.kind = kind;
            c.file = path;
            if (!room::ExtractScript(bytes, script, c.chunk, reason)) return false;
            chunks.push_back(std::move(c));
        }
        return true;
    }
    const bool init = Lower(name).find(".init.") != std::string::npos;
    AtlasChunk c;
    c.room = id;
    c.script = init ? room::Script::Init : room::Script::Main;
    c.kind = kind;
    c.file = path;
    if (kind == AtlasKind::Chunk) {
        c.chunk = std::move(bytes);
    } else if (!exact::IsExactText(bytes)) {
        reason = "not an exact text (its first line is not \"" + std::string(exact::kMarker) +
                 "\"): disassemble the room with --exact";
        return false;
    } else if (!CompileText(path, bytes, c, reason)) {
        return false;
    }
    chunks.push_back(std::move(c));
    return true;
}

} // namespace quillon
