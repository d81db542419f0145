// The calculator dialog driven offscreen: layout, keys typed anywhere, the display's menu, and
// what the component keeps between openings.
#include "ScriptedPrompts.h"
#include "CalculatorButton.h"
#include "CalculatorKeypad.h"
#include "PopupCalculator.h"
#include "CalculatorDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QTest>

namespace dfm {
namespace {

CalculatorDialog& dialogOf(QDialog& dialog)
{
    return dynamic_cast<CalculatorDialog&>(dialog);
}

// Types the keys into the widget given and waits until each key's button has been released.
void typeInto(QWidget* widget, const QString& keys)
{
    QTest::keyClicks(widget, keys);
    QTest::qWait(40);
}

void keyInto(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
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
    CalculatorDialog form(prompts, QStringLiteral("Calculator"), 0, 15, true);
    EXPECT_EQ(form.windowTitle(), "Calculator");
    EXPECT_EQ(form.size(), QSize(242, 159));
    EXPECT_TRUE(form.font().bold());
    EXPECT_EQ(form.display()->geometry(), QRect(6, 6, 230, 23));
    EXPECT_EQ(form.display()->text(), "0");
    EXPECT_EQ(form.panel()->size(), QSize(240, 129));
    EXPECT_EQ(form.panel()->memoryIndicator()->geometry(), QRect(6, 7, 34, 20));

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
        CalculatorButton* button = form.panel()->button(b.kind);
        EXPECT_EQ(button->geometry(), b.place);
        EXPECT_EQ(button->text(), QString::fromLatin1(b.caption));
        EXPECT_EQ(button->icon().isNull(), *b.caption != '\0');
        EXPECT_EQ(button->palette().color(QPalette::ButtonText), b.color.isValid() ? b.color : buttonText);
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    }
}

TEST_F(CalculatorDialogTest, KeysTypedAnywhereReachTheKeypad)
{
    CalculatorDialog form(prompts, QStringLiteral("Calculator"), 0, 15, true);
    form.show();
    typeInto(form.display(), QStringLiteral("2+3*4"));
    keyInto(form.panel()->button(CalcButtonKind::Digit7), Qt::Key_Return);
    EXPECT_EQ(form.display()->text(), "20");
    typeInto(&form, QStringLiteral("9"));
    keyInto(&form, Qt::Key_Backspace);
    EXPECT_EQ(form.display()->text(), "0");
    typeInto(&form, QStringLiteral("5"));
    keyInto(form.panel(), Qt::Key_Escape);
    EXPECT_EQ(form.display()->text(), "0");
    EXPECT_TRUE(form.isVisible()) << "Enter and Escape keep the dialog open";
    typeInto(&form, QStringLiteral("1/0="));
    EXPECT_EQ(form.display()->text(), "Error");
    EXPECT_EQ(prompts.beeps, 1);
}

TEST_F(CalculatorDialogTest, KeyShowsItsButtonPressedBeforeItActs)
{
    CalculatorDialog form(prompts, QStringLiteral("Calculator"), 0, 15, true);
    form.show();
    QTest::keyClick(&form, Qt::Key_7);
    EXPECT_TRUE(form.panel()->button(CalcButtonKind::Digit7)->isDown());
    EXPECT_EQ(form.display()->text(), "0");
    QTest::qWait(40);
    EXPECT_FALSE(form.panel()->button(CalcButtonKind::Digit7)->isDown());
    EXPECT_EQ(form.display()->text(), "7");
}

TEST_F(CalculatorDialogTest, ClipboardKeysAndDisplayMenu)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QGuiApplication::clipboard()->clear();
    CalculatorDialog form(prompts, QStringLiteral("Calculator"), 0, 15, true);
    form.show();
    const QList<QAction*> items = form.displayMenu()->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), "&Copy");
    EXPECT_EQ(items[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Insert));
    EXPECT_EQ(items[1]->text(), "&Paste");
    EXPECT_EQ(items[1]->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    EXPECT_FALSE(items[1]->isEnabled()) << "nothing to paste";

    typeInto(&form, QStringLiteral("64"));
    keyInto(&form, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "64");
    EXPECT_TRUE(items[1]->isEnabled());

    QGuiApplication::clipboard()->setText(QStringLiteral("  $ 12.5"));
    keyInto(&form, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form.display()->text(), "12.5");

    // The menu's shortcuts work with the menu closed.
    QApplication::setActiveWindow(&form);
    QGuiApplication::clipboard()->setText(QStringLiteral("8"));
    keyInto(&form, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(form.display()->text(), "8");
    QGuiApplication::clipboard()->clear();
    keyInto(&form, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "8");

    QGuiApplication::clipboard()->setText(QStringLiteral("3"));
    typeInto(&form, QStringLiteral("R0R"));
    EXPECT_EQ(form.display()->text(), "Error");
    keyInto(&form, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form.display()->text(), "Error") << "keys do nothing in error";
    form.displayMenu()->popup(form.display()->mapToGlobal(QPoint(5, 5)));
    QTest::keyClick(form.displayMenu(), Qt::Key_P);
    EXPECT_EQ(form.display()->text(), "3") << "the menu still pastes, and keeps its own keys";
    items[0]->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "3");
}

TEST_F(CalculatorDialogTest, ValueAndMemoryKeptBetweenOpenings)
{
    PopupCalculator calculator(prompts);
    EXPECT_EQ(calculator.title(), "Calculator");
    EXPECT_EQ(calculator.precision(), 15);
    EXPECT_TRUE(calculator.beepOnError());

    prompts.onExec = [](QDialog& dialog) {
        CalculatorDialog& form = dialogOf(dialog);
        EXPECT_EQ(form.display()->text(), "0");
        EXPECT_TRUE(form.panel()->memoryIndicator()->text().isEmpty());
        typeInto(&form, QStringLiteral("12"));
        form.panel()->button(CalcButtonKind::MemoryStore)->click();
        EXPECT_EQ(form.panel()->memoryIndicator()->text(), "M");
        typeInto(&form, QStringLiteral("6*7="));
        form.panel()->button(CalcButtonKind::Ok)->click();
        return dialog.result();
    };
    EXPECT_TRUE(calculator.execute(nullptr));
    EXPECT_EQ(calculator.value(), 42);
    EXPECT_EQ(calculator.memory(), 12);

    // Reopened: 42 is shown as a result; the next digit starts a new number. Cancel keeps all.
    prompts.onExec = [](QDialog& dialog) {
        CalculatorDialog& form = dialogOf(dialog);
        EXPECT_EQ(form.display()->text(), "42");
        EXPECT_EQ(form.panel()->memoryIndicator()->text(), "M");
        form.panel()->button(CalcButtonKind::MemoryClear)->click();
        EXPECT_TRUE(form.panel()->memoryIndicator()->text().isEmpty());
        typeInto(&form, QStringLiteral("5"));
        EXPECT_EQ(form.display()->text(), "5");
        form.panel()->button(CalcButtonKind::Cancel)->click();
        return dialog.result();
    };
    EXPECT_FALSE(calculator.execute(nullptr));
    EXPECT_EQ(calculator.value(), 42);
    EXPECT_EQ(calculator.memory(), 12);

    // OK in error only beeps; the dialog stays until C and OK.
    prompts.onExec = [this](QDialog& dialog) {
        CalculatorDialog& form = dialogOf(dialog);
        form.show();
        typeInto(&form, QStringLiteral("0R"));
        const int beeps = prompts.beeps;
        form.panel()->button(CalcButtonKind::Ok)->click();
        EXPECT_EQ(prompts.beeps, beeps + 1);
        EXPECT_TRUE(form.isVisible());
        typeInto(&form, QStringLiteral("C2.50"));
        form.panel()->button(CalcButtonKind::Ok)->click();
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.display()->text(), "2.5");
        return dialog.result();
    };
    EXPECT_TRUE(calculator.execute(nullptr));
    EXPECT_EQ(calculator.value(), 2.5);
}

TEST_F(CalculatorDialogTest, LocaleDecimalSeparator)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    CalculatorDialog form(prompts, QStringLiteral("Calculator"), 0, 15, true);
    form.show();
    EXPECT_EQ(form.panel()->button(CalcButtonKind::Decimal)->text(), ",");
    typeInto(&form, QStringLiteral("1.5+1,25="));
    EXPECT_EQ(form.display()->text(), "2,75");
}

}  // namespace
}  // namespace dfm
