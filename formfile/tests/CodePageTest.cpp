#include "CodePage.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace dfm {
namespace {

std::string allBytes()
{
    std::string bytes;
    for (int byte = 0; byte < 256; ++byte)
        bytes.push_back(static_cast<char>(byte));
    return bytes;
}

std::string reencoded(const CodePage& page, std::string_view bytes)
{
    std::string out;
    EXPECT_TRUE(page.encode(page.decode(bytes), out)) << page.number();
    return out;
}

TEST(CodePage, EveryByteOfEveryPageComesBackFromItsText)
{
    for (const int number : CodePage::numbers()) {
        const CodePage& page = CodePage::forNumber(number);
        ASSERT_EQ(page.number(), number);
        EXPECT_FALSE(CodePage::name(number).empty());
        const std::string bytes = allBytes();
        EXPECT_EQ(reencoded(page, bytes), bytes) << number;
        // Each byte alone: a lone lead byte too; each character of the text is told apart.
        std::set<char16_t> seen;
        for (int byte = 0; byte < 256; ++byte) {
            const std::string one(1, static_cast<char>(byte));
            const std::u16string text = page.decode(one);
            ASSERT_EQ(text.size(), 1u) << number << " byte " << byte;
            EXPECT_TRUE(seen.insert(text[0]).second) << number << " byte " << byte;
            EXPECT_EQ(reencoded(page, one), one) << number << " byte " << byte;
        }
    }
}

TEST(CodePage, EveryPairOfTheDoubleBytePagesComesBackFromItsText)
{
    for (const int number : {932, 936, 949, 950}) {
        const CodePage& page = CodePage::forNumber(number);
        ASSERT_TRUE(page.hasLeadBytes());
        std::string all;
        std::size_t characters = 0;
        for (int lead = 0x80; lead < 0x100; ++lead) {
            for (int trail = 0; trail < 0x100; ++trail) {
                const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
                const std::u16string text = page.decode(pair);
                characters += text.size() == 1;
                ASSERT_EQ(reencoded(page, pair), pair) << number << " " << lead << " " << trail;
                all += pair;
            }
        }
        EXPECT_GT(characters, 5000u) << number;
        EXPECT_EQ(reencoded(page, all), all) << number;
    }
    // Random bytes: lone lead bytes, lead bytes before line ends and at the end.
    std::mt19937 random(7);
    for (const int number : {932, 936, 949, 950}) {
        for (int round = 0; round < 200; ++round) {
            std::string bytes(random() % 40, '\0');
            for (char& c : bytes)
                c = static_cast<char>(random() % 3 == 0 ? '\n' : 0x80 + random() % 128);
            EXPECT_EQ(reencoded(CodePage::forNumber(number), bytes), bytes) << number;
        }
    }
}

TEST(CodePage, PagesDecodeTheirLettersAndEncodeWhatTheUserTypes)
{
    struct Case {
        int page;
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {1252, "Caf\xE9 \x80", u"Caf\u00E9 \u20AC"},
        {1250, "\xA5\xB9\x8C\x9C\xAF\xBF\xB3\xF3", u"\u0104\u0105\u015A\u015B\u017B\u017C\u0142\u00F3"},
        {1251, "\xCF\xF0\xE8\xE2\xE5\xF2 \xA8\xB8", u"\u041F\u0440\u0438\u0432\u0435\u0442 \u0401\u0451"},
        {1253, "\xC1\xE1\xF9\xA2", u"\u0391\u03B1\u03C9\u0386"},
        {1254, "\xD0\xF0\xDD\xFD\xDE\xFE", u"\u011E\u011F\u0130\u0131\u015E\u015F"},
        {1255, "\xF9\xEC\xE5\xED", u"\u05E9\u05DC\u05D5\u05DD"},
        {1256, "\xC7\xE1\xDA\xD1\xC8\xED\xC9", u"\u0627\u0644\u0639\u0631\u0628\u064A\u0629"},
        {1257, "\xC0\xE0\xD0\xF0", u"\u0104\u0105\u0160\u0161"},
        {1258, "Vi\xEA\xF2t a\xEC", u"Vi\u00EA\u0323t a\u0301"},
        {874, "\xA1\xD2\xC3", u"\u0E01\u0E32\u0E23"},
        {932, "\x82\xA0\x93\xFA\x96\x7B\xB1", u"\u3042\u65E5\u672C\uFF71"},
        {936, "\xCB\xCE\xCC\xE5", u"\u5B8B\u4F53"},
        {949, "\xC7\xD1\xB1\xB9", u"\uD55C\uAD6D"},
        {950, "\xA4\xA4\xA4\xE5", u"\u4E2D\u6587"},
    };
    for (const Case& c : cases) {
        const CodePage& page = CodePage::forNumber(c.page);
        EXPECT_EQ(page.decode(c.bytes), c.text) << c.page;
        std::u16string wide;
        EXPECT_TRUE(page.toWide(c.bytes, wide)) << c.page;
        std::string bytes;
        EXPECT_TRUE(page.encode(c.text, bytes)) << c.page;
        EXPECT_EQ(bytes, c.bytes) << c.page;
    }
    // A character the page lacks is named by its index; fromWide puts "?" in its place.
    std::string bytes;
    std::size_t failure = 0;
    EXPECT_FALSE(CodePage::forNumber(1251).encode(u"ab\u00E9c", bytes, &failure));
    EXPECT_EQ(failure, 2u);
    EXPECT_EQ(CodePage::forNumber(1251).fromWide(u"ab\u00E9\u0416"), "ab?\xC6");
    // A letter the page writes as a base letter and an accent, as typed in one piece.
    EXPECT_TRUE(CodePage::forNumber(1258).encode(u"Vi\u1EC7t", bytes));
    EXPECT_EQ(bytes, "Vi\xEA\xF2t");
    // Bytes that are no character of the page decode, but not as the page's text.
    std::u16string wide;
    EXPECT_FALSE(CodePage::forNumber(1251).toWide("a\x98", wide));
    EXPECT_FALSE(CodePage::forNumber(932).toWide("a\x82", wide));
    EXPECT_TRUE(CodePage::forNumber(1252).toWide("a\x81", wide));
}

TEST(CodePage, UpperCaseFoldsThePagesOwnLetters)
{
    struct Case {
        int page;
        std::string lower;
        std::string upper;
    };
    const Case cases[] = {
        {1252, "tbutton \xE9\xE0\xFF\x9C\xDF\xB5\xF7", "TBUTTON \xC9\xC0\x9F\x8C\xDF\xB5\xF7"},
        {1250, "\xB9\x9C\xBF\xB3\xF3", "\xA5\x8C\xAF\xA3\xD3"},
        {1251, "\xEF\xF0\xE8\xE2\xE5\xF2 \xB8\xBF", "\xCF\xD0\xC8\xC2\xC5\xD2 \xA8\xAF"},
        {1253, "\xE1\xF9\xDC\xF2", "\xC1\xD9\xA2\xD3"},
        {1254, "\xF0\xFD\xFE", "\xD0I\xDE"},
        {1257, "\xE0\xF0", "\xC0\xD0"},
        {1255, "a\xF9", "A\xF9"},
        {932, "a\x82" "a" "b\xE9", "A\x82" "aB\xE9"},
    };
    for (const Case& c : cases) {
        const CodePage& page = CodePage::forNumber(c.page);
        EXPECT_EQ(page.upperCase(c.lower), c.upper) << c.page;
        std::string folded;
        for (const unsigned char byte : c.lower)
            folded.push_back(static_cast<char>(page.upperCaseBytes()[byte]));
        if (!page.hasLeadBytes()) {
            EXPECT_EQ(folded, c.upper) << c.page;
        }
    }
}

TEST(CodePage, TrailBytesAreNotSplitFromTheirLeadBytes)
{
    const CodePage& japanese = CodePage::forNumber(932);
    EXPECT_TRUE(japanese.isTrailByteAt("a\x82\xA0", 2));
    EXPECT_FALSE(japanese.isTrailByteAt("a\x82\x82\xA0", 3));
    EXPECT_FALSE(CodePage::forNumber(1252).isTrailByteAt("a\x82\xA0", 2));
    EXPECT_EQ(japanese.fromWide(u"a\u3042"), "a\x82\xA0");
}

TEST(CodePage, OnlyTheListedPagesAreNamedByText)
{
    EXPECT_EQ(CodePage::numberFromText("1251"), 1251);
    EXPECT_EQ(CodePage::numberFromText("932"), 932);
    for (const char* text : {"", "1259", "65001", "1251x", " 1251", "-1252", "cp1251"})
        EXPECT_EQ(CodePage::numberFromText(text), 0) << text;
    EXPECT_EQ(CodePage::forNumber(12345).number(), 1252);
}

}  // namespace
}  // namespace dfm
