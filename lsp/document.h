// An open text as the editor holds it: its bytes (UTF-8), its lines, and
// positions as the protocol counts them (lines from 0, characters in UTF-16
// code units) turned into byte offsets and back. Copies share their bytes
// until one of them changes, so that a text's model holds the text it was
// made from at no cost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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

    const std::string& Text() const { return data_->text; }
    void Replace(std::string text);
    // Replaces the bytes of `range` by `with`. A position past the end of
    // its line stands at the line's end, one past the last line at the
    // text's end, as the protocol has it; false (and nothing changed) when
    // the range ends before it starts.
    bool Edit(const Range& range, std::string_view with);

    int Lines() const { return static_cast<int>(data_->starts.size()); }
    // The line's bytes without its line end; empty past the last line.
    std::string_view Line(int line) const;
    // The byte offset of a position, clamped into the text.
    std::size_t Offset(const Position& p) const;
    // The position of a byte offset, and of a byte column (from 0) of a line.
    Position At(std::size_t offset) const;
    Position At(int line, std::size_t column) const;

  private:
    struct Data {
        std::string text;
        std::vector<std::size_t> starts{0}; // where each line starts
    };
    // The bytes to change: this copy's own.
    Data& Own();
    void Index(Data& data, std::size_t from);
    std::shared_ptr<Data> data_ = std::make_shared<Data>();
};

} // namespace quillon::lsp
