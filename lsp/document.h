// An open text as the editor holds it: its bytes (UTF-8), its lines, and
// positions as the protocol counts them (lines from 0, characters in UTF-16
// code units) turned into byte offsets and back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::lsp {

struct Position {
    int line = 0;
    int character = 0;
};
struct Range {
    Position start, end;
};

class Document {
  public:
    Document() = default;
    explicit Document(std::string text) { Replace(std::move(text)); }

    const std::string& Text() const { return text_; }
    void Replace(std::string text);
    // Replaces the bytes of `range` by `with`. A position past the end of
    // its line stands at the line's end, one past the last line at the
    // text's end, as the protocol has it; false (and nothing changed) when
    // the range ends before it starts.
    bool Edit(const Range& range, std::string_view with);

    int Lines() const { return static_cast<int>(starts_.size()); }
    // The line's bytes without its line end; empty past the last line.
    std::string_view Line(int line) const;
    // The byte offset of a position, clamped into the text.
    std::size_t Offset(const Position& p) const;
    // The position of a byte offset, and of a byte column (from 0) of a line.
    Position At(std::size_t offset) const;
    Position At(int line, std::size_t column) const;

  private:
    void Index(std::size_t from);
    std::string text_;
    std::vector<std::size_t> starts_{0}; // where each line starts
};

} // namespace quillon::lsp
