// The calculator's keypad: its keys, the memory indicator, and the arithmetic behind them.
#pragma once

#include "CalculatorEngine.h"

#include <QLocale>
#include <QWidget>

#include <map>

class QLabel;

namespace dfm {

class TCalcButton;
class UserPrompts;

class TCalculatorPanel : public QWidget, private CalculatorHost {
    Q_OBJECT
public:
    // scale: the screen's dots per inch over 96; the keypad is laid out for 96.
    TCalculatorPanel(UserPrompts& prompts, const QLocale& locale, int precision, bool beepOnError, double scale,
                     QWidget* parent);

    // A typed character: a key's button is shown pressed briefly and then clicked; any other
    // character goes to the arithmetic as it is.
    void PressKey(QChar key);
    void Copy();
    void Paste();
    void Preset(double value);
    void SetMemory(double memory);

    const CalculatorEngine& Engine() const { return engine_; }
    TCalcButton* Button(CalcButtonKind kind) const { return buttons_.at(kind); }
    QLabel* MemoryIndicator() const { return memoryIndicator_; }

signals:
    void TextChanged(const QString& text);
    void Accepted();
    void Cancelled();

private:
    void Beep() override;
    void CopyText(const QString& text) override;
    std::optional<QString> PastedText() override;

    void AddButton(CalcButtonKind kind, int left, int top, int width = 36);
    void ButtonClicked(CalcButtonKind kind);
    void Refresh();

    UserPrompts& prompts_;
    QChar separator_;
    double scale_;
    CalculatorEngine engine_;
    std::map<CalcButtonKind, TCalcButton*> buttons_;
    QLabel* memoryIndicator_;
    QString shownText_;
};

}  // namespace dfm
