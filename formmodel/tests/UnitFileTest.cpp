// Which file is a form's unit: one rule for the editor and every tool.
#include "UnitFile.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace dfm {
namespace {

namespace fs = std::filesystem;

// NAME.PAS, then NAME.pas, then other cases of NAME.pas in byte order; never a folder.
TEST(UnitFile, FoundBesideTheFormByOneRule)
{
    const struct {
        const char* form;
        std::vector<std::string> files;    // a name ending in "/" is a folder
        const char* unit;                  // empty: none
    } cases[] = {
        {"A.dfm", {"A.PAS", "a.pas", "A.pas"}, "A.PAS"},
        {"A.dfm", {"a.pas", "A.pas"}, "A.pas"},
        {"A.dfm", {"a.pas", "a.PAS"}, "a.PAS"},
        {"Main.dfm", {"Main.PAS", "Main.pas", "MAIN.pas"}, "Main.PAS"},
        {"Main.dfm", {"Main.pas", "MAIN.PAS"}, "Main.pas"},
        {"Desttab.dfm", {"DESTTAB.PAS"}, "DESTTAB.PAS"},
        {"Desttab.DFM", {"desttab.PAS", "DESTTAB.pas", "Desttab.txt"}, "DESTTAB.pas"},
        {"\xC3\x89tat.dfm", {"\xC3\xA9TAT.PAS"}, "\xC3\xA9TAT.PAS"},
        {"Main.dfm", {"Main.pas.bak", "Mai.pas", "Main.dfm"}, ""},
        {"Main.dfm", {}, ""},
        {"Main", {"Main.pas"}, "Main.pas"},
        {"Main.dfm", {"Main.PAS/"}, ""},
        {"Main.dfm", {"Main.PAS/", "main.pas"}, "main.pas"},
        {"Main.dfm", {"Main.pas/", "MAIN.PAS/", "mAIN.pas"}, "mAIN.pas"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.form + (": " + testing::PrintToString(c.files)));
        const test::TempFolder folder;
        std::vector<std::string> files;
        for (const std::string& name : c.files) {
            if (name.ends_with('/')) {
                fs::create_directory(folder.file(name));
            } else {
                std::ofstream(folder.file(name)) << "unit";
                files.push_back(name);
            }
        }
        const fs::path form = folder.file(c.form);
        const fs::path expected = *c.unit == 0 ? fs::path() : fs::path(folder.file(c.unit));
        EXPECT_EQ(findUnitFile(form).value_or(fs::path()), expected);
        EXPECT_EQ(unitFileOf(form, FolderListing::of(folder.path())),
                  *c.unit == 0 ? fs::path(folder.file(fs::path(c.form).stem().string() + ".PAS")) : expected);
        // Names already listed give the same, with the form's folder as written.
        EXPECT_EQ(findUnitFile(c.form, FolderListing{files, true}).value_or(fs::path()), fs::path(c.unit));
    }
    EXPECT_EQ(unitFileLookedFor("a/b.c/Main.DFM"), "Main.pas");
}

// A unit that cannot be read is still the unit: the caller says that it cannot be read, rather
// than taking another file or none. In a folder that can be passed through but not listed, only
// NAME.PAS and NAME.pas can be found.
TEST(UnitFile, UnreadableUnitsAndFoldersThatCannotBeListed)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const test::TempFolder folder;
    std::ofstream(folder.file("Main.PAS")) << "unit";
    std::ofstream(folder.file("main.pas")) << "unit";
    ASSERT_EQ(::chmod(folder.file("Main.PAS").c_str(), 0), 0);
    EXPECT_EQ(findUnitFile(folder.file("Main.dfm")), fs::path(folder.file("Main.PAS")));

    std::ofstream(folder.file("Other.pas")) << "unit";
    std::ofstream(folder.file("THIRD.pas")) << "unit";
    ASSERT_EQ(::chmod(folder.path().c_str(), 0311), 0);
    const FolderListing listing = FolderListing::of(folder.path());
    EXPECT_FALSE(listing.complete);
    EXPECT_EQ(findUnitFile(folder.file("Main.dfm")), fs::path(folder.file("Main.PAS")));
    EXPECT_EQ(findUnitFile(folder.file("Other.dfm"), listing), fs::path(folder.file("Other.pas")));
    EXPECT_EQ(findUnitFile(folder.file("Third.dfm"), listing), std::nullopt);
    ::chmod(folder.path().c_str(), 0700);
    EXPECT_EQ(findUnitFile(folder.file("Third.dfm")), fs::path(folder.file("THIRD.pas")));
}

}  // namespace
}  // namespace dfm
