// The field scanner's diagnostics as the compiler's messages, named after
// the instruction and its argument.
#include <string>

#include "codec/base/text.h"
#include "codec/exact/compiler.h"

namespace quillon::exact {

void Compiler::Report(const Diagnostic& d) {
    const std::string name = std::string("'") + rows_.dialect.Name(d.opcode) + "'";
    const int column = Column(d.token);
    const std::string token = MessageWord(Original(d.token));
    const int length = static_cast<int>(Original(d.token).size());
    const int wanted = operands_.of[d.opcode].arguments;
    switch (d.issue) {
    case Issue::BadNumber:
        Message(true, column,
                FormatText("argument %d of %s: '%s' is not a %s number", d.argument, name.c_str(),
                           token.c_str(), ScansHex(d.kind) ? "hexadecimal" : "decimal"),
                length);
        return;
    case Issue::MissingArgument:
        if (missingReported_) return;
        missingReported_ = true;
        Message(true, column,
                FormatText("%s takes %d argument%s, %d given", name.c_str(), wanted,
                           wanted == 1 ? "" : "s", d.argument - 1),
                length);
        return;
    case Issue::SurplusArgument:
        Message(true, column,
                FormatText("%s takes %d argument%s; '%s' is one too many", name.c_str(), wanted,
                           wanted == 1 ? "" : "s", token.c_str()),
                length);
        return;
    case Issue::BadOperator:
        Message(true, column,
                FormatText("argument %d of %s: '%s' is not an operator of its list", d.argument,
                           name.c_str(), token.c_str()),
                length);
        return;
    case Issue::OutOfRange:
        Message(false, column,
                FormatText("argument %d of %s: %s does not fit (%d to %d); only its low %d bits "
                           "are kept",
                           d.argument, name.c_str(), token.c_str(), RangeOf(d.kind).low,
                           RangeOf(d.kind).high, WidthOf(d.kind) * 8),
                length);
        return;
    default: return;
    }
}

} // namespace quillon::exact
