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

QLabel* display(const CalculatorDialog& form)
{
    return form.findChild<QLabel*>("Display");
}

QLabel* memoryIndicator(const CalculatorDialog& form)
{
    return form.findChild<QLabel*>("MemoryIndicator");
}

CalculatorButton* key(const CalculatorDialog& form, const char* name)
{
    return form.findChild<CalculatorButton*>(name);
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
    EXPECT_EQ(display(form)->geometry(), QRect(6, 6, 230, 23));
    EXPECT_EQ(display(form)->text(), "0");
    EXPECT_EQ(form.panel()->size(), QSize(240, 129));
    EXPECT_EQ(memoryIndicator(form)->geometry(), QRect(6, 7, 34, 20));

    using K = CalcButtonKind;
    const QColor purple(0x80, 0x00, 0x80), maroon(0x80, 0x00, 0x00), navy(0x00, 0x00, 0x80);
    const struct {
        K kind;
        const char* name;
        QRect place;
        const char* caption;
        QColor color;
    } buttons[] = {
        {K::Ok, "OkKey", {47, 6, 36, 22}, "", QColor()},
        {K::Cancel, "CancelKey", {85, 6, 36, 22}, "", QColor()},
        {K::Backspace, "BackspaceKey", {145, 6, 44, 22}, "<-", maroon},
        {K::Clear, "ClearKey", {191, 6, 44, 22}, "C", maroon},
        {K::MemoryClear, "MemoryClearKey", {5, 32, 36, 22}, "MC", navy},
        {K::Digit7, "Digit7Key", {47, 32, 36, 22}, "7", QColor()},
        {K::Digit8, "Digit8Key", {85, 32, 36, 22}, "8", QColor()},
        {K::Digit9, "Digit9Key", {123, 32, 36, 22}, "9", QColor()},
        {K::Divide, "DivideKey", {161, 32, 36, 22}, "/", purple},
        {K::Sqrt, "SqrtKey", {199, 32, 36, 22}, "sqrt", navy},
        {K::MemoryRecall, "MemoryRecallKey", {5, 56, 36, 22}, "MR", navy},
        {K::Digit4, "Digit4Key", {47, 56, 36, 22}, "4", QColor()},
        {K::Multiply, "MultiplyKey", {161, 56, 36, 22}, "", purple},
        {K::Percent, "PercentKey", {199, 56, 36, 22}, "%", navy},
        {K::MemoryStore, "MemoryStoreKey", {5, 80, 36, 22}, "MS", navy},
        {K::Digit1, "Digit1Key", {47, 80, 36, 22}, "1", QColor()},
        {K::Minus, "MinusKey", {161, 80, 36, 22}, "", purple},
        {K::Reciprocal, "ReciprocalKey", {199, 80, 36, 22}, "1/x", navy},
        {K::MemoryPlus, "MemoryPlusKey", {5, 104, 36, 22}, "MP", navy},
        {K::Digit0, "Digit0Key", {47, 104, 36, 22}, "0", QColor()},
        {K::Sign, "SignKey", {85, 104, 36, 22}, "", QColor()},
        {K::Decimal, "DecimalKey", {123, 104, 36, 22}, ".", QColor()},
        {K::Plus, "PlusKey", {161, 104, 36, 22}, "", purple},
        {K::Equals, "EqualsKey", {199, 104, 36, 22}, "=", purple},
    };
    const QColor buttonText = form.palette().color(QPalette::ButtonText);
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.name);
        CalculatorButton* button = key(form, b.name);
        ASSERT_TRUE(button);
        EXPECT_EQ(button->kind(), b.kind);
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
    typeInto(display(form), QStringLiteral("2+3*4"));
    keyInto(key(form, "Digit7Key"), Qt::Key_Return);
    EXPECT_EQ(display(form)->text(), "20");
    typeInto(&form, QStringLiteral("9"));
    keyInto(&form, Qt::Key_Backspace);
    EXPECT_EQ(display(form)->text(), "0");
    typeInto(&form, QStringLiteral("5"));
    keyInto(form.panel(), Qt::Key_Escape);
    EXPECT_EQ(display(form)->text(), "0");
    EXPECT_TRUE(form.isVisible()) << "Enter and Escape keep the dialog open";
    typeInto(&form, QStringLiteral("1/0="));
    EXPECT_EQ(display(form)->text(), "Error");
    EXPECT_EQ(prompts.beeps, 1);
}

TEST_F(CalculatorDialogTest, KeyShowsItsButtonPressedBeforeItActs)
{
    CalculatorDialog form(prompts, QStringLiteral("Calculator"), 0, 15, true);
    form.show();
    QTest::keyClick(&form, Qt::Key_7);
    EXPECT_TRUE(key(form, "Digit7Key")->isDown());
    EXPECT_EQ(display(form)->text(), "0");
    QTest::qWait(40);
    EXPECT_FALSE(key(form, "Digit7Key")->isDown());
    EXPECT_EQ(display(form)->text(), "7");
}

TEST_F(CalculatorDialogTest, ClipboardKeysAndDisplayMenu)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QGuiApplication::clipboard()->clear();
    CalculatorDialog form(prompts, QStringLiteral("Calculator"), 0, 15, true);
    form.show();
    const QList<QAction*> items = form.findChild<QMenu*>("DisplayMenu")->actions();
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
    EXPECT_EQ(display(form)->text(), "12.5");

    // The menu's shortcuts work with the menu closed.
    QApplication::setActiveWindow(&form);
    QGuiApplication::clipboard()->setText(QStringLiteral("8"));
    keyInto(&form, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(display(form)->text(), "8");
    QGuiApplication::clipboard()->clear();
    keyInto(&form, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "8");

    QGuiApplication::clipboard()->setText(QStringLiteral("3"));
    typeInto(&form, QStringLiteral("R0R"));
    EXPECT_EQ(display(form)->text(), "Error");
    keyInto(&form, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(display(form)->text(), "Error") << "keys do nothing in error";
    form.findChild<QMenu*>("DisplayMenu")->popup(display(form)->mapToGlobal(QPoint(5, 5)));
    QTest::keyClick(form.findChild<QMenu*>("DisplayMenu"), Qt::Key_P);
    EXPECT_EQ(display(form)->text(), "3") << "the menu still pastes, and keeps its own keys";
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
        EXPECT_EQ(display(form)->text(), "0");
        EXPECT_TRUE(memoryIndicator(form)->text().isEmpty());
        typeInto(&form, QStringLiteral("12"));
        key(form, "MemoryStoreKey")->click();
        EXPECT_EQ(memoryIndicator(form)->text(), "M");
        typeInto(&form, QStringLiteral("6*7="));
        key(form, "OkKey")->click();
        return dialog.result();
    };
    EXPECT_TRUE(calculator.execute(nullptr));
    EXPECT_EQ(calculator.value(), 42);
    EXPECT_EQ(calculator.memory(), 12);

    // Reopened: 42 is shown as a result; the next digit starts a new number. Cancel keeps all.
    prompts.onExec = [](QDialog& dialog) {
        CalculatorDialog& form = dialogOf(dialog);
        EXPECT_EQ(display(form)->text(), "42");
        EXPECT_EQ(memoryIndicator(form)->text(), "M");
        key(form, "MemoryClearKey")->click();
        EXPECT_TRUE(memoryIndicator(form)->text().isEmpty());
        typeInto(&form, QStringLiteral("5"));
        EXPECT_EQ(display(form)->text(), "5");
        key(form, "CancelKey")->click();
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
        key(form, "OkKey")->click();
        EXPECT_EQ(prompts.beeps, beeps + 1);
        EXPECT_TRUE(form.isVisible());
        typeInto(&form, QStringLiteral("C2.50"));
        key(form, "OkKey")->click();
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(display(form)->text(), "2.5");
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
    EXPECT_EQ(key(form, "DecimalKey")->text(), ",");
    typeInto(&form, QStringLiteral("1.5+1,25="));
    EXPECT_EQ(display(form)->text(), "2,75");
}

}  // namespace
}  // namespace dfm
