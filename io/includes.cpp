#include "io/includes.h"

#include <filesystem>
#include <system_error>

#include "codec/base/text.h"
#include "io/file_bytes.h"

namespace quillon {

namespace fs = std::filesystem;

std::string IncludeKey(const std::string& path) {
    if (path.empty()) return path;
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? fs::path(path).lexically_normal().string() : canonical.string();
}

exact::IncludeReader FileIncludes() {
    return [](std::string_view from, std::string_view name, exact::IncludedFile& file,
              std::string& why) {
        const fs::path folder = from.empty() ? fs::path() : fs::path(from).parent_path();
        // Named in messages from the current folder, as the user names files.
        std::error_code ec;
        const fs::path here = fs::current_path(ec);
        const fs::path full = folder / fs::path(name);
        const std::string path =
            (ec || full.is_relative() ? full : full.lexically_proximate(here)).string();
        if (fs::is_directory(path, ec)) {
            why = FormatText("'%s' is a folder", path.c_str());
            return false;
        }
        if (!ReadWholeFile(path, file.text, why)) return false;
        file.key = IncludeKey(path);
        return true;
    };
}

exact::CompileOptions FileCompileOptions(const std::string& path) {
    return exact::CompileOptions{FileIncludes(), IncludeKey(path)};
}

} // namespace quillon
