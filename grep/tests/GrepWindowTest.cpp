// The grep window driven offscreen: stored options and histories, the search commands, Stop,
// the information panel, the double click and the folder picker.
#include "FormOpener.h"
#include "GrepSettings.h"
#include "GrepTestSupport.h"
#include "ScriptedPrompts.h"
#include "TfrmTernGrep.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace dfm {
namespace {

using test::TempTree;

class RecordingOpener : public FormOpener {
public:
    void OpenFoundForm(const QString& path, const QString& key) override { opened << path + u'|' + key; }
    QStringList opened;
};

QString ConfigFolder()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + "/QUENDFMED";
}

class GrepWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(ConfigFolder()).removeRecursively();
        Restart();
    }

    // A new window, as at the next program start.
    void Restart() { window = std::make_unique<TfrmTernGrep>(prompts, opener); }

    template <typename T>
    T* Get(const char* name) const
    {
        T* child = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QComboBox* Box(const char* name) const { return Get<QComboBox>(name); }
    QCheckBox* Check(const char* name) const { return Get<QCheckBox>(name); }
    QPushButton* Button(const char* name) const { return Get<QPushButton>(name); }
    QListWidget* List() const { return Get<QListWidget>("lbxFiles"); }
    QString Status() const { return Get<QLabel>("lblStatus")->text(); }
    QStringList Lines() const
    {
        QStringList lines;
        for (int i = 0; i < List()->count(); ++i)
            lines << List()->item(i)->text();
        return lines;
    }

    void Search(const QString& directory, const QString& mask, const QString& key)
    {
        Box("cbxDirectory")->setEditText(directory);
        Box("cbxMask")->setEditText(mask);
        Box("cbxExp")->setEditText(key);
        Button("btnSearch")->click();
    }

    static QStringList Items(const QComboBox* box)
    {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        return items;
    }

    static QSettings Stored()
    {
        return QSettings(ConfigFolder() + "/GREP.conf", QSettings::IniFormat);
    }

    QString Root() const { return QString::fromStdString(tree.Root()); }
    QString PathOf(const char* relative) const { return QString::fromStdString(tree.Path(relative)); }

    ScriptedPrompts prompts;
    RecordingOpener opener;
    TempTree tree;
    std::unique_ptr<TfrmTernGrep> window;
};

TEST_F(GrepWindowTest, FirstStartHasTheDefaults)
{
    EXPECT_EQ(window->windowTitle(), "QUENDFMED Grep");
    EXPECT_EQ(window->size(), QSize(535, 328));
    EXPECT_TRUE(Button("btnSearch")->isDefault());
    EXPECT_TRUE(Button("bbstop")->isHidden());
    EXPECT_EQ(Box("cbxExp")->count() + Box("cbxMask")->count() + Box("cbxDirectory")->count(), 0);
    EXPECT_EQ(Box("cbxExp")->currentText(), "");
    EXPECT_EQ(Box("cbxDirectory")->currentText(), "");
    EXPECT_EQ(Box("cbxMask")->currentText(), "DFM");
    EXPECT_TRUE(Check("chkCase")->isChecked());
    EXPECT_TRUE(Check("chkCase")->isHidden());
    EXPECT_FALSE(Check("chkRec")->isChecked() || Check("chkKeep")->isChecked() || Check("chkSort")->isChecked());
    EXPECT_EQ(Box("cbxMask")->toolTip(), "File mask without \"*\" nor \".\" ex: \"DFM\"");
    EXPECT_FALSE(Get<QWidget>("pnlInfo")->isEnabled());
    EXPECT_FALSE(Get<QToolButton>("sbProp")->isEnabled());
    // The store exists now, and holds nothing yet.
    EXPECT_TRUE(QFileInfo::exists(ConfigFolder() + "/GREP.conf"));
    EXPECT_TRUE(Stored().allKeys().isEmpty());
}

TEST_F(GrepWindowTest, CompletedSearchesStoreHistoriesUnderExactNames)
{
    tree.Write("Main.pas", "TButton");
    Search(Root(), "pas", "TButton");
    EXPECT_EQ(Lines(), QStringList{PathOf("Main.pas")});
    EXPECT_EQ(Status(), "Found 1 file(s).");
    {
        QSettings stored = Stored();
        EXPECT_EQ(stored.value("Expression/000").toString(), "TButton");
        EXPECT_EQ(stored.value("Expression/001").toString(), "TButton");
        EXPECT_EQ(stored.value("Mask/000").toString(), "pas");
        EXPECT_EQ(stored.value("Mask/001").toString(), "pas");
        EXPECT_EQ(stored.value("Directory/000").toString(), Root());
        EXPECT_EQ(stored.value("Directory/001").toString(), Root());
        EXPECT_EQ(stored.value("Options/CaseSensitive").toString(), "1");
        EXPECT_EQ(stored.value("Options/SubDirs").toString(), "0");
        EXPECT_EQ(stored.value("Options/KeepList").toString(), "0");
        EXPECT_EQ(stored.value("Options/SortList").toString(), "0");
    }

    // Case is ignored when matching items: no new item, but the text is stored last.
    Search(Root(), "pas", "tbutton");
    EXPECT_EQ(Items(Box("cbxExp")), QStringList{"TButton"});
    EXPECT_EQ(Stored().value("Expression/000").toString(), "TButton");
    EXPECT_EQ(Stored().value("Expression/001").toString(), "tbutton");

    // "Del options" empties the boxes only; the next start brings the histories back.
    Button("BitBtn1")->click();
    EXPECT_EQ(Box("cbxExp")->count() + Box("cbxMask")->count() + Box("cbxDirectory")->count(), 0);
    EXPECT_EQ(Box("cbxMask")->currentText(), "");
    Restart();
    EXPECT_EQ(Items(Box("cbxExp")), QStringList{"TButton"});
    EXPECT_EQ(Box("cbxExp")->currentText(), "tbutton");
    EXPECT_EQ(Box("cbxMask")->currentText(), "pas");
    EXPECT_EQ(Box("cbxDirectory")->currentText(), Root());
}

TEST_F(GrepWindowTest, StoredValuesAreReadByNameAndFlagsAsNumbers)
{
    QDir().mkpath(ConfigFolder());
    {
        QSettings stored = Stored();
        stored.setValue("Mask/002", "txt");
        stored.setValue("Mask/000", "pas");
        stored.setValue("Mask/001", "dfm");
        stored.setValue("Expression/000", "");
        stored.setValue("Options/CaseSensitive", "zero");
        stored.setValue("Options/SubDirs", "7");
        stored.setValue("Options/SortList", "0");
    }
    Restart();
    EXPECT_EQ(Items(Box("cbxMask")), QStringList({"pas", "dfm"}));
    EXPECT_EQ(Box("cbxMask")->currentText(), "txt");
    EXPECT_EQ(Box("cbxExp")->count(), 0);
    EXPECT_TRUE(Check("chkCase")->isChecked());
    EXPECT_TRUE(Check("chkRec")->isChecked());
    EXPECT_FALSE(Check("chkSort")->isChecked());
    EXPECT_EQ(GrepSettings::ValueName(7), "007");
    EXPECT_EQ(GrepSettings::ValueName(1234), "1234");
}

TEST_F(GrepWindowTest, RefusedSearchEmptiesTheListAndFocusesTheBox)
{
    tree.Write("a.dfm", "key");
    window->show();
    QApplication::setActiveWindow(window.get());
    Search(Root(), "dfm", "key");
    ASSERT_EQ(List()->count(), 1);
    const QByteArray storedBefore = [] {
        QFile file(ConfigFolder() + "/GREP.conf");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();

    Search(Root(), "dfm", "");
    EXPECT_EQ(List()->count(), 0);
    EXPECT_EQ(prompts.notices, QStringList{"Search Key can't be empty"});
    EXPECT_TRUE(Box("cbxExp")->hasFocus());
    Search(Root() + "nowhere", "dfm", "key");
    EXPECT_EQ(prompts.notices.last(), "Can't find dir : " + Root() + "nowhere");
    EXPECT_TRUE(Box("cbxDirectory")->hasFocus());
    EXPECT_EQ(Box("cbxDirectory")->lineEdit()->selectedText(), Root() + "nowhere");
    QFile file(ConfigFolder() + "/GREP.conf");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), storedBefore);
}

TEST_F(GrepWindowTest, KeysAreTheBytesFormFilesHold)
{
    tree.Write("euro.dfm", "price \x80uro");
    tree.Write("question.dfm", "??????");
    Search(Root(), "dfm", QString::fromUtf8("\u20ACuro"));
    EXPECT_EQ(Lines(), QStringList{PathOf("euro.dfm")});
    Search(Root(), "dfm", QString::fromUtf8("\u041F\u0440\u0438\u0432\u0435\u0442"));
    EXPECT_EQ(Lines(), QStringList());
    EXPECT_EQ(prompts.notices, QStringList{"Search Key holds characters that form files cannot hold"});
}

TEST_F(GrepWindowTest, KeepListAppendsAndSortListSortsWithoutCase)
{
    tree.Write("b.dfm", "key");
    tree.Write("A.dfm", "key");
    tree.Write("c.dfm", "key");
    Check("chkKeep")->setChecked(true);
    Search(Root(), "dfm", "key");
    Search(Root(), "dfm", "key");
    EXPECT_EQ(List()->count(), 6);
    EXPECT_EQ(Status(), "Found 6 file(s).");

    Check("chkSort")->click();
    const QStringList sorted = {PathOf("A.dfm"), PathOf("A.dfm"), PathOf("b.dfm"),
                                PathOf("b.dfm"), PathOf("c.dfm"), PathOf("c.dfm")};
    EXPECT_EQ(Lines(), sorted);
    Check("chkKeep")->setChecked(false);
    Search(Root(), "dfm", "key");
    EXPECT_EQ(Lines(), QStringList({PathOf("A.dfm"), PathOf("b.dfm"), PathOf("c.dfm")}));
    Button("btnClear")->click();
    EXPECT_EQ(List()->count(), 0);
    EXPECT_EQ(Status(), "");
}

TEST_F(GrepWindowTest, StopAtTheFirstFileKeepsEverythingElse)
{
    tree.Write("a.dfm", "key");
    window->show();
    QStringList seenWhileBusy;
    // Handled while the search lets events through: the window is busy then.
    QTimer::singleShot(0, window.get(), [&] {
        seenWhileBusy << (window->Busy() ? "busy" : "idle")
                      << (Button("btnSearch")->isEnabled() ? "search on" : "search off")
                      << (Button("bbstop")->isVisible() ? "stop shown" : "stop hidden");
        QTest::keyClick(window.get(), Qt::Key_Escape);
        Button("bbstop")->click();
    });
    Search(Root(), "dfm", "key");
    EXPECT_EQ(seenWhileBusy, QStringList({"busy", "search off", "stop shown"}));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(List()->count(), 0);
    EXPECT_EQ(Status(), "0000 " + PathOf("a.dfm"));
    EXPECT_EQ(Get<QLabel>("lblStatus")->palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_TRUE(Stored().allKeys().isEmpty());
    EXPECT_EQ(Box("cbxExp")->count(), 0);
    EXPECT_FALSE(window->Busy());
    EXPECT_TRUE(Button("bbstop")->isHidden());
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(GrepWindowTest, ClickShowsTheFileAndItsShellActions)
{
    for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt", "5.txt"})
        tree.Write(name, "key");
    Check("chkSort")->setChecked(true);
    Search(Root(), "txt", "key");
    ASSERT_EQ(List()->count(), 5);
    EXPECT_TRUE(Get<QWidget>("pnlInfo")->isEnabled());
    List()->setCurrentRow(2);
    EXPECT_EQ(Status(), "3. " + PathOf("3.txt"));
    EXPECT_EQ(Get<QLabel>("lblname")->text(), "3.txt");
    EXPECT_EQ(Get<QLabel>("lbltype")->text(), "plain text document");
    EXPECT_TRUE(Get<QToolButton>("sbProp")->isEnabled());
    // A click looks the file up as the keyboard does.
    window->show();
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, List()->visualItemRect(List()->item(1)).center());
    EXPECT_EQ(Status(), "2. " + PathOf("2.txt"));
    EXPECT_EQ(Get<QLabel>("lblname")->text(), "2.txt");
    window->hide();

    std::filesystem::remove(tree.Path("4.txt"));
    List()->setCurrentRow(3);
    EXPECT_EQ(Get<QLabel>("lblattr")->text(), "Can: [] Is: []");
    EXPECT_EQ(Get<QLabel>("lblname")->text(), "");
    EXPECT_FALSE(Get<QToolButton>("sbProp")->isEnabled());
    prompts.launchSucceeds = false;
    Get<QAction>("Shellexecute1")->trigger();
    EXPECT_EQ(prompts.launched, QStringList{PathOf("4.txt")});
    EXPECT_EQ(prompts.notices, QStringList{"Can't launch \"" + PathOf("4.txt") + "\""});

    // Double click: a form goes to the editor with the key, anything else is launched.
    prompts.launchSucceeds = true;
    List()->setCurrentRow(0);
    window->lbxFilesDblClick();
    EXPECT_EQ(prompts.launched.last(), PathOf("1.txt"));
    EXPECT_TRUE(opener.opened.isEmpty());
    tree.Write("Main.DfM", "key");
    Search(Root(), "dfm", "key");
    List()->setCurrentRow(0);
    window->lbxFilesDblClick();
    EXPECT_EQ(opener.opened, QStringList{PathOf("Main.DfM") + "|key"});
    EXPECT_TRUE(window->isHidden());
}

TEST_F(GrepWindowTest, UnreadableFilesGiveTheScannersBoxAndTheSearchGoesOn)
{
    tree.MakeDirectory("folder.dfm");
    tree.Write("b.dfm", "key");
    Search(Root(), "*", "key");
    ASSERT_EQ(prompts.typedErrors.size(), 0);
    // A link whose target vanished after the listing cannot be read.
    ASSERT_EQ(::symlink("gone", tree.Path("a.dfm").c_str()), 0);
    tree.Write("gone", "key");
    QTimer::singleShot(0, window.get(), [&] { std::filesystem::remove(tree.Path("gone")); });
    Search(Root(), "dfm", "key");
    ASSERT_EQ(prompts.typedErrors.size(), 1);
    EXPECT_TRUE(prompts.typedErrors[0].endsWith("A.DFM.\nFile not found."));
    EXPECT_EQ(Lines(), QStringList{PathOf("b.dfm")});
}

TEST_F(GrepWindowTest, FolderPickerFillsTheDirectoryBoxOnOk)
{
    tree.MakeDirectory("picked");
    QString caption;
    prompts.onExec = [&](QDialog& dialog) {
        caption = dialog.windowTitle();
        auto& picker = dynamic_cast<QFileDialog&>(dialog);
        picker.setDirectory(Root());
        picker.selectFile(PathOf("picked"));
        return int(QDialog::Accepted);
    };
    Box("cbxDirectory")->setEditText("typed");
    Get<QToolButton>("SpeedButton1")->click();
    EXPECT_EQ(caption, "Select a folder");
    EXPECT_EQ(Box("cbxDirectory")->currentText(), PathOf("picked"));

    prompts.onExec = [](QDialog&) { return int(QDialog::Rejected); };
    Box("cbxDirectory")->setEditText("typed");
    Get<QToolButton>("SpeedButton1")->click();
    EXPECT_EQ(Box("cbxDirectory")->currentText(), "typed");
}

}  // namespace
}  // namespace dfm
