// The macros of exact texts: "#define NAME(a, b) body" and "#define NAME
// body" where the body is no list of values, expanded where they are used as
// C expands them (arguments expanded first, the result read again with the
// rest of the line, "#" and "##" in bodies). A macro met again inside its
// own expansion is a cycle, an error; so is an expansion that runs away.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillon::exact {

// One token of a line as the macros see it: a name, a number, a string or
// character constant, or one character of punctuation ("##" is one).
struct MacroToken {
    std::string_view text;
    bool space = false;       // blanks stand before it
    bool glued = false;       // it stood against the token before it where it was written
    std::uint32_t hidden = 0; // the macros whose expansion made it (a list in the table)
    std::size_t at = 0;       // the offset in the line of the use it came from
};

// Cuts `line` into tokens; comments are blanks. `at` of each is its offset.
void MacroTokens(std::string_view line, std::vector<MacroToken>& out);

struct Macro {
    bool function = false;
    std::vector<std::string> parameters;
    std::string body;  // as written, blanks at its ends cut
    std::string where; // "line 3" or "flags.h:3", for messages
    std::uint32_t id = 0;
    std::vector<MacroToken> tokens; // of the body
};

// Why an expansion failed: the reason, at an offset of the line, inside the
// expansion of `macro` (empty: at the line itself).
struct MacroError {
    std::string reason;
    std::size_t at = 0;
    std::string macro, where;
};

class MacroTable {
  public:
    bool Empty() const { return byName_.empty(); }
    const Macro* Find(std::string_view name) const {
        if (byName_.empty()) return nullptr;
        const auto it = byName_.find(std::string(name));
        return it == byName_.end() ? nullptr : &it->second;
    }
    // Defines `name`; false when it is defined already otherwise (C allows
    // only the same definition again), with that one in `previous`.
    bool Define(std::string_view name, Macro macro, const Macro*& previous);
    bool Undefine(std::string_view name) { return byName_.erase(std::string(name)) > 0; }
    // Whether a macro is used in `line`.
    bool Uses(std::string_view line);
    // `line` with its macros expanded, its tokens written with the blanks
    // that stood between them (and one where two would run together).
    // `keepDefined`: the name after "defined" stays as it is (for "#if").
    bool Expand(std::string_view line, std::string& out, MacroError& error,
                bool keepDefined = false);
    // The first macro that the last expansion used, and where it is defined.
    const std::string& FirstUsed() const { return first_; }
    const std::string& FirstWhere() const { return firstWhere_; }
    std::size_t FirstAt() const { return firstAt_; }
    // The macros used in the line itself (not those their expansions use),
    // when the last expansion was asked to note them: offset and length.
    const std::vector<std::pair<std::size_t, std::size_t>>& Uses() const { return uses_; }
    void NoteUses(bool note) { noteUses_ = note; }

  private:
    bool Run(std::deque<MacroToken>& in, std::vector<MacroToken>& out, int depth, bool keepDefined,
             MacroError& error);
    bool Arguments(const Macro& m, const MacroToken& use, std::deque<MacroToken>& in,
                   std::vector<std::vector<MacroToken>>& arguments, MacroError& error);
    bool Substitute(const Macro& m, const MacroToken& use,
                    const std::vector<std::vector<MacroToken>>& arguments, int depth,
                    std::vector<MacroToken>& out, MacroError& error);
    bool ExpandArgument(const std::vector<MacroToken>& argument, int depth,
                        std::vector<MacroToken>& out, MacroError& error, const MacroToken& at);
    bool Join(MacroToken& left, std::string_view right, MacroError& error, const MacroToken& at);
    bool Hidden(std::uint32_t set, std::uint32_t id) const;
    std::uint32_t Hide(std::uint32_t set, std::uint32_t id);
    std::string_view Keep(std::string text);

    // `error` for the token `t`, inside the expansion that made it.
    void Fail(MacroError& error, std::string reason, const MacroToken& t) const;

    std::unordered_map<std::string, Macro> byName_;
    std::vector<std::pair<std::string, std::string>> names_{{}}; // by id: name, where
    std::string first_, firstWhere_;
    std::size_t firstAt_ = 0;
    bool noteUses_ = false;
    std::vector<std::pair<std::size_t, std::size_t>> uses_;
    // Hidden sets as lists: node k holds a macro's id and the node before.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> hidden_;
    std::deque<std::string> made_; // texts made by "#" and "##"
    std::size_t produced_ = 0;     // tokens made by the expansion of one line
    std::vector<MacroToken> scratch_;
};

} // namespace quillon::exact
