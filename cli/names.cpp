#include "cli/names.h"

#include <cstdio>

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

exact::PrintOptions PrintingOf(const Options& options) {
    return exact::PrintOptions{options.numbers, options.offsets, options.names};
}

} // namespace quillon::cli
