#include "cli/closest_name.h"

#include <vector>

#include "codec/base/closest.h"

namespace quillon::cli {

namespace {

bool IsWordName(const char* name) {
    const char c = name[0];
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

std::string ClosestName(const Dialect& dialect, std::string_view word) {
    std::vector<std::string_view> names;
    for (int op = 0; op < 0x90; ++op) {
        const char* name = dialect.Name(static_cast<std::uint8_t>(op));
        if (IsWordName(name) && std::string_view(name) != "UnknownOpcode") names.emplace_back(name);
    }
    for (const char* k : {"switch", "case", "default"}) names.emplace_back(k);
    if (dialect.keywordBlocks)
        for (const char* k : {"if", "while", "do"}) names.emplace_back(k);

    return ClosestOf(word, names);
}

} // namespace quillon::cli
