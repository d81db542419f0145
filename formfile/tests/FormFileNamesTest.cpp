// Which names are form files, and what their backups are called.
#include "FormFileNames.h"

#include <gtest/gtest.h>

namespace dfm {
namespace {

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

}  // namespace
}  // namespace dfm
