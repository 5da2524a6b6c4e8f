// An instruction's line with its operands named: each field of its exact
// form that has a meaning where it stands (codec/isa/meanings.h) prints the
// name of its value, a user's name first; a procedure prints as its
// function's name; Calc's OR and AND print as C spells them. The others
// print as numbers, as the form prints them.
#pragma once

#include <cstdint>
#include <string>

#include "codec/classic/print_plan.h"
#include "codec/exact/exact.h"
#include "codec/exact/naming.h"

namespace quillon::exact {

// "Sub03" for procedure 3: the name the disassembler gives its function.
char* WriteProcedureName(std::uint32_t number, char* p);

class NamedLines {
  public:
    explicit NamedLines(const PrintOptions& options);
    // Appends the line of the instruction at `code` (its opcode first),
    // without indentation and line end.
    void Append(const std::uint8_t* code, std::string& out) const;

  private:
    // Writes the name of field `k` of `line` at `out` and returns its end;
    // null when it has none. A user's name for a run of values takes the
    // fields after it too (`taken` of them).
    char* Name(const LinePlan& line, int k, const std::uint8_t* code, char* out, int& taken) const;
    char* UserName(const LinePlan& line, int k, const Position& p, std::uint32_t value,
                   const std::uint8_t* code, char* out, int& taken) const;

    const PrintPlan& plan_;
    const Naming& naming_;
    bool numbers_;
    const NameBook* book_;
    bool spelled_[256] = {}; // an operator of its line is spelled otherwise than classic
};

} // namespace quillon::exact
