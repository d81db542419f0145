// Binary form stream -> form text: object lines, every value notation, line splitting, failures.
#include "CodePage.h"
#include "FormBuilder.h"
#include "TestSupport.h"

#include <bit>
#include <limits>
#include <random>
#include <sstream>
#include <vector>

namespace dfm {
namespace {

using namespace test;

// The text of a root EditorWindow named Form1 holding one property.
std::string propertyText(const std::string& value)
{
    return binaryText(stream(object("TForm1", "Form1", prop("P", value))));
}

std::string propertyLines(const std::vector<std::string>& valueLines)
{
    std::string out = "object Form1: TForm1\r\n";
    bool first = true;
    for (const auto& line : valueLines) {
        out += first ? "  P = " : "";
        out += line;
        out += "\r\n";
        first = false;
    }
    return out + "end\r\n";
}

TEST(BinaryToText, ObjectLines)
{
    const std::string button = object("TButton", "Button1", prop("Left", int8(8)));
    EXPECT_EQ(binaryText(stream(object("TForm1", "Form1", prop("Left", "\x03" + le(192, 2)) + prop("Caption", putStr("Form1")),
                                       button))),
              lines({"object Form1: TForm1", "  Left = 192", "  Caption = 'Form1'", "  object Button1: TButton",
                     "    Left = 8", "  end", "end"}));
    EXPECT_EQ(binaryText(stream(object("TForm1", "", ""))), lines({"object TForm1", "end"}));
    EXPECT_EQ(binaryText(stream(object("TForm1", "Form1", "", "", "\xF1"))),
              lines({"inherited Form1: TForm1", "end"}));
    EXPECT_EQ(binaryText(stream(object("TButton", "Button1", "", "", "\xF2\x02\x02"))),
              lines({"object Button1: TButton [2]", "end"}));
    EXPECT_EQ(binaryText(stream(object("TButton", "Button1", "", "", "\xF3\x02\x05"))),
              lines({"inherited Button1: TButton [5]", "end"}));
    // A frame embedded in its owner; the inherited flag wins over it; bit 3 changes nothing.
    EXPECT_EQ(binaryText(stream(object("TFrame2", "Frame21", "", "", "\xF4"))),
              lines({"inline Frame21: TFrame2", "end"}));
    EXPECT_EQ(binaryText(stream(object("TFrame2", "Frame21", "", "", "\xF5"))),
              lines({"inherited Frame21: TFrame2", "end"}));
    EXPECT_EQ(binaryText(stream(object("TFrame2", "Frame21", "", "", "\xF8"))),
              lines({"object Frame21: TFrame2", "end"}));
    // Bytes after the root are not part of the form.
    EXPECT_EQ(binaryText(stream(object("TForm1", "", "")) + "garbage"), lines({"object TForm1", "end"}));
}

TEST(BinaryToText, ScalarValues)
{
    const struct {
        std::string value;
        const char* text;
    } cases[] = {
        {int8(-8), "-8"},
        {"\x04" + le(100000, 4), "100000"},
        {"\x13" + le(static_cast<std::uint64_t>(-5000000000LL), 8), "-5000000000"},
        {"\x05" + le(0x8000000000000000u, 8) + le(0x3FFF + 66, 2), "7.3786976294838206464E19"},
        {"\x0F" + le(0x3DCCCCCD, 4), "0.100000001490116s"},
        {"\x10" + le(15000, 8), "15000c"},
        {"\x11" + le(0x40E5F4C000000000u, 8), "44966d"},
        {"\x15" + le(0x3FF8000000000000u, 8), "1.5"},
        {"\x07" + encodedName("clBtnFace"), "clBtnFace"},
        {"\x08", "False"},
        {"\x09", "True"},
        {"\x0D", "nil"},
        {"\x0B" + encodedName("fsBold") + encodedName("fsItalic") + std::string(1, '\0'), "[fsBold, fsItalic]"},
        {"\x0B" + std::string(1, '\0'), "[]"},
        {"\x06" + std::string(1, '\0'), "''"},
        {"\x12" + le(0, 4), "''"},
        {"\x01" + std::string(1, '\0'), "()"},
        {"\x0E" + std::string(1, '\0'), "<>"},
        {"\x0A" + le(0, 4), "{}"},
        {"\x0A" + le(3, 4) + "\x01\xAB\xFF", "{01ABFF}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(propertyText(c.value), propertyLines({c.text}));
    }
}

TEST(BinaryToText, CurrencyTextReadsBackToTheSameRawValue)
{
    constexpr std::int64_t Max = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t Min = std::numeric_limits<std::int64_t>::min();
    const struct {
        std::int64_t raw;
        const char* text;
    } cases[] = {
        // Fifteen digits read back: the text every form has always had.
        {0, "0c"},
        {15000, "15000c"},
        {-15000, "-15000c"},
        {123456789012345, "123456789012345c"},
        {-999999999999999, "-999999999999999c"},
        {1000000000000000, "1E15c"},
        {9223372036854770000, "9.22337203685477E18c"},
        {-9223372036854770000, "-9.22337203685477E18c"},
        // Fifteen digits would read back as another amount, or beyond the range.
        {Max, "9.223372036854775807E18c"},
        {Min, "-9.223372036854775808E18c"},
        {Max - 1, "9.223372036854775806E18c"},
        {Min + 1, "-9.223372036854775807E18c"},
        {Max - 7, "9.2233720368547758E18c"},
        {Min + 8, "-9.2233720368547758E18c"},
        {1234567890123456, "1.234567890123456E15c"},
        {100000000000000001, "1.00000000000000001E17c"},
        {1234567890123456789, "1.234567890123456789E18c"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string value = "\x10" + le(static_cast<std::uint64_t>(c.raw), 8);
        const std::string form = stream(object("TForm1", "Form1", prop("P", value)));
        const std::string text = binaryText(form);
        EXPECT_EQ(text, propertyLines({c.text}));
        EXPECT_EQ(textBinary(text), form);
    }
}

// Each float kind is written with fifteen digits where they carry its value, else with the fewest
// more that read back to the same bytes; a double, read back as an extended, to the same double.
TEST(BinaryToText, FloatsTakeTheFewestDigitsThatReadBack)
{
    const auto extended = [](const char* text) {
        unsigned char bytes[Extended80::ByteSize];
        Extended80::parse(text)->toBytes(bytes);
        return "\x05" + std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
    };
    const auto bits = [](auto value) { return le(std::bit_cast<std::uint64_t>(static_cast<double>(value)), 8); };
    const struct {
        std::string value;
        const char* text;
        bool sameBytes;  // a double comes back as an extended, an integral zero as an integer
    } cases[] = {
        {extended("0.1"), "0.1", true},
        {extended("2.645833333333333000"), "2.645833333333333", true},
        {extended("1.0000000000000000001"), "1.0000000000000000001", true},
        {extended("-3.14159265358979323846"), "-3.1415926535897932385", true},
        {extended("1e-4000"), "1E-4000", true},
        {extended("1.18973149535723176502e4932"), "1.189731495357231765E4932", true},
        {"\x05" + std::string(10, '\0'), "0", false},
        {"\x05" + le(0, 8) + le(0x8000, 2), "0", false},
        {"\x05" + le(0x8000000000000000u, 8) + le(0x7FFF, 2), "INF", false},
        {"\x11" + bits(44966.123456789012), "44966.12345678901d", true},
        {"\x11" + bits(1.0 / 3), "0.3333333333333333d", true},
        {"\x11" + bits(44966.5), "44966.5d", true},
        {"\x15" + bits(0.1), "0.1", false},
        {"\x15" + bits(2.0 / 3), "0.6666666666666666", false},
        {"\x15" + bits(0.1 + 0.2), "0.30000000000000004", false},
        {"\x15" + bits(5e-324), "4.94065645841247E-324", false},
        {"\x0F" + le(0x3DCCCCCD, 4), "0.100000001490116s", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string form = stream(object("TForm1", "Form1", prop("P", c.value)));
        const std::string text = binaryText(form);
        EXPECT_EQ(text, propertyLines({c.text}));
        if (c.sameBytes) {
            EXPECT_EQ(textBinary(text), form);
        }
    }
}

// Any finite extended comes back byte for byte.
TEST(BinaryToText, RandomExtendedValuesComeBackByteForByte)
{
    std::mt19937_64 random(25);
    for (int i = 0; i < 3000; ++i) {
        const std::uint64_t significand = random() | 0x8000000000000000u;
        const auto exponent = static_cast<std::uint16_t>(1 + random() % 0x7FFE) | (random() & 0x8000);
        const std::string form =
            stream(object("TForm1", "Form1", prop("P", "\x05" + le(significand, 8) + le(exponent, 2))));
        const std::string text = binaryText(form);
        ASSERT_EQ(textBinary(text), form) << text;
    }
}

TEST(BinaryToText, StringLiterals)
{
    const std::string s64(64, 'a');
    const std::string s65(65, 'a');
    const struct {
        const char* name;
        std::string value;
        std::vector<std::string> lines;
    } cases[] = {
        {"quote", putStr("It's"), {"'It'#39's'"}},
        {"line break", putStr("\r\n"), {"#13#10"}},
        {"mixed", putStr("a\r\nb"), {"'a'#13#10'b'"}},
        {"high bytes", putStr("caf\xE9\x7F"), {"'caf\xE9\x7F'"}},
        {"64 characters", putStr(s64), {"'" + s64 + "'"}},
        {"65 characters", putStr(s65), {"", "    '" + s64 + "' +", "    'a'"}},
        {"70 control characters", putStr(std::string(70, '\t')), {"", "    " + [] {
                                                                   std::string s;
                                                                   for (int i = 0; i < 64; ++i)
                                                                       s += "#9";
                                                                   return s + " +";
                                                               }(), "    #9#9#9#9#9#9"}},
        {"escape ends a full line", putStr(std::string(63, 'a') + "'b"), {"", "    '" + std::string(63, 'a') + "'#39 +", "    'b'"}},
        {"wide units", wideBytes(u"x\u20ACy\u00E9"), {"'x'#8364'y\xE9'"}},
        {"wide of 65 units", wideBytes(std::u16string(64, u'b') + u"\u20AC"), {"", "    '" + std::string(64, 'b') + "' +", "    #8364"}},
        {"utf-8 string", "\x14" + le(5, 4) + "a\xE2\x82\xAC" "b", {"'a'#8364'b'"}},
        {"invalid utf-8 written as bytes", "\x14" + le(3, 4) + "a\xFF" "b", {"'a\xFF" "b'"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(propertyText(c.value), propertyLines(c.lines));
    }
}

// The text in a given style: UTF-8, or strings kept on one line.
std::string styledText(const std::string& formStream, TextStyle style)
{
    MemoryStream in(formStream);
    MemoryStream out;
    binaryToText(in, out, CodePage(1252), style);
    return std::string(out.view());
}

TEST(BinaryToText, Utf8WritesTheCharactersOfStringsAsThemselves)
{
    const TextStyle utf8{true, true};
    const std::string mark = "\xEF\xBB\xBF";
    const struct {
        const char* name;
        std::string value;
        std::string text;
    } cases[] = {
        {"narrow, decoded by the code page", putStr("Caf\xE9 \x80"), "'Caf\xC3\xA9 \xE2\x82\xAC'"},
        {"wide", wideBytes(u"\u041F\u0440"), "'\xD0\x9F\xD1\x80'"},
        {"quote and controls keep their notation", wideBytes(u"a'b\t\u0085\u00E9"), "'a'#39'b'#9#133'\xC3\xA9'"},
        {"a surrogate pair is one character", wideBytes(u"x\U0001F600"), "'x\xF0\x9F\x98\x80'"},
        {"a lone surrogate stays escaped", wideBytes(std::u16string(1, char16_t(0xD83D)) + u"y"), "#55357'y'"},
        {"unassigned byte of the page", putStr("a\x81"), "'a'#129"},
        {"ASCII as ever", putStr("abc"), "'abc'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string binary = stream(object("TForm1", "Form1", prop("P", c.value)));
        const std::string text = styledText(binary, utf8);
        EXPECT_EQ(text, mark + propertyLines({c.text}));
        // It reads back as UTF-8, to the same characters.
        const std::string again = textBinary(text, TextEncoding::Utf8);
        EXPECT_EQ(styledText(again, utf8), text);
    }
    // A long string is split between characters, never inside a surrogate pair.
    std::u16string emoji;
    for (int i = 0; i < 40; ++i)
        emoji += u"\U0001F600";
    const std::string text = styledText(stream(object("TForm1", "Form1", prop("P", wideBytes(emoji)))), utf8);
    EXPECT_EQ(textBinary(text, TextEncoding::Utf8), stream(object("TForm1", "Form1", prop("P", wideBytes(emoji)))));
}

TEST(BinaryToText, UnwrappedStringsTakeOneLineWhileTheReaderCanTakeIt)
{
    const TextStyle unwrapped{false, false};
    const auto formWith = [](const std::string& caption) {
        return stream(object("TForm1", "Form1", prop("Caption", putStr(caption)) + prop("Left", int8(1))));
    };
    std::string caption(300, 'x');
    const std::string before = styledText(formWith(caption), unwrapped);
    EXPECT_EQ(before, lines({"object Form1: TForm1", "  Caption = '" + caption + "'", "  Left = 1", "end"}));
    // One character edited changes one line of the text, where wrapped text shifts every line after it.
    caption[10] = 'y';
    const std::string after = styledText(formWith(caption), unwrapped);
    const auto differingLines = [](const std::string& a, const std::string& b) {
        std::istringstream left(a);
        std::istringstream right(b);
        int count = 0;
        for (std::string x, y; std::getline(left, x) && std::getline(right, y);)
            count += x != y;
        return count;
    };
    EXPECT_EQ(differingLines(before, after), 1);
    // Strings longer than a line of the reader are still split, and every text reads back.
    for (const std::size_t length : {std::size_t{300}, std::size_t{5000}, std::size_t{100000}}) {
        SCOPED_TRACE(length);
        std::string quotes(length, '\'');
        for (const std::string& value : {std::string(length, 'z'), quotes}) {
            const std::string binary = formWith(value);
            const std::string text = styledText(binary, unwrapped);
            EXPECT_EQ(textBinary(text), binary);
        }
    }
}

TEST(BinaryToText, ListsCollectionsAndBinary)
{
    const std::string s70(70, 's');
    EXPECT_EQ(propertyText("\x01" + putStr("a") + int8(1) + putStr(s70) + std::string(1, '\0')),
              propertyLines({"(", "    'a'", "    1", "    ", "      '" + std::string(64, 's') + "' +",
                             "      'ssssss')"}));
    EXPECT_EQ(propertyText("\x0E\x01" + prop("Width", int8(50)) + std::string(1, '\0') + int8(3) + "\x01"
                           + prop("Width", int8(80)) + std::string(1, '\0') + int8(0) + "\x01" + std::string(2, '\0')),
              propertyLines({"<", "    item", "      Width = 50", "    end", "    item [3]", "      Width = 80",
                             "    end", "    item [0]", "    end>"}));

    std::string bytes31;
    std::string bytes40;
    for (int i = 0; i < 40; ++i)
        (i < 31 ? bytes31 : bytes40) += static_cast<char>(i);
    bytes40 = bytes31 + bytes40;
    EXPECT_EQ(propertyText("\x0A" + le(31, 4) + bytes31),
              propertyLines({"{000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E}"}));
    EXPECT_EQ(propertyText("\x0A" + le(32, 4) + bytes40.substr(0, 32)),
              propertyLines({"{", "    000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F}"}));
    EXPECT_EQ(propertyText("\x0A" + le(40, 4) + bytes40),
              propertyLines({"{", "    000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F",
                             "    2021222324252627}"}));
}

// A tag that starts no value writes nothing there and is read as what follows a property.
TEST(BinaryToText, UnknownTagsNeverHang)
{
    EXPECT_EQ(binaryText(stream(object("TForm1", "", prop("P", "")))), lines({"object TForm1", "  P = ", "end"}));
    EXPECT_THROW_MSG(propertyText("\x01\x80" + std::string(3, '\0')), ReadError, "Valeur de propriété incorrecte");
    EXPECT_THROW(binaryText(stream(object("TForm1", "", prop("P", "\x16\x01\x41\x02")))), FormError);
}

TEST(BinaryToText, FailuresAndPartialOutput)
{
    MemoryStream in(stream(object("TForm1", "Form1", prop("Caption", putStr("x")))).substr(0, 20));
    MemoryStream out;
    EXPECT_THROW_MSG(binaryToText(in, out), ReadError, "Erreur de lecture du flux");
    EXPECT_EQ(out.view(), "object Form1: TForm1\r\n  ");

    EXPECT_THROW_MSG(binaryText("TPF1"), ReadError, "Format de flux incorrect");
    EXPECT_THROW_MSG(propertyText("\x0E\x06"), ReadError, "Valeur de propriété incorrecte");
    EXPECT_THROW_MSG(binaryText(stream("\xF2\x06" + object("TA", "", ""))), ReadError,
                     "Valeur de propriété incorrecte");

    MemoryStream textFile(lines({"object Form1: TForm1", "end"}));
    MemoryStream nothing;
    EXPECT_THROW_MSG(resourceToText(textFile, nothing), InvalidImageError, "Format de flux incorrect");
    EXPECT_EQ(nothing.byteCount(), 0u);
}

TEST(BinaryToText, HostileNestingIsRefused)
{
    const std::string deepLists = stream(object("TForm1", "", prop("P", std::string(1000000, '\x01'))));
    EXPECT_THROW_MSG(binaryText(deepLists), ReadError, "Form nesting deeper than 1000 levels");

    std::string nested;
    for (int i = 0; i < 1001; ++i)
        nested = object("TA", "", "", nested);
    EXPECT_THROW_MSG(binaryText(stream(nested)), ReadError, "Form nesting deeper than 1000 levels");

    // 1000 levels are still fine.
    std::string lists = std::string(999, '\x01') + std::string(999, '\0');
    EXPECT_NO_THROW(propertyText(lists));
}

TEST(BinaryToText, LongStringsKeepDoubleByteCharactersWhole)
{
    const auto text = [](const std::string& value, int page) {
        MemoryStream in(stream(object("TForm1", "", prop("P", value))));
        MemoryStream out;
        binaryToText(in, out, CodePage(page));
        return std::string(out.view());
    };
    // 63 single bytes, then a two-byte character across the 64-character line end.
    const std::string narrow = std::string(63, 'a') + "\x82\xA0" + "b";
    EXPECT_EQ(text(putStr(narrow), 932),
              lines({"object TForm1", "  P = ", "    '" + std::string(63, 'a') + "' +", "    '\x82\xA0" "b'", "end"}));
    EXPECT_EQ(text(putStr(narrow), 1252),
              lines({"object TForm1", "  P = ", "    '" + std::string(63, 'a') + "\x82' +", "    '\xA0" "b'", "end"}));
}

// Units 128 to 255 of a wide string are bytes of the same value only in Windows-1252, whose
// bytes read back as those characters; in other pages they are escaped, and the bytes typed
// into a wide string read back as the page's characters.
TEST(BinaryToText, WideStringsKeepTheirCharactersInEveryPage)
{
    const std::u16string wide = std::u16string(62, u'a') + u"\u00C0\u00C1\u3042";
    const std::string form = stream(object("TForm1", "", prop("P", wideBytes(wide))));
    const auto textOf = [](const std::string& form, int page) {
        MemoryStream in(form);
        MemoryStream out;
        binaryToText(in, out, CodePage::forNumber(page));
        return std::string(out.view());
    };
    const auto text = [&](int page) { return textOf(form, page); };
    const auto binary = [](const std::string& text, int page) {
        MemoryStream in(text);
        MemoryStream out;
        textToBinary(in, out, TextEncoding::CodePage, &CodePage::forNumber(page));
        return std::string(out.view());
    };
    EXPECT_EQ(text(1252), lines({"object TForm1", "  P = ", "    '" + std::string(62, 'a') + "\xC0\xC1' +", "    #12354", "end"}));
    for (const int page : CodePage::numbers()) {
        SCOPED_TRACE(page);
        if (page != 1252) {
            EXPECT_EQ(text(page), lines({"object TForm1", "  P = ", "    '" + std::string(62, 'a') + "'#192#193 +",
                                         "    #12354", "end"}));
        }
        EXPECT_EQ(binary(text(page), page), form);
        // Without a unit beyond 255 a wide string reads back as a narrow one, so it is written as
        // that one is and its text stays put.
        const std::string latin = stream(object("TForm1", "", prop("P", wideBytes(u"#caf\u00E9"))));
        const std::string narrowText = lines({"object TForm1", "  P = '#caf\xE9'", "end"});
        EXPECT_EQ(textOf(latin, page), narrowText);
        EXPECT_EQ(textOf(binary(narrowText, page), page), narrowText);
    }
    // Bytes in a wide string: characters of the page, also in a narrow part joined to it.
    const auto value = [&](const std::string& literal, int page) {
        return binary("object TForm1\r\n  P = " + literal + "\r\nend\r\n", page);
    };
    const std::string cyrillic = "'\xCF'#1055 +\r\n    '\xCF'#233";
    EXPECT_EQ(value(cyrillic, 1251), stream(object("TForm1", "", prop("P", wideBytes(u"\u041F\u041F\u041F\u00E9")))));
    EXPECT_EQ(value(cyrillic, 1252), stream(object("TForm1", "", prop("P", wideBytes(u"\u00CF\u041F\u00CF\u00E9")))));
    EXPECT_EQ(value("'\x82\xA0' + #12354", 932), stream(object("TForm1", "", prop("P", wideBytes(u"\u3042\u3042")))));
    EXPECT_EQ(value("'\xCF\xF0'", 1251), stream(object("TForm1", "", prop("P", putStr("\xCF\xF0")))));
}

}  // namespace
}  // namespace dfm
