// Editing the form in its view: keys, drags and the Edit menu, each a minimal edit of the form
// text and one step of its undo.
#include "EditorFixture.h"
#include "FormCanvas.h"
#include "FormViewDock.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>

namespace {

// Known places: a panel aligned along the top holding a button, a free panel below, a timer.
const char* const EditForm =
    "object EditForm: TEditForm\n"        // 1
    "  Left = 0\n"
    "  Top = 0\n"
    "  ClientWidth = 400\n"
    "  ClientHeight = 300\n"              // 5
    "  object TopPanel: TPanel\n"
    "    Left = 0\n"
    "    Top = 0\n"
    "    Width = 400\n"
    "    Height = 50\n"                   // 10
    "    Align = alTop\n"
    "    object OkButton: TButton\n"
    "      Left = 200\n"
    "      Top = 10\n"
    "      Width = 75\n"                  // 15
    "      Height = 25\n"
    "      Caption = 'OK'\n"
    "    end\n"
    "  end\n"
    "  object FreePanel: TPanel\n"        // 20
    "    Left = 100\n"
    "    Top = 100\n"
    "    Width = 150\n"
    "    Height = 60\n"
    "  end\n"                             // 25
    "end\n";

class FormViewEditing : public EditorFixture {
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        path = folder.filePath("Edit.dfm");
        write(path, EditForm);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->openFormFile(path);
        trigger("ActFormView");
        ASSERT_TRUE(QTest::qWaitFor([this] { return !form->document().formParsePending(); }, 10000));
        QApplication::processEvents();
        ASSERT_NE(canvas()->drawing(), nullptr);
        original = text();
    }

    dfm::FormViewDock* view() const { return part<dfm::FormViewDock>("FormViewDock"); }
    dfm::FormCanvas* canvas() const { return view()->canvas(); }
    QString text() const { return form->document().text(Page::Form); }

    QPoint centreOf(const std::string& name) const
    {
        const auto& objects = canvas()->drawing()->objects();
        for (std::size_t i = 0; i < objects.size(); ++i) {
            if (objects[i].name == name)
                return canvas()->objectRect(static_cast<int>(i)).center();
        }
        ADD_FAILURE() << "no object " << name;
        return {};
    }

    // A click on the control, which gives the view the keyboard; false where the platform gives
    // no focus.
    bool select(const std::string& name)
    {
        QTest::mouseClick(canvas(), Qt::LeftButton, {}, centreOf(name));
        QApplication::setActiveWindow(form.get());
        canvas()->setFocus();
        return QApplication::focusWidget() == canvas();
    }

    // The 1-based lines where the text differs from the original, with their new text.
    std::map<int, QString> changedLines() const
    {
        const QStringList before = original.split(u'\n');
        const QStringList after = text().split(u'\n');
        std::map<int, QString> changed;
        for (qsizetype i = 0; i < std::max(before.size(), after.size()); ++i) {
            if (before.value(i) != after.value(i))
                changed[static_cast<int>(i) + 1] = after.value(i);
        }
        return changed;
    }

    QString path;
    QString original;
};

using Lines = std::map<int, QString>;

}  // namespace

TEST_F(FormViewEditing, KeysMoveAndResizeAndPressesInARowAreOneUndoStep)
{
    if (!select("OkButton"))
        GTEST_SKIP() << "no keyboard focus on this platform";
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(canvas(), Qt::Key_Right, Qt::ControlModifier);
    QTest::keyClick(canvas(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(canvas(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(changedLines(), (Lines{{13, "      Left = 203"}, {16, "      Height = 27"}}));
    // The selection stays on the control through its edits.
    EXPECT_EQ(view()->selectedNodes().size(), 1u);
    EXPECT_TRUE(form->document().isModified(Page::Form));

    trigger("Actundo");
    EXPECT_EQ(text(), original);

    // Ctrl+Shift+Arrow moves by the grid; a press after a pause is a step of its own.
    QTest::keyClick(canvas(), Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::qWait(dfm::FormViewDock::KeyGestureMs + 100);
    QTest::keyClick(canvas(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(changedLines(), (Lines{{13, "      Left = 192"}, {14, "      Top = 9"}}));
    trigger("Actundo");
    EXPECT_EQ(changedLines(), (Lines{{13, "      Left = 192"}}));
    trigger("Actundo");
    EXPECT_EQ(text(), original);
}

TEST_F(FormViewEditing, AnAlignedPanelChangesOnlyWhatItsAlignmentLeavesFree)
{
    if (!select("TopPanel"))
        GTEST_SKIP() << "no keyboard focus on this platform";
    QTest::keyClick(canvas(), Qt::Key_Right, Qt::ControlModifier);
    QTest::keyClick(canvas(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(text(), original);
    EXPECT_TRUE(part<QLabel>("FormViewStatus")->text().contains("aligned")) << part<QLabel>("FormViewStatus")->text().toStdString();
    QTest::keyClick(canvas(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(changedLines(), (Lines{{10, "    Height = 51"}}));
}

TEST_F(FormViewEditing, DragsSnapToTheGridAndADropOnAnotherContainerMovesTheBlock)
{
    // At 100% a pixel is a unit: 13 and 5 units snap the panel's corner to 112, 104.
    const QPoint from = centreOf("FreePanel");
    QTest::mousePress(canvas(), Qt::LeftButton, {}, from);
    QTest::mouseMove(canvas(), from + QPoint(6, 2));
    QTest::mouseMove(canvas(), from + QPoint(13, 5));
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, from + QPoint(13, 5));
    EXPECT_EQ(changedLines(), (Lines{{21, "    Left = 112"}, {22, "    Top = 104"}}));
    trigger("Actundo");
    ASSERT_EQ(text(), original);

    // The button dropped on the free panel becomes its child, its block moved and re-indented.
    const QPoint button = centreOf("OkButton");
    const QPoint target = centreOf("FreePanel");
    QTest::mousePress(canvas(), Qt::LeftButton, {}, button);
    QTest::mouseMove(canvas(), button + QPoint(10, 10));
    QTest::mouseMove(canvas(), target);
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, target);
    const QString moved = text();
    EXPECT_FALSE(moved.contains("    object OkButton: TButton\n      Left = 200"));
    EXPECT_TRUE(moved.contains("    Height = 60\n    object OkButton: TButton\n")) << moved.toStdString();
    EXPECT_TRUE(moved.contains("      Caption = 'OK'\n    end\n  end\nend\n")) << moved.toStdString();
    trigger("Actundo");
    EXPECT_EQ(text(), original);
}

TEST_F(FormViewEditing, TheEditMenuCopiesPastesAndDeletesControlsAsFormText)
{
    if (!select("FreePanel"))
        GTEST_SKIP() << "no keyboard focus on this platform";
    form->updateCommands();
    ASSERT_TRUE(findAction("Copier1")->isEnabled());
    trigger("Copier1");
    EXPECT_EQ(QApplication::clipboard()->text(),
              "object FreePanel: TPanel\n  Left = 100\n  Top = 100\n  Width = 150\n  Height = 60\nend\n");
    // The paste goes into the selected container with a free name.
    trigger("Coller1");
    EXPECT_TRUE(text().contains("    Height = 60\n    object Panel1: TPanel\n      Left = 100\n")) << text().toStdString();

    // Delete takes the pasted panel away; the Cut of the original leaves the form without it.
    QTest::keyClick(canvas(), Qt::Key_Delete);
    EXPECT_EQ(text(), original);
    select("FreePanel");
    trigger("Couper1");
    EXPECT_FALSE(text().contains("FreePanel"));
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("object FreePanel: TPanel\n"));

    // What is not form text is refused, and the text stays.
    const QString before = text();
    QApplication::clipboard()->setText("just words");
    select("TopPanel");
    trigger("Coller1");
    EXPECT_EQ(text(), before);
    ASSERT_FALSE(prompts.errors.isEmpty());
    EXPECT_TRUE(prompts.errors.back().contains("no objects of form text")) << prompts.errors.back().toStdString();
}

TEST_F(FormViewEditing, TabWalksTheControlsAndEscapeSelectsTheParent)
{
    if (!select("TopPanel"))
        GTEST_SKIP() << "no keyboard focus on this platform";
    const auto selectedName = [this] {
        const int object = canvas()->selectedObject();
        return object < 0 ? std::string() : canvas()->drawing()->objects()[static_cast<std::size_t>(object)].name;
    };
    QTest::keyClick(canvas(), Qt::Key_Tab);
    EXPECT_EQ(selectedName(), "OkButton");
    EXPECT_EQ(formPage()->caretLine(), 12);
    QTest::keyClick(canvas(), Qt::Key_Tab);
    EXPECT_EQ(selectedName(), "FreePanel");
    QTest::keyClick(canvas(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(selectedName(), "OkButton");
    QTest::keyClick(canvas(), Qt::Key_Escape);
    EXPECT_EQ(selectedName(), "TopPanel");
    // Ctrl+click adds to the selection; a move then moves both.
    QTest::mouseClick(canvas(), Qt::LeftButton, Qt::ControlModifier, centreOf("FreePanel"));
    EXPECT_EQ(view()->selectedNodes().size(), 2u);
}

TEST_F(FormViewEditing, AGestureOnTextThatDoesNotReadIsRefusedAndChangesNothing)
{
    if (!select("FreePanel"))
        GTEST_SKIP() << "no keyboard focus on this platform";
    QTextCursor cursor(form->document().page(Page::Form));
    cursor.movePosition(QTextCursor::Down);
    cursor.insertText("  garbage (\n");
    const QString broken = text();
    canvas()->setFocus();
    QTest::keyClick(canvas(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(text(), broken);
    ASSERT_FALSE(prompts.errors.isEmpty());
    EXPECT_TRUE(prompts.errors.back().startsWith("The form text does not read")) << prompts.errors.back().toStdString();
}
