// Compile warnings of the command-line tool: the compiler's events turned
// into "FILE:LINE:COLUMN: warning: message" lines on standard error.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/classic/context.h"
#include "codec/classic/diagnostics.h"

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

// The instruction name or keyword of the dialect closest to `word` (edit
// distance, case differences counting least), or "" when none is close.
std::string ClosestName(const Dialect& dialect, std::string_view word);

// The `argument`-th field (from 1) that compiling scans for `opcode`, or null.
const Field* ScannedField(const Dialect& dialect, std::uint8_t opcode, int argument);
// How many fields compiling scans for `opcode`, and how many its text shows.
int ScannedFieldCount(const Dialect& dialect, std::uint8_t opcode);
int PrintedFieldCount(const Dialect& dialect, std::uint8_t opcode);

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

class WarningPrinter : public CompileListener {
  public:
    // At most `maxWarnings` warnings of a source are printed (0: all), then a
    // line saying how many more there were.
    explicit WarningPrinter(bool quiet, int maxWarnings = 0)
        : quiet_(quiet), maxWarnings_(maxWarnings) {}

    // Before compiling `record`'s next source, named `file` in the warnings.
    void Begin(const std::string& file, ScriptContext& record);
    // After it: the number of warnings of that source.
    int End();

    void Report(const Diagnostic& d) override;
    // Places are needed for the warnings shown, and to tell a label line from
    // an unknown name.
    bool NeedsPlace(Issue issue) const override { return Shown() || issue == Issue::UnknownName; }
    void LineDone(std::int32_t sourceBegin, std::int32_t sourceEnd, std::int32_t outputBegin,
                  std::int32_t outputEnd) override;
    void SourceDone(std::string_view source) override;
    void SourcePassed(std::int32_t offset, std::string_view bytes) override;

  private:
    std::string_view Source() const;
    std::int32_t Base() const;
    std::int32_t TokenOffset(std::string_view token) const;
    std::int32_t MissingArgumentOffset() const;
    bool IsLabel(const Diagnostic& d) const;
    // Counts a warning; true while warnings are shown.
    bool Take();
    // Prints a warning at a source offset.
    void Emit(std::string_view source, std::int32_t offset, const std::string& message);
    // Counts a warning and prints the text `message()` makes, made only when
    // it is shown.
    template <typename Text>
    void Warn(std::string_view source, std::int32_t offset, const Text& message) {
        if (Take()) Emit(source, offset, message());
    }

    bool Shown() const { return !quiet_ && (maxWarnings_ <= 0 || count_ < maxWarnings_); }

    bool quiet_;
    int maxWarnings_;
    std::string file_;
    ScriptContext* record_ = nullptr;
    int count_ = 0;
    bool missingReported_ = false; // one "takes N arguments" per line
    int unclosed_ = 0;
    std::int32_t lastLineEnd_ = -1; // the CR that completed the last line
    LineCounter lines_;
};

} // namespace quillon::cli
