// Every real form file of the shared corpus gives the result its manifest names.
#include "CorpusFiles.h"
#include "FormFileKind.h"
#include "RoundTrip.h"
#include "TestSupport.h"

namespace dfm {
namespace {

using namespace test;

TEST(Corpus, BinaryFormsGiveTheirExpectedResult)
{
    int checked = 0;
    for (const Entry& entry : manifest()) {
        if (entry.kind != "binary")
            continue;
        SCOPED_TRACE(entry.file);
        const std::string content = readFile(CorpusDir + "/binary/" + entry.file);
        ASSERT_FALSE(content.empty());
        const RoundTripResult result = checkRoundTrip(content);
        // A form listed as text-fixed for a float the text once cut short now comes back whole.
        const std::string kind = roundTripKindName(result.kind);
        if (entry.expected != "text-fixed" || kind != "identical") {
            EXPECT_EQ(kind, entry.expected) << result.message << result.property;
        }
        ++checked;
    }
    EXPECT_GT(checked, 0) << "no binary form listed in " << CorpusDir;
}

TEST(Corpus, EveryFormIsRecognisedByItsContent)
{
    int checked = 0;
    for (const Entry& entry : manifest()) {
        SCOPED_TRACE(entry.file);
        const std::string path = CorpusDir + "/" + entry.kind + "/" + entry.file;
        const FormFileKind expected = entry.kind == "binary" ? FormFileKind::Resource : FormFileKind::Text;
        EXPECT_EQ(formFileKindOfFile(path.c_str()), expected);
        ++checked;
    }
    EXPECT_GT(checked, 300);
}

TEST(Corpus, TextFormsReadBackToAFixedPoint)
{
    int checked = 0;
    for (const Entry& entry : manifest()) {
        if (entry.kind != "text")
            continue;
        SCOPED_TRACE(entry.file);
        const std::string text = withCrLf(readFile(CorpusDir + "/text/" + entry.file));
        ASSERT_FALSE(text.empty());
        if (entry.expected == "fails (BOM)") {
            // A byte order mark says UTF-8; in the code page it is no token.
            EXPECT_THROW(test::textBinary(text), FormError);
            std::string binary;
            ASSERT_NO_THROW(binary = test::textBinary(text, TextEncoding::Utf8));
            EXPECT_EQ(test::textBinary(test::binaryText(binary)), binary);
            ++checked;
            continue;
        }
        std::string again;
        ASSERT_NO_THROW(again = test::binaryText(test::textBinary(text)));
        if (entry.expected == "fixed-point") {
            EXPECT_EQ(again, text);
        } else {
            EXPECT_EQ(entry.expected, "not-fixed");
            EXPECT_NE(again, text);
            EXPECT_EQ(test::binaryText(test::textBinary(again)), again);
        }
        ++checked;
    }
    EXPECT_GT(checked, 0) << "no text form listed in " << CorpusDir;
}

}  // namespace
}  // namespace dfm
