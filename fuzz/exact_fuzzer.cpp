// Exact mode: any input behind a valid procedure table comes back byte for
// byte; an input that is no chunk is refused. The raw input is also
// compiled as an exact text, which must end in a chunk or in errors, never
// in a crash, and the same when it is read in pieces; a chunk it gives must
// come back again.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/exact/exact.h"
#include "harness.h"

using namespace quillon;
using namespace quillon::fuzzing;

namespace {

void TripChunk(std::string_view chunk) {
    std::string text, again, reason;
    if (!exact::DisassembleChunk(chunk, text, reason)) return;
    std::string first;
    if (!exact::CompileChunk(text, again, [&](const exact::Message& m) {
            if (m.error && first.empty()) first = m.text;
        }))
        Fail("an exact text does not compile", first + "\n--- text\n" + text);
    if (again != chunk) Fail("the chunk does not come back", text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    TripChunk(input);
    // The same bytes behind a table of one procedure, so that most inputs
    // reach the engine.
    std::string chunk("\x02\x00", 2);
    chunk.append(input.substr(0, 0xFF00));
    TripChunk(chunk);
    std::string compiled, streamed;
    int messages = 0, streamedMessages = 0;
    const bool whole =
        exact::CompileChunk(input, compiled, [&](const exact::Message&) { ++messages; });
    // Read in pieces of 7 bytes, the text gives the same.
    std::size_t at = 0;
    const bool pieces = exact::CompileStream(
        [&](char* into, std::size_t room) {
            const std::size_t n = std::min({std::size_t{7}, room, input.size() - at});
            input.copy(into, n, at);
            at += n;
            return n;
        },
        streamed, [&](const exact::Message&) { ++streamedMessages; });
    if (pieces != whole || streamed != compiled || streamedMessages != messages)
        Fail("a text read in pieces compiles otherwise than whole", std::string(input));
    if (whole) TripChunk(compiled);
    return 0;
}
