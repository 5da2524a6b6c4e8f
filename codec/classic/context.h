// The state of one dialect's codec, its context. One context per dialect lives for
// the whole program; each driver run resets only the fields it names, and the
// instruction buffer is never cleared.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/classic/print_plan.h"
#include "codec/isa/opcodes.h"

namespace quillon {

// A file as the codec sees it: the whole input in memory, or the output being
// built. A null pointer in the context stands for "no file".
struct InputFile {
    std::string_view bytes;
    std::int32_t base = 0; // the offset of bytes[0]: a streamed compile holds a window
};
struct OutputFile {
    std::string bytes;
    std::int32_t base = 0; // the offset of bytes[0]: a streamed compile hands on what is before
};

class CompileListener;

struct ScriptContext {
    explicit ScriptContext(const Dialect& d) : dialect(&d), plan(&PlanOf(d)) {}

    const Dialect* dialect;
    const PrintPlan* plan; // the printer's plan of the dialect

    std::uint8_t opcode = 0;
    std::uint8_t code[64] = {};
    InputFile* input = nullptr;
    std::int32_t readPos = 0;
    std::int32_t nextPos = 0;
    std::int32_t compiling = 0;
    std::int32_t tokenCount = 0;
    std::vector<std::string_view> tokens; // views into `line`

    // Prototype compiling: open for blocks. Entries 1 to 127 of blockStack
    // record them; deeper for blocks are counted by forDepth alone, which is
    // all the closing rule needs (every entry is the for opcode).
    std::int32_t forDepth = 0;
    std::int32_t blockStack[128] = {};

    // Disassembling: the open else blocks, index 1 upward. The lists grow past
    // the seventh block instead of overflowing.
    std::int32_t elseDepth = 0;
    std::int32_t elseOpen = 0;
    std::vector<std::int32_t> elseLength = std::vector<std::int32_t>(8);
    std::vector<std::int32_t> elseEnd = std::vector<std::int32_t>(8);
    std::int32_t caseOpen = 0;

    // Retail compiling: the open blocks, innermost last. Replaces the single
    // do/for flags so that nested blocks close with the right bytes.
    std::vector<BlockKind> blocks;

    std::int32_t indent = 1;

    // Working storage of the disassembler: its text in the making, handed on
    // in pieces; kept from run to run, so that a run needs no fresh memory.
    // Not state: a copy of the context starts with none.
    struct Scratch {
        std::string text;
        Scratch() = default;
        Scratch(const Scratch&) {}
        Scratch& operator=(const Scratch&) { return *this; }
    } textPiece;

    // Working storage of the compiler: the current logical line (tokens point
    // into it) and, when a listener is attached, the source offset of each
    // kept character.
    std::string line;
    std::vector<std::int32_t> lineOffsets;
    // The classic compiler reads a line into a buffer of its own and leaves
    // `line` as it was: the tokens point into `readLine` until a diagnostic
    // or the compile's end has the line copied into `line` (`lineCopied`).
    // Until then kReadableFromToken bytes can be read from a token's start.
    std::string_view readLine;
    bool lineCopied = true;
    // The index in the input's bytes where the classic compiler began reading
    // the current line (-1: none). It fills `lineOffsets` only when a
    // diagnostic needs them, by reading the line again from there.
    std::int32_t lineFrom = -1;
    CompileListener* listener = nullptr;
    // Tokens of the line not yet consumed by keyword shifts. A shift keeps
    // `tokenCount` (the last tokens then stand twice); arguments, diagnostics
    // and keyword handling go by this count, so those copies are never read
    // as arguments.
    std::int32_t liveTokens = 0;
    // The output of the compile in progress (both dialects).
    OutputFile* target = nullptr;
};

} // namespace quillon
