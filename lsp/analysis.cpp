#include "lsp/analysis.h"

#include <cstdio>
#include <filesystem>
#include <unordered_map>

#include "io/file_bytes.h"
#include "io/includes.h"

namespace quillon::lsp {

namespace fs = std::filesystem;

namespace {

// A header's first error, "NAME:LINE:COLUMN: text", as a message of its own
// lines; one of a header that it includes stands at its first line.
exact::Message HeaderMessage(const std::string& name, const std::string& reason) {
    exact::Message m{true, 1, 1, reason};
    if (reason.compare(0, name.size() + 1, name + ":") != 0) return m;
    int line = 0, column = 0, used = 0;
    if (std::sscanf(reason.c_str() + name.size() + 1, "%d:%d: %n", &line, &column, &used) == 2 &&
        used > 0) {
        m.line = line;
        m.column = column;
        m.text = reason.substr(name.size() + 1 + static_cast<std::size_t>(used));
    }
    return m;
}

bool IsHeaderPath(std::string_view key) {
    return key.size() > 2 &&
           (key.substr(key.size() - 2) == ".h" || key.substr(key.size() - 2) == ".H");
}

} // namespace

FrontEnd CompilerFrontEnd() {
    return [](std::string_view text, const exact::CompileOptions& options,
              const exact::MessageHandler& onMessage) {
        // A header of names is read as an #include reads it.
        if (!exact::IsExactText(text) && IsHeaderPath(options.key)) {
            const std::string name = fs::path(options.key).filename().string();
            exact::NameBook book;
            std::string reason;
            if (!exact::ReadNames(text, name, options, book, reason))
                onMessage(HeaderMessage(name, reason));
            return;
        }
        std::string chunk;
        exact::CompileChunk(text, chunk, onMessage, options);
    };
}

exact::IncludeReader HeaderReader(const Settings& settings, OpenText open) {
    const exact::IncludeReader beside = FileIncludes();
    return [beside, folders = settings.includePaths,
            open = std::move(open)](std::string_view from, std::string_view name,
                                    exact::IncludedFile& file, std::string& why) {
        const fs::path folder = from.empty() ? fs::path() : fs::path(from).parent_path();
        std::vector<fs::path> candidates{folder / fs::path(name)};
        for (const std::string& f : folders) candidates.push_back(fs::path(f) / fs::path(name));
        // An open document holds the text as the user sees it.
        for (const fs::path& c : candidates) {
            const std::string key = IncludeKey(c.string());
            if (const std::string* text = open ? open(key) : nullptr) {
                file.key = key;
                file.text = *text;
                return true;
            }
        }
        if (beside(from, name, file, why)) return true;
        std::error_code ec;
        for (std::size_t i = 1; i < candidates.size(); ++i) {
            const std::string path = candidates[i].string();
            std::string reason;
            if (fs::is_regular_file(path, ec) && ReadWholeFile(path, file.text, reason)) {
                file.key = IncludeKey(path);
                return true;
            }
        }
        return false; // `why` says why the first place failed
    };
}

std::unique_ptr<Model> Analyze(const Document& text, const std::string& key,
                               const FrontEnd& frontEnd, const exact::IncludeReader& include) {
    auto model = std::make_unique<Model>();
    model->sources.push_back({key, std::string(), text});
    std::unordered_map<std::string, std::string> headers;
    Recorder recorder(*model, headers);
    exact::CompileOptions options;
    options.key = key;
    options.listener = &recorder;
    if (include)
        options.include = [&](std::string_view from, std::string_view name,
                              exact::IncludedFile& file, std::string& why) {
            if (!include(from, name, file, why)) return false;
            headers.emplace(file.key, file.text);
            model->headers.push_back(file.key);
            return true;
        };
    frontEnd(text.Text(), options, [&](const exact::Message& m) { model->messages.push_back(m); });
    model->Fit();
    return model;
}

} // namespace quillon::lsp
