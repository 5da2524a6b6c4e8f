// Lines that C joins: a "/* */" comment that runs over line ends, and a
// backslash that ends a line (not in a "//" comment, which ends at its line
// end). The logical line is copied with its comments and joints made blanks,
// at the offsets that its bytes have in the text, so that a token's offset
// still tells its physical line and column.
#include <algorithm>

#include "codec/exact/compiler.h"

namespace quillon::exact {

std::size_t JoinLines(std::string_view w, std::size_t at, bool last, JoinedText& out) {
    out.text.clear();
    out.breaks.clear();
    out.unclosed = JoinedText::kClosed;
    const std::size_t n = w.size();
    bool comment = false;
    std::size_t opened = 0;
    std::string& text = out.text;
    // A line end inside: blanks, and the next physical line starts after it.
    auto lineEnd = [&](std::size_t& i) {
        const std::size_t width = w[i] == '\r' && i + 1 < n && w[i + 1] == '\n' ? 2 : 1;
        text.append(width, ' ');
        i += width;
        out.breaks.push_back(static_cast<std::uint32_t>(text.size()));
    };
    std::size_t i = at;
    for (;;) {
        if (i >= n) {
            if (!last) return JoinedText::kMore;
            break;
        }
        // Every step looks one byte ahead: a window that ends here waits.
        if (i + 1 >= n && !last) return JoinedText::kMore;
        const char c = w[i];
        const char d = i + 1 < n ? w[i + 1] : '\0';
        if (comment) {
            if (c == '*' && d == '/') {
                text += "  ";
                i += 2;
                comment = false;
            } else if (c == '\r' || c == '\n') {
                lineEnd(i);
            } else {
                text += ' ';
                ++i;
            }
            continue;
        }
        if (c == '/' && d == '*') {
            opened = text.size();
            comment = true;
            text += "  ";
            i += 2;
        } else if (c == '/' && d == '/') {
            while (i < n && w[i] != '\r' && w[i] != '\n') {
                text += ' ';
                ++i;
            }
        } else if (c == '\\' && (d == '\r' || d == '\n')) {
            text += ' ';
            ++i;
            lineEnd(i);
        } else if (c == '\r' || c == '\n') {
            // The logical line ends.
            return i + (c == '\r' && d == '\n' ? 2 : 1);
        } else {
            text += c;
            ++i;
        }
    }
    if (comment) out.unclosed = opened;
    return n;
}

std::size_t Compiler::Join(std::string_view w, std::size_t at, bool last) {
    if (joined_.size() <= headers_.size()) joined_.resize(headers_.size() + 1);
    JoinedText& joined = joined_[headers_.size()];
    const std::size_t next = JoinLines(w, at, last, joined);
    if (next == JoinedText::kMore) return kNone;
    breaks_.swap(joined.breaks);
    unclosed_ = joined.unclosed == JoinedText::kClosed ? kNone : joined.unclosed;
    lexer_.Line(joined.text, 0, tokens_);
    UpdatePlacing();
    return next;
}

void Compiler::JoinedLine() {
    const std::string& joined = joined_[headers_.size()].text;
    Statements(joined, statements_);
    if (statements_.size() < 2 || (!tokens_.empty() && tokens_[0][0] == '#')) {
        scanner_.StartLine(false);
        Line();
    } else {
        // Each statement read alone; its columns count from the joined
        // line's start.
        for (const auto& [from, to] : statements_) {
            lexer_.Line(std::string_view(joined.data(), to), from, tokens_);
            shift_ = from;
            UpdatePlacing();
            scanner_.StartLine(false);
            if (!tokens_.empty() && tokens_[0][0] == '#')
                Error(tokens_[0], "a directive must begin its line");
            else
                Line();
        }
        shift_ = 0;
        UpdatePlacing();
    }
    if (unclosed_ != kNone) {
        Message(true, static_cast<int>(unclosed_) + 1, "the comment is never closed with '*/'");
        unclosed_ = kNone;
    }
    line_ += static_cast<int>(breaks_.size());
    breaks_.clear();
    UpdatePlacing();
}

void Compiler::Place(int& line, int& column, std::string* text) const {
    if (expanding_) column = expansion_.column;
    if ((!breaks_.empty() || shift_) && column > 0) {
        const auto offset = static_cast<std::uint32_t>(column - 1 + static_cast<int>(shift_));
        column = static_cast<int>(offset) + 1;
        const auto k = std::upper_bound(breaks_.begin(), breaks_.end(), offset) - breaks_.begin();
        if (k > 0) {
            line += static_cast<int>(k);
            column = static_cast<int>(offset - breaks_[static_cast<std::size_t>(k - 1)]) + 1;
        }
    }
    if (expanding_ && text)
        *text += " (in the expansion of '" + expansion_.macro + "', " + expansion_.where + ")";
    if (!headers_.empty()) {
        if (text)
            *text = headers_.back().name + ":" + std::to_string(line) + ":" +
                    std::to_string(column) + ": " + *text;
        line = headers_.front().line;
        column = headers_.front().column;
    }
}

} // namespace quillon::exact
