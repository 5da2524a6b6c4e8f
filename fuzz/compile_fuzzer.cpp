// Compiles arbitrary text in both dialects, several times on the one record of
// each dialect, so that what one run leaves behind (instruction buffer, the
// block flags, blockStack, the else flag) meets the next; every other run has
// a listener attached, whose events must stay inside the source and output.
// The first byte steers where the rest is cut in two.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/classic/diagnostics.h"
#include "harness.h"

using namespace quillon;
using namespace quillon::fuzzing;

namespace {

struct Bounds : CompileListener {
    std::int64_t sourceSize = 0;
    std::int32_t lastEnd = 0;
    bool done = false;
    const std::string* output = nullptr;
    std::int32_t outputEnd = 0;

    void Report(const Diagnostic& d) override {
        if (done) Fail("report after the end of the source");
        if (d.sourceOffset < -1 || d.sourceOffset > sourceSize) Fail("report outside the source");
    }
    void LineDone(std::int32_t sb, std::int32_t se, std::int32_t ob, std::int32_t oe) override {
        if (done) Fail("line after the end of the source");
        if (sb < 0 || sb > se || se > sourceSize) Fail("line outside the source");
        if (sb < lastEnd) Fail("lines out of order");
        if (ob < 0 || ob > oe || ob < outputEnd) Fail("line output out of order");
        lastEnd = se;
        outputEnd = oe;
    }
    void SourceDone(std::string_view source) override {
        if (done) Fail("end of source reported twice");
        if (static_cast<std::int64_t>(source.size()) != sourceSize)
            Fail("end of source: wrong text");
        done = true;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = (SetMessageSink(QuietSink), true);
    (void)quiet;
    const std::uint8_t steer = size ? data[0] : 0;
    const std::string_view source(reinterpret_cast<const char*>(data) + (size ? 1 : 0),
                                  size ? size - 1 : 0);
    const size_t cut = source.size() * steer / 256;
    std::string bytes;
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        ScriptContext& ctx = Record(*d);
        const std::string_view runs[] = {source, source.substr(0, cut), source.substr(cut), source};
        bool listen = steer & 1;
        for (const std::string_view run : runs) {
            Bounds bounds;
            bounds.sourceSize = static_cast<std::int64_t>(run.size());
            ctx.listener = listen ? &bounds : nullptr;
            CompileBuffer(ctx, run, bytes);
            ctx.listener = nullptr;
            if (listen && !bounds.done) Fail("no end of source reported");
            if (listen && static_cast<size_t>(bounds.outputEnd) > bytes.size())
                Fail("line output beyond the output");
            if (bytes.size() > CompileBound(*d, run.size())) Fail("output longer than its bound");
            if (ctx.input != nullptr || ctx.target != nullptr)
                Fail("the record still points at a file");
            if (ctx.forDepth < 0) Fail("negative for depth");
            listen = !listen;
        }
    }
    return 0;
}
