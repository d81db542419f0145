// The recent-file list: order, duplicates, the submenu's entries and the stored form.
#include "TMRUManager.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using dfm::TMRUManager;

namespace {

class RecentFiles : public ::testing::Test {
protected:
    QStringList Captions() const
    {
        QStringList captions;
        for (const QAction* entry : menu.actions())
            captions << entry->text();
        return captions;
    }

    QTemporaryDir folder;
    QSettings settings{folder.filePath("store.conf"), QSettings::IniFormat};
    QMenu menu{"Re-open ..."};
    TMRUManager recent{&menu};
};

}  // namespace

TEST_F(RecentFiles, KeepsTheTenNewestAndStoresThemNewestFirst)
{
    EXPECT_FALSE(menu.menuAction()->isEnabled());
    for (int i = 0; i <= 10; ++i)
        recent.Add(QStringLiteral("/f%1.dfm").arg(i));
    EXPECT_EQ(recent.Items().size(), TMRUManager::Capacity);
    EXPECT_TRUE(menu.menuAction()->isEnabled());
    const QStringList captions = Captions();
    ASSERT_EQ(captions.size(), 10);
    EXPECT_EQ(captions.front(), "&1 /f10.dfm");
    EXPECT_EQ(captions[8], "&9 /f2.dfm");
    EXPECT_EQ(captions.back(), "&A /f1.dfm");
    EXPECT_EQ(menu.actions().back()->statusTip(), "/f1.dfm");

    recent.Save(settings, "TForm1.MRUManager1");
    settings.beginGroup("TForm1.MRUManager1");
    EXPECT_EQ(settings.childKeys().size(), 10);
    EXPECT_EQ(settings.value("Item_0").toString(), "/f10.dfm");
    EXPECT_EQ(settings.value("Item_9").toString(), "/f1.dfm");
    settings.endGroup();
    TMRUManager(nullptr).Save(settings, "TForm1.MRUManager1");
    EXPECT_FALSE(settings.childGroups().contains("TForm1.MRUManager1"));
}

TEST_F(RecentFiles, ADuplicateInAnyCaseMovesToTheTopAsFirstWritten)
{
    recent.Add("c:\\a\\x.dfm");
    recent.Add("/b&c.dfm");
    EXPECT_EQ(Captions(), QStringList({"&1 /b&&c.dfm", "&2 c:\\a\\x.dfm"}));
    recent.Add("C:\\A\\X.DFM");
    EXPECT_EQ(Captions(), QStringList({"&1 c:\\a\\x.dfm", "&2 /b&&c.dfm"}));

    // Choosing asks for the file; only a successful open reorders the list.
    QStringList chosen;
    QObject::connect(&recent, &TMRUManager::Chosen, [&](const QString& path) { chosen << path; });
    menu.actions()[1]->trigger();
    EXPECT_EQ(chosen, QStringList{"/b&c.dfm"});
    EXPECT_EQ(recent.Items(), QStringList({"c:\\a\\x.dfm", "/b&c.dfm"}));
}

TEST_F(RecentFiles, LoadKeepsTheStoredOrderAndTheLowerNumberOfADuplicate)
{
    recent.Add("/replaced.dfm");
    for (const auto& [name, path] : {std::pair{"Item_0", "/b.dfm"}, {"Item_1", " /a.dfm "}, {"Item_2", "/B.DFM"},
                                     {"Item_3", ""}, {"Item_4", "/c.dfm"}, {"Item_10", "/beyond.dfm"}})
        settings.setValue(QStringLiteral("TForm1.MRUManager1/") + name, path);
    recent.Load(settings, "TForm1.MRUManager1");
    EXPECT_EQ(recent.Items(), QStringList({"/B.DFM", "/a.dfm", "/c.dfm"}));
    EXPECT_EQ(Captions().size(), 3);

    recent.Load(settings, "Nothing");
    EXPECT_TRUE(menu.actions().isEmpty());
    EXPECT_FALSE(menu.menuAction()->isEnabled());
}
