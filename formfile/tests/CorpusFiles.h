// The shared corpus of real forms: its manifest and its files, for the tests of every library.
#pragma once

#include "FormParser.h"
#include "MemoryStream.h"
#include "ResourceHeader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace dfm::test {

inline const std::string CorpusDir = DFM_CORPUS_DIR;

inline std::string readFile(const std::string& path)
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

inline std::vector<Entry> manifest()
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

inline std::string withCrLf(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

// The form stream of a binary form of the corpus, its resource header left out.
inline std::string corpusBinaryStream(const Entry& entry)
{
    MemoryStream file(readFile(CorpusDir + "/binary/" + entry.file));
    skipResourceHeader(file);
    return std::string(file.view().substr(static_cast<std::size_t>(file.position())));
}

// How a text form of the corpus reads: in UTF-8 when it starts with a byte order mark.
inline TextEncoding textEncodingOf(const Entry& entry)
{
    return entry.expected == "fails (BOM)" ? TextEncoding::Utf8 : TextEncoding::CodePage;
}

// Calls check(entry, text) for every text form of the corpus, its lines ended with CR LF, and
// fails when there is none.
template <typename Check>
void forEachCorpusText(Check check)
{
    int checked = 0;
    for (const Entry& entry : manifest()) {
        if (entry.kind != "text")
            continue;
        SCOPED_TRACE(entry.file);
        check(entry, withCrLf(readFile(CorpusDir + "/text/" + entry.file)));
        ++checked;
    }
    EXPECT_GT(checked, 0) << "no text form listed in " << CorpusDir;
}

}  // namespace dfm::test
