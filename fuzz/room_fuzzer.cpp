// Room files, as modders pass them around: any bytes as a room, with any
// bytes as a new script chunk, must keep what testkit/room_checks.h says.
// The first two bytes say where the rest is cut into room and chunk.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "harness.h"
#include "testkit/room_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A room's offsets reach the whole file whatever its size: larger inputs
    // find nothing new, at a cost per byte.
    if (size < 2 || size > 0x10000) return 0;
    const std::size_t rest = size - 2;
    const std::size_t cut = (data[0] | data[1] << 8) % (rest + 1);
    const std::string room(reinterpret_cast<const char*>(data) + 2, cut);
    const std::string_view chunk(reinterpret_cast<const char*>(data) + 2 + cut, rest - cut);
    const std::string broke = quillon_test::CheckRoom(room, chunk);
    if (!broke.empty()) quillon::fuzzing::Fail(broke.c_str());
    return 0;
}
