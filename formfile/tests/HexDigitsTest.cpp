// Hexadecimal digits of binary blocks: every way of writing and reading them (sixteen bytes a
// step, a line a step with AVX2 where the processor has it, byte by byte) against a plain one.
#include "AsciiText.h"
#include "HexDigits.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <random>
#include <string>

namespace dfm {
namespace {

std::string plainDigits(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (const char c : bytes) {
        text += digits[static_cast<unsigned char>(c) >> 4];
        text += digits[static_cast<unsigned char>(c) & 15];
    }
    return text;
}

// The bytes of the leading pairs that are two digits.
std::string plainBytes(const std::string& text)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        const int high = ascii::hexValue(static_cast<unsigned char>(text[i]));
        const int low = ascii::hexValue(static_cast<unsigned char>(text[i + 1]));
        if (high < 0 || low < 0)
            break;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

std::string randomBytes(std::mt19937& random, std::size_t count)
{
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

using PutLines = std::function<char*(const unsigned char*, std::size_t, const char*, std::size_t, char*)>;
using DecodeLine = std::function<bool(const unsigned char*, unsigned char*)>;

std::vector<std::pair<std::string, PutLines>> lineWriters()
{
    std::vector<std::pair<std::string, PutLines>> writers{{"chosen", hex::putLines}};
#if defined(__x86_64__)
    writers.emplace_back("SSE2", hex::putLinesSse2);
    if (hex::hasAvx2())
        writers.emplace_back("AVX2", hex::putLinesAvx2);
#endif
    return writers;
}

std::vector<std::pair<std::string, DecodeLine>> lineReaders()
{
    std::vector<std::pair<std::string, DecodeLine>> readers{{"chosen", hex::decodeLine}};
#if defined(__x86_64__)
    readers.emplace_back("SSE2", hex::decodeLineSse2);
    if (hex::hasAvx2())
        readers.emplace_back("AVX2", hex::decodeLineAvx2);
#endif
    return readers;
}

TEST(HexDigits, BytesOfAnyCountAndLinesGiveThePlainDigits)
{
    std::mt19937 random(7);
    for (std::size_t count = 0; count <= 70; ++count) {
        const std::string bytes = randomBytes(random, count);
        std::string digits(2 * count, '?');
        hex::putDigits(reinterpret_cast<const unsigned char*>(bytes.data()), count, digits.data());
        EXPECT_EQ(digits, plainDigits(bytes)) << count;
    }
    char lineStart[hex::LineStartRoom];
    for (std::size_t i = 0; i < sizeof lineStart; ++i)
        lineStart[i] = static_cast<char>('a' + i % 26);
    for (const auto& [name, putLines] : lineWriters()) {
        for (int round = 0; round < 200; ++round) {
            const std::size_t lines = random() % 6;
            const std::size_t startLength = random() % 67;
            const std::string bytes = randomBytes(random, lines * hex::LineBytes);
            std::string expected;
            for (std::size_t line = 0; line < lines; ++line)
                expected += std::string(lineStart, startLength) + plainDigits(bytes.substr(line * hex::LineBytes, hex::LineBytes));
            std::string text(expected.size() + hex::LineStartRoom, '?');
            char* const end = putLines(reinterpret_cast<const unsigned char*>(bytes.data()), lines, lineStart,
                                       startLength, text.data());
            ASSERT_EQ(std::string(text.data(), end), expected) << name;
        }
    }
}

// Lines of digits of either case, now and then with a byte that is none: one that only looks
// like a digit or a letter once its 0x20 bit is set, or one beyond ASCII.
TEST(HexDigits, LinesAndPairsReadWhatAPlainReadingReads)
{
    std::mt19937 random(11);
    const std::string digits = "0123456789abcdefABCDEF";
    const std::string others = std::string("\x10\x19\x00/:@G`g \xB0\xC6\xE6\xFF", 15);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (std::size_t i = 0; i < hex::LineDigits; ++i)
            text += digits[random() % digits.size()];
        if (round % 2 == 0)
            text[random() % text.size()] = others[random() % others.size()];
        const std::string expected = plainBytes(text);
        const bool whole = expected.size() == hex::LineBytes;
        for (const auto& [name, decodeLine] : lineReaders()) {
            std::string bytes(hex::LineBytes, '?');
            ASSERT_EQ(decodeLine(reinterpret_cast<const unsigned char*>(text.data()),
                                 reinterpret_cast<unsigned char*>(bytes.data())),
                      whole)
                << name << " " << text;
            if (whole)
                ASSERT_EQ(bytes, expected) << name;
            else
                ASSERT_EQ(bytes, std::string(hex::LineBytes, '?')) << name;
        }
        const std::string readable = text + '\0';
        std::string bytes(hex::LineBytes, '?');
        const std::size_t count = hex::decodePairs(reinterpret_cast<const unsigned char*>(readable.data()),
                                                   readable.size(), reinterpret_cast<unsigned char*>(bytes.data()),
                                                   hex::LineBytes);
        ASSERT_EQ(bytes.substr(0, count), expected) << text;
    }
}

}  // namespace
}  // namespace dfm
