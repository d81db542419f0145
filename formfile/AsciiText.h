// Character tests of the form text: ASCII only, whatever the code page.
#pragma once

#include <string_view>

namespace dfm::ascii {

inline bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
inline bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
inline bool IsIdentStart(unsigned char c) { return IsLetter(c) || c == '_'; }
inline bool IsIdentChar(unsigned char c) { return IsIdentStart(c) || IsDigit(c); }
inline bool IsHexDigit(unsigned char c)
{
    return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
inline int HexValue(unsigned char c)
{
    return IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
}
inline char ToUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

inline bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ToUpper(a[i]) != ToUpper(b[i]))
            return false;
    return true;
}

}  // namespace dfm::ascii
