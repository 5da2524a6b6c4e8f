#include "cli/graphviz.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

#include "codec/base/text.h"
#include "io/safe_write.h"

namespace quillon::cli {

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr char kPathSeparator = ';';
const char* const kDotNames[] = {"dot.exe"};
#define QUILLON_POPEN _popen
#define QUILLON_PCLOSE _pclose
#else
constexpr char kPathSeparator = ':';
const char* const kDotNames[] = {"dot"};
#define QUILLON_POPEN popen
#define QUILLON_PCLOSE pclose
#endif

// The dot program of the PATH, or "".
std::string FindDot() {
    const char* path = std::getenv("PATH");
    if (!path) return "";
    const std::string folders = path;
    for (std::size_t at = 0; at <= folders.size();) {
        std::size_t end = folders.find(kPathSeparator, at);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = folders.substr(at, end - at);
        at = end + 1;
        if (folder.empty()) continue;
        for (const char* name : kDotNames) {
            std::error_code ec;
            const fs::path candidate = fs::path(folder) / name;
            if (fs::is_regular_file(candidate, ec)) return candidate.string();
        }
    }
    return "";
}

} // namespace

bool DrawSvg(const std::string& dot, const std::string& path, std::string& reason) {
    const std::string program = FindDot();
    if (program.empty()) {
        reason = "--svg draws with Graphviz's 'dot', which is not installed: install Graphviz "
                 "(Debian and Ubuntu: 'sudo apt install graphviz'), or write the graph with "
                 "--format dot and draw it where Graphviz is";
        return false;
    }
    std::error_code ec;
    const fs::path graph =
        fs::temp_directory_path(ec) / FormatText("quillon-atlas-%08x.dot", std::random_device()());
    if (ec || !WriteFileSafely(graph.string(), dot, false, reason)) {
        if (ec) reason = "cannot write the graph for dot: " + ec.message();
        return false;
    }
    const std::string command = "\"" + program + "\" -Tsvg \"" + graph.string() + "\"";
    std::string svg;
    bool ran = false;
    if (std::FILE* pipe = QUILLON_POPEN(command.c_str(), "r")) {
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            svg.append(buffer, n);
        ran = QUILLON_PCLOSE(pipe) == 0;
    }
    fs::remove(graph, ec);
    if (!ran || svg.empty()) {
        reason = "Graphviz's dot (" + program + ") failed to draw the graph";
        return false;
    }
    return WriteFileSafely(path, svg, false, reason);
}

} // namespace quillon::cli
