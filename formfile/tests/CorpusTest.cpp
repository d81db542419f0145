// Every real form file of the shared corpus gives the result its manifest names.
#include "FormFileKind.h"
#include "RoundTrip.h"
#include "TestSupport.h"

#include <fstream>
#include <sstream>

namespace dfm {
namespace {

const std::string CorpusDir = DFM_CORPUS_DIR;

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

struct Entry {
    std::string kind;
    std::string file;
    std::string expected;
};

std::vector<Entry> manifest()
{
    std::ifstream manifest(CorpusDir + "/MANIFEST.tsv");
    std::vector<Entry> entries;
    if (!manifest) {
        ADD_FAILURE() << "The shared corpus of real forms is missing: no MANIFEST.tsv in " << CorpusDir
                      << " (the tests expect it in ../shared/corpus beside the repository)";
        return entries;
    }
    std::string line;
    std::getline(manifest, line);  // column names
    while (std::getline(manifest, line)) {
        std::vector<std::string> columns;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');)
            columns.push_back(field);
        if (columns.size() >= 6 && (columns[0] == "binary" || columns[0] == "text"))
            entries.push_back({columns[0], columns[1], columns[5]});
    }
    return entries;
}

std::string withCrLf(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

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
