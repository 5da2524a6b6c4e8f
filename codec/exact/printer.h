// The exact printer: a procedure's items as the lines of its function, with
// the operands named (named_line.h) and the conditions of a block's header
// joined by "&&" inside its parentheses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/exact/exact.h"
#include "codec/exact/ir.h"
#include "codec/exact/named_line.h"

namespace quillon::exact {

class Printer {
  public:
    Printer(std::string& text, const PrintOptions& options)
        : text_(text), options_(options), lines_(options) {}

    // Appends the function of procedure `number`, whose items are those of
    // `proc` and whose labels stand at the chunk offsets `labelAt`.
    void Procedure(const exact::Procedure& proc, int number,
                   const std::vector<std::int32_t>& labelAt);

  private:
    // "L" and the label's chunk offset in four hexadecimal digits.
    void LabelName(std::int32_t at);
    void Tabs(int depth) { text_.append(static_cast<std::size_t>(depth > 0 ? depth : 0), '\t'); }
    // The text of a code item: its instruction's line, or its raw bytes; a
    // statement ends with ";", a condition does not.
    void Code(const exact::Procedure& proc, const Item& e, bool condition);
    // The instruction's line through its exact form.
    void Fields(const exact::Procedure& proc, const Item& e) {
        lines_.Append(reinterpret_cast<const std::uint8_t*>(proc.pool.data() + e.first), text_);
    }
    // The conditions that follow item k, joined by "&&"; k ends at the last.
    void Conditions(const exact::Procedure& proc, std::size_t& k);
    // The line of an opener: a condition's block with its conditions inside
    // the parentheses, any other through its form.
    void Open(const exact::Procedure& proc, std::size_t& k);
    // With --offsets: the comment of the items [first, last] of a line.
    void Offsets(const exact::Procedure& proc, std::size_t first, std::size_t last);
    // The item's bytes from `from` on, each after a space, in hexadecimal.
    void Bytes(const exact::Procedure& proc, const Item& e, std::uint8_t from);
    // Tells the listener of the code item about to be printed at the end of
    // the text.
    void Tell(const exact::Procedure& proc, const Item& e, bool condition);

    std::string& text_;
    const PrintOptions& options_;
    NamedLines lines_;
    int number_ = 0; // the procedure printed
    int depth_ = 0;  // its blocks open, 1 at the function's own level
    // For the listener: the lines of the text up to `counted_`, and where
    // the last of them starts.
    std::size_t counted_ = 0, lineStart_ = 0;
    int line_ = 1;
};

} // namespace quillon::exact
