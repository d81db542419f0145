#include "UnitFile.h"

#include "FormFileNames.h"

#include <algorithm>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace dfm {

namespace {

// The file name without its extension (from its last dot; ".dfm" alone has an empty name).
std::string stemOf(const fs::path& path)
{
    const std::string name = path.filename().string();
    return name.substr(0, std::min(name.rfind('.'), name.size()));
}

// Whether a file (or a link to one) is at path; a folder is not a file.
bool isFileAt(const fs::path& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

}  // namespace

FolderListing FolderListing::of(const fs::path& folder)
{
    FolderListing listing;
    listing.complete = listFileNames(folder.string(), listing.names);
    if (!listing.complete)
        listing.names.clear();
    return listing;
}

std::optional<fs::path> findUnitFile(const fs::path& formPath, const FolderListing& listing)
{
    const fs::path folder = formPath.parent_path();
    const std::string stem = stemOf(formPath);
    for (const std::string& name : {stem + ".PAS", stem + ".pas"}) {
        const bool there = listing.complete ? std::find(listing.names.begin(), listing.names.end(), name) != listing.names.end()
                                            : isFileAt(folder / name);
        if (there)
            return folder / name;
    }
    const std::string found = firstInAnyCase(listing.names, stem + ".pas");
    return found.empty() ? std::nullopt : std::optional<fs::path>(folder / found);
}

std::optional<fs::path> findUnitFile(const fs::path& formPath)
{
    return findUnitFile(formPath, FolderListing::of(formPath.parent_path()));
}

fs::path unitFileOf(const fs::path& formPath, const FolderListing& listing)
{
    if (std::optional<fs::path> found = findUnitFile(formPath, listing))
        return *found;
    return formPath.parent_path() / (stemOf(formPath) + ".PAS");
}

std::string unitFileLookedFor(const fs::path& formPath)
{
    return stemOf(formPath) + ".pas";
}

}  // namespace dfm
