// The small dialog that edits the class names the form check leaves out, one a line.
#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace dfm {

class IgnoredClassesDialog : public QDialog {
    Q_OBJECT
public:
    explicit IgnoredClassesDialog(QWidget* parent);

    QStringList classes() const;
    void setClasses(const QStringList& classes);

private:
    QPlainTextEdit* edit_;
};

}  // namespace dfm
