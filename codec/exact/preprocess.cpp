// The preprocessor in the compiler's line loop: while macros are defined or a
// group of "#if" is open, each line is a directive, a line that the group
// leaves out, a line without macros read as it stands, or a line whose
// macros are expanded and whose expansion is cut into lines, one statement
// each. Headers that a text includes are read as its own lines.
#include <algorithm>

#include "codec/base/text.h"
#include "codec/exact/compiler.h"

namespace quillon::exact {

namespace {

bool Blank(char c) {
    return c == ' ' || c == '\t';
}

// Whether `s` is a label's name or a case or default: a ":" then ends it.
bool EndsAtColon(std::string_view s) {
    while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
    if (s.starts_with("case") && (s.size() == 4 || !IsNameStart(s[4]))) return true;
    return s == "default" || IsIdentifier(s);
}

bool IsWord(std::string_view s, std::string_view word) {
    return s.starts_with(word) && (s.size() == word.size() || !IsNameStart(s[word.size()]));
}

} // namespace

void Statements(std::string_view text, std::vector<std::pair<std::size_t, std::size_t>>& out) {
    out.clear();
    std::size_t start = 0;
    std::size_t lead = std::string_view::npos; // the statement's first byte that is no blank
    int depth = 0;
    auto cut = [&](std::size_t end) {
        if (lead < end) out.push_back({start, end});
        start = end;
        lead = std::string_view::npos;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (lead == std::string_view::npos && !Blank(c)) lead = i;
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        if (depth != 0) continue;
        if (c == ';' || c == '{' || (c == ':' && EndsAtColon(text.substr(lead, i - lead)))) {
            cut(i + 1);
        } else if (c == '}') {
            cut(i);
            lead = i;
            std::size_t k = i + 1;
            while (k < text.size() && Blank(text[k])) ++k;
            if (!IsWord(text.substr(k), "else") && !IsWord(text.substr(k), "while")) cut(i + 1);
        }
    }
    cut(text.size());
}

std::string Compiler::Where() const {
    if (headers_.empty()) return FormatText("line %d", line_);
    return FormatText("%s:%d", headers_.back().name.c_str(), line_);
}

void Compiler::Preprocess() {
    if (tokens_.empty()) return;
    if (tokens_[0][0] == '#') return Directive();
    if (directives_->Skipping()) return;
    const std::string_view text = lexer_.Text();
    MacroTable& macros = directives_->Macros();
    preprocessing_ = false;
    if (!macros.Uses(text)) {
        Line();
        preprocessing_ = true;
        return;
    }
    MacroError error;
    const bool expanded = macros.Expand(text, expanded_, error);
    if (options_->listener)
        for (const auto& [at, length] : macros.Uses())
            TellToken(text.substr(at, length), TokenRole::Macro);
    if (!expanded) {
        std::string message = error.reason;
        if (!error.macro.empty())
            message += " (in the expansion of '" + error.macro + "', " + error.where + ")";
        Message(true, static_cast<int>(error.at) + 1, std::move(message));
        preprocessing_ = true;
        return;
    }
    Statements(expanded_, statements_);
    cut_.clear();
    for (const auto& [from, to] : statements_) {
        cut_.append(expanded_, from, to - from);
        cut_ += '\n';
    }
    expansion_ = {static_cast<int>(macros.FirstAt()) + 1, macros.FirstUsed(), macros.FirstWhere()};
    expanding_ = true;
    UpdatePlacing();
    for (std::size_t at = 0; at < cut_.size();) {
        at = lexer_.Line(cut_, at, tokens_);
        scanner_.StartLine(false);
        if (!tokens_.empty() && tokens_[0][0] == '#')
            Error(tokens_[0], "a macro's expansion cannot be a directive");
        else
            Line();
    }
    expanding_ = false;
    UpdatePlacing();
    preprocessing_ = true;
}

bool Compiler::ReadHeader(std::string_view text, const std::string& key, std::string_view name) {
    // Its messages stand at the text's #include: at the header's name.
    int line = line_;
    int column = static_cast<int>(name.data() - lexer_.Text().data());
    if (headers_.empty()) Place(line, column, nullptr);
    const std::vector<std::uint32_t> breaks = std::move(breaks_);
    breaks_.clear();
    const int before = line_;
    headers_.push_back({std::string(name), line, column});
    UpdatePlacing();
    const std::size_t depth = directives_->Depth();
    const std::uint32_t source = source_;
    const auto [known, added] =
        sources_.try_emplace(key, static_cast<std::uint32_t>(sources_.size() + 1));
    source_ = known->second;
    if (added && options_->listener) options_->listener->Source(source_, key, name);
    line_ = 0;
    Feed(text, true);
    ++line_;
    std::string error;
    if (!directives_->EndFile(depth, error)) Message(true, 1, std::move(error));
    headers_.pop_back();
    source_ = source;
    line_ = before;
    breaks_ = breaks;
    UpdatePlacing();
    UpdatePreprocessing();
    return true;
}

Span Compiler::SpanOf(std::string_view token) const {
    Span s;
    s.source = source_;
    s.line = line_;
    s.column = Column(token);
    s.length = static_cast<int>(Original(token).size());
    if (expanding_) {
        s.expanded = true;
        s.column = expansion_.column;
        s.length = static_cast<int>(expansion_.macro.size());
    }
    if (!breaks_.empty() || shift_) {
        const auto offset = static_cast<std::uint32_t>(s.column - 1 + static_cast<int>(shift_));
        s.column = static_cast<int>(offset) + 1;
        const auto k = std::upper_bound(breaks_.begin(), breaks_.end(), offset) - breaks_.begin();
        if (k > 0) {
            s.line += static_cast<int>(k);
            s.column = static_cast<int>(offset - breaks_[static_cast<std::size_t>(k - 1)]) + 1;
        }
    }
    return s;
}

void Compiler::TellToken(std::string_view token, TokenRole role, bool definition) {
    TokenEvent e;
    e.span = SpanOf(token);
    e.role = role;
    e.definition = definition;
    e.text = token;
    options_->listener->Token(e);
}

void Compiler::TellDirective(bool before) {
    const std::string_view word = tokens_[0];
    if (before) TellToken(word, TokenRole::Directive);
    if (tokens_.size() < 2) return;
    const std::string_view name = tokens_[1];
    if (before) {
        if (word == "#include") TellToken(name, TokenRole::HeaderName);
        if (word == "#undef" || word == "#ifdef" || word == "#ifndef")
            TellToken(name, TokenRole::Macro);
        return;
    }
    if (word != "#define") return;
    TellToken(name, TokenRole::Macro, true);
    DefineEvent d;
    d.name = SpanOf(name);
    if (const NameBook::Definition* v = book_.Find(name)) {
        d.valued = true;
        d.count = static_cast<int>(v->values.size());
        d.value = v->values[0].value;
        d.meaning = v->values[0].meaning;
        const std::string_view line = lexer_.Text();
        d.body = line.substr(static_cast<std::size_t>(name.data() + name.size() - line.data()));
        while (!d.body.empty() && Blank(d.body.front())) d.body.remove_prefix(1);
    } else if (const Macro* m = directives_->Macros().Find(name)) {
        d.function = m->function;
        d.body = m->body;
        // The parameters are the line's next tokens: "(", "," and ")" part them.
        for (std::size_t k = 0; k < m->parameters.size() && k + 2 < tokens_.size(); ++k)
            TellToken(tokens_[k + 2], TokenRole::Parameter, true);
    } else {
        return;
    }
    options_->listener->Define(d);
}

} // namespace quillon::exact
