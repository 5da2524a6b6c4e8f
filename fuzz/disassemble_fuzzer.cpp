// Disassembles arbitrary bytes in both dialects, with indentation on and off,
// in memory and streamed, several times on the one record of each dialect, so that what one run
// leaves in the record (instruction buffer, caseOpen, the else lists) meets
// the next. The first byte steers: bit 0 the first indentation, bits 1 to 7
// where the rest is cut in two for the runs on the parts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "harness.h"

using namespace quillon;
using namespace quillon::fuzzing;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = (SetMessageSink(QuietSink), true);
    (void)quiet;
    const std::uint8_t steer = size ? data[0] : 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + (size ? 1 : 0),
                                 size ? size - 1 : 0);
    const size_t cut = bytes.size() * (steer >> 1) / 128;
    std::string text, streamed;
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        ScriptContext& ctx = Record(*d);
        int indent = steer & 1;
        // The whole, then the two parts, then the whole again, switching the
        // indentation between runs.
        const std::string_view runs[] = {bytes, bytes.substr(0, cut), bytes.substr(cut), bytes};
        bool stream = true;
        for (const std::string_view run : runs) {
            ctx.indent = indent;
            // The streaming driver, on a copy of the record as it stands,
            // must hand out the same text in its pieces (checked once per
            // dialect and input).
            // The copy is kept from input to input: its piece buffer is large,
            // and assigning the record keeps it.
            static ScriptContext copy(*d);
            copy = ctx;
            DisassembleBuffer(ctx, run, "room100", text);
            CheckDisassembly(text, "room100", run.size(), indent == 1);
            if (ctx.input != nullptr) Fail("the record still points at the input");
            if (stream) {
                streamed.clear();
                DisassembleStream(copy, run, "room100", [&](std::string_view piece) {
                    if (piece.empty()) Fail("empty piece from the streaming driver");
                    streamed += piece;
                });
                if (streamed != text) Fail("the streaming driver's text differs", streamed);
                stream = false;
            }
            indent ^= 1;
        }
    }
    return 0;
}
