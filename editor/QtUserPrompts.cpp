#include "QtUserPrompts.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

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

}  // namespace dfm
