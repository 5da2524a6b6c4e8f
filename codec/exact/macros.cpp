#include "codec/exact/macros.h"

#include "codec/base/text.h"
#include "codec/exact/arguments.h"

namespace quillon::exact {

namespace {

// What one line may grow to, in tokens, and how deep the arguments of
// macros may nest in each other.
constexpr std::size_t kMostTokens = 1 << 20;
constexpr int kDeepest = 64;

bool IsWordChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '.';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The punctuation of two characters that is one token.
bool IsPair(char a, char b) {
    static constexpr std::string_view kPairs[] = {"<<", ">>", "<=", ">=", "==", "!=", "&&",
                                                  "||", "##", "++", "--", "->", "//", "/*"};
    for (std::string_view p : kPairs)
        if (p[0] == a && p[1] == b) return true;
    return false;
}

int ParameterOf(const Macro& m, std::string_view text) {
    if (!m.function) return -1;
    for (std::size_t k = 0; k < m.parameters.size(); ++k)
        if (m.parameters[k] == text) return static_cast<int>(k);
    return -1;
}

} // namespace

void MacroTokens(std::string_view line, std::vector<MacroToken>& out) {
    out.clear();
    const std::size_t n = line.size();
    bool space = false;
    for (std::size_t i = 0; i < n;) {
        const char c = line[i];
        if (IsBlank(c)) {
            space = true;
            ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && line[i + 1] == '/') break;
        if (c == '/' && i + 1 < n && line[i + 1] == '*') {
            const std::size_t close = line.find("*/", i + 2);
            i = close == std::string_view::npos ? n : close + 2;
            space = true;
            continue;
        }
        const std::size_t start = i++;
        if (IsNameStart(c) || (c >= '0' && c <= '9')) {
            while (i < n && IsWordChar(line[i])) ++i;
        } else if (c == '"' || c == '\'') {
            while (i < n && line[i] != c) i += line[i] == '\\' ? 2 : 1;
            i = i < n ? i + 1 : n;
        } else if (i < n && IsPair(c, line[i])) {
            ++i;
        }
        MacroToken t;
        t.text = line.substr(start, i - start);
        t.space = space;
        t.glued = !space && !out.empty();
        t.at = start;
        out.push_back(t);
        space = false;
    }
}

bool MacroTable::Define(std::string_view name, Macro macro, const Macro*& previous) {
    const auto [it, added] = byName_.try_emplace(std::string(name));
    Macro& m = it->second;
    if (!added) {
        // The same definition again is no change.
        std::vector<MacroToken> tokens;
        MacroTokens(macro.body, tokens);
        bool same = m.function == macro.function && m.parameters == macro.parameters &&
                    tokens.size() == m.tokens.size();
        for (std::size_t k = 0; same && k < tokens.size(); ++k)
            same = tokens[k].text == m.tokens[k].text &&
                   (k == 0 || tokens[k].space == m.tokens[k].space);
        previous = &m;
        return same;
    }
    m = std::move(macro);
    m.id = static_cast<std::uint32_t>(names_.size());
    names_.push_back({std::string(name), m.where});
    MacroTokens(m.body, m.tokens);
    return true;
}

bool MacroTable::Uses(std::string_view line) {
    const std::size_t n = line.size();
    for (std::size_t i = 0; i < n;) {
        if (!IsWordChar(line[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < n && IsWordChar(line[i])) ++i;
        if (IsNameStart(line[start]) && Find(line.substr(start, i - start))) return true;
    }
    return false;
}

void MacroTable::Fail(MacroError& error, std::string reason, const MacroToken& t) const {
    error = {std::move(reason), t.at, {}, {}};
    if (t.hidden != 0) {
        error.macro = names_[hidden_[t.hidden].first].first;
        error.where = names_[hidden_[t.hidden].first].second;
    }
}

bool MacroTable::Hidden(std::uint32_t set, std::uint32_t id) const {
    for (; set != 0; set = hidden_[set].second)
        if (hidden_[set].first == id) return true;
    return false;
}

std::uint32_t MacroTable::Hide(std::uint32_t set, std::uint32_t id) {
    if (Hidden(set, id)) return set;
    hidden_.push_back({id, set});
    return static_cast<std::uint32_t>(hidden_.size() - 1);
}

std::string_view MacroTable::Keep(std::string text) {
    made_.push_back(std::move(text));
    return made_.back();
}

bool MacroTable::Expand(std::string_view line, std::string& out, MacroError& error,
                        bool keepDefined) {
    hidden_.assign(1, {0, 0});
    made_.clear();
    produced_ = 0;
    first_.clear();
    firstWhere_.clear();
    uses_.clear();
    MacroTokens(line, scratch_);
    std::deque<MacroToken> in(scratch_.begin(), scratch_.end());
    std::vector<MacroToken> result;
    if (!Run(in, result, 0, keepDefined, error)) return false;
    out.clear();
    for (const MacroToken& t : result) {
        // Two tokens that did not stand together keep apart where they
        // would read as one.
        if (!out.empty() &&
            (t.space || (!t.glued && ((IsWordChar(out.back()) && IsWordChar(t.text[0])) ||
                                      IsPair(out.back(), t.text[0])))))
            out += ' ';
        out += t.text;
    }
    return true;
}

// The arguments of a use of function-like macro `m`, from just after its
// name: each one's tokens up to a "," or the ")" outside parentheses.
bool MacroTable::Arguments(const Macro& m, const MacroToken& use, std::deque<MacroToken>& in,
                           std::vector<std::vector<MacroToken>>& arguments, MacroError& error) {
    in.pop_front();
    arguments.emplace_back();
    for (int level = 0;;) {
        if (in.empty()) {
            Fail(error,
                 FormatText("the arguments of '%s' are never closed with ')'",
                            MessageWord(use.text).c_str()),
                 use);
            return false;
        }
        const MacroToken a = in.front();
        in.pop_front();
        if (a.text == ")" && level == 0) break;
        if (a.text == "," && level == 0) {
            arguments.emplace_back();
            continue;
        }
        level += a.text == "(" ? 1 : a.text == ")" ? -1 : 0;
        arguments.back().push_back(a);
    }
    if (m.parameters.empty() && arguments.size() == 1 && arguments[0].empty()) arguments.clear();
    if (arguments.size() == m.parameters.size()) return true;
    Fail(error,
         FormatText("'%s' takes %zu argument%s, %zu given", MessageWord(use.text).c_str(),
                    m.parameters.size(), m.parameters.size() == 1 ? "" : "s", arguments.size()),
         use);
    return false;
}

bool MacroTable::Run(std::deque<MacroToken>& in, std::vector<MacroToken>& out, int depth,
                     bool keepDefined, MacroError& error) {
    while (!in.empty()) {
        const MacroToken t = in.front();
        in.pop_front();
        if (keepDefined && t.text == "defined") {
            // "defined NAME" and "defined(NAME)" name a macro without using it.
            out.push_back(t);
            const bool open = !in.empty() && in.front().text == "(";
            for (int k = open ? 3 : 1; k > 0 && !in.empty(); --k) {
                out.push_back(in.front());
                in.pop_front();
            }
            continue;
        }
        const Macro* m = IsNameStart(t.text[0]) ? Find(t.text) : nullptr;
        if (!m || (m->function && (in.empty() || in.front().text != "("))) {
            out.push_back(t);
            continue;
        }
        if (Hidden(t.hidden, m->id)) {
            Fail(error,
                 FormatText("'%s' is used inside its own expansion: the macros form a cycle",
                            MessageWord(t.text).c_str()),
                 t);
            return false;
        }
        if (noteUses_ && t.hidden == 0) uses_.push_back({t.at, t.text.size()});
        if (first_.empty()) {
            first_ = t.text;
            firstWhere_ = m->where;
            firstAt_ = t.at;
        }
        std::vector<std::vector<MacroToken>> arguments;
        if (m->function && !Arguments(*m, t, in, arguments, error)) return false;
        std::vector<MacroToken> body;
        if (!Substitute(*m, t, arguments, depth, body, error)) return false;
        produced_ += body.size();
        if (produced_ > kMostTokens) {
            error = {FormatText("the expansion of '%s' runs away (past %zu tokens)",
                                MessageWord(first_).c_str(), kMostTokens),
                     firstAt_,
                     {},
                     {}};
            return false;
        }
        in.insert(in.begin(), body.begin(), body.end());
    }
    return true;
}

namespace {

// An argument as a string constant, as "#" writes it.
std::string Stringized(const std::vector<MacroToken>& argument) {
    std::string s = "\"";
    for (const MacroToken& a : argument) {
        if (a.space && s.size() > 1) s += ' ';
        for (char c : a.text) {
            if (c == '"' || c == '\\') s += '\\';
            s += c;
        }
    }
    return s + "\"";
}

} // namespace

// "##": `left` and `right` made one token, which they must be.
bool MacroTable::Join(MacroToken& left, std::string_view right, MacroError& error,
                      const MacroToken& at) {
    const std::string joined = std::string(left.text) + std::string(right);
    std::vector<MacroToken> one;
    MacroTokens(joined, one);
    if (one.size() != 1 || one[0].text.size() != joined.size()) {
        Fail(error,
             FormatText("'##' joins '%s' and '%s' into no single token",
                        MessageWord(left.text).c_str(), MessageWord(right).c_str()),
             at);
        return false;
    }
    left.text = Keep(joined);
    return true;
}

// An argument with its macros expanded, as it stands for a parameter
// outside "#" and "##".
bool MacroTable::ExpandArgument(const std::vector<MacroToken>& argument, int depth,
                                std::vector<MacroToken>& out, MacroError& error,
                                const MacroToken& at) {
    if (depth >= kDeepest) {
        Fail(error, "macros are used inside the arguments of macros too deeply", at);
        return false;
    }
    std::deque<MacroToken> in(argument.begin(), argument.end());
    return Run(in, out, depth + 1, false, error);
}

bool MacroTable::Substitute(const Macro& m, const MacroToken& use,
                            const std::vector<std::vector<MacroToken>>& arguments, int depth,
                            std::vector<MacroToken>& out, MacroError& error) {
    const std::uint32_t hidden = Hide(use.hidden, m.id);
    std::vector<std::vector<MacroToken>> expanded(arguments.size());
    std::vector<bool> done(arguments.size());
    const std::vector<MacroToken>& body = m.tokens;
    bool boundary = true; // the next token follows other text than it did
    // `first`: the token starts a run from elsewhere (an argument), and
    // takes the blanks of what it stands for (`space`).
    auto put = [&](MacroToken t, bool first, bool space) {
        t.at = use.at;
        t.hidden = Hide(t.hidden, m.id);
        if (first) {
            t.glued = false;
            t.space = out.empty() ? use.space : space;
        }
        out.push_back(t);
    };
    MacroToken at = use; // where errors of this expansion stand
    at.hidden = hidden;
    for (std::size_t k = 0; k < body.size(); ++k) {
        const MacroToken& b = body[k];
        const bool pasteNext = k + 1 < body.size() && body[k + 1].text == "##";
        const int p = ParameterOf(m, b.text);
        if (b.text == "#" && m.function && k + 1 < body.size() &&
            ParameterOf(m, body[k + 1].text) >= 0) {
            // The argument as a string.
            const auto q = static_cast<std::size_t>(ParameterOf(m, body[++k].text));
            MacroToken t{Keep(Stringized(arguments[q])), b.space, false, hidden, use.at};
            put(t, true, b.space);
            boundary = false;
            continue;
        }
        if (b.text == "##") {
            if (k == 0 || k + 1 == body.size()) {
                Fail(error, "'##' must stand between two tokens", at);
                return false;
            }
            const MacroToken& r = body[++k];
            const int q = ParameterOf(m, r.text);
            std::vector<MacroToken> right;
            if (q >= 0)
                right = arguments[static_cast<std::size_t>(q)];
            else
                right.push_back(r);
            if (right.empty() || out.empty()) {
                for (const MacroToken& t : right) put(t, &t == &right[0], r.space);
                continue;
            }
            if (!Join(out.back(), right[0].text, error, at)) return false;
            for (std::size_t j = 1; j < right.size(); ++j) put(right[j], false, false);
            boundary = true;
            continue;
        }
        if (p < 0) {
            MacroToken t = b;
            t.hidden = hidden;
            put(t, boundary || out.empty(), b.space);
            boundary = false;
            continue;
        }
        const auto a = static_cast<std::size_t>(p);
        if (pasteNext) {
            for (const MacroToken& t : arguments[a]) put(t, &t == &arguments[a][0], b.space);
        } else {
            if (!done[a]) {
                if (!ExpandArgument(arguments[a], depth, expanded[a], error, at)) return false;
                done[a] = true;
            }
            for (const MacroToken& t : expanded[a]) put(t, &t == &expanded[a][0], b.space);
        }
        boundary = true;
    }
    return true;
}

} // namespace quillon::exact
