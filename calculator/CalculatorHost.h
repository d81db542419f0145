// What the keypad arithmetic needs from around it: the beep and the clipboard.
#pragma once

#include <QString>

#include <optional>

namespace dfm {

class CalculatorHost {
public:
    virtual ~CalculatorHost() = default;
    virtual void beep() = 0;
    virtual void copyText(const QString& text) = 0;
    // The clipboard's text; nothing when it holds no text.
    virtual std::optional<QString> pastedText() = 0;
};

}  // namespace dfm
