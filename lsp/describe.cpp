#include "lsp/describe.h"

#include "codec/base/text.h"
#include "codec/exact/naming.h"

namespace quillon::lsp {

std::string ValueText(std::int64_t value) {
    if (value < 0) return std::to_string(value);
    return FormatText("%lld (0x%llX)", static_cast<long long>(value),
                      static_cast<unsigned long long>(value));
}

std::string NameOf(const Workspace& workspace, Meaning m, std::int64_t value, std::uint8_t group) {
    if (m == Meaning::None || value < 0 || value > 0xFFFF) return {};
    if (const auto* printed = workspace.names.PrintedFor(m, value))
        if (!printed->empty()) return printed->front().name;
    char buffer[exact::Naming::kLongestName + 1];
    const char* const end =
        exact::Naming::Builtin().Write(m, static_cast<std::uint32_t>(value), group, buffer);
    return end ? std::string(static_cast<const char*>(buffer), end) : std::string();
}

std::string NounOf(Meaning m) {
    return m == Meaning::None ? std::string("a number") : std::string(MeaningOf(m).noun);
}

} // namespace quillon::lsp
