// UTF-8: strict decoding into 16-bit code units, and the encoding of one code point.
#pragma once

#include <string>
#include <string_view>

namespace dfm {

// What a byte starts in UTF-8: the length of its sequence (1 for ASCII, 0 for a byte that starts
// none), the code point bits it carries, and the least code point such a sequence may encode
// (less is an overlong form).
struct Utf8Lead {
    int length;
    char32_t bits;
    char32_t minimum;
};

inline Utf8Lead utf8Lead(unsigned char c)
{
    if (c < 0x80)
        return {1, c, 0};
    if (c >= 0xC2 && c <= 0xDF)
        return {2, c & 0x1Fu, 0x80};
    if (c >= 0xE0 && c <= 0xEF)
        return {3, c & 0x0Fu, 0x800};
    if (c >= 0xF0 && c <= 0xF4)
        return {4, c & 0x07u, 0x10000};
    return {0, 0, 0};
}

// Whether a sequence that decoded to cp is well formed: not overlong, within Unicode, no surrogate.
inline bool isUtf8CodePoint(char32_t cp, char32_t minimum)
{
    return cp >= minimum && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
}

inline bool isHighSurrogate(char32_t unit)
{
    return unit >= 0xD800 && unit < 0xDC00;
}

inline bool isLowSurrogate(char32_t unit)
{
    return unit >= 0xDC00 && unit < 0xE000;
}

// Writes the UTF-8 bytes of one code point (at most four) at out; returns their end.
inline char* putUtf8(char32_t cp, char* out)
{
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

// False (and out unspecified) when bytes are not well-formed UTF-8.
bool decodeUtf8(std::string_view bytes, std::u16string& out);

// Whether bytes are well-formed UTF-8, and whether they hold anything beyond ASCII; nothing is
// decoded, so a large text is told quickly.
struct Utf8Check {
    bool wellFormed = true;
    bool beyondAscii = false;
};
Utf8Check checkUtf8(std::string_view bytes);

}  // namespace dfm
