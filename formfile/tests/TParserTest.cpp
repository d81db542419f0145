// The form text tokenizer: token rules, decoding, buffer rules, line numbers and messages.
#include "TParser.h"
#include "TestSupport.h"

#include <cstring>
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

std::vector<Token> Tokens(const std::string& text)
{
    TMemoryStream in(text);
    TParser parser(in);
    std::vector<Token> tokens;
    for (int guard = 0; parser.Token() != EndOfText && guard < 1000; ++guard) {
        tokens.push_back({parser.Token(), std::string(parser.TokenText())});
        parser.Advance();
    }
    return tokens;
}

TEST(TParser, TokenKinds)
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
        {"!\x80(", {{'!', "!"}, {0x80, "\x80"}, {'(', "("}}},
        {"\t\r\n\x01 x", {{Symbol, "x"}}},
        {"'It''s' 'It'#39's' #13#10 # ''", {{StringToken, "It's"}, {StringToken, "It's"}, {StringToken, "\r\n"},
                                             {StringToken, std::string(1, '\0')}, {StringToken, ""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Tokens(c.text), c.tokens);
    }
    EXPECT_EQ(Tokens(std::string("a\0b", 3)), std::vector<Token>({{Symbol, "a"}}));
}

TEST(TParser, WideStringLiterals)
{
    TMemoryStream in("'a'#8364'b' #65601 #256");
    TParser parser(in);
    EXPECT_EQ(parser.Token(), WideStringToken);
    EXPECT_EQ(parser.TokenWideText(), u"a\u20ACb");
    parser.Advance();
    EXPECT_EQ(parser.Token(), WideStringToken);
    EXPECT_EQ(parser.TokenWideText(), std::u16string(1, static_cast<char16_t>(65601 & 0xFFFF)));
    parser.Advance();
    EXPECT_EQ(parser.TokenWideText(), u"\u0100");
}

TEST(TParser, Numbers)
{
    const auto integer = [](const char* text) {
        TMemoryStream in(text);
        return TParser(in).TokenAsInteger();
    };
    EXPECT_EQ(integer("$ff"), 255);
    EXPECT_EQ(integer("$FFFFFFFF"), -1);
    EXPECT_EQ(integer("$000000000001"), 1);
    EXPECT_EQ(integer("-2147483648"), INT32_MIN);
    EXPECT_EQ(integer("2147483647"), INT32_MAX);
    EXPECT_THROW_MSG(integer("2147483648"), EConvertError, "'2147483648' n'est pas une valeur entière correcte");
    EXPECT_THROW_MSG(integer("$100000000"), EConvertError, "'$100000000' n'est pas une valeur entière correcte");
    EXPECT_THROW_MSG(integer("-$10"), EConvertError, "'-' n'est pas une valeur entière correcte");
    EXPECT_THROW_MSG(integer("$"), EConvertError, "'$' n'est pas une valeur entière correcte");

    TMemoryStream in("2.5s 1.2.3");
    TParser parser(in);
    EXPECT_EQ(parser.FloatSuffix(), 's');
    EXPECT_EQ(parser.TokenAsFloat().ToSingle(), 2.5f);
    parser.Advance();
    EXPECT_EQ(parser.FloatSuffix(), 0);
    EXPECT_THROW_MSG(parser.TokenAsFloat(), EConvertError, "'1.2.3' n'est pas une valeur en virgule flottante correcte");
}

TEST(TParser, ExpectationsNameWhatWasExpected)
{
    TMemoryStream in("\n\n42");
    TParser parser(in);
    EXPECT_THROW_MSG(parser.ExpectToken(Symbol), EParserError, "Identificateur attendu à la ligne 3");
    EXPECT_THROW_MSG(parser.ExpectToken(StringToken), EParserError, "Chaîne attendue à la ligne 3");
    EXPECT_THROW_MSG(parser.ExpectToken(WideStringToken), EParserError, "Chaîne attendue à la ligne 3");
    EXPECT_THROW_MSG(parser.ExpectToken('='), EParserError, "''='' attendu à la ligne 3");
    EXPECT_THROW_MSG(parser.ExpectSymbol("OBJECT"), EParserError, "OBJECT attendu à la ligne 3");
    EXPECT_NO_THROW(parser.ExpectToken(IntegerToken));
    EXPECT_THROW_MSG(parser.ExpectToken(FloatToken), EParserError, "Nombre attendu à la ligne 3");
    try {
        parser.Fail("x");
    } catch (const EParserError& error) {
        EXPECT_EQ(error.line(), 3);
    }
}

TEST(TParser, SymbolsCompareWithoutAsciiCase)
{
    TMemoryStream in("oBjEcT");
    TParser parser(in);
    EXPECT_TRUE(parser.TokenIsSymbol("OBJECT"));
    EXPECT_FALSE(parser.TokenIsSymbol("OBJECTS"));
    EXPECT_FALSE(parser.TokenIsSymbol("OBJEC"));
}

TEST(TParser, DottedIdentifiers)
{
    TMemoryStream in("DM.Source1.Field_2 x");
    TParser parser(in);
    EXPECT_EQ(parser.TakeDottedIdent(), "DM.Source1.Field_2");
    EXPECT_EQ(parser.Advance(), Symbol);
    EXPECT_EQ(parser.TokenText(), "x");
    for (const char* text : {"DM. Source1", "DM.1", "DM."}) {
        TMemoryStream bad(text);
        TParser p(bad);
        EXPECT_THROW_MSG(p.TakeDottedIdent(), EParserError, "Identificateur attendu à la ligne 1");
    }
}

TEST(TParser, UnclosedStringFailsOnItsLine)
{
    for (const char* text : {"x\n'abc\n'", "x\n'abc", "x\n'ab\rc'"}) {
        SCOPED_TRACE(text);
        TMemoryStream in(text);
        TParser parser(in);
        EXPECT_THROW_MSG(parser.Advance(), EParserError, "Constante chaîne incorrecte à la ligne 2");
    }
}

TEST(TParser, HexBlocks)
{
    const auto decode = [](const std::string& text, int* line = nullptr) {
        TMemoryStream in(text);
        TParser parser(in);
        TMemoryStream out;
        parser.ReadHexBlock(out);
        EXPECT_EQ(parser.Token(), '}');
        if (line)
            *line = parser.LineNumber();
        return std::string(out.View());
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
        EXPECT_THROW_MSG(decode(bad), EParserError,
                         std::string("Valeur binaire incorrecte à la ligne ") + (std::strchr(bad, '\n') ? "2" : "1"));
    }
}

TEST(TParser, LinesMustFitTheBuffer)
{
    const auto scanAll = [](const std::string& text) {
        TMemoryStream in(text);
        TParser parser(in);
        while (parser.Advance() != EndOfText) {
        }
        return parser.LineNumber();
    };
    EXPECT_THROW_MSG(scanAll(std::string(5000, 'a')), EParserError, "Ligne trop longue à la ligne 1");
    EXPECT_NO_THROW(scanAll(std::string(4000, 'a')));
    EXPECT_NO_THROW(scanAll(std::string(4093, 'a') + "\n" + std::string(100, 'c')));
    EXPECT_THROW_MSG(scanAll("x\n" + std::string(4095, 'a') + "\n" + std::string(5000, 'b')), EParserError,
                     "Ligne trop longue à la ligne 2");
    // Many short lines across many refills: every line feed is counted once.
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += "Left = 1\r\n";
    EXPECT_EQ(scanAll(many), 20001);
}

TEST(TParser, LeavesTheStreamAtTheCurrentToken)
{
    TMemoryStream in("object Form1\r\nend rest");
    {
        TParser parser(in);
        parser.Advance();
        parser.Advance();
        EXPECT_TRUE(parser.TokenIsSymbol("end"));
    }
    EXPECT_EQ(in.Position(), 14);
}

}  // namespace
}  // namespace dfm
