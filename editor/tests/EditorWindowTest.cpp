// The editor window driven as a user would: opening, the question before dropping changes,
// find and replace, caret status, the declaration finder and fonts.
#include "EditorFixture.h"
#include "TFindDialog.h"
#include "TfrmTernGrep.h"

#include "FormDocument.h"

#include <QApplication>
#include <QColorDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QComboBox>
#include <QSpinBox>
#include <QDir>
#include <QFileDialog>
#include <QSettings>
#include <QTabWidget>
#include <QUrl>

using dfm::TMemo;

namespace {

using EditorWindow = EditorFixture;

TEST_F(EditorWindow, StartsEmptyWithTheInitialLook)
{
    EXPECT_EQ(form->windowTitle(), "Quen Delphi Form Editor");
    EXPECT_EQ(form->size(), QSize(611, 499));
    EXPECT_EQ(form->Pages()->tabText(0), "&DFM");
    EXPECT_EQ(form->Pages()->tabText(1), "&Source");
    EXPECT_EQ(form->CurrentMemo(), form->Memo1());
    EXPECT_EQ(form->Memo1()->BackgroundColor(), QColor(0, 0, 128));
    EXPECT_EQ(form->Memo1()->TextColor(), QColor(Qt::white));
    EXPECT_EQ(form->Memo1()->font().pointSize(), 8);
    EXPECT_EQ(form->CaretStatusText(), "L: 000 C: 000");
    EXPECT_TRUE(form->BackupEnabled());
}

TEST_F(EditorWindow, OpensTheFormAsTextWithItsUnit)
{
    OpenSample();
    EXPECT_EQ(form->windowTitle(), formPath);
    EXPECT_EQ(form->Memo1()->Line(0), "object SampleForm: TSampleForm");
    EXPECT_EQ(dfm::PageText::Encode(form->Memo2()->Text(), form->Memo2()->Format()), originalUnit);
    EXPECT_FALSE(Action("ActFileSave")->isEnabled());
    EXPECT_TRUE(Action("ActSaveAs")->isEnabled());
    EXPECT_FALSE(form->Memo1()->Modified());
    EXPECT_FALSE(form->Memo2()->Modified());
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(EditorWindow, RefusesOtherExtensionsAndKeepsTheDocument)
{
    OpenSample();
    const struct {
        const char* path;
        const char* message;
    } cases[] = {
        {"/tmp/notes.txt", "Can't load \".txt\" file type !"},
        {"/tmp/Main", "Can't load \"\" file type !"},
        {"/tmp/a.dfm/Main", "Can't load \"\" file type !"},
        {"/tmp/Main.DFM.bak", "Can't load \".bak\" file type !"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        prompts.notices.clear();
        form->OpenFormFile(c.path);
        EXPECT_EQ(prompts.notices, QStringList{c.message});
        EXPECT_EQ(form->CurrentFileName(), formPath);
    }
}

TEST_F(EditorWindow, OpensAnyLetterCaseOfTheExtension)
{
    for (const char* name : {"Lower.dfm", "Mixed.Dfm", "Upper.DFM"}) {
        SCOPED_TRACE(name);
        const QString path = folder.filePath(name);
        QFile::copy(formPath, path);
        form->OpenFormFile(path);
        EXPECT_EQ(form->CurrentFileName(), path);
        EXPECT_TRUE(form->Memo2()->Text().isEmpty());
    }
    EXPECT_TRUE(prompts.errors.isEmpty());
    EXPECT_TRUE(prompts.notices.isEmpty());
}

TEST_F(EditorWindow, BadFormFilesGiveTheirErrorAndChangeNothing)
{
    OpenSample();
    TypeAt(form->Memo2(), 0, "{kept}");
    QDir(folder.path()).mkdir("Folder.dfm");
    Write(folder.filePath("Text.dfm"), "object A: TA\r\nend\r\n");
    Write(folder.filePath("Short.dfm"), originalForm.left(300));
    Write(folder.filePath("Empty.dfm"), "");
    const struct {
        const char* name;
        QString error;
    } cases[] = {
        {"Missing.dfm", "Impossible d'ouvrir le fichier " + folder.filePath("Missing.dfm") + "."},
        {"Folder.dfm", "Impossible d'ouvrir le fichier " + folder.filePath("Folder.dfm") + "."},
        {"Text.dfm", "Format de flux incorrect."},
        {"Short.dfm", "Erreur de lecture du flux."},
        {"Empty.dfm", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.errors.clear();
        prompts.answers = {false};
        form->OpenFormFile(folder.filePath(c.name));
        ASSERT_EQ(prompts.errors.size(), 1);
        if (!c.error.isEmpty()) {
            EXPECT_EQ(prompts.errors[0], c.error);
        }
        // The old document stays whole, under its own name.
        EXPECT_EQ(form->CurrentFileName(), formPath);
        EXPECT_EQ(form->windowTitle(), formPath);
        EXPECT_TRUE(form->Memo2()->Text().startsWith("{kept}"));
        EXPECT_TRUE(form->Memo2()->Modified());
    }
    // A later save writes the old document under its old name only.
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(Read(folder.filePath("Missing.dfm")), "<missing>");
    EXPECT_TRUE(Read(unitPath).startsWith("{kept}"));
}

TEST_F(EditorWindow, AsksBeforeDroppingChangesAndSavesOnYes)
{
    OpenSample();
    const QString other = folder.filePath("Other.dfm");
    QFile::copy(formPath, other);
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "yes" : "no");
        form->OpenFormFile(formPath);
        TypeAt(form->Memo2(), 0, "{changed}");
        prompts.questions.clear();
        prompts.answers = {yes};
        form->OpenFormFile(other);
        EXPECT_EQ(prompts.questions, QStringList{"Save change|Current form has been modified.\nSave change ?"});
        EXPECT_EQ(form->CurrentFileName(), other);
        EXPECT_EQ(Read(unitPath).startsWith("{changed}"), yes);
        EXPECT_EQ(QFile::exists(folder.filePath("Sample.P$$")), yes);
    }
}

TEST_F(EditorWindow, AsksEvenWithoutAFileAndThenOpens)
{
    TypeAt(form->Memo1(), 0, "x");
    prompts.answers = {true};
    form->OpenFormFile(formPath);
    EXPECT_EQ(prompts.questions.size(), 1);
    EXPECT_EQ(form->CurrentFileName(), formPath);
    EXPECT_EQ(Read(formPath), originalForm);
}

TEST_F(EditorWindow, OpensTheFileNamedOnTheCommandLine)
{
    form.reset();
    form = std::make_unique<dfm::TForm1>(prompts, QStringList{"QuenDFMEd", "\"" + formPath + "\""});
    EXPECT_EQ(form->CurrentFileName(), formPath);
    form.reset();

    // A relative name is held as a full one: a grep search may change the working directory
    // before the save.
    const QString before = QDir::currentPath();
    QDir::setCurrent(folder.path());
    form = std::make_unique<dfm::TForm1>(prompts, QStringList{"QuenDFMEd", "Sample.dfm"});
    QDir::setCurrent(QDir::tempPath());
    EXPECT_EQ(form->CurrentFileName(), formPath);
    EXPECT_EQ(form->windowTitle(), formPath);
    TypeAt(form->Memo2(), 0, "{ saved where it was opened }\n");
    ASSERT_TRUE(form->Save());
    EXPECT_TRUE(Read(unitPath).startsWith("{ saved where it was opened }"));
    QDir::setCurrent(before);
    form.reset();
    form = std::make_unique<dfm::TForm1>(prompts, QStringList{"QuenDFMEd", "ed", "Main.dfm"});
    EXPECT_EQ(prompts.errors, QStringList{"Impossible d'ouvrir le fichier ed Main.dfm."});
    EXPECT_TRUE(form->CurrentFileName().isEmpty());
}

TEST_F(EditorWindow, ADropOpensTheFirstFileOnly)
{
    const QString second = folder.filePath("Second.dfm");
    QFile::copy(formPath, second);
    form->FilesDropped({QUrl::fromLocalFile(second), QUrl::fromLocalFile(formPath), QUrl::fromLocalFile("/tmp/x.txt")});
    EXPECT_EQ(form->CurrentFileName(), second);
    EXPECT_TRUE(prompts.notices.isEmpty());
}

TEST_F(EditorWindow, RefusesAFormTooLargeForAPage)
{
    OpenSample();
    QByteArray text = "object Big: TBig\r\n";
    while (text.size() <= 2097152)
        text += "  Caption = '" + QByteArray(200, 'x') + "'\r\n";
    text += "end\r\n";
    const QString big = folder.filePath("Big.dfm");
    Write(big, dfm::FormDocument::ConvertFormText(QString::fromLatin1(text)));
    form->OpenFormFile(big);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains("at most 2097152")) << prompts.errors[0].toStdString();
    EXPECT_EQ(form->CurrentFileName(), formPath);
    EXPECT_EQ(form->Memo1()->Line(0), "object SampleForm: TSampleForm");
}

class SearchAndReplace : public EditorFixture {
protected:
    void Load(const QString& text)
    {
        form->Memo1()->LoadText(text, dfm::PageText::FormFormat());
        form->Pages()->setCurrentIndex(0);
    }
    QString Text() const { return form->Memo1()->Text(); }
    QString Selected() const { return form->Memo1()->textCursor().selectedText(); }
    void Replace(const QString& find, const QString& with, bool all, bool matchCase = false)
    {
        Trigger("ActReplace");
        dfm::TFindDialog* dialog = form->ReplaceDialog();
        dialog->SetFindText(find);
        dialog->findChild<QLineEdit*>("ReplaceEdit")->setText(with);
        dialog->SetMatchCase(matchCase);
        emit all ? dialog->ReplaceAllClicked() : dialog->ReplaceClicked();
    }
};

TEST_F(SearchAndReplace, FindNextGoesForwardWithOrWithoutCase)
{
    Load("OBJECT a\nObject b\nobject c");
    Trigger("ActFind");
    dfm::TFindDialog* dialog = form->FindDialog();
    dialog->SetFindText("object");
    for (qsizetype expected : {0, 9, 18}) {
        emit dialog->FindNextClicked();
        EXPECT_EQ(form->Memo1()->SelectionStart(), expected);
        EXPECT_EQ(Selected().size(), 6);
    }
    emit dialog->FindNextClicked();
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_EQ(form->Memo1()->SelectionStart(), 18);

    dialog->SetMatchCase(true);
    form->Memo1()->Select(0, 0);
    emit dialog->FindNextClicked();
    EXPECT_EQ(form->Memo1()->SelectionStart(), 18);
    EXPECT_EQ(form->CaretStatusText(), "L: 003 C: 007");
}

TEST_F(SearchAndReplace, TheDialogKeepsItsPage)
{
    Load("alpha beta");
    form->Memo2()->LoadText("beta beta", {});
    Trigger("ActFind");
    form->Pages()->setCurrentIndex(1);
    form->FindDialog()->SetFindText("beta");
    emit form->FindDialog()->FindNextClicked();
    EXPECT_EQ(form->Memo1()->SelectionStart(), 6);
    EXPECT_FALSE(form->Memo2()->textCursor().hasSelection());
}

TEST_F(SearchAndReplace, ReplaceTakesTheSelectionOrTheFirstOccurrence)
{
    Load("cat dog cat dog cat");
    form->Memo1()->Select(15, 0);
    Replace("cat", "cow", false);
    EXPECT_EQ(Text(), "cow dog cat dog cat");
    Replace("cat", "cow", false);
    EXPECT_EQ(Text(), "cow dog cow dog cat");
    EXPECT_EQ(form->Memo1()->SelectionStart(), 11);
    form->Memo1()->Select(16, 3);
    Replace("CAT", "pig", false);
    EXPECT_EQ(Text(), "cow dog cow dog pig");
    Replace("cat", "x", false);
    EXPECT_EQ(Text(), "cow dog cow dog pig");
    EXPECT_EQ(prompts.beeps, 1);
}

TEST_F(SearchAndReplace, ReplaceAllWorksFromTheCaretOn)
{
    const struct {
        const char* name;
        QString text;
        qsizetype caret;
        qsizetype selected;
        QString find;
        QString with;
        bool matchCase;
        QString expected;
    } cases[] = {
        {"whole page", "a.b.a.b", 0, 0, "a", "x", false, "x.b.x.b"},
        {"above the caret untouched", "a.b.a.b", 2, 0, "a", "x", false, "a.b.x.b"},
        {"selected occurrence first", "a.b.a.b", 4, 1, "A", "x", false, "a.b.x.b"},
        {"selection that is not the text", "a.b.a.b", 0, 3, "a", "x", false, "a.b.x.b"},
        {"replacement holds the text", "ab ab", 0, 0, "ab", "abab", false, "abab abab"},
        {"occurrences do not overlap", "aaaaa", 0, 0, "aa", "b", false, "bba"},
        {"case kept apart", "Ab ab AB", 0, 0, "ab", "-", true, "Ab - AB"},
        {"case ignored", "Ab ab AB", 0, 0, "ab", "-", false, "- - -"},
        {"to nothing", "aaa", 0, 0, "a", "", false, ""},
        {"nothing to replace", "bbb", 0, 0, "a", "x", false, "bbb"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Load(c.text);
        form->Memo1()->Select(c.caret, c.selected);
        const int beeps = prompts.beeps;
        Replace(c.find, c.with, true, c.matchCase);
        EXPECT_EQ(Text(), c.expected);
        EXPECT_EQ(prompts.beeps, beeps + 1);
    }
    // The caret ends after the last replacement, nothing selected.
    Load("a.b.a.b");
    Replace("a", "xy", true);
    EXPECT_EQ(form->Memo1()->SelectionStart(), 7);
    EXPECT_EQ(form->Memo1()->SelectionEnd(), 7);
    // One undo step takes the whole command back.
    Load("a a a");
    Replace("a", "b", true);
    Trigger("Actundo");
    EXPECT_EQ(Text(), "a a a");
}

TEST_F(EditorWindow, CaretStatusFollowsTheSelectionEnd)
{
    QString text;
    for (int line = 1; line <= 1234; ++line)
        text += QStringLiteral("line %1\n").arg(line);
    form->Memo1()->LoadText(text, dfm::PageText::FormFormat());
    const struct {
        qsizetype start;
        qsizetype length;
        const char* expected;
    } cases[] = {
        {0, 0, "L: 001 C: 001"},
        {text.indexOf("line 10\n") + 2, 0, "L: 010 C: 003"},
        {text.indexOf("line 2\n"), text.indexOf("line 5\n") + 3 - text.indexOf("line 2\n"), "L: 005 C: 004"},
        {text.indexOf("line 1234"), 0, "L: 1234 C: 001"},
    };
    for (const auto& c : cases) {
        form->Memo1()->Select(c.start, c.length);
        EXPECT_EQ(form->CaretStatusText(), c.expected);
    }
}

TEST_F(EditorWindow, FinderLeadsFromTheFormToTheUnit)
{
    OpenSample();
    TMemo* memo1 = form->Memo1();
    const QString text = memo1->Text();
    const auto caretOn = [&](const QString& needle) { memo1->Select(text.indexOf(needle), 0); };
    const auto source = [&] { return form->Memo2()->textCursor().selectedText(); };
    const auto sourceLine = [&] { return form->Memo2()->CaretLine(); };

    caretOn("object CloseButton");
    Trigger("Finddeclaration1");
    EXPECT_EQ(form->Pages()->currentIndex(), 1);
    EXPECT_EQ(source(), "CloseButton:");
    EXPECT_EQ(sourceLine(), 16);
    EXPECT_EQ(form->FindDialog()->FindText(), "CLOSEBUTTON:");

    form->Pages()->setCurrentIndex(0);
    caretOn("inline Footer");
    Trigger("Finddeclaration1");
    EXPECT_EQ(source(), "Footer:");

    form->Pages()->setCurrentIndex(0);
    memo1->Select(text.indexOf("CloseButtonClick") + 4, 0);
    Trigger("Findimplementation1");
    EXPECT_EQ(source(), "CloseButtonClick");
    EXPECT_EQ(sourceLine(), 51);

    caretOn("inherited BasePanel");
    Trigger("Finddeclaration1");
    EXPECT_EQ(prompts.notices, QStringList{"Inherited objects have no declaration..."});
    EXPECT_EQ(prompts.beeps, 0);

    memo1->Select(text.indexOf("CloseButtonClick") + 4, 0);
    Trigger("Finddeclaration1");
    EXPECT_EQ(prompts.beeps, 1);

    form->Memo2()->LoadText(QString(), {});
    form->Pages()->setCurrentIndex(0);
    Trigger("Findimplementation1");
    EXPECT_EQ(prompts.beeps, 2);
    EXPECT_EQ(prompts.notices.last(), "Can't find \"IMPLEMENTATION\" !");
    EXPECT_EQ(form->Pages()->currentIndex(), 0);
}

TEST_F(EditorWindow, ShowLineSelectsTheObjectLine)
{
    OpenSample();
    form->Pages()->setCurrentIndex(1);
    form->ShowLine(0);
    EXPECT_EQ(form->Pages()->currentIndex(), 0);
    EXPECT_EQ(form->Memo1()->SelectionStart(), 2);
    EXPECT_EQ(form->Memo1()->textCursor().selectedText(), "ject SampleForm: TSampleForm");
    const int panel = form->Memo1()->Text().split(u'\n').indexOf("  object MainPanel: TPanel");
    form->ShowLine(panel);
    EXPECT_EQ(form->Memo1()->textCursor().selectedText(), "object MainPanel: TPanel");
    EXPECT_EQ(form->CaretStatusText(), QStringLiteral("L: %1 C: 027").arg(panel + 1, 3, 10, QLatin1Char('0')));
    form->ShowLine(100000);
    EXPECT_EQ(form->Memo1()->textCursor().selectedText(), "object MainPanel: TPanel");
}

TEST_F(EditorWindow, FontSizeStepsStopAtTheirBounds)
{
    QAction* up = Action("ActUpSize");
    QAction* down = Action("ActDownSize");
    const struct {
        int from;
        QAction* action;
        int to;
        bool upEnabled;
        bool downEnabled;
    } cases[] = {
        {38, up, 40, false, true}, {37, up, 39, false, true}, {8, down, 6, true, false},
        {9, down, 7, true, false}, {8, up, 10, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from);
        QFont font = form->Memo1()->font();
        font.setPointSize(c.from);
        form->Memo1()->setFont(font);
        form->UpdateCommands();
        c.action->trigger();
        form->UpdateCommands();
        EXPECT_EQ(form->Memo1()->font().pointSize(), c.to);
        EXPECT_EQ(up->isEnabled(), c.upEnabled);
        EXPECT_EQ(down->isEnabled(), c.downEnabled);
    }
    EXPECT_EQ(form->Memo2()->font().pointSize(), 8);
}

TEST_F(EditorWindow, EditCommandsFollowTheFocusedEditor)
{
    form->show();
    form->Memo1()->LoadText("hello", dfm::PageText::FormFormat());
    form->Memo1()->setFocus();
    QApplication::setActiveWindow(form.get());
    form->Memo1()->Select(0, 5);
    form->UpdateCommands();
    if (QApplication::focusWidget() != form->Memo1())
        GTEST_SKIP() << "no keyboard focus on this platform";
    EXPECT_TRUE(Action("Copier1")->isEnabled());
    Trigger("Couper1");
    EXPECT_EQ(form->Memo1()->Text(), "");
    form->UpdateCommands();
    EXPECT_TRUE(Action("Actundo")->isEnabled());
    EXPECT_TRUE(Action("ActCancelModified")->isEnabled());
    Trigger("Coller1");
    Trigger("Coller1");
    EXPECT_EQ(form->Memo1()->Text(), "hellohello");
}

TEST_F(EditorWindow, HintLineShowsTheLongPart)
{
    QStatusTipEvent tip(Action("ActFileOpen")->statusTip());
    QApplication::sendEvent(form.get(), &tip);
    EXPECT_EQ(form->HintLineText(), "Open a DFM to explore");
    QStatusTipEvent none{QString()};
    QApplication::sendEvent(form.get(), &none);
    EXPECT_EQ(form->HintLineText(), "");
    QApplication::sendEvent(form.get(), &tip);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(form->Memo1()->viewport(), &enter);
    EXPECT_EQ(form->HintLineText(), "");
}

TEST_F(EditorWindow, BackupSwitchIsStoredBetweenRuns)
{
    Trigger("ActCreateBackup");
    EXPECT_FALSE(form->BackupEnabled());
    form.reset();
    const QString file = qEnvironmentVariable("XDG_CONFIG_HOME") + "/QuenDFMEd/QuenDFMEd.conf";
    EXPECT_EQ(QSettings(file, QSettings::IniFormat).value("TForm1/CREATEBACKUP").toString(), "0");
    form = std::make_unique<dfm::TForm1>(prompts, QStringList{"QuenDFMEd"});
    EXPECT_FALSE(form->BackupEnabled());
    Trigger("ActCreateBackup");
    form.reset();
    EXPECT_EQ(QSettings(file, QSettings::IniFormat).value("TForm1/CREATEBACKUP").toString(), "1");
    {
        QSettings store(file, QSettings::IniFormat);
        store.setValue("TForm1/CREATEBACKUP", "yes");
    }
    form = std::make_unique<dfm::TForm1>(prompts, QStringList{"QuenDFMEd"});
    EXPECT_FALSE(form->BackupEnabled());
}

TEST_F(EditorWindow, ChosenFontAndColoursGoToTheCurrentPage)
{
    prompts.onExec = [](QDialog& dialog) {
        if (auto* colours = qobject_cast<QColorDialog*>(&dialog)) {
            colours->setCurrentColor(QColor(10, 20, 30));
            colours->accept();
            return int(QDialog::Accepted);
        }
        dialog.findChild<QSpinBox*>("SizeBox")->setValue(14);
        return int(QDialog::Accepted);
    };
    form->Pages()->setCurrentIndex(1);
    Trigger("ActBackground");
    EXPECT_EQ(form->Memo2()->BackgroundColor(), QColor(10, 20, 30));
    EXPECT_EQ(form->Memo1()->BackgroundColor(), QColor(0, 0, 128));
    Trigger("ActFont");
    EXPECT_EQ(form->Memo2()->font().pointSize(), 14);
    EXPECT_TRUE(form->Memo2()->font().fixedPitch() || QFontInfo(form->Memo2()->font()).fixedPitch());
    EXPECT_EQ(form->Memo1()->font().pointSize(), 8);
}

}  // namespace

namespace {

TEST_F(EditorWindow, GrepShowsItsWindowAndAFoundFormOpensWithTheKeySelected)
{
    form->show();
    QApplication::setActiveWindow(form.get());
    QTest::keyClick(form->Memo1(), Qt::Key_G, Qt::AltModifier);
    dfm::TfrmTernGrep* grep = form->GrepWindow();
    ASSERT_TRUE(grep->isVisible());
    EXPECT_TRUE(form->isVisible());

    grep->findChild<QComboBox*>("cbxDirectory")->setEditText(folder.path());
    grep->findChild<QComboBox*>("cbxExp")->setEditText("Caption");
    grep->findChild<QPushButton*>("btnSearch")->click();
    auto* list = grep->findChild<QListWidget*>("lbxFiles");
    ASSERT_EQ(list->count(), 1);
    list->setCurrentRow(0);
    grep->lbxFilesDblClick();

    EXPECT_EQ(form->CurrentFileName(), QDir(folder.path()).filePath("Sample.dfm"));
    const QString text = form->Memo1()->Text();
    const qsizetype first = text.indexOf("caption", 0, Qt::CaseInsensitive);
    EXPECT_EQ(form->Memo1()->SelectionStart(), first);
    EXPECT_EQ(form->Memo1()->textCursor().selectedText(), "Caption");
    EXPECT_EQ(form->FindDialog()->FindText(), "Caption");
    EXPECT_TRUE(grep->isVisible());

    // A key the page lacks only beeps.
    grep->findChild<QComboBox*>("cbxExp")->setEditText("TPF0");
    grep->lbxFilesDblClick();
    EXPECT_EQ(prompts.beeps, 1);
}

}  // namespace
