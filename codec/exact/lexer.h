// The tokenizer of exact texts: one physical line at a time, its tokens as
// views into the text; sixteen bytes at a time where the processor can, a
// byte at a time through comments and at the end of the text. Inline: it
// stands in the compiler's line loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillon::exact {

class Lexer {
  public:
    // The tokens of the physical line of `text` that starts at `at`, into
    // `tokens`: blanks and the punctuation of the lines separate them, "//"
    // comments out the rest of the line and "/*" up to its "*/" (or the end
    // of the line, where Open tells it). Lines end at LF, CR LF or a lone
    // CR. Returns where the next line starts.
    std::size_t Line(std::string_view text, std::size_t at, std::vector<std::string_view>& tokens);
    // The last line read, without its line end.
    std::string_view Text() const { return text_; }
    // Whether that line ended before the end of the text it was read from.
    bool Ended() const { return ended_; }
    // Whether a "/*" comment of that line runs on past its end.
    bool Open() const { return open_; }
    // Whether that line ends in a "//" comment.
    bool Commented() const { return commented_; }

  private:
    // Reads on from `i` sixteen bytes at a time, up to the next line end or
    // "/" (or to the last sixteen bytes of the text).
    [[gnu::always_inline]] void Wide(const char* s, std::size_t n, std::size_t at, std::size_t& i,
                                     std::size_t& start, bool& inToken,
                                     std::vector<std::string_view>& tokens);

    std::vector<std::uint32_t> bounds_ = std::vector<std::uint32_t>(64); // token edges in a line
    std::string_view text_;
    bool ended_ = false;
    bool open_ = false;
    bool commented_ = false;
};

// A logical line that a "/* */" comment over line ends or a backslash at a
// line's end (not in a "//" comment) makes of several physical lines: its
// bytes at their offsets in the text, with the comments and joints made
// blanks, so that a token's offset tells its physical line and column.
struct JoinedText {
    std::string text;
    std::vector<std::uint32_t> breaks; // where each further physical line starts
    std::size_t unclosed = kClosed;    // where a comment that the text never closes starts
    static constexpr std::size_t kClosed = ~std::size_t{0};
    static constexpr std::size_t kMore = ~std::size_t{0};
};
// Joins the logical line of `text` that starts at `at`; returns where the
// next line starts, or kMore where `text` ends first and is not the `last`
// of the text.
std::size_t JoinLines(std::string_view text, std::size_t at, bool last, JoinedText& out);

namespace lexing {
// What each character is to the tokenizer.
enum CharClass : std::uint8_t { kWord, kBlank, kSlash, kEnd };
struct CharClasses {
    CharClass of[256] = {};
    constexpr CharClasses() {
        for (unsigned char c : {' ', '\t', '(', ')', ',', ';', ':'}) of[c] = kBlank;
        of[static_cast<unsigned char>('/')] = kSlash;
        of[static_cast<unsigned char>('\r')] = kEnd;
        of[static_cast<unsigned char>('\n')] = kEnd;
    }
};
inline constexpr CharClasses kClasses;
// The number of bits set in each byte (the processor's own count is not
// assumed).
struct BitCounts {
    std::uint8_t of[256] = {};
    constexpr BitCounts() {
        for (int b = 1; b < 256; ++b) of[b] = static_cast<std::uint8_t>(of[b >> 1] + (b & 1));
    }
};
inline constexpr BitCounts kBits;

inline CharClass ClassOf(char c) {
    return kClasses.of[static_cast<unsigned char>(c)];
}

// Where a comment that starts at `i` ("//" or "/*") ends: at the line end,
// or just after its "*/"; `open` tells a "/*" that the line end stops.
inline std::size_t CommentEnd(const char* s, std::size_t n, std::size_t i, bool& open) {
    std::size_t j = i + 2;
    if (s[i + 1] == '/') {
        while (j < n && ClassOf(s[j]) != kEnd) ++j;
    } else {
        while (j < n && ClassOf(s[j]) != kEnd && !(s[j] == '*' && j + 1 < n && s[j + 1] == '/'))
            ++j;
        if (j < n && s[j] == '*')
            j += 2;
        else
            open = true;
    }
    return j;
}
} // namespace lexing

#if defined(__SSE2__)
// Every token boundary (a word after a blank, a blank after a word) is noted
// in order; they pair up into tokens.
inline void Lexer::Wide(const char* s, std::size_t n, std::size_t at, std::size_t& i,
                        std::size_t& start, bool& inToken, std::vector<std::string_view>& tokens) {
    const __m128i blank = _mm_set1_epi8(' '), tab = _mm_set1_epi8('\t'), open = _mm_set1_epi8('('),
                  shut = _mm_set1_epi8(')'), comma = _mm_set1_epi8(','),
                  semicolon = _mm_set1_epi8(';'), colon = _mm_set1_epi8(':'),
                  cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), slash = _mm_set1_epi8('/');
    std::size_t marks = 0;
    if (inToken) bounds_[marks++] = static_cast<std::uint32_t>(start - at);
    while (i + 16 <= n) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i blanks = _mm_or_si128(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, blank), _mm_cmpeq_epi8(v, tab)),
                         _mm_or_si128(_mm_cmpeq_epi8(v, open), _mm_cmpeq_epi8(v, shut))),
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, comma), _mm_cmpeq_epi8(v, semicolon)),
                         _mm_cmpeq_epi8(v, colon)));
        const unsigned stop = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)), _mm_cmpeq_epi8(v, slash))));
        const unsigned plain = stop ? static_cast<unsigned>(__builtin_ctz(stop)) : 16u;
        if (plain == 0) break;
        const unsigned below = plain == 16 ? 0xFFFFu : (1u << plain) - 1;
        const unsigned word = ~static_cast<unsigned>(_mm_movemask_epi8(blanks)) & below;
        unsigned edges = (word ^ ((word << 1) | (inToken ? 1u : 0u))) & below;
        if (bounds_.size() < marks + 16) bounds_.resize(2 * bounds_.size() + 32);
        // The first six edges are written whatever their number (a block
        // seldom holds more), so that the loop's end is seldom guessed
        // wrong; the marks past the count are overwritten later.
        const std::uint32_t offset = static_cast<std::uint32_t>(i - at);
        const std::size_t count = lexing::kBits.of[edges & 0xFF] + lexing::kBits.of[edges >> 8];
        std::uint32_t* const mark = bounds_.data() + marks;
        for (int k = 0; k < 6; ++k) {
            mark[k] = offset + static_cast<std::uint32_t>(__builtin_ctz(edges | 0x10000u));
            edges &= edges - 1;
        }
        for (std::size_t k = 6; k < count; ++k) {
            mark[k] = offset + static_cast<std::uint32_t>(__builtin_ctz(edges));
            edges &= edges - 1;
        }
        marks += count;
        inToken = (word >> (plain - 1)) & 1u;
        i += plain;
        if (plain < 16) break;
    }
    const char* const line = s + at;
    const std::size_t had = tokens.size();
    tokens.resize(had + marks / 2);
    for (std::size_t k = 0; k + 1 < marks; k += 2)
        tokens[had + k / 2] = std::string_view(line + bounds_[k], bounds_[k + 1] - bounds_[k]);
    if (inToken) start = at + bounds_[marks - 1];
}
#endif

inline std::size_t Lexer::Line(std::string_view text, std::size_t at,
                               std::vector<std::string_view>& tokens) {
    tokens.clear();
    open_ = commented_ = false;
    const char* const s = text.data();
    const std::size_t n = text.size();
    std::size_t i = at, start = 0;
    bool inToken = false;
    auto close = [&](std::size_t end) {
        if (inToken) tokens.emplace_back(s + start, end - start);
        inToken = false;
    };
    for (;;) {
#if defined(__SSE2__)
        Wide(s, n, at, i, start, inToken, tokens);
#endif
        if (i >= n) {
            close(n);
            text_ = text.substr(at, n - at);
            ended_ = false;
            return n;
        }
        switch (lexing::ClassOf(s[i])) {
        case lexing::kWord:
            if (!inToken) start = i;
            inToken = true;
            ++i;
            break;
        case lexing::kBlank:
            close(i);
            ++i;
            break;
        case lexing::kEnd:
            close(i);
            text_ = text.substr(at, i - at);
            ended_ = true;
            return s[i] == '\r' && i + 1 < n && s[i + 1] == '\n' ? i + 2 : i + 1;
        case lexing::kSlash:
            if (i + 1 >= n || (s[i + 1] != '/' && s[i + 1] != '*')) {
                // Part of a word.
                if (!inToken) start = i;
                inToken = true;
                ++i;
                break;
            }
            close(i);
            commented_ = s[i + 1] == '/';
            i = lexing::CommentEnd(s, n, i, open_);
            break;
        }
    }
}

} // namespace quillon::exact
