#include "IgnoredClassesDialog.h"

#include "FormUnitCheck.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace dfm {

IgnoredClassesDialog::IgnoredClassesDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("IgnoredClassesDialog"));
    setWindowTitle(QStringLiteral("Ignored classes"));
    auto* label = new QLabel(QStringLiteral("Components and fields of these classes are left out of the check,\n"
                                            "one class name a line:"),
                             this);
    edit_ = new QPlainTextEdit(this);
    edit_->setObjectName(QStringLiteral("ClassList"));
    edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(edit_);
    layout->addWidget(buttons);
    resize(360, 280);
}

QStringList IgnoredClassesDialog::classes() const
{
    // The same reading as dfmlint's ignore file, so that a list pasted from one serves the other.
    QStringList names;
    for (const std::string& name : parseClassList(edit_->toPlainText().toStdString()))
        names << QString::fromStdString(name);
    return names;
}

void IgnoredClassesDialog::setClasses(const QStringList& classes)
{
    edit_->setPlainText(classes.join(u'\n'));
}

}  // namespace dfm
