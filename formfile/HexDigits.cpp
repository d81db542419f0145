#include "HexDigits.h"

#include "AsciiText.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace dfm::hex {

namespace {

// Two upper-case hexadecimal digits for every byte value, high nibble first.
constexpr std::array<std::array<char, 2>, 256> HexPairs = [] {
    constexpr char digits[] = "0123456789ABCDEF";
    std::array<std::array<char, 2>, 256> pairs{};
    for (std::size_t i = 0; i < 256; ++i)
        pairs[i] = {digits[i >> 4], digits[i & 15]};
    return pairs;
}();

#if defined(__x86_64__)
// Sixteen digits into eight bytes; valid gets a lane of ones for each byte of p that was a digit.
inline __m128i decodeSixteenDigits(const unsigned char* p, __m128i& valid)
{
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i lower = _mm_or_si128(c, _mm_set1_epi8(0x20));
    const __m128i isDigit = _mm_and_si128(_mm_cmpgt_epi8(c, _mm_set1_epi8('0' - 1)),
                                          _mm_cmplt_epi8(c, _mm_set1_epi8('9' + 1)));
    const __m128i isLetter = _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)),
                                           _mm_cmplt_epi8(lower, _mm_set1_epi8('f' + 1)));
    valid = _mm_or_si128(isDigit, isLetter);
    // Digits have the 0x20 bit already, so lower - '0' is their value; letters take 'a' - 10.
    const __m128i values = _mm_sub_epi8(_mm_sub_epi8(lower, _mm_set1_epi8('0')),
                                        _mm_andnot_si128(isDigit, _mm_set1_epi8('a' - 10 - '0')));
    // Each 16-bit lane holds a pair, the high digit in its low byte.
    const __m128i high = _mm_slli_epi16(_mm_and_si128(values, _mm_set1_epi16(0x00FF)), 4);
    const __m128i low = _mm_srli_epi16(values, 8);
    return _mm_packus_epi16(_mm_or_si128(high, low), _mm_setzero_si128());
}

// Sixteen bytes into their 32 digits, in two halves of sixteen.
inline void putSixteen(const unsigned char* bytes, char* digits)
{
    const __m128i lowNibble = _mm_set1_epi8(0x0F);
    const auto toDigits = [](__m128i nibbles) {
        const __m128i letters = _mm_cmpgt_epi8(nibbles, _mm_set1_epi8(9));
        return _mm_add_epi8(_mm_add_epi8(nibbles, _mm_set1_epi8('0')), _mm_and_si128(letters, _mm_set1_epi8(7)));
    };
    const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i high = _mm_and_si128(_mm_srli_epi16(sixteen, 4), lowNibble);
    const __m128i low = _mm_and_si128(sixteen, lowNibble);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(digits), toDigits(_mm_unpacklo_epi8(high, low)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(digits + 16), toDigits(_mm_unpackhi_epi8(high, low)));
}
#endif

}  // namespace

// Sixteen bytes a step with SSE2 (every x86-64 has it), else four bytes a step on
// little-endian hosts: each nibble spread to a byte of its own, then turned into its digit
// with carries that cannot cross bytes.
void putDigits(const unsigned char* bytes, std::size_t count, char* digits)
{
    std::size_t i = 0;
#if defined(__x86_64__)
    for (; i + 16 <= count; i += 16)
        putSixteen(bytes + i, digits + 2 * i);
#endif
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 4 <= count; i += 4) {
            std::uint32_t four;
            std::memcpy(&four, bytes + i, 4);
            std::uint64_t lanes = (four | (std::uint64_t{four} << 16)) & 0x0000FFFF0000FFFFu;
            lanes = (lanes | (lanes << 8)) & 0x00FF00FF00FF00FFu;
            const std::uint64_t nibbles = ((lanes >> 4) & 0x000F000F000F000Fu) | ((lanes & 0x000F000F000F000Fu) << 8);
            const std::uint64_t letters = ((nibbles + 0x0606060606060606u) >> 4) & 0x0101010101010101u;
            const std::uint64_t text = nibbles + 0x3030303030303030u + letters * 7;
            std::memcpy(digits + 2 * i, &text, 8);
        }
    }
    for (; i < count; ++i)
        std::memcpy(digits + 2 * i, HexPairs[bytes[i]].data(), 2);
}

std::size_t decodePairs(const unsigned char* p, std::size_t readable, unsigned char* bytes, std::size_t maxBytes)
{
    std::size_t count = 0;
#if defined(__x86_64__)
    // Sixteen digits a step while they all are digits.
    while (count + 8 <= maxBytes && 2 * count + 16 <= readable) {
        __m128i valid;
        const __m128i packed = decodeSixteenDigits(p + 2 * count, valid);
        if (_mm_movemask_epi8(valid) != 0xFFFF)
            break;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(bytes + count), packed);
        count += 8;
    }
#endif
    // The NUL at the end of the exposed text is no digit, so p[1] is always readable here.
    for (p += 2 * count; count < maxBytes; ++count, p += 2) {
        const int high = ascii::hexValue(p[0]);
        const int low = high < 0 ? -1 : ascii::hexValue(p[1]);
        if (low < 0)
            break;
        bytes[count] = static_cast<unsigned char>((high << 4) | low);
    }
    return count;
}

#if defined(__x86_64__)
bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

char* putLinesSse2(const unsigned char* bytes, std::size_t lines, const char* lineStart, std::size_t startLength,
                   char* out)
{
    for (; lines > 0; --lines, bytes += LineBytes) {
        std::memcpy(out, lineStart, LineStartRoom);
        out += startLength;
        putSixteen(bytes, out);
        putSixteen(bytes + 16, out + 32);
        out += LineDigits;
    }
    return out;
}

// Each nibble looked up in a table of the sixteen digits, the pairs then put back in order
// across the two halves of the register.
__attribute__((target("avx2"))) char* putLinesAvx2(const unsigned char* bytes, std::size_t lines,
                                                   const char* lineStart, std::size_t startLength, char* out)
{
    const __m256i table = _mm256_setr_epi8('0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E',
                                           'F', '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D',
                                           'E', 'F');
    const __m256i lowNibble = _mm256_set1_epi8(0x0F);
    for (; lines > 0; --lines, bytes += LineBytes) {
        std::memcpy(out, lineStart, LineStartRoom);
        out += startLength;
        const __m256i line = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
        const __m256i high = _mm256_shuffle_epi8(table, _mm256_and_si256(_mm256_srli_epi16(line, 4), lowNibble));
        const __m256i low = _mm256_shuffle_epi8(table, _mm256_and_si256(line, lowNibble));
        // Per half: bytes 0-7 and 16-23, then 8-15 and 24-31.
        const __m256i first = _mm256_unpacklo_epi8(high, low);
        const __m256i second = _mm256_unpackhi_epi8(high, low);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute2x128_si256(first, second, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32), _mm256_permute2x128_si256(first, second, 0x31));
        out += LineDigits;
    }
    return out;
}

bool decodeLineSse2(const unsigned char* p, unsigned char* bytes)
{
    __m128i valid[4];
    __m128i packed[4];
    for (int i = 0; i < 4; ++i)
        packed[i] = decodeSixteenDigits(p + 16 * i, valid[i]);
    const __m128i all = _mm_and_si128(_mm_and_si128(valid[0], valid[1]), _mm_and_si128(valid[2], valid[3]));
    if (_mm_movemask_epi8(all) != 0xFFFF)
        return false;
    for (int i = 0; i < 4; ++i)
        _mm_storel_epi64(reinterpret_cast<__m128i*>(bytes + 8 * i), packed[i]);
    return true;
}

// The same classification as sixteen at a time; each pair then joined by one multiply-add.
__attribute__((target("avx2"))) bool decodeLineAvx2(const unsigned char* p, unsigned char* bytes)
{
    __m256i values[2];
    __m256i valid = _mm256_set1_epi8(-1);
    for (int i = 0; i < 2; ++i) {
        const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * i));
        const __m256i lower = _mm256_or_si256(c, _mm256_set1_epi8(0x20));
        const __m256i isDigit = _mm256_and_si256(_mm256_cmpgt_epi8(c, _mm256_set1_epi8('0' - 1)),
                                                 _mm256_cmpgt_epi8(_mm256_set1_epi8('9' + 1), c));
        const __m256i isLetter = _mm256_and_si256(_mm256_cmpgt_epi8(lower, _mm256_set1_epi8('a' - 1)),
                                                  _mm256_cmpgt_epi8(_mm256_set1_epi8('f' + 1), lower));
        valid = _mm256_and_si256(valid, _mm256_or_si256(isDigit, isLetter));
        values[i] = _mm256_sub_epi8(_mm256_sub_epi8(lower, _mm256_set1_epi8('0')),
                                    _mm256_andnot_si256(isDigit, _mm256_set1_epi8('a' - 10 - '0')));
    }
    if (_mm256_movemask_epi8(valid) != -1)
        return false;
    // 16 times the high digit (the lower byte of each pair) plus the low one.
    const __m256i weights = _mm256_set1_epi16(0x0110);
    const __m256i pairs = _mm256_packus_epi16(_mm256_maddubs_epi16(values[0], weights),
                                              _mm256_maddubs_epi16(values[1], weights));
    // packus works per half: put the four quarters back in order.
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(bytes), _mm256_permute4x64_epi64(pairs, 0xD8));
    return true;
}
#endif

char* putLines(const unsigned char* bytes, std::size_t lines, const char* lineStart, std::size_t startLength, char* out)
{
#if defined(__x86_64__)
    if (hasAvx2())
        return putLinesAvx2(bytes, lines, lineStart, startLength, out);
    return putLinesSse2(bytes, lines, lineStart, startLength, out);
#else
    for (; lines > 0; --lines, bytes += LineBytes) {
        std::memcpy(out, lineStart, LineStartRoom);
        out += startLength;
        putDigits(bytes, LineBytes, out);
        out += LineDigits;
    }
    return out;
#endif
}

bool decodeLine(const unsigned char* p, unsigned char* bytes)
{
#if defined(__x86_64__)
    return hasAvx2() ? decodeLineAvx2(p, bytes) : decodeLineSse2(p, bytes);
#else
    unsigned char line[LineBytes];
    if (decodePairs(p, LineDigits + 1, line, LineBytes) != LineBytes)
        return false;
    std::memcpy(bytes, line, LineBytes);
    return true;
#endif
}

}  // namespace dfm::hex
