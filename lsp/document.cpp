#include "lsp/document.h"

#include <algorithm>

namespace quillon::lsp {

namespace {

// The bytes of a UTF-8 sequence that starts with `lead` (1 for a stray
// byte), and the UTF-16 code units that it takes.
int SequenceBytes(unsigned char lead) {
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : 1;
}

} // namespace

void Document::Replace(std::string text) {
    text_ = std::move(text);
    starts_.assign(1, 0);
    Index(0);
}

// Lines end at LF, CR LF or a lone CR.
void Document::Index(std::size_t from) {
    const std::size_t n = text_.size();
    for (std::size_t i = from; i < n; ++i) {
        const char c = text_[i];
        if (c == '\n' || (c == '\r' && (i + 1 == n || text_[i + 1] != '\n')))
            starts_.push_back(i + 1);
    }
}

std::string_view Document::Line(int line) const {
    if (line < 0 || line >= Lines()) return {};
    const std::size_t start = starts_[static_cast<std::size_t>(line)];
    std::size_t end =
        line + 1 < Lines() ? starts_[static_cast<std::size_t>(line) + 1] : text_.size();
    while (end > start && (text_[end - 1] == '\n' || text_[end - 1] == '\r')) --end;
    return std::string_view(text_).substr(start, end - start);
}

std::size_t Document::Offset(const Position& p) const {
    if (p.line < 0) return 0;
    if (p.line >= Lines()) return text_.size();
    const std::string_view line = Line(p.line);
    std::size_t i = 0;
    for (int units = 0; i < line.size() && units < p.character;) {
        const int bytes = SequenceBytes(static_cast<unsigned char>(line[i]));
        if (i + static_cast<std::size_t>(bytes) > line.size()) break;
        units += bytes == 4 ? 2 : 1;
        i += static_cast<std::size_t>(bytes);
    }
    return starts_[static_cast<std::size_t>(p.line)] + i;
}

Position Document::At(int line, std::size_t column) const {
    const std::string_view text = Line(line);
    column = std::min(column, text.size());
    int units = 0;
    for (std::size_t i = 0; i < column;) {
        const int bytes = SequenceBytes(static_cast<unsigned char>(text[i]));
        units += bytes == 4 ? 2 : 1;
        i += static_cast<std::size_t>(bytes);
    }
    return {std::clamp(line, 0, Lines() - 1), units};
}

Position Document::At(std::size_t offset) const {
    offset = std::min(offset, text_.size());
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), offset);
    const int line = static_cast<int>(it - starts_.begin()) - 1;
    return At(line, offset - starts_[static_cast<std::size_t>(line)]);
}

bool Document::Edit(const Range& range, std::string_view with) {
    const std::size_t from = Offset(range.start), to = Offset(range.end);
    if (to < from) return false;
    text_.replace(from, to - from, with);
    // The lines before the edit stand; a CR before it may now pair with an LF.
    const int line = std::clamp(range.start.line, 0, Lines() - 1);
    const std::size_t keep = line > 0 ? static_cast<std::size_t>(line) - 1 : 0;
    starts_.resize(keep + 1);
    Index(starts_.back());
    return true;
}

} // namespace quillon::lsp
