// Exact mode's one way into the classic engine: scanning an instruction's
// fields from a line's tokens and printing them from its bytes, through the
// exact forms. Only this file sees the engine's record and its inner
// functions; the rest of exact mode goes through this class. Its functions
// are inline: they stand in the compiler's line loop, which calls the
// engine's own as directly as it would without them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "codec/classic/context.h"
#include "codec/classic/engine_internals.h"
#include "codec/classic/source.h"
#include "codec/isa/exact_rows.h"

namespace quillon::exact {

class FieldEngine {
  public:
    // How many bytes the engine may read from a token's start on a line that
    // it is told it may read past.
    static constexpr std::size_t kReadable = kReadableFromToken;

    // The engine reports what it finds wrong in a line to `listener` (none
    // for printing only).
    explicit FieldEngine(CompileListener* listener = nullptr) : ctx_(ExactRows().dialect) {
        ctx_.compiling = 1;
        ctx_.listener = listener;
    }

    // The tokens of the line being read, which the lexer fills: the engine's
    // own, so that a line needs no copy.
    std::vector<std::string_view>& Tokens() { return ctx_.tokens; }
    // A new line is in Tokens(). `readable`: kReadable bytes may be read from
    // the start of each of its tokens (numbers and names are then read
    // several bytes at a time); the engine need not copy the line.
    void StartLine(bool readable) {
        first_ = 0;
        end_ = ctx_.tokens.size();
        ctx_.tokenCount = ctx_.liveTokens = static_cast<std::int32_t>(end_);
        ctx_.readLine = {};
        ctx_.lineCopied = !readable;
    }
    // Keeps tokens [first, end) of the line as those of one instruction:
    // Tokens() holds them alone from then on, and nothing reads the line's
    // tokens by their places after that.
    void Keep(std::size_t first, std::size_t end) {
        if (first_ == first && end_ == end) return;
        std::vector<std::string_view>& tokens = ctx_.tokens;
        const auto begin = tokens.begin();
        tokens.erase(begin + static_cast<std::ptrdiff_t>(end - first_), tokens.end());
        tokens.erase(begin, begin + static_cast<std::ptrdiff_t>(first - first_));
        ctx_.tokenCount = ctx_.liveTokens = static_cast<std::int32_t>(tokens.size());
        first_ = first;
        end_ = end;
    }
    // The opcode that the first kept token names, or -1.
    int InstructionOf() const { return detail::QuickInstructionOf(ctx_); }
    // Scans the kept tokens into the fields of `op`'s exact form, reporting
    // to the listener, and returns the instruction's bytes (64 of them, zero
    // where no field or preset wrote).
    const std::uint8_t* Scan(std::uint8_t op) {
        std::memset(ctx_.code, 0, sizeof ctx_.code);
        ctx_.opcode = ctx_.code[0] = op;
        const Form& form = *ctx_.dialect->forms[op];
        if (!detail::QuickScanFields(ctx_, form)) detail::ScanFields(ctx_, form);
        return ctx_.code;
    }
    // Appends the line of the instruction at `bytes` (`count` bytes, the
    // opcode first) through its exact form.
    void Print(const char* bytes, std::size_t count, std::string& out) {
        ctx_.opcode = static_cast<std::uint8_t>(bytes[0]);
        std::copy_n(bytes, count, reinterpret_cast<char*>(ctx_.code));
        detail::PrintFields(ctx_, *ctx_.dialect->forms[ctx_.opcode], out);
    }

  private:
    ScriptContext ctx_;
    std::size_t first_ = 0, end_ = 0; // the kept tokens, by their places in the line
};

} // namespace quillon::exact
