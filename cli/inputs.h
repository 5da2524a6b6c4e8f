// The inputs of one invocation: files as given, folders expanded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon::cli {

struct InputList {
    std::vector<std::string> files; // in order; "-" stands for standard input
    bool folderGiven = false;       // some FILE was a folder
    int failures = 0;               // folders that could not be read (already reported)
};

// Every argument that names a folder stands for the regular files in it whose
// extension is `extension` (".scd" or ".c"), compared without case, in sorted
// order; with `recursive` the files of its sub-folders too (symbolic links to
// folders are not followed). Other arguments are kept as they are.
InputList CollectInputs(const std::vector<std::string>& args, std::string_view extension,
                        bool recursive);
// The same, the files of a folder being those that `wanted` takes.
using WantedFile = bool (*)(const std::string& path);
InputList CollectInputs(const std::vector<std::string>& args, WantedFile wanted, bool recursive);

bool IsFolder(const std::string& path);

} // namespace quillon::cli
