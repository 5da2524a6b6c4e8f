// Splitting lines into tokens: runs of blanks and tabs separate them.
#include "codec/classic/tokens.h"

#include "codec/classic/source.h"

// The SSE2 path of the splitter, unless the portable code that other
// processors run is asked for (a test builds it on x86 too).
#if defined(__SSE2__) && !defined(QUILLON_PORTABLE_READER)
#define QUILLON_READER_SSE2 1
#include <emmintrin.h>
#endif

namespace quillon {

void SplitTokens(std::string_view line, std::vector<std::string_view>& tokens) {
    tokens.clear();
    size_t i = 0;
    const size_t n = line.size();
    while (i < n) {
        while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i == n) break;
        size_t start = i;
        while (i < n && line[i] != ' ' && line[i] != '\t') ++i;
        tokens.push_back(line.substr(start, i - start));
    }
}

namespace detail {

void SplitKept(const char* buffer, std::size_t length, std::string_view line,
               std::vector<std::string_view>& tokens) {
    tokens.clear();
    std::size_t i = 0;
#if defined(QUILLON_READER_SSE2)
    const __m128i blank = _mm_set1_epi8(' '), tab = _mm_set1_epi8('\t');
    bool inToken = false;
    std::size_t start = 0;
    for (; i < length; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer + i));
        const unsigned blanks = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, blank), _mm_cmpeq_epi8(v, tab))));
        const unsigned valid = length - i >= 16 ? 0xFFFFu : (1u << (length - i)) - 1;
        const unsigned word = ~blanks & valid;
        const unsigned before = (word << 1) | (inToken ? 1u : 0u);
        unsigned starts = word & ~before & 0xFFFFu;
        unsigned ends = ~word & before & 0xFFFFu;
        while (starts | ends) {
            if (!inToken) {
                start = i + static_cast<std::size_t>(__builtin_ctz(starts));
                starts &= starts - 1;
                inToken = true;
            } else {
                const std::size_t end = i + static_cast<std::size_t>(__builtin_ctz(ends));
                ends &= ends - 1;
                tokens.push_back(line.substr(start, end - start));
                inToken = false;
            }
        }
        inToken = (word >> 15) & 1u;
    }
    if (inToken) tokens.push_back(line.substr(start, length - start));
#else
    while (i < length) {
        while (i < length && (buffer[i] == ' ' || buffer[i] == '\t')) ++i;
        if (i == length) break;
        const std::size_t start = i;
        while (i < length && buffer[i] != ' ' && buffer[i] != '\t') ++i;
        tokens.push_back(line.substr(start, i - start));
    }
#endif
}

} // namespace detail

} // namespace quillon
