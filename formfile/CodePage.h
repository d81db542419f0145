// The Windows ANSI code pages a form's narrow strings may be written in: their characters, their
// case, and for the double-byte pages the lead bytes that keep characters whole. Every byte
// sequence decodes to some text and that text encodes back to the same bytes.
#pragma once

#include <array>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

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
    static constexpr int DefaultNumber = 1252;

    // Every page, in the order they are listed to the user.
    static std::span<const int> numbers();
    static bool isKnown(int number);
    // The page's usual name, "Cyrillic" for 1251; empty for an unknown page.
    static std::string_view name(int number);
    // The shared instance of a known page (an unknown number gives Windows-1252).
    static const CodePage& forNumber(int number);
    // The page QUENDFMED_CODEPAGE names, else Windows-1252; a number it does not know is reported
    // once on standard error.
    static const CodePage& system();
    // The page an environment text names, or 0 when it names none.
    static int numberFromText(std::string_view text);

    // An unknown number gives Windows-1252.
    explicit CodePage(int number);
    ~CodePage();
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;

    int number() const { return number_; }
    bool hasLeadBytes() const { return hasLeadBytes_; }
    bool isLeadByte(unsigned char c) const { return leadBytes_[c]; }
    // True when the byte at index (0-based) is the second half of a double-byte character:
    // the lead bytes just before it form a run of odd length.
    bool isTrailByteAt(std::string_view text, std::size_t index) const;

    // Every byte sequence as text: the page's characters, and each byte that starts none as a
    // character of its own (the code point of the same value where the page does not use it,
    // else one of a private range), so that encode gives the bytes back.
    std::u16string decode(std::string_view bytes) const;
    // The page's bytes for text; false when some character has none (firstFailure: its index).
    bool encode(std::u16string_view text, std::string& bytes, std::size_t* firstFailure = nullptr) const;
    // Wide text in this page's bytes; characters it lacks become "?".
    std::string fromWide(std::u16string_view text) const;
    // This page's bytes as wide text; false (out unspecified) when some bytes are no character
    // of the page.
    bool toWide(std::string_view bytes, std::u16string& out) const;

    // The upper case of text in this page, byte count kept: every letter with a one-byte
    // upper-case form; halves of double-byte characters stay.
    std::string upperCase(std::string_view text) const;
    // The byte each byte folds to for a case-insensitive scan: ASCII letters, and for single-byte
    // pages the page's letters that have a one-byte upper case; double-byte pages fold ASCII only.
    const std::array<unsigned char, 256>& upperCaseBytes() const { return upperBytes_; }

private:
    struct PairTable;
    // The character a byte stands for alone; 0 for a lead byte or a byte that is no character
    // (NUL itself is the character 0, told apart by singleDefined_).
    char16_t single(unsigned char byte) const { return singles_[byte]; }
    char16_t escapeOf(unsigned char byte) const;
    // A character the page has no bytes of its own for, written the way the system's converter
    // does (a letter as its base letter and accent); false when it has none either.
    bool encodeBySystem(char16_t character, std::string& bytes) const;
    void buildSingles();
    void buildPairs();
    void buildUpperCase();

    int number_;
    bool hasLeadBytes_ = false;
    std::array<bool, 256> leadBytes_{};
    std::array<char16_t, 256> singles_{};
    std::array<bool, 256> singleDefined_{};
    std::array<unsigned char, 256> upperBytes_{};
    std::unique_ptr<PairTable> pairs_;
    // The bytes of each character the page has, for encoding.
    std::unordered_map<char16_t, std::uint16_t> bytesOf_;
    // Code points already taken by a character of the page, which no escaped byte may use.
    std::array<bool, 256> lowCodeTaken_{};
};

}  // namespace dfm
