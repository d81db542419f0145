// The grep window driven offscreen: stored options and histories, the search commands, Stop,
// the information panel, the double click and the folder picker.
#include "FormOpener.h"
#include "GrepSettings.h"
#include "GrepTestSupport.h"
#include "ScopedEnvironment.h"
#include "ScriptedPrompts.h"
#include "GrepWindow.h"

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
    void openFoundForm(const QString& path, const QString& key) override { opened << path + u'|' + key; }
    int defaultCodePage() const override { return codePage; }
    QStringList opened;
    int codePage = 1252;
};

QString configFolder()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + "/QUENDFMED";
}

class GrepWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(configFolder()).removeRecursively();
        restart();
    }

    // A new window, as at the next program start.
    void restart() { window = std::make_unique<GrepWindow>(prompts, opener); }

    template <typename T>
    T* get(const char* name) const
    {
        T* child = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QComboBox* box(const char* name) const { return get<QComboBox>(name); }
    QCheckBox* check(const char* name) const { return get<QCheckBox>(name); }
    QPushButton* button(const char* name) const { return get<QPushButton>(name); }
    QListWidget* list() const { return get<QListWidget>("lbxFiles"); }
    QString status() const { return get<QLabel>("lblStatus")->text(); }
    QStringList lines() const
    {
        QStringList lines;
        for (int i = 0; i < list()->count(); ++i)
            lines << list()->item(i)->text();
        return lines;
    }

    void search(const QString& directory, const QString& mask, const QString& key)
    {
        box("cbxDirectory")->setEditText(directory);
        box("cbxMask")->setEditText(mask);
        box("cbxExp")->setEditText(key);
        button("btnSearch")->click();
    }

    static QStringList items(const QComboBox* box)
    {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        return items;
    }

    static QSettings storedSettings()
    {
        return QSettings(configFolder() + "/GREP.conf", QSettings::IniFormat);
    }

    QString root() const { return QString::fromStdString(tree.root()); }
    QString pathOf(const char* relative) const { return QString::fromStdString(tree.path(relative)); }

    ScriptedPrompts prompts;
    RecordingOpener opener;
    TempTree tree;
    std::unique_ptr<GrepWindow> window;
};

TEST_F(GrepWindowTest, FirstStartHasTheDefaults)
{
    EXPECT_EQ(window->windowTitle(), "QUENDFMED Grep");
    EXPECT_EQ(window->size(), QSize(535, 328));
    EXPECT_TRUE(button("btnSearch")->isDefault());
    EXPECT_TRUE(button("bbstop")->isHidden());
    EXPECT_EQ(box("cbxExp")->count() + box("cbxMask")->count() + box("cbxDirectory")->count(), 0);
    EXPECT_EQ(box("cbxExp")->currentText(), "");
    EXPECT_EQ(box("cbxDirectory")->currentText(), "");
    EXPECT_EQ(box("cbxMask")->currentText(), "DFM");
    EXPECT_TRUE(check("chkCase")->isChecked());
    EXPECT_TRUE(check("chkCase")->isHidden());
    EXPECT_FALSE(check("chkRec")->isChecked() || check("chkKeep")->isChecked() || check("chkSort")->isChecked() ||
                 check("chkAnyEncoding")->isChecked());
    EXPECT_EQ(box("cbxMask")->toolTip(), "File mask without \"*\" nor \".\" ex: \"DFM\"");
    EXPECT_FALSE(get<QWidget>("pnlInfo")->isEnabled());
    EXPECT_FALSE(get<QToolButton>("sbProp")->isEnabled());
    // Nothing is stored yet, so no store is made: no empty file, no folder.
    EXPECT_FALSE(QFileInfo::exists(configFolder()));
}

TEST_F(GrepWindowTest, CompletedSearchesStoreHistoriesUnderExactNames)
{
    tree.write("Main.pas", "TButton");
    search(root(), "pas", "TButton");
    EXPECT_EQ(lines(), QStringList{pathOf("Main.pas")});
    EXPECT_EQ(status(), "Found 1 file(s).");
    {
        QSettings stored = storedSettings();
        EXPECT_EQ(stored.value("Expression/000").toString(), "TButton");
        EXPECT_EQ(stored.value("Expression/001").toString(), "TButton");
        EXPECT_EQ(stored.value("Mask/000").toString(), "pas");
        EXPECT_EQ(stored.value("Mask/001").toString(), "pas");
        EXPECT_EQ(stored.value("Directory/000").toString(), root());
        EXPECT_EQ(stored.value("Directory/001").toString(), root());
        EXPECT_EQ(stored.value("Options/CaseSensitive").toString(), "1");
        EXPECT_EQ(stored.value("Options/SubDirs").toString(), "0");
        EXPECT_EQ(stored.value("Options/KeepList").toString(), "0");
        EXPECT_EQ(stored.value("Options/SortList").toString(), "0");
        EXPECT_FALSE(stored.contains("Options/AnyEncoding"));
    }

    // Case is ignored when matching items: no new item, but the text is stored last.
    search(root(), "pas", "tbutton");
    EXPECT_EQ(items(box("cbxExp")), QStringList{"TButton"});
    EXPECT_EQ(storedSettings().value("Expression/000").toString(), "TButton");
    EXPECT_EQ(storedSettings().value("Expression/001").toString(), "tbutton");

    // "Del options" empties the boxes only; the next start brings the histories back.
    button("DeleteOptionsButton")->click();
    EXPECT_EQ(box("cbxExp")->count() + box("cbxMask")->count() + box("cbxDirectory")->count(), 0);
    EXPECT_EQ(box("cbxMask")->currentText(), "");
    restart();
    EXPECT_EQ(items(box("cbxExp")), QStringList{"TButton"});
    EXPECT_EQ(box("cbxExp")->currentText(), "tbutton");
    EXPECT_EQ(box("cbxMask")->currentText(), "pas");
    EXPECT_EQ(box("cbxDirectory")->currentText(), root());
}

// Typed into a box that holds an item differing only in case, or an item the typed text begins,
// and Enter pressed once: exactly the typed text is searched, and it joins the history as typed.
TEST_F(GrepWindowTest, EnterSearchesExactlyWhatWasTyped)
{
    tree.write("Upper/a.dfm", "TLabel");
    tree.write("upper/b.dfm", "tlabel");
    tree.write("upper/c.dfm", "TLabelX");
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    search(pathOf("Upper"), "dfm", "TLabel");
    ASSERT_EQ(lines(), QStringList{pathOf("Upper/a.dfm")});

    const struct {
        const char* name;
        const char* boxName;
        QString typed;
        QString directory;
        QString key;
        QStringList found;
    } cases[] = {
        {"key differing in case", "cbxExp", "tlabel", pathOf("upper"), "", {pathOf("upper/b.dfm")}},
        {"key longer than an item", "cbxExp", "TLabelX", pathOf("upper"), "", {pathOf("upper/c.dfm")}},
        {"key that begins items", "cbxExp", "TLab", pathOf("upper"), "", {pathOf("upper/c.dfm")}},
        {"folder differing in case", "cbxDirectory", pathOf("upper"), "", "TLabel", {pathOf("upper/c.dfm")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        search(pathOf("Upper"), "dfm", "TLabel");
        ASSERT_EQ(lines(), QStringList{pathOf("Upper/a.dfm")});
        if (!c.directory.isEmpty())
            box("cbxDirectory")->setEditText(c.directory);
        if (!c.key.isEmpty())
            box("cbxExp")->setEditText(c.key);
        QLineEdit* edit = box(c.boxName)->lineEdit();
        edit->setFocus();
        edit->clear();
        QTest::keyClicks(edit, c.typed);
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(box(c.boxName)->currentText(), c.typed);
        EXPECT_EQ(lines(), c.found);
        EXPECT_EQ(status(), "Found 1 file(s).");
    }
    // A text differing from an item only in case is no new item, but is stored as the text.
    EXPECT_EQ(items(box("cbxExp")), (QStringList{"TLab", "TLabelX", "TLabel"}));
    EXPECT_EQ(items(box("cbxDirectory")), QStringList{pathOf("Upper")});
    EXPECT_EQ(storedSettings().value("Directory/001").toString(), pathOf("upper"));
    box("cbxExp")->lineEdit()->setFocus();
    box("cbxExp")->lineEdit()->clear();
    QTest::keyClicks(box("cbxExp")->lineEdit(), "tlabel");
    QTest::keyClick(box("cbxExp")->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(lines(), QStringList{pathOf("upper/b.dfm")});
    EXPECT_EQ(storedSettings().value("Expression/002").toString(), "TLabel");
    EXPECT_EQ(storedSettings().value("Expression/003").toString(), "tlabel");
}

TEST_F(GrepWindowTest, StoredValuesAreReadByNameAndFlagsAsNumbers)
{
    QDir().mkpath(configFolder());
    {
        QSettings stored = storedSettings();
        stored.setValue("Mask/002", "txt");
        stored.setValue("Mask/000", "pas");
        stored.setValue("Mask/001", "dfm");
        stored.setValue("Expression/000", "");
        stored.setValue("Options/CaseSensitive", "zero");
        stored.setValue("Options/SubDirs", "7");
        stored.setValue("Options/SortList", "0");
    }
    restart();
    EXPECT_EQ(items(box("cbxMask")), QStringList({"pas", "dfm"}));
    EXPECT_EQ(box("cbxMask")->currentText(), "txt");
    EXPECT_EQ(box("cbxExp")->count(), 0);
    EXPECT_TRUE(check("chkCase")->isChecked());
    EXPECT_TRUE(check("chkRec")->isChecked());
    EXPECT_FALSE(check("chkSort")->isChecked());
    EXPECT_EQ(GrepSettings::valueName(7), "007");
    EXPECT_EQ(GrepSettings::valueName(1234), "1234");
}

TEST_F(GrepWindowTest, RefusedSearchEmptiesTheListAndFocusesTheBox)
{
    tree.write("a.dfm", "key");
    window->show();
    QApplication::setActiveWindow(window.get());
    search(root(), "dfm", "key");
    ASSERT_EQ(list()->count(), 1);
    const QByteArray storedBefore = [] {
        QFile file(configFolder() + "/GREP.conf");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();

    search(root(), "dfm", "");
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(prompts.notices, QStringList{"Search Key can't be empty"});
    EXPECT_TRUE(box("cbxExp")->hasFocus());
    search(root() + "nowhere", "dfm", "key");
    EXPECT_EQ(prompts.notices.last(), "Can't find dir : " + root() + "nowhere");
    EXPECT_TRUE(box("cbxDirectory")->hasFocus());
    EXPECT_EQ(box("cbxDirectory")->lineEdit()->selectedText(), root() + "nowhere");
    QFile file(configFolder() + "/GREP.conf");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), storedBefore);
}

TEST_F(GrepWindowTest, KeysAreTheBytesFormFilesHold)
{
    tree.write("euro.dfm", "price \x80uro");
    tree.write("question.dfm", "??????");
    search(root(), "dfm", QString::fromUtf8("\u20ACuro"));
    EXPECT_EQ(lines(), QStringList{pathOf("euro.dfm")});
    search(root(), "dfm", QString::fromUtf8("\u041F\u0440\u0438\u0432\u0435\u0442"));
    EXPECT_EQ(lines(), QStringList());
    EXPECT_EQ(prompts.notices,
              QStringList{QString::fromUtf8("Search Key holds characters that the code page Western European (1252) cannot "
                                            "hold (\"\u041F\", U+041F); tick Any encoding to search every code page")});
    // With the editor reading forms in Windows-1251 the same key is that page's bytes.
    tree.write("cyrillic.dfm", "Caption = '\xCF\xF0\xE8\xE2\xE5\xF2'");
    opener.codePage = 1251;
    search(root(), "dfm", QString::fromUtf8("\u041F\u0440\u0438\u0432\u0435\u0442"));
    EXPECT_EQ(lines(), QStringList{pathOf("cyrillic.dfm")});
}

TEST_F(GrepWindowTest, AnyEncodingFindsWideAndUtf8StringsAndIsKept)
{
    // A caption stored as the page's bytes, as a wide string, and as UTF-8.
    tree.write("narrow.dfm", std::string("TPF0\x07" "Caption\x06\x04" "Caf\xE9", 18));
    tree.write("wide.dfm", std::string("TPF0\x07" "Caption\x12\x03\0\0\0\x1F\x04\x40\x04\x38\x04", 23));
    tree.write("utf8.dfm", std::string("TPF0\x07" "Caption\x14\x05\0\0\0Caf\xC3\xA9", 22));
    check("chkAnyEncoding")->setChecked(true);
    struct Case {
        const char* key;
        QStringList found;
    };
    const Case cases[] = {
        {"Caf\u00E9", {pathOf("narrow.dfm"), pathOf("utf8.dfm")}},
        // No byte of the page for it, yet found where it is wide.
        {"\u041F\u0440\u0438", {pathOf("wide.dfm")}},
    };
    for (const Case& c : cases) {
        search(root(), "dfm", QString::fromUtf8(c.key));
        QStringList found = lines();
        found.sort();
        EXPECT_EQ(found, c.found) << c.key;
    }
    EXPECT_TRUE(prompts.notices.isEmpty());
    EXPECT_EQ(storedSettings().value("Options/AnyEncoding").toString(), "1");
    restart();
    EXPECT_TRUE(check("chkAnyEncoding")->isChecked());
    check("chkAnyEncoding")->setChecked(false);
    search(root(), "dfm", QString::fromUtf8("Caf\u00E9"));
    EXPECT_EQ(lines(), QStringList{pathOf("narrow.dfm")});
    EXPECT_EQ(storedSettings().value("Options/AnyEncoding").toString(), "0");
}

TEST_F(GrepWindowTest, AnyEncodingSearchesEveryPageThatHoldsTheKey)
{
    // The default page is Central European; the forms are Cyrillic and Chinese.
    opener.codePage = 1250;
    tree.write("cyrillic.dfm", "Caption = '\xCF\xF0\xE8\xE2\xE5\xF2'");
    tree.write("chinese.dfm", "Caption = '\xB3\xC9\xC6\xB7'");
    tree.write("polish.dfm", "Caption = '\xB3\xF3" "d\x9F'");
    const QString cyrillic = QString::fromUtf8("\u041F\u0440\u0438\u0432\u0435\u0442");
    search(root(), "dfm", cyrillic);
    EXPECT_EQ(lines(), QStringList());
    EXPECT_EQ(prompts.notices, QStringList{QString::fromUtf8("Search Key holds characters that the code page Central "
                                                             "European (1250) cannot hold (\"\u041F\", U+041F); tick "
                                                             "Any encoding to search every code page")});
    prompts.notices.clear();
    check("chkAnyEncoding")->setChecked(true);
    const struct {
        QString key;
        bool caseSensitive;
        QStringList found;
    } cases[] = {
        {cyrillic, true, {pathOf("cyrillic.dfm")}},
        {cyrillic.toUpper(), false, {pathOf("cyrillic.dfm")}},
        {QString::fromUtf8("\u6210\u54C1"), true, {pathOf("chinese.dfm")}},
        // The default page's own bytes are still found.
        {QString::fromUtf8("\u0142\u00F3d\u017A"), true, {pathOf("polish.dfm")}},
    };
    for (const auto& c : cases) {
        check("chkCase")->setChecked(c.caseSensitive);
        search(root(), "dfm", c.key);
        EXPECT_EQ(lines(), c.found) << c.key.toStdString();
    }
    EXPECT_TRUE(prompts.notices.isEmpty());
}

TEST_F(GrepWindowTest, FormStringsFindsCharactersInEachFormsPageAndIsKept)
{
    tree.write("declared.dfm", "object F: TF\r\n  Font.Charset = RUSSIAN_CHARSET\r\n  Caption = '\xC4\xE0\xF2\xE0'\r\nend\r\n");
    tree.write("escaped.dfm", "object F: TF\r\n  Caption = #1044#1072 +\r\n    #1090#1072\r\nend\r\n");
    EXPECT_FALSE(storedSettings().contains("Options/FormStrings"));
    check("chkFormStrings")->setChecked(true);
    check("chkCase")->setChecked(false);
    search(root(), "dfm", QString::fromUtf8("\u0434\u0430\u0442\u0430"));
    QStringList found = lines();
    found.sort();
    EXPECT_EQ(found, (QStringList{pathOf("declared.dfm"), pathOf("escaped.dfm")}));
    EXPECT_TRUE(prompts.notices.isEmpty());
    EXPECT_EQ(storedSettings().value("Options/FormStrings").toString(), "1");
    restart();
    EXPECT_TRUE(check("chkFormStrings")->isChecked());
}

TEST_F(GrepWindowTest, WithoutAHomeHistoriesLastOnlyWhileTheWindowDoes)
{
    const RunWithoutHome run;
    restart();
    tree.write("Main.pas", "TButton");
    search(root(), "pas", "TButton");
    EXPECT_EQ(lines(), QStringList{pathOf("Main.pas")});
    EXPECT_EQ(items(box("cbxExp")), QStringList{"TButton"});
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(u'\n').toStdString();
    restart();
    EXPECT_EQ(box("cbxExp")->count(), 0);
    EXPECT_EQ(box("cbxMask")->currentText(), "DFM");
    EXPECT_FALSE(run.wroteSomething());
}

TEST_F(GrepWindowTest, KeepListAppendsAndSortListSortsWithoutCase)
{
    tree.write("b.dfm", "key");
    tree.write("A.dfm", "key");
    tree.write("c.dfm", "key");
    check("chkKeep")->setChecked(true);
    search(root(), "dfm", "key");
    search(root(), "dfm", "key");
    EXPECT_EQ(list()->count(), 6);
    EXPECT_EQ(status(), "Found 6 file(s).");

    check("chkSort")->click();
    const QStringList sorted = {pathOf("A.dfm"), pathOf("A.dfm"), pathOf("b.dfm"),
                                pathOf("b.dfm"), pathOf("c.dfm"), pathOf("c.dfm")};
    EXPECT_EQ(lines(), sorted);
    check("chkKeep")->setChecked(false);
    search(root(), "dfm", "key");
    EXPECT_EQ(lines(), QStringList({pathOf("A.dfm"), pathOf("b.dfm"), pathOf("c.dfm")}));
    button("btnClear")->click();
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(status(), "");
}

TEST_F(GrepWindowTest, StopAtTheFirstFileKeepsEverythingElse)
{
    tree.write("a.dfm", "key");
    window->show();
    QStringList seenWhileBusy;
    // Handled while the search lets events through: the window is busy then.
    QTimer::singleShot(0, window.get(), [&] {
        seenWhileBusy << (window->busy() ? "busy" : "idle")
                      << (button("btnSearch")->isEnabled() ? "search on" : "search off")
                      << (button("bbstop")->isVisible() ? "stop shown" : "stop hidden");
        QTest::keyClick(window.get(), Qt::Key_Escape);
        button("bbstop")->click();
    });
    search(root(), "dfm", "key");
    EXPECT_EQ(seenWhileBusy, QStringList({"busy", "search off", "stop shown"}));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(status(), "0000 " + pathOf("a.dfm"));
    EXPECT_EQ(get<QLabel>("lblStatus")->palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_TRUE(storedSettings().allKeys().isEmpty());
    EXPECT_EQ(box("cbxExp")->count(), 0);
    EXPECT_FALSE(window->busy());
    EXPECT_TRUE(button("bbstop")->isHidden());
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(GrepWindowTest, ClickShowsTheFileAndItsShellActions)
{
    for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt", "5.txt"})
        tree.write(name, "key");
    check("chkSort")->setChecked(true);
    search(root(), "txt", "key");
    ASSERT_EQ(list()->count(), 5);
    EXPECT_TRUE(get<QWidget>("pnlInfo")->isEnabled());
    list()->setCurrentRow(2);
    EXPECT_EQ(status(), "3. " + pathOf("3.txt"));
    EXPECT_EQ(get<QLabel>("lblname")->text(), "3.txt");
    EXPECT_EQ(get<QLabel>("lbltype")->text(), "plain text document");
    EXPECT_TRUE(get<QToolButton>("sbProp")->isEnabled());
    // A click looks the file up as the keyboard does.
    window->show();
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(list()->item(1)).center());
    EXPECT_EQ(status(), "2. " + pathOf("2.txt"));
    EXPECT_EQ(get<QLabel>("lblname")->text(), "2.txt");
    window->hide();

    std::filesystem::remove(tree.path("4.txt"));
    list()->setCurrentRow(3);
    EXPECT_EQ(get<QLabel>("lblattr")->text(), "Can: [] Is: []");
    EXPECT_EQ(get<QLabel>("lblname")->text(), "");
    EXPECT_FALSE(get<QToolButton>("sbProp")->isEnabled());
    prompts.launchSucceeds = false;
    get<QAction>("Shellexecute1")->trigger();
    EXPECT_EQ(prompts.launched, QStringList{pathOf("4.txt")});
    EXPECT_EQ(prompts.notices, QStringList{"Can't launch \"" + pathOf("4.txt") + "\""});

    // Double click: a form goes to the editor with the key, anything else is launched.
    prompts.launchSucceeds = true;
    list()->setCurrentRow(0);
    window->openResult();
    EXPECT_EQ(prompts.launched.last(), pathOf("1.txt"));
    EXPECT_TRUE(opener.opened.isEmpty());
    tree.write("Main.DfM", "key");
    search(root(), "dfm", "key");
    list()->setCurrentRow(0);
    window->openResult();
    EXPECT_EQ(opener.opened, QStringList{pathOf("Main.DfM") + "|key"});
    EXPECT_TRUE(window->isHidden());
}

TEST_F(GrepWindowTest, UnreadableFilesGiveTheScannersBoxAndTheSearchGoesOn)
{
    tree.makeDirectory("folder.dfm");
    tree.write("b.dfm", "key");
    search(root(), "*", "key");
    ASSERT_EQ(prompts.typedErrors.size(), 0);
    // A link whose target vanished after the listing cannot be read.
    ASSERT_EQ(::symlink("gone", tree.path("a.dfm").c_str()), 0);
    tree.write("gone", "key");
    QTimer::singleShot(0, window.get(), [&] { std::filesystem::remove(tree.path("gone")); });
    search(root(), "dfm", "key");
    ASSERT_EQ(prompts.typedErrors.size(), 1);
    EXPECT_TRUE(prompts.typedErrors[0].endsWith("a.dfm.\nFile not found."));
    EXPECT_EQ(lines(), QStringList{pathOf("b.dfm")});
}

TEST_F(GrepWindowTest, FolderPickerFillsTheDirectoryBoxOnOk)
{
    tree.makeDirectory("picked");
    QString caption;
    prompts.onExec = [&](QDialog& dialog) {
        caption = dialog.windowTitle();
        auto& picker = dynamic_cast<QFileDialog&>(dialog);
        picker.setDirectory(root());
        picker.selectFile(pathOf("picked"));
        return int(QDialog::Accepted);
    };
    box("cbxDirectory")->setEditText("typed");
    get<QToolButton>("FolderButton")->click();
    EXPECT_EQ(caption, "Select a folder");
    EXPECT_EQ(box("cbxDirectory")->currentText(), pathOf("picked"));

    prompts.onExec = [](QDialog&) { return int(QDialog::Rejected); };
    box("cbxDirectory")->setEditText("typed");
    get<QToolButton>("FolderButton")->click();
    EXPECT_EQ(box("cbxDirectory")->currentText(), "typed");
}

}  // namespace
}  // namespace dfm
