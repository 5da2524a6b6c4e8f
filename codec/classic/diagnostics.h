// Events that the compiler reports while it works. The drivers of the Windows
// program attach no listener and stay silent; the command-line tool turns the
// events into warnings. Listening never changes the bytes written.
#pragma once

#include <cstdint>
#include <string_view>

#include "codec/isa/opcodes.h"

namespace quillon {

enum class Issue : std::uint8_t {
    UnknownName,     // a line whose word is no keyword and no instruction name
    SkippedKeyword,  // a keyword line that this dialect passes over (prototype if/do/while)
    BadNumber,       // an argument that does not scan
    MissingArgument, // fewer arguments than the form has fields
    SurplusArgument, // more arguments than the form has fields
    BadOperator,     // an operator that is not in its list
    OutOfRange,      // a value that does not fit its field
    UnmatchedClose,  // "}" or "} else {" with no open block
    UnclosedBlock,   // a block still open at the end of the source
    JoinedLine,      // a physical line's end joined the next line to it: a CR with a "("
                     // still open, or an LF alone; sourceOffset is that CR or LF, value
                     // the logical line's start
};

struct Diagnostic {
    Issue issue;
    std::int32_t sourceOffset; // byte offset in the source of the token concerned
    std::string_view token;    // the token concerned (may be empty)
    std::uint8_t opcode;       // the instruction being compiled (0xFF when none)
    int argument;              // argument number, 1 for the first (0 when none)
    std::int64_t value;        // OutOfRange: the scanned value
    Kind kind;                 // OutOfRange, BadNumber: the field kind
};

class CompileListener {
  public:
    virtual ~CompileListener() = default;
    virtual void Report(const Diagnostic& d) = 0;
    // Whether the next Report of `issue` needs the place of its token: when
    // not, its sourceOffset is -1 and the compiler spares the work of finding
    // it (a listener that only counts such reports).
    virtual bool NeedsPlace(Issue issue) const {
        (void)issue;
        return true;
    }
    // A logical line has been handled: its source bytes [sourceBegin,
    // sourceEnd) produced the output bytes [outputBegin, outputEnd).
    virtual void LineDone(std::int32_t sourceBegin, std::int32_t sourceEnd,
                          std::int32_t outputBegin, std::int32_t outputEnd) {
        (void)sourceBegin, (void)sourceEnd, (void)outputBegin, (void)outputEnd;
    }
    // The compile is over (after the last LineDone and Report): `source` is the
    // whole source text, valid during the call only. A streamed compile
    // (CompileStream) gives the text from its input's `base` on instead.
    virtual void SourceDone(std::string_view source) { (void)source; }
    // A streamed compile is done with the source bytes from `offset` on:
    // they leave its window, and a listener keeps now what it needs of them.
    virtual void SourcePassed(std::int32_t offset, std::string_view bytes) {
        (void)offset, (void)bytes;
    }
};

} // namespace quillon
