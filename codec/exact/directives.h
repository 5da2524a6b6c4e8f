// The "#" lines of exact texts and of the headers they include: "#define" of
// names of values into a NameBook, or of macros into a MacroTable; "#undef";
// the groups of "#if", "#ifdef", "#ifndef", "#elif", "#else" and "#endif";
// "#error"; "#include", whose header is read through the caller's
// IncludeReader ("#include <bio2.h>" names the built-in names and reads no
// file) and then by `read` (its "#" lines alone, unless the caller reads it
// otherwise). Any other "#" line is an error.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "codec/exact/macros.h"
#include "codec/exact/name_book.h"

namespace quillon::exact {

class Directives {
  public:
    // `key` is the key of the text whose lines come to Line.
    Directives(NameBook& book, const CompileOptions& options, std::string key);
    // One "#" line of the text: `line` its whole text, `tokens` its tokens
    // from the "#" word on (views into `line`), read at `where` ("line 3");
    // false with `error` at `at` (an error in an included header names its
    // file, line and column). Warnings go to Warnings().
    bool Line(std::string_view line, std::span<const std::string_view> tokens,
              std::string_view where, std::string& error, std::string_view& at);
    // Every line of a header of key `key`, named `name` in messages: "#"
    // lines alone.
    bool Header(std::string_view text, const std::string& key, std::string_view name,
                std::string& error);

    // Reads an included header whole; the default is Header. The reader
    // calls Line for the header's "#" lines and EndFile at its end.
    using Reader = std::function<bool(std::string_view text, const std::string& key,
                                      std::string_view name, std::string& error)>;
    void SetReader(Reader read) { read_ = std::move(read); }

    // Whether the lines read now stand in a group that "#if" leaves out.
    bool Skipping() const { return skipping_; }
    // The depth of the groups open, to be given back to EndFile when the
    // file that begins now ends.
    std::size_t Depth() const { return groups_.size(); }
    // A file ends: a group that it opened and left open is an error.
    bool EndFile(std::size_t depth, std::string& error);

    MacroTable& Macros() { return macros_; }
    // The warnings of the last line: where and what.
    std::vector<std::pair<std::string_view, std::string>>& Warnings() { return warnings_; }

  private:
    bool Define(std::string_view rest, std::span<const std::string_view> tokens,
                std::string_view where, std::string& error, std::string_view& at);
    bool Parameters(std::string_view name, std::string_view& body, Macro& m, std::string& error,
                    std::string_view& at);
    bool Valued(std::string_view name, std::span<const std::string_view> values,
                std::string_view where, std::string& error, std::string_view& at);
    bool Undefine(std::span<const std::string_view> tokens, std::string& error,
                  std::string_view& at);
    bool Include(std::string_view word, std::string& error);
    // The groups: "#if" and the lines that continue them.
    bool Group(std::string_view word, std::string_view rest,
               std::span<const std::string_view> tokens, std::string_view where, std::string& error,
               std::string_view& at);
    // The value of the condition of an "#if" or "#elif" line.
    bool Condition(std::string_view rest, bool& value, std::string& error, std::string_view& at);
    bool Defined(std::string_view name) const;

    NameBook& book_;
    const CompileOptions& options_;
    MacroTable macros_;
    Reader read_;
    std::vector<std::string> reading_; // the keys of the files being read, outermost first
    bool placed_ = false;              // the error names its header, line and column
    struct Open {
        bool active; // its lines are read
        bool taken;  // a branch of it was read, or none may be
        bool sawElse;
        std::string where;
    };
    std::vector<Open> groups_;
    std::size_t floor_ = 0; // the groups opened before the file being read
    bool skipping_ = false;
    std::vector<std::pair<std::string_view, std::string>> warnings_;
};

} // namespace quillon::exact
