// The modeless Find and Replace dialog; the owner performs the search when its signals fire.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace dfm {

class FindDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Find, Replace };

    FindDialog(Kind kind, QWidget* parent);

    Kind dialogKind() const;
    QString findText() const;
    void setFindText(const QString& text);
    QString replaceText() const;
    bool matchCase() const;
    void setMatchCase(bool on);
    // Shows the dialog, or raises and activates it when already shown; focus goes to the find text.
    void showAndRaise();

signals:
    void findNextClicked();
    void replaceClicked();
    void replaceAllClicked();

private:
    void updateButtons();

    Kind kind_;
    QLineEdit* findEdit_ = nullptr;
    QLineEdit* replaceEdit_ = nullptr;
    QCheckBox* matchCaseBox_ = nullptr;
    QPushButton* findNextButton_ = nullptr;
    QPushButton* replaceButton_ = nullptr;
    QPushButton* replaceAllButton_ = nullptr;
};

}  // namespace dfm
