#include "FormFileNames.h"

#include "AsciiText.h"
#include "AtomicFile.h"
#include "NameCase.h"
#include "PosixFile.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <span>
#include <sys/stat.h>

namespace dfm {

namespace {

// The extension of the file name, dot included; empty when there is none.
std::string_view extensionOf(std::string_view path)
{
    const std::size_t nameStart = path.rfind('/') == std::string_view::npos ? 0 : path.rfind('/') + 1;
    const std::size_t dot = path.rfind('.');
    return dot != std::string_view::npos && dot >= nameStart ? path.substr(dot) : std::string_view();
}

// Whether a file (or a link to one) is at path; a folder is not a file.
bool isFileAt(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

}  // namespace

bool hasFormExtension(std::string_view fileName)
{
    const std::string_view extension = extensionOf(fileName);
    for (const std::string_view known : {".dfm", ".lfm", ".fmx", ".xfm"}) {
        if (ascii::equalsIgnoringCase(extension, known))
            return true;
    }
    return false;
}

std::string backupFileName(std::string_view path)
{
    const std::string_view extension = extensionOf(path);
    const char letter = extension.size() > 1 ? ascii::toUpper(extension[1]) : 'D';
    std::string backup(path.substr(0, path.size() - extension.size()));
    backup += '.';
    backup += letter;
    backup += "$$";
    return backup;
}

std::error_code keepAsBackup(const std::string& path, const std::string& backupPath, std::string_view tempPrefix)
{
    // The older backup may be the only copy left: it goes only when the new one is complete,
    // which is made under a temporary name and then renamed over it.
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 && errno == ENOENT)
        return std::make_error_code(std::errc::no_such_file_or_directory);
    const std::string folder = std::filesystem::path(backupPath).parent_path().string();
    const std::string temporary = temporaryName(folder.empty() ? "." : folder, tempPrefix);
    PosixFile::SystemCalls& calls = PosixFile::systemCalls();
    if (calls.link(path.c_str(), temporary.c_str()) != 0) {
        if (errno == ENOENT)
            return std::make_error_code(std::errc::no_such_file_or_directory);
        std::error_code error;
        std::filesystem::copy_file(path, temporary, error);
        if (error) {
            calls.unlink(temporary.c_str());
            return error;
        }
    }
    const bool renamed = calls.rename(temporary.c_str(), backupPath.c_str()) == 0;
    const std::error_code error = renamed ? std::error_code() : std::error_code(errno, std::generic_category());
    // A rename onto another name of the same file leaves both names: the temporary one goes.
    calls.unlink(temporary.c_str());
    return error;
}

}  // namespace dfm

namespace dfm {

bool listFileNames(const std::string& folder, std::vector<std::string>& names)
{
    std::error_code error;
    std::filesystem::directory_iterator entry(folder.empty() ? "." : folder, error), end;
    for (; !error && entry != end; entry.increment(error)) {
        std::error_code ignored;
        if (!entry->is_directory(ignored))
            names.push_back(entry->path().filename().string());
    }
    return !error;
}

std::string firstInAnyCase(std::span<const std::string> names, std::string_view wanted)
{
    std::string found;
    for (const std::string& name : names) {
        if (sameNameIgnoringCase(name, wanted) && (found.empty() || name < found))
            found = name;
    }
    return found;
}

std::optional<std::string> findFileIgnoringCase(const std::string& folder, std::string_view name)
{
    const std::string prefix = folder.empty() || folder.ends_with('/') ? folder : folder + "/";
    if (isFileAt(prefix + std::string(name)))
        return prefix + std::string(name);
    std::vector<std::string> names;
    if (!listFileNames(folder, names))
        return std::nullopt;
    const std::string found = firstInAnyCase(names, name);
    return found.empty() ? std::nullopt : std::optional<std::string>(prefix + found);
}

}  // namespace dfm
