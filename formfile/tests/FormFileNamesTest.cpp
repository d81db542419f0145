// Which names are form files, what their backups are called, and where include files are.
#include "FormFileNames.h"
#include "CodePage.h"
#include "NameCase.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace dfm {
namespace {

// The older backup may be the only copy of a file: it is replaced by the newer one or left as it
// was, never just removed, and nothing temporary stays beside it.
TEST(FormFileNames, AnOlderBackupGoesOnlyForANewerCopy)
{
    const auto contentOf = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("<missing>");
    };
    const struct {
        const char* name;
        const char* file;  // nullptr: no file; "/": a folder, which can be neither linked nor copied
        const char* backupAfter;
        bool kept;
    } cases[] = {
        {"a file", "new", "new", true},
        {"no file", nullptr, "only copy", false},
        {"a folder", "/", "only copy", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder folder;
        const std::string path = folder.file("Main.dfm");
        const std::string backup = folder.file("Main.D$$");
        std::ofstream(backup) << "only copy";
        if (c.file != nullptr && std::string(c.file) == "/")
            std::filesystem::create_directory(path);
        else if (c.file != nullptr)
            std::ofstream(path) << c.file;
        EXPECT_EQ(!keepAsBackup(path, backup, "Main.D$$.test"), c.kept);
        EXPECT_EQ(contentOf(backup), c.backupAfter);
        std::vector<std::string> names;
        ASSERT_TRUE(listFileNames(folder.path().string(), names));
        EXPECT_EQ(names.size(), c.file != nullptr && std::string(c.file) != "/" ? 2u : 1u);
    }
}

TEST(FormFileNames, ExtensionsAndBackups)
{
    const struct {
        const char* path;
        bool form;
        const char* backup;
    } cases[] = {
        {"a/Main.dfm", true, "a/Main.D$$"},
        {"Main.DFM", true, "Main.D$$"},
        {"unit1.lfm", true, "unit1.L$$"},
        {"Main.Fmx", true, "Main.F$$"},
        {"/x/y.z/Main.xfm", true, "/x/y.z/Main.X$$"},
        {"Main.pas", false, "Main.P$$"},
        {"Main.dfm.txt", false, "Main.dfm.T$$"},
        {"dir.dfm/Main", false, "dir.dfm/Main.D$$"},
        {"Main", false, "Main.D$$"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(hasFormExtension(c.path), c.form);
        EXPECT_EQ(backupFileName(c.path), c.backup);
    }
}

// A file an include names is found as written, else in another case.
TEST(FormFileNames, IncludeFilesInAnyCase)
{
    const test::TempFolder folder;
    EXPECT_EQ(findFileIgnoringCase(folder.path().string(), "main.pas"), std::nullopt);
    std::ofstream(folder.file("Defs.INC")) << "";
    EXPECT_EQ(findFileIgnoringCase(folder.path().string(), "defs.inc"), folder.file("Defs.INC"));
}

TEST(FormFileNames, NamesCompareAsCharacters)
{
    const CodePage& page = CodePage::forNumber(1252);
    EXPECT_EQ(nameAsUtf8("Transfer\xEAncia", page), "Transfer\xC3\xAAncia");
    EXPECT_EQ(nameAsUtf8("Transfer\xC3\xAAncia", page), "Transfer\xC3\xAAncia");
    EXPECT_EQ(nameAsUtf8("\xC4\xE0\xF2\xE0", CodePage::forNumber(1251)), "\xD0\x94\xD0\xB0\xD1\x82\xD0\xB0");
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"Button1", "BUTTON1", true},
        {"Transfer\xC3\xAAncia", "TRANSFER\xC3\x8ANCIA", true},
        {"\xD0\x94\xD0\xB0\xD1\x82\xD0\xB0", "\xD0\xB4\xD0\x90\xD0\xA2\xD0\x90", true},  // Дата, дАТА
        {"\xCE\xA3\xCE\xA4", "\xCF\x83\xCF\x84", true},                                  // ΣΤ, στ
        {"\xC5\x81\xC3\xB3" "d\xC5\xBA", "\xC5\x82\xC3\x93" "D\xC5\xB9", true},            // Łódź, łÓDŹ
        {"Transfer\xC3\xAAncia", "Transferencia", false},
        {"A\xEA", "A\xCA", false},  // no UTF-8: bytes as they are
        {"Button1", "Button", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.a);
        EXPECT_EQ(sameNameIgnoringCase(c.a, c.b), c.same);
        EXPECT_EQ(sameNameIgnoringCase(c.b, c.a), c.same);
    }
}

}  // namespace
}  // namespace dfm
