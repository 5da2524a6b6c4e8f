#include "cli/warnings.h"

#include <algorithm>
#include <cstdio>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "codec/classic/source.h"

namespace quillon::cli {

// ---- lines and columns ---------------------------------------------------

LineIndex::LineIndex(std::string_view text) : size_(static_cast<std::int32_t>(text.size())) {
    starts_.push_back(0);
    for (std::int32_t i = 0; i < size_; ++i) {
        const char c = text[static_cast<size_t>(i)];
        if (c == '\r') {
            if (i + 1 < size_ && text[static_cast<size_t>(i) + 1] == '\n') ++i;
            starts_.push_back(i + 1);
        } else if (c == '\n') {
            starts_.push_back(i + 1);
        }
    }
}

void LineIndex::Locate(std::int32_t offset, int& line, int& column) const {
    offset = std::clamp(offset, 0, size_);
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), offset);
    line = static_cast<int>(it - starts_.begin());
    column = static_cast<int>(offset - starts_[static_cast<size_t>(line - 1)]) + 1;
}

// ---- lines counted as the text goes by ------------------------------------

namespace {

// The line starts that the bytes [0, n - 1) give: after every LF, and after
// every CR that no LF follows. The last byte is left to the caller.
int CountStarts(const char* b, std::size_t n) {
    int starts = 0;
    std::size_t j = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
    for (; j + 17 <= n; j += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + j));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + j + 1));
        const __m128i ends =
            _mm_or_si128(_mm_cmpeq_epi8(a, lf),
                         _mm_andnot_si128(_mm_cmpeq_epi8(next, lf), _mm_cmpeq_epi8(a, cr)));
        starts += __builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(ends)));
    }
#endif
    for (; j + 1 < n; ++j) starts += b[j] == '\n' || (b[j] == '\r' && b[j + 1] != '\n');
    return starts;
}

} // namespace

void LineCounter::Reset() {
    *this = LineCounter();
}

void LineCounter::Pass(std::int32_t offset, std::string_view bytes, bool end) {
    if (offset + static_cast<std::int32_t>(bytes.size()) <= counted_) return;
    if (offset > counted_) counted_ = offset; // not reached: the bytes follow each other
    bytes.remove_prefix(static_cast<std::size_t>(counted_ - offset));
    offset = counted_;
    if (pendingCr_ && bytes[0] != '\n') {
        ++starts_;
        lastStart_ = offset;
    }
    pendingCr_ = false;
    const std::size_t n = bytes.size();
    const int before = starts_;
    starts_ += CountStarts(bytes.data(), n);
    const char last = bytes[n - 1];
    if (last == '\n' || (last == '\r' && end)) {
        ++starts_;
        lastStart_ = offset + static_cast<std::int32_t>(n);
    } else {
        pendingCr_ = last == '\r';
        if (starts_ > before) {
            // The last start among the bytes: after the last LF or lone CR.
            std::size_t j = n - 1;
            while (j > 0 && !(bytes[j - 1] == '\n' || (bytes[j - 1] == '\r' && bytes[j] != '\n')))
                --j;
            lastStart_ = offset + static_cast<std::int32_t>(j);
        }
    }
    counted_ = offset + static_cast<std::int32_t>(n);
}

void LineCounter::Locate(std::int32_t offset, std::string_view bytes, std::int32_t bytesOffset,
                         bool end, int& line, int& column) const {
    const std::int32_t limit = bytesOffset + static_cast<std::int32_t>(bytes.size());
    offset = std::clamp(offset, counted_, std::max(counted_, limit));
    LineCounter at = *this;
    if (offset > counted_)
        at.Pass(counted_,
                bytes.substr(static_cast<std::size_t>(counted_ - bytesOffset),
                             static_cast<std::size_t>(offset - counted_)),
                end && offset == limit);
    // A CR just before: its line ends here unless an LF follows.
    if (at.pendingCr_ &&
        (offset >= limit || bytes[static_cast<std::size_t>(offset - bytesOffset)] != '\n')) {
        ++at.starts_;
        at.lastStart_ = offset;
    }
    line = at.starts_ + 1;
    column = static_cast<int>(offset - at.lastStart_) + 1;
}

// ---- names ---------------------------------------------------------------

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Edit distance with adjacent transpositions. With `foldCase` letters that
// differ only in case are equal.
int Distance(std::string_view a, std::string_view b, bool foldCase) {
    const size_t n = a.size(), m = b.size();
    std::vector<int> prev2(m + 1), prev(m + 1), cur(m + 1);
    for (size_t j = 0; j <= m; ++j) prev[j] = static_cast<int>(j);
    auto same = [&](char x, char y) { return foldCase ? Lower(x) == Lower(y) : x == y; };
    for (size_t i = 1; i <= n; ++i) {
        cur[0] = static_cast<int>(i);
        for (size_t j = 1; j <= m; ++j) {
            const int cost = same(a[i - 1], b[j - 1]) ? 0 : 1;
            cur[j] = std::min({prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + cost});
            if (i > 1 && j > 1 && same(a[i - 1], b[j - 2]) && same(a[i - 2], b[j - 1]))
                cur[j] = std::min(cur[j], prev2[j - 2] + 1);
        }
        std::swap(prev2, prev);
        std::swap(prev, cur);
    }
    return prev[m];
}

bool IsWordName(const char* name) {
    const char c = name[0];
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

std::string ClosestName(const Dialect& dialect, std::string_view word) {
    std::vector<std::string_view> names;
    for (int op = 0; op < 0x90; ++op) {
        const char* name = dialect.Name(static_cast<std::uint8_t>(op));
        if (IsWordName(name) && std::string_view(name) != "UnknownOpcode") names.emplace_back(name);
    }
    for (const char* k : {"switch", "case", "default"}) names.emplace_back(k);
    if (dialect.keywordBlocks)
        for (const char* k : {"if", "while", "do"}) names.emplace_back(k);

    // How far a word may be from a name for the name to be a likely meaning.
    const size_t len = word.size();
    const int allowed = len >= 9 ? 3 : len >= 5 ? 2 : len >= 3 ? 1 : 0;
    std::string_view best;
    int bestFolded = allowed + 1, bestExact = 0;
    for (std::string_view name : names) {
        if (name == word) continue;
        const int folded = Distance(word, name, true);
        if (folded > bestFolded) continue;
        const int exact = Distance(word, name, false);
        if (folded < bestFolded || exact < bestExact) {
            best = name;
            bestFolded = folded;
            bestExact = exact;
        }
    }
    return std::string(best);
}

// ---- fields --------------------------------------------------------------

const Field* ScannedField(const Dialect& dialect, std::uint8_t opcode, int argument) {
    const Form& form = *dialect.forms[opcode];
    const int size = dialect.Size(opcode);
    int n = 0;
    for (int i = 0; i < form.fieldCount; ++i) {
        const Field& f = form.fields[i];
        if (!FieldApplies(f, size) || (f.flags & kNoScan)) continue;
        if (++n == argument) return &f;
    }
    return nullptr;
}

int PrintedFieldCount(const Dialect& dialect, std::uint8_t opcode) {
    const Form& form = *dialect.forms[opcode];
    const int size = dialect.Size(opcode);
    int n = 0;
    for (int i = 0; i < form.fieldCount; ++i) n += FieldApplies(form.fields[i], size) ? 1 : 0;
    return n;
}

int ScannedFieldCount(const Dialect& dialect, std::uint8_t opcode) {
    int n = 0;
    while (ScannedField(dialect, opcode, n + 1)) ++n;
    return n;
}

// ---- the printer ---------------------------------------------------------

namespace {

// A token in quotes; a very long one is cut, so that a warning stays a line.
std::string Quoted(std::string_view s) {
    constexpr std::size_t kLongest = 60;
    std::string out;
    out.reserve(std::min(s.size(), kLongest) + 5);
    out += '\'';
    out.append(s.substr(0, kLongest));
    if (s.size() > kLongest) out += "...";
    out += '\'';
    return out;
}

std::string RangeText(Kind kind) {
    return std::to_string(RangeOf(kind).low) + " to " + std::to_string(RangeOf(kind).high);
}

const char* OperatorList(Kind kind) {
    switch (kind) {
    case Kind::CalcOp: return "an arithmetic operator (+ - * / % || && ^ ~ << >> ~>>)";
    case Kind::CmpOpQ: return "a comparison operator (= > >= < <= != ?)";
    default: return "a comparison operator (= > >= < <= !=)";
    }
}

std::string Plural(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

void WarningPrinter::Begin(const std::string& file, ScriptContext& record) {
    file_ = file;
    record_ = &record;
    record.listener = this;
    count_ = 0;
    missingReported_ = false;
    unclosed_ = 0;
    lastLineEnd_ = -1;
    lines_.Reset();
}

int WarningPrinter::End() {
    if (record_) record_->listener = nullptr;
    record_ = nullptr;
    if (!quiet_ && maxWarnings_ > 0 && count_ > maxWarnings_) {
        const int more = count_ - maxWarnings_;
        std::fprintf(stderr, "%s: %d more warning%s not shown (--max-warnings N shows N, 0 all)\n",
                     file_.c_str(), more, more == 1 ? "" : "s");
    }
    return count_;
}

std::string_view WarningPrinter::Source() const {
    return record_ && record_->input ? record_->input->bytes : std::string_view();
}

std::int32_t WarningPrinter::Base() const {
    return record_ && record_->input ? record_->input->base : 0;
}

bool WarningPrinter::Take() {
    const bool shown = Shown();
    ++count_;
    return shown;
}

void WarningPrinter::Emit(std::string_view source, std::int32_t offset,
                          const std::string& message) {
    // The lines before the current one are counted once for good; the
    // current line's bytes for each of its warnings.
    const std::int32_t base = Base();
    const std::int32_t end = base + static_cast<std::int32_t>(source.size());
    const std::int32_t before = std::min({lastLineEnd_ + 1, offset, end});
    if (before > lines_.Counted() && lines_.Counted() >= base)
        lines_.Pass(lines_.Counted(),
                    source.substr(static_cast<std::size_t>(lines_.Counted() - base),
                                  static_cast<std::size_t>(before - lines_.Counted())),
                    false);
    int line = 1, column = 1;
    lines_.Locate(offset, source, base, true, line, column);
    std::fprintf(stderr, "%s:%d:%d: warning: %s\n", file_.c_str(), line, column, message.c_str());
}

void WarningPrinter::SourcePassed(std::int32_t offset, std::string_view bytes) {
    // Lines are counted only while warnings may still be printed.
    if (Shown() && !bytes.empty()) lines_.Pass(offset, bytes, false);
}

// The source offset of a token of the current line.
std::int32_t WarningPrinter::TokenOffset(std::string_view token) const {
    const ScriptContext& r = *record_;
    if (token.data() < r.line.data() || token.data() >= r.line.data() + r.line.size()) return -1;
    const auto at = static_cast<size_t>(token.data() - r.line.data());
    return at < r.lineOffsets.size() ? r.lineOffsets[at] : -1;
}

// A missing argument has no token: it is reported where the arguments end,
// at the ")" after the last one (or just past the last token).
std::int32_t WarningPrinter::MissingArgumentOffset() const {
    const ScriptContext& r = *record_;
    if (r.liveTokens <= 0 || r.lineOffsets.empty()) return -1;
    const std::string_view last = r.tokens[static_cast<size_t>(r.liveTokens - 1)];
    if (last.data() < r.line.data() || last.data() > r.line.data() + r.line.size()) return -1;
    const size_t after = static_cast<size_t>(last.data() - r.line.data()) + last.size();
    if (after < r.lineOffsets.size()) return r.lineOffsets[after];
    return r.lineOffsets.back() + 1;
}

// "name:" on a line of its own: the colon has become a blank, so the source
// is asked what followed the word.
bool WarningPrinter::IsLabel(const Diagnostic& d) const {
    if (record_->liveTokens != 1 || d.sourceOffset < Base()) return false;
    const std::string_view source = Source();
    size_t i = static_cast<size_t>(d.sourceOffset - Base()) + d.token.size();
    while (i < source.size() && (source[i] == ' ' || source[i] == '\t')) ++i;
    return i < source.size() && source[i] == ':';
}

void WarningPrinter::Report(const Diagnostic& d) {
    if (!record_) return;
    const Dialect& dialect = *record_->dialect;
    const std::string_view source = Source();
    // The texts are made only for a warning that is printed.
    auto name = [&] { return d.opcode == 0xFF ? std::string() : Quoted(dialect.Name(d.opcode)); };
    const Field* field = d.opcode == 0xFF ? nullptr : ScannedField(dialect, d.opcode, d.argument);
    auto argument = [&] { return "argument " + std::to_string(d.argument) + " of " + name(); };
    switch (d.issue) {
    case Issue::UnknownName: {
        // Brace and label lines produce no bytes by design.
        if (d.token == "{" || d.token == "else" || IsLabel(d)) return;
        Warn(source, d.sourceOffset, [&] {
            std::string message =
                "unknown instruction " + Quoted(d.token) + ": the line produces no bytes";
            const std::string guess = ClosestName(dialect, d.token);
            if (!guess.empty()) message += "; did you mean " + Quoted(guess) + "?";
            return message;
        });
        return;
    }
    case Issue::SkippedKeyword:
        Warn(source, d.sourceOffset, [&] {
            return Quoted(d.token) + " lines produce no bytes in the " + dialect.name + " dialect";
        });
        return;
    case Issue::BadNumber: {
        const Kind kind = field ? field->kind : d.kind;
        Warn(source, d.sourceOffset, [&] {
            return argument() + ": " + Quoted(d.token) + " is not a " +
                   (ScansHex(kind) ? "hexadecimal" : "decimal") + " number";
        });
        return;
    }
    case Issue::MissingArgument: {
        if (missingReported_) return; // the arguments after it are missing too
        missingReported_ = true;
        const int wanted = PrintedFieldCount(dialect, d.opcode);
        Warn(source, MissingArgumentOffset(), [&] {
            return name() + " takes " + Plural(wanted, "argument", "arguments") + ", " +
                   std::to_string(d.argument - 1) + " given";
        });
        return;
    }
    case Issue::SurplusArgument: {
        // Arguments that are printed but never read back (Calc2's) are part
        // of the disassembler's own text: surplus starts after them.
        const int wanted = PrintedFieldCount(dialect, d.opcode);
        std::string_view token = d.token;
        std::int32_t offset = d.sourceOffset;
        if (wanted > ScannedFieldCount(dialect, d.opcode)) {
            const ScriptContext& r = *record_;
            const int first = dialect.forms[d.opcode]->firstToken;
            int live = r.liveTokens;
            while (live > first && r.tokens[static_cast<size_t>(live - 1)] == "{") --live;
            if (live - first <= wanted) return;
            token = r.tokens[static_cast<size_t>(first + wanted)];
            offset = TokenOffset(token);
        }
        Warn(source, offset, [&] {
            return name() + " takes " + Plural(wanted, "argument", "arguments") + "; " +
                   Quoted(token) + " and anything after it are ignored";
        });
        return;
    }
    case Issue::BadOperator:
        Warn(source, d.sourceOffset, [&] {
            return argument() + ": " + Quoted(d.token) + " is not " +
                   OperatorList(field ? field->kind : Kind::CmpOp);
        });
        return;
    case Issue::OutOfRange: {
        const Kind kind = field ? field->kind : d.kind;
        Warn(source, d.sourceOffset, [&] {
            return argument() + ": " + std::string(d.token) + " does not fit (" + RangeText(kind) +
                   "); only its low " + (WidthOf(kind) == 1 ? "8" : "16") + " bits are kept";
        });
        return;
    }
    case Issue::UnmatchedClose:
        Warn(source, d.sourceOffset, [&] { return Quoted(d.token) + " closes no open block"; });
        return;
    case Issue::UnclosedBlock:
        // Decided at the end, when the text after the last line is known.
        unclosed_ = d.argument;
        return;
    }
}

void WarningPrinter::LineDone(std::int32_t, std::int32_t sourceEnd, std::int32_t, std::int32_t) {
    lastLineEnd_ = sourceEnd;
    missingReported_ = false;
}

// Only CR ends a line, so whatever follows the last CR is never compiled. The
// disassembler ends its text with a "}" there, which closes the function;
// anything else left there is lost, and said so.
void WarningPrinter::SourceDone(std::string_view source) {
    if (!record_) return;
    // The tail, physical line by physical line; each piece gets a ")" so that
    // a parenthesis left open cannot hide its words. A streamed compile gives
    // the text from its window's start on; offsets below count from `base`.
    const std::int32_t base = Base();
    const auto size = static_cast<std::int32_t>(source.size());
    std::int32_t firstWordOffset = -1;
    std::vector<std::string> kept; // the tokens outlive their line
    std::string piece, line;
    std::vector<std::int32_t> offsets;
    std::vector<std::string_view> tokens;
    for (std::int32_t begin = std::clamp(lastLineEnd_ + 1 - base, 0, size); begin < size;) {
        std::int32_t end = begin;
        while (end < size && source[static_cast<size_t>(end)] != '\r' &&
               source[static_cast<size_t>(end)] != '\n')
            ++end;
        piece.assign(source.substr(static_cast<size_t>(begin), static_cast<size_t>(end - begin)));
        piece += ")\r";
        std::int32_t position = 0;
        ReadSourceLine(kCompilerLineOptions, piece, position, line, &offsets);
        SplitTokens(line, tokens);
        for (std::string_view t : tokens) {
            if (firstWordOffset < 0)
                firstWordOffset = begin + offsets[static_cast<size_t>(t.data() - line.data())];
            kept.emplace_back(t);
        }
        begin = end + 1;
    }
    const bool closesFunction = kept.size() == 1 && kept[0] == "}";
    if (!kept.empty() && !closesFunction) {
        const std::string_view after = source.substr(static_cast<size_t>(firstWordOffset));
        std::string message;
        if (lastLineEnd_ < 0 && base == 0 && source.find('\r') == std::string_view::npos)
            message = "lines end in LF alone: only CR LF or CR ends a line, so nothing is "
                      "compiled from here on";
        else if (after.find('\r') != std::string_view::npos)
            message = "a '(' is never closed: this line and everything after it are not compiled";
        else
            message = "the last line has no line end (CR LF) and is not compiled";
        Warn(source, base + firstWordOffset, [&] { return message; });
    }
    const int open = unclosed_ - (closesFunction ? 1 : 0);
    if (open > 0)
        Warn(source, base + size, [&] {
            return Plural(open, "block is", "blocks are") +
                   " still open at the end of the source: " + Plural(open, "'}' is", "'}' are") +
                   " missing";
        });
}

} // namespace quillon::cli
