// The keypad's arithmetic: display text, entry, pending operator, memory, error state.
// Plain logic: the keypad window feeds it characters and shows its text.
#pragma once

#include "CalculatorHost.h"

#include <QChar>
#include <QString>

#include <optional>

namespace dfm {

// The keypad's buttons; the first 22 are reached from the keyboard, in this order.
enum class CalcButtonKind {
    Digit0, Digit1, Digit2, Digit3, Digit4, Digit5, Digit6, Digit7, Digit8, Digit9,
    Sign, Decimal, Divide, Multiply, Minus, Plus, Sqrt, Percent, Reciprocal, Equals, Backspace, Clear,
    MemoryClear, MemoryRecall, MemoryStore, MemoryPlus, Ok, Cancel,
};

enum class CalculatorStatus { First, Valid, Error };

class CalculatorEngine {
public:
    static constexpr QChar Backspace{0x08};
    static constexpr QChar Enter{0x0D};
    static constexpr QChar Escape{0x1B};
    static constexpr QChar CtrlC{0x03};
    static constexpr QChar CtrlV{0x16};

    // precision: significant digits shown and longest entry; at least 2 is used.
    CalculatorEngine(CalculatorHost& host, QChar decimalSeparator, const QString& currencySymbol, int precision,
                     bool beepOnError);

    // The button a typed character presses, if any (Enter is "=", Escape is "C").
    static std::optional<CalcButtonKind> buttonForKey(QChar key, QChar decimalSeparator);
    // The character a button sends; nothing for the memory buttons, OK and Cancel.
    static std::optional<QChar> keyForButton(CalcButtonKind kind, QChar decimalSeparator);
    // The display format: general, `precision` significant digits, E notation where needed.
    static QString format(double value, int precision, QChar decimalSeparator);
    // A decimal number written with the separator given (blanks around allowed); nothing otherwise.
    static std::optional<double> parse(const QString& text, QChar decimalSeparator);

    void key(QChar key);
    void memoryClear();
    void memoryRecall();
    void memoryStore();
    void memoryPlus();
    // OK: false (with the beep) while in error, else the display is reformatted and true.
    bool accept();
    // The display's own Copy and Paste: they act in every status.
    void copy();
    void Paste();
    // A value carried over from the last opening: shown as a result, "=" pending.
    void preset(double value);

    QString text() const { return text_; }
    CalculatorStatus Status() const { return status_; }
    double displayValue() const;
    double memory() const { return memory_; }
    void setMemory(double memory) { memory_ = memory; }
    int precision() const { return precision_; }

private:
    void startEntry();
    void show(double value);
    void Fail();
    void refuse();
    void digit(QChar digit);
    void erase();
    void applyOperator(QChar key);
    void clear();

    CalculatorHost& host_;
    QChar separator_;
    QString currencySymbol_;
    int precision_;
    bool beepOnError_;
    QString text_ = QStringLiteral("0");
    CalculatorStatus status_ = CalculatorStatus::First;
    QChar operator_;
    double operand_ = 0;
    double memory_ = 0;
};

}  // namespace dfm
