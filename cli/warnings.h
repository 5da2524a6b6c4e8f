// Compile warnings of the command-line tool: the compiler's events turned
// into "FILE:LINE:COLUMN: warning: message" lines on standard error.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cli/line_index.h"
#include "codec/classic/context.h"
#include "codec/classic/diagnostics.h"

namespace quillon::cli {

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
    std::int32_t OpenParenthesisOffset(std::int32_t begin, std::int32_t end) const;
    bool IsLabel(const Diagnostic& d) const;
    void ReportUnknownName(const Diagnostic& d);
    void ReportSurplusArgument(const Diagnostic& d);
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
