// The names of form files: which extensions they have, what their backups are called, and the
// keeping of a file under its backup name.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace dfm {

// .dfm, .lfm, .fmx or .xfm, in any case.
bool hasFormExtension(std::string_view fileName);

// Where a form file's previous content is kept: ".D$$" for ".dfm", ".L$$" for ".lfm", the
// extension's first letter followed by "$$" (a name without extension gets ".D$$").
std::string backupFileName(std::string_view path);

// Gives the file at path backupPath as a second name, in place of an older backup: a hard link,
// or a copy where the file system has none. The file itself is not touched, so that it stands
// under its own name until a new one replaces it. What went wrong, if anything; a path that does
// not exist gives ENOENT, once the older backup has gone (there is nothing newer to keep).
std::error_code keepAsBackup(const std::string& path, const std::string& backupPath);

}  // namespace dfm
