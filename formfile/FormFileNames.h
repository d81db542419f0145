// The names of form files: which extensions they have, what their backups are called, the
// keeping of a file under its backup name, and where a unit's include files are.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace dfm {

// .dfm, .lfm, .fmx or .xfm, in any case.
bool hasFormExtension(std::string_view fileName);

// Where a form file's previous content is kept: ".D$$" for ".dfm", ".L$$" for ".lfm", the
// extension's first letter followed by "$$" (a name without extension gets ".D$$").
std::string backupFileName(std::string_view path);

// Gives the file at path backupPath as a second name, in place of an older backup: a hard link,
// or a copy where the file system has none, made under a temporary name ("." + tempPrefix +
// "-XXXXXX" beside the backup) and renamed over the older backup. The file itself is not
// touched, so that it stands under its own name until a new one replaces it. What went wrong, if
// anything; then the older backup is as it was (a path that does not exist gives ENOENT).
std::error_code keepAsBackup(const std::string& path, const std::string& backupPath, std::string_view tempPrefix);

// Of the names that spell wanted in some case, the first in byte order; empty when none does.
std::string firstInAnyCase(std::span<const std::string> names, std::string_view wanted);

// The file named name in folder ("" for the current folder), as a Windows project refers to it:
// name itself, else the first in byte order of the names that spell it in another case. The
// path is folder joined with the name found.
std::optional<std::string> findFileIgnoringCase(const std::string& folder, std::string_view name);

// The names of the entries of folder ("" for the current folder) that are not folders, as the
// lookups of files by name take them; false when the folder cannot be listed.
bool listFileNames(const std::string& folder, std::vector<std::string>& names);

}  // namespace dfm
