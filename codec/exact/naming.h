// The built-in names of the retail operands, read from the rows of
// codec/isa/meanings.h: which meaning the field at an offset of an
// instruction has, the name of a value of a meaning, and the meaning and
// value of a name.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "codec/isa/meanings.h"

namespace quillon::exact {

// Copies `text` to `p` and returns its end: lines with names are made in
// buffers.
inline char* Put(char* p, std::string_view text) {
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

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
            if (Applies(*p, code)) return p;
        return nullptr;
    }
    // Writes the name of `value` of meaning `m` at `p` (a flag index's group
    // is `group`) and returns its end; null when the value has none.
    // Procedures are named by the printer. A name takes at most kLongestName
    // bytes.
    char* Write(Meaning m, std::uint32_t value, std::uint8_t group, char* p) const;
    static constexpr std::size_t kLongestName = 160;

    struct Named {
        Meaning meaning;
        std::uint32_t value;
    };
    // The meaning and value of a built-in name, or null.
    const Named* Find(std::string_view name) const {
        for (std::size_t k = HashOf(name) & kSlotMask; !slots_[k].name.empty();
             k = (k + 1) & kSlotMask)
            if (slots_[k].name == name) return &slots_[k].named;
        return nullptr;
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
    char* PutBits(char* p, const MeaningRow& row, std::uint32_t value) const;
    char* PutItemFlags(char* p, const MeaningRow& row, std::uint32_t value) const;

    static constexpr int kOffsets = 48; // past the longest instruction
    std::vector<Position> positions_;   // by opcode and offset
    std::uint16_t first_[256][kOffsets] = {};
    std::uint8_t count_[256][kOffsets] = {};
    bool names_[256] = {}, refers_[256] = {};
    // The name of each byte value of the meanings named value by value.
    std::string_view name_[kMeanings][256] = {};
    const char* flag_[256][256] = {}; // flag indexes by (group, index), FG_USE aside
    // The names by their hash, in open addressing: a text's every name is
    // looked up. The hash mixes the length and the first and last eight
    // bytes, read whole.
    static std::uint32_t HashOf(std::string_view name) {
        const std::size_t n = name.size();
        std::uint64_t head = 0, tail = 0;
        std::memcpy(&head, name.data(), n < 8 ? n : 8);
        if (n > 8) std::memcpy(&tail, name.data() + n - 8, 8);
        std::uint64_t h = (head ^ (tail * 0x9E3779B97F4A7C15ull) ^ n) * 0xFF51AFD7ED558CCDull;
        return static_cast<std::uint32_t>(h >> 40); // the bits that every byte reaches
    }
    static constexpr std::size_t kSlotMask = 8191; // over three times the names
    std::vector<Entry> slots_ = std::vector<Entry>(kSlotMask + 1);
    std::vector<Entry> all_;
};

} // namespace quillon::exact
