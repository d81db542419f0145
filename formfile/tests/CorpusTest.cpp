// Every real form file of the shared corpus gives the result its manifest names.
#include "RoundTrip.h"
#include "TestSupport.h"

#include <fstream>
#include <sstream>

namespace dfm {
namespace {

const std::string CorpusDir = DFM_CORPUS_DIR;

std::string ReadFile(const std::string& path)
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

std::vector<Entry> Manifest()
{
    std::ifstream manifest(CorpusDir + "/MANIFEST.tsv");
    std::vector<Entry> entries;
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

std::string WithCrLf(const std::string& text)
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
    for (const Entry& entry : Manifest()) {
        if (entry.kind != "binary")
            continue;
        SCOPED_TRACE(entry.file);
        const std::string content = ReadFile(CorpusDir + "/binary/" + entry.file);
        ASSERT_FALSE(content.empty());
        const RoundTripResult result = CheckRoundTrip(content);
        EXPECT_EQ(RoundTripKindName(result.kind), entry.expected) << result.message;
        ++checked;
    }
    EXPECT_EQ(checked, 191);
}

TEST(Corpus, TextFormsReadBackToAFixedPoint)
{
    int checked = 0;
    for (const Entry& entry : Manifest()) {
        if (entry.kind != "text")
            continue;
        SCOPED_TRACE(entry.file);
        const std::string text = WithCrLf(ReadFile(CorpusDir + "/text/" + entry.file));
        ASSERT_FALSE(text.empty());
        std::string again;
        ASSERT_NO_THROW(again = test::BinaryText(test::TextBinary(text)));
        if (entry.expected == "fixed-point") {
            EXPECT_EQ(again, text);
        } else {
            EXPECT_EQ(entry.expected, "not-fixed");
            EXPECT_NE(again, text);
            EXPECT_EQ(test::BinaryText(test::TextBinary(again)), again);
        }
        ++checked;
    }
    EXPECT_EQ(checked, 143);
}

}  // namespace
}  // namespace dfm
