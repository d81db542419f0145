// A stand-in for the windows' boxes, dialogs and launches: records what was shown and answers as told.
#pragma once

#include "UserPrompts.h"

#include <QDialog>
#include <QStringList>

#include <deque>
#include <functional>

#include <gtest/gtest.h>

class ScriptedPrompts : public dfm::UserPrompts {
public:
    void notice(const QString& text) override { notices << text; }
    void errorBox(const QString& text) override { errors << text; }
    bool askYesNo(const QString& caption, const QString& text) override
    {
        questions << caption + u'|' + text;
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
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
    std::deque<bool> answers;
    std::function<int(QDialog&)> onExec;
    int beeps = 0;
    QStringList warnings;
    QStringList typedErrors;
    QStringList launched;
    bool launchSucceeds = true;
};
