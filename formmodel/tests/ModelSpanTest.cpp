// Nodes and properties read from text know where they stand: lines from 1, columns in UTF-16
// units of the line as the editor decodes it.
#include "CollectionItem.h"
#include "CorpusFiles.h"
#include "ModelTestSupport.h"
#include "RandomForm.h"
#include "TestSupport.h"

namespace dfm {
namespace {

using namespace test;

// The editor shows the text without its byte order mark.
std::vector<std::string> textLines(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::vector<std::string> out{""};  // lines count from 1
    std::istringstream in{std::string(text)};
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        out.push_back(line);
    }
    return out;
}

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string trimmedEnd(std::string line)
{
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    return line;
}

// Where the text before a span's first column is ASCII, its columns are byte positions: the name
// stands at the first, and a property written one to a line ends with its last line.
void checkPropertySpans(const ModelRange<FormProperty>& properties, const std::vector<std::string>& lines)
{
    for (const FormProperty property : properties) {
        SCOPED_TRACE(std::string(property.name()));
        const TextSpan span = property.span();
        ASSERT_GE(span.firstLine, 1u);
        ASSERT_LE(span.firstLine, span.lastLine);
        ASSERT_LT(span.lastLine, lines.size());
        const std::string& first = lines[span.firstLine];
        const std::string before = first.substr(0, span.firstColumn - 1u);
        if (isAscii(before)) {
            EXPECT_EQ(first.substr(span.firstColumn - 1u, property.name().size()), property.name());
            if (isAscii(lines[span.lastLine])) {
                EXPECT_EQ(span.lastColumn, trimmedEnd(lines[span.lastLine]).size());
            }
        }
        for (const CollectionItem item : property.value().items())
            checkPropertySpans(item.properties(), lines);
    }
}

void checkSpans(const FormModel& model, const std::string& text)
{
    ASSERT_TRUE(model.hasSpans());
    const std::vector<std::string> lines = textLines(text);
    for (const FormNode node : model.nodes()) {
        SCOPED_TRACE(std::string(node.name()));
        const TextSpan span = node.span();
        ASSERT_LT(span.lastLine, lines.size());
        const std::string& first = lines[span.firstLine];
        const std::string keyword = node.isInherited() ? "inherited " : node.isInline() ? "inline " : "object ";
        EXPECT_TRUE(ascii::equalsIgnoringCase(first.substr(span.firstColumn - 1u, keyword.size()), keyword)) << first;
        const std::string last = trimmedEnd(lines[span.lastLine]);
        EXPECT_EQ(span.lastColumn, last.size());
        EXPECT_TRUE(ascii::equalsIgnoringCase(last.substr(last.size() - 3), "end")) << last;
        checkPropertySpans(node.properties(), lines);
    }
}

TEST(ModelSpans, EveryNodeAndPropertyOfRandomFormsPointsAtItsText)
{
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE(seed);
        const std::string text = binaryText(RandomForm(seed).make(seed % 5 == 0 ? 30 : 0));
        checkSpans(textModel(text), text);
    }
}

TEST(ModelSpans, EveryNodeAndPropertyOfTheCorpusPointsAtItsText)
{
    forEachCorpusText([](const Entry& entry, const std::string& text) {
        checkSpans(textModel(text, textEncodingOf(entry)), text);
    });
}

TEST(ModelSpans, ValuesOverManyLinesEndWithTheirLastToken)
{
    const std::string text = lines({
        "object A: T",
        "  Items.Strings = (",
        "    'one'",
        "    'two')",
        "  Bin = {",
        "    0102}",
        "  Cols = <",
        "    item",
        "      W = 1",
        "    end>",
        "  S = 'abc' +",
        "    'def'",
        "  object B: T",
        "  end",
        "end",
    });
    const FormModel model = textModel(text);
    const FormNode root = model.root();
    EXPECT_EQ(root.span(), (TextSpan{1, 15, 1, 3}));
    EXPECT_EQ(root.findProperty("Items.Strings")->span(), (TextSpan{2, 4, 3, 10}));
    EXPECT_EQ(root.findProperty("Bin")->span(), (TextSpan{5, 6, 3, 9}));
    EXPECT_EQ(root.findProperty("Cols")->span(), (TextSpan{7, 10, 3, 8}));
    EXPECT_EQ(root.findProperty("S")->span(), (TextSpan{11, 12, 3, 9}));
    const CollectionItem item = *root.findProperty("Cols")->value().items().begin();
    EXPECT_EQ(item.findProperty("W")->span(), (TextSpan{9, 9, 7, 11}));
    EXPECT_EQ((*root.children().begin()).span(), (TextSpan{13, 14, 3, 5}));
}

// Two properties on one line, the first holding characters beyond ASCII: the second starts at
// the column the editor shows it at.
TEST(ModelSpans, ColumnsCountCharactersAsTheEditorDecodesTheLine)
{
    const struct {
        const char* what;
        std::string line;
        TextEncoding encoding;
        int page;
        std::uint16_t captionEnd;
        std::uint16_t leftStart;
    } cases[] = {
        {"ASCII", "  Caption = 'ab' Left = 1", TextEncoding::CodePage, 1252, 16, 18},
        {"UTF-8, two bytes and a pair", "  Caption = '\xC3\xA9\xF0\x9F\x98\x80' Left = 1", TextEncoding::Utf8, 1252, 17, 19},
        {"UTF-8, three bytes", "  Caption = '\xE2\x82\xAC\xE2\x82\xAC' Left = 1", TextEncoding::Utf8, 1252, 16, 18},
        {"a double-byte page, two characters", "  Caption = '\x82\xA0\x82\xA0' Left = 1", TextEncoding::CodePage, 932, 16, 18},
        {"a double-byte page, a lead byte alone", "  Caption = '\x82' Left = 1", TextEncoding::CodePage, 932, 15, 17},
        {"a single-byte page, byte by byte", "  Caption = '\x82\xA0\x82\xA0' Left = 1", TextEncoding::CodePage, 1252, 18, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::string mark : {"", "\xEF\xBB\xBF"}) {
            if (!mark.empty() && c.encoding != TextEncoding::Utf8)
                continue;
            const std::string text = mark + lines({"object A: T", c.line, "end"});
            const FormModel model = textModel(text, c.encoding, &CodePage::forNumber(c.page));
            EXPECT_EQ(model.root().span(), (TextSpan{1, 3, 1, 3}));
            EXPECT_EQ(model.root().findProperty("Caption")->span(), (TextSpan{2, 2, 3, c.captionEnd}));
            EXPECT_EQ(model.root().findProperty("Left")->span(), (TextSpan{2, 2, c.leftStart, std::uint16_t(c.leftStart + 7)}));
        }
    }
}

TEST(ModelSpans, AModelReadFromBinaryHasNone)
{
    const FormModel model = binaryModel(textBinary(lines({"object A: T", "  Left = 1", "end"})));
    EXPECT_FALSE(model.hasSpans());
    EXPECT_EQ(model.root().span(), TextSpan{});
    EXPECT_EQ(model.root().findProperty("Left")->span(), TextSpan{});
}

}  // namespace
}  // namespace dfm
