#include "FormFileNames.h"

#include "AsciiText.h"

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

}  // namespace dfm
