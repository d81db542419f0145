// The code page of a form: declared sets, the detector's answers, declarations the strings
// contradict, and the same rule over binary forms.
#include "CodePageGuess.h"
#include "FormPage.h"
#include "FormStrings.h"
#include "MemoryStream.h"
#include "TextToBinary.h"

#include <gtest/gtest.h>

namespace {

using dfm::CodePageChoice;
namespace CodePageGuess = dfm::CodePageGuess;

// Chinese captions in GBK bytes, enough of them for the detector to be sure.
const std::string GbkCaptions[] = {
    "\xB3\xC9\xC6\xB7\xC5\xCC\xB5\xE3\xB5\xA5\xC1\xD0\xB1\xED",  // 成品盘点单列表
    "\xCA\xFD\xC1\xBF", "\xC8\xD5\xC6\xDA", "\xB5\xA5\xBE\xDD\xB1\xE0\xBA\xC5", "\xBF\xCD\xBB\xA7\xC3\xFB\xB3\xC6",
    "\xB2\xE9\xD1\xAF\xCC\xF5\xBC\xFE", "\xB1\xA3\xB4\xE6\xB2\xA2\xCD\xCB\xB3\xF6", "\xC9\xCC\xC6\xB7\xC3\xFB\xB3\xC6",
};
const std::string CyrillicCaptions[] = {
    "\xC4\xE0\xF2\xE0 \xE4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xE0",  // Дата документа
    "\xCF\xEE\xF1\xF2\xE0\xE2\xF9\xE8\xEA", "\xD1\xEE\xF5\xF0\xE0\xED\xE8\xF2\xFC \xE8\xE7\xEC\xE5\xED\xE5\xED\xE8\xFF",
    "\xCE\xF2\xEC\xE5\xED\xE0", "\xCD\xE0\xE8\xEC\xE5\xED\xEE\xE2\xE0\xED\xE8\xE5 \xF2\xEE\xE2\xE0\xF0\xE0",
};

template <std::size_t N>
std::string formText(const std::string& charset, const std::string (&captions)[N])
{
    std::string text = "object F: TF\r\n  Font.Charset = " + charset + "\r\n";
    int n = 0;
    for (const std::string& caption : captions)
        text += "  object L" + std::to_string(++n) + ": TLabel\r\n    Caption = '" + caption + "'\r\n  end\r\n";
    return text + "end\r\n";
}

std::string binaryOf(const std::string& text)
{
    dfm::MemoryStream input(text);
    dfm::MemoryStream output;
    dfm::textToResource(input, output);
    return std::string(output.view());
}

TEST(CodePageGuessTest, EachCharacterSetNamesItsPage)
{
    const struct {
        const char* name;
        const char* number;
        int page;
    } sets[] = {
        {"SHIFTJIS_CHARSET", "128", 932},   {"HANGEUL_CHARSET", "129", 949},  {"GB2312_CHARSET", "134", 936},
        {"CHINESEBIG5_CHARSET", "136", 950}, {"GREEK_CHARSET", "161", 1253},  {"TURKISH_CHARSET", "162", 1254},
        {"VIETNAMESE_CHARSET", "163", 1258}, {"HEBREW_CHARSET", "177", 1255}, {"ARABIC_CHARSET", "178", 1256},
        {"BALTIC_CHARSET", "186", 1257},     {"RUSSIAN_CHARSET", "204", 1251}, {"THAI_CHARSET", "222", 874},
        {"EASTEUROPE_CHARSET", "238", 1250}, {"ANSI_CHARSET", "0", 0},        {"DEFAULT_CHARSET", "1", 0},
        {"SYMBOL_CHARSET", "2", 0},          {"OEM_CHARSET", "255", 0},
    };
    for (const auto& set : sets) {
        EXPECT_EQ(CodePageGuess::pageOfCharset(set.name), set.page) << set.name;
        EXPECT_EQ(CodePageGuess::pageOfCharset(set.number), set.page) << set.number;
        const std::string form = std::string("object F: TF\r\n  Font.Charset = DEFAULT_CHARSET\r\n  object L: TL\r\n"
                                             "    Font.Charset = SYMBOL_CHARSET\r\n    TitleFont.Charset = ")
            + set.name + "\r\n  end\r\nend\r\n";
        EXPECT_EQ(CodePageGuess::declaredPage(form), set.page) << set.name;
        // A binary form's sets, stored as names or numbers, say the same.
        for (const char* value : {set.name, set.number}) {
            std::string text = form;
            text.replace(text.find(set.name), std::string_view(set.name).size(), value);
            dfm::MemoryStream binary(binaryOf(text));
            EXPECT_EQ(dfm::FormPage::binaryEvidence(binary).declared, set.page) << value;
        }
    }
    // The first set that names a page counts; a property that only ends in the letters does not.
    EXPECT_EQ(CodePageGuess::declaredPage("  Font.Charset = 238\r\n  Font.Charset = RUSSIAN_CHARSET\r\n"), 1250);
    EXPECT_EQ(CodePageGuess::declaredPage("  DefaultCharset = RUSSIAN_CHARSET\r\n"), 0);
    EXPECT_EQ(CodePageGuess::declaredPage("  Caption = 'Charset = RUSSIAN_CHARSET'\r\n"), 0);

    // Plain text, and a few symbols, leave the default in force.
    const CodePageChoice english =
        CodePageGuess::guess("object F: TF\r\n  Caption = 'Copyright \xA9 2002, \xA0 all rights'\r\nend\r\n", "", 1251);
    EXPECT_EQ(english.number, 1251);
    EXPECT_EQ(english.source, CodePageChoice::Source::Default);
}

TEST(CodePageGuessTest, StringsThatContradictTheDeclaredSetTakeTheDetectedPage)
{
    const struct {
        std::string text;
        int page;
        CodePageChoice::Source source;
        int declaredInstead;
    } cases[] = {
        // GBK strings in a form that declares Big5: 936, and the declaration named.
        {formText("CHINESEBIG5_CHARSET", GbkCaptions), 936, CodePageChoice::Source::Detected, 950},
        {formText("GB2312_CHARSET", GbkCaptions), 936, CodePageChoice::Source::Declared, 0},
        // Cyrillic bytes in a form that declares a Greek or Chinese set.
        {formText("GREEK_CHARSET", CyrillicCaptions), 1251, CodePageChoice::Source::Detected, 1253},
        {formText("CHINESEBIG5_CHARSET", CyrillicCaptions), 1251, CodePageChoice::Source::Detected, 950},
        {formText("RUSSIAN_CHARSET", CyrillicCaptions), 1251, CodePageChoice::Source::Declared, 0},
        {formText("DEFAULT_CHARSET", CyrillicCaptions), 1251, CodePageChoice::Source::Detected, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        const CodePageChoice choice = CodePageGuess::guess(c.text, "", 1252);
        EXPECT_EQ(choice.number, c.page);
        EXPECT_EQ(choice.source, c.source);
        EXPECT_EQ(choice.declaredInstead, c.declaredInstead);
        // The same form in binary, as the tools read it.
        dfm::MemoryStream binary(binaryOf(c.text));
        EXPECT_EQ(dfm::FormPage::ofBinaryForm(binary, nullptr).number(), c.page);
        EXPECT_EQ(binary.position(), 0);
    }
}

TEST(CodePageGuessTest, TextReadInPiecesGivesThePageOfTheWholeText)
{
    // The declaration falls across each place where a piece of the reading may end, and a NUL
    // byte ends the text the way it ends the reader's.
    const std::string declaration = "  Font.Charset = RUSSIAN_CHARSET\r\n";
    for (std::size_t cut = 0; cut <= declaration.size(); cut += 5) {
        SCOPED_TRACE(cut);
        std::string text = "object F: TF\r\n";
        while (text.size() < 65536 - cut)
            text += "  Caption = 'plain words'\r\n";
        text.resize(65536 - cut);
        text += "\r\n" + declaration + "end\r\n";
        dfm::MemoryStream stream(text);
        EXPECT_EQ(dfm::FormPage::ofFormText(stream, true, {}, nullptr).number(), 1251);
        EXPECT_EQ(stream.position(), 0);
        EXPECT_EQ(dfm::FormPage::ofFormText(stream, false, text, nullptr).number(), 1251);
        const std::string cutOff = "object F: TF\r\n" + std::string(1, '\0') + declaration;
        dfm::MemoryStream ended(cutOff);
        EXPECT_EQ(dfm::FormPage::ofFormText(ended, true, {}, nullptr).number(), dfm::CodePage::system().number());
    }
}

TEST(CodePageGuessTest, AnAsciiFormTakesThePageOfItsUnitFromAFewWords)
{
    const std::string asciiForm = "object Form1: TForm1\r\n  Caption = 'Jegyek'\r\nend\r\n";
    const struct {
        const char* unit;
        int page;
    } cases[] = {
        // Hungarian grades in Windows-1250: 8 bytes beyond ASCII, which the detector calls ISO-8859-2.
        {"S := 'kit\xFBn\xF5'; S := 'j\xF3'; S := 'k\xF6zepes'; S := 'el\xE9gs\xE9ges'; S := 'el\xE9gtelen'; "
         "ShowMessage('Az \xE1tlag: ');", 1250},
        // French and German in Windows-1252 with as few keep the default.
        {"S := 'Pr\xE9\x66\xE9rences'; T := 'Param\xE8tres'; U := 'Aper\xE7u'; V := '\xC9l\xE9ment';", 1252},
        {"S := '\xD6\x66\x66" "nen'; T := 'Schlie\xDF" "en'; U := 'Gr\xF6\xDF\x65 \xE4ndern'; V := 'Zur\xFC" "ck';", 1252},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.unit);
        EXPECT_EQ(CodePageGuess::guess(asciiForm, c.unit, 1252).number, c.page);
    }
}

TEST(CodePageGuessTest, TheDetectorsOtherAnswersNameTheWindowsPageWithTheirLetters)
{
    const std::pair<const char*, int> names[] = {
        {"ISO-8859-2", 1250}, {"ISO-8859-5", 1251}, {"KOI8-R", 1251}, {"MAC-CYRILLIC", 1251}, {"ISO-8859-1", 1252},
        {"ISO-8859-7", 1253}, {"ISO-8859-9", 1254}, {"ISO-8859-8", 1255}, {"ISO-8859-6", 1256}, {"ISO-8859-13", 1257},
        {"TIS-620", 874},     {"EUC-JP", 932},      {"GB18030", 936},    {"UHC", 949},          {"EUC-TW", 950},
        {"UTF-8", 0},         {"ASCII", 0},         {"", 0},
    };
    for (const auto& [name, page] : names)
        EXPECT_EQ(CodePageGuess::pageOfDetectedName(name), page) << name;
}

TEST(FormStringsTest, BinaryAndTextGiveTheSameStringsAsTheirReaderSeesThem)
{
    const std::string text = "object F: TF\r\n  Caption = 'Caf'#233' au lait'\r\n"
                             "  Hint = 'one ' +\r\n    'two'#13#10'three'\r\n"
                             "  Title = #1044#1072'ta'\r\n"
                             "  Picture.Data = {\r\n    0102030405}\r\n"
                             "  Items.Strings = (\r\n    'a'\r\n    'b')\r\n"
                             "  Columns = <\r\n    item\r\n      Caption = 'col'\r\n    end>\r\nend\r\n";
    const std::u16string expected[] = {u"Caf\u00E9 au lait", u"one two\r\nthree", u"\u0414\u0430ta", u"a", u"b", u"col"};
    std::vector<std::u16string> fromText;
    dfm::MemoryStream input(text);
    dfm::readTextFormStrings(input, dfm::TextEncoding::CodePage, dfm::CodePage::forNumber(1252),
                             [&](std::u16string_view string) { fromText.emplace_back(string); });
    EXPECT_EQ(fromText, std::vector<std::u16string>(std::begin(expected), std::end(expected)));

    struct Collect : dfm::FormStringSink {
        std::vector<std::u16string> strings;
        void narrowString(std::string_view bytes) override
        {
            strings.push_back(dfm::CodePage::forNumber(1252).decode(bytes));
        }
        void wideString(std::u16string_view wide) override { strings.emplace_back(wide); }
        void charset(std::string_view) override {}
    } fromBinary;
    dfm::MemoryStream binary(binaryOf(text));
    binary.setPosition(0);
    std::string resource(binary.view());
    dfm::MemoryStream stream(resource.substr(resource.find("TPF0")));
    dfm::readBinaryFormStrings(stream, fromBinary);
    EXPECT_EQ(fromBinary.strings, fromText);
}

}  // namespace
