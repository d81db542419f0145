// The calculator the editor window keeps: value and memory outlive each opening of the dialog.
#pragma once

#include <QString>

class QWidget;

namespace dfm {

class UserPrompts;

class PopupCalculator {
public:
    explicit PopupCalculator(UserPrompts& prompts) : prompts_(prompts) {}

    // Shows the dialog modally; true when it was closed with OK (value and memory taken back).
    bool execute(QWidget* parent);

    QString title() const { return title_; }
    int precision() const { return precision_; }
    bool beepOnError() const { return beepOnError_; }
    double value() const { return value_; }
    double memory() const { return memory_; }

private:
    UserPrompts& prompts_;
    QString title_ = QStringLiteral("Calculator");
    int precision_ = 15;
    bool beepOnError_ = true;
    double value_ = 0;
    double memory_ = 0;
};

}  // namespace dfm
