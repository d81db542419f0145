// What a desktop user expects of the window beyond its files: keys that act only where they belong,
// readable text on any background, unique Alt letters, centred jumps, Redo, F3, the file dialogs'
// filters and the status bar's hint.
#include "EditorFixture.h"
#include "SyntaxPalette.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "LintPanel.h"

namespace {

class DesktopHabits : public EditorFixture {
protected:
    // False when the platform gives no keyboard focus, so that key tests cannot run.
    bool showWithFocusIn(QWidget* widget)
    {
        QWidget* window = widget->window();
        window->show();
        QApplication::setActiveWindow(window);
        if (!QTest::qWaitForWindowActive(window))
            return false;
        widget->setFocus();
        return QApplication::focusWidget() == widget;
    }

    // Answers the colour dialog with the colour given.
    void chooseBackground(const QColor& colour)
    {
        prompts.onExec = [colour](QDialog& dialog) {
            static_cast<QColorDialog&>(dialog).setCurrentColor(colour);
            dialog.accept();
            return int(QDialog::Accepted);
        };
        trigger("ActBackground");
    }

    // The 0-based line of the caret, against the lines the page shows: how far it is from the
    // middle one, in lines.
    static int rowsFromMiddle(dfm::PageEditor* page)
    {
        QApplication::processEvents();
        const QList<dfm::PageEditor::ShownLine> shown = page->shownLines();
        const int caret = page->caretLine() - 1;
        const int rows = page->viewport()->height() / shown.constFirst().height;
        return caret - (shown.constFirst().number + rows / 2);
    }
};

// The captions that share an Alt letter, joined by "/", each group apart.
std::string repeatedLetters(const QStringList& captions)
{
    QMap<QKeySequence, QStringList> owners;
    for (const QString& caption : captions) {
        const QKeySequence key = QKeySequence::mnemonic(caption);
        if (!key.isEmpty())
            owners[key] << caption;
    }
    QStringList repeated;
    for (const QStringList& sharing : owners) {
        if (sharing.size() > 1)
            repeated << sharing.join(u'/');
    }
    return repeated.join(u' ').toStdString();
}

TEST_F(DesktopHabits, KeysOfTheFormPageCommandsDoNothingInTheUnitPage)
{
    openSample();
    pages()->setCurrentIndex(1);
    if (!showWithFocusIn(unitPage()))
        GTEST_SKIP() << "no keyboard focus on this platform";
    const QString unit = unitPage()->text();
    QSignalSpy implementations(findAction("Findimplementation1"), &QAction::triggered);
    // Ctrl+Alt+I reaches a page as Ctrl+I, a tab, on some desktops; Ctrl+Alt+D as a control code.
    const struct {
        Qt::Key key;
        const char* text;
    } keys[] = {{Qt::Key_I, "\t"}, {Qt::Key_I, "i"}, {Qt::Key_D, "\x04"}, {Qt::Key_D, "d"}};
    for (const auto& key : keys) {
        SCOPED_TRACE(key.text);
        unitPage()->select(0, 4);
        QTest::sendKeyEvent(QTest::Click, unitPage(), key.key, QString::fromLatin1(key.text),
                            Qt::ControlModifier | Qt::AltModifier);
        EXPECT_EQ(unitPage()->text(), unit);
        EXPECT_EQ(unitPage()->textCursor().selectedText(), "unit");
        EXPECT_FALSE(unitModified());
        EXPECT_EQ(pages()->currentIndex(), 1);
    }
    EXPECT_EQ(implementations.count(), 0);
    // Other Ctrl+Alt characters still type there (AltGr), and the form page keeps its keys.
    unitPage()->select(0, 0);
    QTest::keyClick(unitPage(), '@', Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(unitPage()->text().startsWith("@unit"));
    pages()->setCurrentIndex(0);
    formPage()->setFocus();
    formPage()->select(formPage()->text().indexOf("CloseButtonClick") + 4, 0);
    QTest::keyClick(formPage(), Qt::Key_I, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(implementations.count(), 1);
    EXPECT_EQ(unitPage()->textCursor().selectedText(), "CloseButtonClick");
}

TEST_F(DesktopHabits, TextStaysReadableOnAnyBackground)
{
    form->show();
    openSample();
    const QColor maroon(128, 0, 0);
    const QColor yellow(255, 255, 0);
    const struct {
        QColor background;
        QColor chosen;
        QColor shown;  // invalid: any colour of enough contrast
    } cases[] = {
        {QColor(0, 0, 128), Qt::white, Qt::white},
        {Qt::white, Qt::white, Qt::black},
        {QColor(255, 255, 200), Qt::white, Qt::black},
        {Qt::white, maroon, maroon},
        {Qt::black, maroon, Qt::white},
        {QColor(128, 128, 128), Qt::white, {}},
        {QColor(0, 0, 128), yellow, yellow},
        {Qt::white, yellow, Qt::black},
    };
    for (int page = 0; page < 2; ++page) {
        pages()->setCurrentIndex(page);
        dfm::PageEditor* memo = currentPage();
        for (const auto& c : cases) {
            SCOPED_TRACE(QStringLiteral("page %1 on %2, %3 chosen").arg(page).arg(c.background.name(), c.chosen.name()).toStdString());
            memo->setTextColor(c.chosen);
            chooseBackground(c.background);
            const QColor shown = memo->palette().color(QPalette::Text);
            EXPECT_GE(dfm::SyntaxPalette::contrast(shown, c.background), dfm::SyntaxPalette::MinimumContrast);
            if (c.shown.isValid()) {
                EXPECT_EQ(shown, c.shown);
            }
            // The choice itself is kept: on a dark background again the chosen colour comes back.
            EXPECT_EQ(memo->textColor(), c.chosen);
        }
    }

    // The font dialog's sample shows the text as the page will, and a readable pick is kept.
    pages()->setCurrentIndex(0);
    formPage()->setTextColor(Qt::white);
    chooseBackground(Qt::white);
    QColor sampleText;
    QColor sampleBackground;
    prompts.onExec = [&](QDialog& dialog) {
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->text() == "AaBbYyZz") {
                sampleText = label->palette().color(QPalette::WindowText);
                sampleBackground = label->palette().color(QPalette::Window);
            }
        }
        auto* colours = dialog.findChild<QComboBox*>("ColorBox");
        colours->setCurrentIndex(colours->findData(maroon));
        return int(QDialog::Accepted);
    };
    trigger("ActFont");
    EXPECT_EQ(sampleBackground, QColor(Qt::white));
    EXPECT_GE(dfm::SyntaxPalette::contrast(sampleText, sampleBackground), dfm::SyntaxPalette::MinimumContrast);
    EXPECT_EQ(formPage()->palette().color(QPalette::Text), maroon);
}

TEST_F(DesktopHabits, TheObjectViewsCodeButtonGoesToTheFieldDeclaration)
{
    openSample();
    trigger("ActObjectView");
    auto* tree = objectViewWindow()->findChild<QTreeWidget*>("Outline1");
    auto* code = objectViewWindow()->findChild<QToolButton*>("CodeButton");
    const auto choose = [tree](const QString& start) {
        const QList<QTreeWidgetItem*> found = tree->findItems(start, Qt::MatchStartsWith | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1) << start.toStdString();
        tree->setCurrentItem(found.constFirst());
    };
    choose("CloseButton:");
    code->click();
    EXPECT_EQ(pages()->currentIndex(), 1);
    EXPECT_EQ(unitPage()->textCursor().selectedText(), "CloseButton:");
    EXPECT_EQ(unitPage()->caretLine(), 16);
    EXPECT_TRUE(prompts.notices.isEmpty());

    choose("Footer:");
    code->click();
    EXPECT_EQ(unitPage()->textCursor().selectedText(), "Footer:");

    // An inherited object has its field in the ancestor: said so, as Find declaration does.
    choose("BasePanel:");
    code->click();
    EXPECT_EQ(prompts.notices, QStringList{"Inherited objects have no declaration..."});
    EXPECT_FALSE(formModified());
    EXPECT_FALSE(unitModified());
}

TEST_F(DesktopHabits, EachWindowGivesItsAltLettersOnce)
{
    // The editor window: menu titles, page tabs and the Alt shortcuts of its commands.
    QStringList top;
    for (const QAction* menu : form->menuBar()->actions())
        top << menu->text();
    for (int i = 0; i < pages()->count(); ++i)
        top << pages()->tabText(i);
    for (const QAction* action : form->actions()) {
        const QKeySequence key = action->shortcut();
        if (!key.isEmpty() && key[0].keyboardModifiers() == Qt::AltModifier)
            top << QStringLiteral("&") + QKeySequence(key[0].key()).toString();
    }
    EXPECT_EQ(repeatedLetters(top), "");
    // Each menu and submenu.
    QList<QMenu*> menus = form->findChildren<QMenu*>();
    for (const QMenu* menu : menus) {
        SCOPED_TRACE(menu->title().toStdString());
        QStringList captions;
        for (const QAction* entry : menu->actions())
            captions << entry->text();
        EXPECT_EQ(repeatedLetters(captions), "");
    }
    // The grep window's labels, boxes and buttons.
    QStringList grep;
    for (const QLabel* label : grepWindow()->findChildren<QLabel*>())
        grep << label->text();
    for (const QAbstractButton* button : grepWindow()->findChildren<QAbstractButton*>())
        grep << button->text();
    EXPECT_EQ(repeatedLetters(grep), "");

    // Alt+X in the grep window presses its Exit button.
    if (!showWithFocusIn(grepWindow()->findChild<QComboBox*>("cbxExp")))
        GTEST_SKIP() << "no keyboard focus on this platform";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !grepWindow()->isVisible(); }, 1000));
}

TEST_F(DesktopHabits, HintsReadAsWords)
{
    EXPECT_EQ(findAction("Actundo")->toolTip(), "Undo");
    EXPECT_EQ(findAction("Actundo")->statusTip(), "Undo last change");
    EXPECT_EQ(findAction("ActHintColor")->statusTip(), "Change hints color");
    // No word doubled onto itself, no second capital after the first.
    const QRegularExpression typo(QStringLiteral("\\b([A-Z][a-z]+)\\1|\\b[A-Z]{2}[a-z]"));
    for (const dfm::EditorCommand& command : dfm::EditorWindow::commands()) {
        const QString hint = QString::fromUtf8(command.hint);
        EXPECT_FALSE(typo.match(hint).hasMatch()) << command.objectName << ": " << command.hint;
    }
}

TEST_F(DesktopHabits, TheOpenDialogListsEveryFormFileFirst)
{
    QTemporaryDir files;
    const QStringList forms = {"a.dfm", "b.DFM", "c.Dfm", "d.lfm", "e.LFM", "f.fmx", "g.FMX", "h.xfm", "i.XFM", "j.xFm"};
    for (const QString& name : forms + QStringList{"k.pas", "l.txt"})
        write(files.filePath(name), "object A: TA\nend\n");
    QStringList listed;
    prompts.onExec = [&](QDialog& dialog) {
        auto& files_ = static_cast<QFileDialog&>(dialog);
        EXPECT_EQ(files_.selectedNameFilter(), files_.nameFilters().constFirst());
        files_.setDirectory(files.path());
        auto* model = dialog.findChild<QFileSystemModel*>();
        const QModelIndex folder = model->index(files.path());
        EXPECT_TRUE(QTest::qWaitFor([&] { return model->rowCount(folder) >= forms.size(); }, 3000));
        QTest::qWait(100);
        for (int row = 0; row < model->rowCount(folder); ++row)
            listed << model->index(row, 0, folder).data().toString();
        return int(QDialog::Rejected);
    };
    trigger("ActFileOpen");
    listed.sort();
    EXPECT_EQ(listed.join(u' ').toStdString(), forms.join(u' ').toStdString());
}

TEST_F(DesktopHabits, SaveAsKeepsTheNameAsTyped)
{
    const QString upper = folder.filePath("UPPER.DFM");
    ASSERT_TRUE(QFile::copy(formPath, upper));
    form->openFormFile(upper);
    prompts.onExec = [&](QDialog& dialog) {
        auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
        auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
        EXPECT_EQ(name->text(), "UPPER.DFM") << "the form's own name, as it is on disk";
        name->clear();
        QTest::keyClicks(name, "Other.DFM");
        // The user picks the text type: the box changes, then reports the pick by index and text.
        types->setCurrentIndex(1);
        emit types->activated(1);
        emit types->textActivated(types->itemText(1));
        EXPECT_EQ(name->text(), "Other.DFM");
        static_cast<QFileDialog&>(dialog).setDirectory(folder.path());
        return int(QDialog::Accepted);
    };
    trigger("ActSaveAs");
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).contains("Other.DFM"));
    EXPECT_EQ(formatPanel(), "Text");
}

TEST_F(DesktopHabits, JumpsCentreTheirLine)
{
    form->resize(700, 600);
    form->show();
    openSample();
    QStringList lines;
    for (int i = 0; i < 600; ++i)
        lines << QStringLiteral("  Line%1 = %1").arg(i);
    loadFormText(lines.join(u'\n'));
    loadUnitText(lines.join(u'\n'));
    ASSERT_GT(formPage()->shownLines().size(), 10);
    const auto jumps = std::vector<std::pair<const char*, std::function<dfm::PageEditor*()>>>{
        {"show line, down", [this] { form->showLine(400); return formPage(); }},
        {"show line, up", [this] { form->showLine(100); return formPage(); }},
        {"form check row", [this] {
             emit part<dfm::LintPanel>("LintPanel")->lineRequested(dfm::LintProblem::File::Unit, 450);
             return unitPage();
         }},
        {"find", [this] {
             pages()->setCurrentIndex(0);
             formPage()->select(0, 0);
             findDialog()->setFindText("Line300 ");
             emit findDialog()->findNextClicked();
             return formPage();
         }},
    };
    for (const auto& [name, jump] : jumps) {
        SCOPED_TRACE(name);
        dfm::PageEditor* page = jump();
        EXPECT_LE(std::abs(rowsFromMiddle(page)), 1);
    }
    // Near the top there is nothing to centre on: the view stays at the start.
    form->showLine(2);
    EXPECT_EQ(formPage()->shownLines().constFirst().number, 0);
}

TEST_F(DesktopHabits, RedoAndFindAgainByKeys)
{
    openSample();
    if (!showWithFocusIn(formPage()))
        GTEST_SKIP() << "no keyboard focus on this platform";
    const QMenu* edit = form->menuBar()->actions()[1]->menu();
    ASSERT_NE(findAction("ActRedo"), nullptr);
    EXPECT_EQ(edit->actions().indexOf(findAction("ActRedo")), edit->actions().indexOf(findAction("Actundo")) + 1);

    const QString original = formPage()->text();
    typeAt(formPage(), 0, "xyz");
    const QString typed = formPage()->text();
    for (const QKeySequence& redo : {QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}) {
        SCOPED_TRACE(redo.toString().toStdString());
        QTest::keySequence(formPage(), QKeySequence("Ctrl+Z"));
        EXPECT_EQ(formPage()->text(), original);
        EXPECT_FALSE(formModified());
        QTest::keySequence(formPage(), redo);
        EXPECT_EQ(formPage()->text(), typed);
        EXPECT_TRUE(formModified());
    }
    trigger("Actundo");
    form->updateCommands();
    EXPECT_TRUE(findAction("ActRedo")->isEnabled());
    trigger("ActRedo");
    EXPECT_EQ(formPage()->text(), typed);
    form->updateCommands();
    EXPECT_FALSE(findAction("ActRedo")->isEnabled());

    // F3 and Shift+F3: the next and previous match of the last search, in the page shown.
    const QString text = formPage()->text();
    std::vector<qsizetype> captions;
    for (qsizetype at = text.indexOf("caption", 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf("caption", at + 1, Qt::CaseInsensitive))
        captions.push_back(at);
    ASSERT_GE(captions.size(), 3u);
    formPage()->select(0, 0);
    findDialog()->setFindText("caption");
    QTest::keyClick(formPage(), Qt::Key_F3);
    EXPECT_EQ(formPage()->selectionStart(), captions[0]);
    QTest::keyClick(formPage(), Qt::Key_F3);
    EXPECT_EQ(formPage()->selectionStart(), captions[1]);
    QTest::keyClick(formPage(), Qt::Key_F3);
    EXPECT_EQ(formPage()->selectionStart(), captions[2]);
    QTest::keyClick(formPage(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(formPage()->selectionStart(), captions[1]);
    EXPECT_EQ(formPage()->textCursor().selectedText(), "Caption");
    QTest::keyClick(formPage(), Qt::Key_F3, Qt::ShiftModifier);
    QTest::keyClick(formPage(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(formPage()->selectionStart(), captions[0]);
    EXPECT_EQ(prompts.beeps, 1) << "nothing before the first match";
    EXPECT_EQ(formPage()->text(), typed);
}

TEST_F(DesktopHabits, TheStatusBarHintFitsTheState)
{
    const QString initial = "Open a form file with Ctrl+O";
    EXPECT_EQ(hintLine(), initial);
    QStatusTipEvent none{QString()};
    QApplication::sendEvent(form.get(), &none);
    EXPECT_EQ(hintLine(), initial) << "no form open: the way to open one";
    openSample();
    EXPECT_EQ(hintLine(), "");
    QApplication::sendEvent(form.get(), &none);
    EXPECT_EQ(hintLine(), "");

    // A save says so, with the time, for a few seconds.
    typeAt(formPage(), formPage()->text().indexOf("Left = ") + 7, "1");
    ASSERT_TRUE(form->save());
    EXPECT_TRUE(QRegularExpression("^Saved at \\d\\d:\\d\\d:\\d\\d$").match(hintLine()).hasMatch()) << hintLine().toStdString();
    auto* timer = form->findChild<QTimer*>("SavedHintTimer");
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_GE(timer->interval(), 2000);
    EXPECT_LE(timer->interval(), 10000);
    timer->start(1);
    EXPECT_TRUE(QTest::qWaitFor([this] { return hintLine().isEmpty(); }, 1000));
}

}  // namespace
