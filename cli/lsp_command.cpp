#include "cli/lsp_command.h"

#include <cstdio>

#ifdef QUILLON_LSP
#include <filesystem>
#include <string>
#include <system_error>

#include "cli/console.h"
#include "codec/exact/name_book.h"
#include "io/file_bytes.h"
#include "lsp/server.h"
#include "quillon_version.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>

#include <cerrno>
#endif
#endif

namespace quillon::cli {

#ifdef QUILLON_LSP

namespace {

namespace fs = std::filesystem;

fs::path ProgramFolder() {
#ifdef _WIN32
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? fs::path(path).parent_path() : fs::path();
#else
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : self.parent_path();
#endif
}

// The names header that go-to-definition opens for a built-in name: the
// installed one (share/quillon/bio2.h beside the program's folder on
// Windows, above it elsewhere), else a copy written once in the temporary
// folder.
std::string BuiltinHeader() {
    std::error_code ec;
    const fs::path folder = ProgramFolder();
    if (!folder.empty())
        for (const fs::path& p :
             {folder / "share/quillon/bio2.h", folder / "../share/quillon/bio2.h"})
            if (fs::is_regular_file(p, ec)) return fs::weakly_canonical(p, ec).string();
    const fs::path copy =
        fs::temp_directory_path(ec) / ("quillon-" QUILLON_VERSION_TEXT) / "bio2.h";
    if (ec) return {};
    if (fs::is_regular_file(copy, ec)) return copy.string();
    fs::create_directories(copy.parent_path(), ec);
    const std::string text = exact::NamesHeader();
    std::FILE* f = std::fopen(copy.string().c_str(), "wb");
    if (!f) return {};
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (std::fclose(f) != 0 || !written) {
        fs::remove(copy, ec);
        return {};
    }
    return copy.string();
}

} // namespace

int RunLsp() {
    UseBinaryStreams();
    lsp::Server::Environment environment;
    environment.builtinHeader = BuiltinHeader();
    return lsp::Serve(
        [](char* into, std::size_t room) {
            // What the pipe holds, without waiting for a full buffer.
            for (;;) {
#ifdef _WIN32
                const int got = _read(0, into, static_cast<unsigned>(room));
#else
                const ssize_t got = read(0, into, room);
                if (got < 0 && errno == EINTR) continue;
#endif
                return got > 0 ? static_cast<std::size_t>(got) : std::size_t{0};
            }
        },
        [](std::string_view bytes) {
            std::fwrite(bytes.data(), 1, bytes.size(), stdout);
            std::fflush(stdout);
        },
        std::move(environment));
}

#else

int RunLsp() {
    std::fputs("quillon: this build has no language server (built without nlohmann-json)\n",
               stderr);
    return 1;
}

#endif

} // namespace quillon::cli
