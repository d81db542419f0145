// Builds the Find and Replace dialog and keeps its buttons in step with the find text.
#include "FindDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace dfm {

FindDialog::FindDialog(Kind kind, QWidget* parent) : QDialog(parent), kind_(kind)
{
    const bool replacing = kind == Kind::Replace;
    setWindowTitle(replacing ? tr("Replace") : tr("Find"));

    auto* fields = new QGridLayout;
    auto* findLabel = new QLabel(tr("Fi&nd what:"), this);
    findEdit_ = new QLineEdit(this);
    findEdit_->setObjectName("FindEdit");
    findEdit_->setMinimumWidth(220);
    findLabel->setBuddy(findEdit_);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(findEdit_, 0, 1);
    if (replacing) {
        auto* replaceLabel = new QLabel(tr("Re&place with:"), this);
        replaceEdit_ = new QLineEdit(this);
        replaceEdit_->setObjectName("ReplaceEdit");
        replaceLabel->setBuddy(replaceEdit_);
        fields->addWidget(replaceLabel, 1, 0);
        fields->addWidget(replaceEdit_, 1, 1);
    }
    matchCaseBox_ = new QCheckBox(tr("Match &case"), this);
    matchCaseBox_->setObjectName("MatchCaseBox");
    fields->addWidget(matchCaseBox_, fields->rowCount(), 0, 1, 2);
    fields->setRowStretch(fields->rowCount(), 1);

    auto* buttons = new QVBoxLayout;
    findNextButton_ = new QPushButton(tr("&Find Next"), this);
    findNextButton_->setObjectName("FindNextButton");
    findNextButton_->setDefault(true);
    buttons->addWidget(findNextButton_);
    connect(findNextButton_, &QPushButton::clicked, this, &FindDialog::findNextClicked);
    if (replacing) {
        replaceButton_ = new QPushButton(tr("&Replace"), this);
        replaceButton_->setObjectName("ReplaceButton");
        replaceAllButton_ = new QPushButton(tr("Replace &All"), this);
        replaceAllButton_->setObjectName("ReplaceAllButton");
        buttons->addWidget(replaceButton_);
        buttons->addWidget(replaceAllButton_);
        connect(replaceButton_, &QPushButton::clicked, this, &FindDialog::replaceClicked);
        connect(replaceAllButton_, &QPushButton::clicked, this, &FindDialog::replaceAllClicked);
    }
    auto* cancelButton = new QPushButton(tr("Cancel"), this);
    cancelButton->setObjectName("CancelButton");
    buttons->addWidget(cancelButton);
    buttons->addStretch(1);
    // reject() only hides a modeless dialog, which is what Cancel and Esc should do.
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(findEdit_, &QLineEdit::textChanged, this, &FindDialog::updateButtons);
    updateButtons();
}

FindDialog::Kind FindDialog::dialogKind() const
{
    return kind_;
}

QString FindDialog::findText() const
{
    return findEdit_->text();
}

void FindDialog::setFindText(const QString& text)
{
    findEdit_->setText(text);
    findEdit_->selectAll();
}

QString FindDialog::replaceText() const
{
    return replaceEdit_ ? replaceEdit_->text() : QString();
}

bool FindDialog::matchCase() const
{
    return matchCaseBox_->isChecked();
}

void FindDialog::setMatchCase(bool on)
{
    matchCaseBox_->setChecked(on);
}

void FindDialog::showAndRaise()
{
    if (!isVisible())
        show();
    raise();
    activateWindow();
    findEdit_->setFocus(Qt::OtherFocusReason);
    findEdit_->selectAll();
}

void FindDialog::updateButtons()
{
    // Searching for nothing would match everywhere, so the actions wait for some text.
    const bool any = !findEdit_->text().isEmpty();
    findNextButton_->setEnabled(any);
    if (replaceButton_)
        replaceButton_->setEnabled(any);
    if (replaceAllButton_)
        replaceAllButton_->setEnabled(any);
}

}  // namespace dfm
