#include "cli/line_index.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillon::cli {

LineIndex::LineIndex(std::string_view text) : size_(static_cast<std::int32_t>(text.size())) {
    starts_.push_back(0);
    for (std::int32_t i = 0; i < size_; ++i) {
        const char c = text[static_cast<size_t>(i)];
        if (c == '\r') {
            if (i + 1 < size_ && text[static_cast<size_t>(i) + 1] == '\n') ++i;
            starts_.push_back(i + 1);
        } else if (c == '\n') {
            starts_.push_back(i + 1);
        }
    }
}

void LineIndex::Locate(std::int32_t offset, int& line, int& column) const {
    offset = std::clamp(offset, 0, size_);
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), offset);
    line = static_cast<int>(it - starts_.begin());
    column = static_cast<int>(offset - starts_[static_cast<size_t>(line - 1)]) + 1;
}

namespace {

// The line starts that the bytes [0, n - 1) give: after every LF, and after
// every CR that no LF follows. The last byte is left to the caller.
int CountStarts(const char* b, std::size_t n) {
    int starts = 0;
    std::size_t j = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
    for (; j + 17 <= n; j += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + j));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + j + 1));
        const __m128i ends =
            _mm_or_si128(_mm_cmpeq_epi8(a, lf),
                         _mm_andnot_si128(_mm_cmpeq_epi8(next, lf), _mm_cmpeq_epi8(a, cr)));
        starts += __builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(ends)));
    }
#endif
    for (; j + 1 < n; ++j) starts += b[j] == '\n' || (b[j] == '\r' && b[j + 1] != '\n');
    return starts;
}

} // namespace

void LineCounter::Reset() {
    *this = LineCounter();
}

void LineCounter::Pass(std::int32_t offset, std::string_view bytes, bool end) {
    if (offset + static_cast<std::int32_t>(bytes.size()) <= counted_) return;
    if (offset > counted_) counted_ = offset; // not reached: the bytes follow each other
    bytes.remove_prefix(static_cast<std::size_t>(counted_ - offset));
    offset = counted_;
    if (pendingCr_ && bytes[0] != '\n') {
        ++starts_;
        lastStart_ = offset;
    }
    pendingCr_ = false;
    const std::size_t n = bytes.size();
    const int before = starts_;
    starts_ += CountStarts(bytes.data(), n);
    const char last = bytes[n - 1];
    if (last == '\n' || (last == '\r' && end)) {
        ++starts_;
        lastStart_ = offset + static_cast<std::int32_t>(n);
    } else {
        pendingCr_ = last == '\r';
        if (starts_ > before) {
            // The last start among the bytes: after the last LF or lone CR.
            std::size_t j = n - 1;
            while (j > 0 && !(bytes[j - 1] == '\n' || (bytes[j - 1] == '\r' && bytes[j] != '\n')))
                --j;
            lastStart_ = offset + static_cast<std::int32_t>(j);
        }
    }
    counted_ = offset + static_cast<std::int32_t>(n);
}

void LineCounter::Locate(std::int32_t offset, std::string_view bytes, std::int32_t bytesOffset,
                         bool end, int& line, int& column) const {
    const std::int32_t limit = bytesOffset + static_cast<std::int32_t>(bytes.size());
    offset = std::clamp(offset, counted_, std::max(counted_, limit));
    LineCounter at = *this;
    if (offset > counted_)
        at.Pass(counted_,
                bytes.substr(static_cast<std::size_t>(counted_ - bytesOffset),
                             static_cast<std::size_t>(offset - counted_)),
                end && offset == limit);
    // A CR just before: its line ends here unless an LF follows.
    if (at.pendingCr_ &&
        (offset >= limit || bytes[static_cast<std::size_t>(offset - bytesOffset)] != '\n')) {
        ++at.starts_;
        at.lastStart_ = offset;
    }
    line = at.starts_ + 1;
    column = static_cast<int>(offset - at.lastStart_) + 1;
}

} // namespace quillon::cli
