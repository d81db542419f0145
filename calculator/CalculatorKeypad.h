// The calculator's keypad: its keys, the memory indicator, and the arithmetic behind them.
#pragma once

#include "CalculatorEngine.h"

#include <QLocale>
#include <QWidget>

#include <map>

class QLabel;

namespace dfm {

class CalculatorButton;
class UserPrompts;

class CalculatorKeypad : public QWidget, private CalculatorHost {
    Q_OBJECT
public:
    // scale: the screen's dots per inch over 96; the keypad is laid out for 96.
    CalculatorKeypad(UserPrompts& prompts, const QLocale& locale, int precision, bool beepOnError, double scale,
                     QWidget* parent);

    // A typed character: a key's button is shown pressed briefly and then clicked; any other
    // character goes to the arithmetic as it is.
    void pressKey(QChar key);
    void copy();
    void paste();
    void preset(double value);
    void setMemory(double memory);

    const CalculatorEngine& engine() const { return engine_; }

signals:
    void textChanged(const QString& text);
    void accepted();
    void cancelled();

private:
    void beep() override;
    void copyText(const QString& text) override;
    std::optional<QString> pastedText() override;

    void addButton(CalcButtonKind kind, int left, int top, int width = 36);
    void buttonClicked(CalcButtonKind kind);
    void refresh();

    UserPrompts& prompts_;
    QChar separator_;
    double scale_;
    CalculatorEngine engine_;
    std::map<CalcButtonKind, CalculatorButton*> buttons_;
    QLabel* memoryIndicator_;
    QString shownText_;
};

}  // namespace dfm
