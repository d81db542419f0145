// The form view in the editor window: F12 and the keyboard focus, its state between runs, the
// picture following the text's edits and breaks, ancestors missing, and the selection links
// between the view, the form text and the object view.
#include "EditorFixture.h"
#include "FormCanvas.h"
#include "FormViewDock.h"

#include <QApplication>
#include <QCheckBox>
#include <QHelpEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QBuffer>
#include <QLabel>
#include <QMainWindow>
#include <QScrollArea>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QToolTip>
#include <QTreeWidget>

namespace {

// A form whose colours and places are known: a red panel along the top holding a button, a
// blue panel at the bottom right far below, and a timer's icon.
const char* const ViewForm =
    "object ViewForm: TViewForm\n"        // 1
    "  Left = 0\n"
    "  Top = 0\n"
    "  ClientWidth = 300\n"
    "  ClientHeight = 900\n"              // 5
    "  Color = clWhite\n"
    "  object TopPanel: TPanel\n"         // 7
    "    Left = 0\n"
    "    Top = 0\n"
    "    Width = 300\n"                   // 10
    "    Height = 50\n"
    "    Align = alTop\n"
    "    BevelOuter = bvNone\n"
    "    Color = clRed\n"                 // 14
    "    ShowCaption = False\n"           // 15
    "    object OkButton: TButton\n"      // 16
    "      Left = 200\n"
    "      Top = 10\n"
    "      Width = 75\n"
    "      Height = 25\n"                 // 20
    "      Caption = 'OK'\n"
    "    end\n"
    "  end\n"
    "  object FarPanel: TPanel\n"         // 24
    "    Left = 100\n"
    "    Top = 800\n"
    "    Width = 150\n"
    "    Height = 60\n"
    "    BevelOuter = bvNone\n"
    "    Color = clBlue\n"                // 30
    "    ShowCaption = False\n"
    "  end\n"
    "  object Timer1: TTimer\n"           // 33
    "    Left = 20\n"
    "    Top = 100\n"
    "  end\n"
    "end\n";

constexpr int OkButtonLine = 16;
constexpr int FarPanelLine = 24;

QString settingsFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + "/QuenDFMEd/QuenDFMEd.conf";
}

class FormView : public EditorFixture {
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        viewFormPath = folder.filePath("View.dfm");
        write(viewFormPath, ViewForm);
    }

    dfm::FormViewDock* view() const { return part<dfm::FormViewDock>("FormViewDock"); }
    dfm::FormCanvas* canvas() const { return view()->canvas(); }
    QComboBox* zoomBox() const { return view()->findChild<QComboBox*>("FormViewZoom"); }
    QCheckBox* nonVisualBox() const { return view()->findChild<QCheckBox*>("FormViewNonVisual"); }
    QLabel* status() const { return view()->findChild<QLabel*>("FormViewStatus"); }

    // Waits for the document's reading of the text after the last edit, and the view's drawing.
    bool settled()
    {
        const bool read = QTest::qWaitFor([this] { return !form->document().formParsePending(); }, 10000);
        QApplication::processEvents();
        return read;
    }

    // The window shown with the view open on the form, its drawing made.
    void openWithView(const QString& path)
    {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->openFormFile(path);
        ASSERT_EQ(form->document().formPath(), path);
        trigger("ActFormView");
        ASSERT_TRUE(settled());
        ASSERT_NE(canvas()->drawing(), nullptr);
    }

    int objectNamed(const std::string& name) const
    {
        const auto& objects = canvas()->drawing()->objects();
        for (std::size_t i = 0; i < objects.size(); ++i) {
            if (objects[i].name == name)
                return static_cast<int>(i);
        }
        return -1;
    }

    QPoint centreOf(const std::string& name) const { return canvas()->objectRect(objectNamed(name)).center(); }

    // What the view shows at a point of its canvas, as a user sees it.
    QColor shownAt(QPoint point) const { return canvas()->grab().toImage().pixelColor(point); }

    // False when the platform gives no keyboard focus, so that key tests cannot run.
    bool focusIn(QWidget* widget)
    {
        QApplication::setActiveWindow(widget->window());
        if (!QTest::qWaitForWindowActive(widget->window()))
            return false;
        widget->setFocus();
        return QApplication::focusWidget() == widget;
    }

    QString viewFormPath;
};

TEST_F(FormView, TheFormsIconAndCaptionStandAboveThePicture)
{
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    QByteArray file;
    QBuffer buffer(&file);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(icon.save(&buffer, "ICO"));
    // Binary data in lines of 64 digits, as forms write it.
    QByteArray digits = file.toHex().toUpper();
    for (qsizetype at = 64; at < digits.size(); at += 65)
        digits.insert(at, '\n');
    const QString path = folder.filePath("Titled.dfm");
    write(path, "object Titled: TTitled\n  ClientWidth = 100\n  ClientHeight = 50\n  Caption = 'Customer details'\n"
                "  Icon.Data = {\n" + digits + "}\nend\n");
    openWithView(path);
    EXPECT_EQ(view()->findChild<QLabel*>("FormViewCaption")->text(), "Customer details");
    const QLabel* shownIcon = view()->findChild<QLabel*>("FormViewIcon");
    EXPECT_FALSE(shownIcon->isHidden());
    EXPECT_EQ(shownIcon->pixmap().toImage().pixelColor(8, 8), QColor(Qt::red));

    form->openFormFile(viewFormPath);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(view()->findChild<QLabel*>("FormViewIcon")->isHidden()) << "a form without an icon shows none";
}

TEST_F(FormView, F12ShowsAndHidesTheViewAndLeavesTheKeyboardInTheText)
{
    form->show();
    form->openFormFile(viewFormPath);
    EXPECT_TRUE(view()->isHidden()) << "hidden at first start";
    form->updateCommands();
    EXPECT_FALSE(findAction("ActFormView")->isChecked());
    if (!focusIn(formPage()))
        GTEST_SKIP() << "no keyboard focus on this platform";

    QTest::keyClick(formPage(), Qt::Key_F12);
    ASSERT_TRUE(view()->isVisible());
    form->updateCommands();
    EXPECT_TRUE(findAction("ActFormView")->isChecked());
    EXPECT_EQ(form->dockWidgetArea(view()), Qt::RightDockWidgetArea);
    // The window lays the dock out at its new size once it handles its layout request.
    (void)QTest::qWaitFor([this] { return std::abs(view()->width() - form->width() / 2) <= 20; }, 2000);
    EXPECT_NEAR(view()->width(), form->width() / 2, 20) << "the right half of the window";
    EXPECT_EQ(QApplication::focusWidget(), formPage());
    // Typing goes on in the text.
    formPage()->select(0, 0);
    QTest::keyClicks(QApplication::focusWidget(), "x");
    EXPECT_TRUE(formPage()->text().startsWith("xobject"));

    // A click in the view gives it the focus; F12 there hides it and gives the keyboard back.
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, centreOf("TopPanel"));
    EXPECT_EQ(QApplication::focusWidget(), canvas());
    QTest::keyClick(canvas(), Qt::Key_F12);
    EXPECT_TRUE(view()->isHidden());
    EXPECT_EQ(QApplication::focusWidget(), formPage());

    QTest::keyClick(formPage(), Qt::Key_F12);
    EXPECT_TRUE(view()->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), formPage());
    QTest::keyClick(formPage(), Qt::Key_F12);
    EXPECT_TRUE(view()->isHidden());
    EXPECT_EQ(QApplication::focusWidget(), formPage());

    // Its own close button hides it too, and the command follows.
    trigger("ActFormView");
    view()->close();
    form->updateCommands();
    EXPECT_FALSE(findAction("ActFormView")->isChecked());
}

TEST_F(FormView, ItsPlaceZoomAndSwitchAreKeptBetweenRuns)
{
    openWithView(viewFormPath);
    form->resizeDocks({view()}, {200}, Qt::Horizontal);
    zoomBox()->setCurrentIndex(zoomBox()->findText("200%"));
    nonVisualBox()->setChecked(false);
    const int width = view()->width();
    ASSERT_TRUE(form->close());
    {
        QSettings stored(settingsFile(), QSettings::IniFormat);
        stored.beginGroup("TForm1");
        EXPECT_EQ(stored.value("FormView_Visible").toString(), "True");
        EXPECT_EQ(stored.value("FormView_Area").toString(), "Right");
        EXPECT_EQ(stored.value("FormView_Zoom").toString(), "200");
        EXPECT_EQ(stored.value("FormView_NonVisual").toString(), "False");
        const QStringList place = stored.value("FormView_NormPos").toStringList().join(u',').split(u',');
        ASSERT_EQ(place.size(), 4);
        EXPECT_EQ(place[2].toInt() - place[0].toInt(), width);
    }

    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    form->show();
    QApplication::processEvents();
    EXPECT_TRUE(view()->isVisible());
    EXPECT_EQ(view()->width(), width);
    EXPECT_EQ(view()->zoomPercent(), 200);
    EXPECT_FALSE(view()->nonVisualShown());
    form->updateCommands();
    EXPECT_TRUE(findAction("ActFormView")->isChecked());

    // Hidden, and on another side: so it starts the next time.
    form->addDockWidget(Qt::LeftDockWidgetArea, view());
    trigger("ActFormView");
    ASSERT_TRUE(form->close());
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    form->show();
    QApplication::processEvents();
    EXPECT_TRUE(view()->isHidden());
    trigger("ActFormView");
    EXPECT_EQ(form->dockWidgetArea(view()), Qt::LeftDockWidgetArea);

    // Floating, in a window of its own.
    view()->setFloating(true);
    const QRect floating(120, 140, 420, 380);
    view()->setGeometry(floating);
    QApplication::processEvents();
    ASSERT_TRUE(form->close());
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    form->show();
    QApplication::processEvents();
    EXPECT_TRUE(view()->isVisible());
    EXPECT_TRUE(view()->isFloating());
    EXPECT_EQ(view()->geometry(), floating);

    // A floating place off every screen is not taken: the view stays where it can be reached.
    view()->setGeometry(QRect(5000, 5000, 420, 380));
    ASSERT_TRUE(form->close());
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    form->show();
    QApplication::processEvents();
    EXPECT_TRUE(view()->isFloating());
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().intersects(view()->geometry()));
}

TEST_F(FormView, DamagedStoredValuesLeaveTheFirstStartState)
{
    {
        QDir().mkpath(QFileInfo(settingsFile()).absolutePath());
        QSettings stored(settingsFile(), QSettings::IniFormat);
        stored.setValue("TForm1/FormView_Visible", "maybe");
        stored.setValue("TForm1/FormView_Area", "Middle");
        stored.setValue("TForm1/FormView_NormPos", "1,2,x,4");
        stored.setValue("TForm1/FormView_Zoom", "99999");
    }
    form.reset();
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    form->show();
    QApplication::processEvents();
    EXPECT_TRUE(view()->isHidden());
    EXPECT_EQ(view()->zoomPercent(), 400) << "the nearest zoom offered";
    trigger("ActFormView");
    EXPECT_EQ(form->dockWidgetArea(view()), Qt::RightDockWidgetArea);
    (void)QTest::qWaitFor([this] { return std::abs(view()->width() - form->width() / 2) <= 20; }, 2000);
    EXPECT_NEAR(view()->width(), form->width() / 2, 20);
}

TEST_F(FormView, AnEditOfAColourIsDrawnAfterThePause)
{
    openWithView(viewFormPath);
    const QPoint panel = centreOf("TopPanel") - QPoint(60, 0);
    EXPECT_EQ(shownAt(panel), QColor(Qt::red));
    const int painted = canvas()->picturesPainted();
    const qsizetype colour = formPage()->text().indexOf("clRed");
    formPage()->select(colour, 5);
    QTest::keyClicks(formPage(), "clLime");
    EXPECT_EQ(shownAt(panel), QColor(Qt::red)) << "not before the pause";
    ASSERT_TRUE(settled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return canvas()->picturesPainted() > painted; }, 5000));
    EXPECT_EQ(shownAt(panel), QColor(Qt::green));
    EXPECT_FALSE(status()->isVisible());
}

TEST_F(FormView, TextThatDoesNotReadKeepsTheLastPictureMarkedOutOfDate)
{
    openWithView(viewFormPath);
    const QImage before = canvas()->picture();
    const QPoint panel = centreOf("TopPanel") - QPoint(60, 0);
    // Line 14 gets a string that does not end.
    const qsizetype colour = formPage()->text().indexOf("clRed");
    formPage()->select(colour, 5);
    QTest::keyClicks(formPage(), "'");
    ASSERT_TRUE(settled());
    EXPECT_TRUE(canvas()->isOutOfDate());
    EXPECT_TRUE(status()->isVisible());
    EXPECT_TRUE(status()->text().startsWith("Out of date: line 14: ")) << status()->text().toStdString();
    EXPECT_EQ(canvas()->picture(), before) << "the last good picture stays";
    const QColor shaded = shownAt(panel);
    EXPECT_NE(shaded, QColor(Qt::red)) << "greyed";
    EXPECT_GT(shaded.red(), shaded.green());

    // Read again once it is whole: the mark goes.
    formPage()->select(colour, 1);
    QTest::keyClicks(formPage(), "clBlue");
    ASSERT_TRUE(settled());
    EXPECT_FALSE(canvas()->isOutOfDate());
    EXPECT_FALSE(status()->isVisible());
    EXPECT_EQ(shownAt(panel), QColor(Qt::blue));
}

TEST_F(FormView, AFormThatNeverReadIsNotDrawnAndSaysWhy)
{
    write(viewFormPath, QByteArray(ViewForm).replace("Color = clRed", "Color = 'red"));
    form->show();
    form->openFormFile(viewFormPath);
    trigger("ActFormView");
    ASSERT_TRUE(settled());
    EXPECT_EQ(canvas()->drawing(), nullptr);
    EXPECT_TRUE(status()->text().startsWith("Not drawn: line 14: ")) << status()->text().toStdString();
    // Another form opened afterwards is drawn, the message gone.
    form->openFormFile(formPath);
    ASSERT_TRUE(settled());
    EXPECT_NE(canvas()->drawing(), nullptr);
    EXPECT_FALSE(status()->text().startsWith("Not drawn"));
}

TEST_F(FormView, AClickSelectsTheControlItsLineAndItsObjectViewItem)
{
    openWithView(viewFormPath);
    trigger("ActObjectView");
    auto* tree = objectViewWindow()->findChild<QTreeWidget*>("Outline1");
    pages()->setCurrentIndex(1);

    QTest::mouseClick(canvas(), Qt::LeftButton, {}, centreOf("OkButton"));
    EXPECT_EQ(canvas()->selectedObject(), objectNamed("OkButton"));
    EXPECT_EQ(pages()->currentIndex(), 0) << "the form page comes to the front";
    EXPECT_EQ(formPage()->caretLine(), OkButtonLine);
    EXPECT_EQ(formPage()->caretColumn(), 5) << "at the keyword, past the indentation";
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_TRUE(tree->currentItem()->text(0).startsWith("OkButton"));
    // The selection is drawn: the frame's colour around the button.
    const QRect button = canvas()->objectRect(objectNamed("OkButton"));
    EXPECT_EQ(shownAt(button.topLeft() - QPoint(1, 1)), QColor(0, 120, 215));

    // The form itself, clicked where no control is.
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, centreOf("TopPanel") + QPoint(0, 100));
    EXPECT_EQ(canvas()->selectedObject(), 0);
    EXPECT_EQ(formPage()->caretLine(), 1);
    EXPECT_TRUE(tree->currentItem()->text(0).startsWith("ViewForm"));
}

TEST_F(FormView, TheCaretAndTheObjectViewSelectInTheView)
{
    openWithView(viewFormPath);
    QScrollBar* scroll = view()->findChild<QScrollArea*>("FormViewScroll")->verticalScrollBar();
    ASSERT_GT(scroll->maximum(), 0) << "the form is taller than the view";
    EXPECT_EQ(scroll->value(), 0);
    const struct {
        int line;
        const char* selected;
    } caretLines[] = {
        {FarPanelLine, "FarPanel"},
        {FarPanelLine + 3, "FarPanel"},  // a property line of the object
        {20, "OkButton"},
        {22, "OkButton"},  // its end
        {23, "TopPanel"},
        {5, "ViewForm"},
        {34, "Timer1"},
    };
    for (const auto& step : caretLines) {
        SCOPED_TRACE(step.line);
        formPage()->select(formPage()->document()->findBlockByNumber(step.line - 1).position() + 2, 0);
        EXPECT_EQ(canvas()->selectedObject(), objectNamed(step.selected));
    }
    // Far down: scrolled into view.
    formPage()->select(formPage()->document()->findBlockByNumber(FarPanelLine - 1).position(), 0);
    EXPECT_GT(scroll->value(), 0);
    const QRect far = canvas()->objectRect(objectNamed("FarPanel"));
    const QRect shown(QPoint(0, scroll->value()), view()->findChild<QScrollArea*>("FormViewScroll")->viewport()->size());
    EXPECT_TRUE(shown.contains(far.center()));

    // The object view's choice.
    trigger("ActObjectView");
    auto* tree = objectViewWindow()->findChild<QTreeWidget*>("Outline1");
    tree->expandAll();
    const QList<QTreeWidgetItem*> found = tree->findItems("OkButton", Qt::MatchStartsWith | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    formPage()->select(0, 0);
    EXPECT_EQ(canvas()->selectedObject(), 0);
    tree->setCurrentItem(found[0]);
    EXPECT_EQ(canvas()->selectedObject(), objectNamed("OkButton"));
    EXPECT_EQ(formPage()->caretLine(), 1) << "choosing leaves the caret";

    // The selection stays on its object through a redraw after an edit that adds an object
    // before it (after the caret, which stays put).
    const int before = canvas()->selectedObject();
    QTextCursor edit(formPage()->document()->findBlockByNumber(6));
    edit.insertText("  object NewLabel: TLabel\n    Left = 8\n    Top = 60\n    Width = 40\n    Height = 13\n  end\n");
    ASSERT_TRUE(settled());
    EXPECT_EQ(canvas()->selectedObject(), objectNamed("OkButton"));
    EXPECT_NE(canvas()->selectedObject(), before);
}

TEST_F(FormView, HoveringNamesTheControlWithItsPlace)
{
    openWithView(viewFormPath);
    const struct {
        const char* name;
        const char* tip;
    } cases[] = {
        {"OkButton", "OkButton: TButton\nLeft 200, Top 10, Width 75, Height 25"},
        {"FarPanel", "FarPanel: TPanel\nLeft 100, Top 800, Width 150, Height 60"},
        {"TopPanel", "TopPanel: TPanel\nLeft 0, Top 0, Width 300, Height 50"},
        {"Timer1", "Timer1: TTimer\nLeft 20, Top 100, Width 28, Height 28"},
    };
    for (const auto& step : cases) {
        SCOPED_TRACE(step.name);
        const int object = canvas()->objectAtPoint(centreOf(step.name));
        EXPECT_EQ(object, objectNamed(step.name));
        EXPECT_EQ(canvas()->toolTipOf(object).toStdString(), step.tip);
    }
    // As the platform asks for it, when the mouse rests.
    QHelpEvent rest(QEvent::ToolTip, centreOf("OkButton"), canvas()->mapToGlobal(centreOf("OkButton")));
    QApplication::sendEvent(canvas(), &rest);
    EXPECT_EQ(QToolTip::text().toStdString(), cases[0].tip);
    QHelpEvent elsewhere(QEvent::ToolTip, QPoint(1, 1), canvas()->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(canvas(), &elsewhere);
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000))
        << "the margin around the form holds nothing";
}

TEST_F(FormView, ZoomAndTheNonVisualSwitchRedrawThePicture)
{
    openWithView(viewFormPath);
    EXPECT_EQ(canvas()->picture().size(), QSize(300, 900));
    const QPoint button = centreOf("OkButton");
    zoomBox()->setCurrentIndex(zoomBox()->findText("50%"));
    EXPECT_EQ(canvas()->picture().size(), QSize(150, 450));
    EXPECT_NEAR(centreOf("OkButton").x() * 2, button.x(), 6);
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, centreOf("OkButton"));
    EXPECT_EQ(canvas()->selectedObject(), objectNamed("OkButton"));

    // Icons hidden: not drawn, not there to click, and a selected one is let go.
    const QPoint timer = centreOf("Timer1");
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, timer);
    EXPECT_EQ(canvas()->selectedObject(), objectNamed("Timer1"));
    const QColor icon = shownAt(timer);
    nonVisualBox()->setChecked(false);
    EXPECT_EQ(canvas()->selectedObject(), -1);
    EXPECT_NE(shownAt(timer), icon);
    EXPECT_EQ(shownAt(timer), QColor(Qt::white));
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, timer);
    EXPECT_EQ(canvas()->selectedObject(), 0) << "the form under it";
}

TEST_F(FormView, ATooLargePictureIsDrawnSmallerAndSaysSo)
{
    write(viewFormPath, QByteArray(ViewForm).replace("ClientWidth = 300", "ClientWidth = 5000")
                            .replace("ClientHeight = 900", "ClientHeight = 5000"));
    openWithView(viewFormPath);
    EXPECT_EQ(status()->text().toStdString(), "Drawn at 82% to keep the picture within 16 million pixels and 16384 a side");
    EXPECT_LE(qint64{canvas()->picture().width()} * canvas()->picture().height(), dfm::FormCanvas::LargestShownArea);
    // Clicks still find their controls at that scale.
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, centreOf("OkButton"));
    EXPECT_EQ(canvas()->selectedObject(), objectNamed("OkButton"));
    zoomBox()->setCurrentIndex(zoomBox()->findText("50%"));
    EXPECT_FALSE(status()->isVisible());
}

TEST_F(FormView, AMissingAncestorIsNamedAndAFoundOneDrawn)
{
    QDir(folder.path()).mkdir("project");
    const QString child = folder.filePath("project/Child.dfm");
    write(child, "inherited ChildForm: TChildForm\n  Color = clLime\n  inherited Header: TPanel\n    Height = 30\n"
                 "  end\nend\n");
    write(folder.filePath("project/Child.pas"),
          "unit Child;\ninterface\ntype\n  TChildForm = class(TBaseForm)\n  end;\nimplementation\nend.\n");
    openWithView(child);
    EXPECT_EQ(status()->text().toStdString(), "The ancestor form TBaseForm is not found: drawn with what the form holds");

    write(folder.filePath("project/Base.pas"),
          "unit Base;\ninterface\ntype\n  TBaseForm = class(TForm)\n  end;\nimplementation\nend.\n");
    write(folder.filePath("project/Base.dfm"),
          "object BaseForm: TBaseForm\n  ClientWidth = 200\n  ClientHeight = 100\n  Color = clRed\n"
          "  object Header: TPanel\n    Left = 0\n    Top = 0\n    Width = 200\n    Height = 20\n"
          "    BevelOuter = bvNone\n    Color = clBlue\n    ShowCaption = False\n  end\n"
          "  object Footer: TPanel\n    Left = 0\n    Top = 80\n    Width = 200\n    Height = 20\n"
          "    BevelOuter = bvNone\n    Color = clYellow\n    ShowCaption = False\n  end\nend\n");
    form->openFormFile(child);
    ASSERT_TRUE(settled());
    EXPECT_FALSE(status()->isVisible()) << status()->text().toStdString();
    EXPECT_EQ(canvas()->picture().size(), QSize(200, 100));
    EXPECT_EQ(shownAt(centreOf("Header")), QColor(Qt::blue));
    EXPECT_EQ(canvas()->objectRect(objectNamed("Header")).height(), 30);
    EXPECT_EQ(shownAt(centreOf("ChildForm")), QColor(Qt::green));

    // An object only the ancestor holds is selected, and nothing moves in the text.
    formPage()->select(formPage()->text().indexOf("Height"), 0);
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, centreOf("Footer"));
    EXPECT_EQ(canvas()->selectedObject(), objectNamed("Footer"));
    EXPECT_EQ(formPage()->caretLine(), 4);
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, centreOf("Header"));
    EXPECT_EQ(formPage()->caretLine(), 3);
}

}  // namespace
