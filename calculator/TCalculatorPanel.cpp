// Lays out the keypad and binds its keys to the arithmetic.
#include "TCalculatorPanel.h"

#include "Clipboard.h"
#include "TCalcButton.h"
#include "UserPrompts.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QTimer>

namespace dfm {

namespace {

QChar DecimalSeparator(const QLocale& locale)
{
    const QString separator = locale.decimalPoint();
    return separator.size() == 1 ? separator[0] : QChar(u'.');
}

}  // namespace

TCalculatorPanel::TCalculatorPanel(UserPrompts& prompts, const QLocale& locale, int precision, bool beepOnError,
                                   double scale, QWidget* parent)
    : QWidget(parent),
      prompts_(prompts),
      separator_(DecimalSeparator(locale)),
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
    AddButton(K::Ok, 47, 6);
    AddButton(K::Cancel, 85, 6);
    AddButton(K::Backspace, 145, 6, 44);
    AddButton(K::Clear, 191, 6, 44);
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
            AddButton(rows[row][column], columns[column], tops[row]);
    Refresh();
}

void TCalculatorPanel::AddButton(CalcButtonKind kind, int left, int top, int width)
{
    auto* button = new TCalcButton(kind, separator_, this);
    button->setGeometry(qRound(left * scale_), qRound(top * scale_), qRound(width * scale_), qRound(22 * scale_));
    connect(button, &QPushButton::clicked, this, [this, kind] { ButtonClicked(kind); });
    buttons_[kind] = button;
}

void TCalculatorPanel::PressKey(QChar key)
{
    const std::optional<CalcButtonKind> kind = CalculatorEngine::ButtonForKey(key, separator_);
    if (!kind) {
        engine_.Key(key);
        Refresh();
        return;
    }
    // The key is seen going down before it acts, as when clicked with the mouse.
    TCalcButton* button = buttons_.at(*kind);
    button->setDown(true);
    QTimer::singleShot(20, button, [button] {
        button->setDown(false);
        button->click();
    });
}

void TCalculatorPanel::ButtonClicked(CalcButtonKind kind)
{
    switch (kind) {
    case CalcButtonKind::MemoryClear: engine_.MemoryClear(); break;
    case CalcButtonKind::MemoryRecall: engine_.MemoryRecall(); break;
    case CalcButtonKind::MemoryStore: engine_.MemoryStore(); break;
    case CalcButtonKind::MemoryPlus: engine_.MemoryPlus(); break;
    case CalcButtonKind::Ok:
        if (engine_.Accept()) {
            Refresh();
            emit Accepted();
            return;
        }
        break;
    case CalcButtonKind::Cancel: emit Cancelled(); return;
    default: engine_.Key(*CalculatorEngine::KeyForButton(kind, separator_)); break;
    }
    Refresh();
}

void TCalculatorPanel::Copy()
{
    engine_.Copy();
}

void TCalculatorPanel::Paste()
{
    engine_.Paste();
    Refresh();
}

void TCalculatorPanel::Preset(double value)
{
    engine_.Preset(value);
    Refresh();
}

void TCalculatorPanel::SetMemory(double memory)
{
    engine_.SetMemory(memory);
    Refresh();
}

void TCalculatorPanel::Refresh()
{
    memoryIndicator_->setText(engine_.Memory() != 0 ? QStringLiteral("M") : QString());
    if (engine_.Text() != shownText_) {
        shownText_ = engine_.Text();
        emit TextChanged(shownText_);
    }
}

void TCalculatorPanel::Beep()
{
    prompts_.Beep();
}

void TCalculatorPanel::CopyText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

std::optional<QString> TCalculatorPanel::PastedText()
{
    return ClipboardText();
}

}  // namespace dfm
