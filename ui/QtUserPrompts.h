// The real message boxes, dialogs and launches.
#pragma once

#include "UserPrompts.h"

class QWidget;

namespace dfm {

class QtUserPrompts : public UserPrompts {
public:
    void setParent(QWidget* parent) { parent_ = parent; }
    void notice(const QString& text) override;
    void errorBox(const QString& text) override;
    Reply askYesNo(const QString& caption, const QString& text) override;
    int exec(QDialog& dialog) override;
    void beep() override;
    void warning(const QString& text) override;
    void error(const QString& text) override;
    bool launch(const QString& path) override;

private:
    QWidget* parent_ = nullptr;
};

}  // namespace dfm
