// The calculator dialog: the display with its Copy/Paste menu above the keypad.
#pragma once

#include <QDialog>

class QAction;
class QLabel;
class QMenu;

namespace dfm {

class CalculatorKeypad;
class UserPrompts;

class CalculatorDialog : public QDialog {
    Q_OBJECT
public:
    CalculatorDialog(UserPrompts& prompts, const QString& title, double memory, int precision, bool beepOnError,
                         QWidget* parent = nullptr);

    CalculatorKeypad* panel() const { return panel_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createDisplay(double scale);

    CalculatorKeypad* panel_ = nullptr;
    QLabel* display_ = nullptr;
    QMenu* displayMenu_ = nullptr;
    QAction* copyItem_ = nullptr;
    QAction* pasteItem_ = nullptr;
};

}  // namespace dfm
