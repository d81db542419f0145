#include "FormFileKind.h"

#include "AsciiText.h"
#include "PosixFile.h"

#include <fcntl.h>

namespace dfm {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

}  // namespace

FormFileKind formFileKindOf(std::string_view leading)
{
    if (leading.substr(0, 3) == std::string_view("\xFF\x0A\x00", 3))
        return FormFileKind::Resource;
    if (leading.substr(0, 4) == "TPF0")
        return FormFileKind::Stream;
    std::string_view rest = leading;
    if (rest.substr(0, 3) == "\xEF\xBB\xBF")
        rest.remove_prefix(3);
    while (!rest.empty() && isBlank(rest.front()))
        rest.remove_prefix(1);
    for (const std::string_view keyword : {"object", "inherited", "inline"}) {
        if (rest.size() > keyword.size() && ascii::equalsIgnoringCase(rest.substr(0, keyword.size()), keyword)
            && isBlank(rest[keyword.size()]))
            return FormFileKind::Text;
    }
    return FormFileKind::Unknown;
}

FormFileKind formFileKindOfFile(const char* path)
{
    // A pipe with no writer must not hold the caller up.
    PosixFile file = PosixFile::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    char leading[FormKindProbeSize];
    const std::ptrdiff_t got = file.isOpen() ? file.readFully(leading, sizeof leading) : -1;
    if (got < 0)
        return FormFileKind::Unknown;
    return formFileKindOf(std::string_view(leading, static_cast<std::size_t>(got)));
}

}  // namespace dfm
