#include "CodePage.h"

#include <algorithm>
#include <cstdlib>
#include <iconv.h>

namespace dfm {

namespace {

void markRange(std::array<bool, 256>& set, int from, int to)
{
    for (int c = from; c <= to; ++c)
        set[static_cast<std::size_t>(c)] = true;
}

// The byte of the same value for units below 256: the single-byte page's view of wide text.
std::string lowBytes(std::u16string_view text)
{
    std::string out;
    for (const char16_t unit : text)
        out.push_back(unit < 256 ? static_cast<char>(unit) : '?');
    return out;
}

unsigned char upperCase1252(unsigned char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return static_cast<unsigned char>(c - 0x20);
    switch (c) {
    case 0x9A: return 0x8A;  // s caron
    case 0x9C: return 0x8C;  // oe
    case 0x9E: return 0x8E;  // z caron
    case 0xFF: return 0x9F;  // y diaeresis
    default: return c;
    }
}

}  // namespace

const CodePage& CodePage::system()
{
    static const CodePage page([] {
        const char* text = std::getenv("QUENDFMED_CODEPAGE");
        return text ? std::atoi(text) : 1252;
    }());
    return page;
}

CodePage::CodePage(int number) : number_(number)
{
    switch (number) {
    case 932:
        markRange(leadBytes_, 0x81, 0x9F);
        markRange(leadBytes_, 0xE0, 0xFC);
        break;
    case 936:
    case 949:
    case 950:
        markRange(leadBytes_, 0x81, 0xFE);
        break;
    default:
        number_ = 1252;
        return;
    }
    hasLeadBytes_ = true;
}

bool CodePage::isTrailByteAt(std::string_view text, std::size_t index) const
{
    if (!hasLeadBytes_)
        return false;
    std::size_t run = 0;
    for (std::size_t i = std::min(index, text.size()); i > 0 && isLeadByte(static_cast<unsigned char>(text[i - 1])); --i)
        ++run;
    return run % 2 == 1;
}

std::string CodePage::upperCase(std::string_view text) const
{
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (hasLeadBytes_ && isLeadByte(c)) {
            ++i;
            continue;
        }
        if (!hasLeadBytes_)
            out[i] = static_cast<char>(upperCase1252(c));
        else if (c >= 'a' && c <= 'z')
            out[i] = static_cast<char>(c - 0x20);
    }
    return out;
}

std::string CodePage::fromWide(std::u16string_view text) const
{
    if (!hasLeadBytes_ || text.empty())
        return lowBytes(text);
    const std::string target = "CP" + std::to_string(number_);
    iconv_t converter = iconv_open(target.c_str(), "UTF-16LE");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return lowBytes(text);
    std::string input;
    for (const char16_t unit : text) {
        input.push_back(static_cast<char>(unit & 0xFF));
        input.push_back(static_cast<char>(unit >> 8));
    }
    std::string out;
    char* in = input.data();
    std::size_t inLeft = input.size();
    std::string chunk(input.size() * 2 + 16, '\0');
    while (inLeft > 0) {
        char* outPtr = chunk.data();
        std::size_t outLeft = chunk.size();
        const std::size_t result = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
        out.append(chunk.data(), static_cast<std::size_t>(outPtr - chunk.data()));
        if (result == static_cast<std::size_t>(-1) && inLeft >= 2) {
            out.push_back('?');  // a character the page lacks, or a lone surrogate
            in += 2;
            inLeft -= 2;
        } else if (result == static_cast<std::size_t>(-1)) {
            break;
        }
    }
    iconv_close(converter);
    return out;
}

bool CodePage::toWide(std::string_view bytes, std::u16string& out) const
{
    out.clear();
    if (!hasLeadBytes_) {
        for (const char c : bytes)
            out.push_back(windows1252Character(static_cast<unsigned char>(c)));
        return true;
    }
    const std::string source = "CP" + std::to_string(number_);
    iconv_t converter = iconv_open("UTF-16LE", source.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string input(bytes);
    std::string wide(input.size() * 2 + 2, '\0');
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* outPtr = wide.data();
    std::size_t outLeft = wide.size();
    const bool whole = iconv(converter, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    if (!whole)
        return false;
    for (const char* p = wide.data(); p + 1 < outPtr; p += 2)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8)));
    return true;
}

}  // namespace dfm
