// Boxes and dialogs for the window benchmarks: messages go to standard error, dialogs are cancelled.
#pragma once

#include "UserPrompts.h"

#include <QDialog>

#include <cstdio>

class SilentPrompts : public dfm::UserPrompts {
public:
    void notice(const QString& text) override { std::fprintf(stderr, "notice: %s\n", qPrintable(text)); }
    void errorBox(const QString& text) override { std::fprintf(stderr, "error: %s\n", qPrintable(text)); }
    Reply askYesNo(const QString&, const QString&) override { return Reply::No; }
    int exec(QDialog&) override { return QDialog::Rejected; }
    void beep() override {}
    void warning(const QString& text) override { std::fprintf(stderr, "warning: %s\n", qPrintable(text)); }
    void error(const QString& text) override { std::fprintf(stderr, "error: %s\n", qPrintable(text)); }
    bool launch(const QString&) override { return false; }
};
