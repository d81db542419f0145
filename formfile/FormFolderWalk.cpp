#include "FormFolderWalk.h"

#include "FormFileNames.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace dfm {

namespace {

bool isHidden(const fs::path& path)
{
    const std::string name = path.filename().string();
    return name.size() > 1 && name[0] == '.' && name != "..";
}

}  // namespace

std::vector<fs::path> formFilesInFolder(const fs::path& folder, FolderWalk walk, const UnreadableFolder& unreadable)
{
    std::vector<fs::path> files;
    std::vector<fs::path> pending{folder};
    while (!pending.empty()) {
        const fs::path current = std::move(pending.back());
        pending.pop_back();
        std::vector<fs::path> subfolders;
        std::error_code error;
        for (fs::directory_iterator entry(current, error), end; !error && entry != end; entry.increment(error)) {
            std::error_code statError;
            if (walk.skipHidden && isHidden(entry->path()))
                continue;
            if (walk.recursive && !entry->is_symlink(statError) && entry->is_directory(statError))
                subfolders.push_back(entry->path());
            else if (entry->is_regular_file(statError) && hasFormExtension(entry->path().filename().string()))
                files.push_back(entry->path());
        }
        if (error)
            unreadable(current, error);
        // Taken from the back: the subfolders are walked in byte order of their names.
        std::sort(subfolders.rbegin(), subfolders.rend());
        pending.insert(pending.end(), subfolders.begin(), subfolders.end());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace dfm
