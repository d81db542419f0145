// The window's commands as the user meets them: the command table, the menus and tool bar that
// carry them, their shortcuts, the calculator and the about window.
#include "EditorFixture.h"
#include "CalculatorButton.h"
#include "PopupCalculator.h"
#include "CalculatorDialog.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace {

using Commands = EditorFixture;

// A menu's or tool bar's entries in order: captions (or object names), "-" for a separator.
QStringList entries(const QList<QAction*>& actions, bool byName)
{
    QStringList entries;
    for (const QAction* action : actions) {
        if (action->isSeparator())
            entries << QStringLiteral("-");
        else
            entries << (byName ? action->objectName() : action->text());
    }
    return entries;
}

TEST_F(Commands, EveryCommandCarriesItsCaptionShortcutGroupHintAndStartState)
{
    const struct {
        const char* name;
        const char* caption;
        const char* shortcut;
        const char* group;
        const char* tip;
        const char* hintLine;
        bool enabled;
    } cases[] = {
        {"ActFileOpen", "&Open file", "Ctrl+O", "CatFile", "Open DFM", "Open a DFM to explore", true},
        {"ActFileSave", "&Save file", "Ctrl+S", "CatFile", "Save", "Save current DFM", false},
        {"ActSaveAs", "Save &as", "", "CatFile", "Save as", "Save current form as...", false},
        {"ActGrep", "&Grep", "Alt+G", "CatFile", "Grep", "Search for files on disk", true},
        {"ActExit", "E&xit", "Alt+X", "CatFile", "Close application", "Close application", true},
        {"Actundo", "&Undo", "Ctrl+Z", "Edition", "UndoUndo last change", "UndoUndo last change", false},
        {"Copier1", "&Copy", "Ctrl+C", "Edition", "Copy", "Copy text", false},
        {"Couper1", "C&ut", "Ctrl+X", "Edition", "Cut", "Cut text", false},
        {"Coller1", "&Paste", "Ctrl+V", "Edition", "Paste", "Paste from clipboard", false},
        {"ActFind", "&Find", "Ctrl+F", "Edition", "Find", "Find text", true},
        {"ActReplace", "&Replace", "Ctrl+R", "Edition", "Replace", "Replace text", true},
        {"ActUpSize", "Up&size font", "", "Edition", "Upsize font", "Upsize memo font", true},
        {"ActDownSize", "&Downsize font", "", "Edition", "Downsize font", "Downsize memo font", true},
        {"ActCancelModified", "Cancel &modified flag", "", "Edition", "Cancel \"Modified\"",
         "Cancel \"modified\" flag to avoid auto saving", false},
        {"ActFont", "Change &font", "", "Tools", "Font", "Change font", true},
        {"ActCalc", "&Calculator", "", "Tools", "Calculator", "Popup calculator", true},
        {"ActHint", "Display &hints", "", "Tools", "Hints", "Switch on / off hint display", true},
        {"ActHintColor", "Hint c&olor", "", "Tools", "Hints color", "CHange hints color", true},
        {"ActBackground", "Bac&kground color", "", "Tools", "Background", "Change background color", true},
        {"ActObjectView", "&Object view", "", "Tools", "Show hierarchical object view",
         "Show hierarchical object view", true},
        {"ActCreateBackup", "Create backup", "", "Tools", "Create backup of modified DFM and PAS files (D$$ and P$$)",
         "Create backup of modified DFM and PAS files (D$$ and P$$)", true},
    };
    form->updateCommands();
    QStringList expected;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expected << QString::fromLatin1(c.name);
        QAction* action = findAction(c.name);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), c.caption);
        EXPECT_EQ(action->shortcut().toString(), c.shortcut);
        EXPECT_EQ(action->property("category").toString(), c.group);
        EXPECT_EQ(action->toolTip(), c.tip);
        EXPECT_EQ(action->statusTip(), c.hintLine);
        EXPECT_EQ(action->isEnabled(), c.enabled);
    }
    EXPECT_TRUE(findAction("ActHint")->isChecked());
    EXPECT_TRUE(findAction("ActCreateBackup")->isChecked());

    // The window has exactly these commands, besides the about entry and the form page's pop-up menu.
    QStringList present;
    for (const QAction* action : form->actions())
        if (!action->property("category").toString().isEmpty() && action->objectName() != "About1")
            present << action->objectName();
    present.sort();
    expected.sort();
    EXPECT_EQ(present, expected);

    const struct {
        const char* name;
        const char* caption;
        const char* shortcut;
    } others[] = {
        {"About1", "&About", ""},
        {"Finddeclaration1", "Find &declaration", "Ctrl+Alt+D"},
        {"Findimplementation1", "Find &implementation", "Ctrl+Alt+I"},
    };
    for (const auto& c : others) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(findAction(c.name), nullptr);
        EXPECT_EQ(findAction(c.name)->text(), c.caption);
        EXPECT_EQ(findAction(c.name)->shortcut().toString(), c.shortcut);
    }
}

TEST_F(Commands, MenusHoldTheirEntriesInOrder)
{
    const QList<QAction*> menus = form->menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    const struct {
        const char* title;
        QStringList entries;
    } expected[] = {
        {"&File", {"&Open file", "Re-open ...", "&Save file", "-", "Save &as", "-", "E&xit"}},
        {"&Edit", {"&Undo", "-", "C&ut", "&Copy", "&Paste", "-", "&Find", "&Replace", "-", "Cancel &modified flag"}},
        {"&Tools",
         {"&Object view", "-", "&Grep", "&Calculator", "-", "&Downsize font", "Up&size font", "Change &font",
          "Display &hints", "Hint c&olor", "Bac&kground color", "Create backup"}},
        {"&Help", {"&About"}},
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(expected[i].title);
        EXPECT_EQ(menus[i]->text(), expected[i].title);
        ASSERT_NE(menus[i]->menu(), nullptr);
        EXPECT_EQ(entries(menus[i]->menu()->actions(), false), expected[i].entries);
    }
    // Entries bound to a command are the command itself, so they show its shortcut and state.
    EXPECT_TRUE(menus[0]->menu()->actions().contains(findAction("ActFileSave")));
    EXPECT_TRUE(menus[2]->menu()->actions().contains(findAction("ActCalc")));
    EXPECT_FALSE(menus[0]->menu()->actions()[1]->isEnabled()) << "Re-open is off while no form was opened";
}

TEST_F(Commands, ToolBarHoldsItsButtonsInGroups)
{
    const QList<QToolBar*> bars = form->findChildren<QToolBar*>();
    ASSERT_EQ(bars.size(), 1);
    EXPECT_EQ(entries(bars[0]->actions(), true),
              QStringList({"ActFileOpen", "ActFileSave", "ActSaveAs", "-", "ActGrep", "-", "Actundo", "-", "Copier1",
                           "Couper1", "Coller1", "-", "ActFind", "ActReplace", "-", "ActUpSize", "ActDownSize",
                           "ActFont", "-", "ActCalc", "-", "ActObjectView", "-", "ActCancelModified", "-",
                           "ActExit"}));
    for (QAction* action : bars[0]->actions()) {
        if (!action->isSeparator()) {
            EXPECT_FALSE(action->icon().isNull()) << action->objectName().toStdString();
        }
    }
}

TEST_F(Commands, ShortcutsRunTheirCommandsOnlyWhileEnabled)
{
    form->show();
    QApplication::setActiveWindow(form.get());
    form->formPage()->setFocus();
    form->updateCommands();
    int finds = 0;
    prompts.onExec = [&finds](QDialog&) {
        ++finds;
        return int(QDialog::Rejected);
    };
    // Ctrl+S while Save is greyed does nothing; after a change it saves.
    QTest::keyClick(form->formPage(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(read(formPath), originalForm);
    form->openFormFile(formPath);
    typeAt(form->formPage(), form->formPage()->Text().indexOf("Left = ") + 7, "1");
    form->updateCommands();
    QTest::keyClick(form->formPage(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_NE(read(formPath), originalForm);
    EXPECT_FALSE(findAction("ActFileSave")->isEnabled());
    EXPECT_TRUE(QFile::exists(folder.filePath("Sample.D$$")));
    EXPECT_EQ(finds, 0);
}

TEST_F(Commands, CalculatorKeepsItsValueBetweenOpenings)
{
    std::vector<QString> shown;
    prompts.onExec = [&shown](QDialog& dialog) {
        auto& calculator = dynamic_cast<dfm::CalculatorDialog&>(dialog);
        EXPECT_EQ(calculator.windowTitle(), "Calculator");
        shown.push_back(calculator.findChild<QLabel*>("Display")->text());
        QTest::keyClicks(&calculator, "6*7=");
        QTest::qWait(40);
        calculator.findChild<dfm::CalculatorButton*>("OkKey")->click();
        return dialog.result();
    };
    trigger("ActCalc");
    trigger("ActCalc");
    EXPECT_EQ(shown, (std::vector<QString>{"0", "42"}));
    EXPECT_EQ(form->calculator()->value(), 42);
}

TEST_F(Commands, AboutWindowShowsItsTexts)
{
    QStringList texts;
    QString caption;
    prompts.onExec = [&](QDialog& dialog) {
        caption = dialog.windowTitle();
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) {
                texts << label->text();
            } else {
                EXPECT_FALSE(label->pixmap().isNull());
            }
        }
        return int(QDialog::Accepted);
    };
    trigger("About1");
    EXPECT_EQ(caption, "About ...");
    EXPECT_TRUE(texts.contains("Quen DFM Editor"));
    EXPECT_TRUE(texts.contains("Version 1.01 - 10/98"));
    EXPECT_EQ(texts.size(), 3) << "title, version and a description";
}

}  // namespace
