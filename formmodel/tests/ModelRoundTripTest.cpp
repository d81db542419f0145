// The model written back gives the streaming converters' bytes: on every form of the shared corpus
// and on random forms of every value kind, read from binary and from text.
#include "CollectionItem.h"
#include "CorpusFiles.h"
#include "ModelTestSupport.h"
#include "RandomForm.h"
#include "TestSupport.h"

namespace dfm {
namespace {

using namespace test;

// The model as the API shows it, one line per node, property, element and item, so that two
// models compare by what their consumers see.
void dumpValue(const FormValue& value, std::string& out, int level);

void dumpProperties(const ModelRange<FormProperty>& properties, std::string& out, int level)
{
    for (const FormProperty property : properties) {
        out += std::string(2 * level, ' ') + std::string(property.name()) + " = ";
        dumpValue(property.value(), out, level + 1);
    }
}

void dumpValue(const FormValue& value, std::string& out, int level)
{
    out += std::to_string(value.kind()) + ":" + value.text(CodePage::forNumber(1252)) + " ("
        + std::to_string(value.bytes().size()) + " bytes)\n";
    for (const FormValue element : value.elements())
        dumpValue(element, out, level + 1);
    for (const CollectionItem item : value.items()) {
        out += std::string(2 * level, ' ') + "item " + (item.order() ? item.order()->text() : "-") + "\n";
        dumpProperties(item.properties(), out, level + 1);
    }
}

std::string dump(const FormModel& model)
{
    std::string out;
    for (const FormNode node : model.nodes()) {
        int level = 0;
        for (auto parent = node.parent(); parent; parent = parent->parent())
            ++level;
        out += std::string(2 * level, ' ') + std::to_string(node.flags()) + " "
            + (node.order() ? node.order()->text() : "-") + " " + std::string(node.name()) + ": "
            + std::string(node.className()) + " (" + std::to_string(node.children().size()) + " children)\n";
        dumpProperties(node.properties(), out, level + 1);
    }
    return out;
}

std::string binaryTextIn(std::string_view stream, const CodePage& page, TextStyle style)
{
    MemoryStream in(stream);
    MemoryStream out;
    binaryToText(in, out, page, style);
    return std::string(out.view());
}

TEST(ModelRoundTrip, CorpusBinaryFormsComeBackAsTheyWereAndAsTheirText)
{
    int checked = 0;
    const CodePage& page = CodePage::forNumber(1252);
    for (const Entry& entry : manifest()) {
        if (entry.kind != "binary")
            continue;
        SCOPED_TRACE(entry.file);
        const std::string stream = corpusBinaryStream(entry);
        const FormModel model = binaryModel(stream);
        const std::string written = binaryOf(model);
        if (entry.expected == "identical+trailing") {
            EXPECT_LT(written.size(), stream.size());
            EXPECT_EQ(written, stream.substr(0, written.size()));
        } else {
            EXPECT_EQ(written, stream);
        }
        for (const TextStyle style : {TextStyle{}, TextStyle{true, true}})
            EXPECT_EQ(textOf(model, page, style), binaryTextIn(stream, page, style));
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST(ModelRoundTrip, CorpusTextFormsGiveTheConvertersBytes)
{
    forEachCorpusText([](const Entry& entry, const std::string& text) {
        const TextEncoding encoding = textEncodingOf(entry);
        const std::string binary = textBinary(text, encoding);
        const FormModel model = textModel(text, encoding);
        EXPECT_EQ(binaryOf(model), binary);
        EXPECT_EQ(textOf(model), binaryText(binary));
        EXPECT_EQ(dump(model), dump(binaryModel(binary)));
    });
}

// Every value kind, in every text style and in a double-byte page; read as text, the model gives
// what textToBinary gives, and shows what the model of the binary shows.
TEST(ModelRoundTrip, RandomFormsComeBackByteForByteFromBothFormats)
{
    const CodePage& japanese = CodePage::forNumber(932);
    for (std::uint32_t seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE(seed);
        const std::string binary = RandomForm(seed).make(seed % 4 == 0 ? 30 : 0);
        const FormModel fromBinary = binaryModel(binary);
        ASSERT_EQ(binaryOf(fromBinary), binary);
        const std::string text = binaryText(binary);
        ASSERT_EQ(textOf(fromBinary), text);

        const FormModel fromText = textModel(text);
        ASSERT_EQ(binaryOf(fromText), binary);
        ASSERT_EQ(dump(fromText), dump(fromBinary));

        const std::string utf8 = binaryTextIn(binary, japanese, {true, true});
        ASSERT_EQ(textOf(fromBinary, japanese, {true, true}), utf8);
        MemoryStream utf8Text(utf8);
        MemoryStream expected;
        textToBinary(utf8Text, expected, TextEncoding::Utf8, &japanese);
        ASSERT_EQ(binaryOf(textModel(utf8, TextEncoding::Utf8, &japanese)), expected.view());
    }
}

// Kinds and widths the text cannot carry back are the binary form's own: read from binary, the
// model keeps their bytes, and its text is the converter's.
TEST(ModelRoundTrip, ValuesOnlyTheBinaryFormHoldsComeBackAsTheyWere)
{
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE(seed);
        const std::string binary = RandomForm(seed, true).make();
        const FormModel model = binaryModel(binary);
        ASSERT_EQ(binaryOf(model), binary);
        ASSERT_EQ(textOf(model), binaryText(binary));
    }
}

}  // namespace
}  // namespace dfm
