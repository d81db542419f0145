// The builder on form texts: item texts and line numbers, where each item lands, and the lines that
// must not open or close an object.
#include "ObjectTreeBuilder.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

namespace dfm {
namespace {

struct Expected
{
    const char* text;
    int lineIndex;
    int depth;
};

struct BuildCase
{
    const char* name;
    QStringList lines;
    std::vector<Expected> items;
    int refusedLine = -1;
};

// The objects Form1, Panel1 (with Button1) and Edit1, as the form text writes them.
const QStringList Example = {
    "object Form1: TForm1",       "  Caption = 'A'", "  object Panel1: TPanel", "    object Button1: TButton",
    "    end",                    "  end",           "  inherited Edit1: TEdit", "  end",
    "end",
};

const std::vector<Expected> ExampleItems = {
    {"Form1: TForm1 [1]", 0, 0},
    {"Panel1: TPanel [3]", 2, 1},
    {"Button1: TButton [4]", 3, 2},
    {"Edit1: TEdit [7] <Inherited>", 6, 1},
};

const std::vector<BuildCase> Cases = {
    {"example", Example, ExampleItems},
    {"example with tabs, CR and no indentation",
     {"\tobject Form1: TForm1\r", "Caption = 'A'", "object Panel1: TPanel", "object Button1: TButton", "end",
      "\t end \r", "inherited Edit1: TEdit", "end", "end"},
     ExampleItems},
    {"keywords in any case",
     {"Object A: TA", "OBJECT B: TB", "END", "object C: TC", "End", "INHERITED D: TD", "end", "end"},
     {{"A: TA [1]", 0, 0}, {"B: TB [2]", 1, 1}, {"C: TC [4]", 3, 1}, {"D: TD [6] <Inherited>", 5, 1}}},
    {"an object line without a colon adds no item but still nests",
     {"object Form1: TForm1", "object TPanel", "object B: TB", "end", "end", "object C: TC", "end", "end"},
     {{"Form1: TForm1 [1]", 0, 0}, {"B: TB [3]", 2, 1}, {"C: TC [6]", 5, 1}}},
    {"properties named like keywords open nothing",
     {"object Form1: TForm1", "ObjectMenuItem = Item1", "InheritedThing = 1", "InlineSize = 2", "Object = Link1",
      "Objects.Strings = (", "  'x')", "object B: TB", "end", "object C: TC", "end", "end"},
     {{"Form1: TForm1 [1]", 0, 0}, {"B: TB [8]", 7, 1}, {"C: TC [10]", 9, 1}}},
    {"collection items close without lowering the depth",
     {"object Form1: TForm1",
      "  object Grid1: TGrid",
      "    Columns = <",
      "      item",
      "        Title = 'end'",
      "      end",
      "      item [2]",
      "        Sub = <",
      "          ITEM[0]",
      "          end>",
      "      end",
      "      item",
      "      end>",
      "    Empty = <>",
      "    Item = 3",
      "    object Inner: TInner",
      "    end",
      "  end",
      "  object Edit1: TEdit",
      "  end",
      "end"},
     {{"Form1: TForm1 [1]", 0, 0}, {"Grid1: TGrid [2]", 1, 1}, {"Inner: TInner [16]", 15, 2},
      {"Edit1: TEdit [19]", 18, 1}}},
    {"inline frames are objects with their own mark",
     {"object Form1: TForm1", "  inline Frame1: TFrame1", "    object Button1: TButton", "    end", "  end",
      "  INLINE Frame2: TFrame2", "  end", "  object Edit1: TEdit", "  end", "end"},
     {{"Form1: TForm1 [1]", 0, 0}, {"Frame1: TFrame1 [2] <Inline>", 1, 1}, {"Button1: TButton [3]", 2, 2},
      {"Frame2: TFrame2 [6] <Inline>", 5, 1}, {"Edit1: TEdit [8]", 7, 1}}},
    {"end lines before the first object leave the depth at its start",
     {"end", "END", "object Form1: TForm1", "end"},
     {{"Form1: TForm1 [3]", 2, 0}}},
    // After the root's end the depth stays 0, so a second root goes under the first.
    {"extra end lines after the root keep the depth at 0",
     {"object Form1: TForm1", "end", "end", "end", "end>", "object Form2: TForm2", "end"},
     {{"Form1: TForm1 [1]", 0, 0}, {"Form2: TForm2 [6]", 5, 1}}},
    {"a missing owner is bridged by one level",
     {"object Form1: TForm1", "object P", "object B: TB", "end", "end", "object C: TC", "end", "end"},
     {{"Form1: TForm1 [1]", 0, 0}, {"B: TB [3]", 2, 1}, {"C: TC [6]", 5, 1}}},
    {"an item two levels too deep is refused; the items before it stay",
     {"object Form1", "object A: TA", "object B", "object C", "object D: TD", "end", "end", "end", "end", "end"},
     {{"A: TA [2]", 1, 0}},
     4},
    {"a first item at depth 2 is refused",
     {"object X", "object Y", "object Z: TZ", "end", "end", "end"},
     {},
     2},
    {"an empty text", {}, {}},
    {"odd lines",
     {"", "   ", QString(QChar(0)), "object", "inherited", "object:", "inline", "end", "end", "end",
      QString::fromUtf8("object \xc3\x89l\xc3\xa9ment1: TPanel"), "end"},
     {{"\xc3\x89l\xc3\xa9ment1: TPanel [11]", 10, 0}}},
};

TEST(ObjectTreeBuilderTest, ItemsAndPlaces)
{
    for (const BuildCase& c : Cases) {
        SCOPED_TRACE(c.name);
        const ObjectTree tree = ObjectTreeBuilder::build(c.lines);
        EXPECT_EQ(tree.refused, c.refusedLine >= 0);
        EXPECT_EQ(tree.refusedLine, c.refusedLine);
        ASSERT_EQ(tree.items.size(), static_cast<qsizetype>(c.items.size()));
        for (std::size_t i = 0; i < c.items.size(); ++i) {
            const ObjectTreeItem& item = tree.items[static_cast<qsizetype>(i)];
            EXPECT_EQ(item.text, QString::fromUtf8(c.items[i].text)) << i;
            EXPECT_EQ(item.lineIndex, c.items[i].lineIndex) << i;
            EXPECT_EQ(item.depth, c.items[i].depth) << i;
        }
    }
}

TEST(ObjectTreeBuilderTest, DeepNestingIsCappedAndFlagged)
{
    QStringList lines;
    for (int i = 0; i < 37; ++i)
        lines << QStringLiteral("object O%1: T").arg(i);
    for (int i = 0; i < 37; ++i)
        lines << "end";
    const ObjectTree tree = ObjectTreeBuilder::build(lines);
    ASSERT_FALSE(tree.refused);
    ASSERT_EQ(tree.items.size(), 37);
    // Depth 34 is indented like 33; from 35 on the items go to the top level, flagged.
    for (int d = 0; d < 37; ++d) {
        EXPECT_EQ(tree.items[d].depth, d <= 33 ? d : d == 34 ? 33 : 0) << d;
        EXPECT_EQ(tree.items[d].text.startsWith("LV!O"), d >= 35) << d;
    }
    EXPECT_EQ(tree.items[36].text, "LV!O36: T [37]");
}

}  // namespace
}  // namespace dfm
