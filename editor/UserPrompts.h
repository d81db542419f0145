// Every box and modal dialog the editor shows goes through here, so that tests can answer them.
#pragma once

#include <QString>

class QDialog;

namespace dfm {

inline const QString ApplicationTitle = QStringLiteral("Quen DFM Editor");

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // A plain notice: caption = application title, one OK button.
    virtual void Notice(const QString& text) = 0;
    // The error handler's box: caption = application title, stop icon.
    virtual void ErrorBox(const QString& text) = 0;
    // A Yes/No question with the question icon; true for Yes.
    virtual bool AskYesNo(const QString& caption, const QString& text) = 0;
    // Runs a modal dialog; returns its QDialog::DialogCode.
    virtual int Exec(QDialog& dialog) = 0;
    virtual void Beep() = 0;
};

}  // namespace dfm
