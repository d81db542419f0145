// Hexadecimal digits of binary blocks: bytes to upper-case digit pairs and back, a full line of a
// block (32 bytes, 64 digits) at a time where the processor can.
#pragma once

#include <cstddef>

namespace dfm::hex {

constexpr std::size_t LineBytes = 32;
constexpr std::size_t LineDigits = 2 * LineBytes;

// Two upper-case digits for each of count bytes, high nibble first.
void putDigits(const unsigned char* bytes, std::size_t count, char* digits);
// The digits of `lines` full lines, each after the first startLength bytes of lineStart (a line
// break and indentation); lineStart is copied whole, so it and out have room for
// LineStartRoom bytes beyond each. Returns the end of the text.
constexpr std::size_t LineStartRoom = 80;
char* putLines(const unsigned char* bytes, std::size_t lines, const char* lineStart, std::size_t startLength,
               char* out);

// Pairs of digits (either case) from p into bytes, at most maxBytes; stops before the first pair
// that is not two digits and returns how many bytes it gave. p may be read up to `readable`
// bytes, and always one byte past the last pair taken (a NUL ends the text it reads).
std::size_t decodePairs(const unsigned char* p, std::size_t readable, unsigned char* bytes, std::size_t maxBytes);
// The 64 digits of a full line into 32 bytes when all of them are digits, else false and bytes
// untouched; p is read 64 bytes on.
bool decodeLine(const unsigned char* p, unsigned char* bytes);

#if defined(__x86_64__)
// The two ways of each line function on x86-64, for the tests: sixteen bytes a step (SSE2, which
// every x86-64 has), and 32 (AVX2, which the line functions choose where the processor has it).
char* putLinesSse2(const unsigned char* bytes, std::size_t lines, const char* lineStart, std::size_t startLength,
                   char* out);
char* putLinesAvx2(const unsigned char* bytes, std::size_t lines, const char* lineStart, std::size_t startLength,
                   char* out);
bool decodeLineSse2(const unsigned char* p, unsigned char* bytes);
bool decodeLineAvx2(const unsigned char* p, unsigned char* bytes);
bool hasAvx2();
#endif

}  // namespace dfm::hex
