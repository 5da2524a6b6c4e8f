// Headers held in memory for the #include "file.h" lines of exact texts, for
// the tests and the fuzzer: each name stands for its text and is its own key;
// any other name cannot be read, for the reason `missing`.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "codec/exact/exact.h"

namespace quillon_test {

inline quillon::exact::IncludeReader
MemoryHeaders(std::map<std::string, std::string, std::less<>> headers,
              std::string missing = "no such header") {
    return [headers = std::move(headers),
            missing = std::move(missing)](std::string_view, std::string_view name,
                                          quillon::exact::IncludedFile& file, std::string& why) {
        const auto it = headers.find(name);
        if (it == headers.end()) return why = missing, false;
        file = {std::string(name), it->second};
        return true;
    };
}

} // namespace quillon_test
