// The exact printer: a procedure's items as the lines of its function.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/classic/fields.h"
#include "codec/classic/print_plan.h"
#include "codec/exact/ir.h"
#include "codec/isa/exact_rows.h"

namespace quillon::exact {

class Printer {
  public:
    explicit Printer(std::string& text) : text_(text), plan_(PlanOf(ExactRows().dialect)) {}

    // Appends the function of procedure `number`, whose items are those of
    // `proc` and whose labels stand at the chunk offsets `labelAt`.
    void Procedure(const exact::Procedure& proc, int number,
                   const std::vector<std::int32_t>& labelAt);

  private:
    // "L" and the label's chunk offset in four hexadecimal digits.
    void LabelName(std::int32_t at);
    void Tabs(int depth) { text_.append(static_cast<std::size_t>(depth > 0 ? depth : 0), '\t'); }
    // The text of a code item: its instruction's line, or its raw bytes.
    void Code(const exact::Procedure& proc, const Item& e, bool condition);
    // The instruction's line through its exact form.
    void Fields(const exact::Procedure& proc, const Item& e) {
        AppendInstruction(plan_, reinterpret_cast<const std::uint8_t*>(proc.pool.data() + e.first),
                          text_);
    }
    // The line of an opener: a condition's block with its condition inside
    // the parentheses, any other through its form.
    void Open(const exact::Procedure& proc, std::size_t& k);

    std::string& text_;
    const PrintPlan& plan_;
};

} // namespace quillon::exact
