// Names that a user defines for operands ("#define MET_CLAIRE FG_SCENARIO,
// 18"), read from an exact text or a header, and how headers are found. The
// built-in names are always known: "#include <bio2.h>" names them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "codec/isa/meanings.h"

namespace quillon::exact {

// The header of the built-in names, as texts include it.
inline constexpr std::string_view kNamesHeader = "bio2.h";

// The built-in names as a C header: "#define NAME VALUE" lines, grouped by
// meaning under comments.
std::string NamesHeader();

// One value of a definition: the number, and the meaning of the name it was
// defined with (None for a bare number).
struct DefinedValue {
    std::int64_t value;
    Meaning meaning;
};

// The names a user defines, each standing for one value or a run of them.
class NameBook {
  public:
    struct Definition {
        std::vector<DefinedValue> values;
        std::string where; // "flags.h:3" or "line 3", for messages
    };
    const Definition* Find(std::string_view name) const {
        const auto it = byName_.find(std::string(name));
        return it == byName_.end() ? nullptr : &it->second;
    }
    // Defines `name`; false when it is defined already with other values
    // (`previous` is then that definition).
    bool Define(std::string_view name, Definition definition, const Definition*& previous);
    // Forgets `name` ("#undef"); false where it was not defined.
    bool Undefine(std::string_view name);
    // The names that print: those defined with at least one name, by the
    // meaning and value of their first value.
    struct Printed {
        std::string name;
        const Definition* definition;
    };
    const std::vector<Printed>* PrintedFor(Meaning m, std::int64_t value) const {
        const auto it = printed_.find(Key(m, value));
        return it == printed_.end() ? nullptr : &it->second;
    }
    bool Empty() const { return byName_.empty(); }
    const std::unordered_map<std::string, Definition>& All() const { return byName_; }

  private:
    static std::uint64_t Key(Meaning m, std::int64_t value) {
        return static_cast<std::uint64_t>(m) << 32 ^ static_cast<std::uint32_t>(value);
    }
    std::unordered_map<std::string, Definition> byName_;
    std::unordered_map<std::uint64_t, std::vector<Printed>> printed_;
};

// An included header: `key` names the file (the same key for the same file,
// so that a cycle shows), `text` is what it holds.
struct IncludedFile {
    std::string key;
    std::string text;
};
// Reads the header `name` of an `#include "name"` line in the file of key
// `from` (the text's own key for its own lines); false with `why`.
using IncludeReader = std::function<bool(std::string_view from, std::string_view name,
                                         IncludedFile& file, std::string& why)>;

class Listener; // codec/exact/listener.h

struct CompileOptions {
    IncludeReader include;        // none: an #include "file.h" is an error
    std::string key;              // the text's own key (its path), for cycles and nested includes
    Listener* listener = nullptr; // told what the front end reads (none: nobody listens)
};

// Reads a header of names (#define and #include lines, comments and blank
// lines) into `book`; false with `reason` ("flags.h:3:9: unknown name ...").
// `name` names the header in messages.
bool ReadNames(std::string_view text, std::string_view name, const CompileOptions& options,
               NameBook& book, std::string& reason);

} // namespace quillon::exact
