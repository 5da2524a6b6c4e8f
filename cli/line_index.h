// Lines and columns of byte offsets in a source text, as warnings and
// verify name them: of a text held whole, or counted as the text goes by.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace quillon::cli {

// Physical line and column (both from 1) of byte offsets in a text. CR LF, a
// lone CR and a lone LF each end one line; the column counts bytes.
class LineIndex {
  public:
    explicit LineIndex(std::string_view text);
    void Locate(std::int32_t offset, int& line, int& column) const;

  private:
    std::int32_t size_;
    std::vector<std::int32_t> starts_;
};

// Physical lines counted as the text goes by, for a compile that holds only a
// window of it: the same line and column as LineIndex.
class LineCounter {
  public:
    void Reset();
    // Takes in the bytes [offset, offset + bytes.size()), which follow those
    // taken in before (or reach back over them); `end` tells that the text
    // ends after them.
    void Pass(std::int32_t offset, std::string_view bytes, bool end);
    // Line and column of `offset`, which lies in `bytes` (at `bytesOffset`) or
    // just after them, not before what was passed.
    void Locate(std::int32_t offset, std::string_view bytes, std::int32_t bytesOffset, bool end,
                int& line, int& column) const;
    std::int32_t Counted() const { return counted_; }

  private:
    std::int32_t counted_ = 0; // the bytes before it are taken in
    int starts_ = 0;           // line starts in (0, counted_]
    std::int32_t lastStart_ = 0;
    bool pendingCr_ = false; // a CR at counted_ - 1 whose line end is not known yet
};

} // namespace quillon::cli
