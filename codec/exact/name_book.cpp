// The names a user defines, and the header of the built-in ones.
#include "codec/exact/name_book.h"

#include "codec/base/text.h"
#include "codec/exact/naming.h"

namespace quillon::exact {

bool NameBook::Define(std::string_view name, Definition definition, const Definition*& previous) {
    const std::string key(name);
    if (const auto it = byName_.find(key); it != byName_.end()) {
        previous = &it->second;
        const auto& a = it->second.values;
        const auto& b = definition.values;
        if (a.size() != b.size()) return false;
        for (std::size_t k = 0; k < a.size(); ++k)
            if (a[k].value != b[k].value) return false;
        return true;
    }
    const Definition& kept = byName_.emplace(key, std::move(definition)).first->second;
    bool named = false;
    for (const DefinedValue& v : kept.values) named = named || v.meaning != Meaning::None;
    if (named) printed_[Key(kept.values[0].meaning, kept.values[0].value)].push_back({key, &kept});
    return true;
}

bool NameBook::Undefine(std::string_view name) {
    const auto it = byName_.find(std::string(name));
    if (it == byName_.end()) return false;
    const auto& values = it->second.values;
    if (const auto p = printed_.find(Key(values[0].meaning, values[0].value));
        p != printed_.end()) {
        std::erase_if(p->second, [&](const Printed& x) { return x.definition == &it->second; });
        if (p->second.empty()) printed_.erase(p);
    }
    byName_.erase(it);
    return true;
}

std::string NamesHeader() {
    std::string out =
        "/* bio2.h: the names of the retail operands that quillon's exact texts print.\r\n"
        " * An exact text's \"#include <bio2.h>\" names them without reading this file. */\r\n";
    Meaning current = Meaning::None;
    for (const Naming::Entry& e : Naming::Builtin().All()) {
        const MeaningRow& row = MeaningOf(e.named.meaning);
        if (e.named.meaning != current) {
            current = e.named.meaning;
            out += FormatText("\r\n/* %s */\r\n", row.heading);
        }
        const bool masks = row.style == Style::Bits || row.style == Style::ItemFlags ||
                           e.named.meaning == Meaning::GosubMarker;
        out += FormatText(masks ? "#define %s 0x%02X\r\n" : "#define %s %u\r\n",
                          std::string(e.name).c_str(), e.named.value);
    }
    return out;
}
} // namespace quillon::exact
