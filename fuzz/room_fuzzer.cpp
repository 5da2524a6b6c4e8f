// Room files, as modders pass them around: any bytes as a room, with any
// bytes as a new script chunk, must keep what testkit/room_checks.h says,
// and the atlas's facts of both must lie inside them.
// The first two bytes say where the rest is cut into room and chunk.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <vector>

#include "codec/atlas/facts.h"
#include "harness.h"
#include "testkit/room_checks.h"

namespace {

// The facts of a chunk, if it is one, each at an instruction inside it.
void CheckFacts(std::string_view chunk) {
    std::vector<quillon::atlas::Fact> facts;
    std::string reason;
    if (!quillon::atlas::ReadChunkFacts(chunk, quillon::room::Script::Main, facts, reason)) return;
    for (const quillon::atlas::Fact& f : facts)
        if (f.place.at < 0 || static_cast<std::size_t>(f.place.at) >= chunk.size() ||
            f.place.line < 1 || f.place.column < 1)
            quillon::fuzzing::Fail("a fact stands outside its chunk");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A room's offsets reach the whole file whatever its size: larger inputs
    // find nothing new, at a cost per byte.
    if (size < 2 || size > 0x10000) return 0;
    const std::size_t rest = size - 2;
    const std::size_t cut = (data[0] | data[1] << 8) % (rest + 1);
    const std::string room(reinterpret_cast<const char*>(data) + 2, cut);
    const std::string_view chunk(reinterpret_cast<const char*>(data) + 2 + cut, rest - cut);
    std::string reason;
    const std::string broke = quillon_test::CheckRoom(room, chunk);
    if (!broke.empty()) quillon::fuzzing::Fail(broke.c_str());
    CheckFacts(chunk);
    std::string script;
    if (quillon::room::ExtractScript(room, quillon::room::Script::Main, script, reason))
        CheckFacts(script);
    return 0;
}
