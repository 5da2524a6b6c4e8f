#include "codec/exact/naming.h"

#include <algorithm>
#include <cstring>
#include <deque>

#include "codec/base/text.h"

namespace quillon::exact {

const Naming& Naming::Builtin() {
    static const Naming naming;
    return naming;
}

void Naming::Add(std::string_view name, Meaning m, std::uint32_t value) {
    if (Find(name)) return;
    std::size_t k = HashOf(name) & kSlotMask;
    while (!slots_[k].name.empty()) k = (k + 1) & kSlotMask;
    slots_[k] = {name, {m, value}};
    all_.push_back({name, {m, value}});
}

Naming::Naming() {
    // Only the positions of meanings with names: the others print as numbers.
    for (const Position& p : RetailPositions())
        if (MeaningOf(p.meaning).style != Style::Plain) positions_.push_back(p);
    std::stable_sort(positions_.begin(), positions_.end(),
                     [](const Position& a, const Position& b) {
                         return a.opcode != b.opcode ? a.opcode < b.opcode : a.offset < b.offset;
                     });
    for (std::size_t k = 0; k < positions_.size(); ++k) {
        const Position& p = positions_[k];
        if (count_[p.opcode][p.offset]++ == 0)
            first_[p.opcode][p.offset] = static_cast<std::uint16_t>(k);
        names_[p.opcode] = true;
        if (p.meaning == Meaning::Procedure) refers_[p.opcode] = true;
    }
    // The names made from prefixes live as long as the names (a deque keeps
    // them in place).
    static std::deque<std::string> made;
    for (int mi = 1; mi < kMeanings; ++mi) {
        const auto m = static_cast<Meaning>(mi);
        const MeaningRow& row = MeaningOf(m);
        switch (row.style) {
        case Style::Table:
        case Style::KeyLock:
            for (const ValueName& v : row.names) {
                name_[mi][v.value] = v.name;
                Add(v.name, m, v.value);
            }
            if (row.prefix)
                for (int v = 0; v < 256; ++v)
                    if (name_[mi][v].empty()) {
                        made.push_back(row.prefix + FormatText("%02X", v));
                        name_[mi][v] = made.back();
                        Add(made.back(), m, static_cast<std::uint32_t>(v));
                    }
            break;
        case Style::Numbered:
            for (int v = 0; v < 256; ++v) {
                made.push_back(row.prefix + std::to_string(v));
                name_[mi][v] = made.back();
                Add(made.back(), m, static_cast<std::uint32_t>(v));
            }
            break;
        case Style::Bits:
        case Style::ItemFlags:
            Add(row.zero, m, 0);
            for (const ValueName& v : row.names) Add(v.name, m, v.value);
            break;
        case Style::FlagIndex:
            for (const FlagName& f : RetailFlagNames()) {
                flag_[f.group][f.index] = f.name;
                Add(f.name, m, f.index);
            }
            break;
        case Style::Procedure:
        case Style::Plain: break;
        }
    }
}

char* Naming::PutBits(char* p, const MeaningRow& row, std::uint32_t value) const {
    bool first = true;
    for (std::uint32_t bit = 1; bit <= value && bit < 0x100; bit <<= 1) {
        if (!(value & bit)) continue;
        if (!first) p = Put(p, " | ");
        first = false;
        const auto named = std::find_if(row.names.begin(), row.names.end(),
                                        [&](const ValueName& v) { return v.value == bit; });
        if (named != row.names.end()) {
            p = Put(p, named->name);
        } else {
            *p++ = '0';
            *p++ = 'x';
            p = WriteHex(p, bit, 2);
        }
    }
    return p;
}

// The glint, then IF_FAST, then IF_FLOOR; none where an unused bit is set or
// the glint is not one of the three.
char* Naming::PutItemFlags(char* p, const MeaningRow& row, std::uint32_t value) const {
    const std::uint32_t glint = value & 0xE0;
    if ((value & 0x0E) || (glint != 0 && glint < 0xA0)) return nullptr;
    bool first = true;
    auto part = [&](std::uint32_t mask) {
        for (const ValueName& v : row.names)
            if (v.value == mask) {
                if (!first) p = Put(p, " | ");
                first = false;
                p = Put(p, v.name);
            }
    };
    if (glint) part(glint);
    for (std::uint32_t bit : {0x10u, 0x01u})
        if (value & bit) part(bit);
    return p;
}

char* Naming::Write(Meaning m, std::uint32_t value, std::uint8_t group, char* p) const {
    const int mi = static_cast<int>(m);
    const MeaningRow& row = MeaningOf(m);
    if (value > 0xFF) return nullptr;
    switch (row.style) {
    case Style::Table:
    case Style::Numbered: return name_[mi][value].empty() ? nullptr : Put(p, name_[mi][value]);
    case Style::KeyLock:
        return Put(p, name_[mi][value].empty() ? name_[static_cast<int>(Meaning::Item)][value]
                                               : name_[mi][value]);
    case Style::Bits: return value == 0 ? Put(p, row.zero) : PutBits(p, row, value);
    case Style::ItemFlags: return value == 0 ? Put(p, row.zero) : PutItemFlags(p, row, value);
    case Style::FlagIndex:
        if (group == kItemFlagGroup) return Put(p, name_[static_cast<int>(Meaning::Item)][value]);
        return flag_[group][value] ? Put(p, flag_[group][value]) : nullptr;
    case Style::Procedure:
    case Style::Plain: return nullptr;
    }
    return nullptr;
}

} // namespace quillon::exact
