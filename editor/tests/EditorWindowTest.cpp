// The editor window driven as a user would: opening, the question before dropping changes,
// find and replace, caret status, the declaration finder and fonts.
#include "EditorFixture.h"
#include "FindDialog.h"
#include "GrepWindow.h"

#include "FormFiles.h"
#include "SyntaxPalette.h"

#include <QApplication>
#include <QColorDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QComboBox>
#include <QSpinBox>
#include <QDir>
#include <QFileDialog>
#include <QSettings>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextLayout>
#include <QUrl>

#include <functional>
#include <optional>

using dfm::PageEditor;

namespace {

using EditorWindow = EditorFixture;

TEST_F(EditorWindow, StartsEmptyWithTheInitialLook)
{
    EXPECT_EQ(form->windowTitle(), "Quen Delphi Form Editor");
    EXPECT_EQ(form->size(), QSize(611, 499));
    EXPECT_EQ(pages()->tabText(0), "&DFM");
    EXPECT_EQ(pages()->tabText(1), "&Source");
    EXPECT_EQ(currentPage(), formPage());
    EXPECT_EQ(formPage()->backgroundColor(), QColor(0, 0, 128));
    EXPECT_EQ(formPage()->textColor(), QColor(Qt::white));
    EXPECT_EQ(formPage()->font().pointSize(), 8);
    EXPECT_EQ(caretStatus(), "L: 000 C: 000");
    EXPECT_TRUE(form->document().backupEnabled());
}

TEST_F(EditorWindow, OpensTheFormAsTextWithItsUnit)
{
    openSample();
    EXPECT_EQ(form->windowTitle(), formPath);
    EXPECT_EQ(formPage()->line(0), "object SampleForm: TSampleForm");
    EXPECT_EQ(dfm::PageText::encode(unitPage()->text(), form->document().unitFormat()), originalUnit);
    EXPECT_FALSE(findAction("ActFileSave")->isEnabled());
    EXPECT_TRUE(findAction("ActSaveAs")->isEnabled());
    EXPECT_FALSE(formModified());
    EXPECT_FALSE(unitModified());
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(EditorWindow, RefusesOtherExtensionsAndKeepsTheDocument)
{
    openSample();
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
        form->openFormFile(c.path);
        EXPECT_EQ(prompts.notices, QStringList{c.message});
        EXPECT_EQ(form->document().formPath(), formPath);
    }
}

// The desktop types a file as a form by its content too, so a form under any name opens; a
// file that only starts with the same word does not.
TEST_F(EditorWindow, OpensAFormUnderAnyNameByItsContent)
{
    write(folder.filePath("Sample.bin"), originalForm);
    write(folder.filePath("Main"), "object Main: TMain\r\nend\r\n");
    write(folder.filePath("Marked.txt"), "\xEF\xBB\xBFinherited Frame1: TFrame1\r\nend\r\n");
    write(folder.filePath("Notes.txt"), "Objects are kept: here\n");
    write(folder.filePath("Picture.jxl"), QByteArray("\xFF\x0A\xFA\x7F\x01\x00\x00\x00", 8));
    const struct {
        const char* name;
        const char* refusal;  // empty: the form opens
    } cases[] = {
        {"Sample.bin", ""},
        {"Main", ""},
        {"Marked.txt", ""},
        {"Notes.txt", "Can't load \".txt\" file type !"},
        {"Picture.jxl", "Can't load \".jxl\" file type !"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        openSample();
        prompts.notices.clear();
        const QString path = folder.filePath(c.name);
        form->openFormFile(path);
        if (*c.refusal == 0) {
            EXPECT_TRUE(prompts.notices.isEmpty());
            EXPECT_EQ(form->document().formPath(), path);
            EXPECT_TRUE(formPage()->toPlainText().contains(": T"));
        } else {
            EXPECT_EQ(prompts.notices, QStringList{c.refusal});
            EXPECT_EQ(form->document().formPath(), formPath);
        }
    }
    EXPECT_TRUE(prompts.errors.isEmpty());
    // Saved back under its own name, in its own format, with a backup beside it.
    form->openFormFile(folder.filePath("Sample.bin"));
    typeAt(formPage(), formPage()->toPlainText().indexOf("Caption"), " ");
    ASSERT_TRUE(form->save());
    EXPECT_TRUE(read(folder.filePath("Sample.bin")).startsWith(originalForm.left(3)));
    EXPECT_EQ(read(folder.filePath("Sample.B$$")), originalForm);
}

TEST_F(EditorWindow, OpensAnyLetterCaseOfTheExtension)
{
    for (const char* name : {"Lower.dfm", "Mixed.Dfm", "Upper.DFM"}) {
        SCOPED_TRACE(name);
        const QString path = folder.filePath(name);
        QFile::copy(formPath, path);
        form->openFormFile(path);
        EXPECT_EQ(form->document().formPath(), path);
        EXPECT_TRUE(unitPage()->text().isEmpty());
    }
    EXPECT_TRUE(prompts.errors.isEmpty());
    EXPECT_TRUE(prompts.notices.isEmpty());
}

TEST_F(EditorWindow, BadFormFilesGiveTheirErrorAndChangeNothing)
{
    openSample();
    typeAt(unitPage(), 0, "{kept}");
    QDir(folder.path()).mkdir("Folder.dfm");
    write(folder.filePath("Utf16.dfm"), QByteArray("\xFF\xFEo\0b\0j\0", 8));
    write(folder.filePath("Image.dfm"), "\x89PNG\r\n\x1A\n");
    write(folder.filePath("Short.dfm"), originalForm.left(300));
    write(folder.filePath("Empty.dfm"), "");
    const struct {
        const char* name;
        QString error;
    } cases[] = {
        {"Missing.dfm", "Impossible d'ouvrir le fichier " + folder.filePath("Missing.dfm") + " (No such file or directory)"},
        {"Folder.dfm", "Impossible d'ouvrir le fichier " + folder.filePath("Folder.dfm") + " (Is a directory)"},
        {"Utf16.dfm", "Format de flux incorrect."},
        {"Image.dfm", "Format de flux incorrect."},
        {"Short.dfm", "Erreur de lecture du flux."},
        {"Empty.dfm", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.errors.clear();
        prompts.answers = {false};
        form->openFormFile(folder.filePath(c.name));
        ASSERT_EQ(prompts.errors.size(), 1);
        if (!c.error.isEmpty()) {
            EXPECT_EQ(prompts.errors[0], c.error);
        }
        // The old document stays whole, under its own name.
        EXPECT_EQ(form->document().formPath(), formPath);
        EXPECT_EQ(form->windowTitle(), formPath);
        EXPECT_TRUE(unitPage()->text().startsWith("{kept}"));
        EXPECT_TRUE(unitModified());
    }
    // A later save writes the old document under its old name only.
    ASSERT_TRUE(form->save());
    EXPECT_EQ(read(folder.filePath("Missing.dfm")), "<missing>");
    EXPECT_TRUE(read(unitPath).startsWith("{kept}"));
}

TEST_F(EditorWindow, AsksBeforeDroppingChangesAndSavesOnYes)
{
    openSample();
    const QString other = folder.filePath("Other.dfm");
    QFile::copy(formPath, other);
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "yes" : "no");
        form->openFormFile(formPath);
        typeAt(unitPage(), 0, "{changed}");
        prompts.questions.clear();
        prompts.answers = {yes};
        form->openFormFile(other);
        EXPECT_EQ(prompts.questions, QStringList{"Save change|Current form has been modified.\nSave change ?"});
        EXPECT_EQ(form->document().formPath(), other);
        EXPECT_EQ(read(unitPath).startsWith("{changed}"), yes);
        EXPECT_EQ(QFile::exists(folder.filePath("Sample.P$$")), yes);
    }
}

// Escape or the close button of the "Save change ?" box cancels what asked: the form and its edits
// stay as they are.
TEST_F(EditorWindow, ClosingTheSaveQuestionCancelsTheActionThatAsked)
{
    const QString other = folder.filePath("Other.dfm");
    ASSERT_TRUE(QFile::copy(formPath, other));
    form->openFormFile(other);
    const auto reopenOther = [&] {
        for (QAction* entry : form->findChild<QMenu*>("Reopen1")->actions()) {
            if (entry->text().endsWith("Other.dfm"))
                entry->trigger();
        }
    };
    const struct {
        const char* name;
        std::function<void()> ask;
    } cases[] = {
        {"Open", [&] {
             prompts.onExec = [&](QDialog& dialog) {
                 static_cast<QFileDialog&>(dialog).selectFile(other);
                 return int(QDialog::Accepted);
             };
             trigger("ActFileOpen");
         }},
        {"Re-open", reopenOther},
        {"Encoding", [&] { trigger("ActCodePage1250"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        openSample();
        const int codePage = form->document().codePage().number;
        typeAt(unitPage(), 0, "{kept}");
        prompts.questions.clear();
        prompts.answers = {std::nullopt};
        c.ask();
        EXPECT_EQ(prompts.questions.size(), 1);
        EXPECT_EQ(form->document().formPath(), formPath);
        EXPECT_EQ(form->document().codePage().number, codePage);
        EXPECT_TRUE(unitPage()->text().startsWith("{kept}"));
        EXPECT_TRUE(unitModified());
        form->updateCommands();
        EXPECT_TRUE(findAction("ActFileSave")->isEnabled());
        EXPECT_EQ(read(unitPath), originalUnit);
        prompts.answers = {false};
    }
}

TEST_F(EditorWindow, AsksEvenWithoutAFileAndThenOpens)
{
    typeAt(formPage(), 0, "x");
    prompts.answers = {true};
    form->openFormFile(formPath);
    EXPECT_EQ(prompts.questions.size(), 1);
    EXPECT_EQ(form->document().formPath(), formPath);
    EXPECT_EQ(read(formPath), originalForm);
}

TEST_F(EditorWindow, OpensTheFileNamedOnTheCommandLine)
{
    form.reset();
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd", "\"" + formPath + "\""});
    EXPECT_EQ(form->document().formPath(), formPath);
    form.reset();

    // A relative name is held as a full one: a grep search may change the working directory
    // before the save. The caption shows it as typed.
    const QString before = QDir::currentPath();
    QDir::setCurrent(folder.path());
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd", "Sample.dfm"});
    QDir::setCurrent(QDir::tempPath());
    EXPECT_EQ(form->document().formPath(), formPath);
    EXPECT_EQ(form->windowTitle(), "Sample.dfm");
    typeAt(unitPage(), 0, "{ saved where it was opened }\n");
    ASSERT_TRUE(form->save());
    EXPECT_TRUE(read(unitPath).startsWith("{ saved where it was opened }"));
    QDir::setCurrent(before);
    form.reset();
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd", "ed", "Main.dfm"});
    EXPECT_EQ(prompts.errors, QStringList{"Impossible d'ouvrir le fichier ed Main.dfm (No such file or directory)"});
    EXPECT_TRUE(form->document().formPath().isEmpty());
}

TEST_F(EditorWindow, ADropOpensTheFirstFileOnly)
{
    const QString second = folder.filePath("Second.dfm");
    QFile::copy(formPath, second);
    form->filesDropped({QUrl::fromLocalFile(second), QUrl::fromLocalFile(formPath), QUrl::fromLocalFile("/tmp/x.txt")});
    EXPECT_EQ(form->document().formPath(), second);
    EXPECT_TRUE(prompts.notices.isEmpty());
}

TEST_F(EditorWindow, OpensFormsAsLargeAsTheLargestRealOnesAndRefusesOnesTooLargeForAPage)
{
    const auto bigForm = [](qsizetype characters) {
        QByteArray text = "object Big: TBig\r\n";
        while (text.size() <= characters)
            text += "  Caption = '" + QByteArray(200, 'x') + "'\r\n";
        return dfm::FormFiles::convertFormText(QString::fromLatin1(text + "end\r\n"));
    };
    const QString large = folder.filePath("Large.dfm");
    write(large, bigForm(4000000));
    form->openFormFile(large);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(u'\n').toStdString();
    EXPECT_GT(formPage()->text().size(), 4000000);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the busy cursor ends with the opening";

    openSample();
    const QString big = folder.filePath("Big.dfm");
    write(big, bigForm(dfm::FormFiles::PageCapacity));
    form->openFormFile(big);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains("at most 16777216")) << prompts.errors[0].toStdString();
    EXPECT_EQ(form->document().formPath(), formPath);
    EXPECT_EQ(formPage()->line(0), "object SampleForm: TSampleForm");
}

class SearchAndReplace : public EditorFixture {
protected:
    void load(const QString& text)
    {
        loadFormText(text);
        pages()->setCurrentIndex(0);
    }
    QString text() const { return formPage()->text(); }
    QString selected() const { return formPage()->textCursor().selectedText(); }
    void replace(const QString& find, const QString& with, bool all, bool matchCase = false)
    {
        trigger("ActReplace");
        dfm::FindDialog* dialog = replaceDialog();
        dialog->setFindText(find);
        dialog->findChild<QLineEdit*>("ReplaceEdit")->setText(with);
        dialog->setMatchCase(matchCase);
        emit all ? dialog->replaceAllClicked() : dialog->replaceClicked();
    }
};

TEST_F(SearchAndReplace, FindNextGoesForwardWithOrWithoutCase)
{
    load("OBJECT a\nObject b\nobject c");
    trigger("ActFind");
    dfm::FindDialog* dialog = findDialog();
    dialog->setFindText("object");
    for (qsizetype expected : {0, 9, 18}) {
        emit dialog->findNextClicked();
        EXPECT_EQ(formPage()->selectionStart(), expected);
        EXPECT_EQ(selected().size(), 6);
    }
    emit dialog->findNextClicked();
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_EQ(formPage()->selectionStart(), 18);

    dialog->setMatchCase(true);
    formPage()->select(0, 0);
    emit dialog->findNextClicked();
    EXPECT_EQ(formPage()->selectionStart(), 18);
    EXPECT_EQ(caretStatus(), "L: 003 C: 007");
}

TEST_F(SearchAndReplace, TheDialogKeepsItsPage)
{
    load("alpha beta");
    loadUnitText("beta beta");
    trigger("ActFind");
    pages()->setCurrentIndex(1);
    findDialog()->setFindText("beta");
    emit findDialog()->findNextClicked();
    EXPECT_EQ(formPage()->selectionStart(), 6);
    EXPECT_FALSE(unitPage()->textCursor().hasSelection());
}

TEST_F(SearchAndReplace, ReplaceTakesTheSelectionOrTheFirstOccurrence)
{
    load("cat dog cat dog cat");
    formPage()->select(15, 0);
    replace("cat", "cow", false);
    EXPECT_EQ(text(), "cow dog cat dog cat");
    replace("cat", "cow", false);
    EXPECT_EQ(text(), "cow dog cow dog cat");
    EXPECT_EQ(formPage()->selectionStart(), 11);
    formPage()->select(16, 3);
    replace("CAT", "pig", false);
    EXPECT_EQ(text(), "cow dog cow dog pig");
    replace("cat", "x", false);
    EXPECT_EQ(text(), "cow dog cow dog pig");
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
        load(c.text);
        formPage()->select(c.caret, c.selected);
        const int beeps = prompts.beeps;
        replace(c.find, c.with, true, c.matchCase);
        EXPECT_EQ(text(), c.expected);
        EXPECT_EQ(prompts.beeps, beeps + 1);
    }
    // The caret ends after the last replacement, nothing selected.
    load("a.b.a.b");
    replace("a", "xy", true);
    EXPECT_EQ(formPage()->selectionStart(), 7);
    EXPECT_EQ(formPage()->selectionEnd(), 7);
    // One undo step takes the whole command back.
    load("a a a");
    replace("a", "b", true);
    trigger("Actundo");
    EXPECT_EQ(text(), "a a a");
}

TEST_F(EditorWindow, CaretStatusFollowsTheSelectionEnd)
{
    QString text;
    for (int line = 1; line <= 1234; ++line)
        text += QStringLiteral("line %1\n").arg(line);
    loadFormText(text);
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
        formPage()->select(c.start, c.length);
        EXPECT_EQ(caretStatus(), c.expected);
    }
}

TEST_F(EditorWindow, FinderLeadsFromTheFormToTheUnit)
{
    openSample();
    PageEditor* page = formPage();
    const QString text = page->text();
    const auto caretOn = [&](const QString& needle) { page->select(text.indexOf(needle), 0); };
    const auto source = [&] { return unitPage()->textCursor().selectedText(); };
    const auto sourceLine = [&] { return unitPage()->caretLine(); };

    caretOn("object CloseButton");
    trigger("Finddeclaration1");
    EXPECT_EQ(pages()->currentIndex(), 1);
    EXPECT_EQ(source(), "CloseButton:");
    EXPECT_EQ(sourceLine(), 16);
    EXPECT_EQ(findDialog()->findText(), "CLOSEBUTTON:");

    pages()->setCurrentIndex(0);
    caretOn("inline Footer");
    trigger("Finddeclaration1");
    EXPECT_EQ(source(), "Footer:");

    pages()->setCurrentIndex(0);
    page->select(text.indexOf("CloseButtonClick") + 4, 0);
    trigger("Findimplementation1");
    EXPECT_EQ(source(), "CloseButtonClick");
    EXPECT_EQ(sourceLine(), 51);

    caretOn("inherited BasePanel");
    trigger("Finddeclaration1");
    EXPECT_EQ(prompts.notices, QStringList{"Inherited objects have no declaration..."});
    EXPECT_EQ(prompts.beeps, 0);

    page->select(text.indexOf("CloseButtonClick") + 4, 0);
    trigger("Finddeclaration1");
    EXPECT_EQ(prompts.beeps, 1);

    loadUnitText(QString());
    pages()->setCurrentIndex(0);
    trigger("Findimplementation1");
    EXPECT_EQ(prompts.beeps, 2);
    EXPECT_EQ(prompts.notices.last(), "Can't find \"IMPLEMENTATION\" !");
    EXPECT_EQ(pages()->currentIndex(), 0);
}

TEST_F(EditorWindow, ShowLineSelectsTheObjectLine)
{
    openSample();
    pages()->setCurrentIndex(1);
    form->showLine(0);
    EXPECT_EQ(pages()->currentIndex(), 0);
    EXPECT_EQ(formPage()->selectionStart(), 2);
    EXPECT_EQ(formPage()->textCursor().selectedText(), "ject SampleForm: TSampleForm");
    const int panel = formPage()->text().split(u'\n').indexOf("  object MainPanel: TPanel");
    form->showLine(panel);
    EXPECT_EQ(formPage()->textCursor().selectedText(), "object MainPanel: TPanel");
    // The selection ends on the line break, counted as two characters: a 26-character line
    // shows column 28, also after a switch of pages and back.
    const QString status = QStringLiteral("L: %1 C: 028").arg(panel + 1, 3, 10, QLatin1Char('0'));
    EXPECT_EQ(caretStatus(), status);
    pages()->setCurrentIndex(1);
    pages()->setCurrentIndex(0);
    EXPECT_EQ(caretStatus(), status);
    form->showLine(100000);
    EXPECT_EQ(formPage()->textCursor().selectedText(), "object MainPanel: TPanel");
    // Any move of the caret afterwards counts from the text again.
    QTest::keyClick(formPage(), Qt::Key_Left);
    EXPECT_EQ(caretStatus(), QStringLiteral("L: %1 C: 003").arg(panel + 1, 3, 10, QLatin1Char('0')));
    formPage()->select(formPage()->selectionStart(), 0);
    QTest::keyClick(formPage(), Qt::Key_End);
    EXPECT_EQ(caretStatus(), QStringLiteral("L: %1 C: 027").arg(panel + 1, 3, 10, QLatin1Char('0')));

    // Short lines too: the caret column is the line's length plus two.
    loadFormText("object A: TA\n\nx\nend");
    const struct {
        int line;
        const char* status;
    } cases[] = {{0, "L: 001 C: 014"}, {1, "L: 002 C: 002"}, {2, "L: 003 C: 003"}, {3, "L: 004 C: 005"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        form->showLine(c.line);
        EXPECT_EQ(caretStatus(), c.status);
    }
}

TEST_F(EditorWindow, FontSizeStepsStopAtTheirBounds)
{
    QAction* up = findAction("ActUpSize");
    QAction* down = findAction("ActDownSize");
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
        QFont font = formPage()->font();
        font.setPointSize(c.from);
        formPage()->setFont(font);
        form->updateCommands();
        c.action->trigger();
        form->updateCommands();
        EXPECT_EQ(formPage()->font().pointSize(), c.to);
        EXPECT_EQ(up->isEnabled(), c.upEnabled);
        EXPECT_EQ(down->isEnabled(), c.downEnabled);
    }
    EXPECT_EQ(unitPage()->font().pointSize(), 8);
}

TEST_F(EditorWindow, EditCommandsFollowTheFocusedEditor)
{
    form->show();
    loadFormText("hello");
    formPage()->setFocus();
    QApplication::setActiveWindow(form.get());
    formPage()->select(0, 5);
    form->updateCommands();
    if (QApplication::focusWidget() != formPage())
        GTEST_SKIP() << "no keyboard focus on this platform";
    EXPECT_TRUE(findAction("Copier1")->isEnabled());
    trigger("Couper1");
    EXPECT_EQ(formPage()->text(), "");
    form->updateCommands();
    EXPECT_TRUE(findAction("Actundo")->isEnabled());
    EXPECT_TRUE(findAction("ActCancelModified")->isEnabled());
    trigger("Coller1");
    trigger("Coller1");
    EXPECT_EQ(formPage()->text(), "hellohello");
}

TEST_F(EditorWindow, HintLineShowsTheLongPart)
{
    QStatusTipEvent tip(findAction("ActFileOpen")->statusTip());
    QApplication::sendEvent(form.get(), &tip);
    EXPECT_EQ(hintLine(), "Open a DFM to explore");
    QStatusTipEvent none{QString()};
    QApplication::sendEvent(form.get(), &none);
    EXPECT_EQ(hintLine(), "Open a form file with Ctrl+O") << "no form open";
    openSample();
    QApplication::sendEvent(form.get(), &none);
    EXPECT_EQ(hintLine(), "");
    QApplication::sendEvent(form.get(), &tip);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(formPage()->viewport(), &enter);
    EXPECT_EQ(hintLine(), "");
}

TEST_F(EditorWindow, BackupSwitchIsStoredBetweenRuns)
{
    trigger("ActCreateBackup");
    EXPECT_FALSE(form->document().backupEnabled());
    form.reset();
    const QString file = qEnvironmentVariable("XDG_CONFIG_HOME") + "/QuenDFMEd/QuenDFMEd.conf";
    EXPECT_EQ(QSettings(file, QSettings::IniFormat).value("TForm1/CREATEBACKUP").toString(), "0");
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    EXPECT_FALSE(form->document().backupEnabled());
    trigger("ActCreateBackup");
    form.reset();
    EXPECT_EQ(QSettings(file, QSettings::IniFormat).value("TForm1/CREATEBACKUP").toString(), "1");
    {
        QSettings store(file, QSettings::IniFormat);
        store.setValue("TForm1/CREATEBACKUP", "yes");
    }
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    EXPECT_FALSE(form->document().backupEnabled());
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
    pages()->setCurrentIndex(1);
    trigger("ActBackground");
    EXPECT_EQ(unitPage()->backgroundColor(), QColor(10, 20, 30));
    EXPECT_EQ(formPage()->backgroundColor(), QColor(0, 0, 128));
    trigger("ActFont");
    EXPECT_EQ(unitPage()->font().pointSize(), 14);
    EXPECT_TRUE(unitPage()->font().fixedPitch() || QFontInfo(unitPage()->font()).fixedPitch());
    EXPECT_EQ(formPage()->font().pointSize(), 8);
}

// The colour a page paints the character at the 0-based line and column in, invalid for none.
QColor paintedColour(PageEditor* page, int line, int column)
{
    page->viewport()->repaint();
    QApplication::processEvents();
    const QTextBlock block = page->document()->findBlockByNumber(line);
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (column >= range.start && column < range.start + range.length)
            return range.format.foreground().color();
    }
    return {};
}

TEST_F(EditorWindow, SyntaxColoursFollowTheBackgroundAndNeverReachTheFiles)
{
    setBackups(false);
    form->show();
    openSample();
    pages()->setCurrentIndex(1);
    pages()->setCurrentIndex(0);
    ASSERT_EQ(formPage()->line(0), "object SampleForm: TSampleForm");
    ASSERT_TRUE(unitPage()->line(0).startsWith("unit "));
    const auto keyword = [](PageEditor* page) { return page->syntaxPalette().color(dfm::SyntaxRole::Keyword); };
    EXPECT_EQ(paintedColour(formPage(), 0, 0), keyword(formPage()));
    EXPECT_EQ(paintedColour(formPage(), 0, 7), formPage()->syntaxPalette().color(dfm::SyntaxRole::Identifier));
    pages()->setCurrentIndex(1);
    EXPECT_EQ(paintedColour(unitPage(), 0, 0), keyword(unitPage()));

    // A white background: the unit page's colours turn dark and stay readable; the form page's stay.
    prompts.onExec = [](QDialog& dialog) {
        static_cast<QColorDialog&>(dialog).setCurrentColor(Qt::white);
        dialog.accept();
        return int(QDialog::Accepted);
    };
    trigger("ActBackground");
    EXPECT_EQ(paintedColour(unitPage(), 0, 0), dfm::SyntaxPalette(Qt::white).color(dfm::SyntaxRole::Keyword));
    EXPECT_GE(dfm::SyntaxPalette::contrast(paintedColour(unitPage(), 0, 0), Qt::white), 4.5);
    EXPECT_EQ(paintedColour(formPage(), 0, 0), dfm::SyntaxPalette(QColor(0, 0, 128)).color(dfm::SyntaxRole::Keyword));

    trigger("ActSyntaxColors");
    for (PageEditor* page : {formPage(), unitPage()}) {
        EXPECT_FALSE(page->syntaxColoured());
        EXPECT_EQ(paintedColour(page, 0, 0), QColor());
    }
    trigger("ActSyntaxColors");
    EXPECT_EQ(paintedColour(unitPage(), 0, 0), keyword(unitPage()));
    pages()->setCurrentIndex(0);
    EXPECT_EQ(paintedColour(formPage(), 0, 0), keyword(formPage()));

    // None of it is an edit: nothing to save, nothing to undo, and closing writes nothing.
    form->updateCommands();
    EXPECT_FALSE(findAction("ActFileSave")->isEnabled());
    EXPECT_FALSE(findAction("Actundo")->isEnabled());
    EXPECT_FALSE(formModified());
    EXPECT_FALSE(unitModified());
    EXPECT_TRUE(form->close());
    EXPECT_EQ(read(formPath), originalForm);
    EXPECT_EQ(read(unitPath), originalUnit);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(EditorWindow, LineNumbersStandBesideBothPagesWhenAsked)
{
    form->show();
    openSample();
    const auto gutter = [](PageEditor* page) { return page->findChild<QWidget*>("LineNumbers"); };
    const int textLeft = formPage()->viewport()->x();
    for (PageEditor* page : {formPage(), unitPage()})
        EXPECT_FALSE(gutter(page)->isVisibleTo(page));

    trigger("ActLineNumbers");
    for (PageEditor* page : {formPage(), unitPage()}) {
        ASSERT_TRUE(gutter(page)->isVisibleTo(page));
        EXPECT_GT(gutter(page)->width(), 0);
        EXPECT_EQ(page->viewport()->x(), textLeft + gutter(page)->width());
    }
    // Wider for five-digit numbers; the text moves with it.
    const int narrow = gutter(formPage())->width();
    loadFormText(QString(12000, u'\n'));
    EXPECT_GT(gutter(formPage())->width(), narrow);
    EXPECT_EQ(formPage()->viewport()->x(), textLeft + gutter(formPage())->width());
    loadFormText(QString());
    const QList<PageEditor::ShownLine> shown = formPage()->shownLines();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].number, 0);

    trigger("ActLineNumbers");
    EXPECT_FALSE(gutter(formPage())->isVisibleTo(formPage()));
    EXPECT_EQ(formPage()->viewport()->x(), textLeft);
}

}  // namespace

namespace {

TEST_F(EditorWindow, GrepShowsItsWindowAndAFoundFormOpensWithTheKeySelected)
{
    form->show();
    QApplication::setActiveWindow(form.get());
    QTest::keyClick(formPage(), Qt::Key_G, Qt::AltModifier);
    dfm::GrepWindow* grep = grepWindow();
    ASSERT_TRUE(grep->isVisible());
    EXPECT_TRUE(form->isVisible());

    grep->findChild<QComboBox*>("cbxDirectory")->setEditText(folder.path());
    grep->findChild<QComboBox*>("cbxExp")->setEditText("Caption");
    grep->findChild<QPushButton*>("btnSearch")->click();
    auto* list = grep->findChild<QListWidget*>("lbxFiles");
    ASSERT_EQ(list->count(), 1);
    list->setCurrentRow(0);
    grep->openResult();

    EXPECT_EQ(form->document().formPath(), QDir(folder.path()).filePath("Sample.dfm"));
    const QString text = formPage()->text();
    const qsizetype first = text.indexOf("caption", 0, Qt::CaseInsensitive);
    EXPECT_EQ(formPage()->selectionStart(), first);
    EXPECT_EQ(formPage()->textCursor().selectedText(), "Caption");
    EXPECT_EQ(findDialog()->findText(), "Caption");
    EXPECT_TRUE(grep->isVisible());

    // A key the page lacks only beeps.
    grep->findChild<QComboBox*>("cbxExp")->setEditText("TPF0");
    grep->openResult();
    EXPECT_EQ(prompts.beeps, 1);
}

}  // namespace
