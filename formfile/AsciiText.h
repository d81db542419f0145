// Character tests of the form text, by table: ASCII, whatever the code page, except that a name
// may hold any byte above 127 (a letter of the code page, or part of a UTF-8 letter).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace dfm::ascii {

namespace detail {

enum : std::uint8_t { Digit = 1, Letter = 2, Underscore = 4, Hex = 8, NumberTail = 16, NonAscii = 32 };

inline constexpr std::array<std::uint8_t, 256> Classes = [] {
    std::array<std::uint8_t, 256> classes{};
    for (int c = '0'; c <= '9'; ++c)
        classes[c] |= Digit | Hex | NumberTail;
    for (int c = 'A'; c <= 'Z'; ++c)
        classes[c] |= Letter;
    for (int c = 'a'; c <= 'z'; ++c)
        classes[c] |= Letter;
    for (int c = 'A'; c <= 'F'; ++c)
        classes[c] |= Hex;
    for (int c = 'a'; c <= 'f'; ++c)
        classes[c] |= Hex;
    classes['_'] |= Underscore;
    for (int c = 0x80; c <= 0xFF; ++c)
        classes[c] |= NonAscii;
    for (const char c : {'+', '-', '.', 'E', 'e'})
        classes[static_cast<unsigned char>(c)] |= NumberTail;
    return classes;
}();

inline constexpr std::array<std::int8_t, 256> HexValues = [] {
    std::array<std::int8_t, 256> values{};
    values.fill(-1);
    for (int c = 0; c < 10; ++c)
        values['0' + c] = static_cast<std::int8_t>(c);
    for (int c = 0; c < 6; ++c) {
        values['A' + c] = static_cast<std::int8_t>(10 + c);
        values['a' + c] = static_cast<std::int8_t>(10 + c);
    }
    return values;
}();

}  // namespace detail

inline bool isDigit(unsigned char c) { return detail::Classes[c] & detail::Digit; }
inline bool isLetter(unsigned char c) { return detail::Classes[c] & detail::Letter; }
inline bool isIdentStart(unsigned char c)
{
    return detail::Classes[c] & (detail::Letter | detail::Underscore | detail::NonAscii);
}
inline bool isIdentChar(unsigned char c)
{
    return detail::Classes[c] & (detail::Letter | detail::Underscore | detail::Digit | detail::NonAscii);
}
inline bool isHexDigit(unsigned char c) { return detail::Classes[c] & detail::Hex; }
// "+", "-", ".", digits, "E" and "e": what may follow the digits of a number.
inline bool isNumberTail(unsigned char c) { return detail::Classes[c] & detail::NumberTail; }
// 0 to 15, or -1 for a byte that is no hexadecimal digit.
inline int hexValue(unsigned char c) { return detail::HexValues[c]; }
inline char toUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// text with its letters a to z in upper case, as a key that compares names without regard to case.
inline std::string upperCased(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = toUpper(c);
    return upper;
}

inline bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (toUpper(a[i]) != toUpper(b[i]))
            return false;
    return true;
}

}  // namespace dfm::ascii
