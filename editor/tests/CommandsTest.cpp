// The window's commands as the user meets them: the command table, the menus and tool bar that
// carry them, their shortcuts, the calculator and the about window.
#include "EditorFixture.h"
#include "CalculatorButton.h"
#include "PopupCalculator.h"
#include "CalculatorDialog.h"
#include "EditorStore.h"
#include "Version.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QSignalSpy>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

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

TEST_F(Commands, EveryCommandIsAnActionBuiltFromItsRow)
{
    QSet<QString> names;
    QSet<QKeySequence> shortcuts;
    for (const dfm::EditorCommand& command : dfm::EditorWindow::commands()) {
        SCOPED_TRACE(command.objectName);
        const QString name = QString::fromLatin1(command.objectName);
        EXPECT_FALSE(names.contains(name)) << "object names are unique";
        names.insert(name);
        QAction* action = findAction(command.objectName);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), command.caption);
        const QList<QKeySequence> keys =
            *command.shortcut == '\0'
                ? QList<QKeySequence>()
                : QKeySequence::listFromString(QString::fromLatin1(command.shortcut), QKeySequence::PortableText);
        EXPECT_EQ(action->shortcuts(), keys);
        for (const QKeySequence& shortcut : keys) {
            EXPECT_FALSE(shortcut.isEmpty());
            EXPECT_FALSE(shortcuts.contains(shortcut)) << "shortcuts are unique";
            shortcuts.insert(shortcut);
        }
        EXPECT_EQ(action->property("category").toString(), command.group);
        // "tip|hint line": the tool tip and the status bar's hint; one text serves both.
        const QStringList hint = QString::fromUtf8(command.hint).split(u'|');
        if (!hint.constFirst().isEmpty()) {
            EXPECT_EQ(action->toolTip(), hint.constFirst());
            EXPECT_EQ(action->statusTip(), hint.constLast());
        }
        EXPECT_EQ(action->icon().isNull(), command.iconName == nullptr);
        EXPECT_EQ(action->isCheckable(), command.checked != nullptr);
        const bool inFormPage = command.scope == dfm::EditorCommand::Scope::FormPage;
        EXPECT_EQ(action->shortcutContext(), inFormPage ? Qt::WidgetShortcut : Qt::WindowShortcut);
        EXPECT_EQ(form->actions().contains(action), !inFormPage);
        EXPECT_EQ(formPage()->actions().contains(action), inFormPage);
    }
    // The window's own commands are exactly the table's.
    for (const QAction* action : form->actions())
        EXPECT_TRUE(names.contains(action->objectName())) << action->objectName().toStdString();
}

TEST_F(Commands, ACommandsIdentifierFindsItsActionAndItsStoredName)
{
    QSet<const QAction*> actions;
    for (const dfm::EditorCommand& command : dfm::EditorWindow::commands()) {
        SCOPED_TRACE(command.objectName);
        const QAction* action = form->action(command.id);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->objectName(), command.objectName);
        actions.insert(action);
    }
    EXPECT_EQ(actions.size(), static_cast<qsizetype>(dfm::CommandCount));
    // The switches are stored under their actions' names, as earlier versions stored them.
    const struct {
        dfm::CommandId id;
        QLatin1StringView storedAs;
    } switches[] = {
        {dfm::CommandId::SyntaxColours, dfm::EditorStore::SyntaxColours},
        {dfm::CommandId::LineNumbers, dfm::EditorStore::LineNumbers},
    };
    for (const auto& [id, storedAs] : switches)
        EXPECT_EQ(form->action(id)->objectName() + "_Checked", storedAs);
}

TEST_F(Commands, AFreshWindowOffersWhatItsStateAllows)
{
    form->updateCommands();
    const QStringList disabled = {"ActFileSave", "ActSaveAs", "Actundo", "ActRedo", "Copier1", "Couper1", "Coller1",
                                  "ActCancelModified", "ActCheckForm"};
    for (const dfm::EditorCommand& command : dfm::EditorWindow::commands()) {
        SCOPED_TRACE(command.objectName);
        EXPECT_EQ(findAction(command.objectName)->isEnabled(), !disabled.contains(command.objectName));
        if (!findAction(command.objectName)->isEnabled()) {
            EXPECT_NE(command.enabled, nullptr) << "only a command with a rule may be off";
        }
    }
    EXPECT_TRUE(findAction("ActHint")->isChecked());
    EXPECT_TRUE(findAction("ActCreateBackup")->isChecked());
    EXPECT_TRUE(findAction("ActSyntaxColors")->isChecked());
    EXPECT_FALSE(findAction("ActLineNumbers")->isChecked());
}

TEST_F(Commands, EveryCommandIsInOneMenu)
{
    QMap<QString, int> placed;
    QList<QMenu*> menus = {part<QMenu>("PopupMenu1")};
    for (const QAction* entry : form->menuBar()->actions())
        menus << entry->menu();
    for (const QMenu* menu : menus) {
        for (const QAction* entry : menu->actions())
            ++placed[entry->objectName()];
    }
    for (const dfm::EditorCommand& command : dfm::EditorWindow::commands())
        EXPECT_EQ(placed.value(command.objectName), 1) << command.objectName;
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
        {"&Edit",
         {"&Undo", "Re&do", "-", "Cu&t", "&Copy", "&Paste", "-", "&Find", "Find &next", "Find pre&vious", "&Replace", "-",
          "Cancel &modified flag"}},
        {"&Tools",
         {"&Object view", "Form &view", "-", "&Grep", "&Calculator", "-", "&Downsize font", "Up&size font", "Change &font",
          "Display &hints", "Hint colo&r", "Bac&kground color", "S&yntax colours", "&Line numbers",
          "Create backup", "-", "Check form against &unit", "&Ignored classes...", "-", "&Encoding"}},
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
    // The window's own; the form view has a tool bar of its own.
    const QList<QToolBar*> bars = form->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(bars.size(), 1);
    EXPECT_EQ(entries(bars[0]->actions(), true),
              QStringList({"ActFileOpen", "ActFileSave", "ActSaveAs", "-", "ActGrep", "-", "Actundo", "-", "Copier1",
                           "Couper1", "Coller1", "-", "ActFind", "ActReplace", "-", "ActUpSize", "ActDownSize",
                           "ActFont", "-", "ActCalc", "-", "ActObjectView", "-", "ActCheckForm", "-", "ActCancelModified", "-",
                           "ActExit"}));
    for (QAction* action : bars[0]->actions()) {
        if (!action->isSeparator()) {
            EXPECT_FALSE(action->icon().isNull()) << action->objectName().toStdString();
            EXPECT_FALSE(action->toolTip().isEmpty()) << action->objectName().toStdString();
        }
    }
}

TEST_F(Commands, StandardCommandsShowPicturesOfTheirMeaning)
{
    const auto image = [](const QIcon& icon) { return icon.pixmap(16, 16).toImage(); };
    // Pictures of the style that mean something else: a trash can, a check mark, a link, a reload.
    QList<QImage> borrowed;
    for (const QStyle::StandardPixmap other : {QStyle::SP_TrashIcon, QStyle::SP_DialogApplyButton,
                                                QStyle::SP_FileLinkIcon, QStyle::SP_BrowserReload, QStyle::SP_ArrowBack})
        borrowed << image(QApplication::style()->standardIcon(other));
    QList<QImage> seen;
    for (const char* name : {"ActFileOpen", "ActFileSave", "ActSaveAs", "ActExit", "Actundo", "Couper1", "Copier1",
                             "Coller1", "ActFind", "ActReplace"}) {
        SCOPED_TRACE(name);
        const QImage picture = image(findAction(name)->icon());
        ASSERT_FALSE(picture.isNull());
        EXPECT_FALSE(seen.contains(picture)) << "two commands look alike";
        EXPECT_FALSE(borrowed.contains(picture));
        seen << picture;
    }

    // The desktop theme's icon comes first where it has one.
    QTemporaryDir themes;
    ASSERT_TRUE(QDir(themes.path()).mkpath("quentest/16x16/actions"));
    write(themes.filePath("quentest/index.theme"),
          "[Icon Theme]\nName=quentest\nDirectories=16x16/actions\n\n[16x16/actions]\nSize=16\nType=Fixed\n");
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(themes.filePath("quentest/16x16/actions/edit-cut.png")));
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString themeName = QIcon::themeName();
    QIcon::setThemeSearchPaths({themes.path()});
    QIcon::setThemeName("quentest");
    form.reset();
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    const QImage themed = image(findAction("Couper1")->icon()).convertToFormat(QImage::Format_ARGB32);
    QIcon::setThemeName(themeName);
    QIcon::setThemeSearchPaths(searchPaths);
    EXPECT_EQ(themed, red);
}

TEST_F(Commands, ShortcutsRunTheirCommandsOnlyWhileEnabled)
{
    form->show();
    QApplication::setActiveWindow(form.get());
    formPage()->setFocus();
    form->updateCommands();
    int finds = 0;
    prompts.onExec = [&finds](QDialog&) {
        ++finds;
        return int(QDialog::Rejected);
    };
    // No shortcut of a greyed command runs it.
    for (const dfm::EditorCommand& command : dfm::EditorWindow::commands()) {
        QAction* action = findAction(command.objectName);
        const QKeySequence shortcut = action->shortcut();
        if (action->isEnabled() || shortcut.isEmpty())
            continue;
        SCOPED_TRACE(command.objectName);
        QSignalSpy runs(action, &QAction::triggered);
        QTest::keySequence(formPage(), shortcut);
        EXPECT_EQ(runs.count(), 0);
    }
    // Ctrl+S while Save is greyed does nothing; after a change it saves.
    QTest::keyClick(formPage(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(read(formPath), originalForm);
    form->openFormFile(formPath);
    typeAt(formPage(), formPage()->text().indexOf("Left = ") + 7, "1");
    form->updateCommands();
    QTest::keyClick(formPage(), Qt::Key_S, Qt::ControlModifier);
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
    EXPECT_TRUE(texts.contains(QString("Version ") + dfm::ProductVersion));
    EXPECT_TRUE(texts.contains(QString("Copyright (C) ") + dfm::CopyrightYear + " The Quen DFM Editor developers"));
    EXPECT_EQ(texts.size(), 4) << "title, version, copyright and a description";
}

// Commands driven by keys on the shown window, as a user at the keyboard would.
class KeyboardCommands : public EditorFixture {
protected:
    // False when the platform gives no keyboard focus, so that key tests cannot run.
    bool showWithFocusIn(dfm::PageEditor* page)
    {
        form->show();
        QApplication::setActiveWindow(form.get());
        if (!QTest::qWaitForWindowActive(form.get()))
            return false;
        page->setFocus();
        return QApplication::focusWidget() == page;
    }
};

TEST_F(KeyboardCommands, EditMenuOpenedByKeyJudgesThePageThatHadTheFocus)
{
    openSample();
    if (!showWithFocusIn(formPage()))
        GTEST_SKIP() << "no keyboard focus on this platform";
    QApplication::clipboard()->setText("pasted");
    formPage()->select(0, 6);
    QTest::keyClick(formPage(), Qt::Key_E, Qt::AltModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr) << "Alt+E opens the Edit menu";
    EXPECT_EQ(menu->title(), "&Edit");
    // The update rules run while the menu is open, as the application is then idle.
    QTest::qWait(20);
    for (const char* name : {"Couper1", "Copier1", "Coller1"})
        EXPECT_TRUE(findAction(name)->isEnabled()) << name;
    // C chooses Copy: the selection goes to the clipboard and the focus back to the page.
    QTest::keyClick(menu, Qt::Key_C);
    QTest::qWait(20);
    EXPECT_EQ(QApplication::clipboard()->text(), "object");
    EXPECT_EQ(QApplication::focusWidget(), formPage());

    // Through the menu by keys, Paste reaches the page too; without a selection Cut and Copy stay off.
    formPage()->select(0, 0);
    QTest::keyClick(formPage(), Qt::Key_E, Qt::AltModifier);
    menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QTest::qWait(20);
    EXPECT_FALSE(findAction("Couper1")->isEnabled());
    EXPECT_FALSE(findAction("Copier1")->isEnabled());
    EXPECT_TRUE(findAction("Coller1")->isEnabled());
    QTest::keyClick(menu, Qt::Key_P);
    QTest::qWait(20);
    EXPECT_TRUE(formPage()->text().startsWith("objectobject"));
}

TEST_F(KeyboardCommands, AnAltKeyThatNothingBindsLeavesTheTextAlone)
{
    openSample();
    if (!showWithFocusIn(formPage()))
        GTEST_SKIP() << "no keyboard focus on this platform";
    const QString before = formPage()->text();
    const struct {
        char key;
        Qt::KeyboardModifiers modifiers;
    } unbound[] = {
        {'c', Qt::AltModifier}, {'q', Qt::AltModifier}, {'K', Qt::AltModifier | Qt::ShiftModifier},
        {'1', Qt::AltModifier}, {',', Qt::AltModifier}, {' ', Qt::AltModifier},
    };
    for (const auto& key : unbound) {
        SCOPED_TRACE(key.key);
        formPage()->select(0, 6);
        QTest::keyClick(formPage(), key.key, key.modifiers);
        EXPECT_EQ(formPage()->text(), before);
        EXPECT_EQ(formPage()->textCursor().selectedText(), "object");
        EXPECT_FALSE(formModified());
    }
    // Ctrl with Alt is how some keyboards type characters (AltGr): those still type.
    formPage()->select(0, 6);
    QTest::keyClick(formPage(), '@', Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(formPage()->text().startsWith("@ "));
    // Plain letters type as ever.
    QTest::keyClick(formPage(), 'c');
    EXPECT_TRUE(formPage()->text().startsWith("@c "));
}

TEST_F(KeyboardCommands, AltKeysOfTheObjectViewActInItWhileItIsActive)
{
    openSample();
    if (!showWithFocusIn(formPage()))
        GTEST_SKIP() << "no keyboard focus on this platform";
    trigger("ActObjectView");
    dfm::ObjectViewWindow* view = objectViewWindow();
    QApplication::setActiveWindow(view);
    ASSERT_TRUE(QTest::qWaitForWindowActive(view));
    auto* tree = view->findChild<QTreeWidget*>("Outline1");
    tree->expandAll();
    QTreeWidgetItem* panel = tree->topLevelItem(0)->child(0);
    tree->setCurrentItem(panel);
    const int panelLine = panel->text(0).section(u'[', 1).section(u']', 0, 0).toInt() - 1;
    QSignalSpy definitions(view, &dfm::ObjectViewWindow::showLineRequested);
    QSignalSpy codes(view->findChild<QToolButton*>("CodeButton"), &QToolButton::clicked);
    pages()->setCurrentIndex(1);
    QWidget* keys = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : view;
    ASSERT_EQ(keys->window(), view);

    // Alt+D presses "&Def." (not the form page's tab "&DFM"): the object's line is shown.
    QTest::keyClick(keys, Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(definitions.count() == 1 || definitions.wait(1000));
    ASSERT_EQ(definitions.count(), 1);
    EXPECT_EQ(definitions[0].at(0).toInt(), panelLine);
    EXPECT_EQ(pages()->currentIndex(), 0);
    EXPECT_EQ(formPage()->caretLine(), panelLine + 1);
    // Alt+C presses "&Code", and nothing else happens.
    const QString text = formPage()->text();
    QTest::keyClick(keys, Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(codes.count() == 1 || codes.wait(1000));
    EXPECT_EQ(codes.count(), 1);
    EXPECT_EQ(formPage()->text(), text);

    // Back in the editor window, Alt+D is its page tab again.
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    unitPage()->setFocus();
    pages()->setCurrentIndex(1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::AltModifier);
    QTest::qWait(300);
    EXPECT_EQ(pages()->currentIndex(), 0);
    EXPECT_EQ(definitions.count(), 1);
}

}  // namespace
