#include "QtUserPrompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QMessageBox>
#include <QUrl>

namespace dfm {

void QtUserPrompts::Notice(const QString& text)
{
    QMessageBox::information(parent_, ApplicationTitle, text);
}

void QtUserPrompts::ErrorBox(const QString& text)
{
    QMessageBox::critical(parent_, ApplicationTitle, text);
}

bool QtUserPrompts::AskYesNo(const QString& caption, const QString& text)
{
    return QMessageBox::question(parent_, caption, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

int QtUserPrompts::Exec(QDialog& dialog)
{
    return dialog.exec();
}

void QtUserPrompts::Beep()
{
    QApplication::beep();
}

void QtUserPrompts::Warning(const QString& text)
{
    QMessageBox::warning(parent_, QStringLiteral("Avertissement"), text);
}

void QtUserPrompts::Error(const QString& text)
{
    QMessageBox::critical(parent_, QStringLiteral("Erreur"), text);
}

bool QtUserPrompts::Launch(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace dfm
