#include "NameCase.h"

#include "AsciiText.h"
#include "CodePage.h"
#include "Utf8.h"

namespace dfm {

namespace {

bool isAscii(std::string_view text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

bool isUtf8(std::string_view bytes)
{
    std::u16string ignored;
    return decodeUtf8(bytes, ignored);
}

// The lower case of the letters that have one, in the scripts names are written in.
char32_t lowerCase(char32_t c)
{
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 0x20;
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return c | 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) != 0 ? c + 1 : c;
    if (c == 0x178)
        return 0xFF;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        return c + 0x20;
    if (c == 0x3C2)  // final sigma
        return 0x3C3;
    if (c == 0x386)
        return 0x3AC;
    if (c >= 0x388 && c <= 0x38A)
        return c + 0x25;
    if (c == 0x38C)
        return 0x3CC;
    if (c == 0x38E || c == 0x38F)
        return c + 0x3F;
    if (c >= 0x410 && c <= 0x42F)
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    return c;
}

// The next character of text from i, moving i past it; a byte that starts no well-formed
// sequence is a character of its own, outside Unicode so that it equals no real one.
char32_t nextCharacter(std::string_view text, std::size_t& i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    const Utf8Lead start = utf8Lead(lead);
    const auto length = static_cast<std::size_t>(start.length);
    if (length > 1 && i + length <= text.size()) {
        char32_t cp = start.bits;
        bool whole = true;
        for (std::size_t k = 1; k < length && whole; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            whole = (next & 0xC0u) == 0x80u;
            cp = (cp << 6) | (next & 0x3Fu);
        }
        if (whole && isUtf8CodePoint(cp, start.minimum)) {
            i += length;
            return cp;
        }
    }
    ++i;
    return lead < 0x80 ? char32_t(lead) : 0x110000 + lead;
}

}  // namespace

std::string nameAsUtf8(std::string_view bytes, const CodePage& page)
{
    if (isAscii(bytes) || isUtf8(bytes))
        return std::string(bytes);
    const std::u16string characters = page.decode(bytes);
    std::string text;
    text.reserve(characters.size() * 3);
    char buffer[4];
    for (const char16_t c : characters)
        text.append(buffer, putUtf8(c, buffer));
    return text;
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b)
{
    if (isAscii(a) && isAscii(b))
        return ascii::equalsIgnoringCase(a, b);
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (lowerCase(nextCharacter(a, i)) != lowerCase(nextCharacter(b, j)))
            return false;
    }
    return i == a.size() && j == b.size();
}

}  // namespace dfm
