// Checks shared by the fuzz harnesses. A broken check prints what it saw and
// aborts, which libFuzzer reports as a crash with the input that caused it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "codec/base/text.h"
#include "codec/classic/context.h"
#include "codec/classic/engine.h"

namespace quillon::fuzzing {

// The harnesses' own checks are left out of the coverage: what they find is
// no news about the code under test, and tracing their loops over every
// character of a text took a good part of each run.
#define QUILLON_FUZZ_CHECK __attribute__((no_sanitize("coverage")))

[[noreturn]] inline void Fail(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    if (!detail.empty())
        std::fprintf(stderr, "%.*s\n",
                     static_cast<int>(detail.size() > 4000 ? 4000 : detail.size()), detail.data());
    std::abort();
}

// The message boxes of the codec have no one to show them to here.
inline void QuietSink(const char*, const char*) {}

// The records live for the whole fuzzing run, as in the program, so every
// input meets the state (instruction buffer, caseOpen, the else lists,
// blockStack) that the inputs before it left behind.
inline ScriptContext& Record(const Dialect& d) {
    static ScriptContext* retail = new ScriptContext(RetailDialect());
    static ScriptContext* prototype = new ScriptContext(PrototypeDialect());
    return &d == &PrototypeDialect() ? *prototype : *retail;
}

// The most text one byte of bytecode can produce: a pass writes at most 253
// tabs, a line and CR LF, and there are never more passes than bytes. The
// longest line per byte read is the unknown-opcode comment of a size-0 opcode
// (42 characters for no byte at all, one per pass). A condition chain reads
// several instructions in one pass, but each of its parts is at least one
// byte and prints at most a few dozen characters.
constexpr size_t kTextPerByte = 253 + 2 + 64;

// What every disassembly must look like, whatever the bytes.
QUILLON_FUZZ_CHECK inline void CheckDisassembly(std::string_view text, std::string_view title,
                                                size_t inputSize, bool indent) {
    const std::string header = "int " + std::string(title) + "(void) {\r\n\r\n";
    if (text.substr(0, header.size()) != header) Fail("disassembly lacks its header", text);
    if (text.empty() || text.back() != '}') Fail("disassembly lacks its closing brace", text);
    if (text.size() > header.size() + 1 + kTextPerByte * inputSize)
        Fail("disassembly longer than its bound");
    const std::string_view body = text.substr(header.size(), text.size() - header.size() - 1);
    // Each line ends at its first CR, which LF must follow; memchr, not the
    // string's finds, whose every comparison the coverage would trace.
    size_t lines = 0;
    size_t start = 0;
    while (start < body.size()) {
        const char* from = body.data() + start;
        const auto* cr = static_cast<const char*>(std::memchr(from, '\r', body.size() - start));
        if (!cr) {
            // Passes that write no line (0x90 and above, 0xFF) still write
            // their tabs, which then stand before the closing brace.
            const std::string_view rest = body.substr(start);
            if (!indent || rest.find_first_not_of('\t') != std::string_view::npos)
                Fail("disassembly line without CR LF", rest);
            break;
        }
        const size_t length = static_cast<size_t>(cr - from);
        const std::string_view line(from, length);
        if (start + length + 1 >= body.size() || cr[1] != '\n' || std::memchr(from, '\n', length) ||
            std::memchr(from, '\0', length))
            Fail("disassembly line holds CR, LF or NUL", line);
        if (!indent && length && line[0] == '\t') Fail("tabs written with indentation off", line);
        ++lines;
        start += length + 2;
    }
    if (lines > inputSize) Fail("more lines than bytes");
}

// The most bytes one byte of source can compile to: a logical line of n
// bytes (its characters and the CR that ends it) holds at most n/3 "if" or
// "while" keywords of 4 bytes each, then one instruction whose name takes at
// least one byte, plus the 2 bytes of "} while".
inline size_t CompileBound(const Dialect& d, size_t sourceSize) {
    size_t worst = 4; // "}" alone: 00 00, 08 00 or 12 04, then a second write
    for (int op = 0; op < 0x90; ++op) {
        const size_t name = std::char_traits<char>::length(d.Name(static_cast<std::uint8_t>(op)));
        const size_t perByte =
            (static_cast<size_t>(d.Size(static_cast<std::uint8_t>(op))) + 2 + name) /
                (name ? name : 1) +
            1;
        if (perByte > worst) worst = perByte;
    }
    return 64 + worst * sourceSize;
}

} // namespace quillon::fuzzing
