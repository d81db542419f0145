// The real message boxes, dialogs and launches.
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
    void Warning(const QString& text) override;
    void Error(const QString& text) override;
    bool Launch(const QString& path) override;

private:
    QWidget* parent_ = nullptr;
};

}  // namespace dfm
