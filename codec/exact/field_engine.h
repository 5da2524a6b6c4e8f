// Exact mode's one way into the classic engine: scanning an instruction's
// fields from a line's tokens and printing them from its bytes, through the
// exact forms. Only field_engine.cpp sees the engine's record and its inner
// functions; the rest of exact mode goes through this class.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {
struct ScriptContext;
class CompileListener;
} // namespace quillon

namespace quillon::exact {

class FieldEngine {
  public:
    // How many bytes the engine may read from a token's start on a line that
    // it is told it may read past.
    static constexpr std::size_t kReadable = 16;

    // The engine reports what it finds wrong in a line to `listener` (none
    // for printing only).
    explicit FieldEngine(CompileListener* listener = nullptr);
    ~FieldEngine();
    FieldEngine(const FieldEngine&) = delete;
    FieldEngine& operator=(const FieldEngine&) = delete;

    // The tokens of the line being read, which the lexer fills: the engine's
    // own, so that a line needs no copy.
    std::vector<std::string_view>& Tokens() { return *tokens_; }
    // A new line is in Tokens(). `readable`: kReadable bytes may be
    // read from the start of each of its tokens (numbers and names are then
    // read several bytes at a time).
    void StartLine(bool readable);
    // Keeps tokens [first, end) of the line as those of one instruction:
    // Tokens() holds them alone from then on.
    void Keep(std::size_t first, std::size_t end);
    // The opcode that the first kept token names, or -1.
    int InstructionOf() const;
    // Scans the kept tokens into the fields of `op`'s exact form, reporting
    // to the listener, and returns the instruction's bytes (64 of them, zero
    // where no field or preset wrote).
    const std::uint8_t* Scan(std::uint8_t op);
    // Appends the line of the instruction at `bytes` (`count` bytes, the
    // opcode first) through its exact form.
    void Print(const char* bytes, std::size_t count, std::string& out);

  private:
    std::unique_ptr<ScriptContext> ctx_;
    std::vector<std::string_view>* tokens_;
    std::size_t first_ = 0, end_ = 0; // the kept tokens, by their places in the line
};

} // namespace quillon::exact
