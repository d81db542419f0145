#include "FormFileNames.h"

#include "AsciiText.h"
#include "PosixFile.h"

#include <cerrno>
#include <filesystem>

namespace dfm {

namespace {

// The extension of the file name, dot included; empty when there is none.
std::string_view extensionOf(std::string_view path)
{
    const std::size_t nameStart = path.rfind('/') == std::string_view::npos ? 0 : path.rfind('/') + 1;
    const std::size_t dot = path.rfind('.');
    return dot != std::string_view::npos && dot >= nameStart ? path.substr(dot) : std::string_view();
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

std::error_code keepAsBackup(const std::string& path, const std::string& backupPath)
{
    PosixFile::systemCalls().unlink(backupPath.c_str());
    if (PosixFile::systemCalls().link(path.c_str(), backupPath.c_str()) == 0)
        return {};
    if (errno == ENOENT)
        return std::make_error_code(std::errc::no_such_file_or_directory);
    std::error_code error;
    std::filesystem::copy_file(path, backupPath, std::filesystem::copy_options::overwrite_existing, error);
    return error;
}

}  // namespace dfm
