#include "exact.h"

namespace quillon::exact {

// Placeholder until the exact engine lands.
bool IsExactText(std::string_view text) {
    return text.substr(0, kMarker.size()) == kMarker;
}
bool CheckChunk(std::string_view, std::string& reason) {
    reason = "exact mode is not built yet";
    return false;
}
bool DisassembleChunk(std::string_view, std::string&, std::string& reason) {
    reason = "exact mode is not built yet";
    return false;
}
bool CompileChunk(std::string_view, std::string&, const MessageHandler&) {
    return false;
}

} // namespace quillon::exact
