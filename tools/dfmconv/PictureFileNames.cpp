#include "PictureFileNames.h"

#include "Utf8.h"

#include <algorithm>

namespace {

// Long enough for any real name; three parts of it, a count and an extension stay well inside
// the 255 bytes a file name may have.
constexpr std::size_t LongestPart = 64;

// A name from the form as part of a file name: ASCII letters, digits, "_" and the characters of
// well-formed UTF-8 are kept, every other byte ("/", ".", a control character, a byte of a code
// page) becomes "_"; cut to LongestPart bytes between two characters. Dots are kept where they
// join the parts of a property name.
std::string safePart(std::string_view name, bool keepDots)
{
    std::string part;
    std::size_t i = 0;
    while (i < name.size()) {
        const auto c = static_cast<unsigned char>(name[i]);
        const dfm::Utf8Lead lead = dfm::utf8Lead(c);
        std::size_t length = 1;
        bool keep = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'
            || (keepDots && c == '.');
        if (lead.length > 1 && i + static_cast<std::size_t>(lead.length) <= name.size()) {
            char32_t codePoint = lead.bits;
            bool continued = true;
            for (int k = 1; k < lead.length; ++k) {
                const auto next = static_cast<unsigned char>(name[i + static_cast<std::size_t>(k)]);
                continued = continued && (next & 0xC0u) == 0x80u;
                codePoint = (codePoint << 6) | (next & 0x3Fu);
            }
            if (continued && dfm::isUtf8CodePoint(codePoint, lead.minimum)) {
                keep = true;
                length = static_cast<std::size_t>(lead.length);
            }
        }
        if (part.size() + (keep ? length : 1) > LongestPart)
            break;
        part += keep ? name.substr(i, length) : "_";
        i += length;
    }
    return part.empty() ? "_" : part;
}

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

}  // namespace

std::string PictureFileNames::next(std::string_view owner, const dfm::FormPicture& picture)
{
    std::string stem = safePart(owner, false) + "." + safePart(picture.propertyName, true);
    if (picture.format == dfm::PictureFormat::Unknown && !picture.graphicClass.empty())
        stem += "." + safePart(picture.graphicClass, false);
    const std::string extension = "." + std::string(dfm::fileExtension(picture.format));
    std::string name = stem + extension;
    for (int count = 2; !given_.insert(lowerCase(name)).second; ++count)
        name = stem + "-" + std::to_string(count) + extension;
    return name;
}
