// Every box and modal dialog the windows show, and every launch of another program, goes through
// here, so that tests can answer them.
#pragma once

#include <QByteArray>
#include <QString>

class QDialog;

namespace dfm {

inline const QString ApplicationTitle = QStringLiteral("Quen DFM Editor");

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // The error box's text: a "." is added when the message's last byte sorts after ".".
    static QString errorBoxText(const QString& message)
    {
        const QByteArray bytes = message.toUtf8();
        if (!bytes.isEmpty() && static_cast<unsigned char>(bytes.back()) > '.')
            return message + u'.';
        return message;
    }

    // A plain notice: caption = application title, one OK button.
    virtual void notice(const QString& text) = 0;
    // The error handler's box: caption = application title, stop icon.
    virtual void errorBox(const QString& text) = 0;
    // The answer to a question; Closed when the box was closed (Escape, its close button)
    // without an answer.
    enum class Reply { Yes, No, Closed };
    // A Yes/No question with the question icon.
    virtual Reply askYesNo(const QString& caption, const QString& text) = 0;
    // Runs a modal dialog; returns its QDialog::DialogCode.
    virtual int exec(QDialog& dialog) = 0;
    virtual void beep() = 0;
    // The file scanner's typed boxes: caption "Avertissement" with a warning icon, or "Erreur"
    // with an error icon; one OK button.
    virtual void warning(const QString& text) = 0;
    virtual void error(const QString& text) = 0;
    // Opens a file with its associated program; false when that fails.
    virtual bool launch(const QString& path) = 0;
};

}  // namespace dfm
