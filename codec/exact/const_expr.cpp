#include "codec/exact/const_expr.h"

#include <algorithm>
#include <limits>

#include "codec/base/text.h"

namespace quillon::exact {

namespace {

constexpr std::int64_t kLow = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kHigh = std::numeric_limits<std::int32_t>::max();
// Past this a number's digits are no longer added up (it is far out of
// range already).
constexpr std::int64_t kHuge = std::int64_t{1} << 40;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsWordChar(char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
int DigitValue(char c) {
    return IsDigit(c)             ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : 99;
}

enum class Tok {
    End,
    Number,
    Name,
    Open,
    Close,
    Plus,
    Minus,
    Star,
    Slash,
    Percent,
    Tilde,
    Not,
    Shl,
    Shr,
    Less,
    LessEq,
    Greater,
    GreaterEq,
    Equal,
    NotEqual,
    BitAnd,
    BitXor,
    BitOr,
    And,
    Or,
    Question,
    Colon,
    Bad,
};

struct Token {
    Tok kind = Tok::End;
    std::size_t at = 0, length = 0;
    std::int64_t value = 0;
};

// The binary operators: their precedence (higher binds tighter), 0 for none;
// whether an argument's place takes them.
struct BinaryRow {
    int precedence;
    bool inArgument;
};
BinaryRow Binary(Tok t) {
    switch (t) {
    case Tok::Star:
    case Tok::Slash:
    case Tok::Percent: return {10, true};
    case Tok::Plus:
    case Tok::Minus: return {9, true};
    case Tok::Shl:
    case Tok::Shr: return {8, true};
    case Tok::Less:
    case Tok::LessEq:
    case Tok::Greater:
    case Tok::GreaterEq: return {7, false};
    case Tok::Equal:
    case Tok::NotEqual: return {6, false};
    case Tok::BitAnd: return {5, true};
    case Tok::BitXor: return {4, true};
    case Tok::BitOr: return {3, true};
    case Tok::And: return {2, false};
    case Tok::Or: return {1, false};
    default: return {0, false};
    }
}

class Parser {
  public:
    Parser(std::string_view text, const ConstExprOptions& options, ConstExprError& error)
        : s_(text), options_(options), error_(error) {}

    bool Whole(std::int64_t& value) {
        Next();
        if (!Conditional(value, true)) return false;
        if (token_.kind == Tok::Bad) return FailBad();
        if (token_.kind != Tok::End) {
            if (Binary(token_.kind).precedence || token_.kind == Tok::Question ||
                token_.kind == Tok::Colon)
                return Fail(FormatText("the operator '%s' is not taken here",
                                       std::string(Text(token_)).c_str()));
            return Fail(token_.kind == Tok::Close
                            ? std::string("')' without its '('")
                            : FormatText("'%s' left over after the expression",
                                         std::string(Text(token_)).c_str()));
        }
        return true;
    }

  private:
    std::string_view Text(const Token& t) const { return s_.substr(t.at, t.length); }

    bool Fail(std::string reason) { return Fail(token_, std::move(reason)); }
    bool Fail(const Token& t, std::string reason) {
        if (!failed_) {
            error_.at = t.at;
            error_.length = t.length;
            error_.reason = std::move(reason);
            failed_ = true;
        }
        return false;
    }

    // Reads the next token into token_.
    void Next() {
        while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\t')) ++at_;
        token_ = Token();
        token_.at = at_;
        if (at_ >= s_.size()) return;
        const char c = s_[at_];
        const char d = at_ + 1 < s_.size() ? s_[at_ + 1] : '\0';
        auto op = [&](Tok kind, std::size_t length) {
            token_.kind = kind;
            token_.length = length;
            at_ += length;
        };
        if (IsDigit(c)) {
            bool ok = true;
            token_.length = ReadNumber(s_.substr(at_), token_.value, ok);
            token_.kind = ok ? Tok::Number : Tok::Bad;
            at_ += token_.length;
            return;
        }
        if (IsWordChar(c)) {
            std::size_t e = at_;
            while (e < s_.size() && IsWordChar(s_[e])) ++e;
            return op(Tok::Name, e - at_);
        }
        if (c == '\'') return CharConstant();
        switch (c) {
        case '(': return op(Tok::Open, 1);
        case ')': return op(Tok::Close, 1);
        case '+': return op(Tok::Plus, 1);
        case '-': return op(Tok::Minus, 1);
        case '*': return op(Tok::Star, 1);
        case '/': return op(Tok::Slash, 1);
        case '%': return op(Tok::Percent, 1);
        case '~': return op(Tok::Tilde, 1);
        case '^': return op(Tok::BitXor, 1);
        case '?': return op(Tok::Question, 1);
        case ':': return op(Tok::Colon, 1);
        case '!': return d == '=' ? op(Tok::NotEqual, 2) : op(Tok::Not, 1);
        case '=': return d == '=' ? op(Tok::Equal, 2) : op(Tok::Bad, 1);
        case '&': return d == '&' ? op(Tok::And, 2) : op(Tok::BitAnd, 1);
        case '|': return d == '|' ? op(Tok::Or, 2) : op(Tok::BitOr, 1);
        case '<':
            return d == '<' ? op(Tok::Shl, 2) : d == '=' ? op(Tok::LessEq, 2) : op(Tok::Less, 1);
        case '>':
            return d == '>'   ? op(Tok::Shr, 2)
                   : d == '=' ? op(Tok::GreaterEq, 2)
                              : op(Tok::Greater, 1);
        default: return op(Tok::Bad, 1);
        }
    }

    // 'c', or one of the escapes '\n', '\t', '\r', '\0', '\\', '\'', '\"'
    // and '\xHH'.
    void CharConstant() {
        std::size_t e = at_ + 1;
        std::int64_t v = -1;
        if (e < s_.size() && s_[e] == '\\' && e + 1 < s_.size()) {
            const char c = s_[e + 1];
            e += 2;
            switch (c) {
            case 'n': v = '\n'; break;
            case 't': v = '\t'; break;
            case 'r': v = '\r'; break;
            case '0': v = 0; break;
            case '\\':
            case '\'':
            case '"': v = c; break;
            case 'x':
                v = 0;
                while (e < s_.size() && DigitValue(s_[e]) < 16 && v < 256)
                    v = v * 16 + DigitValue(s_[e++]);
                if (e == at_ + 4 || v > 255) v = -1;
                break;
            default: break;
            }
        } else if (e < s_.size() && s_[e] != '\'') {
            v = static_cast<unsigned char>(s_[e++]);
        }
        const bool closed = e < s_.size() && s_[e] == '\'';
        token_.kind = v >= 0 && closed ? Tok::Number : Tok::Bad;
        token_.value = v;
        // A malformed one runs to its closing quote, where it has one.
        if (!closed) e = std::min(s_.find('\'', e), s_.size() - 1);
        token_.length = e + 1 - at_;
        at_ += token_.length;
    }

    bool Check(const Token& at, std::int64_t v, bool live) {
        if (live && (v < kLow || v > kHigh))
            return Fail(at, FormatText("'%s' overflows (past 32-bit signed)",
                                       std::string(Text(at)).c_str()));
        return true;
    }

    // conditional: or-expression ["?" expression ":" conditional]
    bool Conditional(std::int64_t& v, bool live) {
        if (!BinaryFrom(1, v, live)) return false;
        if (token_.kind != Tok::Question || !options_.conditional) return true;
        Next();
        std::int64_t a = 0, b = 0;
        if (!Conditional(a, live && v != 0)) return false;
        if (token_.kind != Tok::Colon) return Fail("':' expected after '?' and its value");
        Next();
        if (!Conditional(b, live && v == 0)) return false;
        v = v ? a : b;
        return true;
    }

    // Binary operators of precedence `low` and above, left to right.
    bool BinaryFrom(int low, std::int64_t& v, bool live) {
        if (!Unary(v, live)) return false;
        for (;;) {
            const Tok kind = token_.kind;
            const BinaryRow row = Binary(kind);
            if (row.precedence < low || (!row.inArgument && !options_.conditional)) return true;
            const Token op = token_;
            Next();
            // "&&" and "||" evaluate their right side only where it counts.
            const bool rightLive =
                live && !(kind == Tok::And && v == 0) && !(kind == Tok::Or && v != 0);
            std::int64_t r = 0;
            if (!BinaryFrom(row.precedence + 1, r, rightLive)) return false;
            if (!Apply(op, v, r, live)) return false;
        }
    }

    bool Apply(const Token& op, std::int64_t& v, std::int64_t r, bool live) {
        switch (op.kind) {
        case Tok::Star: v *= r; break;
        case Tok::Slash:
        case Tok::Percent:
            if (r == 0) {
                if (live)
                    return Fail(op, op.kind == Tok::Slash ? "division by zero"
                                                          : "remainder of a division by zero");
                v = 0;
                break;
            }
            v = op.kind == Tok::Slash ? v / r : v % r;
            break;
        case Tok::Plus: v += r; break;
        case Tok::Minus: v -= r; break;
        case Tok::Shl:
        case Tok::Shr:
            if (r < 0 || r > 31) {
                if (live)
                    return Fail(op, FormatText("a shift by %lld (0 to 31 are shifts)",
                                               static_cast<long long>(r)));
                v = 0;
                break;
            }
            v = op.kind == Tok::Shl ? v * (std::int64_t{1} << r) : v >> r;
            break;
        case Tok::Less: v = v < r; break;
        case Tok::LessEq: v = v <= r; break;
        case Tok::Greater: v = v > r; break;
        case Tok::GreaterEq: v = v >= r; break;
        case Tok::Equal: v = v == r; break;
        case Tok::NotEqual: v = v != r; break;
        case Tok::BitAnd: v &= r; break;
        case Tok::BitXor: v ^= r; break;
        case Tok::BitOr: v |= r; break;
        case Tok::And: v = v != 0 && r != 0; break;
        case Tok::Or: v = v != 0 || r != 0; break;
        default: break;
        }
        return Check(op, v, live);
    }

    bool Unary(std::int64_t& v, bool live) {
        const Token op = token_;
        switch (op.kind) {
        case Tok::Plus:
        case Tok::Minus:
        case Tok::Tilde:
        case Tok::Not:
            Next();
            if (!Unary(v, live)) return false;
            v = op.kind == Tok::Minus   ? -v
                : op.kind == Tok::Tilde ? ~v
                : op.kind == Tok::Not   ? !v
                                        : v;
            return Check(op, v, live);
        default: return Primary(v, live);
        }
    }

    bool Primary(std::int64_t& v, bool live) {
        const Token t = token_;
        switch (t.kind) {
        case Tok::Number:
            v = t.value;
            Next();
            return Check(t, v, live);
        case Tok::Open: {
            Next();
            if (!Conditional(v, live)) return false;
            if (token_.kind != Tok::Close) return Fail(t, "'(' without its ')'");
            Next();
            return true;
        }
        case Tok::Name: return Name(v);
        case Tok::End: return Fail("a value is missing at the end");
        case Tok::Bad: return FailBad();
        default:
            return Fail(FormatText("a value is missing before '%s'", std::string(Text(t)).c_str()));
        }
    }

    // The token read is none of the expression's.
    bool FailBad() {
        const std::string text(Text(token_));
        if (IsDigit(text[0])) return Fail(FormatText("malformed number '%s'", text.c_str()));
        if (text[0] == '\'')
            return Fail(FormatText("malformed character constant %s", text.c_str()));
        return Fail(FormatText("'%s' is no operator or value", text.c_str()));
    }

    bool Name(std::int64_t& v) {
        const Token t = token_;
        const std::string_view name = Text(t);
        Next();
        if (options_.defined && name == "defined") {
            const bool paren = token_.kind == Tok::Open;
            if (paren) Next();
            if (token_.kind != Tok::Name) return Fail("'defined' takes a name");
            v = options_.defined(Text(token_)) ? 1 : 0;
            Next();
            if (paren) {
                if (token_.kind != Tok::Close) return Fail("')' expected after the name");
                Next();
            }
            return true;
        }
        if (options_.lookup && options_.lookup(name, v)) return Check(t, v, true);
        return Fail(t, FormatText("unknown name '%s'", std::string(name.substr(0, 60)).c_str()));
    }

    std::string_view s_;
    const ConstExprOptions& options_;
    ConstExprError& error_;
    std::size_t at_ = 0;
    Token token_;
    bool failed_ = false;
};

} // namespace

std::size_t ReadNumber(std::string_view text, std::int64_t& value, bool& ok) {
    if (text.empty() || !IsDigit(text[0])) return 0;
    std::size_t n = 0;
    while (n < text.size() && (IsWordChar(text[n]) || text[n] == '.')) ++n;
    std::string_view digits = text.substr(0, n);
    int base = 10;
    if (n >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    ok = !digits.empty();
    std::int64_t v = 0;
    for (const char c : digits) {
        const int d = DigitValue(c);
        if (d >= base) ok = false;
        if (ok && v < kHuge) v = v * base + d;
    }
    value = v;
    return n;
}

bool EvaluateConstExpr(std::string_view text, const ConstExprOptions& options, std::int64_t& value,
                       ConstExprError& error) {
    return Parser(text, options, error).Whole(value);
}

} // namespace quillon::exact
