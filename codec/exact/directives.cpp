#include "codec/exact/directives.h"

#include <algorithm>

#include "codec/base/closest.h"
#include "codec/base/text.h"
#include "codec/exact/arguments.h"
#include "codec/exact/lexer.h"
#include "codec/exact/naming.h"

namespace quillon::exact {

Directives::Directives(NameBook& book, const CompileOptions& options, std::string key)
    : book_(book), options_(options) {
    reading_.push_back(std::move(key));
}

bool Directives::Line(std::span<const std::string_view> tokens, std::string_view where,
                      std::string& error, std::string_view& at) {
    placed_ = false;
    at = tokens[0];
    if (tokens[0] == "#define") return Define(tokens, where, error, at);
    if (tokens[0] == "#include") {
        if (tokens.size() != 2) {
            error = "'#include' takes one header, as <bio2.h> or \"file.h\"";
            return false;
        }
        at = tokens[1];
        return Include(tokens[1], error);
    }
    error = FormatText("'%s': only #define and #include lines are understood",
                       MessageWord(tokens[0]).c_str());
    return false;
}

bool Directives::Define(std::span<const std::string_view> tokens, std::string_view where,
                        std::string& error, std::string_view& at) {
    if (tokens.size() < 3) {
        error = "'#define' takes a name and its values";
        return false;
    }
    const std::string_view name = tokens[1];
    at = name;
    if (!IsIdentifier(name)) {
        error = FormatText("'%s' is not a name", MessageWord(name).c_str());
        return false;
    }
    std::vector<Argument> values;
    if (!ReadArguments(tokens.subspan(2), book_, values, error, at)) return false;
    NameBook::Definition d;
    d.where = std::string(where);
    for (const Argument& a : values) {
        std::int64_t v = a.value;
        if (a.unresolved) {
            at = a.token;
            const std::string near = ClosestValueName(a.token, book_);
            error = FormatText("unknown name '%s'%s", MessageWord(a.token).c_str(),
                               DidYouMean(near).c_str());
            return false;
        }
        if (a.number && !ParseNumber(a.token, v)) {
            at = a.token;
            error = FormatText("'%s' is not a number or a name", MessageWord(a.token).c_str());
            return false;
        }
        d.values.push_back({v, a.meaning});
    }
    const Naming::Named* builtin = Naming::Builtin().Find(name);
    if (builtin && (d.values.size() != 1 || d.values[0].value != builtin->value)) {
        error = FormatText("'%s' is a built-in name of another value", MessageWord(name).c_str());
        return false;
    }
    const NameBook::Definition* previous = nullptr;
    if (!book_.Define(name, std::move(d), previous)) {
        at = name;
        error = FormatText("'%s' is already defined with another value (%s)",
                           MessageWord(name).c_str(), previous->where.c_str());
        return false;
    }
    return true;
}

bool Directives::Include(std::string_view word, std::string& error) {
    if (word.size() >= 2 && word.front() == '<' && word.back() == '>') {
        if (word.substr(1, word.size() - 2) == kNamesHeader) return true;
        error = FormatText("unknown header %s: the built-in names are <%s>",
                           MessageWord(word).c_str(), std::string(kNamesHeader).c_str());
        return false;
    }
    if (word.size() < 3 || word.front() != '"' || word.back() != '"') {
        error = "'#include' takes one header, as <bio2.h> or \"file.h\"";
        return false;
    }
    const std::string_view name = word.substr(1, word.size() - 2);
    IncludedFile file;
    std::string why = "headers are not read here";
    if (!options_.include || !options_.include(reading_.back(), name, file, why)) {
        error = FormatText("cannot include \"%s\": %s", MessageWord(name).c_str(), why.c_str());
        return false;
    }
    if (std::find(reading_.begin(), reading_.end(), file.key) != reading_.end()) {
        error = FormatText("\"%s\" includes itself, through the headers it includes",
                           MessageWord(name).c_str());
        return false;
    }
    return Header(file.text, file.key, name, error);
}

bool Directives::Header(std::string_view text, const std::string& key, std::string_view name,
                        std::string& error) {
    reading_.push_back(key);
    Lexer lexer;
    std::vector<std::string_view> tokens;
    int line = 0;
    bool ok = true;
    for (std::size_t at = 0; ok && at < text.size();) {
        at = lexer.Line(text, at, tokens);
        ++line;
        if (tokens.empty()) continue;
        std::string_view where = tokens[0];
        const std::string place = FormatText("%s:%d", MessageWord(name).c_str(), line);
        if (tokens[0][0] != '#') {
            error = "only #define and #include lines may stand in a header";
            ok = false;
        } else {
            ok = Line(tokens, place, error, where);
        }
        if (!ok && !placed_) {
            // The first error is this header's; the headers it includes
            // place their own.
            const auto column = where.data() - lexer.Text().data() + 1;
            error = FormatText("%s:%d: %s", place.c_str(), static_cast<int>(column), error.c_str());
            placed_ = true;
        }
    }
    reading_.pop_back();
    return ok;
}

bool ReadNames(std::string_view text, std::string_view name, const CompileOptions& options,
               NameBook& book, std::string& reason) {
    Directives directives(book, options, options.key);
    return directives.Header(text, options.key.empty() ? std::string(name) : options.key, name,
                             reason);
}

} // namespace quillon::exact
