// The form text tokenizer: token rules, decoding, buffer rules, line numbers and messages.
#include "FormParser.h"
#include "TestSupport.h"

#include <cstring>
#include <optional>
#include <random>
#include <vector>

namespace dfm {
namespace {

struct Token {
    int kind;
    std::string text;
    bool operator==(const Token&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Token& t)
{
    return os << t.kind << ":" << t.text;
}

std::vector<Token> tokens(const std::string& text)
{
    MemoryStream in(text);
    FormParser parser(in);
    std::vector<Token> tokens;
    for (int guard = 0; parser.token() != EndOfText && guard < 1000; ++guard) {
        tokens.push_back({parser.token(), std::string(parser.tokenText())});
        parser.advance();
    }
    return tokens;
}

TEST(FormParser, TokenKinds)
{
    const struct {
        const char* text;
        std::vector<Token> tokens;
    } cases[] = {
        {"object Form1: TForm1", {{Symbol, "object"}, {Symbol, "Form1"}, {':', ":"}, {Symbol, "TForm1"}}},
        {"_a1 = -8", {{Symbol, "_a1"}, {'=', "="}, {IntegerToken, "-8"}}},
        {"$ff $FF -$10", {{IntegerToken, "$ff"}, {IntegerToken, "$FF"}, {IntegerToken, "-"}, {IntegerToken, "$10"}}},
        {"1E5 2.5s 10d 15000c 1-2 1.2.3", {{FloatToken, "1E5"}, {FloatToken, "2.5s"}, {FloatToken, "10d"},
                                           {FloatToken, "15000c"}, {FloatToken, "1-2"}, {FloatToken, "1.2.3"}}},
        {"!\x80(", {{'!', "!"}, {Symbol, "\x80"}, {'(', "("}}},
        {"Bouton\xE9 \xD0\x9A\xD0\xBD" "1: T",
         {{Symbol, "Bouton\xE9"}, {Symbol, "\xD0\x9A\xD0\xBD" "1"}, {':', ":"}, {Symbol, "T"}}},
        {"\t\r\n\x01 x", {{Symbol, "x"}}},
        {"'It''s' 'It'#39's' #13#10 # ''", {{StringToken, "It's"}, {StringToken, "It's"}, {StringToken, "\r\n"},
                                             {StringToken, std::string(1, '\0')}, {StringToken, ""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(tokens(c.text), c.tokens);
    }
    EXPECT_EQ(tokens(std::string("a\0b", 3)), std::vector<Token>({{Symbol, "a"}}));
}

TEST(FormParser, WideStringLiterals)
{
    MemoryStream in("'a'#8364'b' #65601 #256");
    FormParser parser(in);
    EXPECT_EQ(parser.token(), WideStringToken);
    EXPECT_EQ(parser.tokenWideText(), u"a\u20ACb");
    parser.advance();
    EXPECT_EQ(parser.token(), WideStringToken);
    EXPECT_EQ(parser.tokenWideText(), std::u16string(1, static_cast<char16_t>(65601 & 0xFFFF)));
    parser.advance();
    EXPECT_EQ(parser.tokenWideText(), u"\u0100");
}

TEST(FormParser, Numbers)
{
    const auto integer = [](const char* text) {
        MemoryStream in(text);
        return FormParser(in).tokenAsInteger();
    };
    EXPECT_EQ(integer("$ff"), 255);
    EXPECT_EQ(integer("$FFFFFFFF"), -1);
    EXPECT_EQ(integer("$000000000001"), 1);
    EXPECT_EQ(integer("-2147483648"), INT32_MIN);
    EXPECT_EQ(integer("2147483647"), INT32_MAX);
    EXPECT_THROW_MSG(integer("2147483648"), ConvertError, "'2147483648' n'est pas une valeur entière correcte");
    EXPECT_THROW_MSG(integer("$100000000"), ConvertError, "'$100000000' n'est pas une valeur entière correcte");
    EXPECT_THROW_MSG(integer("-$10"), ConvertError, "'-' n'est pas une valeur entière correcte");
    EXPECT_THROW_MSG(integer("$"), ConvertError, "'$' n'est pas une valeur entière correcte");

    MemoryStream in("2.5s 1.2.3");
    FormParser parser(in);
    EXPECT_EQ(parser.floatSuffix(), 's');
    EXPECT_EQ(parser.tokenAsFloat().toSingle(), 2.5f);
    parser.advance();
    EXPECT_EQ(parser.floatSuffix(), 0);
    EXPECT_THROW_MSG(parser.tokenAsFloat(), ConvertError, "'1.2.3' n'est pas une valeur en virgule flottante correcte");
}

TEST(FormParser, ExpectationsNameWhatWasExpected)
{
    MemoryStream in("\n\n42");
    FormParser parser(in);
    EXPECT_THROW_MSG(parser.expectToken(Symbol), ParserError, "Identificateur attendu à la ligne 3");
    EXPECT_THROW_MSG(parser.expectToken(StringToken), ParserError, "Chaîne attendue à la ligne 3");
    EXPECT_THROW_MSG(parser.expectToken(WideStringToken), ParserError, "Chaîne attendue à la ligne 3");
    EXPECT_THROW_MSG(parser.expectToken('='), ParserError, "''='' attendu à la ligne 3");
    EXPECT_THROW_MSG(parser.expectSymbol("OBJECT"), ParserError, "OBJECT attendu à la ligne 3");
    EXPECT_NO_THROW(parser.expectToken(IntegerToken));
    EXPECT_THROW_MSG(parser.expectToken(FloatToken), ParserError, "Nombre attendu à la ligne 3");
    try {
        parser.fail("x");
    } catch (const ParserError& error) {
        EXPECT_EQ(error.line(), 3);
    }
}

TEST(FormParser, SymbolsCompareWithoutAsciiCase)
{
    MemoryStream in("oBjEcT");
    FormParser parser(in);
    EXPECT_TRUE(parser.tokenIsSymbol("OBJECT"));
    EXPECT_FALSE(parser.tokenIsSymbol("OBJECTS"));
    EXPECT_FALSE(parser.tokenIsSymbol("OBJEC"));
}

TEST(FormParser, DottedIdentifiers)
{
    MemoryStream in("DM.Source1.Field_2 x");
    FormParser parser(in);
    EXPECT_EQ(parser.takeDottedIdent(), "DM.Source1.Field_2");
    EXPECT_EQ(parser.advance(), Symbol);
    EXPECT_EQ(parser.tokenText(), "x");
    for (const char* text : {"DM. Source1", "DM.1", "DM."}) {
        MemoryStream bad(text);
        FormParser p(bad);
        EXPECT_THROW_MSG(p.takeDottedIdent(), ParserError, "Identificateur attendu à la ligne 1");
    }
}

TEST(FormParser, UnclosedStringFailsOnItsLine)
{
    for (const char* text : {"x\n'abc\n'", "x\n'abc", "x\n'ab\rc'"}) {
        SCOPED_TRACE(text);
        MemoryStream in(text);
        FormParser parser(in);
        EXPECT_THROW_MSG(parser.advance(), ParserError, "Constante chaîne incorrecte à la ligne 2");
    }
}

TEST(FormParser, HexBlocks)
{
    const auto decode = [](const std::string& text, int* line = nullptr) {
        MemoryStream in(text);
        FormParser parser(in);
        MemoryStream out;
        parser.readHexBlock(out);
        EXPECT_EQ(parser.token(), '}');
        if (line)
            *line = parser.lineNumber();
        return std::string(out.view());
    };
    int line = 0;
    EXPECT_EQ(decode("{0A0b\r\n  0C}", &line), "\x0A\x0B\x0C");
    EXPECT_EQ(line, 2);
    EXPECT_EQ(decode("{}"), "");
    std::string big = "{";
    for (int i = 0; i < 1000; ++i)
        big += "FF";
    EXPECT_EQ(decode(big + "}"), std::string(1000, '\xFF'));
    for (const char* bad : {"{0A0}", "{0 A}", "{0A", "{GG}", "{0A0B\r\n"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW_MSG(decode(bad), ParserError,
                         std::string("Valeur binaire incorrecte à la ligne ") + (std::strchr(bad, '\n') ? "2" : "1"));
    }
}

// The block and blank scanners take sixteen bytes a step, a full line in one go, and the block's
// lines are gathered: on random blocks (digits of either case, line breaks and indentation of any
// length, now and then a byte that is no digit) they must give what a byte-by-byte reading
// gives, the same bytes or the same failing line.
TEST(FormParser, HexBlocksAgreeWithAPlainReading)
{
    const auto plain = [](const std::string& text, int& line) -> std::optional<std::string> {
        std::string bytes;
        line = 1;
        std::size_t p = 1;
        const auto skipBlanks = [&] {
            for (; p < text.size() && static_cast<unsigned char>(text[p]) <= ' '; ++p)
                line += text[p] == '\n';
        };
        for (skipBlanks(); p < text.size() && text[p] != '}'; skipBlanks()) {
            const std::size_t start = p;
            for (; p + 1 < text.size() && ascii::isHexDigit(static_cast<unsigned char>(text[p]))
                   && ascii::isHexDigit(static_cast<unsigned char>(text[p + 1]));
                 p += 2)
                bytes.push_back(static_cast<char>(ascii::hexValue(static_cast<unsigned char>(text[p])) * 16
                                                  + ascii::hexValue(static_cast<unsigned char>(text[p + 1]))));
            if (p == start)
                return std::nullopt;
        }
        if (p == text.size())
            return std::nullopt;
        return bytes;
    };
    std::mt19937 random(19);
    const std::string digits = "0123456789ABCDEFabcdef";
    const std::string others = "G g/:@`'{\x7F\x80\xC3\x01\t";
    for (int round = 0; round < 3000; ++round) {
        std::string text = "{";
        // Now and then a sound block longer than the parser's buffer and than what it gathers at once.
        const bool longBlock = round % 50 == 0;
        const int lines = static_cast<int>(longBlock ? 150 + random() % 100 : random() % 6);
        for (int l = 0; l < lines; ++l) {
            if (l > 0 || random() % 2)
                text += random() % 4 ? "\r\n" : "\n";
            text += std::string(random() % 40, random() % 8 ? ' ' : '\t');
            // Full lines of 64 digits often: those are decoded in one go.
            for (int n = static_cast<int>(longBlock || random() % 3 == 0 ? 64 : random() % 70); n > 0; --n)
                text += digits[random() % digits.size()];
            if (!longBlock && random() % 25 == 0)
                text.insert(text.size() - random() % std::min<std::size_t>(text.size(), 20),
                            1, others[random() % others.size()]);
        }
        if (longBlock || random() % 30 != 0)
            text += random() % 2 ? "\r\n}" : "}";
        SCOPED_TRACE(text);
        int expectedLine = 0;
        const std::optional<std::string> expected = plain(text, expectedLine);
        MemoryStream in(text);
        FormParser parser(in);
        MemoryStream out;
        if (expected) {
            parser.readHexBlock(out);
            EXPECT_EQ(std::string(out.view()), *expected);
            EXPECT_EQ(parser.lineNumber(), expectedLine);
        } else {
            EXPECT_THROW_MSG(parser.readHexBlock(out), ParserError,
                             "Valeur binaire incorrecte à la ligne " + std::to_string(expectedLine));
        }
    }
}

TEST(FormParser, LinesMustFitTheBuffer)
{
    const auto scanAll = [](const std::string& text) {
        MemoryStream in(text);
        FormParser parser(in);
        while (parser.advance() != EndOfText) {
        }
        return parser.lineNumber();
    };
    EXPECT_THROW_MSG(scanAll(std::string(5000, 'a')), ParserError, "Ligne trop longue à la ligne 1");
    EXPECT_NO_THROW(scanAll(std::string(4000, 'a')));
    EXPECT_NO_THROW(scanAll(std::string(4093, 'a') + "\n" + std::string(100, 'c')));
    EXPECT_THROW_MSG(scanAll("x\n" + std::string(4095, 'a') + "\n" + std::string(5000, 'b')), ParserError,
                     "Ligne trop longue à la ligne 2");
    // Many short lines across many refills: every line feed is counted once.
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += "Left = 1\r\n";
    EXPECT_EQ(scanAll(many), 20001);
}

TEST(FormParser, LeavesTheStreamAtTheCurrentToken)
{
    MemoryStream in("object Form1\r\nend rest");
    {
        FormParser parser(in);
        parser.advance();
        parser.advance();
        EXPECT_TRUE(parser.tokenIsSymbol("end"));
    }
    EXPECT_EQ(in.position(), 14);
}

}  // namespace
}  // namespace dfm
