#include "QtUserPrompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QMessageBox>
#include <QUrl>

namespace dfm {

void QtUserPrompts::notice(const QString& text)
{
    QMessageBox::information(parent_, ApplicationTitle, text);
}

void QtUserPrompts::errorBox(const QString& text)
{
    QMessageBox::critical(parent_, ApplicationTitle, text);
}

bool QtUserPrompts::askYesNo(const QString& caption, const QString& text)
{
    return QMessageBox::question(parent_, caption, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

int QtUserPrompts::exec(QDialog& dialog)
{
    return dialog.exec();
}

void QtUserPrompts::beep()
{
    QApplication::beep();
}

void QtUserPrompts::warning(const QString& text)
{
    QMessageBox::warning(parent_, QStringLiteral("Avertissement"), text);
}

void QtUserPrompts::error(const QString& text)
{
    QMessageBox::critical(parent_, QStringLiteral("Erreur"), text);
}

bool QtUserPrompts::launch(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace dfm
