#include "codec/room/room.h"

#include "codec/base/text.h"
#include "codec/exact/exact.h"

namespace quillon::room {

namespace {

std::uint32_t Get32(std::string_view file, std::uint32_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(file.data()) + at;
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void Put32(std::string& file, std::uint32_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>(value >> (8 * i));
}

std::uint32_t EntryAt(int entry) {
    return kHeaderSize + 4 * static_cast<std::uint32_t>(entry);
}

struct Layout {
    std::uint32_t entries[kEntryCount] = {};
    std::uint32_t objectTable = 0; // where the object table starts; 0 when absent
    std::uint32_t objectCount = 0; // its pairs of offsets
};

bool PointsSomewhere(std::uint32_t offset) {
    return offset != 0 && offset != kNowhere;
}

// The header, the offset table and the object table, with every offset that
// the chunk bounds rely on inside the file. Entry 5 is not checked: it may
// point past the file's end.
bool ReadLayout(std::string_view file, Layout& layout, std::string& reason) {
    const size_t size = file.size();
    if (size < kTableEnd) {
        reason = FormatText("%zu bytes are too short for the header and offset table of a room "
                            "(%u bytes)",
                            size, kTableEnd);
        return false;
    }
    for (int i = 0; i < kEntryCount; ++i) {
        const std::uint32_t offset = Get32(file, EntryAt(i));
        layout.entries[i] = offset;
        if (i != kEndEntry && offset > size) {
            reason = FormatText("entry %d of the offset table, 0x%08X, points outside the file "
                                "(%zu bytes)",
                                i, offset, size);
            return false;
        }
    }
    layout.objectTable = layout.entries[kObjectEntry];
    layout.objectCount = layout.objectTable ? static_cast<unsigned char>(file[2]) : 0;
    // The object table's offsets are rewritten: it must not lie in the table of entries.
    if (layout.objectCount > 0 && layout.objectTable < kTableEnd) {
        reason = FormatText("the object table, 0x%08X, points into the header", layout.objectTable);
        return false;
    }
    if (layout.objectTable + 8ull * layout.objectCount > size) {
        reason = FormatText("the object table at 0x%08X (%u object models) runs past the end of "
                            "the file (%zu bytes)",
                            layout.objectTable, layout.objectCount, size);
        return false;
    }
    for (std::uint32_t i = 0; i < 2 * layout.objectCount; ++i) {
        const std::uint32_t offset = Get32(file, layout.objectTable + 4 * i);
        if (PointsSomewhere(offset) && offset > size) {
            reason = FormatText("the %s offset of object model %u, 0x%08X, points outside the "
                                "file (%zu bytes)",
                                i % 2 ? "model" : "texture", i / 2, offset, size);
            return false;
        }
    }
    return true;
}

// Where the chunk that starts at `begin` ends: where the next chunk begins.
std::uint32_t ChunkEnd(std::string_view file, const Layout& layout, std::uint32_t begin) {
    auto end = static_cast<std::uint32_t>(file.size());
    for (int i = 0; i < kEntryCount; ++i) {
        const std::uint32_t offset = layout.entries[i];
        if (i != kEndEntry && i != kInnerTableEntry && offset > begin && offset < end) end = offset;
    }
    for (std::uint32_t i = 0; i < 2 * layout.objectCount; ++i) {
        const std::uint32_t offset = Get32(file, layout.objectTable + 4 * i);
        if (PointsSomewhere(offset) && offset > begin && offset < end) end = offset;
    }
    return end;
}

bool FindScript(std::string_view file, const Layout& layout, Script script, Span& span,
                std::string& reason) {
    // Both scripts must be there: without the other's entry, this chunk's
    // bounds would take in the other's bytes.
    for (Script s : kScripts) {
        if (layout.entries[EntryOf(s)] == 0) {
            reason = FormatText("the %s script entry (%d) is 0: the room has no %s chunk",
                                NameOf(s), EntryOf(s), NameOf(s));
            return false;
        }
    }
    const std::uint32_t begin = layout.entries[EntryOf(script)];
    if (begin < kTableEnd) {
        reason = FormatText("the %s script entry, 0x%08X, points into the header", NameOf(script),
                            begin);
        return false;
    }
    if (layout.entries[kInitEntry] == layout.entries[kMainEntry]) {
        reason = FormatText("the init and main script entries both point at 0x%08X", begin);
        return false;
    }
    span.begin = begin;
    span.end = ChunkEnd(file, layout, begin);
    const std::uint64_t tableEnd = layout.objectTable + 8ull * layout.objectCount;
    if (layout.objectCount > 0 && layout.objectTable < span.end && tableEnd > span.begin) {
        reason = FormatText("the object table at 0x%08X overlaps the %s chunk", layout.objectTable,
                            NameOf(script));
        return false;
    }
    return true;
}

bool CheckScript(std::string_view chunk, const char* what, Script script, std::string& reason) {
    std::string why;
    if (exact::CheckChunk(chunk, why)) return true;
    reason = FormatText("%s %s chunk is not a valid script chunk: %s", what, NameOf(script),
                        why.c_str());
    return false;
}

} // namespace

int EntryOf(Script script) {
    return script == Script::Init ? kInitEntry : kMainEntry;
}

const char* NameOf(Script script) {
    return script == Script::Init ? "init" : "main";
}

bool FindScript(std::string_view file, Script script, Span& span, std::string& reason) {
    Layout layout;
    return ReadLayout(file, layout, reason) && FindScript(file, layout, script, span, reason);
}

bool ExtractScript(std::string_view file, Script script, std::string& chunk, std::string& reason) {
    Span span;
    if (!FindScript(file, script, span, reason)) return false;
    const std::string_view bytes = file.substr(span.begin, span.end - span.begin);
    if (!CheckScript(bytes, "the", script, reason)) return false;
    chunk.assign(bytes);
    return true;
}

bool ReplaceScript(std::string& file, Script script, std::string_view chunk, std::string& reason) {
    Layout layout;
    Span span;
    if (!ReadLayout(file, layout, reason) || !FindScript(file, layout, script, span, reason) ||
        !CheckScript(chunk, "the new", script, reason))
        return false;
    // The chunks after this one move by the change in size, whatever it is:
    // they are written back to back.
    const std::int64_t delta = static_cast<std::int64_t>(chunk.size()) - (span.end - span.begin);
    // Entry 19 does not bound a chunk, so it may point inside this one; it
    // could not move with bytes that are replaced by others of another size.
    const std::uint32_t inner = layout.entries[kInnerTableEntry];
    if (delta != 0 && inner > span.begin && inner < span.end) {
        reason = FormatText("entry %d of the offset table, 0x%08X, points inside the %s chunk "
                            "(0x%08X to 0x%08X), which a chunk of another size would replace",
                            kInnerTableEntry, inner, NameOf(script), span.begin, span.end);
        return false;
    }
    if (static_cast<std::int64_t>(file.size()) + delta > 0x7FFFFFFF) {
        reason = "the room would grow past 2 GiB";
        return false;
    }
    // Every offset at or after the old end moves with the bytes it points at.
    auto moved = [&](std::uint32_t offset) { return static_cast<std::int64_t>(offset) + delta; };
    for (int i = 0; i < kEntryCount; ++i) {
        const std::uint32_t offset = layout.entries[i];
        if (i == EntryOf(script) || offset == 0 || offset < span.end) continue;
        if (moved(offset) > 0xFFFFFFFF) {
            reason = FormatText("entry %d of the offset table, 0x%08X, would not fit 32 bits", i,
                                offset);
            return false;
        }
        layout.entries[i] = static_cast<std::uint32_t>(moved(offset));
    }
    std::string out;
    out.reserve(static_cast<size_t>(static_cast<std::int64_t>(file.size()) + delta));
    out.append(file, 0, span.begin);
    out.append(chunk);
    out.append(file, span.end);
    for (int i = 0; i < kEntryCount; ++i) Put32(out, EntryAt(i), layout.entries[i]);
    // The object table itself may have moved (entry 10 says where it is now).
    const std::uint32_t table = layout.entries[kObjectEntry];
    for (std::uint32_t i = 0; i < 2 * layout.objectCount; ++i) {
        const std::uint32_t offset = Get32(out, table + 4 * i);
        if (PointsSomewhere(offset) && offset >= span.end)
            Put32(out, table + 4 * i, static_cast<std::uint32_t>(moved(offset)));
    }
    file.swap(out);
    return true;
}

} // namespace quillon::room
