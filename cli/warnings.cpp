#include "cli/warnings.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "cli/closest_name.h"
#include "cli/scanned_fields.h"
#include "codec/classic/source.h"

namespace quillon::cli {

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

// What an operator of the kind must be: "a comparison operator (= > ...)".
std::string OperatorList(Kind kind) {
    const KindRow& row = RowOf(kind);
    std::string text = std::string(row.operatorNoun) + " (";
    for (int i = 0; i < row.scanned; ++i) (text += i ? " " : "") += row.operators[i];
    return text + ")";
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

// The "(" left open at the line end `end` of the physical line that starts
// at `begin`: the first "(" after the last ")", outside comments ("//" to the
// line's end, "/*" to "*/" or the line's end).
std::int32_t WarningPrinter::OpenParenthesisOffset(std::int32_t begin, std::int32_t end) const {
    const std::string_view line =
        Source().substr(static_cast<size_t>(begin - Base()), static_cast<size_t>(end - begin));
    size_t open = std::string_view::npos;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line.compare(i, 2, "//") == 0) break;
        if (line.compare(i, 2, "/*") == 0) {
            i = line.find("*/", i + 2);
            if (i == std::string_view::npos) break;
            ++i;
        } else if (line[i] == '(') {
            if (open == std::string_view::npos) open = i;
        } else if (line[i] == ')') {
            open = std::string_view::npos;
        }
    }
    return begin + static_cast<std::int32_t>(open == std::string_view::npos ? 0 : open);
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

// A line whose first word names no instruction, with the name it may mean.
void WarningPrinter::ReportUnknownName(const Diagnostic& d) {
    // Brace and label lines produce no bytes by design.
    if (d.token == "{" || d.token == "else" || IsLabel(d)) return;
    Warn(Source(), d.sourceOffset, [&] {
        std::string message =
            "unknown instruction " + Quoted(d.token) + ": the line produces no bytes";
        const std::string guess = ClosestName(*record_->dialect, d.token);
        if (!guess.empty()) message += "; did you mean " + Quoted(guess) + "?";
        return message;
    });
}

void WarningPrinter::ReportSurplusArgument(const Diagnostic& d) {
    const Dialect& dialect = *record_->dialect;
    // Arguments that are printed but never read back (Calc2's) are part of
    // the disassembler's own text: surplus starts after them.
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
    Warn(Source(), offset, [&] {
        return (d.opcode == 0xFF ? std::string() : Quoted(dialect.Name(d.opcode))) + " takes " +
               Plural(wanted, "argument", "arguments") + "; " + Quoted(token) +
               " and anything after it are ignored";
    });
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
    case Issue::UnknownName: return ReportUnknownName(d);
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
    case Issue::SurplusArgument: return ReportSurplusArgument(d);
    case Issue::BadOperator:
        Warn(source, d.sourceOffset, [&] {
            return argument() + ": " + Quoted(d.token) + " is not " +
                   OperatorList(field && IsOperator(field->kind) ? field->kind : Kind::CmpOp);
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
    case Issue::JoinedLine:
        if (!Take()) return;
        if (source[static_cast<size_t>(d.sourceOffset - Base())] == '\n')
            Emit(source, d.sourceOffset,
                 "the line ends in LF alone, which ends no line: the next line is compiled as "
                 "part of this one (end it in CR LF)");
        else
            Emit(source, OpenParenthesisOffset(static_cast<std::int32_t>(d.value), d.sourceOffset),
                 "a '(' is still open at the end of the line: the next line is compiled as part "
                 "of this one");
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
    // A text without a CR compiles to nothing: it is refused as a whole, and
    // the refusal says why.
    if (lastLineEnd_ < 0 && Base() == 0 && source.find('\r') == std::string_view::npos) return;
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
        if (after.find('\r') != std::string_view::npos)
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
