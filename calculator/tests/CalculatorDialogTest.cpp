// The calculator dialog driven offscreen: layout, keys typed anywhere, the display's menu, and
// what the component keeps between openings.
#include "ScriptedPrompts.h"
#include "TCalcButton.h"
#include "TCalculatorPanel.h"
#include "TPopupCalculator.h"
#include "TPopupCalculatorForm.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QTest>

namespace dfm {
namespace {

TPopupCalculatorForm& Form(QDialog& dialog)
{
    return dynamic_cast<TPopupCalculatorForm&>(dialog);
}

// Types the keys into the widget given and waits until each key's button has been released.
void TypeInto(QWidget* widget, const QString& keys)
{
    QTest::keyClicks(widget, keys);
    QTest::qWait(40);
}

void KeyInto(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(widget, key, modifiers);
    QTest::qWait(40);
}

class CalculatorDialogTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    ScriptedPrompts prompts;
};

TEST_F(CalculatorDialogTest, LayoutAtNinetySixDotsPerInch)
{
    TPopupCalculatorForm form(prompts, QStringLiteral("Calculator"), 0, 15, true);
    EXPECT_EQ(form.windowTitle(), "Calculator");
    EXPECT_EQ(form.size(), QSize(242, 159));
    EXPECT_TRUE(form.font().bold());
    EXPECT_EQ(form.Display()->geometry(), QRect(6, 6, 230, 23));
    EXPECT_EQ(form.Display()->text(), "0");
    EXPECT_EQ(form.Panel()->size(), QSize(240, 129));
    EXPECT_EQ(form.Panel()->MemoryIndicator()->geometry(), QRect(6, 7, 34, 20));

    using K = CalcButtonKind;
    const QColor purple(0x80, 0x00, 0x80), maroon(0x80, 0x00, 0x00), navy(0x00, 0x00, 0x80);
    const struct {
        K kind;
        QRect place;
        const char* caption;
        QColor color;
    } buttons[] = {
        {K::Ok, {47, 6, 36, 22}, "", QColor()},           {K::Cancel, {85, 6, 36, 22}, "", QColor()},
        {K::Backspace, {145, 6, 44, 22}, "<-", maroon},   {K::Clear, {191, 6, 44, 22}, "C", maroon},
        {K::MemoryClear, {5, 32, 36, 22}, "MC", navy},    {K::Digit7, {47, 32, 36, 22}, "7", QColor()},
        {K::Digit8, {85, 32, 36, 22}, "8", QColor()},     {K::Digit9, {123, 32, 36, 22}, "9", QColor()},
        {K::Divide, {161, 32, 36, 22}, "/", purple},      {K::Sqrt, {199, 32, 36, 22}, "sqrt", navy},
        {K::MemoryRecall, {5, 56, 36, 22}, "MR", navy},   {K::Digit4, {47, 56, 36, 22}, "4", QColor()},
        {K::Multiply, {161, 56, 36, 22}, "", purple},     {K::Percent, {199, 56, 36, 22}, "%", navy},
        {K::MemoryStore, {5, 80, 36, 22}, "MS", navy},    {K::Digit1, {47, 80, 36, 22}, "1", QColor()},
        {K::Minus, {161, 80, 36, 22}, "", purple},        {K::Reciprocal, {199, 80, 36, 22}, "1/x", navy},
        {K::MemoryPlus, {5, 104, 36, 22}, "MP", navy},    {K::Digit0, {47, 104, 36, 22}, "0", QColor()},
        {K::Sign, {85, 104, 36, 22}, "", QColor()},       {K::Decimal, {123, 104, 36, 22}, ".", QColor()},
        {K::Plus, {161, 104, 36, 22}, "", purple},        {K::Equals, {199, 104, 36, 22}, "=", purple},
    };
    const QColor buttonText = form.palette().color(QPalette::ButtonText);
    for (const auto& b : buttons) {
        SCOPED_TRACE(static_cast<int>(b.kind));
        TCalcButton* button = form.Panel()->Button(b.kind);
        EXPECT_EQ(button->geometry(), b.place);
        EXPECT_EQ(button->text(), QString::fromLatin1(b.caption));
        EXPECT_EQ(button->icon().isNull(), *b.caption != '\0');
        EXPECT_EQ(button->palette().color(QPalette::ButtonText), b.color.isValid() ? b.color : buttonText);
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    }
}

TEST_F(CalculatorDialogTest, KeysTypedAnywhereReachTheKeypad)
{
    TPopupCalculatorForm form(prompts, QStringLiteral("Calculator"), 0, 15, true);
    form.show();
    TypeInto(form.Display(), QStringLiteral("2+3*4"));
    KeyInto(form.Panel()->Button(CalcButtonKind::Digit7), Qt::Key_Return);
    EXPECT_EQ(form.Display()->text(), "20");
    TypeInto(&form, QStringLiteral("9"));
    KeyInto(&form, Qt::Key_Backspace);
    EXPECT_EQ(form.Display()->text(), "0");
    TypeInto(&form, QStringLiteral("5"));
    KeyInto(form.Panel(), Qt::Key_Escape);
    EXPECT_EQ(form.Display()->text(), "0");
    EXPECT_TRUE(form.isVisible()) << "Enter and Escape keep the dialog open";
    TypeInto(&form, QStringLiteral("1/0="));
    EXPECT_EQ(form.Display()->text(), "Error");
    EXPECT_EQ(prompts.beeps, 1);
}

TEST_F(CalculatorDialogTest, KeyShowsItsButtonPressedBeforeItActs)
{
    TPopupCalculatorForm form(prompts, QStringLiteral("Calculator"), 0, 15, true);
    form.show();
    QTest::keyClick(&form, Qt::Key_7);
    EXPECT_TRUE(form.Panel()->Button(CalcButtonKind::Digit7)->isDown());
    EXPECT_EQ(form.Display()->text(), "0");
    QTest::qWait(40);
    EXPECT_FALSE(form.Panel()->Button(CalcButtonKind::Digit7)->isDown());
    EXPECT_EQ(form.Display()->text(), "7");
}

TEST_F(CalculatorDialogTest, ClipboardKeysAndDisplayMenu)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QGuiApplication::clipboard()->clear();
    TPopupCalculatorForm form(prompts, QStringLiteral("Calculator"), 0, 15, true);
    form.show();
    const QList<QAction*> items = form.DisplayMenu()->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), "&Copy");
    EXPECT_EQ(items[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Insert));
    EXPECT_EQ(items[1]->text(), "&Paste");
    EXPECT_EQ(items[1]->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    EXPECT_FALSE(items[1]->isEnabled()) << "nothing to paste";

    TypeInto(&form, QStringLiteral("64"));
    KeyInto(&form, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "64");
    EXPECT_TRUE(items[1]->isEnabled());

    QGuiApplication::clipboard()->setText(QStringLiteral("  $ 12.5"));
    KeyInto(&form, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form.Display()->text(), "12.5");

    // The menu's shortcuts work with the menu closed.
    QApplication::setActiveWindow(&form);
    QGuiApplication::clipboard()->setText(QStringLiteral("8"));
    KeyInto(&form, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(form.Display()->text(), "8");
    QGuiApplication::clipboard()->clear();
    KeyInto(&form, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "8");

    QGuiApplication::clipboard()->setText(QStringLiteral("3"));
    TypeInto(&form, QStringLiteral("R0R"));
    EXPECT_EQ(form.Display()->text(), "Error");
    KeyInto(&form, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form.Display()->text(), "Error") << "keys do nothing in error";
    form.DisplayMenu()->popup(form.Display()->mapToGlobal(QPoint(5, 5)));
    QTest::keyClick(form.DisplayMenu(), Qt::Key_P);
    EXPECT_EQ(form.Display()->text(), "3") << "the menu still pastes, and keeps its own keys";
    items[0]->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "3");
}

TEST_F(CalculatorDialogTest, ValueAndMemoryKeptBetweenOpenings)
{
    TPopupCalculator calculator(prompts);
    EXPECT_EQ(calculator.Title(), "Calculator");
    EXPECT_EQ(calculator.Precision(), 15);
    EXPECT_TRUE(calculator.BeepOnError());

    prompts.onExec = [](QDialog& dialog) {
        TPopupCalculatorForm& form = Form(dialog);
        EXPECT_EQ(form.Display()->text(), "0");
        EXPECT_TRUE(form.Panel()->MemoryIndicator()->text().isEmpty());
        TypeInto(&form, QStringLiteral("12"));
        form.Panel()->Button(CalcButtonKind::MemoryStore)->click();
        EXPECT_EQ(form.Panel()->MemoryIndicator()->text(), "M");
        TypeInto(&form, QStringLiteral("6*7="));
        form.Panel()->Button(CalcButtonKind::Ok)->click();
        return dialog.result();
    };
    EXPECT_TRUE(calculator.Execute(nullptr));
    EXPECT_EQ(calculator.Value(), 42);
    EXPECT_EQ(calculator.Memory(), 12);

    // Reopened: 42 is shown as a result; the next digit starts a new number. Cancel keeps all.
    prompts.onExec = [](QDialog& dialog) {
        TPopupCalculatorForm& form = Form(dialog);
        EXPECT_EQ(form.Display()->text(), "42");
        EXPECT_EQ(form.Panel()->MemoryIndicator()->text(), "M");
        form.Panel()->Button(CalcButtonKind::MemoryClear)->click();
        EXPECT_TRUE(form.Panel()->MemoryIndicator()->text().isEmpty());
        TypeInto(&form, QStringLiteral("5"));
        EXPECT_EQ(form.Display()->text(), "5");
        form.Panel()->Button(CalcButtonKind::Cancel)->click();
        return dialog.result();
    };
    EXPECT_FALSE(calculator.Execute(nullptr));
    EXPECT_EQ(calculator.Value(), 42);
    EXPECT_EQ(calculator.Memory(), 12);

    // OK in error only beeps; the dialog stays until C and OK.
    prompts.onExec = [this](QDialog& dialog) {
        TPopupCalculatorForm& form = Form(dialog);
        form.show();
        TypeInto(&form, QStringLiteral("0R"));
        const int beeps = prompts.beeps;
        form.Panel()->Button(CalcButtonKind::Ok)->click();
        EXPECT_EQ(prompts.beeps, beeps + 1);
        EXPECT_TRUE(form.isVisible());
        TypeInto(&form, QStringLiteral("C2.50"));
        form.Panel()->Button(CalcButtonKind::Ok)->click();
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.Display()->text(), "2.5");
        return dialog.result();
    };
    EXPECT_TRUE(calculator.Execute(nullptr));
    EXPECT_EQ(calculator.Value(), 2.5);
}

TEST_F(CalculatorDialogTest, LocaleDecimalSeparator)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TPopupCalculatorForm form(prompts, QStringLiteral("Calculator"), 0, 15, true);
    form.show();
    EXPECT_EQ(form.Panel()->Button(CalcButtonKind::Decimal)->text(), ",");
    TypeInto(&form, QStringLiteral("1.5+1,25="));
    EXPECT_EQ(form.Display()->text(), "2,75");
}

}  // namespace
}  // namespace dfm
