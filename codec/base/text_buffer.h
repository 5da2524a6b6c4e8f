// The text that the disassembler makes, written straight into a string that
// serves as its room: the first Size() bytes are text, the rest is room.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace quillon {

class TextBuffer {
  public:
    // Writes on after the first `used` bytes of `text`, with `room` bytes
    // ready after them. A string kept from an earlier run keeps its size:
    // what lies past the text is written over.
    TextBuffer(std::string& text, std::size_t used, std::size_t room) : text_(text), used_(used) {
        Room(room);
    }
    // Room for `n` bytes after the text.
    char* Room(std::size_t n) {
        if (text_.size() < used_ + n) text_.resize(used_ + n);
        return text_.data() + used_;
    }
    // The text now ends at `end`, within the room.
    void Wrote(const char* end) { used_ = static_cast<std::size_t>(end - text_.data()); }
    TextBuffer& operator+=(std::string_view piece) {
        std::memcpy(Room(piece.size()), piece.data(), piece.size());
        used_ += piece.size();
        return *this;
    }
    TextBuffer& operator+=(char c) {
        *Room(1) = c;
        ++used_;
        return *this;
    }
    void Tabs(int n) {
        if (n <= 0) return;
        std::memset(Room(static_cast<std::size_t>(n)), '\t', static_cast<std::size_t>(n));
        used_ += static_cast<std::size_t>(n);
    }
    std::size_t Size() const { return used_; }
    std::string_view Text() const { return {text_.data(), used_}; }
    void Clear() { used_ = 0; }
    // Leaves the string holding the text alone.
    void Finish() { text_.resize(used_); }

  private:
    std::string& text_;
    std::size_t used_;
};

} // namespace quillon
