// The names of form files: which extensions they have, and what their backups are called.
#pragma once

#include <string>
#include <string_view>

namespace dfm {

// .dfm, .lfm, .fmx or .xfm, in any case.
bool hasFormExtension(std::string_view fileName);

// Where a form file's previous content is kept: ".D$$" for ".dfm", ".L$$" for ".lfm", the
// extension's first letter followed by "$$" (a name without extension gets ".D$$").
std::string backupFileName(std::string_view path);

}  // namespace dfm
