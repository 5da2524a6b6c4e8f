// The built-in names of the retail operands, read from the rows of
// codec/isa/meanings.h: which meaning the field at an offset of an
// instruction has, the name of a value of a meaning, and the meaning and
// value of a name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "codec/isa/meanings.h"

namespace quillon::exact {

class Naming {
  public:
    static const Naming& Builtin();

    // Whether any field of `opcode` may have a meaning.
    bool Names(std::uint8_t opcode) const { return names_[opcode]; }
    // Whether a field of `opcode` may refer to a procedure.
    bool Refers(std::uint8_t opcode) const { return refers_[opcode]; }
    // The position that applies to the field at `offset` of the instruction
    // at `code`, or null.
    const Position* At(const std::uint8_t* code, int offset) const {
        if (offset >= kOffsets) return nullptr;
        const Position* p = positions_.data() + first_[code[0]][offset];
        for (const Position* end = p + count_[code[0]][offset]; p != end; ++p)
            if (p->when.at == 0 || (code[p->when.at] == p->when.value &&
                                    (p->when.at2 == 0 || code[p->when.at2] == p->when.value2)))
                return p;
        return nullptr;
    }
    // Appends the name of `value` of meaning `m` (a flag index's group is
    // `group`); false when the value has none. Procedures are named by the
    // printer.
    bool Append(Meaning m, std::uint32_t value, std::uint8_t group, std::string& out) const;

    struct Named {
        Meaning meaning;
        std::uint32_t value;
    };
    // The meaning and value of a built-in name, or null.
    const Named* Find(std::string_view name) const {
        const auto it = byName_.find(name);
        return it == byName_.end() ? nullptr : &it->second;
    }
    // Every built-in name, in the header's order.
    struct Entry {
        std::string_view name;
        Named named;
    };
    const std::vector<Entry>& All() const { return all_; }

  private:
    Naming();
    void Add(std::string_view name, Meaning m, std::uint32_t value);
    void AddBits(std::string& out, const MeaningRow& row, std::uint32_t value) const;
    bool AddItemFlags(std::string& out, const MeaningRow& row, std::uint32_t value) const;

    static constexpr int kOffsets = 48; // past the longest instruction
    std::vector<Position> positions_;   // by opcode and offset
    std::uint16_t first_[256][kOffsets] = {};
    std::uint8_t count_[256][kOffsets] = {};
    bool names_[256] = {}, refers_[256] = {};
    // The name of each byte value of the meanings named value by value.
    std::string_view name_[kMeanings][256] = {};
    const char* flag_[256][256] = {}; // flag indexes by (group, index), FG_USE aside
    std::unordered_map<std::string_view, Named> byName_;
    std::vector<Entry> all_;
};

} // namespace quillon::exact
