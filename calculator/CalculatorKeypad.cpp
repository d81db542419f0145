// Lays out the keypad and binds its keys to the arithmetic.
#include "CalculatorKeypad.h"

#include "Clipboard.h"
#include "CalculatorButton.h"
#include "UserPrompts.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QTimer>

namespace dfm {

namespace {

QChar decimalSeparator(const QLocale& locale)
{
    const QString separator = locale.decimalPoint();
    return separator.size() == 1 ? separator[0] : QChar(u'.');
}

}  // namespace

CalculatorKeypad::CalculatorKeypad(UserPrompts& prompts, const QLocale& locale, int precision, bool beepOnError,
                                   double scale, QWidget* parent)
    : QWidget(parent),
      prompts_(prompts),
      separator_(decimalSeparator(locale)),
      scale_(scale),
      engine_(*this, separator_, locale.currencySymbol(), precision, beepOnError)
{
    setObjectName(QStringLiteral("CalculatorPanel"));
    memoryIndicator_ = new QLabel(this);
    memoryIndicator_->setObjectName(QStringLiteral("MemoryIndicator"));
    memoryIndicator_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    memoryIndicator_->setAlignment(Qt::AlignCenter);
    memoryIndicator_->setGeometry(qRound(6 * scale), qRound(7 * scale), qRound(34 * scale), qRound(20 * scale));

    using K = CalcButtonKind;
    addButton(K::Ok, 47, 6);
    addButton(K::Cancel, 85, 6);
    addButton(K::Backspace, 145, 6, 44);
    addButton(K::Clear, 191, 6, 44);
    const int columns[] = {5, 47, 85, 123, 161, 199};
    const K rows[4][6] = {
        {K::MemoryClear, K::Digit7, K::Digit8, K::Digit9, K::Divide, K::Sqrt},
        {K::MemoryRecall, K::Digit4, K::Digit5, K::Digit6, K::Multiply, K::Percent},
        {K::MemoryStore, K::Digit1, K::Digit2, K::Digit3, K::Minus, K::Reciprocal},
        {K::MemoryPlus, K::Digit0, K::Sign, K::Decimal, K::Plus, K::Equals},
    };
    const int tops[] = {32, 56, 80, 104};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 6; ++column)
            addButton(rows[row][column], columns[column], tops[row]);
    refresh();
}

void CalculatorKeypad::addButton(CalcButtonKind kind, int left, int top, int width)
{
    auto* button = new CalculatorButton(kind, separator_, this);
    button->setGeometry(qRound(left * scale_), qRound(top * scale_), qRound(width * scale_), qRound(22 * scale_));
    connect(button, &QPushButton::clicked, this, [this, kind] { buttonClicked(kind); });
    buttons_[kind] = button;
}

void CalculatorKeypad::pressKey(QChar key)
{
    const std::optional<CalcButtonKind> kind = CalculatorEngine::buttonForKey(key, separator_);
    if (!kind) {
        engine_.key(key);
        refresh();
        return;
    }
    // The key is seen going down before it acts, as when clicked with the mouse.
    CalculatorButton* button = buttons_.at(*kind);
    button->setDown(true);
    QTimer::singleShot(20, button, [button] {
        button->setDown(false);
        button->click();
    });
}

void CalculatorKeypad::buttonClicked(CalcButtonKind kind)
{
    switch (kind) {
    case CalcButtonKind::MemoryClear: engine_.memoryClear(); break;
    case CalcButtonKind::MemoryRecall: engine_.memoryRecall(); break;
    case CalcButtonKind::MemoryStore: engine_.memoryStore(); break;
    case CalcButtonKind::MemoryPlus: engine_.memoryPlus(); break;
    case CalcButtonKind::Ok:
        if (engine_.accept()) {
            refresh();
            emit accepted();
            return;
        }
        break;
    case CalcButtonKind::Cancel: emit cancelled(); return;
    default: engine_.key(*CalculatorEngine::keyForButton(kind, separator_)); break;
    }
    refresh();
}

void CalculatorKeypad::copy()
{
    engine_.copy();
}

void CalculatorKeypad::Paste()
{
    engine_.Paste();
    refresh();
}

void CalculatorKeypad::preset(double value)
{
    engine_.preset(value);
    refresh();
}

void CalculatorKeypad::setMemory(double memory)
{
    engine_.setMemory(memory);
    refresh();
}

void CalculatorKeypad::refresh()
{
    memoryIndicator_->setText(engine_.memory() != 0 ? QStringLiteral("M") : QString());
    if (engine_.text() != shownText_) {
        shownText_ = engine_.text();
        emit textChanged(shownText_);
    }
}

void CalculatorKeypad::beep()
{
    prompts_.beep();
}

void CalculatorKeypad::copyText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

std::optional<QString> CalculatorKeypad::pastedText()
{
    return clipboardText();
}

}  // namespace dfm
