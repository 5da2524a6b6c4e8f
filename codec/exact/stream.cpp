// Streaming: a text compiled whole or as windows of it come, on one compiler
// per thread that keeps its storage from text to text.
#include <cstring>
#include <memory>

#include "codec/exact/compiler.h"

namespace quillon::exact {

namespace {

// Runs `steps` on the compiler of the last text, with its storage; on a
// fresh one when a message handler compiles another text meanwhile.
template <typename Steps>
bool WithCompiler(const MessageHandler& onMessage, const CompileOptions& options,
                  std::string& chunk, const Steps& steps) {
    chunk.clear();
    thread_local Compiler last;
    thread_local bool busy = false;
    auto run = [&](Compiler& compiler) {
        compiler.Begin(onMessage, options);
        steps(compiler);
        return compiler.Finish(chunk);
    };
    if (busy) {
        Compiler fresh;
        return run(fresh);
    }
    struct Busy {
        Busy() { busy = true; }
        ~Busy() { busy = false; }
    } mark;
    return run(last);
}

} // namespace

bool CompileChunk(std::string_view text, std::string& chunk, const MessageHandler& onMessage,
                  const CompileOptions& options) {
    return WithCompiler(onMessage, options, chunk, [&](Compiler& c) { c.Feed(text, true); });
}

bool CompileStream(const TextPull& pull, std::string& chunk, const MessageHandler& onMessage,
                   const CompileOptions& options) {
    return WithCompiler(onMessage, options, chunk, [&](Compiler& c) {
        // Left uninitialised: only what is read into it is touched. It
        // starts small, so that a short text costs little, and doubles
        // while the text fills it, up to the usual window (and past it for
        // a line longer than that).
        constexpr std::size_t kWindow = 1 << 20;
        std::size_t size = 1 << 12, held = 0;
        std::unique_ptr<char[]> window(new char[size]);
        bool filled = false;
        for (bool last = false; !last;) {
            if (held == size || (filled && size < kWindow)) {
                std::unique_ptr<char[]> wider(new char[2 * size]);
                std::memcpy(wider.get(), window.get(), held);
                window = std::move(wider);
                size *= 2;
            }
            const std::size_t got = pull(window.get() + held, size - held);
            filled = got == size - held;
            last = got == 0;
            held += got;
            const std::size_t read = c.Feed(std::string_view(window.get(), held), last);
            // The line not read yet moves to the front.
            std::memmove(window.get(), window.get() + read, held - read);
            held -= read;
        }
    });
}

} // namespace quillon::exact
