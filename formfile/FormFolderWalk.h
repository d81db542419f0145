// The form files below a folder, found by their names as the walk lists them.
#pragma once

#include <filesystem>
#include <functional>
#include <system_error>
#include <vector>

namespace dfm {

// A folder that could not be read, with the reason.
using UnreadableFolder = std::function<void(const std::filesystem::path&, const std::error_code&)>;

struct FolderWalk {
    bool recursive = false;   // the subfolders' form files too
    bool skipHidden = false;  // names starting with "." (.git, .svn) are passed over
};

// The files of folder with a form extension, in byte order of their paths. Paths are folder
// joined with the names listed, never a link's target, and links to folders are not followed. A
// folder that cannot be read goes to unreadable, in the order of the walk, and the walk goes on
// with the others.
std::vector<std::filesystem::path> formFilesInFolder(const std::filesystem::path& folder, FolderWalk walk,
                                                     const UnreadableFolder& unreadable);

}  // namespace dfm
