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
    data_ = std::make_shared<Data>();
    data_->text = std::move(text);
    Index(*data_, 0);
}

Document::Data& Document::Own() {
    if (data_.use_count() > 1) data_ = std::make_shared<Data>(*data_);
    return *data_;
}

// Lines end at LF, CR LF or a lone CR.
void Document::Index(Data& data, std::size_t from) {
    const std::string& text = data.text;
    const std::size_t n = text.size();
    for (std::size_t i = from; i < n; ++i) {
        const char c = text[i];
        if (c == '\n' || (c == '\r' && (i + 1 == n || text[i + 1] != '\n')))
            data.starts.push_back(i + 1);
    }
}

std::string_view Document::Line(int line) const {
    const std::string& text = data_->text;
    const std::vector<std::size_t>& starts = data_->starts;
    if (line < 0 || line >= Lines()) return {};
    const std::size_t start = starts[static_cast<std::size_t>(line)];
    std::size_t end = line + 1 < Lines() ? starts[static_cast<std::size_t>(line) + 1] : text.size();
    while (end > start && (text[end - 1] == '\n' || text[end - 1] == '\r')) --end;
    return std::string_view(text).substr(start, end - start);
}

std::size_t Document::Offset(const Position& p) const {
    if (p.line < 0) return 0;
    if (p.line >= Lines()) return Text().size();
    const std::string_view line = Line(p.line);
    std::size_t i = 0;
    for (int units = 0; i < line.size() && units < p.character;) {
        const int bytes = SequenceBytes(static_cast<unsigned char>(line[i]));
        if (i + static_cast<std::size_t>(bytes) > line.size()) break;
        units += bytes == 4 ? 2 : 1;
        i += static_cast<std::size_t>(bytes);
    }
    return data_->starts[static_cast<std::size_t>(p.line)] + i;
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
    const std::vector<std::size_t>& starts = data_->starts;
    offset = std::min(offset, Text().size());
    const auto it = std::upper_bound(starts.begin(), starts.end(), offset);
    const int line = static_cast<int>(it - starts.begin()) - 1;
    return At(line, offset - starts[static_cast<std::size_t>(line)]);
}

bool Document::Edit(const Range& range, std::string_view with) {
    const std::size_t from = Offset(range.start), to = Offset(range.end);
    if (to < from) return false;
    Data& data = Own();
    data.text.replace(from, to - from, with);
    // The lines before the edit stand; a CR before it may now pair with an LF.
    const int line = std::clamp(range.start.line, 0, Lines() - 1);
    const std::size_t keep = line > 0 ? static_cast<std::size_t>(line) - 1 : 0;
    data.starts.resize(keep + 1);
    Index(data, data.starts.back());
    return true;
}

} // namespace quillon::lsp
