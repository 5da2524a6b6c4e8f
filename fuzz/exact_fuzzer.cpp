// Exact mode: any input behind a valid procedure table comes back byte for
// byte; an input that is no chunk is refused. The raw input is also
// compiled as an exact text, which must end in a chunk or in errors, never
// in a crash, and the same when it is read in pieces; a chunk it gives must
// come back again. A byte of the input chooses which of these checks it
// takes, and its printing. Its "#include" lines reach a few headers held here (one
// includes itself), and chunks come back printed with names, with bare
// numbers, with offsets and with a user's names.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/exact/exact.h"
#include "harness.h"
#include "testkit/memory_headers.h"

using namespace quillon;
using namespace quillon::fuzzing;

namespace {

// A user's names, a header that includes another, one that includes itself.
const char kFlags[] = "#define MET_CLAIRE FG_SCENARIO, 18\n#define HALL_DOOR ID_AOT_5\n"
                      "#define RAW_PAIR 3, 18\n#define SHOTGUN ITEM_SHOTGUN\n#include <bio2.h>\n";

const exact::CompileOptions& Headers() {
    static const exact::CompileOptions options{
        quillon_test::MemoryHeaders({{"flags.h", kFlags},
                                     {"outer.h", "#define OUTER 1\n#include \"flags.h\"\n"},
                                     {"self.h", "#define SELF 2\n#include \"self.h\"\n"}}),
        "fuzz.c"};
    return options;
}

const exact::NameBook& UserNames() {
    static const exact::NameBook book = [] {
        exact::NameBook b;
        std::string reason;
        if (!exact::ReadNames(kFlags, "flags.h", {}, b, reason)) Fail("flags.h", reason);
        return b;
    }();
    return book;
}

// The chunk's text in one of four printings; a user's names come with the
// include of their header.
void TripChunk(std::string_view chunk, int printing) {
    exact::PrintOptions options;
    options.numbers = printing == 1;
    options.offsets = printing == 2;
    if (printing == 3) options.names = &UserNames();
    std::string text, again, reason;
    if (!exact::DisassembleChunk(chunk, text, reason, options)) return;
    if (printing == 3) {
        const std::size_t at = text.find("<bio2.h>\r\n");
        if (at == std::string::npos) Fail("an exact text without its include", text);
        text.insert(at + 10, "#include \"flags.h\"\r\n");
    }
    std::string first;
    if (!exact::CompileChunk(
            text, again,
            [&](const exact::Message& m) {
                if (m.error && first.empty()) first = m.text;
            },
            Headers()))
        Fail("an exact text does not compile", first + "\n--- text\n" + text);
    if (again != chunk) Fail("the chunk does not come back", text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The last byte, with the size, chooses the work of this input (texts
    // begin alike): one printing, the input as a chunk or behind a table,
    // and the text read in pieces or not.
    const unsigned choice = size ? data[size - 1] + static_cast<unsigned>(size) : 0;
    const int printing = static_cast<int>(choice % 4);
    if (choice & 4) {
        TripChunk(input, printing);
    } else {
        // The same bytes behind a table of one procedure, so that most
        // inputs reach the engine.
        std::string chunk("\x02\x00", 2);
        chunk.append(input.substr(0, 0xFF00));
        TripChunk(chunk, printing);
    }
    std::string compiled, streamed;
    int messages = 0, streamedMessages = 0;
    const bool whole = exact::CompileChunk(
        input, compiled, [&](const exact::Message&) { ++messages; }, Headers());
    if (choice & 8) {
        // Read in pieces of 7 bytes, the text gives the same.
        std::size_t at = 0;
        const bool pieces = exact::CompileStream(
            [&](char* into, std::size_t room) {
                const std::size_t n = std::min({std::size_t{7}, room, input.size() - at});
                input.copy(into, n, at);
                at += n;
                return n;
            },
            streamed, [&](const exact::Message&) { ++streamedMessages; }, Headers());
        if (pieces != whole || streamed != compiled || streamedMessages != messages)
            Fail("a text read in pieces compiles otherwise than whole", std::string(input));
    }
    if (whole) TripChunk(compiled, printing);
    return 0;
}
