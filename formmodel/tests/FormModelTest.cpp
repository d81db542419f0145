// The model's view of a form: nodes, properties, typed values and their readable forms; what it
// refuses, and forms as deep and wide as the converters take.
#include "CollectionItem.h"
#include "FormBuilder.h"
#include "ModelTestSupport.h"
#include "TestSupport.h"

#include <functional>

namespace dfm {
namespace {

using namespace test;

const std::string EveryKind = lines({
    "object MainForm: TMainForm",
    "  Left = 5",
    "  Top = 300",
    "  Width = 70000",
    "  Ratio = 1.5",
    "  Small = 1.5s",
    "  Money = 15000c",
    "  When = 2.25d",
    "  Big = 12345678901",
    "  Caption = 'Hello'",
    "  Wide = 'A'#1234",
    "  Align = alClient",
    "  Visible = True",
    "  Enabled = false",
    "  PopupMenu = nil",
    "  Anchors = [akLeft, akTop]",
    "  Empty = []",
    "  Items.Strings = (",
    "    'one'",
    "    2)",
    "  Columns = <",
    "    item [3]",
    "      Width = 10",
    "    end",
    "    item",
    "    end>",
    "  Data = {0102FF}",
    "  inherited Panel: TPanel [2]",
    "  end",
    "  inline Frame: TFrame",
    "    object Button: TButton",
    "    end",
    "  end",
    "end",
});

struct Expected {
    const char* name;
    ValueTag kind;
    const char* text;
};

TEST(FormModel, ValuesKeepTheirStoredKindAndShowTheirText)
{
    const Expected cases[] = {
        {"Left", Int8, "5"},
        {"Top", Int16, "300"},
        {"Width", Int32, "70000"},
        {"Ratio", Extended, "1.5"},
        {"Small", Single, "1.5"},
        {"Money", Currency, "15000"},
        {"When", Date, "2.25"},
        {"Big", Extended, "12345678901"},
        {"Caption", ShortString, "Hello"},
        {"Wide", WideString, "A\xD3\x92"},
        {"Align", Identifier, "alClient"},
        {"Visible", True, "True"},
        {"Enabled", False, "False"},
        {"PopupMenu", Nil, "nil"},
        {"Anchors", Set, "[akLeft, akTop]"},
        {"Empty", Set, "[]"},
        {"Items.Strings", List, ""},
        {"Columns", Collection, ""},
        {"Data", Binary, ""},
    };
    for (const FormModel& model : {textModel(EveryKind), binaryModel(textBinary(EveryKind))}) {
        const FormNode root = model.root();
        ASSERT_EQ(root.properties().size(), std::size(cases));
        for (const Expected& expected : cases) {
            SCOPED_TRACE(expected.name);
            const auto property = root.findProperty(expected.name);
            ASSERT_TRUE(property);
            EXPECT_EQ(property->name(), expected.name);
            EXPECT_EQ(property->value().kind(), expected.kind);
            EXPECT_EQ(property->value().text(), expected.text);
        }
    }
}

TEST(FormModel, CompoundValuesShowTheirParts)
{
    const FormModel model = textModel(EveryKind);
    const FormNode root = model.root();
    EXPECT_EQ(root.findProperty("TOP")->value().integer(), 300);
    EXPECT_EQ(root.findProperty("top")->value().bytes().size(), 2u);
    EXPECT_FALSE(root.findProperty("Caption")->value().integer());
    EXPECT_FALSE(root.findProperty("NoSuchProperty"));

    std::vector<std::string> elements;
    for (const FormValue element : root.findProperty("items.strings")->value().elements())
        elements.push_back(element.text());
    EXPECT_EQ(elements, (std::vector<std::string>{"one", "2"}));

    const auto items = root.findProperty("Columns")->value().items();
    ASSERT_EQ(items.size(), 2u);
    const CollectionItem first = *items.begin();
    EXPECT_EQ(first.order()->kind(), Int8);
    EXPECT_EQ(first.order()->integer(), 3);
    EXPECT_EQ(first.findProperty("width")->value().integer(), 10);
    EXPECT_FALSE((*++items.begin()).order());
    EXPECT_TRUE((*++items.begin()).properties().empty());

    const auto data = root.findProperty("Data")->value().bytes();
    EXPECT_EQ(std::vector<unsigned char>(data.begin(), data.end()), (std::vector<unsigned char>{1, 2, 0xFF}));
    EXPECT_EQ(root.findProperty("Anchors")->value().setElements(), (std::vector<std::string_view>{"akLeft", "akTop"}));
}

TEST(FormModel, NodesKeepTheirKindNameClassAndOrder)
{
    const FormModel model = textModel(EveryKind);
    const FormNode root = model.root();
    EXPECT_EQ(root.name(), "MainForm");
    EXPECT_EQ(root.className(), "TMainForm");
    EXPECT_EQ(root.flags(), 0u);
    EXPECT_FALSE(root.parent());
    EXPECT_EQ(model.nodeCount(), 4u);
    std::vector<std::string_view> names;
    for (const FormNode node : model.nodes())
        names.push_back(node.name());
    EXPECT_EQ(names, (std::vector<std::string_view>{"MainForm", "Panel", "Frame", "Button"}));

    std::vector<FormNode> children(root.children().begin(), root.children().end());
    ASSERT_EQ(children.size(), 2u);
    EXPECT_TRUE(children[0].isInherited());
    EXPECT_EQ(children[0].order()->integer(), 2);
    EXPECT_EQ(children[0].name(), "Panel");
    EXPECT_TRUE(children[1].isInline());
    EXPECT_FALSE(children[1].order());
    EXPECT_EQ(children[1].parent()->index(), root.index());
    const FormNode button = *children[1].children().begin();
    EXPECT_EQ(button.className(), "TButton");
    EXPECT_EQ(button.parent()->name(), "Frame");
    EXPECT_TRUE(button.children().empty());
}

// Kinds and widths that only the binary form has, or that the text would not write, stay as
// they are: the bytes written back are those read.
TEST(FormModel, BinaryOnlyKindsAndWidthsAreKept)
{
    const std::string stream = test::stream(object(
        "TForm", "Form",
        prop("Narrow", "\x04" + le(5, 4)) + prop("Long", "\x13" + le(static_cast<std::uint64_t>(-7), 8))
            + prop("Exact", "\x15" + le(0x3FF8000000000000ull, 8)) + prop("Text", "\x14" + le(3, 4) + "\xC3\xA9!")
            + prop("Short", "\x0C" + le(2, 4) + "ab") + prop("Negative", "\x0C" + le(0xFFFFFFFFu, 4)),
        "", std::string("\xF2") + "\x03" + le(1, 2)));
    const FormModel model = binaryModel(stream);
    EXPECT_EQ(binaryOf(model), stream);
    const FormNode root = model.root();
    EXPECT_EQ(root.order()->kind(), Int16);
    EXPECT_EQ(root.findProperty("Narrow")->value().kind(), Int32);
    EXPECT_EQ(root.findProperty("Narrow")->value().integer(), 5);
    EXPECT_EQ(root.findProperty("Long")->value().integer(), -7);
    EXPECT_EQ(root.findProperty("Exact")->value().text(), "1.5");
    EXPECT_EQ(root.findProperty("Text")->value().text(), "\xC3\xA9!");
    EXPECT_EQ(root.findProperty("Short")->value().kind(), LongString);
    EXPECT_EQ(root.findProperty("Short")->value().text(), "ab");
    EXPECT_EQ(root.findProperty("Negative")->value().text(), "");
    EXPECT_EQ(textOf(model), binaryText(stream));
}

TEST(FormModel, BinaryReadingStopsAtTheRootsEnd)
{
    const std::string form = test::stream(object("TForm", "Form", prop("Left", int8(1))));
    MemoryStream in(form + "TRAILING");
    const FormModel model = FormModel::readBinary(in);
    EXPECT_EQ(binaryOf(model), form);
    EXPECT_EQ(in.position(), static_cast<std::int64_t>(form.size()));
}

TEST(FormModel, BadBinaryIsRefused)
{
    const std::string good = test::stream(object("TForm", "Form", prop("Left", int8(1))));
    const struct {
        const char* what;
        std::string stream;
        const char* message;
    } cases[] = {
        {"no signature", "TPF1" + good.substr(4), msg::BadStreamFormat},
        {"cut short", good.substr(0, good.size() - 1), msg::StreamReadFailed},
        {"an unknown value tag", test::stream(object("TForm", "Form", prop("Left", "\x30"))), msg::BadPropertyValue},
        {"a string longer than the form", test::stream(object("TForm", "Form", prop("S", "\x0C" + le(100000, 4)))),
         msg::StreamReadFailed},
        {"a collection item without its list", test::stream(object("TForm", "", prop("C", "\x0E\x02\x01\x02"))),
         msg::BadPropertyValue},
    };
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.what);
        EXPECT_THROW_MSG(binaryModel(bad.stream), ReadError, bad.message);
    }
}

// The text reader is the converter's: the same class, message and line for every bad text.
TEST(FormModel, BadTextGivesTheConvertersError)
{
    const std::string tooDeep = [] {
        std::string text;
        for (int i = 0; i <= MaxNestingDepth; ++i)
            text += "object A: T\r\n";
        return text;
    }();
    const std::string cases[] = {
        lines({"object A: T", "  Left = 1"}),
        lines({"object A: T", "  Caption = 'open", "end"}),
        lines({"object A: T", "  Left = $1FFFFFFFF", "end"}),
        lines({"object A: T", "  Left = 1.5e99999s", "end"}),
        lines({"object A: T", "  Data = {0G}", "end"}),
        lines({"object A: T", "  Items = <", "    thing", "  end>", "end"}),
        lines({"object A: " + std::string(300, 'T'), "end"}),
        lines({"thing A: T", "end"}),
        lines({"object A: T", "  S = 'a' + 1", "end"}),
        lines({"object A: T", "  Set = [a b]", "end"}),
        tooDeep,
        "object A: T\r\n  Left = " + std::string(5000, '1') + "\r\nend\r\n",
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text.substr(0, 80));
        std::string expected;
        int expectedLine = 0;
        try {
            textBinary(text);
            ADD_FAILURE() << "textToBinary took it";
        } catch (const ParserError& error) {
            expected = error.what();
            expectedLine = error.line();
        } catch (const FormError& error) {
            expected = error.what();
        }
        try {
            textModel(text);
            ADD_FAILURE() << "the model took it";
        } catch (const ParserError& error) {
            EXPECT_EQ(error.what(), expected);
            EXPECT_EQ(error.line(), expectedLine);
        } catch (const FormError& error) {
            EXPECT_EQ(error.what(), expected);
            EXPECT_EQ(expectedLine, 0);
        }
    }
}

// As deep as the converters go: objects in objects, and lists in lists, in both formats.
TEST(FormModel, FormsAsDeepAsTheConvertersTakeAreRead)
{
    std::string objects;
    for (int i = 0; i < MaxNestingDepth; ++i)
        objects += "object A" + std::to_string(i) + ": T\r\n  Tag = " + std::to_string(i) + "\r\n";
    for (int i = 0; i < MaxNestingDepth; ++i)
        objects += "end\r\n";
    std::string lists = "object A: T\r\n  L = " + std::string(MaxNestingDepth - 1, '(') + "1"
        + std::string(MaxNestingDepth - 1, ')') + "\r\nend\r\n";
    for (const std::string& text : {objects, lists}) {
        const std::string binary = textBinary(text);
        const FormModel fromText = textModel(text);
        const FormModel fromBinary = binaryModel(binary);
        EXPECT_EQ(binaryOf(fromText), binary);
        EXPECT_EQ(binaryOf(fromBinary), binary);
        EXPECT_EQ(textOf(fromBinary), binaryText(binary));
    }
    const FormModel deep = textModel(objects);
    ASSERT_EQ(deep.nodeCount(), static_cast<std::size_t>(MaxNestingDepth));
    FormNode last(deep, MaxNestingDepth - 1);
    EXPECT_EQ(last.findProperty("Tag")->value().integer(), MaxNestingDepth - 1);
    EXPECT_EQ(deep.root().children().size(), 1u);

    // One level more is refused in binary too, as binaryToText refuses it.
    std::string tooDeep = "TPF0";
    for (int i = 0; i <= MaxNestingDepth; ++i)
        tooDeep += encodedName("T") + encodedName("") + std::string(1, '\0');
    tooDeep += std::string(2 * (MaxNestingDepth + 1), '\0');
    EXPECT_THROW_MSG(binaryModel(tooDeep), ReadError, "Form nesting deeper than 1000 levels");
}

TEST(FormModel, TenThousandObjectsAreRead)
{
    std::string text = "object Form: TForm\r\n";
    for (int i = 0; i < 10000; ++i)
        text += "  object B" + std::to_string(i) + ": TButton\r\n    Left = " + std::to_string(i) + "\r\n  end\r\n";
    text += "end\r\n";
    const FormModel model = textModel(text);
    EXPECT_EQ(model.nodeCount(), 10001u);
    EXPECT_EQ(model.root().children().size(), 10000u);
    const FormNode last(model, 10000);
    EXPECT_EQ(last.name(), "B9999");
    EXPECT_EQ(last.findProperty("Left")->value().integer(), 9999);
    EXPECT_EQ(binaryOf(model), textBinary(text));
    EXPECT_EQ(binaryOf(binaryModel(textBinary(text))), textBinary(text));
}

}  // namespace
}  // namespace dfm
