#include "codec/exact/exact.h"

namespace quillon::exact {

bool IsExactText(std::string_view text) {
    return text.substr(0, kMarker.size()) == kMarker;
}

} // namespace quillon::exact
