// The one rule that finds a form's unit beside it, for the editor and every tool alike.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace dfm {

// The names of the entries of a folder that are not folders, listed once for every lookup there.
struct FolderListing {
    std::vector<std::string> names;
    bool complete = false;  // false: the folder could not be listed, names is empty

    static FolderListing of(const std::filesystem::path& folder);
};

// The unit of the form file at formPath, beside it: NAME.PAS, then NAME.pas, then the first in
// byte order of the other names that spell NAME.pas in another case (letters beyond ASCII too),
// where NAME is the form's file name without its extension. A folder of that name is no unit.
// The path keeps the form's folder as written; nothing when none of them is there. listing holds
// the form's folder; where it could not be listed, only the first two names can be had.
std::optional<std::filesystem::path> findUnitFile(const std::filesystem::path& formPath, const FolderListing& listing);
// The same, listing the form's folder.
std::optional<std::filesystem::path> findUnitFile(const std::filesystem::path& formPath);
// The unit found, else NAME.PAS: where the editor reads a form's unit from and writes it to.
std::filesystem::path unitFileOf(const std::filesystem::path& formPath, const FolderListing& listing);
// NAME.pas: what a message names when a form has no unit.
std::string unitFileLookedFor(const std::filesystem::path& formPath);

}  // namespace dfm
