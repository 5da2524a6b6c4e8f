// C's constant expressions, as the exact front end reads them: in an
// instruction's argument (the arithmetic and bitwise operators) and in the
// preprocessor's "#if" lines (comparisons, "&&", "||", "!" and "?:" too).
// Values are 64-bit signed, and every value met must fit 32-bit signed:
// past that is an overflow, an error as division by zero is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace quillon::exact {

struct ConstExprOptions {
    // The whole grammar of "#if" (comparisons, "&&", "||", "?:"); without
    // it, an argument's: unary "- + ~ !", "* / %", "+ -", "<< >>", "&",
    // "^", "|" and parentheses.
    bool conditional = false;
    // The value of a name; false where it names none (an error, "unknown
    // name"). None: every name is unknown.
    std::function<bool(std::string_view name, std::int64_t& value)> lookup;
    // Whether a name is defined, for "defined(NAME)" and "defined NAME".
    // None: "defined" is a name as any other.
    std::function<bool(std::string_view name)> defined;
};

struct ConstExprError {
    std::size_t at = 0;     // where in the text the fault is (0-based)
    std::size_t length = 0; // the length of the token at fault (0 at the end)
    std::string reason;
};

// The value of the constant expression that `text` holds whole; false with
// `error`. Blanks may stand between tokens.
bool EvaluateConstExpr(std::string_view text, const ConstExprOptions& options, std::int64_t& value,
                       ConstExprError& error);

// A number as exact texts write it, read whole: decimal, or hexadecimal
// after "0x". Returns the length of the number that starts at `text` (digits,
// letters, "_" and "." belong to it, as in C), 0 where none starts there;
// `ok` false where that number is malformed ("0x", "20abc", "1e3").
std::size_t ReadNumber(std::string_view text, std::int64_t& value, bool& ok);

} // namespace quillon::exact
