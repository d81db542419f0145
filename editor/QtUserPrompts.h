// The real message boxes and dialogs.
#pragma once

#include "UserPrompts.h"

class QWidget;

namespace dfm {

class QtUserPrompts : public UserPrompts {
public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    void Notice(const QString& text) override;
    void ErrorBox(const QString& text) override;
    bool AskYesNo(const QString& caption, const QString& text) override;
    int Exec(QDialog& dialog) override;
    void Beep() override;

private:
    QWidget* parent_ = nullptr;
};

}  // namespace dfm
