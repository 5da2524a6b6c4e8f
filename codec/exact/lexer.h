// The tokenizer of exact texts: one physical line at a time, its tokens as
// views into the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quillon::exact {

class Lexer {
  public:
    // The tokens of the physical line of `text` that starts at `at`, into
    // `tokens`: blanks and the punctuation of the lines separate them, "//"
    // comments out the rest of the line and "/*" up to its "*/" (or the end
    // of the line). Lines end at LF, CR LF or a lone CR. Returns where the
    // next line starts.
    std::size_t Line(std::string_view text, std::size_t at, std::vector<std::string_view>& tokens);
    // The last line read, without its line end.
    std::string_view Text() const { return text_; }
    // Whether that line ended before the end of the text it was read from.
    bool Ended() const { return ended_; }

  private:
    // Reads on from `i` sixteen bytes at a time, up to the next line end or
    // "/" (or to the last sixteen bytes of the text).
    void Wide(const char* s, std::size_t n, std::size_t at, std::size_t& i, std::size_t& start,
              bool& inToken, std::vector<std::string_view>& tokens);

    std::vector<std::uint32_t> bounds_ = std::vector<std::uint32_t>(64); // token edges in a line
    std::string_view text_;
    bool ended_ = false;
};

} // namespace quillon::exact
