#include "QtUserPrompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
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

QtUserPrompts::Reply QtUserPrompts::askYesNo(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, parent_);
    // Without a button of its own for it, the box would take Escape and its close button for No.
    QPushButton* closed = box.addButton(QMessageBox::Cancel);
    closed->hide();
    box.setEscapeButton(closed);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Yes))
        return Reply::Yes;
    if (box.clickedButton() == box.button(QMessageBox::No))
        return Reply::No;
    return Reply::Closed;
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
