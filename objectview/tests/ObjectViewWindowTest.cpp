// The object view window driven offscreen: rebuilding, expanding and collapsing, jumping to a
// definition, the font and colour dialogs, a refused build and the hints.
#include "ColorValue.h"
#include "ScriptedPrompts.h"
#include "ObjectTreeError.h"
#include "ObjectViewWindow.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <stdexcept>

namespace dfm {
namespace {

const QStringList Example = {"object Form1: TForm1", "Caption = 'A'", "object Panel1: TPanel", "object Button1: TButton",
                             "end", "end", "inherited Edit1: TEdit", "end", "end"};

// Stands in for the editor window: records the hints it is given for its status bar.
class HintOwner : public QWidget {
public:
    QStringList hints;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::StatusTip)
            return QWidget::event(event);
        hints << static_cast<QStatusTipEvent*>(event)->tip();
        return true;
    }
};

class ObjectViewWindowTest : public ::testing::Test {
protected:
    QTreeWidget* tree() const { return view->findChild<QTreeWidget*>("Outline1"); }
    QTreeWidgetItem* find(const QString& prefix) const
    {
        return tree()->findItems(prefix, Qt::MatchStartsWith | Qt::MatchRecursive).value(0);
    }
    // The names of the items the tree shows, in order.
    QStringList visible() const
    {
        QStringList rows;
        for (QTreeWidgetItem* item = tree()->topLevelItem(0); item; item = tree()->itemBelow(item))
            rows << item->text(0).section(u':', 0, 0);
        return rows;
    }
    static qint64 pictureFor(const QTreeWidgetItem* item) { return item->icon(0).cacheKey(); }
    void showAndWait()
    {
        view->show();
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view));
    }

    ScriptedPrompts prompts;
    HintOwner owner;
    ObjectViewWindow* view = new ObjectViewWindow(prompts, &owner);
};

TEST_F(ObjectViewWindowTest, RebuildShowsTheTopLevelCollapsedWithTheFirstCurrent)
{
    EXPECT_FALSE(view->isVisible());
    QSignalSpy jumps(view, &ObjectViewWindow::showLineRequested);
    view->showDefinition();  // an empty tree: nothing to jump to
    EXPECT_EQ(jumps.count(), 0);

    view->buildObjectTree({"object Old: TOld", "object Old2: TOld", "end", "end"});
    view->expandAll();
    view->buildObjectTree(Example);
    EXPECT_EQ(visible(), QStringList{"Form1"});
    EXPECT_EQ(tree()->currentItem(), tree()->topLevelItem(0));
    EXPECT_TRUE(tree()->updatesEnabled());
    EXPECT_EQ(find("Button1")->parent(), find("Panel1"));
    EXPECT_EQ(find("Edit1")->text(0), "Edit1: TEdit [7] <Inherited>");
    EXPECT_EQ(find("Edit1")->data(0, Qt::UserRole).toInt(), 6);
}

TEST_F(ObjectViewWindowTest, ALineChoosesItsItemAndEveryChoiceIsTold)
{
    QSignalSpy choices(view, &ObjectViewWindow::currentLineChanged);
    view->buildObjectTree(Example);
    EXPECT_EQ(choices.count(), 0) << "a tree built anew chooses nothing";
    // A collapsed item deep in the tree, then a line that holds no object, which changes nothing.
    view->selectLine(3);
    EXPECT_EQ(tree()->currentItem(), find("Button1"));
    view->selectLine(1);
    EXPECT_EQ(tree()->currentItem(), find("Button1"));
    tree()->setCurrentItem(find("Edit1"));
    ASSERT_EQ(choices.count(), 2);
    EXPECT_EQ(choices[0][0].toInt(), 3);
    EXPECT_EQ(choices[1][0].toInt(), 6);
}

TEST_F(ObjectViewWindowTest, ExpandAllAndCollapseAllReachEveryDepthAndFollowThePictures)
{
    view->buildObjectTree(Example);
    QTreeWidgetItem* form = find("Form1");
    const qint64 closed = pictureFor(form);
    const qint64 leaf = pictureFor(find("Button1"));
    EXPECT_NE(closed, leaf);

    view->expandAll();
    EXPECT_EQ(visible(), (QStringList{"Form1", "Panel1", "Button1", "Edit1"}));
    const qint64 open = pictureFor(form);
    EXPECT_NE(open, closed);
    EXPECT_EQ(pictureFor(find("Panel1")), open);
    EXPECT_EQ(pictureFor(find("Button1")), leaf);

    view->collapseAll();
    EXPECT_EQ(visible(), QStringList{"Form1"});
    EXPECT_EQ(pictureFor(find("Panel1")), closed);
    form->setExpanded(true);
    EXPECT_EQ(visible(), (QStringList{"Form1", "Panel1", "Edit1"}));
    EXPECT_EQ(pictureFor(form), open);
}

TEST_F(ObjectViewWindowTest, LongItemsShowWholeWithAHorizontalScrollBar)
{
    const QString name = "object AVeryLongComponentNameThatDoesNotFitTheWindow" + QString(40, u'X');
    view->buildObjectTree({"object Form1: TForm1", name + ": TPanel", "inherited Edit1: TEdit", "end", "end", "end"});
    showAndWait();
    view->expandAll();
    QCoreApplication::processEvents();
    for (const char* prefix : {"AVeryLong", "Edit1"}) {
        SCOPED_TRACE(prefix);
        const QTreeWidgetItem* item = find(prefix);
        ASSERT_NE(item, nullptr);
        // The text ends where the item's column ends, not cut to the window's width.
        const int textEnd = tree()->visualItemRect(item).left() + tree()->iconSize().width()
            + tree()->fontMetrics().horizontalAdvance(item->text(0));
        EXPECT_LE(textEnd, tree()->columnWidth(0) - tree()->horizontalScrollBar()->value());
    }
    EXPECT_GT(tree()->columnWidth(0), tree()->viewport()->width());
    EXPECT_TRUE(tree()->horizontalScrollBar()->isVisible());
    EXPECT_GT(tree()->horizontalScrollBar()->maximum(), 0);
}

TEST_F(ObjectViewWindowTest, ShowDefinitionAndDoubleClickJumpOnlyFromLeaves)
{
    showAndWait();
    view->buildObjectTree(Example);
    QSignalSpy jumps(view, &ObjectViewWindow::showLineRequested);
    const auto doubleClick = [this](QTreeWidgetItem* item) {
        const QPoint at = tree()->visualItemRect(item).center();
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, {}, at);
    };
    QTreeWidgetItem* form = tree()->topLevelItem(0);
    doubleClick(form);
    EXPECT_TRUE(form->isExpanded());
    doubleClick(find("Edit1"));
    doubleClick(form);
    EXPECT_FALSE(form->isExpanded());
    view->showDefinition();
    // Alt+D presses "&Def." while the window is active; the press shows for a moment before it acts.
    tree()->setCurrentItem(find("Edit1"));
    QTest::keyClick(view, Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(jumps.count() == 3 || jumps.wait(1000));
    ASSERT_EQ(jumps.count(), 3);
    EXPECT_EQ(jumps[0].at(0).toInt(), 6);
    EXPECT_EQ(jumps[1].at(0).toInt(), 0);
    EXPECT_EQ(jumps[2].at(0).toInt(), 6);
}

TEST_F(ObjectViewWindowTest, FontAndBackgroundDialogs)
{
    showAndWait();
    view->buildObjectTree(Example);
    const auto rowHeight = [this] { return tree()->visualItemRect(tree()->topLevelItem(0)).height(); };
    EXPECT_EQ(rowHeight(), 16);  // 13 px characters at 96 dpi

    // 15 points make 20 px characters and 24 px rows; an untouched colour stays a desktop colour.
    int offered = 0;
    prompts.onExec = [&offered](QDialog& dialog) {
        auto* size = dialog.findChild<QSpinBox*>("SizeBox");
        offered = size->value();
        size->setValue(15);
        return int(QDialog::Accepted);
    };
    view->findChild<QToolButton*>("FontButton")->click();
    EXPECT_EQ(offered, 10);
    EXPECT_EQ(rowHeight(), 24);
    EXPECT_EQ(view->outlineFontColor(), ColorValue::clWindowText);

    prompts.onExec = [](QDialog& dialog) {
        auto* colours = dialog.findChild<QComboBox*>("ColorBox");
        colours->setCurrentIndex(colours->findText("Red"));
        return int(QDialog::Rejected);
    };
    view->changeFont();
    EXPECT_EQ(view->outlineFontColor(), ColorValue::clWindowText);

    prompts.onExec = [](QDialog& dialog) {
        if (auto* colours = qobject_cast<QColorDialog*>(&dialog)) {
            colours->setCurrentColor(QColor(10, 20, 30));
            colours->accept();
        } else {
            auto* box = dialog.findChild<QComboBox*>("ColorBox");
            box->setCurrentIndex(box->findText("Red"));
        }
        return int(QDialog::Accepted);
    };
    view->changeFont();
    EXPECT_EQ(view->outlineFontColor(), ColorValue::fromColor(Qt::red));
    EXPECT_EQ(tree()->palette().color(QPalette::Text), QColor(Qt::red));
    view->findChild<QToolButton*>("BackgroundButton")->click();
    EXPECT_EQ(view->outlineColor(), ColorValue::fromColor(QColor(10, 20, 30)));
    EXPECT_EQ(tree()->palette().color(QPalette::Base), QColor(10, 20, 30));
}

TEST_F(ObjectViewWindowTest, RefusedBuildThrowsAndKeepsTheItemsBefore)
{
    try {
        view->buildObjectTree({"object Form1: TForm1", "object B", "object C", "object D", "object E: TE"});
        ADD_FAILURE() << "no error";
    } catch (const ObjectTreeError& error) {
        EXPECT_STREQ(error.what(), "Erreur chargement de fichier");
    }
    EXPECT_EQ(visible(), QStringList{"Form1"});
    EXPECT_EQ(tree()->currentItem(), tree()->topLevelItem(0));
    EXPECT_TRUE(tree()->updatesEnabled());
}

TEST_F(ObjectViewWindowTest, AButtonsErrorEndsInTheErrorBox)
{
    view->buildObjectTree(Example);
    const QFont before = tree()->font();
    prompts.onExec = [](QDialog&) -> int { throw std::runtime_error("No dialog"); };
    for (const char* name : {"FontButton", "BackgroundButton"})
        view->findChild<QToolButton*>(name)->click();
    EXPECT_EQ(prompts.errors, (QStringList{"No dialog.", "No dialog."}));
    EXPECT_EQ(tree()->font(), before);
    EXPECT_EQ(view->outlineColor(), ColorValue::clWindow);
}

TEST_F(ObjectViewWindowTest, HintSplitsIntoTooltipAndTheOwnersStatusLine)
{
    QToolButton* button = view->findChild<QToolButton*>("DefinitionButton");
    EXPECT_EQ(button->toolTip(), "Show definition");
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(button, &enter);
    EXPECT_EQ(owner.hints, QStringList{"Sync DFM view to show object definition"});
}

}  // namespace
}  // namespace dfm
