// Room files (.rdt): the two script chunks that a room keeps among its other
// chunks, taken out and put back with every offset that moves fixed.
//
// A room begins with an 8-byte header (byte 2: the number of object models)
// and a table of 23 little-endian 32-bit absolute file offsets at 0x08, one
// per chunk (0: the chunk is absent). Entry 16 is the init script chunk,
// entry 17 the main script chunk, entry 10 the object table: one pair of
// 32-bit absolute offsets (texture, model) per object model. A chunk ends
// where the next one begins: at the smallest offset greater than its start
// among the table's entries (but 5, past the last chunk, and 19, a table
// inside another chunk) and the object table's offsets (but 0 and
// 0xFFFFFFFF, which point nowhere); without one, at the end of the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon::room {

inline constexpr std::uint32_t kHeaderSize = 8;
inline constexpr int kEntryCount = 23;
inline constexpr std::uint32_t kTableEnd = kHeaderSize + 4 * kEntryCount; // 0x64
inline constexpr int kEndEntry = 5;                   // points past the last chunk
inline constexpr int kObjectEntry = 10;               // the object table
inline constexpr int kInitEntry = 16;                 // the init script chunk
inline constexpr int kMainEntry = 17;                 // the main script chunk
inline constexpr int kInnerTableEntry = 19;           // a table inside the effect ids
inline constexpr std::uint32_t kNowhere = 0xFFFFFFFF; // an object offset that points nowhere

// The two script chunks of a room.
enum class Script { Init, Main };
inline constexpr Script kScripts[] = {Script::Init, Script::Main};
int EntryOf(Script script);
const char* NameOf(Script script); // "init", "main"

// The bytes [begin, end) of a chunk in the file.
struct Span {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
};

// Checks the header, the offset table and the object table of a room and
// finds the bounds of its script chunks (both present, both inside the file,
// not overlapping the object table). The reasons name no file.
bool FindScript(std::string_view file, Script script, Span& span, std::string& reason);

// The bytes of a script chunk, refused unless it is a valid script chunk.
bool ExtractScript(std::string_view file, Script script, std::string& chunk, std::string& reason);

// Puts `chunk` (a valid script chunk, of any size) in place of a script
// chunk of `file`. Every non-zero table entry and every object table offset
// (but 0 and 0xFFFFFFFF) at or after the old chunk's end moves by the change
// in size. A chunk of another size is refused while entry 19 points inside
// the old chunk. On failure `file` is left as it was.
bool ReplaceScript(std::string& file, Script script, std::string_view chunk, std::string& reason);

} // namespace quillon::room
