// Reading source text: logical lines and their tokens.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

struct LineOptions {
    std::int32_t noSlashComment = 0;   // 0: "//" and "/*" start comments
    std::int32_t semicolonComment = 0; // 1: ";" starts a comment to the end of the line
    std::int32_t keepTabs = 0;         // 1: a tab is kept as a blank
    std::int32_t colonBlank = 0;       // 1: ":" becomes a blank in the separator pass
    std::int32_t rawLine = 0;          // 1: no separator pass
};

// Bytes that can be read from the start of a token of ReadCompilerLineInPlace.
constexpr std::size_t kReadableFromToken = 16;

// The options both compilers read their sources with.
constexpr LineOptions kCompilerLineOptions{0, 0, 0, 1, 0};

// Reads the next logical line of `file` from `position` into `line` (which is
// replaced). Physical lines end at CR (CR LF and a lone CR; a lone LF does
// not end a line); blank lines are skipped and an open parenthesis joins the
// next physical line. "//" comments out the rest of the physical line, "/*"
// comments up to the next "*/" or the end of the physical line; a lone "/" is
// an ordinary character. The characters of a last line without a final CR are
// dropped: the result is then empty and the position is the file size.
// When `offsets` is given, it receives the source offset of each character
// of `line`. A line has no length limit.
void ReadSourceLine(const LineOptions& options, std::string_view file, std::int32_t& position,
                    std::string& line, std::vector<std::int32_t>* offsets = nullptr);

// How a read of a logical line from a window of the source ended.
enum class LineRead : std::uint8_t {
    Complete,   // the line is read; the position rests on its completing CR
    Unfinished, // the source ended first: the line is empty, the position is the end
    NeedMore,   // the window ended before the source: nothing was changed, and the
                // same read succeeds once the window holds more of the source
};

// ReadSourceLine on a window that holds the source from some point on, `last`
// telling whether it reaches the source's end. `position` is an index into
// the window. With `last` set this is ReadSourceLine itself.
LineRead ReadLineInWindow(const LineOptions& options, std::string_view window, bool last,
                          std::int32_t& position, std::string& line,
                          std::vector<std::int32_t>* offsets = nullptr);

// The compilers' reader: a line read with kCompilerLineOptions, then split by
// SplitTokens into `tokens` (views into `line`), in one pass. `firstKept`
// receives the window index of the line's first kept character.
LineRead ReadCompilerLine(std::string_view window, bool last, std::int32_t& position,
                          std::string& line, std::vector<std::string_view>& tokens,
                          std::int32_t& firstKept);

// ReadCompilerLine without the copy: `line` views the kept characters in a
// buffer of this thread's and the tokens are views into it, valid until the
// next read on this thread. At least kReadableFromToken bytes can be read
// from the start of every token (those past the line's end are of no use).
LineRead ReadCompilerLineInPlace(std::string_view window, bool last, std::int32_t& position,
                                 std::string_view& line, std::vector<std::string_view>& tokens,
                                 std::int32_t& firstKept);

// Convenience form returning the line.
std::string ReadSourceLine(const LineOptions& options, std::string_view file,
                           std::int32_t& position);

// Splits a line into tokens: runs of blanks and tabs separate tokens and
// leading blanks are skipped, so an empty or blank line has no token at all.
// Quotes and backslashes are ordinary characters (the disassembler never
// writes them, and no instruction name or number contains them).
void SplitTokens(std::string_view line, std::vector<std::string_view>& tokens);

} // namespace quillon
