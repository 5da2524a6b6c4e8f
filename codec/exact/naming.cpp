#include "codec/exact/naming.h"

#include <algorithm>
#include <deque>

#include "codec/base/text.h"

namespace quillon::exact {

const Naming& Naming::Builtin() {
    static const Naming naming;
    return naming;
}

void Naming::Add(std::string_view name, Meaning m, std::uint32_t value) {
    if (byName_.try_emplace(name, Named{m, value}).second) all_.push_back({name, {m, value}});
}

Naming::Naming() {
    const auto rows = RetailPositions();
    positions_.assign(rows.begin(), rows.end());
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
        case Style::Procedure: break;
        }
    }
}

void Naming::AddBits(std::string& out, const MeaningRow& row, std::uint32_t value) const {
    bool first = true;
    for (std::uint32_t bit = 1; bit <= value && bit < 0x100; bit <<= 1) {
        if (!(value & bit)) continue;
        if (!first) out += " | ";
        first = false;
        const auto named = std::find_if(row.names.begin(), row.names.end(),
                                        [&](const ValueName& v) { return v.value == bit; });
        if (named != row.names.end())
            out += named->name;
        else
            out += FormatText("0x%02X", bit);
    }
}

// The glint, then IF_FAST, then IF_FLOOR; none where an unused bit is set or
// the glint is not one of the three.
bool Naming::AddItemFlags(std::string& out, const MeaningRow& row, std::uint32_t value) const {
    const std::uint32_t glint = value & 0xE0;
    if ((value & 0x0E) || (glint != 0 && glint < 0xA0)) return false;
    const char* parts[3] = {};
    int n = 0;
    for (const ValueName& v : row.names)
        if (v.value == glint) parts[n++] = v.name;
    for (std::uint32_t bit : {0x10u, 0x01u})
        if (value & bit)
            for (const ValueName& v : row.names)
                if (v.value == bit) parts[n++] = v.name;
    for (int k = 0; k < n; ++k) {
        if (k) out += " | ";
        out += parts[k];
    }
    return true;
}

bool Naming::Append(Meaning m, std::uint32_t value, std::uint8_t group, std::string& out) const {
    const int mi = static_cast<int>(m);
    const MeaningRow& row = MeaningOf(m);
    if (value > 0xFF) return false;
    switch (row.style) {
    case Style::Table:
    case Style::Numbered:
        if (name_[mi][value].empty()) return false;
        out += name_[mi][value];
        return true;
    case Style::KeyLock:
        out += name_[mi][value].empty() ? name_[static_cast<int>(Meaning::Item)][value]
                                        : name_[mi][value];
        return true;
    case Style::Bits:
        if (value == 0)
            out += row.zero;
        else
            AddBits(out, row, value);
        return true;
    case Style::ItemFlags:
        if (value == 0) {
            out += row.zero;
            return true;
        }
        return AddItemFlags(out, row, value);
    case Style::FlagIndex:
        if (group == kItemFlagGroup) {
            out += name_[static_cast<int>(Meaning::Item)][value];
            return true;
        }
        if (!flag_[group][value]) return false;
        out += flag_[group][value];
        return true;
    case Style::Procedure: return false;
    }
    return false;
}

} // namespace quillon::exact
