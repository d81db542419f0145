// Builds the object view window and keeps its tree's pictures, row height, font and colours in step.
#include "ObjectViewWindow.h"

#include "ColorValue.h"
#include "CommandBoundary.h"
#include "ObjectTreeBuilder.h"
#include "ObjectTreeError.h"
#include "ObjectViewStore.h"
#include "WindowSettings.h"
#include "FontDialog.h"
#include "UserPrompts.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QScopeGuard>
#include <QShowEvent>
#include <QStyleFactory>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace dfm {

namespace {

constexpr int PanelHeight = 31;
constexpr int ButtonHeight = 22;
constexpr int PictureButtonWidth = 23;
constexpr int CaptionButtonWidth = 58;

// Every row is as high as the window says, whatever the pictures or the font ask for.
class RowHeightDelegate : public QStyledItemDelegate {
public:
    RowHeightDelegate(const int& rowHeight, QObject* parent) : QStyledItemDelegate(parent), rowHeight_(rowHeight) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(rowHeight_);
        return size;
    }

private:
    const int& rowHeight_;
};

// The desktop's style may draw no lines between the items; this one draws them, with the plus and
// minus boxes, and leaves everything else to the desktop's style.
class BranchLineStyle : public QProxyStyle {
public:
    BranchLineStyle() : lines_(QStyleFactory::create(QStringLiteral("Windows")))
    {
        if (lines_)
            lines_->setParent(this);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        if (element == PE_IndicatorBranch && lines_)
            lines_->drawPrimitive(element, option, painter, widget);
        else
            QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

private:
    QStyle* lines_;
};

}  // namespace

ObjectViewWindow::ObjectViewWindow(UserPrompts& prompts, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      prompts_(prompts), outlineColor_(ColorValue::clWindow), outlineFontColor_(ColorValue::clWindowText)
{
    setObjectName(QStringLiteral("FObjectView"));
    setWindowTitle(QStringLiteral("Object view"));
    resize(294, 351);
    openPicture_ = style()->standardIcon(QStyle::SP_DirOpenIcon);
    closedPicture_ = style()->standardIcon(QStyle::SP_DirClosedIcon);
    leafPicture_ = style()->standardIcon(QStyle::SP_FileIcon);
    createControls();
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::TypeWriter);
    applyFont(font);
    applyColors();
    createWindowSettings();
}

ObjectViewWindow::~ObjectViewWindow()
{
    windowSettings_->saveAtDestruction();
}

void ObjectViewWindow::createWindowSettings()
{
    windowSettings_
        = std::make_unique<WindowSettings>(*this, ObjectViewStore::File, ObjectViewStore::Section, prompts_, false);
    windowSettings_->addColor(
        ObjectViewStore::TreeColor, [this] { return outlineColor_; },
        [this](std::int32_t value) { setOutlineColor(value); });
    windowSettings_->addFont(
        ObjectViewStore::TreeFont, [this] { return tree_->font(); }, [this] { return outlineFontColor_; },
        [this](const QFont& font, std::int32_t color) {
            applyFont(font);
            setOutlineFontColor(color);
        });
}

void ObjectViewWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Each time the program shows it; not when it comes back from being minimized.
    if (!event->spontaneous())
        windowSettings_->restore();
}

void ObjectViewWindow::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    // Once the editor has closed, this close is the application's exit closing every window: the
    // view was left open, and its destruction saves it as such.
    if (parentWidget() != nullptr && !parentWidget()->isVisible())
        return;
    windowSettings_->save();
}

void ObjectViewWindow::createControls()
{
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("Outline1"));
    tree_->setColumnCount(1);
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setUniformRowHeights(true);
    // Items are shown whole, their line numbers and marks at the end included: the column is as
    // wide as its longest item and the tree scrolls sideways instead of cutting the text.
    tree_->header()->setStretchLastSection(false);
    tree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tree_->setTextElideMode(Qt::ElideNone);
    tree_->setItemDelegate(new RowHeightDelegate(rowHeight_, tree_));
    auto* branchStyle = new BranchLineStyle;
    branchStyle->setParent(tree_);
    tree_->setStyle(branchStyle);
    connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { updatePicture(item); });
    connect(tree_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) { updatePicture(item); });
    // The tree's own toggle on a double click runs after this.
    connect(tree_, &QTreeWidget::itemDoubleClicked, this,
            [this] { runCommand(prompts_, [this] { itemDoubleClicked(); }); });
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr)
            emit currentLineChanged(item->data(0, Qt::UserRole).toInt());
    });
    tree_->installEventFilter(this);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setFixedHeight(PanelHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tree_, 1);
    layout->addWidget(panel);

    struct ButtonPlan
    {
        const char* name;
        const char* caption;
        QStyle::StandardPixmap picture;
        int width;
        const char* hint;
        void (ObjectViewWindow::*click)();
    };
    const ButtonPlan plans[] = {
        {"FontButton", "", QStyle::SP_FileDialogDetailedView, PictureButtonWidth, "Font|Change outline font",
         &ObjectViewWindow::changeFont},
        {"BackgroundButton", "", QStyle::SP_DesktopIcon, PictureButtonWidth, "Background|Change outline background color",
         &ObjectViewWindow::changeBackground},
        {"DefinitionButton", "&Def.", QStyle::SP_ArrowRight, CaptionButtonWidth,
         "Show definition|Sync DFM view to show object definition", &ObjectViewWindow::showDefinition},
        {"CodeButton", "&Code", QStyle::SP_FileDialogContentsView, CaptionButtonWidth, "Code|Show Pascal code",
         &ObjectViewWindow::showCode},
        {"ExpandButton", "", QStyle::SP_ArrowDown, PictureButtonWidth, "Expand|Expand all", &ObjectViewWindow::expandAll},
        {"CollapseButton", "", QStyle::SP_ArrowUp, PictureButtonWidth, "Collapse|Collapse all",
         &ObjectViewWindow::collapseAll},
    };
    int left = 2;
    const int top = (PanelHeight - ButtonHeight) / 2;
    for (const ButtonPlan& plan : plans) {
        auto* button = new QToolButton(panel);
        button->setObjectName(QString::fromLatin1(plan.name));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(true);
        button->setIcon(style()->standardIcon(plan.picture));
        const QString caption = QString::fromLatin1(plan.caption);
        if (!caption.isEmpty()) {
            // The caption's ampersand gives the button its Alt key within this window.
            button->setText(caption);
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
            captionButtons_.push_back(button);
        }
        button->setGeometry(left, top, plan.width, ButtonHeight);
        left += plan.width + 1;
        // Short part: the tooltip; long part: the hint line of the editor's status bar.
        const QString hint = QString::fromLatin1(plan.hint);
        const qsizetype bar = hint.indexOf(u'|');
        button->setToolTip(hint.left(bar));
        button->setStatusTip(hint.mid(bar + 1));
        // A command's error is shown at the boundary rather than thrown into the event loop.
        if (plan.click)
            connect(button, &QToolButton::clicked, this,
                    [this, click = plan.click] { runCommand(prompts_, [this, click] { (this->*click)(); }); });
    }
}

void ObjectViewWindow::buildObjectTree(const QStringList& lines)
{
    const ObjectTree tree = ObjectTreeBuilder::build(lines);

    tree_->setUpdatesEnabled(false);
    // A tree built anew chooses nothing.
    tree_->blockSignals(true);
    const auto resume = qScopeGuard([this] {
        tree_->blockSignals(false);
        tree_->setUpdatesEnabled(true);
    });
    tree_->clear();
    // The items are joined while still outside the tree, so the tree takes them all in one step.
    QList<QTreeWidgetItem*> topLevel;
    topLevel.reserve(tree.items.size());
    std::vector<QTreeWidgetItem*> path;  // the last item and its ancestors, by depth
    for (const ObjectTreeItem& entry : tree.items) {
        auto* item = new QTreeWidgetItem;
        item->setText(0, entry.text);
        item->setData(0, Qt::UserRole, entry.lineIndex);
        item->setIcon(0, leafPicture_);
        path.resize(std::min<std::size_t>(static_cast<std::size_t>(entry.depth), path.size()));
        if (path.empty()) {
            topLevel.append(item);
        } else {
            QTreeWidgetItem* parent = path.back();
            if (parent->childCount() == 0)
                parent->setIcon(0, closedPicture_);
            parent->addChild(item);
        }
        path.push_back(item);
    }
    tree_->insertTopLevelItems(0, topLevel);
    if (!topLevel.isEmpty())
        tree_->setCurrentItem(topLevel.constFirst());
    if (tree.refused)
        throw ObjectTreeError();
}

void ObjectViewWindow::selectLine(int lineIndex)
{
    for (QTreeWidgetItemIterator it(tree_); *it != nullptr; ++it) {
        if ((*it)->data(0, Qt::UserRole).toInt() == lineIndex) {
            tree_->setCurrentItem(*it);
            tree_->scrollToItem(*it);
            return;
        }
    }
}

int ObjectViewWindow::currentItemLine() const
{
    const QTreeWidgetItem* item = tree_->currentItem();
    if (tree_->topLevelItemCount() == 0 || !item)
        return -1;
    return item->data(0, Qt::UserRole).toInt();
}

void ObjectViewWindow::showDefinition()
{
    if (const int line = currentItemLine(); line >= 0)
        emit showLineRequested(line);
}

void ObjectViewWindow::showCode()
{
    if (const int line = currentItemLine(); line >= 0)
        emit codeRequested(line);
}

// The view reports every item it opens or closes, so the pictures follow through UpdatePicture.
void ObjectViewWindow::expandAll()
{
    tree_->expandAll();
}

void ObjectViewWindow::collapseAll()
{
    tree_->collapseAll();
}

void ObjectViewWindow::changeFont()
{
    FontDialog dialog(this);
    const QColor fontColor = ColorValue::toColor(outlineFontColor_);
    dialog.setChoice(tree_->font(), fontColor);
    dialog.setSampleBackground(ColorValue::toColor(outlineColor_));
    const auto apply = [this, &dialog, fontColor] {
        QFont font = dialog.selectedFont();
        font.setStyleHint(QFont::TypeWriter);
        applyFont(font);
        // An unchanged colour keeps its stored value, so that a desktop colour stays one.
        const QColor chosen = dialog.selectedColor();
        if (chosen.rgb() != fontColor.rgb())
            setOutlineFontColor(ColorValue::fromColor(chosen));
    };
    connect(&dialog, &FontDialog::applyClicked, this, apply);
    if (prompts_.exec(dialog) == QDialog::Accepted)
        apply();
}

void ObjectViewWindow::changeBackground()
{
    const QColor current = ColorValue::toColor(outlineColor_);
    QColorDialog dialog(current, this);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (prompts_.exec(dialog) != QDialog::Accepted)
        return;
    const QColor chosen = dialog.selectedColor();
    if (chosen.isValid() && chosen.rgb() != current.rgb())
        setOutlineColor(ColorValue::fromColor(chosen));
}

void ObjectViewWindow::setOutlineColor(std::int32_t value)
{
    outlineColor_ = value;
    applyColors();
}

void ObjectViewWindow::setOutlineFontColor(std::int32_t value)
{
    outlineFontColor_ = value;
    applyColors();
}

QToolButton* ObjectViewWindow::captionButtonFor(const QKeyEvent* event) const
{
    const QKeySequence key(event->keyCombination());
    for (QToolButton* button : captionButtons_) {
        if (key == QKeySequence::mnemonic(button->text()))
            return button;
    }
    return nullptr;
}

// The owner's shortcuts stay on while this tool window is active, and its page tabs would take
// the same Alt keys; this window's own buttons come first while it is the active one.
bool ObjectViewWindow::takeCaptionKey(QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    QToolButton* button = captionButtonFor(key);
    if (button == nullptr || !isActiveWindow())
        return false;
    // Claiming the override keeps every shortcut off; the key press that follows presses the button.
    if (event->type() == QEvent::KeyPress && button->isEnabled())
        button->animateClick();
    key->accept();
    return true;
}

bool ObjectViewWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tree_ && takeCaptionKey(event))
        return true;
    return QWidget::eventFilter(watched, event);
}

bool ObjectViewWindow::event(QEvent* event)
{
    if (takeCaptionKey(event))
        return true;
    // A status tip stops at its window; the owner's status bar is the one that shows it.
    if (event->type() == QEvent::StatusTip && parentWidget()) {
        QCoreApplication::sendEvent(parentWidget(), event);
        return true;
    }
    return QWidget::event(event);
}

void ObjectViewWindow::applyFont(const QFont& font)
{
    int pixels = font.pixelSize();
    if (pixels <= 0)
        pixels = qRound(font.pointSizeF() * tree_->logicalDpiY() / 72.0);
    rowHeight_ = std::max(1, qRound(pixels * 6 / 5.0));
    tree_->setFont(font);
    // The rows take their new height now rather than whenever the view next lays itself out.
    tree_->doItemsLayout();
}

void ObjectViewWindow::applyColors()
{
    QPalette palette = tree_->palette();
    palette.setColor(QPalette::Base, ColorValue::toColor(outlineColor_));
    palette.setColor(QPalette::Text, ColorValue::toColor(outlineFontColor_));
    tree_->setPalette(palette);
}

void ObjectViewWindow::updatePicture(QTreeWidgetItem* item) const
{
    if (item->childCount() == 0)
        item->setIcon(0, leafPicture_);
    else
        item->setIcon(0, item->isExpanded() ? openPicture_ : closedPicture_);
}

void ObjectViewWindow::itemDoubleClicked()
{
    const QTreeWidgetItem* item = tree_->currentItem();
    if (item && item->childCount() == 0)
        showDefinition();
}

}  // namespace dfm
