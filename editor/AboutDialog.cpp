// Builds the about window.
#include "AboutDialog.h"

#include "Version.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace dfm {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("About ..."));

    auto* picture = new QLabel(this);
    picture->setPixmap(QApplication::style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(48, 48));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* title = new QLabel(QString::fromUtf8(ProductName), this);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    title->setFont(titleFont);
    // The same version and copyright that --version prints, from the one place they are set.
    auto* version = new QLabel(tr("Version %1").arg(QString::fromUtf8(ProductVersion)), this);
    auto* copyright = new QLabel(QString::fromUtf8(CopyrightLine), this);
    auto* description = new QLabel(tr("Opens binary form files as readable text beside their unit, "
                                      "and saves the edited text back as a binary form file, with backups."),
                                   this);
    description->setWordWrap(true);
    // A wrapped label has no natural width; fix one so the text breaks into a few even lines.
    description->setFixedWidth(280);

    auto* texts = new QVBoxLayout;
    texts->addWidget(title);
    texts->addWidget(version);
    texts->addWidget(copyright);
    texts->addSpacing(8);
    texts->addWidget(description);

    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(8);
    top->addLayout(texts);

    auto* okButton = new QPushButton(tr("OK"), this);
    okButton->setObjectName("OkButton");
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(okButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace dfm
