// The system code page of this port: Windows-1252, or the double-byte page that
// QUENDFMED_CODEPAGE names (932, 936, 949, 950), whose lead bytes keep characters whole.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace dfm {

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

private:
    int number_;
    bool hasLeadBytes_ = false;
    std::array<bool, 256> leadBytes_{};
};

}  // namespace dfm
