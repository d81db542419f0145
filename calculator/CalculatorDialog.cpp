// Builds the calculator dialog and hands every typed character to the keypad.
#include "CalculatorDialog.h"

#include "CalculatorEngine.h"
#include "Clipboard.h"
#include "CalculatorKeypad.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>

namespace dfm {

namespace {

// The dialog is laid out for 96 dots per inch and grows with the screen's density.
double screenScale(const QWidget& widget)
{
    const QScreen* screen = widget.screen();
    const double dpi = screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
    return dpi > 0 ? dpi / 96.0 : 1.0;
}

// The character a key press stands for, or nothing for keys the keypad leaves alone.
std::optional<QChar> typedCharacter(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (modifiers == Qt::ControlModifier) {
        if (key.key() == Qt::Key_C)
            return CalculatorEngine::CtrlC;
        if (key.key() == Qt::Key_V)
            return CalculatorEngine::CtrlV;
        return std::nullopt;
    }
    if (modifiers != Qt::NoModifier)
        return std::nullopt;
    switch (key.key()) {
    case Qt::Key_Backspace: return CalculatorEngine::Backspace;
    case Qt::Key_Return:
    case Qt::Key_Enter: return CalculatorEngine::Enter;
    case Qt::Key_Escape: return CalculatorEngine::Escape;
    default: break;
    }
    const QString text = key.text();
    if (text.size() != 1 || !text[0].isPrint())
        return std::nullopt;
    return text[0];
}

}  // namespace

CalculatorDialog::CalculatorDialog(UserPrompts& prompts, const QString& title, double memory, int precision,
                                           bool beepOnError, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("PopupCalculatorForm"));
    setWindowTitle(title);
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setBold(true);
    setFont(font);
    const double scale = screenScale(*this);
    setFixedSize(qRound(242 * scale), qRound(159 * scale));

    panel_ = new CalculatorKeypad(prompts, QLocale(), precision, beepOnError, scale, this);
    panel_->setGeometry(qRound(1 * scale), qRound(30 * scale), qRound(240 * scale), qRound(129 * scale));
    panel_->setMemory(memory);
    createDisplay(scale);
    connect(panel_, &CalculatorKeypad::accepted, this, &QDialog::accept);
    connect(panel_, &CalculatorKeypad::cancelled, this, &QDialog::reject);

    // Every key press anywhere in the dialog is seen here first; the display's menu keeps its
    // own keys for choosing an item.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) {
        if (child != displayMenu_)
            child->installEventFilter(this);
    }
}

void CalculatorDialog::createDisplay(double scale)
{
    display_ = new QLabel(panel_->engine().text(), this);
    display_->setObjectName(QStringLiteral("Display"));
    display_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    display_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    display_->setMargin(2);
    display_->setBackgroundRole(QPalette::Base);
    display_->setAutoFillBackground(true);
    display_->setGeometry(qRound(6 * scale), qRound(6 * scale), qRound(230 * scale), qRound(23 * scale));
    connect(panel_, &CalculatorKeypad::textChanged, display_, &QLabel::setText);

    displayMenu_ = new QMenu(this);
    displayMenu_->setObjectName(QStringLiteral("DisplayMenu"));
    copyItem_ = displayMenu_->addAction(QStringLiteral("&Copy"));
    copyItem_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    pasteItem_ = displayMenu_->addAction(QStringLiteral("&Paste"));
    pasteItem_->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    // The shortcuts work while the menu is closed, as the dialog's own.
    addActions({copyItem_, pasteItem_});
    connect(copyItem_, &QAction::triggered, panel_, &CalculatorKeypad::copy);
    connect(pasteItem_, &QAction::triggered, panel_, &CalculatorKeypad::Paste);
    const auto updatePaste = [this] { pasteItem_->setEnabled(clipboardHoldsText()); };
    updatePaste();
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, updatePaste);
    display_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(display_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { displayMenu_->popup(display_->mapToGlobal(at)); });
}

bool CalculatorDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        if (const std::optional<QChar> key = typedCharacter(static_cast<QKeyEvent&>(*event))) {
            panel_->pressKey(*key);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CalculatorDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        QRect placed = frameGeometry();
        placed.moveCenter(screen->availableGeometry().center());
        move(placed.topLeft());
    }
}

}  // namespace dfm
