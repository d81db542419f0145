// One key of the calculator's keypad: its kind, caption or picture, and caption colour.
#pragma once

#include "CalculatorEngine.h"

#include <QPushButton>

namespace dfm {

class CalculatorButton : public QPushButton {
    Q_OBJECT
public:
    CalculatorButton(CalcButtonKind kind, QChar decimalSeparator, QWidget* parent);

    CalcButtonKind kind() const { return kind_; }
    // The picture a button shows instead of text; a null picture for captioned buttons.
    static QPixmap pictureFor(CalcButtonKind kind);
    static QString caption(CalcButtonKind kind, QChar decimalSeparator);
    static QColor captionColor(CalcButtonKind kind);

private:
    CalcButtonKind kind_;
};

}  // namespace dfm
