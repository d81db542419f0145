// Form text -> binary form stream: the grammar, value mapping, messages with lines, the header.
#include "FileStream.h"
#include "FormBuilder.h"
#include "TempFolder.h"
#include "TestSupport.h"
#include "ValueTag.h"

#include <unistd.h>

#include <fstream>
#include <iterator>

namespace dfm {
namespace {

using namespace test;

std::string propertyBinary(const std::string& valueText)
{
    return textBinary("object Form1: TForm1\r\n  P = " + valueText + "\r\nend\r\n");
}

std::string Expected(const std::string& value)
{
    return stream(object("TForm1", "Form1", prop("P", value)));
}

TEST(TextToBinary, HeadersAndObjects)
{
    EXPECT_EQ(textBinary("object Form1: TForm1 end"), textBinary("OBJECT Form1 : TForm1\r\nEND"));
    EXPECT_EQ(textBinary("object TForm1 end"), stream(object("TForm1", "", "")));
    EXPECT_EQ(textBinary("object B: TB [0] end"), stream(object("TB", "B", "", "", std::string("\xF2\x02\x00", 3))));
    EXPECT_EQ(textBinary("object B: TB [-3] end"), stream(object("TB", "B", "")));
    EXPECT_EQ(textBinary("inherited B: TB [5] end"), stream(object("TB", "B", "", "", "\xF3\x02\x05")));
    EXPECT_EQ(textBinary("INLINE Frame21: TFrame2 end"), stream(object("TFrame2", "Frame21", "", "", "\xF4")));
    EXPECT_EQ(textBinary("object F: TF\r\n  Left = 1\r\n  inline A: TA\r\n  end\r\n  object B: TB end\r\nend"),
              stream(object("TF", "F", prop("Left", int8(1)),
                            object("TA", "A", "", "", "\xF4") + object("TB", "B", ""))));
    // Anything after the root's end is not looked at.
    EXPECT_EQ(textBinary("object TForm1 end garbage ! {"), stream(object("TForm1", "", "")));
    // A word that opens no object is a property, even in object position of the property list.
    EXPECT_EQ(textBinary("object T\r\n  Objects = 1\r\nend"), stream(object("T", "", prop("Objects", int8(1)))));
}

TEST(TextToBinary, ValueMapping)
{
    const struct {
        const char* text;
        std::string value;
    } cases[] = {
        {"-8", int8(-8)},
        {"200", "\x03" + le(200, 2)},
        {"100000", "\x04" + le(100000, 4)},
        {"$FF", "\x03" + le(255, 2)},
        {"$FFFFFFFF", int8(-1)},
        {"15000c", "\x10" + le(15000, 8)},
        {"2.5s", "\x0F" + le(0x40200000, 4)},
        {"1.5d", "\x11" + le(0x3FF8000000000000u, 8)},
        {"2.5", "\x05" + le(0xA000000000000000u, 8) + le(0x4000, 2)},
        {"10000000000", "\x05" + le(0x9502F90000000000u, 8) + le(0x3FFF + 33, 2)},
        {"-2147483649", "\x05" + le(0x8000000100000000u, 8) + le(0x8000 | (0x3FFF + 31), 2)},
        {"clRed", "\x07" + encodedName("clRed")},
        {"DM.Source1", "\x07" + encodedName("DM.Source1")},
        {".Owner", "\x07" + encodedName(".Owner")},
        {".Owner.Panel_2", "\x07" + encodedName(".Owner.Panel_2")},
        {"TRUE", "\x09"},
        {"nil", "\x0D"},
        {"'a' + 'b' + 'c'", putStr("abc")},
        {"'x'#8364", wideBytes(u"x\u20AC")},
        {"'a' +\r\n    'x'#8364 + 'b'", wideBytes(u"ax\u20ACb")},
        {"#233'x' + #8364", wideBytes(u"\u00E9x\u20AC")},
        {"[]", "\x0B" + std::string(1, '\0')},
        {"[fsBold, fsItalic]", "\x0B" + encodedName("fsBold") + encodedName("fsItalic") + std::string(1, '\0')},
        {"()", "\x01" + std::string(1, '\0')},
        {"('a' 1)", "\x01" + putStr("a") + int8(1) + std::string(1, '\0')},
        {"<>", "\x0E" + std::string(1, '\0')},
        {"<item [-1] end item [-2] A = 1 end item [3] end>",
         "\x0E\x01" + std::string(1, '\0') + int8(-2) + "\x01" + prop("A", int8(1)) + std::string(1, '\0') + int8(3)
             + "\x01" + std::string(2, '\0')},
        {"{}", "\x0A" + le(0, 4)},
        {"{0a FF}", "\x0A" + le(2, 4) + "\x0A\xFF"},
        // On either side of what a simple line holds (nine digits, a word, one quoted run of
        // printable ASCII, then the line's end).
        {"123456789", "\x04" + le(123456789, 4)},
        {"-123456789", "\x04" + le(static_cast<std::uint32_t>(-123456789), 4)},
        {"1234567890", "\x04" + le(1234567890, 4)},
        {"-128", int8(-128)},
        {"-129", "\x03" + le(static_cast<std::uint16_t>(-129), 2)},
        {"-0", int8(0)},
        {"007", int8(7)},
        {"false", "\x08"},
        {"Ab_1", "\x07" + encodedName("Ab_1")},
        {"''", putStr("")},
        {"'it''s'", putStr("it's")},
        {"'a'\r\n    + 'b'", putStr("ab")},
        {"'a'\r\n\r\n  +'b'", putStr("ab")},
        {"'tab\there'", putStr("tab\there")},
        {"'~\x7F\x80'", putStr("~\x7F\x80")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(propertyBinary(c.text), Expected(c.value));
    }
    std::string parts = "'";
    for (int i = 0; i < 5; ++i)
        parts += std::string(60, 'x') + "' + '";
    EXPECT_EQ(propertyBinary(parts + "'"), Expected(putStr(std::string(300, 'x'))));
    EXPECT_EQ(textBinary("object T\r\n  Font . Name = 1\r\nend"), stream(object("T", "", prop("Font.Name", int8(1)))));
    EXPECT_EQ(textBinary("object T\n  A = 5\n  B = 'x'\n  C = x\nend"),
              textBinary("object T\r\n  A=5\r\n  B  =  'x'\r\n  C =x\r\nend"));
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
        {"object A\r\n  P = .\r\nend", "Identificateur attendu à la ligne 2"},
        {"object A\r\n  P = . Owner", "Identificateur attendu à la ligne 2"},
        {"object A\r\n  P = ..Owner", "Identificateur attendu à la ligne 2"},
        {"object A\r\n  P = .1", "Identificateur attendu à la ligne 2"},
        {"object A\r\n  object B end\r\n  Left = 1\r\nend", "OBJECT attendu à la ligne 3"},
        {"object A\r\n  Left = 1\r\n", "Identificateur attendu à la ligne 3"},
        {"object A\r\n  P = {0A\r\n 0}", "Valeur binaire incorrecte à la ligne 3"},
        {"object A end\r\n'unclosed", "Constante chaîne incorrecte à la ligne 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_THROW_MSG(textBinary(c.text), ParserError, c.message);
    }
    // A class name's length byte may not reach the object prefix tags.
    const std::string longest(MaxClassNameLength, 'T');
    EXPECT_EQ(textBinary("object A: " + longest + " end"), stream(object(longest, "A", "")));
    EXPECT_THROW_MSG(textBinary("object A:\r\n " + longest + "x end"), ParserError, "Nom de classe trop long à la ligne 2");
    EXPECT_THROW_MSG(textBinary("object\r\n " + std::string(300, 'T') + "\r\nend"), ParserError,
                     "Nom de classe trop long à la ligne 2");
    EXPECT_THROW_MSG(propertyBinary("1.2.3"), ConvertError, "'1.2.3' n'est pas une valeur en virgule flottante correcte");
    EXPECT_THROW_MSG(propertyBinary("-"), ConvertError, "'-' n'est pas une valeur entière correcte");
    EXPECT_THROW_MSG(propertyBinary("1E30c"), ConvertError, "'1E30c' n'est pas une valeur en virgule flottante correcte");
    EXPECT_THROW_MSG(propertyBinary("1E39s"), ConvertError, "'1E39s' n'est pas une valeur en virgule flottante correcte");
    EXPECT_THROW_MSG(propertyBinary("-1E309d"), ConvertError, "'-1E309d' n'est pas une valeur en virgule flottante correcte");
    EXPECT_THROW_MSG(propertyBinary("1E5000"), ConvertError, "'1E5000' n'est pas une valeur en virgule flottante correcte");
    EXPECT_THROW_MSG(textBinary("object A [99999999999] end"), ConvertError,
                     "'99999999999' n'est pas une valeur entière correcte");
}

TEST(TextToBinary, Utf8TextGivesWideStringsForWhatLiesBeyondAscii)
{
    const std::string mark = "\xEF\xBB\xBF";
    const auto form = [](std::string_view name, const std::string& value) {
        return stream(object("TForm1", name, prop("Caption", value)));
    };
    const struct {
        const char* name;
        std::string text;
        std::string binary;
    } cases[] = {
        {"ASCII stays narrow", mark + "object F: TForm1\r\n  Caption = 'abc'\r\nend", form("F", putStr("abc"))},
        {"no mark", "object F: TForm1\n  Caption = 'abc'\nend", form("F", putStr("abc"))},
        {"Cyrillic", mark + "object F: TForm1\n  Caption = '\xD0\x9F\xD1\x80'\nend", form("F", wideBytes(u"\u041F\u0440"))},
        {"joined with ASCII and #n", "object F: TForm1\n  Caption = 'Caf' + '\xC3\xA9'#8364''''\nend",
         form("F", wideBytes(u"Caf\u00E9\u20AC'"))},
        {"outside the basic plane", "object F: TForm1\n  Caption = '\xF0\x9F\x98\x80'\nend",
         form("F", wideBytes(u"\U0001F600"))},
        {"a name keeps its bytes", mark + "object \xD0\xA4: TForm1\n  Caption = 'a'\nend", form("\xD0\xA4", putStr("a"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(textBinary(c.text, TextEncoding::Utf8), c.binary);
    }
    EXPECT_THROW_MSG(textBinary("object F: TForm1\n\n  Caption = '\xC3('\nend", TextEncoding::Utf8), ParserError,
                     "Séquence UTF-8 incorrecte à la ligne 3");
    EXPECT_THROW_MSG(textBinary("object F: TForm1\n  Caption = '\xED\xA0\x80'\nend", TextEncoding::Utf8), ParserError,
                     "Séquence UTF-8 incorrecte à la ligne 2");
    // In the code page a mark is no token, and the bytes of a literal are characters of their own.
    EXPECT_THROW_MSG(textBinary(mark + "object F: TForm1\nend"), ParserError, "OBJECT attendu à la ligne 1");
    EXPECT_EQ(textBinary("object F: TForm1\n  Caption = '\xC3\xA9'\nend"), form("F", putStr("\xC3\xA9")));
}

TEST(TextToBinary, KeepsWhatWasWrittenBeforeAFailure)
{
    MemoryStream in("object Form1: TForm1\r\n  Left = 1\r\n  Top = ?\r\nend");
    MemoryStream out;
    EXPECT_THROW(textToBinary(in, out), ParserError);
    EXPECT_EQ(out.view(), "TPF0" + encodedName("TForm1") + encodedName("Form1") + prop("Left", int8(1)) + encodedName("Top"));
}

TEST(TextToBinary, HostileNestingIsRefused)
{
    std::string lists;
    for (int i = 0; i < 1000000; ++i)
        lists += "(\r\n";
    EXPECT_THROW_MSG(propertyBinary(lists), ParserError, "Form nesting deeper than 1000 levels à la ligne 1001");
    EXPECT_NO_THROW(propertyBinary(std::string(999, '(') + std::string(999, ')')));
    std::string objects;
    for (int i = 0; i < 1001; ++i)
        objects += "object A\r\n";
    EXPECT_THROW_MSG(textBinary(objects), ParserError, "Form nesting deeper than 1000 levels à la ligne 1001");
}

TEST(TextToResource, PutsTheHeaderInFront)
{
    const auto resource = [](const std::string& text) {
        MemoryStream in(text);
        MemoryStream out;
        textToResource(in, out);
        return std::string(out.view());
    };
    const std::string stream = textBinary("object Form1: TForm1\r\nend");
    EXPECT_EQ(resource("object Form1: TForm1\r\nend"),
              hexBytes("FF 0A 00 54 46 4F 52 4D 31 00 30 10") + le(stream.size(), 4) + stream);
    EXPECT_EQ(resource("inherited Form1: TForm1 [2] end").substr(0, 10), hexBytes("FF 0A 00 54 46 4F 52 4D 31 00"));
    EXPECT_EQ(resource("inherited Form1: TForm1 [300] end").substr(0, 10), hexBytes("FF 0A 00 54 46 4F 52 4D 31 00"));
    EXPECT_EQ(resource("object " + std::string(70, 'c') + " end").substr(3, 71), std::string(70, 'C') + '\0');
}

TEST(TextToResource, WritesNothingOnFailure)
{
    for (const std::string& text : {std::string("object Form1: TForm1\r\n  Left = ?\r\nend"),
                                    "object " + std::string(71, 'c') + " end"}) {
        MemoryStream in(text);
        MemoryStream out;
        EXPECT_THROW(textToResource(in, out), FormError);
        EXPECT_EQ(out.byteCount(), 0u);
    }
    MemoryStream in("object " + std::string(71, 'c') + " end");
    MemoryStream out;
    EXPECT_THROW_MSG(textToResource(in, out), WriteError,
                     "The class name of the root object is longer than 70 characters");
}

// A file or memory takes the form stream straight behind its header, whose size is filled in
// last; a pipe gets the whole file at once. Every output must hold the same bytes, and none may
// keep anything of a form that fails, even one that fails long after its header went out.
TEST(TextToResource, EveryKindOfOutputGetsTheSameBytesOrNothing)
{
    std::string big = "object Form1: TForm1\r\n";
    for (int i = 0; i < 3000; ++i)
        big += "  Caption" + std::to_string(i) + " = 'Some text of a caption'\r\n";
    const std::string good[] = {"object Form1: TForm1\r\nend", big + "end\r\n"};
    const std::string bad[] = {"object Form1: TForm1\r\n  Left = ?\r\nend", big + "  Left = ?\r\nend\r\n",
                               "object " + std::string(71, 'c') + " end"};
    const std::string prefix = "kept";

    const auto throughMemory = [&](const std::string& text) {
        MemoryStream in(text);
        MemoryStream out(prefix);
        out.seek(0, SeekOrigin::End);
        try {
            textToResource(in, out);
        } catch (const FormError&) {
        }
        return std::string(out.view());
    };
    TempFolder folder;
    const auto readFile = [](const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    const auto throughFile = [&](const std::string& text) {
        const std::string path = folder.file("out.dfm");
        {
            MemoryStream in(text);
            FileStream out(path, FileStream::Mode::Create);
            out.writeBuffer(prefix.data(), prefix.size());
            try {
                textToResource(in, out);
            } catch (const FormError&) {
            }
            out.writeBuffer("!", 1);  // the stream stands where the form ends, or where it began
        }
        std::string bytes = readFile(path);
        EXPECT_EQ(bytes.back(), '!');
        bytes.pop_back();
        return bytes;
    };
    const auto throughPipe = [&](const std::string& text) {
        int ends[2];
        EXPECT_EQ(::pipe(ends), 0);
        {
            MemoryStream in(text);
            FileStream out{PosixFile(ends[1])};
            // A pipe holds 64 KiB: the form must be smaller, as nothing reads it meanwhile.
            EXPECT_LT(text.size(), 60000u);
            out.writeBuffer(prefix.data(), prefix.size());
            try {
                textToResource(in, out);
            } catch (const FormError&) {
            }
        }
        FileStream in{PosixFile(ends[0])};
        std::string bytes;
        char chunk[4096];
        while (const std::size_t n = in.read(chunk, sizeof chunk))
            bytes.append(chunk, n);
        return bytes;
    };

    for (const std::string& text : good) {
        const std::string stream = textBinary(text);
        const std::string expected = prefix + hexBytes("FF 0A 00 54 46 4F 52 4D 31 00 30 10") + le(stream.size(), 4) + stream;
        EXPECT_EQ(throughMemory(text), expected);
        EXPECT_EQ(throughFile(text), expected);
        if (text.size() < 60000) {
            EXPECT_EQ(throughPipe(text), expected);
        }
    }
    for (const std::string& text : bad) {
        EXPECT_EQ(throughMemory(text), prefix) << text.size();
        EXPECT_EQ(throughFile(text), prefix) << text.size();
        if (text.size() < 60000) {
            EXPECT_EQ(throughPipe(text), prefix) << text.size();
        }
    }
}

}  // namespace
}  // namespace dfm
