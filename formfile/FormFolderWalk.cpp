#include "FormFolderWalk.h"

#include "FormFileNames.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace dfm {

std::vector<fs::path> formFilesInFolder(const fs::path& folder, bool recursive, const UnreadableFolder& unreadable)
{
    std::vector<fs::path> files;
    std::vector<fs::path> pending{folder};
    while (!pending.empty()) {
        const fs::path current = std::move(pending.back());
        pending.pop_back();
        std::error_code error;
        for (fs::directory_iterator entry(current, error), end; !error && entry != end; entry.increment(error)) {
            std::error_code statError;
            if (recursive && !entry->is_symlink(statError) && entry->is_directory(statError))
                pending.push_back(entry->path());
            else if (entry->is_regular_file(statError) && hasFormExtension(entry->path().filename().string()))
                files.push_back(entry->path());
        }
        if (error)
            unreadable(current, error);
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace dfm
