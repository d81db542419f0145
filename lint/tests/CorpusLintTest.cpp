// The check on the real forms with their units: the only problems it reports are the ones these
// projects really have.
#include "BinaryToText.h"
#include "FileStream.h"
#include "FormFileKind.h"
#include "FormUnitCheck.h"
#include "MemoryStream.h"
#include "SiblingUnits.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace dfm {
namespace {

const fs::path Corpus = DFM_CORPUS_DIR;

std::string readFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// What the check gives on one pair, "file:line: message" a line.
std::vector<std::string> check(const std::string& formBytes, const fs::path& unit, const std::string& formName)
{
    // The inherited forms' ancestors among the units beside them, as the programs look for them.
    SiblingUnits siblings(unit.parent_path());
    const AncestorUnits ancestors = [&siblings](std::string_view name) { return siblings.declaring(name); };
    std::string text = formBytes;
    TextEncoding encoding = TextEncoding::CodePage;
    const FormFileKind kind = formFileKindOf(std::string_view(formBytes).substr(0, FormKindProbeSize));
    if (kind == FormFileKind::Resource) {
        MemoryStream input(formBytes);
        MemoryStream output;
        resourceToText(input, output);
        text = std::string(output.view());
    } else {
        // The projects' own encodings: a Lazarus form is UTF-8; the check must not care.
        encoding = TextEncoding::Utf8;
    }
    std::vector<std::string> lines;
    for (const LintProblem& p : FormUnitCheck().run(text, encoding, readFile(unit), ancestors))
        lines.push_back((p.file == LintProblem::File::Form ? formName : unit.filename().string()) + ":"
                        + std::to_string(p.line) + ": " + p.message);
    return lines;
}

TEST(CorpusLintTest, PairsGiveOnlyTheirRealProblems)
{
    const fs::path pairs = Corpus / "pairs";
    if (!fs::is_directory(pairs))
        GTEST_SKIP() << "no corpus at " << pairs;
    // Drift these projects really have: a label never given a field, a menu item renamed in the
    // form only, and menu items deleted from the form while their fields stayed.
    const std::set<std::string> known = {
        "Dev-Cpp-002-CompOptionsFrm.dfm:141: component OptionsLink: TLabel has no field in class TCompOptForm",
        "doublecmd-019-fdiffer.lfm:424: component miFindPrev: TMenuItem has no field in class TfrmDiffer",
        "doublecmd-019-fdiffer.pas:104: field miFindPrevious: TMenuItem has no component in the form",
        "doublecmd-020-foptionstoolbarbase.pas:88: field miImportAllDCCommands: TMenuItem has no component in the form",
        "doublecmd-020-foptionstoolbarbase.pas:158: field miImportSeparator2: TMenuItem has no component in the form",
    };
    std::set<std::string> found;
    int checked = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(pairs)) {
        const fs::path form = entry.path();
        const std::string extension = form.extension().string();
        if (extension == ".pas" || extension == ".PAS")
            continue;
        fs::path unit = form;
        unit.replace_extension(".pas");
        if (!fs::exists(unit))
            unit.replace_extension(".PAS");
        ASSERT_TRUE(fs::exists(unit)) << form;
        for (const std::string& problem : check(readFile(form), unit, form.filename().string()))
            found.insert(problem);
        ++checked;
    }
    EXPECT_EQ(checked, 29);
    EXPECT_EQ(found, known);
}

TEST(CorpusLintTest, BinaryFormsWithTheirUnitsAreClean)
{
    std::ifstream manifest(Corpus / "MANIFEST.tsv");
    if (!manifest)
        GTEST_SKIP() << "no corpus at " << Corpus;
    // A unit belongs to the binary form of the same repository and path, extension aside.
    const auto key = [](const std::string& repository, std::string path) {
        path = path.substr(0, path.rfind('.'));
        for (char& c : path)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return repository + "/" + path;
    };
    std::map<std::string, std::string> binaries;
    std::vector<std::pair<std::string, std::string>> units;
    for (std::string line; std::getline(manifest, line);) {
        std::istringstream fields(line);
        std::string kind, file, repository, path;
        std::getline(fields, kind, '\t');
        std::getline(fields, file, '\t');
        std::getline(fields, repository, '\t');
        std::getline(fields, path, '\t');
        if (kind == "binary")
            binaries[key(repository, path)] = file;
        else if (kind == "unit")
            units.emplace_back(key(repository, path), file);
    }
    int checked = 0;
    for (const auto& [k, unit] : units) {
        const auto binary = binaries.find(k);
        if (binary == binaries.end())
            continue;
        SCOPED_TRACE(binary->second);
        EXPECT_EQ(check(readFile(Corpus / "binary" / binary->second), Corpus / "unit" / unit, binary->second),
                  std::vector<std::string>{});
        ++checked;
    }
    EXPECT_EQ(checked, 10);
}

}  // namespace
}  // namespace dfm
