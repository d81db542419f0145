// The system code page of this port: Windows-1252, or the double-byte page that
// QUENDFMED_CODEPAGE names (932, 936, 949, 950), whose lead bytes keep characters whole.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace dfm {

// Code points of the Windows-1252 bytes 0x80..0x9F; the five unassigned bytes map to themselves,
// so that every byte has a character and back.
inline constexpr std::array<char16_t, 32> Windows1252HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

inline char16_t windows1252Character(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? Windows1252HighControls[byte - 0x80] : char16_t(byte);
}

class CodePage {
public:
    // The page in force for this process (read once from the environment).
    static const CodePage& system();
    explicit CodePage(int number);

    bool hasLeadBytes() const { return hasLeadBytes_; }
    bool isLeadByte(unsigned char c) const { return leadBytes_[c]; }
    // True when the byte at index (0-based) is the second half of a double-byte character:
    // the lead bytes just before it form a run of odd length.
    bool isTrailByteAt(std::string_view text, std::size_t index) const;
    // The locale's upper case of text in this page, byte count kept: every letter with a
    // one-byte upper-case form (accented ones included); halves of double-byte characters stay.
    std::string upperCase(std::string_view text) const;
    // Wide text in this page's bytes; characters it lacks become "?".
    std::string fromWide(std::u16string_view text) const;
    // This page's bytes as wide text; false (out unspecified) when some bytes are no character
    // of the page.
    bool toWide(std::string_view bytes, std::u16string& out) const;

private:
    int number_;
    bool hasLeadBytes_ = false;
    std::array<bool, 256> leadBytes_{};
};

}  // namespace dfm
