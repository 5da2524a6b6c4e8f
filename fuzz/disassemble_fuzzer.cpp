// Disassembles arbitrary bytes in both dialects, with indentation on and off,
// several times on the one record of each dialect, so that what one run
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
    std::string text;
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        ScriptContext& ctx = Record(*d);
        int indent = steer & 1;
        // The whole, then the two parts, then the whole again, switching the
        // indentation between runs.
        const std::string_view runs[] = {bytes, bytes.substr(0, cut), bytes.substr(cut), bytes};
        for (const std::string_view run : runs) {
            ctx.indent = indent;
            DisassembleBuffer(ctx, run, "room100", text);
            CheckDisassembly(text, "room100", run.size(), indent == 1);
            if (ctx.input != nullptr) Fail("the record still points at the input");
            indent ^= 1;
        }
    }
    return 0;
}
