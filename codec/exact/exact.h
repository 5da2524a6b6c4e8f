// Exact mode: a retail script chunk, as a room file stores it, converted to a
// text that compiles back byte for byte, and that text compiled back with
// every block length, jump offset, alignment pad and procedure offset worked
// out from the braces and labels.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "codec/base/pieces.h"
#include "codec/exact/name_book.h"

namespace quillon::exact {

// The first line of every exact text.
inline constexpr std::string_view kMarker = "// quillon exact";

// True when `text` begins with the exact marker line.
bool IsExactText(std::string_view text);

// Checks the procedure table at the start of `chunk`. On failure `reason`
// says what is wrong ("the first procedure offset 0x0003 is odd", ...).
bool CheckChunk(std::string_view chunk, std::string& reason);

// An instruction as the printer writes it: where it lies and where its text
// starts (the line and column from 1, the column in bytes, tabs counted one
// each).
struct PrintedInstruction {
    int procedure = 0;
    std::int32_t at = 0;                 // its chunk offset
    const std::uint8_t* bytes = nullptr; // its bytes, the opcode first
    int size = 0;
    bool raw = false;       // raw bytes: no instruction read from them
    bool condition = false; // a condition in a block's header
    int line = 0, column = 0;
    int depth = 0; // its indentation: blocks open around it, a switch and its case one
};
// Told of every instruction line and condition that the printer writes.
class PrintListener {
  public:
    virtual ~PrintListener() = default;
    virtual void Printed(const PrintedInstruction& instruction) = 0;
};

// How an exact text is printed.
struct PrintOptions {
    bool numbers = false;              // every operand as a number: no names
    bool offsets = false;              // each instruction line ends "// 01A4: 2C 0D 04 31"
    const NameBook* names = nullptr;   // a user's names, printed before the built-in ones
    PrintListener* listener = nullptr; // told where each instruction is printed (none: nothing)
};

// The exact text of a valid chunk (CheckChunk first); false with `reason`
// when the chunk is not valid.
bool DisassembleChunk(std::string_view chunk, std::string& text, std::string& reason,
                      const PrintOptions& options = {});

// An error or a warning of the exact compiler, at a physical line and column
// of the text (both from 1). The text names no file: the caller adds it.
struct Message {
    bool error;
    int line;
    int column;
    std::string text;
    int length = 0; // the bytes of the token at fault (0: unknown)
};
using MessageHandler = std::function<void(const Message&)>;

// Compiles an exact text into a chunk. Errors and warnings go to `onMessage`
// (may be empty); the result is false when there was an error, and `chunk` is
// then of no use. Its `#include "file.h"` lines are read through
// `options.include` (none without one).
bool CompileChunk(std::string_view text, std::string& chunk, const MessageHandler& onMessage,
                  const CompileOptions& options = {});

// CompileChunk on a text read in pieces: `pull` puts up to `room` bytes of
// the text into `into` and returns how many, 0 at its end. The text is held
// a window at a time (a line longer than the window widens it), the items
// one function at a time; the procedures already laid out and the chunk are
// held whole.
using quillon::TextPull;
bool CompileStream(const TextPull& pull, std::string& chunk, const MessageHandler& onMessage,
                   const CompileOptions& options = {});

} // namespace quillon::exact
