// An instruction's line: raw bytes, or an instruction scanned through its
// exact form by the field engine, whose diagnostics become the compiler's
// messages.
#include <algorithm>
#include <string>

#include "codec/base/text.h"
#include "codec/exact/compiler.h"

namespace quillon::exact {

void Compiler::Report(const Diagnostic& d) {
    const std::string name = std::string("'") + rows_.dialect.Name(d.opcode) + "'";
    const int column = Column(d.token);
    const std::string token(d.token.substr(0, 60));
    const int wanted = operands_.of[d.opcode].arguments;
    switch (d.issue) {
    case Issue::BadNumber:
        Message(true, column,
                FormatText("argument %d of %s: '%s' is not a %s number", d.argument, name.c_str(),
                           token.c_str(), ScansHex(d.kind) ? "hexadecimal" : "decimal"));
        return;
    case Issue::MissingArgument:
        if (missingReported_) return;
        missingReported_ = true;
        Message(true, column,
                FormatText("%s takes %d argument%s, %d given", name.c_str(), wanted,
                           wanted == 1 ? "" : "s", d.argument - 1));
        return;
    case Issue::SurplusArgument:
        Message(true, column,
                FormatText("%s takes %d argument%s; '%s' is one too many", name.c_str(), wanted,
                           wanted == 1 ? "" : "s", token.c_str()));
        return;
    case Issue::BadOperator:
        Message(true, column,
                FormatText("argument %d of %s: '%s' is not an operator of its list", d.argument,
                           name.c_str(), token.c_str()));
        return;
    case Issue::OutOfRange:
        Message(false, column,
                FormatText("argument %d of %s: %s does not fit (%d to %d); only its low %d bits "
                           "are kept",
                           d.argument, name.c_str(), token.c_str(), RangeOf(d.kind).low,
                           RangeOf(d.kind).high, WidthOf(d.kind) * 8));
        return;
    default: return;
    }
}

bool Compiler::RawLine(std::size_t first, std::size_t end, bool condition) {
    const std::string_view word = tokens_[first];
    std::string bytes;
    for (std::size_t k = first + 1; k < end; ++k) {
        bool overflow = false;
        const auto v = ScanHex(tokens_[k], &overflow);
        if (!v || overflow || *v < 0 || *v > 255 ||
            tokens_[k].find_first_not_of("0123456789abcdefABCDEFxX") != std::string_view::npos) {
            Error(tokens_[k], FormatText("'%s' is not a byte in hexadecimal (00 to FF)",
                                         std::string(tokens_[k].substr(0, 60)).c_str()));
            return false;
        }
        bytes += static_cast<char>(*v);
    }
    if (bytes.empty()) {
        Error(word, "'raw' needs at least one byte");
        return false;
    }
    for (std::size_t at = 0; at < bytes.size(); at += 255) {
        Item e = Make(ItemKind::Code, word);
        e.raw = true;
        e.condition = condition;
        Put(e, bytes.data() + at, std::min<std::size_t>(255, bytes.size() - at), false);
    }
    return true;
}

bool Compiler::Instruction(std::size_t first, std::size_t end, bool condition) {
    if (first >= end) {
        Error(std::string_view(), "the condition is missing");
        return false;
    }
    const std::string_view word = tokens_[first];
    if (word == "raw") return RawLine(first, end, condition);
    engine_.Keep(first, end);
    const int op = engine_.InstructionOf();
    if (op < 0) {
        Error(word,
              FormatText("unknown instruction '%s'", std::string(word.substr(0, 60)).c_str()));
        return false;
    }
    if (rows_.row[op].role != Role::Plain) {
        Error(word, FormatText("'%s' has no line of its own in exact mode; write its bytes with "
                               "raw(...)",
                               std::string(word).c_str()));
        return false;
    }
    Item e = Make(ItemKind::Code, word);
    e.condition = condition;
    return Scan(static_cast<std::uint8_t>(op), first, end, e);
}

bool Compiler::Scan(std::uint8_t op, std::size_t first, std::size_t end, const Item& item) {
    engine_.Keep(first, end);
    missingReported_ = false;
    const int before = errors_;
    const std::uint8_t* const bytes = engine_.Scan(op);
    // The engine checks for surplus arguments where a form has fields; here
    // every line is checked (the for line's own words and a final "{" aside).
    const Form& form = *rows_.dialect.forms[op];
    if (form.fieldCount == 0 && form.special != Special::For) {
        std::size_t live = tokens_.size();
        while (live > 1 && tokens_[live - 1] == "{") --live;
        if (live > form.firstToken)
            Report({Issue::SurplusArgument, -1, tokens_[form.firstToken], op, 1, 0, Kind::U8});
    }
    if (errors_ > before) return false;
    Put(item, bytes, static_cast<std::size_t>(rows_.dialect.Size(op)), true);
    return true;
}

} // namespace quillon::exact
