// The editor window between runs: the recent-file list and its submenu, the stored placement and
// properties, the object view command, and a run with no folder to keep settings in.
#include "ColorValue.h"
#include "EditorFixture.h"
#include "ObjectViewWindow.h"
#include "RecentFiles.h"
#include "ScopedEnvironment.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTreeWidget>

namespace {

using StoredSettings = EditorFixture;

QString settingsFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + "/QuenDFMEd/QuenDFMEd.conf";
}

QStringList menuCaptions(const QMenu* menu)
{
    QStringList captions;
    for (const QAction* action : menu->actions())
        captions << action->text();
    return captions;
}

class RecentForms : public EditorFixture {
protected:
    // Copies of the sample form: F0.dfm, F1.dfm, ...
    QString copy(int n)
    {
        const QString path = folder.filePath(QStringLiteral("F%1.dfm").arg(n));
        EXPECT_TRUE(QFile::copy(formPath, path));
        return path;
    }
    QMenu* reopen() const { return form->findChild<QMenu*>("Reopen1"); }
};

TEST_F(RecentForms, ElevenOpensKeepTheTenNewestBetweenRuns)
{
    form->show();
    ASSERT_NE(reopen(), nullptr);
    EXPECT_FALSE(reopen()->menuAction()->isEnabled());
    QStringList opened;
    for (int n = 0; n < 11; ++n) {
        opened.prepend(copy(n));
        form->openFormFile(opened.constFirst());
    }
    EXPECT_TRUE(reopen()->menuAction()->isEnabled());
    const QStringList captions = menuCaptions(reopen());
    ASSERT_EQ(captions.size(), 10);
    EXPECT_EQ(captions.constFirst(), "&1 " + opened[0]);
    EXPECT_EQ(captions.constLast(), "&A " + opened[9]);
    EXPECT_EQ(recentFiles()->items(), opened.mid(0, 10));

    ASSERT_TRUE(form->close());
    QSettings stored(settingsFile(), QSettings::IniFormat);
    stored.beginGroup("TForm1.MRUManager1");
    EXPECT_EQ(stored.childKeys().size(), 10);
    EXPECT_EQ(stored.value("Item_0").toString(), opened[0]);
    EXPECT_EQ(stored.value("Item_9").toString(), opened[9]);
    stored.endGroup();

    // Choosing an entry opens it; it moves to the top only through that open.
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    form->show();
    reopen()->actions()[3]->trigger();
    EXPECT_EQ(form->document().formPath(), opened[3]);
    EXPECT_EQ(recentFiles()->items().constFirst(), opened[3]);

    // A form that has gone away gives the open's error and stays in the list.
    ASSERT_TRUE(QFile::remove(opened[5]));
    const QStringList before = recentFiles()->items();
    reopen()->actions()[before.indexOf(opened[5])]->trigger();
    EXPECT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(recentFiles()->items(), before);
    EXPECT_EQ(form->document().formPath(), opened[3]);
}

TEST_F(RecentForms, AFormNamedOnTheCommandLineJoinsOnlyAStoredList)
{
    const QString stored = copy(1);
    {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        settings.setValue("TForm1.MRUManager1/Item_0", stored);
    }
    const QString named = copy(2);
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd", named});
    EXPECT_EQ(recentFiles()->items(), QStringList{named});
    form->show();
    EXPECT_EQ(form->document().formPath(), named);
    EXPECT_EQ(recentFiles()->items(), QStringList{stored});
}

TEST_F(StoredSettings, WindowFontsColoursAndHintsComeBackAfterARestart)
{
    form->show();
    form->setGeometry(40, 50, 700, 520);
    QFont font("DejaVu Sans Mono");
    font.setPointSize(12);
    font.setBold(true);
    unitPage()->setFont(font);
    unitPage()->setBackgroundColor(QColor(10, 20, 30));
    formPage()->setTextColor(QColor(255, 255, 0));
    trigger("ActHint");
    ASSERT_TRUE(form->close());
    {
        QSettings stored(settingsFile(), QSettings::IniFormat);
        stored.beginGroup("TForm1");
        EXPECT_EQ(stored.value("NormPos").toString(), "40,50,740,570");
        EXPECT_EQ(stored.value("ShowCmd").toString(), "1");
        EXPECT_EQ(stored.value("Memo2_Color").toString(), QString::number(10 + (20 << 8) + (30 << 16)));
        EXPECT_EQ(stored.value("Memo2_FontSize").toString(), "12");
        EXPECT_EQ(stored.value("Memo2_FontStyle").toString(), "[fsBold]");
        EXPECT_EQ(stored.value("Memo1_FontColor").toString(), QString::number(0x00FFFF));
        EXPECT_EQ(stored.value("Memo1_FontName").toString(), "Courier New");
        EXPECT_EQ(stored.value("AppEvents1_ShowHint").toString(), "False");
    }

    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    form->show();
    EXPECT_EQ(form->geometry(), QRect(40, 50, 700, 520));
    EXPECT_EQ(unitPage()->font().pointSize(), 12);
    EXPECT_TRUE(unitPage()->font().bold());
    EXPECT_EQ(unitPage()->backgroundColor(), QColor(10, 20, 30));
    EXPECT_EQ(formPage()->textColor(), QColor(255, 255, 0));
    form->updateCommands();
    EXPECT_FALSE(findAction("ActHint")->isChecked());
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(StoredSettings, SyntaxColoursAndLineNumbersComeBackAfterARestart)
{
    const auto stored = [] {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        settings.beginGroup("TForm1");
        return QStringList{settings.value("ActSyntaxColors_Checked").toString(),
                           settings.value("ActLineNumbers_Checked").toString()};
    };
    for (const auto& [colours, numbers] : {std::pair{false, true}, std::pair{true, false}}) {
        SCOPED_TRACE(colours);
        form->show();
        if (formPage()->syntaxColoured() != colours)
            trigger("ActSyntaxColors");
        if (formPage()->lineNumbersShown() != numbers)
            trigger("ActLineNumbers");
        ASSERT_TRUE(form->close());
        EXPECT_EQ(stored(), (QStringList{colours ? "True" : "False", numbers ? "True" : "False"}));

        form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
        form->show();
        form->updateCommands();
        for (const dfm::PageEditor* page : {formPage(), unitPage()}) {
            EXPECT_EQ(page->syntaxColoured(), colours);
            EXPECT_EQ(page->lineNumbersShown(), numbers);
        }
        EXPECT_EQ(findAction("ActSyntaxColors")->isChecked(), colours);
        EXPECT_EQ(findAction("ActLineNumbers")->isChecked(), numbers);
    }
}

TEST_F(StoredSettings, DialogsKeepTheFileNamesTheyWereGiven)
{
    const QString chosen = folder.filePath("Copy.dfm");
    const auto stored = [] {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        settings.beginGroup("TForm1");
        return QStringList{settings.value("OpenDialog1_FileName").toString(),
                           settings.value("SaveDialog1_FileName").toString(),
                           settings.value("SaveDialog1_InitialDir").toString()};
    };
    form->show();
    // Opened through its dialog: the open dialog has the path chosen, the save dialog the name.
    prompts.onExec = [&](QDialog& dialog) {
        static_cast<QFileDialog&>(dialog).selectFile(formPath);
        return int(QDialog::Accepted);
    };
    trigger("ActFileOpen");
    ASSERT_EQ(form->document().formPath(), formPath);
    ASSERT_TRUE(form->close());
    EXPECT_EQ(stored(), (QStringList{formPath, "Sample.dfm", folder.path()}));

    // Saved as through its dialog in the next run: now the other way round.
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    form->show();
    openSample();
    prompts.onExec = [&](QDialog& dialog) {
        static_cast<QFileDialog&>(dialog).selectFile(chosen);
        return int(QDialog::Accepted);
    };
    trigger("ActSaveAs");
    ASSERT_EQ(form->document().formPath(), chosen);
    ASSERT_TRUE(form->close());
    EXPECT_EQ(stored(), (QStringList{"Copy.dfm", chosen, folder.path()}));

    // A restart takes them back as they are.
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    form->show();
    ASSERT_TRUE(form->close());
    EXPECT_EQ(stored(), (QStringList{"Copy.dfm", chosen, folder.path()}));
}

TEST_F(StoredSettings, ObjectViewShowsTheFormPagesTreeAndLeadsToItsLines)
{
    openSample();
    dfm::ObjectViewWindow* view = objectViewWindow();
    EXPECT_FALSE(view->isVisible());
    form->show();
    trigger("ActObjectView");
    ASSERT_TRUE(view->isVisible());
    auto* tree = view->findChild<QTreeWidget*>("Outline1");
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "SampleForm: TSampleForm [1]");

    // Show definition leads to the object's line in the form page.
    tree->expandAll();
    QTreeWidgetItem* panel = tree->topLevelItem(0)->child(0);
    tree->setCurrentItem(panel);
    pages()->setCurrentIndex(1);
    view->showDefinition();
    EXPECT_EQ(pages()->currentIndex(), 0);
    EXPECT_TRUE(formPage()->textCursor().selectedText().startsWith("object "));
    // The caret stands on the line break, which counts as two characters.
    const QString line = formPage()->line(formPage()->caretLine() - 1);
    EXPECT_TRUE(caretStatus().endsWith(QStringLiteral("C: %1").arg(line.size() + 2, 3, 10, QLatin1Char('0'))))
        << caretStatus().toStdString();

    // Opening a form while the view is shown rebuilds it; while it is hidden, nothing does.
    const QString other = folder.filePath("Other.dfm");
    ASSERT_TRUE(QFile::copy(formPath, other));
    // The edits below are dropped at each open.
    prompts.answers = {false, false};
    loadFormText("object Other: TOther\nend\n");
    form->openFormFile(other);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "SampleForm: TSampleForm [1]");
    view->close();
    loadFormText("object Changed: TChanged\nend\n");
    form->openFormFile(formPath);
    loadFormText("object Edited: TEdited\nend\n");
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "SampleForm: TSampleForm [1]");
    trigger("ActObjectView");
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "Edited: TEdited [1]");
}

}  // namespace

namespace {

QSettings objectViewStore()
{
    return QSettings(qEnvironmentVariable("XDG_CONFIG_HOME") + "/QuenDFMEd/QuenDFMEd.INI", QSettings::IniFormat);
}

TEST_F(StoredSettings, ObjectViewKeepsItsSettingsInItsOwnFile)
{
    QFile::remove(objectViewStore().fileName());
    form->show();
    // Never shown in a run: nothing is written.
    form.reset();
    EXPECT_FALSE(QFile::exists(objectViewStore().fileName()));

    // Closed before the exit: saved once, at the close.
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    form->show();
    trigger("ActObjectView");
    objectViewWindow()->setOutlineColor(dfm::ColorValue::fromColor(QColor(1, 2, 3)));
    objectViewWindow()->close();
    objectViewWindow()->setOutlineColor(dfm::ColorValue::clWindow);
    form.reset();
    EXPECT_EQ(objectViewStore().value("TFObjectView/Visible").toString(), "0");
    EXPECT_EQ(objectViewStore().value("TFObjectView/Outline1_Color").toString(), "197121");
    EXPECT_EQ(objectViewStore().value("TFObjectView/Outline1_FontName").toString(), "Courier New");
    EXPECT_EQ(objectViewStore().value("TFObjectView/Outline1_FontSize").toString(), "10");

    // Restored when shown; left open at the exit: saved then, with the window's colour as a
    // desktop colour. The exit closes the editor, then every window still open.
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    form->show();
    trigger("ActObjectView");
    EXPECT_EQ(objectViewWindow()->outlineColor(), dfm::ColorValue::fromColor(QColor(1, 2, 3)));
    objectViewWindow()->setOutlineColor(dfm::ColorValue::clWindow);
    ASSERT_TRUE(form->close());
    QApplication::closeAllWindows();
    form.reset();
    EXPECT_EQ(objectViewStore().value("TFObjectView/Visible").toString(), "1");
    EXPECT_EQ(objectViewStore().value("TFObjectView/Outline1_Color").toString(), "-2147483643");
}

}  // namespace

namespace {

TEST_F(StoredSettings, ADamagedStoreStillOpensAUsableWindowOnScreen)
{
    QDir().mkpath(QFileInfo(settingsFile()).absolutePath());
    {
        QFile file(settingsFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[TForm1\n\x01\x02garbage=\n[TForm1]\nNormPos=90000,90000,90700,90500\nPixelsPerInch=96\n"
                   "Memo1_FontSize=0\nMemo1_Color=navy\nMemo2_FontName=\nShowCmd=banana\n"
                   "[TForm1.MRUManager1]\nItem_0=\nItem_3=/nowhere/Gone.dfm\n");
    }
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    form->show();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.intersects(form->frameGeometry())) << form->frameGeometry().x();
    EXPECT_EQ(formPage()->font().pointSize(), 8);
    EXPECT_EQ(formPage()->backgroundColor(), QColor(Qt::black));
    EXPECT_FALSE(unitPage()->font().family().isEmpty());
    EXPECT_EQ(recentFiles()->items(), QStringList{"/nowhere/Gone.dfm"});
    EXPECT_TRUE(prompts.errors.isEmpty());
}

}  // namespace

namespace {

const QString SettingsNotKept = QStringLiteral("Settings are not kept: no home folder");

TEST_F(StoredSettings, WithoutAHomeTheEditorSaysSoOnceAndWritesNothing)
{
    EXPECT_EQ(form->statusBar()->currentMessage(), "") << "with a home there is nothing to say";
    form.reset();
    const RunWithoutHome run;
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd", formPath});
    QSignalSpy messages(form->statusBar(), &QStatusBar::messageChanged);
    form->show();
    EXPECT_EQ(form->statusBar()->currentMessage(), SettingsNotKept);
    EXPECT_FALSE(part<QLabel>("CaretPanel")->isVisible()) << "the message covers the panels";
    form->statusBar()->clearMessage();
    form->hide();
    form->show();
    // Everything that is stored with a home: the backup switch, the default code page, the
    // object view, the recent files and the placement at the close.
    setBackups(false);
    trigger("ActDefaultCodePage");
    trigger("ActObjectView");
    objectViewWindow()->close();
    ASSERT_TRUE(form->close());
    form.reset();
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(u'\n').toStdString();
    EXPECT_FALSE(run.wroteSomething());
    // Nor Qt's own store, which its file dialog writes whenever one goes.
    const QString qtStore = QSettings(QSettings::UserScope, "QtProject").fileName();
    EXPECT_FALSE(QFileInfo::exists(qtStore)) << qtStore.toStdString();
    const auto told = std::count_if(messages.begin(), messages.end(),
                                    [](const QList<QVariant>& message) { return message.at(0) == SettingsNotKept; });
    EXPECT_EQ(told, 1) << "said once, also when the window is shown again";
}

TEST_F(StoredSettings, ARelativeConfigHomeIsIgnoredForHomeDotConfig)
{
    form.reset();
    QTemporaryDir home;
    QTemporaryDir work;
    const QString previousFolder = QDir::currentPath();
    QDir::setCurrent(work.path());
    {
        ScopedEnvironment environment;
        environment.set("HOME", home.path().toLocal8Bit());
        environment.set("XDG_CONFIG_HOME", "relative-config");
        form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
        form->show();
        EXPECT_EQ(form->statusBar()->currentMessage(), "");
        setBackups(false);
        form->close();
        form.reset();
    }
    QDir::setCurrent(previousFolder);
    const QSettings stored(home.filePath(".config/QuenDFMEd/QuenDFMEd.conf"), QSettings::IniFormat);
    EXPECT_EQ(stored.value("TForm1/CREATEBACKUP").toString(), "0");
    EXPECT_TRUE(QFileInfo::exists(home.filePath(".config/QtProject.conf"))) << "Qt's file dialog follows the same rule";
    EXPECT_TRUE(QDir(work.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

TEST_F(StoredSettings, NoEmptyStoreIsMadeBeforeThereIsSomethingToStore)
{
    // Started and ended without a change: only the backup switch, a real value, is written.
    form.reset();
    const QString configFolder = qEnvironmentVariable("XDG_CONFIG_HOME");
    EXPECT_FALSE(QFileInfo::exists(configFolder + "/QUENDFMED")) << "the grep window's store";
    EXPECT_FALSE(QFileInfo::exists(configFolder + "/QuenDFMEd/QuenDFMEd.INI")) << "the object view's store";
    EXPECT_EQ(QSettings(settingsFile(), QSettings::IniFormat).allKeys(), QStringList{"TForm1/CREATEBACKUP"});
}

}  // namespace
