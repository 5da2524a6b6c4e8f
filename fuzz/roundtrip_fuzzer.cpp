// Disassemble, compile, disassemble. The input is first rewritten into
// bytecode whose every line compiles back to its bytes (roundtrip.h says which
// lines do and why); for that bytecode the two disassemblies must agree, with
// indentation on and off, in both dialects, on the one record of each
// dialect. The raw input makes the same trip too, without the comparison.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "harness.h"
#include "testkit/roundtrip.h"

using namespace quillon;
using namespace quillon::fuzzing;

namespace {

void Trip(ScriptContext& ctx, std::string_view bytecode, bool compare) {
    std::string first, bytes, second;
    for (int indent : {0, 1}) {
        ctx.indent = indent;
        DisassembleBuffer(ctx, bytecode, "room", first);
        CheckDisassembly(first, "room", bytecode.size(), indent == 1);
        CompileBuffer(ctx, first, bytes);
        DisassembleBuffer(ctx, bytes, "room", second);
        CheckDisassembly(second, "room", bytes.size(), indent == 1);
        if (compare && first != second) {
            std::string detail = "dialect ";
            detail += ctx.dialect->name;
            detail += indent ? ", indented\n--- first\n" : "\n--- first\n";
            detail += first;
            detail += "\n--- second\n";
            detail += second;
            Fail("the text does not come back", detail);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = (SetMessageSink(QuietSink), true);
    (void)quiet;
    static const RoundTripRules retail(RetailDialect());
    static const RoundTripRules prototype(PrototypeDialect());
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (const RoundTripRules* rules : {&retail, &prototype}) {
        ScriptContext& ctx = Record(*rules->dialect);
        Trip(ctx, Normalize(*rules, input), true);
        Trip(ctx, input, false);
    }
    return 0;
}
