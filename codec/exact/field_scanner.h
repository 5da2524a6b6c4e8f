// The exact compiler's scanning of an instruction's fields, through the
// classic engine's public way into them (codec/classic/fields.h): a record of
// the exact dialect, compiling, whose tokens are the line's, so that a line
// needs no copy. Its functions are inline: they stand in the compiler's line
// loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "codec/classic/context.h"
#include "codec/classic/fields.h"
#include "codec/classic/source.h"
#include "codec/isa/exact_rows.h"

namespace quillon::exact {

class FieldScanner {
  public:
    // How many bytes the scanner may read from a token's start on a line
    // that it is told it may read past.
    static constexpr std::size_t kReadable = kReadableFromToken;

    // The scanner reports what it finds wrong in a line to `listener`.
    explicit FieldScanner(CompileListener* listener) : ctx_(ExactRows().dialect) {
        ctx_.compiling = 1;
        ctx_.listener = listener;
    }

    // The tokens of the line being read, which the lexer fills.
    std::vector<std::string_view>& Tokens() { return ctx_.tokens; }
    // A new line is in Tokens(). `readable`: kReadable bytes may be read from
    // the start of each of its tokens (numbers and names are then read
    // several bytes at a time).
    void StartLine(bool readable) {
        first_ = 0;
        end_ = ctx_.tokens.size();
        ctx_.tokenCount = ctx_.liveTokens = static_cast<std::int32_t>(end_);
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
    // Puts the line's tokens back (a copy of Tokens() taken after StartLine),
    // to keep another part of them.
    void Restore(const std::vector<std::string_view>& line, bool copied) {
        ctx_.tokens.assign(line.begin(), line.end());
        first_ = 0;
        end_ = line.size();
        ctx_.tokenCount = ctx_.liveTokens = static_cast<std::int32_t>(end_);
        ctx_.lineCopied = copied;
    }
    bool Copied() const { return ctx_.lineCopied; }
    // The kept tokens were changed in place, and may be fewer.
    void Recount() {
        ctx_.tokenCount = ctx_.liveTokens = static_cast<std::int32_t>(ctx_.tokens.size());
        end_ = first_ + ctx_.tokens.size();
    }
    // Puts `tokens` in place of the kept ones (made for names: nothing may
    // be read past them).
    void Replace(const std::vector<std::string_view>& tokens) {
        ctx_.tokens.assign(tokens.begin(), tokens.end());
        ctx_.tokenCount = ctx_.liveTokens = static_cast<std::int32_t>(tokens.size());
        ctx_.lineCopied = true;
    }
    // The opcode that the first kept token names, or -1.
    int InstructionOf() const { return InstructionNamed(ctx_); }
    // Scans the kept tokens into the fields of `op`'s exact form, reporting
    // to the listener, and returns the instruction's bytes (64 of them, zero
    // where no field or preset wrote).
    std::uint8_t* Scan(std::uint8_t op, const Form& form) {
        std::memset(ctx_.code, 0, sizeof ctx_.code);
        ctx_.opcode = ctx_.code[0] = op;
        ScanInstruction(ctx_, form);
        return ctx_.code;
    }

  private:
    ScriptContext ctx_;
    std::size_t first_ = 0, end_ = 0; // the kept tokens, by their places in the line
};

} // namespace quillon::exact
