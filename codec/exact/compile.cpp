// The exact compiler: an exact text read line by line into the items of each
// procedure (instructions scanned through the exact forms, braces as block
// openings and closings, labels and gotos by name), then laid out by the
// encoder. Anything that would give the game a wrong script is an error.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "codec/classic/engine_parts.h"
#include "codec/classic/source.h"
#include "codec/exact/exact.h"
#include "codec/exact/ir.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillon::exact {

namespace {

// "Sub03" for procedure 3 (at least two digits).
bool IsSubName(std::string_view word, std::size_t number) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number > 0);
    if (n < 2) digits[n++] = '0';
    if (word.size() != 3 + static_cast<std::size_t>(n) || word.substr(0, 3) != "Sub") return false;
    for (int i = 0; i < n; ++i)
        if (word[3 + static_cast<std::size_t>(i)] != digits[n - 1 - i]) return false;
    return true;
}

bool IsLabelName(std::string_view word) {
    if (word.size() < 2 || word[0] != 'L') return false;
    return std::all_of(word.begin() + 1, word.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    });
}

// The arguments that a form reads from a line.
int ArgumentCount(const Form& form, int size) {
    int n = 0;
    for (int i = 0; i < form.fieldCount; ++i)
        if (FieldApplies(form.fields[i], size) && !(form.fields[i].flags & kNoScan)) ++n;
    return n;
}

class Compiler : public CompileListener {
  public:
    Compiler() : rows_(ExactRows()), ctx_(rows_.dialect) {
        ctx_.compiling = 1;
        ctx_.listener = this;
    }

    // Compiles one text, given in windows: Begin, then Feed with each window
    // of the text in turn, then Finish. A compiler may compile any number of
    // texts in turn (its storage is kept for the next).
    void Begin(const MessageHandler& onMessage);
    // Reads the lines of `window` that end in it (all of them when `last`);
    // returns the index of the first line not read, which the next window
    // starts with.
    std::size_t Feed(std::string_view window, bool last);
    bool Finish(std::string& chunk);

    // Diagnostics of the scanning engine.
    void Report(const Diagnostic& d) override;

  private:
    void Message(bool error, int column, std::string text) {
        if (error) ++errors_;
        if (*onMessage_) (*onMessage_)({error, line_, column, std::move(text)});
    }
    void Error(std::string_view token, std::string text) {
        Message(true, Column(token), std::move(text));
    }
    // The column of a token of the line; a missing one is placed just after
    // the last token (at the ")" that ends the arguments).
    int Column(std::string_view token) const {
        const char* base = line_text_.data();
        if (!token.empty() && token.data() >= base && token.data() < base + line_text_.size())
            return static_cast<int>(token.data() - base) + 1;
        if (ctx_.tokens.empty()) return 1;
        const std::string_view last = ctx_.tokens.back();
        return static_cast<int>(last.data() + last.size() - base) + 1;
    }
    std::size_t Tokens(std::string_view text, std::size_t at);
    void Line();
    // Scans tokens [first, end) of the line as one instruction; false after
    // an error.
    bool Instruction(std::size_t first, std::size_t end, bool condition);
    // Scans the fields of `op` into the bytes of `item` and puts it.
    bool Scan(std::uint8_t op, std::size_t first, std::size_t end, const Entry& item);
    // The engine's tokens: those of [first, end) of the line. The line's
    // tokens are the engine's own, so that most lines need no copy; those
    // before `first` and from `end` on are dropped, and nothing reads the
    // line's tokens by their places after that.
    void SetTokens(std::size_t first, std::size_t end) {
        if (tokensFirst_ == first && tokensEnd_ == end) return;
        const auto begin = ctx_.tokens.begin();
        ctx_.tokens.erase(begin + static_cast<std::ptrdiff_t>(end - tokensFirst_),
                          ctx_.tokens.end());
        ctx_.tokens.erase(begin, begin + static_cast<std::ptrdiff_t>(first - tokensFirst_));
        ctx_.tokenCount = ctx_.liveTokens = static_cast<std::int32_t>(ctx_.tokens.size());
        tokensFirst_ = first;
        tokensEnd_ = end;
    }
    // Labels belong to their function: the same name in two functions names
    // two labels.
    std::uint32_t LabelId(std::string_view name) {
        auto [it, added] = labelsHere_.try_emplace(std::string(name),
                                                   static_cast<std::uint32_t>(labelLine_.size()));
        if (added) labelLine_.push_back(0);
        return it->second;
    }
    // The end of a function: its labels checked, its items laid out.
    void CloseProcedure();
    // An item read at `token`, its fields to be filled in before Put.
    Entry Make(Item kind, std::string_view token) const {
        Entry e;
        e.kind = kind;
        e.line = line_;
        e.column = Column(token);
        return e;
    }
    // Hands the item with its `n` bytes to the layout of the function (which
    // may read kQuickCopy of them when `padded`).
    void Put(Entry e, const void* bytes, std::size_t n, bool padded);

    const Rows& rows_;
    const MessageHandler* onMessage_ = nullptr;
    ScriptContext ctx_;
    std::vector<std::string_view>& all_ = ctx_.tokens;                   // the tokens of the line
    std::string_view line_text_;                                         // the physical line
    std::vector<std::uint32_t> bounds_ = std::vector<std::uint32_t>(64); // token edges in a line
    std::size_t tokensFirst_ = 0, tokensEnd_ = 0;
    bool ended_ = false;       // the last line read ended in its window
    ProcedureEncoder encoder_; // lays out the function being read
    bool recordFirst_ = false; // the next item's line is its function's first
    std::size_t count_ = 0;    // functions begun
    std::string body_;         // the procedures laid out, after the table
    std::vector<std::pair<std::uint32_t, int>> starts_; // each one's offset in body_, first line
    bool laying_ = true;                                // no error yet: procedures are laid out
    EncodeError layoutError_;
    std::size_t layoutFailedAt_ = 0; // the procedure that failed to lay out (kNone: none)
    static constexpr std::size_t kNone = ~std::size_t{0};
    bool inFunction_ = false;
    int open_ = 0; // blocks open in the current function
    int line_ = 0;
    int errors_ = 0;
    bool missingReported_ = false;
    // The labels of the current function by name; where each is defined (0
    // while it is not); the gotos to them.
    std::unordered_map<std::string, std::uint32_t> labelsHere_;
    std::vector<int> labelLine_;
    struct Reference {
        std::uint32_t label;
        int line, column;
        std::string name;
    };
    std::vector<Reference> references_;
};

void Compiler::Report(const Diagnostic& d) {
    const Dialect& dialect = rows_.dialect;
    const std::string name = std::string("'") + dialect.Name(d.opcode) + "'";
    const int column = Column(d.token);
    const std::string token(d.token.substr(0, 60));
    const Form& form = *dialect.forms[d.opcode];
    const int wanted = ArgumentCount(form, dialect.Size(d.opcode));
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

namespace {
// What each character is to the tokenizer.
enum CharClass : std::uint8_t { kWord, kBlank, kSlash, kEnd };
struct CharClasses {
    CharClass of[256] = {};
    constexpr CharClasses() {
        for (unsigned char c : {' ', '\t', '(', ')', ',', ';', ':'}) of[c] = kBlank;
        of[static_cast<unsigned char>('/')] = kSlash;
        of[static_cast<unsigned char>('\r')] = kEnd;
        of[static_cast<unsigned char>('\n')] = kEnd;
    }
};
constexpr CharClasses kClasses;
// The number of bits set in each byte (the processor's own count is not
// assumed).
struct BitCounts {
    std::uint8_t of[256] = {};
    constexpr BitCounts() {
        for (int b = 1; b < 256; ++b) of[b] = static_cast<std::uint8_t>(of[b >> 1] + (b & 1));
    }
};
constexpr BitCounts kBits;
} // namespace

// The tokens of the physical line that starts at `at`, as views into the
// text: blanks and the punctuation of the lines separate them, "//" comments
// out the rest of the line and "/*" up to its "*/" (or the end of the line).
// Lines end at LF, CR LF or a lone CR. Returns where the next line starts.
std::size_t Compiler::Tokens(std::string_view text, std::size_t at) {
    all_.clear();
    const char* const s = text.data();
    const std::size_t n = text.size();
    auto of = [&](std::size_t i) { return kClasses.of[static_cast<unsigned char>(s[i])]; };
    std::size_t i = at, start = 0;
    bool inToken = false;
    auto close = [&](std::size_t end) {
        if (inToken) all_.emplace_back(s + start, end - start);
        inToken = false;
    };
#if defined(__SSE2__)
    const __m128i blank = _mm_set1_epi8(' '), tab = _mm_set1_epi8('\t'), open = _mm_set1_epi8('('),
                  shut = _mm_set1_epi8(')'), comma = _mm_set1_epi8(','),
                  semicolon = _mm_set1_epi8(';'), colon = _mm_set1_epi8(':'),
                  cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), slash = _mm_set1_epi8('/');
#endif
    for (;;) {
#if defined(__SSE2__)
        // Sixteen bytes at a time up to the next line end or "/". Every
        // token boundary (a word after a blank, a blank after a word) is
        // noted in order; they pair up into tokens.
        std::size_t marks = 0;
        if (inToken) bounds_[marks++] = static_cast<std::uint32_t>(start - at);
        while (i + 16 <= n) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            const __m128i blanks = _mm_or_si128(
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, blank), _mm_cmpeq_epi8(v, tab)),
                             _mm_or_si128(_mm_cmpeq_epi8(v, open), _mm_cmpeq_epi8(v, shut))),
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, comma), _mm_cmpeq_epi8(v, semicolon)),
                             _mm_cmpeq_epi8(v, colon)));
            const unsigned stop = static_cast<unsigned>(_mm_movemask_epi8(
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)),
                             _mm_cmpeq_epi8(v, slash))));
            const unsigned plain = stop ? static_cast<unsigned>(__builtin_ctz(stop)) : 16u;
            if (plain == 0) break;
            const unsigned below = plain == 16 ? 0xFFFFu : (1u << plain) - 1;
            const unsigned word = ~static_cast<unsigned>(_mm_movemask_epi8(blanks)) & below;
            unsigned edges = (word ^ ((word << 1) | (inToken ? 1u : 0u))) & below;
            if (bounds_.size() < marks + 16) bounds_.resize(2 * bounds_.size() + 32);
            // The first six edges are written whatever their number (a
            // block seldom holds more), so that the loop's end is seldom
            // guessed wrong; the marks past the count are overwritten later.
            const std::uint32_t offset = static_cast<std::uint32_t>(i - at);
            const std::size_t count = kBits.of[edges & 0xFF] + kBits.of[edges >> 8];
            std::uint32_t* const mark = bounds_.data() + marks;
            for (int k = 0; k < 6; ++k) {
                mark[k] = offset + static_cast<std::uint32_t>(__builtin_ctz(edges | 0x10000u));
                edges &= edges - 1;
            }
            for (std::size_t k = 6; k < count; ++k) {
                mark[k] = offset + static_cast<std::uint32_t>(__builtin_ctz(edges));
                edges &= edges - 1;
            }
            marks += count;
            inToken = (word >> (plain - 1)) & 1u;
            i += plain;
            if (plain < 16) break;
        }
        const char* const line = s + at;
        const std::size_t had = all_.size();
        all_.resize(had + marks / 2);
        for (std::size_t k = 0; k + 1 < marks; k += 2)
            all_[had + k / 2] = std::string_view(line + bounds_[k], bounds_[k + 1] - bounds_[k]);
        if (inToken) start = at + bounds_[marks - 1];
#endif
        if (i >= n) {
            close(n);
            line_text_ = text.substr(at, n - at);
            ended_ = false;
            return n;
        }
        switch (of(i)) {
        case kWord:
            if (!inToken) start = i;
            inToken = true;
            ++i;
            break;
        case kBlank:
            close(i);
            ++i;
            break;
        case kEnd: {
            close(i);
            line_text_ = text.substr(at, i - at);
            ended_ = true;
            return s[i] == '\r' && i + 1 < n && s[i + 1] == '\n' ? i + 2 : i + 1;
        }
        case kSlash: {
            const char next = i + 1 < n ? s[i + 1] : '\0';
            if (next != '/' && next != '*') {
                // Part of a word.
                if (!inToken) start = i;
                inToken = true;
                ++i;
                break;
            }
            close(i);
            std::size_t j = i + 2;
            if (next == '/') {
                while (j < n && of(j) != kEnd) ++j;
            } else {
                while (j < n && of(j) != kEnd && !(s[j] == '*' && j + 1 < n && s[j + 1] == '/'))
                    ++j;
                if (j < n && s[j] == '*') j += 2;
            }
            i = j;
            break;
        }
        }
    }
}

bool Compiler::Scan(std::uint8_t op, std::size_t first, std::size_t end, const Entry& item) {
    const Dialect& d = rows_.dialect;
    SetTokens(first, end);
    std::memset(ctx_.code, 0, sizeof ctx_.code);
    ctx_.opcode = ctx_.code[0] = op;
    missingReported_ = false;
    const int before = errors_;
    const Form& form = *d.forms[op];
    if (!detail::QuickScanFields(ctx_, form)) detail::ScanFields(ctx_, form);
    // The engine checks for surplus arguments where a form has fields; here
    // every line is checked (the for line's own words and a final "{" aside).
    if (form.fieldCount == 0 && form.special != Special::For) {
        std::size_t live = ctx_.tokens.size();
        while (live > 1 && ctx_.tokens[live - 1] == "{") --live;
        if (live > form.firstToken)
            Report({Issue::SurplusArgument, -1, ctx_.tokens[form.firstToken], op, 1, 0, Kind::U8});
    }
    if (errors_ > before) return false;
    Put(item, ctx_.code, static_cast<std::size_t>(d.Size(op)), true);
    return true;
}

bool Compiler::Instruction(std::size_t first, std::size_t end, bool condition) {
    const Rows& rows = rows_;
    if (first >= end) {
        Error(std::string_view(), "the condition is missing");
        return false;
    }
    const std::string_view word = all_[first];
    if (word == "raw") {
        std::string bytes;
        for (std::size_t k = first + 1; k < end; ++k) {
            bool overflow = false;
            const auto v = ScanHex(all_[k], &overflow);
            if (!v || overflow || *v < 0 || *v > 255 ||
                all_[k].find_first_not_of("0123456789abcdefABCDEFxX") != std::string_view::npos) {
                Error(all_[k], FormatText("'%s' is not a byte in hexadecimal (00 to FF)",
                                          std::string(all_[k].substr(0, 60)).c_str()));
                return false;
            }
            bytes += static_cast<char>(*v);
        }
        if (bytes.empty()) {
            Error(word, "'raw' needs at least one byte");
            return false;
        }
        for (std::size_t at = 0; at < bytes.size(); at += 255) {
            Entry e = Make(Item::Code, word);
            e.raw = true;
            e.condition = condition;
            Put(e, bytes.data() + at, std::min<std::size_t>(255, bytes.size() - at), false);
        }
        return true;
    }
    SetTokens(first, end);
    const int op = detail::QuickInstructionOf(ctx_);
    if (op < 0) {
        Error(word,
              FormatText("unknown instruction '%s'", std::string(word.substr(0, 60)).c_str()));
        return false;
    }
    const Row& row = rows.row[op];
    if (row.role != Role::Plain) {
        Error(word, FormatText("'%s' has no line of its own in exact mode; write its bytes with "
                               "raw(...)",
                               std::string(word).c_str()));
        return false;
    }
    Entry e = Make(Item::Code, word);
    e.condition = condition;
    return Scan(static_cast<std::uint8_t>(op), first, end, e);
}

namespace {
// The first characters of the words that Line() tells apart: int, void, if,
// while, do, for, switch, case, default, "}", goto and labels.
struct KeywordStarts {
    bool of[256] = {};
    constexpr KeywordStarts() {
        for (unsigned char c : {'i', 'v', 'w', 'd', 'f', 's', 'c', '}', 'g', 'L'}) of[c] = true;
    }
};
constexpr KeywordStarts kKeywordStarts;
} // namespace

void Compiler::Line() {
    tokensFirst_ = 0;
    tokensEnd_ = all_.size();
    ctx_.tokenCount = ctx_.liveTokens = static_cast<std::int32_t>(all_.size());
    if (all_.empty()) return;
    const Rows& rows = rows_;
    const std::string_view word = all_[0];
    const std::size_t n = all_.size();
    auto opens = [&](std::size_t last) {
        if (all_[last] == "{") return true;
        Error(all_[last], "'{' expected at the end of the line");
        return false;
    };
    // Most lines are instructions: a word that no keyword or label starts
    // with is one.
    if (!kKeywordStarts.of[static_cast<unsigned char>(word[0])]) {
        if (inFunction_)
            Instruction(0, n, false);
        else
            Error(word, "a line outside any function");
        return;
    }
    if (word == "int" || word == "void") {
        if (inFunction_) {
            Error(word, "a function begins before the one above it ends");
            return;
        }
        inFunction_ = true;
        open_ = 0;
        labelsHere_.clear();
        labelLine_.clear();
        references_.clear();
        ++count_;
        // The table before the procedures has an even size: the pads, which
        // go by the parity of the chunk offset, are the same counted from its
        // end. A procedure that starts past what the table holds already is
        // the chunk's failure: nothing from it on needs laying out.
        if (errors_ == 0 && laying_) {
            const std::size_t start = body_.size();
            starts_.push_back({static_cast<std::uint32_t>(start), 0});
            recordFirst_ = true;
            if (2 * count_ + start > 0xFFFF)
                laying_ = false;
            else
                encoder_.Begin(static_cast<std::int32_t>(start), body_);
        }
        if (n < 2 || !IsSubName(all_[1], count_ - 1))
            Message(
                false, Column(n > 1 ? all_[1] : word),
                FormatText("procedure %zu of the table is named Sub%02zu", count_ - 1, count_ - 1));
        return;
    }
    if (!inFunction_) {
        Error(word, "a line outside any function");
        return;
    }
    if (n == 1 && IsLabelName(word)) {
        const std::uint32_t id = LabelId(word);
        if (labelLine_[id]) {
            Error(word, FormatText("label '%s' is already defined on line %d",
                                   std::string(word).c_str(), labelLine_[id]));
            return;
        }
        labelLine_[id] = line_;
        Entry e = Make(Item::Label, word);
        e.label = id;
        Put(e, nullptr, 0, false);
        return;
    }
    if (word == "if" || word == "while") {
        if (!opens(n - 1)) return;
        const std::uint8_t op =
            rows.opener[static_cast<int>(word == "if" ? Block::If : Block::While)];
        const std::uint8_t bytes[4] = {op, 0, 0, 0};
        Entry e = Make(Item::Open, word);
        e.block = rows.row[op].block;
        Put(e, bytes, 4, false);
        ++open_;
        Instruction(1, n - 1, true);
        return;
    }
    if (word == "do" || word == "for" || word == "switch") {
        if (!opens(n - 1)) return;
        const Block block = word == "do" ? Block::Do : word == "for" ? Block::For : Block::Switch;
        const std::uint8_t op = rows.opener[static_cast<int>(block)];
        ++open_;
        Entry e = Make(Item::Open, word);
        e.block = block;
        Scan(op, 0, n, e);
        return;
    }
    if (word == "case" || word == "default") {
        const Block block = word == "case" ? Block::Case : Block::Default;
        Scan(rows.opener[static_cast<int>(block)], 0, n,
             Make(word == "case" ? Item::Case : Item::Default, word));
        return;
    }
    if (word == "}") {
        if (n == 1) {
            if (open_ == 0) {
                inFunction_ = false;
                CloseProcedure();
                return;
            }
            --open_;
            Put(Make(Item::Close, word), nullptr, 0, false);
            return;
        }
        if (all_[1] == "else") {
            if (open_ == 0) {
                Error(word, "'} else {' follows no if block");
                return;
            }
            if (n != 3 || all_[2] != "{") {
                Error(all_[1], "'} else {' expected");
                return;
            }
            const std::uint8_t op = rows.opener[static_cast<int>(Block::Else)];
            const std::uint8_t bytes[4] = {op, 0, 0, 0};
            Put(Make(Item::Else, word), bytes, 4, false);
            return;
        }
        if (all_[1] == "while") {
            if (open_ == 0) {
                Error(word, "'}' closes no open block");
                return;
            }
            --open_;
            Entry e = Make(Item::Close, word);
            e.block = Block::Do;
            Put(e, nullptr, 0, false);
            Instruction(2, n, true);
            return;
        }
        Error(all_[1], "'}' expected alone, or as '} else {' or '} while(...);'");
        return;
    }
    if (word == "goto" && n > 1 && IsLabelName(all_[1])) {
        const std::uint32_t id = LabelId(all_[1]);
        references_.push_back({id, line_, Column(all_[1]), std::string(all_[1])});
        // Bytes 1 to 3 follow the label.
        Entry e = Make(Item::Goto, word);
        e.label = id;
        Scan(rows_.jump, 0, n, e);
        return;
    }
    Instruction(0, n, false);
}

void Compiler::Begin(const MessageHandler& onMessage) {
    onMessage_ = &onMessage;
    tokensFirst_ = tokensEnd_ = 0;
    inFunction_ = missingReported_ = false;
    open_ = line_ = errors_ = 0;
    count_ = 0;
    body_.clear();
    starts_.clear();
    laying_ = true;
    recordFirst_ = false;
    layoutFailedAt_ = kNone;
}

std::size_t Compiler::Feed(std::string_view window, bool last) {
    std::size_t at = 0;
    while (at < window.size()) {
        const std::size_t next = Tokens(window, at);
        // A line that runs to the window's end, or a CR there (a LF may
        // follow), waits for the next window.
        if (!last && (!ended_ || (next == window.size() && window.back() == '\r'))) break;
        ++line_;
        // Numbers may be read several bytes at a time where the window
        // holds enough after the line; the engine is told so by a line that
        // it need not copy (nothing is copied: it has no line of its own).
        ctx_.readLine = {};
        ctx_.lineCopied = window.size() -
                              static_cast<std::size_t>(line_text_.data() - window.data()) -
                              line_text_.size() <
                          kReadableFromToken;
        Line();
        at = next;
    }
    return at;
}

void Compiler::CloseProcedure() {
    for (const Reference& r : references_)
        if (!labelLine_[r.label]) {
            ++errors_;
            if (*onMessage_)
                (*onMessage_)({true, r.line, r.column,
                               FormatText("label '%s' is never defined", r.name.c_str())});
        }
    if (errors_ || !laying_) return;
    if (!encoder_.End()) {
        layoutError_ = encoder_.Error();
        laying_ = false;
        layoutFailedAt_ = count_ - 1;
    }
}

void Compiler::Put(Entry e, const void* bytes, std::size_t n, bool padded) {
    e.count = static_cast<std::uint8_t>(n);
    if (recordFirst_) {
        starts_.back().second = e.line;
        recordFirst_ = false;
    }
    if (errors_ || !laying_) return;
    if (!encoder_.Add(e, static_cast<const char*>(bytes), padded)) {
        layoutError_ = encoder_.Error();
        encoder_.End();
        laying_ = false;
        layoutFailedAt_ = count_ - 1;
    }
}

bool Compiler::Finish(std::string& chunk) {
    ++line_;
    if (inFunction_) Message(true, 1, "the last function is never closed with '}'");
    if (count_ == 0)
        Message(true, 1, "no function: an exact text holds one function per procedure");
    if (errors_) return false;
    // The first procedure that starts past what the 16-bit table holds,
    // unless one before it failed to lay out.
    const std::size_t table = 2 * count_;
    for (std::size_t k = 0; k < starts_.size(); ++k) {
        const std::size_t start = table + starts_[k].first;
        if (start > 0xFFFF && (layoutFailedAt_ == kNone || k <= layoutFailedAt_)) {
            layoutError_ = {starts_[k].second, 1,
                            FormatText("procedure %zu starts at 0x%zX, past what the 16-bit "
                                       "table holds",
                                       k, start)};
            layoutFailedAt_ = k;
            break;
        }
    }
    if (layoutFailedAt_ != kNone) {
        ++errors_;
        if (*onMessage_)
            (*onMessage_)({true, layoutError_.line, layoutError_.column, layoutError_.text});
        return false;
    }
    chunk.resize(table);
    for (std::size_t k = 0; k < count_; ++k) {
        const std::size_t start = table + starts_[k].first;
        chunk[2 * k] = static_cast<char>(start & 0xFF);
        chunk[2 * k + 1] = static_cast<char>(start >> 8);
    }
    chunk += body_;
    return true;
}

} // namespace

namespace {

// Runs `compile` on the compiler of the last text, with its storage; on a
// fresh one when a message handler compiles another text meanwhile.
template <typename Steps>
bool WithCompiler(const MessageHandler& onMessage, std::string& chunk, const Steps& steps) {
    chunk.clear();
    thread_local Compiler last;
    thread_local bool busy = false;
    auto run = [&](Compiler& compiler) {
        compiler.Begin(onMessage);
        steps(compiler);
        return compiler.Finish(chunk);
    };
    if (busy) {
        Compiler fresh;
        return run(fresh);
    }
    struct Busy {
        Busy() { busy = true; }
        ~Busy() { busy = false; }
    } mark;
    return run(last);
}

} // namespace

bool CompileChunk(std::string_view text, std::string& chunk, const MessageHandler& onMessage) {
    return WithCompiler(onMessage, chunk, [&](Compiler& c) { c.Feed(text, true); });
}

bool CompileStream(const TextPull& pull, std::string& chunk, const MessageHandler& onMessage) {
    return WithCompiler(onMessage, chunk, [&](Compiler& c) {
        // Left uninitialised: only what is read into it is touched.
        std::size_t size = 1 << 20, held = 0;
        std::unique_ptr<char[]> window(new char[size]);
        for (bool last = false; !last;) {
            if (held == size) {
                std::unique_ptr<char[]> wider(new char[2 * size]);
                std::memcpy(wider.get(), window.get(), held);
                window = std::move(wider);
                size *= 2;
            }
            const std::size_t got = pull(window.get() + held, size - held);
            last = got == 0;
            held += got;
            const std::size_t read = c.Feed(std::string_view(window.get(), held), last);
            // The line not read yet moves to the front.
            std::memmove(window.get(), window.get() + read, held - read);
            held -= read;
        }
    });
}

} // namespace quillon::exact
