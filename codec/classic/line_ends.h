// Whether a source's lines end at all for the compilers: only CR ends a
// line, so a text whose lines end in LF alone, or that has no line end,
// compiles to nothing.
#pragma once

#include <cstdint>
#include <string_view>

namespace quillon {

enum class LineEnds : std::uint8_t {
    Usable,        // some CR ends a line, or the text holds only blanks and LFs
    LineFeedAlone, // lines end in LF alone: no CR anywhere
    None,          // text without any line end
};

// Told the source piece by piece, in order; cheap once a CR has been seen.
class LineEndCheck {
  public:
    void See(std::string_view piece);
    LineEnds Result() const;

  private:
    bool carriageReturn_ = false;
    bool lineFeed_ = false;
    bool text_ = false; // a byte other than a blank, a tab or an LF
};

// The check of a whole source.
LineEnds LineEndsOf(std::string_view source);

// Which case `ends` is, in words ("lines end in LF alone"); "" for Usable.
const char* LineEndsReason(LineEnds ends);

} // namespace quillon
