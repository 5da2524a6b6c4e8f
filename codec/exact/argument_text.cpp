// Arguments read from the line's text where a token alone does not tell
// them: the text between the commas of the call, each argument whole. An
// argument that is one number or one name stays the token it is; any other
// is a constant expression, worked out here and written as a named value.
// Where a form writes its own operator between two fields ("V_CUT = 2"),
// each side is one term: a number, a name or an expression in parentheses,
// after any unary operators.
#include <cstring>

#include "codec/base/closest.h"
#include "codec/base/text.h"
#include "codec/exact/compiler.h"
#include "codec/exact/const_expr.h"
#include "codec/exact/naming.h"

namespace quillon::exact {

namespace {

// What each character may be in a plain argument's token.
enum PlainClass : std::uint8_t { kOther, kLetter, kDigit, kOperatorChar };
struct PlainClasses {
    PlainClass of[256] = {};
    constexpr PlainClasses() {
        for (int c = 'a'; c <= 'z'; ++c) of[c] = kLetter;
        for (int c = 'A'; c <= 'Z'; ++c) of[c] = kLetter;
        of[static_cast<unsigned char>('_')] = kLetter;
        for (int c = '0'; c <= '9'; ++c) of[c] = kDigit;
        for (unsigned char c :
             {'+', '-', '*', '/', '%', '|', '&', '^', '~', '<', '>', '=', '!', '?'})
            of[c] = kOperatorChar;
    }
};
constexpr PlainClasses kPlain;

PlainClass ClassOf(char c) {
    return kPlain.of[static_cast<unsigned char>(c)];
}

bool AllOf(std::string_view t, std::size_t from, bool hex) {
    for (std::size_t i = from; i < t.size(); ++i) {
        const char c = t[i];
        if (ClassOf(c) != kDigit && !(hex && ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')))
            return false;
    }
    return from < t.size();
}

bool IsBlankChar(char c) {
    return c == ' ' || c == '\t';
}

// Where the term that starts at `p` ends: unary operators, then a number, a
// name, a character constant or an expression in parentheses.
std::size_t TermEnd(std::string_view text, std::size_t p) {
    const std::size_t n = text.size();
    while (p < n && (IsBlankChar(text[p]) || text[p] == '-' || text[p] == '+' || text[p] == '~' ||
                     text[p] == '!'))
        ++p;
    if (p >= n) return p;
    if (text[p] == '(') {
        for (int depth = 0; p < n; ++p) {
            depth += text[p] == '(' ? 1 : text[p] == ')' ? -1 : 0;
            if (depth == 0) return p + 1;
        }
        return p;
    }
    if (text[p] == '\'') {
        const std::size_t close = text.find('\'', p + 1);
        return close == std::string_view::npos ? n : close + 1;
    }
    while (p < n && (ClassOf(text[p]) == kLetter || ClassOf(text[p]) == kDigit || text[p] == '.'))
        ++p;
    return p;
}

// Where the argument that starts at `p` ends: at a "," or ")" outside
// parentheses (or what ends a line); before a form's own operator, at the
// end of its term.
std::size_t ArgumentEnd(std::string_view text, std::size_t p, bool beforeOperator) {
    if (beforeOperator) return TermEnd(text, p);
    for (int depth = 0; p < text.size(); ++p) {
        const char c = text[p];
        if (depth == 0 && (c == ')' || c == ',' || c == ';' || c == '{' || c == ':')) break;
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
    }
    return p;
}

} // namespace

bool PlainTokenOther(std::string_view t, bool operators) {
    const PlainClass c = ClassOf(t[0]);
    if (c == kLetter) {
        for (const char d : t)
            if (ClassOf(d) != kLetter && ClassOf(d) != kDigit) return false;
        return true;
    }
    const std::size_t from = t[0] == '-' ? 1 : 0;
    if (from < t.size() && ClassOf(t[from]) == kDigit) {
        if (t.size() > from + 2 && t[from] == '0' && (t[from + 1] | 0x20) == 'x')
            return AllOf(t, from + 2, true);
        return AllOf(t, from, false);
    }
    if (t.size() == 1 && t[0] == '|') return true;
    if (!operators || c != kOperatorChar) return false;
    for (const char d : t)
        if (ClassOf(d) != kOperatorChar) return false;
    return true;
}

bool Compiler::Separated(std::size_t k, std::size_t firstArgument, std::size_t at) const {
    const std::string_view t = tokens_[k], before = tokens_[k - 1];
    if (k == at || k == at + 1 || t == "|" || before == "|") return true;
    const bool first = k == firstArgument;
    int opened = 0;
    bool comma = false;
    for (const char* p = before.data() + before.size(); p < t.data(); ++p) {
        if (*p == ')' || (*p == '(' && (!first || ++opened > 1))) return false;
        comma = comma || *p == ',';
    }
    return first || comma;
}

bool Compiler::PlainArguments(std::uint8_t op, std::size_t first, std::size_t end) const {
    const std::size_t at = first + static_cast<std::size_t>(operatorAt_[op]);
    for (std::size_t k = first; k < end; ++k)
        if (!PlainToken(tokens_[k], k == at) || !Separated(k, first, at)) return false;
    return true;
}

// The line with its comments blanked, so that an expression reads through
// them and its offsets stay the line's.
void Compiler::CleanLine() {
    const std::string_view line = lexer_.Text();
    clean_.assign(line.data(), line.size());
    for (std::size_t i = 0; i + 1 < clean_.size(); ++i) {
        if (clean_[i] != '/' || (clean_[i + 1] != '/' && clean_[i + 1] != '*')) continue;
        bool open = false; // a comment left open runs to the line's end
        const std::size_t end = lexing::CommentEnd(line.data(), line.size(), i, open);
        std::memset(clean_.data() + i, ' ', end - i);
        i = end - 1;
    }
}

bool Compiler::ArgumentsFromText(std::uint8_t op, const Form& form, std::size_t first,
                                 std::size_t end) {
    const std::string_view line = lexer_.Text();
    CleanLine();
    const std::string_view text = clean_;
    const auto offset = [&](std::string_view t) {
        return static_cast<std::size_t>(t.data() - line.data());
    };
    const auto fail = [&](std::size_t at, std::size_t length, std::string reason) {
        Message(true, static_cast<int>(at) + 1, std::move(reason), static_cast<int>(length));
        return false;
    };
    std::size_t p = offset(tokens_[first - 1]) + tokens_[first - 1].size();
    const auto skip = [&] {
        while (p < text.size() && IsBlankChar(text[p])) ++p;
    };
    skip();
    // The call's "(", or the "," after a goto's label.
    if (std::strchr(form.open, '(') && p < text.size() && text[p] == '(')
        ++p;
    else if (first > 1 && p < text.size() && text[p] == ',')
        ++p;
    const std::vector<Field>& fields = scanned_[op];
    arguments_.clear();
    std::size_t closeAt = text.size();
    for (bool more = true; more;) {
        skip();
        const std::size_t k = arguments_.size();
        const bool beforeOperator = k + 1 < fields.size() && IsOperator(fields[k + 1].kind);
        const bool afterOperator = k > 0 && k - 1 < fields.size() && IsOperator(fields[k - 1].kind);
        const std::size_t start = p;
        p = ArgumentEnd(text, p, beforeOperator);
        std::size_t stop = p;
        while (stop > start && IsBlankChar(text[stop - 1])) --stop;
        const std::string_view piece = line.substr(start, stop - start);
        if (piece.empty())
            return fail(
                start, 0,
                FormatText("argument %zu of '%s' is missing", k + 1, rows_.dialect.Name(op)));
        if (afterOperator) {
            std::size_t term = TermEnd(text, start);
            while (term < stop && IsBlankChar(text[term])) ++term;
            if (term < stop)
                return fail(term, stop - term,
                            FormatText("after '%s', one term: a number, a name or an expression "
                                       "in parentheses",
                                       MessageWord(arguments_.back().token).c_str()));
        }
        skip();
        if (!ReadArgument(piece, text.substr(start, stop - start))) return false;
        if (beforeOperator && p < text.size() && ClassOf(text[p]) == kOperatorChar) {
            // The form's own operator: a run of operator characters.
            const std::size_t from = p;
            while (p < text.size() && ClassOf(text[p]) == kOperatorChar) ++p;
            Argument a;
            a.token = ClassicSpelling(fields[k + 1].kind, line.substr(from, p - from));
            arguments_.push_back(a);
            continue;
        }
        if (p < text.size() && text[p] == ',') {
            ++p;
            continue;
        }
        closeAt = p;
        more = false;
    }
    return NothingLeftOver(op, first, end, closeAt);
}

// Nothing but the line's closing punctuation and a "{" after the arguments.
// (An operator respelled for the scanner is no longer the line's.)
bool Compiler::NothingLeftOver(std::uint8_t op, std::size_t first, std::size_t end,
                               std::size_t closeAt) {
    const std::string_view line = lexer_.Text();
    for (std::size_t k = first; k < end; ++k) {
        const std::string_view t = tokens_[k];
        if (t.data() < line.data() || t.data() >= line.data() + line.size()) continue;
        const std::size_t at = static_cast<std::size_t>(t.data() - line.data());
        if (at < closeAt) continue;
        Message(true, static_cast<int>(at) + 1,
                FormatText("'%s' left over after the arguments of '%s'", MessageWord(t).c_str(),
                           rows_.dialect.Name(op)),
                static_cast<int>(t.size()));
        return false;
    }
    return true;
}

// One argument: a token alone as the token reads (names of several values
// give several), any other text as a constant expression.
bool Compiler::ReadArgument(std::string_view piece, std::string_view clean) {
    Argument a;
    a.token = piece;
    if (PlainToken(piece, false) && piece != "|") {
        if (IsNameStart(piece[0])) {
            if (const NameBook::Definition* d = NameValue(book_, a)) {
                for (const DefinedValue& v : d->values) {
                    a.value = v.value;
                    a.meaning = v.meaning;
                    arguments_.push_back(a);
                }
                return true;
            }
        }
        arguments_.push_back(a);
        return true;
    }
    ConstExprOptions options;
    std::string_view several;
    options.lookup = [&](std::string_view name, std::int64_t& value) {
        Argument n;
        n.token = name;
        if (NameValue(book_, n)) {
            several = name;
            return false;
        }
        if (n.unresolved) return false;
        value = n.value;
        if (a.meaning == Meaning::None) a.meaning = n.meaning;
        return true;
    };
    ConstExprError e;
    if (!EvaluateConstExpr(clean, options, a.value, e)) {
        const std::size_t at = static_cast<std::size_t>(piece.data() - lexer_.Text().data()) + e.at;
        std::string reason = e.reason;
        if (!several.empty() && clean.substr(e.at, several.size()) == several)
            reason = FormatText("'%s' stands for several values: it cannot be part of an "
                                "expression",
                                MessageWord(several).c_str());
        else if (reason.compare(0, 13, "unknown name ") == 0)
            reason += DidYouMean(ClosestValueName(clean.substr(e.at, e.length), book_));
        Message(true, static_cast<int>(at) + 1, std::move(reason), static_cast<int>(e.length));
        return false;
    }
    a.number = false;
    arguments_.push_back(a);
    return true;
}

bool Compiler::ForCount(std::uint8_t op, const Form& form) {
    const std::size_t first = form.firstToken;
    std::size_t k = first;
    while (k < tokens_.size() && tokens_[k] != "n++") ++k;
    if (k == tokens_.size() || k == first ||
        (k == first + 1 && PlainToken(tokens_[first], false) && !IsNameStart(tokens_[first][0])))
        return true;
    const std::string_view line = lexer_.Text();
    const std::size_t from = static_cast<std::size_t>(tokens_[first].data() - line.data());
    const std::size_t to =
        static_cast<std::size_t>(tokens_[k - 1].data() + tokens_[k - 1].size() - line.data());
    CleanLine();
    arguments_.clear();
    if (!ReadArgument(line.substr(from, to - from),
                      std::string_view(clean_).substr(from, to - from)))
        return false;
    Argument& a = arguments_[0];
    if (arguments_.size() != 1 || a.unresolved) {
        UnknownName(a.token);
        return false;
    }
    a.number = false;
    argumentFields_ = scanned_[op];
    named_.clear();
    named_.push_back({0, a});
    lineTokens_.assign(tokens_.begin(), tokens_.begin() + static_cast<std::ptrdiff_t>(first));
    lineTokens_.push_back(
        StandIn(0, argumentFields_.empty() ? Kind::U16 : argumentFields_[0].kind));
    lineTokens_.insert(lineTokens_.end(), tokens_.begin() + static_cast<std::ptrdiff_t>(k),
                       tokens_.end());
    scanner_.Replace(lineTokens_);
    return true;
}

} // namespace quillon::exact
