// The recent-file list: order, duplicates, the submenu's entries and the stored form.
#include "RecentFiles.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using dfm::RecentFiles;

namespace {

class RecentFilesTest : public ::testing::Test {
protected:
    QStringList menuCaptions() const
    {
        QStringList captions;
        for (const QAction* entry : menu.actions())
            captions << entry->text();
        return captions;
    }

    QTemporaryDir folder;
    QSettings settings{folder.filePath("store.conf"), QSettings::IniFormat};
    QMenu menu{"Re-open ..."};
    RecentFiles recent{&menu};
};

}  // namespace

TEST_F(RecentFilesTest, KeepsTheTenNewestAndStoresThemNewestFirst)
{
    EXPECT_FALSE(menu.menuAction()->isEnabled());
    for (int i = 0; i <= 10; ++i)
        recent.add(QStringLiteral("/f%1.dfm").arg(i));
    EXPECT_EQ(recent.items().size(), RecentFiles::Capacity);
    EXPECT_TRUE(menu.menuAction()->isEnabled());
    const QStringList captions = menuCaptions();
    ASSERT_EQ(captions.size(), 10);
    EXPECT_EQ(captions.front(), "&1 /f10.dfm");
    EXPECT_EQ(captions[8], "&9 /f2.dfm");
    EXPECT_EQ(captions.back(), "&A /f1.dfm");
    EXPECT_EQ(menu.actions().back()->statusTip(), "/f1.dfm");

    recent.save(settings, "TForm1.MRUManager1");
    settings.beginGroup("TForm1.MRUManager1");
    EXPECT_EQ(settings.childKeys().size(), 10);
    EXPECT_EQ(settings.value("Item_0").toString(), "/f10.dfm");
    EXPECT_EQ(settings.value("Item_9").toString(), "/f1.dfm");
    settings.endGroup();
    RecentFiles(nullptr).save(settings, "TForm1.MRUManager1");
    EXPECT_FALSE(settings.childGroups().contains("TForm1.MRUManager1"));
}

TEST_F(RecentFilesTest, ADuplicateInAnyCaseMovesToTheTopAsFirstWritten)
{
    recent.add("c:\\a\\x.dfm");
    recent.add("/b&c.dfm");
    EXPECT_EQ(menuCaptions(), QStringList({"&1 /b&&c.dfm", "&2 c:\\a\\x.dfm"}));
    recent.add("C:\\A\\X.DFM");
    EXPECT_EQ(menuCaptions(), QStringList({"&1 c:\\a\\x.dfm", "&2 /b&&c.dfm"}));

    // Choosing asks for the file; only a successful open reorders the list.
    QStringList chosen;
    QObject::connect(&recent, &RecentFiles::chosen, [&](const QString& path) { chosen << path; });
    menu.actions()[1]->trigger();
    EXPECT_EQ(chosen, QStringList{"/b&c.dfm"});
    EXPECT_EQ(recent.items(), QStringList({"c:\\a\\x.dfm", "/b&c.dfm"}));
}

TEST_F(RecentFilesTest, LoadKeepsTheStoredOrderAndTheLowerNumberOfADuplicate)
{
    recent.add("/replaced.dfm");
    for (const auto& [name, path] : {std::pair{"Item_0", "/b.dfm"}, {"Item_1", " /a.dfm "}, {"Item_2", "/B.DFM"},
                                     {"Item_3", ""}, {"Item_4", "/c.dfm"}, {"Item_10", "/beyond.dfm"}})
        settings.setValue(QStringLiteral("TForm1.MRUManager1/") + name, path);
    recent.load(settings, "TForm1.MRUManager1");
    EXPECT_EQ(recent.items(), QStringList({"/B.DFM", "/a.dfm", "/c.dfm"}));
    EXPECT_EQ(menuCaptions().size(), 3);

    recent.load(settings, "Nothing");
    EXPECT_TRUE(menu.actions().isEmpty());
    EXPECT_FALSE(menu.menuAction()->isEnabled());
}
