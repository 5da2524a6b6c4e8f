// The "#define" and "#include" lines of exact texts and of the headers they
// include: names defined into a NameBook, headers read through the caller's
// IncludeReader ("#include <bio2.h>" names the built-in names and reads no
// file). Any other "#" line is an error.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codec/exact/name_book.h"

namespace quillon::exact {

class Directives {
  public:
    // `key` is the key of the text whose lines come to Line.
    Directives(NameBook& book, const CompileOptions& options, std::string key);
    // One "#" line of the text, its tokens from the "#" word on, read at
    // `where` ("line 3"); false with `error` at the token `at` (an error in
    // an included header names its file, line and column).
    bool Line(std::span<const std::string_view> tokens, std::string_view where, std::string& error,
              std::string_view& at);
    // Every line of a header of key `key`, named `name` in messages.
    bool Header(std::string_view text, const std::string& key, std::string_view name,
                std::string& error);

  private:
    bool Define(std::span<const std::string_view> tokens, std::string_view where,
                std::string& error, std::string_view& at);
    bool Include(std::string_view word, std::string& error);

    NameBook& book_;
    const CompileOptions& options_;
    std::vector<std::string> reading_; // the keys of the files being read, outermost first
    bool placed_ = false;              // the error names its header, line and column
};

} // namespace quillon::exact
