#include "cli/inputs.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace quillon::cli {

namespace fs = std::filesystem;

namespace {

bool SameExtension(const fs::path& file, std::string_view extension) {
    const std::string ext = file.extension().string();
    if (ext.size() != extension.size()) return false;
    for (size_t i = 0; i < ext.size(); ++i) {
        char c = ext[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != extension[i]) return false;
    }
    return true;
}

void ReportFolder(const fs::path& folder, const std::error_code& ec, InputList& list) {
    std::fprintf(stderr, "quillon: cannot read folder '%s': %s\n", folder.string().c_str(),
                 ec.message().c_str());
    ++list.failures;
}

template <typename Wanted>
void Walk(const fs::path& folder, const Wanted& wanted, bool recursive,
          std::vector<fs::path>& found, InputList& list) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    if (ec) {
        ReportFolder(folder, ec, list);
        return;
    }
    std::vector<fs::path> subfolders;
    for (; it != end; it.increment(ec)) {
        const fs::directory_entry& entry = *it;
        std::error_code kindError;
        if (entry.is_regular_file(kindError)) {
            if (wanted(entry.path())) found.push_back(entry.path());
        } else if (recursive && entry.is_directory(kindError) && !entry.is_symlink(kindError)) {
            subfolders.push_back(entry.path());
        }
    }
    if (ec) ReportFolder(folder, ec, list);
    for (const fs::path& sub : subfolders) Walk(sub, wanted, recursive, found, list);
}

template <typename Wanted>
InputList Collect(const std::vector<std::string>& args, const Wanted& wanted, bool recursive) {
    InputList list;
    for (const std::string& arg : args) {
        if (!IsFolder(arg)) {
            list.files.push_back(arg);
            continue;
        }
        list.folderGiven = true;
        std::vector<fs::path> found;
        Walk(fs::path(arg), wanted, recursive, found, list);
        // Element by element: a folder's files and sub-folders in name order.
        std::sort(found.begin(), found.end());
        for (const fs::path& p : found) list.files.push_back(p.string());
    }
    return list;
}

} // namespace

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return path != "-" && fs::is_directory(path, ec);
}

InputList CollectInputs(const std::vector<std::string>& args, std::string_view extension,
                        bool recursive) {
    return Collect(
        args, [&](const fs::path& p) { return SameExtension(p, extension); }, recursive);
}

InputList CollectInputs(const std::vector<std::string>& args, WantedFile wanted, bool recursive) {
    return Collect(
        args, [&](const fs::path& p) { return wanted(p.string()); }, recursive);
}

} // namespace quillon::cli
