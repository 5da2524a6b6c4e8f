#include "lsp/uri.h"

#include <cctype>

#include "codec/base/text.h"

namespace quillon::lsp {

std::string PathOfUri(std::string_view uri) {
    constexpr std::string_view kScheme = "file://";
    if (uri.substr(0, kScheme.size()) != kScheme) return {};
    uri.remove_prefix(kScheme.size());
    // An authority ("file://host/path") other than the local one is not a path here.
    const std::size_t slash = uri.find('/');
    if (slash == std::string_view::npos) return {};
    if (slash != 0 && uri.substr(0, slash) != "localhost") return {};
    uri.remove_prefix(slash);
    std::string path;
    for (std::size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size() && HexDigitValue(uri[i + 1]) >= 0 &&
            HexDigitValue(uri[i + 2]) >= 0) {
            path += static_cast<char>(HexDigitValue(uri[i + 1]) * 16 + HexDigitValue(uri[i + 2]));
            i += 2;
        } else {
            path += uri[i];
        }
    }
#ifdef _WIN32
    if (path.size() >= 3 && path[0] == '/' && std::isalpha(static_cast<unsigned char>(path[1])) &&
        path[2] == ':')
        path.erase(0, 1);
    for (char& c : path)
        if (c == '/') c = '\\';
#endif
    return path;
}

std::string UriOfPath(std::string_view path) {
    std::string uri = "file://";
    if (path.empty() || (path[0] != '/' && path[0] != '\\')) uri += '/';
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '\\')
            uri += '/';
        else if (std::isalnum(c) || std::string_view("-._~/").find(ch) != std::string_view::npos)
            uri += ch;
        else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    return uri;
}

} // namespace quillon::lsp
