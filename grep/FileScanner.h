// Does a file hold a key, and where does its first occurrence begin: a scan of the file in
// blocks that overlap by the key's length. It only ever reads.
#pragma once

#include "CodePage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dfm {

class KeyEncodings;
class ScanMessages;

namespace FileScanner {

inline constexpr std::size_t ScanBlockSize = 64512;
// Keys up to half a block: each block then moves the scan on by at least as much again.
inline constexpr std::size_t MaxKeyLength = 32768;
using SkipTable = std::array<std::uint16_t, 256>;

// The 0-based offset of the key's first occurrence, or -1: not found, or the file could not
// be read (messages has then shown why). fold: case-insensitive, the key and the file folded
// alike by the page's letters. An empty key, or one longer than MaxKeyLength, is found nowhere.
std::int64_t scanFile(std::string_view key, const std::string& path, bool fold, ScanMessages& messages,
                      const CodePage& page = CodePage::system());
// The same for a key in several encodings: the earliest occurrence of any, whatever its length.
std::int64_t scanFile(const KeyEncodings& key, const std::string& path, ScanMessages& messages);
// Whether a folded search of the key needs the page's letters beyond ASCII: the files' bytes
// are then folded by the page, not a to z eight at a time.
bool hasPageLetters(std::string_view key);

SkipTable buildSkipTable(std::string_view key);
// Distance from the first occurrence's start to the end of text, or -1.
std::int64_t findInBuffer(std::string_view key, const SkipTable& skip, std::string_view text);
// a..z become A..Z; every other byte stays.
void upperCaseBuffer(char* buffer, std::size_t count);
std::string ioErrorText(int code);
// The error box's text for a file that cannot be read (error: errno).
std::string scanErrorText(const std::string& path, int error);
// The scanner's I/O codes for an errno value (0 when it has none).
int ioErrorCode(int error);

}  // namespace FileScanner

}  // namespace dfm
