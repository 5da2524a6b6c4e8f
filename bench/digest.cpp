#include "bench/digest.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "bench/setup.h"
#include "bench/workload.h"
#include "codec/classic/diagnostics.h"
#include "codec/classic/engine.h"

namespace quillon::bench {
namespace {

std::uint64_t Fnv(std::string_view bytes, std::uint64_t h = 1469598103934665603ull) {
    for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    return h;
}

// Hashes every event the compiler reports.
class HashingListener : public CompileListener {
  public:
    void Report(const Diagnostic& d) override {
        char buf[96];
        std::snprintf(buf, sizeof buf, "%d %d %d %d %lld %d|", static_cast<int>(d.issue),
                      d.sourceOffset, d.opcode, d.argument, static_cast<long long>(d.value),
                      static_cast<int>(d.kind));
        hash = Fnv(buf, hash);
        hash = Fnv(d.token, hash);
    }
    void LineDone(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) override {
        const std::int32_t v[] = {a, b, c, d};
        hash = Fnv(std::string_view(reinterpret_cast<const char*>(v), sizeof v), hash);
    }
    std::uint64_t hash = 1469598103934665603ull;
};

} // namespace

// Checksums of the outputs of every input, with and without indentation, and
// of compiling a damaged copy of every text (unknown words, broken numbers)
// with and without a listener.
int PrintDigests() {
    for (const char* dialect : {"retail", "prototype"}) {
        const Dialect& d = DialectNamed(dialect);
        for (const char* shape : {"room", "stream"}) {
            Workload w = std::string(shape) == "room" ? bench::RoomScript(d, 1, kRoomSize)
                                                      : bench::InstructionStream(d, 2, kStreamSize);
            ScriptContext ctx(d);
            const std::string text = DisassembleBuffer(ctx, w.bytes, "digest");
            ctx.indent = 0;
            const std::string flat = DisassembleBuffer(ctx, w.bytes, "digest");
            const std::string bytes = CompileBuffer(ctx, text);
            const std::string flatBytes = CompileBuffer(ctx, flat);
            std::string damaged = text;
            std::uint32_t x = 12345;
            for (std::size_t i = 0; i < damaged.size(); i += 1 + (x % 97)) {
                x ^= x << 13, x ^= x >> 17, x ^= x << 5;
                damaged[i] = "x0()_;,/{} \t\r\nA"[x % 16];
            }
            const std::string damagedBytes = CompileBuffer(ctx, damaged);
            HashingListener listener;
            ctx.listener = &listener;
            const std::string listenedBytes = CompileBuffer(ctx, damaged);
            ctx.listener = nullptr;
            std::printf("%-9s %-6s text %016llx flat %016llx bytes %016llx %016llx damaged %016llx "
                        "%016llx events %016llx\n",
                        dialect, shape, static_cast<unsigned long long>(Fnv(text)),
                        static_cast<unsigned long long>(Fnv(flat)),
                        static_cast<unsigned long long>(Fnv(bytes)),
                        static_cast<unsigned long long>(Fnv(flatBytes)),
                        static_cast<unsigned long long>(Fnv(damagedBytes)),
                        static_cast<unsigned long long>(Fnv(listenedBytes)),
                        static_cast<unsigned long long>(listener.hash));
        }
    }
    return 0;
}

} // namespace quillon::bench
