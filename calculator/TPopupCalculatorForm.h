// The calculator dialog: the display with its Copy/Paste menu above the keypad.
#pragma once

#include <QDialog>

class QAction;
class QLabel;
class QMenu;

namespace dfm {

class TCalculatorPanel;
class UserPrompts;

class TPopupCalculatorForm : public QDialog {
    Q_OBJECT
public:
    TPopupCalculatorForm(UserPrompts& prompts, const QString& title, double memory, int precision, bool beepOnError,
                         QWidget* parent = nullptr);

    TCalculatorPanel* Panel() const { return panel_; }
    QLabel* Display() const { return display_; }
    QMenu* DisplayMenu() const { return displayMenu_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateDisplay(double scale);

    TCalculatorPanel* panel_ = nullptr;
    QLabel* display_ = nullptr;
    QMenu* displayMenu_ = nullptr;
    QAction* copyItem_ = nullptr;
    QAction* pasteItem_ = nullptr;
};

}  // namespace dfm
