// Boxes and dialogs for the window benchmarks: messages go to standard error, dialogs are cancelled.
#pragma once

#include "UserPrompts.h"

#include <QDialog>

#include <cstdio>

class SilentPrompts : public dfm::UserPrompts {
public:
    void Notice(const QString& text) override { std::fprintf(stderr, "notice: %s\n", qPrintable(text)); }
    void ErrorBox(const QString& text) override { std::fprintf(stderr, "error: %s\n", qPrintable(text)); }
    bool AskYesNo(const QString&, const QString&) override { return false; }
    int Exec(QDialog&) override { return QDialog::Rejected; }
    void Beep() override {}
    void Warning(const QString& text) override { std::fprintf(stderr, "warning: %s\n", qPrintable(text)); }
    void Error(const QString& text) override { std::fprintf(stderr, "error: %s\n", qPrintable(text)); }
    bool Launch(const QString&) override { return false; }
};
