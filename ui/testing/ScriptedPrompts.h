// A stand-in for the windows' boxes, dialogs and launches: records what was shown and answers as told.
#pragma once

#include "UserPrompts.h"

#include <QDialog>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

#include <gtest/gtest.h>

class ScriptedPrompts : public dfm::UserPrompts {
public:
    void notice(const QString& text) override { notices << text; }
    void errorBox(const QString& text) override { errors << text; }
    Reply askYesNo(const QString& caption, const QString& text) override
    {
        questions << caption + u'|' + text;
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return Reply::No;
        }
        const std::optional<bool> answer = answers.front();
        answers.pop_front();
        return !answer ? Reply::Closed : *answer ? Reply::Yes : Reply::No;
    }
    int exec(QDialog& dialog) override
    {
        if (!onExec) {
            ADD_FAILURE() << "unexpected dialog: " << dialog.windowTitle().toStdString();
            return QDialog::Rejected;
        }
        return onExec(dialog);
    }
    void beep() override { ++beeps; }
    void warning(const QString& text) override { warnings << text; }
    void error(const QString& text) override { typedErrors << text; }
    bool launch(const QString& path) override
    {
        launched << path;
        return launchSucceeds;
    }

    QStringList notices;
    QStringList errors;
    QStringList questions;
    // true for Yes, false for No, nothing for a box closed unanswered.
    std::deque<std::optional<bool>> answers;
    std::function<int(QDialog&)> onExec;
    int beeps = 0;
    QStringList warnings;
    QStringList typedErrors;
    QStringList launched;
    bool launchSucceeds = true;
};
