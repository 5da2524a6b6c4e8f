// Compile warnings of the command-line tool: the compiler's events turned
// into "FILE:LINE:COLUMN: warning: message" lines on standard error.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "codec/context.h"
#include "codec/diagnostics.h"

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

class WarningPrinter : public CompileListener {
  public:
    explicit WarningPrinter(bool quiet) : quiet_(quiet) {}

    // Before compiling `record`'s next source, named `file` in the warnings.
    void Begin(const std::string& file, ScriptContext& record);
    // After it: the number of warnings of that source.
    int End();

    void Report(const Diagnostic& d) override;
    void LineDone(std::int32_t sourceBegin, std::int32_t sourceEnd, std::int32_t outputBegin,
                  std::int32_t outputEnd) override;
    void SourceDone(std::string_view source) override;

  private:
    std::string_view Source() const;
    std::int32_t TokenOffset(std::string_view token) const;
    std::int32_t MissingArgumentOffset() const;
    bool IsLabel(const Diagnostic& d) const;
    void Emit(std::string_view source, std::int32_t offset, const std::string& message);

    bool quiet_;
    std::string file_;
    ScriptContext* record_ = nullptr;
    int count_ = 0;
    bool missingReported_ = false; // one "takes N arguments" per line
    int unclosed_ = 0;
    std::int32_t lastLineEnd_ = -1; // the CR that completed the last line
    // Built when the first warning of a source needs a line number.
    std::unique_ptr<LineIndex> index_;
};

} // namespace quillon::cli
