#include "io/paths.h"

#include <filesystem>
#include <system_error>

#include "codec/base/text.h"

namespace quillon {

std::string PathFolder(std::string_view path) {
    std::string p(path);
    for (char& c : p)
        if (c == '/') c = '\\';
    size_t slash = p.rfind('\\');
    if (slash == std::string::npos) return ".";
    p.resize(slash);
    return p;
}

std::string PathTitle(std::string_view path) {
    size_t slash = path.rfind('\\');
    size_t start = slash == std::string_view::npos ? 0 : slash + 1;
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < start) return std::string();
    return std::string(path.substr(start, dot - start));
}

std::string PathExtension(std::string_view path) {
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return std::string(path);
    return std::string(path.substr(dot + 1));
}

std::string ScriptTitle(std::string_view path) {
    const size_t slash = path.rfind('\\');
    const size_t start = slash == std::string_view::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < start) return std::string(path.substr(start));
    return PathTitle(path);
}

std::string OutputPath(std::string_view path, const char* extension) {
    return FormatText("%s\\%s.%s", PathFolder(path).c_str(), ScriptTitle(path).c_str(), extension);
}

std::string ToScriptPath(std::string_view hostPath) {
    std::string p(hostPath);
#ifndef _WIN32
    for (char& c : p)
        if (c == '/') c = '\\';
#endif
    return p;
}

std::string ToHostPath(std::string_view scriptPath) {
    std::string p(scriptPath);
#ifndef _WIN32
    for (char& c : p)
        if (c == '\\') c = '/';
#endif
    return p;
}

bool SameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

} // namespace quillon
