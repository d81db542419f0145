// The modeless Find and Replace dialog; the owner performs the search when its signals fire.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace dfm {

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Find, Replace };

    TFindDialog(Kind kind, QWidget* parent);

    Kind DialogKind() const;
    QString FindText() const;
    void SetFindText(const QString& text);
    QString ReplaceText() const;
    bool MatchCase() const;
    void SetMatchCase(bool on);
    // Shows the dialog, or raises and activates it when already shown; focus goes to the find text.
    void ShowAndRaise();

signals:
    void FindNextClicked();
    void ReplaceClicked();
    void ReplaceAllClicked();

private:
    void UpdateButtons();

    Kind kind_;
    QLineEdit* findEdit_ = nullptr;
    QLineEdit* replaceEdit_ = nullptr;
    QCheckBox* matchCaseBox_ = nullptr;
    QPushButton* findNextButton_ = nullptr;
    QPushButton* replaceButton_ = nullptr;
    QPushButton* replaceAllButton_ = nullptr;
};

}  // namespace dfm
