// Exact mode: any input behind a valid procedure table comes back byte for
// byte; an input that is no chunk is refused. The raw input is also
// compiled as an exact text, which must end in a chunk or in errors, never
// in a crash; a chunk it gives must come back again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/exact.h"
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
    std::string compiled;
    if (exact::CompileChunk(input, compiled, {})) TripChunk(compiled);
    return 0;
}
