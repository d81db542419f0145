// Form text -> binary form stream: the grammar, value mapping, messages with lines, the header.
#include "FormBuilder.h"
#include "TestSupport.h"

namespace dfm {
namespace {

using namespace test;

std::string PropertyBinary(const std::string& valueText)
{
    return TextBinary("object Form1: TForm1\r\n  P = " + valueText + "\r\nend\r\n");
}

std::string Expected(const std::string& value)
{
    return Stream(Object("TForm1", "Form1", Prop("P", value)));
}

TEST(TextToBinary, HeadersAndObjects)
{
    EXPECT_EQ(TextBinary("object Form1: TForm1 end"), TextBinary("OBJECT Form1 : TForm1\r\nEND"));
    EXPECT_EQ(TextBinary("object TForm1 end"), Stream(Object("TForm1", "", "")));
    EXPECT_EQ(TextBinary("object B: TB [0] end"), Stream(Object("TB", "B", "", "", std::string("\xF2\x02\x00", 3))));
    EXPECT_EQ(TextBinary("object B: TB [-3] end"), Stream(Object("TB", "B", "")));
    EXPECT_EQ(TextBinary("inherited B: TB [5] end"), Stream(Object("TB", "B", "", "", "\xF3\x02\x05")));
    EXPECT_EQ(TextBinary("INLINE Frame21: TFrame2 end"), Stream(Object("TFrame2", "Frame21", "", "", "\xF4")));
    EXPECT_EQ(TextBinary("object F: TF\r\n  Left = 1\r\n  inline A: TA\r\n  end\r\n  object B: TB end\r\nend"),
              Stream(Object("TF", "F", Prop("Left", Int8(1)),
                            Object("TA", "A", "", "", "\xF4") + Object("TB", "B", ""))));
    // Anything after the root's end is not looked at.
    EXPECT_EQ(TextBinary("object TForm1 end garbage ! {"), Stream(Object("TForm1", "", "")));
    // A word that opens no object is a property, even in object position of the property list.
    EXPECT_EQ(TextBinary("object T\r\n  Objects = 1\r\nend"), Stream(Object("T", "", Prop("Objects", Int8(1)))));
}

TEST(TextToBinary, ValueMapping)
{
    const struct {
        const char* text;
        std::string value;
    } cases[] = {
        {"-8", Int8(-8)},
        {"200", "\x03" + Le(200, 2)},
        {"100000", "\x04" + Le(100000, 4)},
        {"$FF", "\x03" + Le(255, 2)},
        {"$FFFFFFFF", Int8(-1)},
        {"15000c", "\x10" + Le(15000, 8)},
        {"2.5s", "\x0F" + Le(0x40200000, 4)},
        {"1.5d", "\x11" + Le(0x3FF8000000000000u, 8)},
        {"2.5", "\x05" + Le(0xA000000000000000u, 8) + Le(0x4000, 2)},
        {"10000000000", "\x05" + Le(0x9502F90000000000u, 8) + Le(0x3FFF + 33, 2)},
        {"-2147483649", "\x05" + Le(0x8000000100000000u, 8) + Le(0x8000 | (0x3FFF + 31), 2)},
        {"clRed", "\x07" + Name("clRed")},
        {"DM.Source1", "\x07" + Name("DM.Source1")},
        {"TRUE", "\x09"},
        {"nil", "\x0D"},
        {"'a' + 'b' + 'c'", Str("abc")},
        {"'x'#8364", Wide(u"x\u20AC")},
        {"'a' +\r\n    'x'#8364 + 'b'", Wide(u"ax\u20ACb")},
        {"#233'x' + #8364", Wide(u"\u00E9x\u20AC")},
        {"[]", "\x0B" + std::string(1, '\0')},
        {"[fsBold, fsItalic]", "\x0B" + Name("fsBold") + Name("fsItalic") + std::string(1, '\0')},
        {"()", "\x01" + std::string(1, '\0')},
        {"('a' 1)", "\x01" + Str("a") + Int8(1) + std::string(1, '\0')},
        {"<>", "\x0E" + std::string(1, '\0')},
        {"<item [-1] end item [-2] A = 1 end item [3] end>",
         "\x0E\x01" + std::string(1, '\0') + Int8(-2) + "\x01" + Prop("A", Int8(1)) + std::string(1, '\0') + Int8(3)
             + "\x01" + std::string(2, '\0')},
        {"{}", "\x0A" + Le(0, 4)},
        {"{0a FF}", "\x0A" + Le(2, 4) + "\x0A\xFF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PropertyBinary(c.text), Expected(c.value));
    }
    std::string parts = "'";
    for (int i = 0; i < 5; ++i)
        parts += std::string(60, 'x') + "' + '";
    EXPECT_EQ(PropertyBinary(parts + "'"), Expected(Str(std::string(300, 'x'))));
    EXPECT_EQ(TextBinary("object T\r\n  Font . Name = 1\r\nend"), Stream(Object("T", "", Prop("Font.Name", Int8(1)))));
}

TEST(TextToBinary, ErrorsNameTheirLine)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"", "OBJECT attendu à la ligne 1"},
        {" \r\n\r\n  \r\n", "OBJECT attendu à la ligne 4"},
        {"form Form1: TForm1", "OBJECT attendu à la ligne 1"},
        {"object\r\n 1", "Identificateur attendu à la ligne 2"},
        {"object A:\r\n 1", "Identificateur attendu à la ligne 2"},
        {"object A [x]", "Nombre attendu à la ligne 1"},
        {"object A [1 end", "'']'' attendu à la ligne 1"},
        {"object A\r\n  Left 1", "''='' attendu à la ligne 2"},
        {"object A\r\n  Left =\r\n", "Valeur de propriété incorrecte à la ligne 3"},
        {"object A\r\n  Left = =", "Valeur de propriété incorrecte à la ligne 2"},
        {"object A\r\n  P = (1\r\n", "Valeur de propriété incorrecte à la ligne 3"},
        {"object A\r\n  P = 'a' + 1", "Chaîne attendue à la ligne 2"},
        {"object A\r\n  P = [akLeft,]", "Identificateur attendu à la ligne 2"},
        {"object A\r\n  P = [akLeft akTop]", "'','' attendu à la ligne 2"},
        {"object A\r\n  P = <\r\n  thing end>", "item attendu à la ligne 3"},
        {"object A\r\n  P = DM .Source1", "Identificateur attendu à la ligne 2"},
        {"object A\r\n  P = DM. Source1", "Identificateur attendu à la ligne 2"},
        {"object A\r\n  object B end\r\n  Left = 1\r\nend", "OBJECT attendu à la ligne 3"},
        {"object A\r\n  Left = 1\r\n", "Identificateur attendu à la ligne 3"},
        {"object A\r\n  P = {0A\r\n 0}", "Valeur binaire incorrecte à la ligne 3"},
        {"object A end\r\n'unclosed", "Constante chaîne incorrecte à la ligne 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_THROW_MSG(TextBinary(c.text), EParserError, c.message);
    }
    EXPECT_THROW_MSG(PropertyBinary("1.2.3"), EConvertError, "'1.2.3' n'est pas une valeur en virgule flottante correcte");
    EXPECT_THROW_MSG(PropertyBinary("-"), EConvertError, "'-' n'est pas une valeur entière correcte");
    EXPECT_THROW_MSG(PropertyBinary("1E30c"), EConvertError, "'1E30c' n'est pas une valeur en virgule flottante correcte");
    EXPECT_THROW_MSG(PropertyBinary("1E39s"), EConvertError, "'1E39s' n'est pas une valeur en virgule flottante correcte");
    EXPECT_THROW_MSG(PropertyBinary("-1E309d"), EConvertError, "'-1E309d' n'est pas une valeur en virgule flottante correcte");
    EXPECT_THROW_MSG(PropertyBinary("1E5000"), EConvertError, "'1E5000' n'est pas une valeur en virgule flottante correcte");
    EXPECT_THROW_MSG(TextBinary("object A [99999999999] end"), EConvertError,
                     "'99999999999' n'est pas une valeur entière correcte");
}

TEST(TextToBinary, KeepsWhatWasWrittenBeforeAFailure)
{
    TMemoryStream in("object Form1: TForm1\r\n  Left = 1\r\n  Top = ?\r\nend");
    TMemoryStream out;
    EXPECT_THROW(TextToBinary(in, out), EParserError);
    EXPECT_EQ(out.View(), "TPF0" + Name("TForm1") + Name("Form1") + Prop("Left", Int8(1)) + Name("Top"));
}

TEST(TextToBinary, HostileNestingIsRefused)
{
    std::string lists;
    for (int i = 0; i < 1000000; ++i)
        lists += "(\r\n";
    EXPECT_THROW_MSG(PropertyBinary(lists), EParserError, "Form nesting deeper than 1000 levels à la ligne 1001");
    EXPECT_NO_THROW(PropertyBinary(std::string(999, '(') + std::string(999, ')')));
    std::string objects;
    for (int i = 0; i < 1001; ++i)
        objects += "object A\r\n";
    EXPECT_THROW_MSG(TextBinary(objects), EParserError, "Form nesting deeper than 1000 levels à la ligne 1001");
}

TEST(TextToResource, PutsTheHeaderInFront)
{
    const auto resource = [](const std::string& text) {
        TMemoryStream in(text);
        TMemoryStream out;
        TextToResource(in, out);
        return std::string(out.View());
    };
    const std::string stream = TextBinary("object Form1: TForm1\r\nend");
    EXPECT_EQ(resource("object Form1: TForm1\r\nend"),
              Bytes("FF 0A 00 54 46 4F 52 4D 31 00 30 10") + Le(stream.size(), 4) + stream);
    EXPECT_EQ(resource("inherited Form1: TForm1 [2] end").substr(0, 10), Bytes("FF 0A 00 54 46 4F 52 4D 31 00"));
    EXPECT_EQ(resource("inherited Form1: TForm1 [300] end").substr(0, 10), Bytes("FF 0A 00 54 46 4F 52 4D 31 00"));
    EXPECT_EQ(resource("object " + std::string(70, 'c') + " end").substr(3, 71), std::string(70, 'C') + '\0');
}

TEST(TextToResource, WritesNothingOnFailure)
{
    for (const std::string& text : {std::string("object Form1: TForm1\r\n  Left = ?\r\nend"),
                                    "object " + std::string(71, 'c') + " end"}) {
        TMemoryStream in(text);
        TMemoryStream out;
        EXPECT_THROW(TextToResource(in, out), EFormError);
        EXPECT_EQ(out.ByteCount(), 0u);
    }
    TMemoryStream in("object " + std::string(71, 'c') + " end");
    TMemoryStream out;
    EXPECT_THROW_MSG(TextToResource(in, out), EWriteError,
                     "The class name of the root object is longer than 70 characters");
}

}  // namespace
}  // namespace dfm
