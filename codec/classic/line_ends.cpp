#include "codec/classic/line_ends.h"

namespace quillon {

void LineEndCheck::See(std::string_view piece) {
    if (carriageReturn_) return;
    if (piece.find('\r') != std::string_view::npos) {
        carriageReturn_ = true;
        return;
    }
    if (!lineFeed_) lineFeed_ = piece.find('\n') != std::string_view::npos;
    if (!text_) text_ = piece.find_first_not_of(" \t\n") != std::string_view::npos;
}

LineEnds LineEndCheck::Result() const {
    if (carriageReturn_ || !text_) return LineEnds::Usable;
    return lineFeed_ ? LineEnds::LineFeedAlone : LineEnds::None;
}

LineEnds LineEndsOf(std::string_view source) {
    LineEndCheck check;
    check.See(source);
    return check.Result();
}

const char* LineEndsReason(LineEnds ends) {
    switch (ends) {
    case LineEnds::LineFeedAlone: return "lines end in LF alone";
    case LineEnds::None: return "the text has no line end";
    case LineEnds::Usable: break;
    }
    return "";
}

} // namespace quillon
