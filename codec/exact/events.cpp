// What the front end tells a listener: each token of a line as C tokens with
// their role, each argument with its place and value, and functions and
// blocks when they end. Nothing here runs when nobody listens.
#include "codec/exact/compiler.h"
#include "codec/exact/listener.h"
#include "codec/exact/naming.h"

namespace quillon::exact {

namespace {

bool IsWordByte(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9');
}
bool IsOperatorByte(char c) {
    return std::string_view("+-*/%|&^~<>=!?").find(c) != std::string_view::npos;
}

bool IsKeyword(std::string_view w) {
    static constexpr std::string_view kKeywords[] = {"int",   "void",    "if",   "else",
                                                     "while", "do",      "for",  "switch",
                                                     "case",  "default", "goto", "raw"};
    for (const std::string_view k : kKeywords)
        if (w == k) return true;
    return false;
}

} // namespace

// The role of a name in a line, where its place does not tell it.
TokenRole Compiler::NameRole(std::string_view name) const {
    if (!book_.Empty() && book_.Find(name)) return TokenRole::Macro;
    if (Naming::Builtin().Find(name)) return TokenRole::Builtin;
    if (IsKeyword(name)) return TokenRole::Keyword;
    if (rows_.dialect.FindName(name) >= 0) return TokenRole::Instruction;
    return TokenRole::Function;
}

void Compiler::TellLineTokens() {
    const std::size_t n = tokens_.size();
    const std::string_view first = tokens_[0];
    if (first[0] == '#') return; // the preprocessor's lines tell their own
    const bool head = first == "int" || first == "void";
    const bool label = IsLabel();
    const bool gotoLine = first == "goto";
    const bool raw = first == "raw";
    for (std::size_t k = 0; k < n; ++k) {
        const std::string_view t = tokens_[k];
        // A token of the line as C tokens: names, numbers (a "-" before a
        // token's digits with them), character constants, operators.
        for (std::size_t i = 0; i < t.size();) {
            std::size_t e = i + 1;
            TokenRole role = TokenRole::Operator;
            bool definition = false;
            const char c = t[i];
            if (raw && k > 0) {
                e = t.size();
                role = TokenRole::Number;
            } else if ((c >= '0' && c <= '9') ||
                       (c == '-' && i == 0 && t.size() > 1 && t[1] >= '0' && t[1] <= '9')) {
                while (e < t.size() && (IsWordByte(t[e]) || t[e] == '.')) ++e;
                role = TokenRole::Number;
            } else if (c == '\'') {
                while (e < t.size() && t[e] != '\'') ++e;
                e = std::min(e + 1, t.size());
                role = TokenRole::Number;
            } else if (IsNameStart(c)) {
                while (e < t.size() && IsWordByte(t[e])) ++e;
                const std::string_view name = t.substr(i, e - i);
                role = NameRole(name);
                if (k == 0 && label) {
                    role = TokenRole::Label;
                    definition = true;
                } else if (k == 1 && head && i == 0) {
                    role = TokenRole::Function;
                    definition = true;
                } else if (k == 1 && gotoLine && i == 0) {
                    role = n == 2 && functions_.count(std::string(name)) ? TokenRole::Function
                                                                         : TokenRole::Label;
                }
            } else if (IsOperatorByte(c)) {
                while (e < t.size() && IsOperatorByte(t[e])) ++e;
            } else if (c == '{' || c == '}') {
                role = TokenRole::Keyword;
            }
            TellToken(t.substr(i, e - i), role, definition);
            i = e;
        }
    }
}

void Compiler::TellArguments(std::uint8_t op, const Form& form, const std::uint8_t* bytes) {
    const Naming& naming = Naming::Builtin();
    const std::vector<Field>& fields = &form == rows_.oldForm[op] ? oldScanned_[op] : scanned_[op];
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const std::size_t t = form.firstToken + k;
        if (t >= tokens_.size()) break;
        const Field& f = fields[k];
        ArgumentEvent a;
        const std::string_view token = tokens_[t];
        a.span = SpanOf(token);
        // Values joined by "|" are one argument, the tokens that follow the
        // first one's.
        if (const std::string_view line = lexer_.Text(), first = Original(token);
            k + 1 != static_cast<std::size_t>(operatorAt_[op]) && first.data() >= line.data() &&
            first.data() < line.data() + line.size()) {
            std::size_t p = static_cast<std::size_t>(first.data() - line.data()) + first.size();
            for (std::size_t q = p;;) {
                while (q < line.size() && (line[q] == ' ' || line[q] == '\t')) ++q;
                if (q + 1 >= line.size() || line[q] != '|' || line[q + 1] == '|') break;
                for (++q; q < line.size() && (line[q] == ' ' || line[q] == '\t');) ++q;
                const std::size_t word = q;
                while (q < line.size() && IsWordByte(line[q])) ++q;
                if (q == word) break;
                p = q;
            }
            a.span.length =
                static_cast<int>(p - static_cast<std::size_t>(first.data() - line.data()));
        }
        a.opcode = op;
        a.index = static_cast<int>(k);
        a.offset = f.offset;
        a.kind = f.kind;
        if (const Position* p = naming.At(bytes, f.offset)) a.meaning = p->meaning;
        a.known = true;
        a.value = IsWide(f.kind) ? bytes[f.offset] | bytes[f.offset + 1] << 8 : bytes[f.offset];
        if (RangeOf(f.kind).low < 0)
            a.value = IsWide(f.kind) ? static_cast<std::int16_t>(a.value)
                                     : static_cast<std::int8_t>(a.value);
        for (const NamedArgument& n : named_)
            if (n.field == k) {
                a.valueMeaning = n.argument.meaning;
                a.known = !n.argument.unresolved;
                if (n.argument.unresolved) a.valueMeaning = Meaning::Procedure;
            }
        listener_->Argument(a);
    }
}

void Compiler::OpenBlock(std::string_view keyword, bool isCase) {
    if (listener_) blocks_.push_back({SpanOf(keyword), line_, isCase});
}

void Compiler::CloseBlock(int lastLine) {
    if (!listener_ || blocks_.empty()) return;
    const OpenedBlock b = blocks_.back();
    blocks_.pop_back();
    listener_->Block({b.keyword, b.firstLine, lastLine});
}

void Compiler::CloseCase(int lastLine) {
    if (listener_ && !blocks_.empty() && blocks_.back().isCase) CloseBlock(lastLine);
}

} // namespace quillon::exact
