// The compilers' reader: a logical line and its tokens in one pass.
#include <algorithm>
#include <cstring>

#include "codec/classic/source.h"
#include "codec/classic/tokens.h"

// The SSE2 paths of the compilers' reader, unless the portable code that
// other processors run is asked for (a test builds it on x86 too).
#if defined(__SSE2__) && !defined(QUILLON_PORTABLE_READER)
#define QUILLON_READER_SSE2 1
#include <emmintrin.h>
#endif

namespace quillon {

namespace {

// What the compilers' reader does with a byte: most are kept as they are or
// as a blank; the rest stop the quick copy and are handled one by one.
enum CompilerClass : std::uint8_t {
    kKeep,   // kept as it is
    kBlank,  // kept as a blank: "," and ":"
    kOpenB,  // "(": kept as a blank, the parenthesis flag set
    kCloseB, // ")": kept as a blank, the flag cleared
    kDrop,   // tab, ";" and LF: never kept
    kNul,    // kept, and the line's text ends before it
    kCr,     // ends the physical line
    kSlashB, // may start a comment
};

struct CompilerClasses {
    CompilerClass of[256] = {};
    constexpr CompilerClasses() {
        of[static_cast<unsigned char>(',')] = kBlank;
        of[static_cast<unsigned char>(':')] = kBlank;
        of[static_cast<unsigned char>('(')] = kOpenB;
        of[static_cast<unsigned char>(')')] = kCloseB;
        of[static_cast<unsigned char>('\t')] = kDrop;
        of[static_cast<unsigned char>(';')] = kDrop;
        of[static_cast<unsigned char>('\n')] = kDrop;
        of[0] = kNul;
        of[static_cast<unsigned char>('\r')] = kCr;
        of[static_cast<unsigned char>('/')] = kSlashB;
    }
};
constexpr CompilerClasses kCompilerClasses;

// Room after the kept characters for whole blocks written past them, and
// for reads past a token's end.
constexpr std::size_t kSlack = 64;
static_assert(kSlack >= 16 + kReadableFromToken, "a block is kept and read past its end");
// Token boundaries are at most one more than the kept characters; the
// quick reader writes up to eight past the last.
constexpr std::size_t kSpareBounds = 16;

#if defined(QUILLON_READER_SSE2)
// The SSE2 path: the common line in one step, runs of kept bytes and runs of
// dropped ones sixteen at a time. Inlined into the reader, whose loop is the
// compilers' hot path.

// The common line in one step: the CR, LF, tabs and ";" that end the line
// before it, its characters, none of which stops a run (below), maybe ";" or
// tabs, and the CR that completes it, within the 64 bytes at `pos`. False,
// with nothing changed, for any other line.
[[gnu::always_inline]] inline bool ReadCommonLine(const char* s, std::size_t pos,
                                                  std::string_view& line,
                                                  std::vector<std::string_view>& tokens,
                                                  std::int32_t& position, std::int32_t& firstKept) {
    const __m128i comma = _mm_set1_epi8(','), colon = _mm_set1_epi8(':'),
                  parens = _mm_set1_epi8('('), pairBit = _mm_set1_epi8(static_cast<char>(0xFE)),
                  tab = _mm_set1_epi8('\t'), semicolon = _mm_set1_epi8(';'),
                  lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), slash = _mm_set1_epi8('/'),
                  zero = _mm_setzero_si128(), blank = _mm_set1_epi8(' ');
    // Room before the characters for the bytes of the block before them,
    // and after them for reads past their end.
    thread_local char whole[64 + 64 + kSlack];
    std::uint64_t lead = 0, stops = 0, drops = 0, crs = 0, spaces = 0, pairs = 0, opens = 0;
    __m128i blanked[4];
    for (int k = 0; k < 4; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + pos + 16 * k));
        const __m128i isCr = _mm_cmpeq_epi8(v, cr);
        const __m128i drop =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, tab), _mm_cmpeq_epi8(v, lf)),
                         _mm_cmpeq_epi8(v, semicolon));
        const __m128i stop =
            _mm_or_si128(_mm_cmpeq_epi8(_mm_subs_epu8(v, cr), zero),
                         _mm_or_si128(_mm_cmpeq_epi8(v, semicolon), _mm_cmpeq_epi8(v, slash)));
        const __m128i pair = _mm_cmpeq_epi8(_mm_and_si128(v, pairBit), parens);
        const __m128i blanks =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, comma), _mm_cmpeq_epi8(v, colon)), pair);
        blanked[k] = _mm_or_si128(_mm_andnot_si128(blanks, v), _mm_and_si128(blanks, blank));
        const auto bits = [&](__m128i m) {
            return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(m)))
                   << (16 * k);
        };
        lead |= bits(_mm_or_si128(drop, isCr));
        drops |= bits(drop);
        crs |= bits(isCr);
        stops |= bits(stop);
        spaces |= bits(_mm_or_si128(blanks, _mm_cmpeq_epi8(v, blank)));
        pairs |= bits(pair);
        opens |= bits(_mm_cmpeq_epi8(v, parens));
    }
    if (~lead != 0) {
        const unsigned from = static_cast<unsigned>(__builtin_ctzll(~lead));
        const std::uint64_t after = stops & (~std::uint64_t{0} << from);
        const unsigned end = after ? static_cast<unsigned>(__builtin_ctzll(after)) : from;
        const std::uint64_t rest = ~drops & (~std::uint64_t{0} << end);
        const unsigned close = rest ? static_cast<unsigned>(__builtin_ctzll(rest)) : 0;
        // The characters [from, end) and their last parenthesis.
        const std::uint64_t inside = (~std::uint64_t{0} << from) & ((std::uint64_t{1} << end) - 1);
        const std::uint64_t lastPairs = pairs & inside;
        const bool open = lastPairs && ((opens >> (63 - __builtin_clzll(lastPairs))) & 1u) != 0;
        if (end > from && rest && ((crs >> close) & 1u) && !open) {
            // The characters land at whole[64] on.
            for (int k = 0; k < 4; ++k)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(whole + 64 - from + 16 * k),
                                 blanked[k]);
            // Token boundaries, starts and ends by turns: the last token
            // ends at `end` at the latest.
            const std::uint64_t word = ~spaces & inside;
            std::uint64_t edges = (word ^ (word << 1)) & (inside | (std::uint64_t{1} << end));
            const char* const text = whole + 64 - from;
            tokens.clear();
            while (edges) {
                const unsigned start = static_cast<unsigned>(__builtin_ctzll(edges));
                edges &= edges - 1;
                const unsigned stop = static_cast<unsigned>(__builtin_ctzll(edges));
                edges &= edges - 1;
                tokens.emplace_back(text + start, stop - start);
            }
            line = std::string_view(whole + 64, end - from);
            position = static_cast<std::int32_t>(pos + close);
            firstKept = static_cast<std::int32_t>(pos + from);
            return true;
        }
    }
    return false;
}

// Keeps bytes sixteen at a time while they are kept (some as blanks), with
// their token boundaries and the parenthesis flag. The bytes up to CR stop
// the run with ";" and "/"; the control bytes among them that are kept go the
// single way.
[[gnu::always_inline]] inline void KeepPlainRuns(const char* s, std::size_t n, std::size_t& pos,
                                                 char* out, std::size_t room, std::size_t& kept,
                                                 std::uint32_t* bound, std::size_t& marks,
                                                 bool& paren, std::size_t& first) {
    const __m128i comma = _mm_set1_epi8(','), colon = _mm_set1_epi8(':'),
                  parens = _mm_set1_epi8('('), pairBit = _mm_set1_epi8(static_cast<char>(0xFE)),
                  semicolon = _mm_set1_epi8(';'), cr = _mm_set1_epi8('\r'),
                  slash = _mm_set1_epi8('/'), zero = _mm_setzero_si128(),
                  blank = _mm_set1_epi8(' ');
    while (pos + 16 <= n && room - kept >= kSlack) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + pos));
        const __m128i stops =
            _mm_or_si128(_mm_cmpeq_epi8(_mm_subs_epu8(v, cr), zero),
                         _mm_or_si128(_mm_cmpeq_epi8(v, semicolon), _mm_cmpeq_epi8(v, slash)));
        const unsigned stop = static_cast<unsigned>(_mm_movemask_epi8(stops));
        // The bytes before the first stop.
        const unsigned plain = static_cast<unsigned>(__builtin_ctz(stop | 0x10000u));
        if (plain == 0) break;
        const unsigned below = (1u << plain) - 1;
        // "(" and ")" differ in the lowest bit only.
        const __m128i pairs = _mm_cmpeq_epi8(_mm_and_si128(v, pairBit), parens);
        const __m128i blanks =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, comma), _mm_cmpeq_epi8(v, colon)), pairs);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + kept),
                         _mm_or_si128(_mm_andnot_si128(blanks, v), _mm_and_si128(blanks, blank)));
        // Token boundaries are where a word character follows a blank or
        // the other way round.
        const unsigned spaces = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(blanks, _mm_cmpeq_epi8(v, blank))));
        const unsigned word = ~spaces & below;
        unsigned edges = (word ^ ((word << 1) | static_cast<unsigned>(marks & 1))) & below;
        // Eight boundaries are written without a test each (the slots
        // past the last one are written again later), the rest one by one.
        const std::uint32_t base = static_cast<std::uint32_t>(kept);
        std::uint32_t* const at = bound + marks;
        auto edge = [&](int k) {
            at[k] = base + static_cast<std::uint32_t>(__builtin_ctz(edges | 0x10000u));
            marks += edges != 0;
            edges &= edges - 1;
        };
        edge(0), edge(1), edge(2), edge(3), edge(4), edge(5), edge(6), edge(7);
        for (; edges; edges &= edges - 1)
            bound[marks++] = base + static_cast<std::uint32_t>(__builtin_ctz(edges));
        // The last "(" or ")" sets the flag; without one it stays.
        const unsigned pairBits = static_cast<unsigned>(_mm_movemask_epi8(pairs)) & below;
        const unsigned openBits =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, parens)));
        const unsigned last = static_cast<unsigned>(31 - __builtin_clz(pairBits | 1u));
        paren = pairBits ? ((openBits >> last) & 1u) != 0 : paren;
        first = kept == 0 ? pos : first;
        kept += plain;
        pos += plain;
        if (plain < 16) break;
    }
}

// Passes over whole blocks of tabs, ";" and LF, and of CR when `crToo`.
[[gnu::always_inline]] inline void SkipDroppedBlocks(const char* s, std::size_t n, std::size_t& pos,
                                                     bool crToo) {
    const __m128i tab = _mm_set1_epi8('\t'), semicolon = _mm_set1_epi8(';'),
                  lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
    const __m128i skipCr = crToo ? cr : tab;
    while (pos + 16 <= n) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + pos));
        const unsigned skip = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, tab), _mm_cmpeq_epi8(v, semicolon)),
                         _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, skipCr)))));
        if (skip != 0xFFFFu) {
            pos += static_cast<std::size_t>(__builtin_ctz(~skip));
            break;
        }
        pos += 16;
    }
}
#endif

// Passes over a run of bytes that are not kept (the line end and the next
// line's tabs, or ";" and the line end) in one go; true on a CR that
// completes the line, which `completing` allows.
[[gnu::always_inline]] inline bool PastDropped(const char* s, std::size_t n, std::size_t& pos,
                                               bool completing) {
#if defined(QUILLON_READER_SSE2)
    // Deeply nested lines start with long runs of tabs.
    SkipDroppedBlocks(s, n, pos, !completing);
#endif
    for (; pos < n; ++pos) {
        const char b = s[pos];
        if (b == '\t' || b == ';' || b == '\n') continue;
        if (b != '\r') break;
        if (completing) return true;
    }
    return false;
}

// Where the comment that "//" or "/*" at `pos` starts ends: at the next CR,
// or past the next "*/" or at the end of the physical line.
std::size_t PastComment(const char* s, std::size_t n, std::size_t pos, char next) {
    if (next == '/') {
        const void* end = std::memchr(s + pos + 2, '\r', n - std::min(n, pos + 2));
        return end ? static_cast<std::size_t>(static_cast<const char*>(end) - s) : n;
    }
    std::size_t at = pos + 2;
    while (at < n && s[at] != '\r' && !(s[at] == '*' && at + 1 < n && s[at + 1] == '/')) ++at;
    // At the window's end the comment may still close in the bytes after it:
    // the read ends there and is asked again.
    return at < n && s[at] == '*' ? at + 2 : at;
}

// The text of `kept` characters at `out` ends at its first NUL: its tokens
// are found again.
LineRead CompleteAtNul(const char* out, std::size_t kept, std::string_view& line,
                       std::vector<std::string_view>& tokens) {
    kept = static_cast<std::size_t>(static_cast<const char*>(std::memchr(out, 0, kept)) - out);
    line = std::string_view(out, kept);
    detail::SplitKept(out, kept, line, tokens);
    return LineRead::Complete;
}

} // namespace

LineRead ReadCompilerLineInPlace(std::string_view window, bool last, std::int32_t& position,
                                 std::string_view& line, std::vector<std::string_view>& tokens,
                                 std::int32_t& firstKept) {
    // The kept characters are gathered in a buffer of this thread's with room
    // for whole blocks past them, and the tokens' boundaries, starts and ends
    // by turns, as offsets into it: the tokens are made of them once the line
    // is complete.
    thread_local std::string buffer;
    thread_local std::vector<std::uint32_t> bounds;
    if (buffer.size() < 4 * kSlack) buffer.resize(4 * kSlack);
    if (bounds.size() < buffer.size() + kSpareBounds) bounds.resize(buffer.size() + kSpareBounds);
    char* out = buffer.data();
    std::uint32_t* bound = bounds.data();
    std::size_t room = buffer.size();
    const char* const s = window.data();
    const std::size_t n = window.size();
    std::size_t pos = position < 0 ? 0 : static_cast<std::size_t>(position);
    std::size_t kept = 0, first = 0;
    // Boundaries so far: odd inside a token.
    std::size_t marks = 0;
    bool paren = false, nul = false;
    // One kept character: a blank ends the open token, another starts one.
    auto keepOne = [&](char k) {
        if ((k == ' ') == ((marks & 1) != 0)) bound[marks++] = static_cast<std::uint32_t>(kept);
        out[kept++] = k;
    };
    // The tokens of `kept` characters at `text`, whose boundaries are in
    // `bound`, end the read.
    auto complete = [&](const char* text) {
        if (marks & 1) bound[marks++] = static_cast<std::uint32_t>(kept);
        line = std::string_view(text, kept);
        tokens.clear();
        for (std::size_t t = 0; t < marks; t += 2)
            tokens.emplace_back(text + bound[t], bound[t + 1] - bound[t]);
        return LineRead::Complete;
    };
#if defined(QUILLON_READER_SSE2)
    if (pos + 64 <= n && ReadCommonLine(s, pos, line, tokens, position, firstKept))
        return LineRead::Complete;
#endif
    for (;;) {
        if (room - kept < kSlack) {
            buffer.resize(2 * room);
            out = buffer.data();
            room = buffer.size();
            bounds.resize(room + kSpareBounds);
            bound = bounds.data();
        }
#if defined(QUILLON_READER_SSE2)
        KeepPlainRuns(s, n, pos, out, room, kept, bound, marks, paren, first);
#endif
        if (pos >= n) break;
        const unsigned char c = static_cast<unsigned char>(s[pos]);
        switch (kCompilerClasses.of[c]) {
        case kKeep:
            if (kept == 0) first = pos;
            keepOne(static_cast<char>(c));
            ++pos;
            break;
        case kBlank:
        case kOpenB:
        case kCloseB:
            if (kept == 0) first = pos;
            keepOne(' ');
            if (c == '(') paren = true;
            if (c == ')') paren = false;
            ++pos;
            break;
        case kDrop:
        case kCr: {
            if (!PastDropped(s, n, pos, kept != 0 && !paren)) break;
            position = static_cast<std::int32_t>(pos);
            firstKept = static_cast<std::int32_t>(first);
            return nul ? CompleteAtNul(out, kept, line, tokens) : complete(out);
        }
        case kNul:
            if (kept == 0) first = pos;
            keepOne('\0');
            nul = true;
            ++pos;
            break;
        case kSlashB: {
            if (pos + 1 == n && !last) return LineRead::NeedMore;
            const char next = pos + 1 < n ? s[pos + 1] : '\0';
            if (next == '/' || next == '*') {
                pos = PastComment(s, n, pos, next);
            } else {
                if (kept == 0) first = pos;
                keepOne('/');
                ++pos;
            }
            break;
        }
        }
    }
    if (!last) return LineRead::NeedMore;
    position = static_cast<std::int32_t>(n);
    line = std::string_view();
    tokens.clear();
    return LineRead::Unfinished;
}

LineRead ReadCompilerLine(std::string_view window, bool last, std::int32_t& position,
                          std::string& line, std::vector<std::string_view>& tokens,
                          std::int32_t& firstKept) {
    std::string_view text;
    const LineRead how = ReadCompilerLineInPlace(window, last, position, text, tokens, firstKept);
    if (how == LineRead::NeedMore) return how;
    line.assign(text);
    for (std::string_view& t : tokens)
        t = std::string_view(line.data() + (t.data() - text.data()), t.size());
    return how;
}

} // namespace quillon
