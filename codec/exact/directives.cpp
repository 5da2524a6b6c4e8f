#include "codec/exact/directives.h"

#include <algorithm>

#include "codec/base/text.h"
#include "codec/exact/arguments.h"
#include "codec/exact/const_expr.h"
#include "codec/exact/lexer.h"
#include "codec/exact/naming.h"

namespace quillon::exact {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The text of `line` after the token `word`.
std::string_view After(std::string_view line, std::string_view word) {
    return line.substr(static_cast<std::size_t>(word.data() + word.size() - line.data()));
}

// A name at the start of `s` (blanks skipped), or an empty view there.
std::string_view NameAt(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    std::size_t j = i;
    if (j < s.size() && IsNameStart(s[j]))
        while (j < s.size() && (IsNameStart(s[j]) || (s[j] >= '0' && s[j] <= '9'))) ++j;
    return s.substr(i, j - i);
}

constexpr std::string_view kKnown = "#define, #undef, #include, #if, #ifdef, #ifndef, #elif, "
                                    "#else, #endif and #error";

// Whether `word` opens, continues or closes a group.
bool IsGroupWord(std::string_view word) {
    return word == "#if" || word == "#ifdef" || word == "#ifndef" || word == "#elif" ||
           word == "#else" || word == "#endif";
}

} // namespace

Directives::Directives(NameBook& book, const CompileOptions& options, std::string key)
    : book_(book), options_(options) {
    reading_.push_back(std::move(key));
    read_ = [this](std::string_view text, const std::string& k, std::string_view name,
                   std::string& error) { return Header(text, k, name, error); };
}

bool Directives::Line(std::string_view line, std::span<const std::string_view> tokens,
                      std::string_view where, std::string& error, std::string_view& at) {
    placed_ = false;
    warnings_.clear();
    at = tokens[0];
    // "#" alone is a line of nothing; "#  define" is "#define".
    std::string spaced;
    if (tokens[0] == "#") {
        if (tokens.size() == 1) return true;
        spaced = "#" + std::string(tokens[1]);
        tokens = tokens.subspan(1);
    }
    const std::string_view word = spaced.empty() ? tokens[0] : std::string_view(spaced);
    const std::string_view rest = After(line, tokens[0]);
    if (IsGroupWord(word)) return Group(word, rest, tokens, where, error, at);
    if (skipping_) return true;
    if (word == "#define") return Define(rest, tokens, where, error, at);
    if (word == "#undef") return Undefine(tokens, error, at);
    if (word == "#include") {
        if (tokens.size() != 2) {
            error = "'#include' takes one header, as <bio2.h> or \"file.h\"";
            return false;
        }
        at = tokens[1];
        return Include(tokens[1], error);
    }
    if (word == "#error") {
        std::string_view text = Trimmed(rest);
        if (const std::size_t c = text.find("//"); c != std::string_view::npos)
            text = Trimmed(text.substr(0, c));
        if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
            text = text.substr(1, text.size() - 2);
        error = FormatText("#error %s", std::string(text).c_str());
        return false;
    }
    error = FormatText("'%s' is not a directive of exact texts (%s)", MessageWord(word).c_str(),
                       std::string(kKnown).c_str());
    return false;
}

// The parameters of the macro `name`: names between commas, up to the
// ")"; `body` starts after its "(" and is left after the ")".
bool Directives::Parameters(std::string_view name, std::string_view& body, Macro& m,
                            std::string& error, std::string_view& at) {
    const auto refuse = [&](std::string_view place) {
        at = place;
        error = FormatText("the parameters of '%s' are names between commas, closed with ')'",
                           MessageWord(name).c_str());
        return false;
    };
    body.remove_prefix(1);
    for (;;) {
        const std::string_view p = NameAt(body);
        std::string_view left = Trimmed(body);
        if (p.empty() && !(left.size() && left[0] == ')' && m.parameters.empty()))
            return refuse(left.empty() ? name : left.substr(0, 1));
        if (!p.empty()) {
            if (std::find(m.parameters.begin(), m.parameters.end(), p) != m.parameters.end()) {
                at = p;
                error = FormatText("the parameter '%s' stands twice", MessageWord(p).c_str());
                return false;
            }
            m.parameters.emplace_back(p);
            body = After(body, p);
            left = Trimmed(body);
        }
        if (left.empty() || (left[0] != ',' && left[0] != ')'))
            return refuse(left.empty() ? (p.empty() ? name : p) : left.substr(0, 1));
        const bool more = left[0] == ',';
        body = left.substr(1);
        if (!more) return true;
    }
}

bool Directives::Define(std::string_view rest, std::span<const std::string_view> tokens,
                        std::string_view where, std::string& error, std::string_view& at) {
    const std::string_view name = NameAt(rest);
    if (name.empty()) {
        error = "'#define' takes a name, then its values or its text";
        if (tokens.size() > 1) at = tokens[1];
        return false;
    }
    at = name;
    if (tokens.size() < 2 || tokens[1].substr(0, name.size()) != name ||
        (tokens[1].size() > name.size() && tokens[1][name.size()] != '(')) {
        error = FormatText("'%s' is not a name", MessageWord(tokens[1]).c_str());
        at = tokens[1];
        return false;
    }
    Macro m;
    m.where = std::string(where);
    std::string_view body = After(rest, name);
    if (!body.empty() && body[0] == '(') {
        m.function = true;
        if (!Parameters(name, body, m, error, at)) return false;
    } else if (tokens.size() > 2) {
        // A body that reads as values names them, as names of operands are
        // named; any other is a macro.
        std::vector<Argument> values;
        std::string why;
        std::string_view place;
        bool valued = ReadArguments(tokens.subspan(2), book_, values, why, place);
        for (const Argument& a : values) {
            std::int64_t v = 0;
            valued = valued && !a.unresolved && (!a.number || ParseNumber(a.token, v));
        }
        if (valued && !macros_.Find(name)) return Valued(name, tokens.subspan(2), where, error, at);
    }
    if (book_.Find(name) || Naming::Builtin().Find(name)) {
        error = FormatText("'%s' is already a name of values", MessageWord(name).c_str());
        return false;
    }
    if (const std::size_t c = body.find("//"); c != std::string_view::npos)
        body = body.substr(0, c);
    m.body = std::string(Trimmed(body));
    const Macro* previous = nullptr;
    if (!macros_.Define(name, std::move(m), previous)) {
        error = FormatText("'%s' is already defined otherwise (%s)", MessageWord(name).c_str(),
                           previous->where.c_str());
        return false;
    }
    return true;
}

bool Directives::Valued(std::string_view name, std::span<const std::string_view> tokens,
                        std::string_view where, std::string& error, std::string_view& at) {
    std::vector<Argument> values;
    if (!ReadArguments(tokens, book_, values, error, at)) return false;
    NameBook::Definition d;
    d.where = std::string(where);
    for (const Argument& a : values) {
        std::int64_t v = a.value;
        if (a.number) ParseNumber(a.token, v);
        d.values.push_back({v, a.meaning});
    }
    const Naming::Named* builtin = Naming::Builtin().Find(name);
    if (builtin && (d.values.size() != 1 || d.values[0].value != builtin->value)) {
        error = FormatText("'%s' is a built-in name of another value", MessageWord(name).c_str());
        return false;
    }
    const NameBook::Definition* previous = nullptr;
    if (!book_.Define(name, std::move(d), previous)) {
        at = name;
        error = FormatText("'%s' is already defined with another value (%s)",
                           MessageWord(name).c_str(), previous->where.c_str());
        return false;
    }
    return true;
}

bool Directives::Undefine(std::span<const std::string_view> tokens, std::string& error,
                          std::string_view& at) {
    if (tokens.size() != 2 || !IsIdentifier(tokens[1])) {
        if (tokens.size() > 1) at = tokens[1];
        error = "'#undef' takes one name";
        return false;
    }
    at = tokens[1];
    if (Naming::Builtin().Find(tokens[1]) && !book_.Find(tokens[1])) {
        error =
            FormatText("'%s' is a built-in name: it stays defined", MessageWord(tokens[1]).c_str());
        return false;
    }
    if (!book_.Undefine(tokens[1])) macros_.Undefine(tokens[1]);
    return true;
}

bool Directives::Defined(std::string_view name) const {
    return book_.Find(name) || macros_.Find(name) || Naming::Builtin().Find(name);
}

bool Directives::Condition(std::string_view rest, bool& value, std::string& error,
                           std::string_view& at) {
    // Macros are expanded first, the names after "defined" aside; what is
    // left is names of values, and names of nothing, which read as 0.
    std::string expanded;
    std::string_view text = rest;
    if (macros_.Uses(rest)) {
        MacroError me;
        if (!macros_.Expand(rest, expanded, me, true)) {
            at = rest.substr(std::min(me.at, rest.size()), 0);
            error = me.reason;
            return false;
        }
        text = expanded;
    }
    ConstExprOptions options;
    options.conditional = true;
    options.defined = [&](std::string_view name) { return Defined(name); };
    options.lookup = [&](std::string_view name, std::int64_t& v) {
        Argument a;
        a.token = name;
        if (NameValue(book_, a)) return false; // a name of several values
        v = a.unresolved ? 0 : a.value;
        if (a.unresolved) {
            const std::size_t k = static_cast<std::size_t>(name.data() - text.data());
            warnings_.push_back(
                {text.data() == rest.data() ? rest.substr(k, name.size()) : rest.substr(0, 0),
                 FormatText("'%s' is not defined: it reads as 0", MessageWord(name).c_str())});
        }
        return true;
    };
    std::int64_t v = 0;
    ConstExprError ce;
    if (Trimmed(text).empty()) {
        error = "the condition is missing";
        return false;
    }
    if (!EvaluateConstExpr(text, options, v, ce)) {
        if (text.data() == rest.data()) at = rest.substr(ce.at, ce.length);
        error = ce.reason;
        return false;
    }
    value = v != 0;
    return true;
}

bool Directives::Group(std::string_view word, std::string_view rest,
                       std::span<const std::string_view> tokens, std::string_view where,
                       std::string& error, std::string_view& at) {
    auto update = [&] { skipping_ = !groups_.empty() && !groups_.back().active; };
    const bool outerActive = groups_.size() < 2 || groups_[groups_.size() - 2].active;
    if (word == "#if" || word == "#ifdef" || word == "#ifndef") {
        Open g{false, true, false, std::string(where)};
        if (!skipping_) {
            bool value = false;
            if (word == "#if") {
                if (!Condition(rest, value, error, at)) return false;
            } else {
                if (tokens.size() != 2 || !IsIdentifier(tokens[1])) {
                    if (tokens.size() > 1) at = tokens[1];
                    error = FormatText("'%s' takes one name", std::string(word).c_str());
                    return false;
                }
                value = Defined(tokens[1]) == (word == "#ifdef");
            }
            g.active = g.taken = value;
        }
        groups_.push_back(std::move(g));
        update();
        return true;
    }
    if (groups_.empty() || groups_.size() <= floor_) {
        error = FormatText("'%s' without its '#if'", std::string(word).c_str());
        return false;
    }
    Open& g = groups_.back();
    if (word == "#endif") {
        groups_.pop_back();
        update();
        return true;
    }
    if (g.sawElse) {
        error = FormatText("'%s' after the '#else' of its '#if' (%s)", std::string(word).c_str(),
                           g.where.c_str());
        return false;
    }
    if (word == "#else") {
        g.sawElse = true;
        g.active = outerActive && !g.taken;
        g.taken = true;
        update();
        return true;
    }
    // "#elif"
    bool value = false;
    if (outerActive && !g.taken && !Condition(rest, value, error, at)) return false;
    g.active = outerActive && !g.taken && value;
    g.taken = g.taken || g.active;
    update();
    return true;
}

bool Directives::EndFile(std::size_t depth, std::string& error) {
    if (groups_.size() <= depth) return true;
    error =
        FormatText("the '#if' of %s is never closed with '#endif'", groups_[depth].where.c_str());
    groups_.resize(depth);
    skipping_ = !groups_.empty() && !groups_.back().active;
    return false;
}

bool Directives::Include(std::string_view word, std::string& error) {
    if (word.size() >= 2 && word.front() == '<' && word.back() == '>') {
        if (word.substr(1, word.size() - 2) == kNamesHeader) return true;
        error = FormatText("unknown header %s: the built-in names are <%s>",
                           MessageWord(word).c_str(), std::string(kNamesHeader).c_str());
        return false;
    }
    if (word.size() < 3 || word.front() != '"' || word.back() != '"') {
        error = "'#include' takes one header, as <bio2.h> or \"file.h\"";
        return false;
    }
    const std::string_view name = word.substr(1, word.size() - 2);
    IncludedFile file;
    std::string why = "headers are not read here";
    if (!options_.include || !options_.include(reading_.back(), name, file, why)) {
        error = FormatText("cannot include \"%s\": %s", MessageWord(name).c_str(), why.c_str());
        return false;
    }
    if (std::find(reading_.begin(), reading_.end(), file.key) != reading_.end()) {
        error = FormatText("\"%s\" includes itself, through the headers it includes",
                           MessageWord(name).c_str());
        return false;
    }
    reading_.push_back(file.key);
    const std::size_t floor = floor_;
    floor_ = groups_.size();
    const bool ok = read_(file.text, file.key, name, error);
    floor_ = floor;
    reading_.pop_back();
    return ok;
}

bool Directives::Header(std::string_view text, const std::string& /*key*/, std::string_view name,
                        std::string& error) {
    Lexer lexer;
    JoinedText joined;
    std::vector<std::string_view> tokens;
    int line = 0;
    bool ok = true;
    const std::size_t depth = groups_.size();
    for (std::size_t at = 0; ok && at < text.size();) {
        std::size_t next = lexer.Line(text, at, tokens);
        joined.breaks.clear();
        joined.unclosed = JoinedText::kClosed;
        const std::string_view physical = lexer.Text();
        if (lexer.Open() || (!physical.empty() && physical.back() == '\\' && !lexer.Commented())) {
            next = JoinLines(text, at, true, joined);
            lexer.Line(joined.text, 0, tokens);
        }
        ++line;
        // The physical line and column of an offset of the line read.
        auto place = [&](std::size_t offset) {
            const auto k = static_cast<std::size_t>(
                std::upper_bound(joined.breaks.begin(), joined.breaks.end(), offset) -
                joined.breaks.begin());
            return FormatText("%s:%d:%d", MessageWord(name).c_str(), line + static_cast<int>(k),
                              static_cast<int>(offset - (k ? joined.breaks[k - 1] : 0)) + 1);
        };
        std::string_view where = tokens.empty() ? lexer.Text() : tokens[0];
        if (joined.unclosed != JoinedText::kClosed) {
            error = place(joined.unclosed) + ": the comment is never closed with '*/'";
            placed_ = true;
            ok = false;
        } else if (tokens.empty()) {
        } else if (tokens[0][0] != '#') {
            if (!skipping_) {
                error = "only # lines may stand in a header of names";
                ok = false;
            }
        } else {
            ok = Line(lexer.Text(), tokens, FormatText("%s:%d", MessageWord(name).c_str(), line),
                      error, where);
        }
        if (!ok && !placed_) {
            // The first error is this header's; the headers it includes
            // place their own.
            error =
                place(static_cast<std::size_t>(where.data() - lexer.Text().data())) + ": " + error;
            placed_ = true;
        }
        line += static_cast<int>(joined.breaks.size());
        at = next;
    }
    if (ok && !EndFile(depth, error)) {
        error = FormatText("%s: %s", MessageWord(name).c_str(), error.c_str());
        placed_ = true;
        ok = false;
    }
    return ok;
}

bool ReadNames(std::string_view text, std::string_view name, const CompileOptions& options,
               NameBook& book, std::string& reason) {
    const std::string key = options.key.empty() ? std::string(name) : options.key;
    Directives directives(book, options, key);
    return directives.Header(text, key, name, reason);
}

} // namespace quillon::exact
