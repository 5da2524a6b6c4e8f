#include "cli/names.h"

#include <cstdio>
#include <filesystem>

#include "cli/console.h"
#include "cli/streamed_output.h"
#include "io/file_bytes.h"
#include "io/includes.h"

namespace quillon::cli {

int RunNames(const Options& options) {
    const bool toStdout = !options.hasOutput || options.output == "-";
    if (toStdout) UseBinaryStreams();
    // A file is replaced whole or not at all.
    StreamedOutput out;
    std::string reason;
    if (out.Open(options.output, toStdout, reason)) {
        out.Write(exact::NamesHeader());
        if (out.Finish(reason)) return 0;
    }
    std::fprintf(stderr, "quillon: %s\n", reason.c_str());
    return 1;
}

bool LoadNames(Options& options, exact::NameBook& book) {
    if (options.namesFile.empty()) return true;
    const std::string& path = options.namesFile;
    std::string text, reason;
    if (ReadWholeFile(path, text, reason) &&
        exact::ReadNames(text, path, FileCompileOptions(path), book, reason)) {
        options.names = &book;
        return true;
    }
    std::fprintf(stderr, "quillon: --names: %s\n", reason.c_str());
    return false;
}

namespace {

namespace fs = std::filesystem;

// The header at the host path `header` as an include of the text at
// `textPath` names it: relative to the text's folder when it can be.
std::string IncludedName(const std::string& header, const std::string& textPath) {
    fs::path folder = fs::path(textPath).parent_path();
    if (folder.empty()) folder = ".";
    const fs::path to = IncludeKey(header);
    const fs::path relative = to.lexically_relative(IncludeKey(folder.string()));
    return (relative.empty() ? to : relative).generic_string();
}

} // namespace

bool DisassembleExact(const Options& options, std::string_view chunk, const std::string& textPath,
                      std::string& text, std::string& reason) {
    if (!exact::DisassembleChunk(
            chunk, text, reason,
            exact::PrintOptions{options.numbers, options.offsets, options.names}))
        return false;
    if (!options.names) return true;
    // After the include of the built-in names, on the text's second line.
    const std::size_t first = text.find('\n');
    const std::size_t second = first == std::string::npos ? first : text.find('\n', first + 1);
    const std::size_t at = second == std::string::npos ? text.size() : second + 1;
    text.insert(at, "#include \"" + IncludedName(options.namesFile, textPath) + "\"\r\n");
    return true;
}

} // namespace quillon::cli
