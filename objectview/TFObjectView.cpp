// Builds the object view window and keeps its tree's pictures, row height, font and colours in step.
#include "TFObjectView.h"

#include "ColorValue.h"
#include "ObjectTreeBuilder.h"
#include "TFormStorage.h"
#include "TFontDialog.h"
#include "UserPrompts.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QProxyStyle>
#include <QScopeGuard>
#include <QShowEvent>
#include <QStyleFactory>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>
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

TFObjectView::TFObjectView(UserPrompts& prompts, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      prompts_(prompts), outlineColor_(ColorValue::clWindow), outlineFontColor_(ColorValue::clWindowText)
{
    setObjectName(QStringLiteral("FObjectView"));
    setWindowTitle(QStringLiteral("Object view"));
    resize(294, 351);
    openPicture_ = style()->standardIcon(QStyle::SP_DirOpenIcon);
    closedPicture_ = style()->standardIcon(QStyle::SP_DirClosedIcon);
    leafPicture_ = style()->standardIcon(QStyle::SP_FileIcon);
    CreateControls();
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::TypeWriter);
    ApplyFont(font);
    ApplyColors();
    CreateFormStorage();
}

TFObjectView::~TFObjectView()
{
    formStorage1_->SaveAtDestruction();
}

void TFObjectView::CreateFormStorage()
{
    formStorage1_ = std::make_unique<TFormStorage>(*this, TFormStorage::Store::IniFile, QStringLiteral("TFObjectView"),
                                                   prompts_, false);
    formStorage1_->AddColor(
        QStringLiteral("Outline1_Color"), [this] { return outlineColor_; },
        [this](std::int32_t value) { SetOutlineColor(value); });
    formStorage1_->AddFont(
        QStringLiteral("Outline1_Font"), [this] { return outline1_->font(); }, [this] { return outlineFontColor_; },
        [this](const QFont& font, std::int32_t color) {
            ApplyFont(font);
            SetOutlineFontColor(color);
        });
}

void TFObjectView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Each time the program shows it; not when it comes back from being minimized.
    if (!event->spontaneous())
        formStorage1_->Restore();
}

void TFObjectView::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    formStorage1_->Save();
}

void TFObjectView::CreateControls()
{
    outline1_ = new QTreeWidget(this);
    outline1_->setObjectName(QStringLiteral("Outline1"));
    outline1_->setColumnCount(1);
    outline1_->setHeaderHidden(true);
    outline1_->setRootIsDecorated(true);
    outline1_->setUniformRowHeights(true);
    outline1_->setItemDelegate(new RowHeightDelegate(rowHeight_, outline1_));
    auto* branchStyle = new BranchLineStyle;
    branchStyle->setParent(outline1_);
    outline1_->setStyle(branchStyle);
    connect(outline1_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { UpdatePicture(item); });
    connect(outline1_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) { UpdatePicture(item); });
    // The tree's own toggle on a double click runs after this.
    connect(outline1_, &QTreeWidget::itemDoubleClicked, this, &TFObjectView::Outline1DblClick);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setFixedHeight(PanelHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(outline1_, 1);
    layout->addWidget(panel);

    struct ButtonPlan
    {
        const char* name;
        const char* caption;
        QStyle::StandardPixmap picture;
        int width;
        const char* hint;
        void (TFObjectView::*click)();
    };
    const ButtonPlan plans[] = {
        {"SpeedButton1", "", QStyle::SP_FileDialogDetailedView, PictureButtonWidth, "Font|Change outline font",
         &TFObjectView::ChangeFont},
        {"SpeedButton2", "", QStyle::SP_DesktopIcon, PictureButtonWidth, "Background|Change outline background color",
         &TFObjectView::ChangeBackground},
        {"SpeedButton3", "&Def.", QStyle::SP_ArrowRight, CaptionButtonWidth,
         "Show definition|Sync DFM view to show object definition", &TFObjectView::ShowDefinition},
        {"SpeedButton6", "&Code", QStyle::SP_FileDialogContentsView, CaptionButtonWidth, "Code|Show Pascal code",
         nullptr},
        {"SpeedButton4", "", QStyle::SP_ArrowDown, PictureButtonWidth, "Expand|Expand all", &TFObjectView::ExpandAll},
        {"SpeedButton5", "", QStyle::SP_ArrowUp, PictureButtonWidth, "Collapse|Collapse all",
         &TFObjectView::CollapseAll},
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
            // The caption's ampersand gives the button its Alt shortcut within this window.
            button->setText(caption);
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        }
        button->setGeometry(left, top, plan.width, ButtonHeight);
        left += plan.width + 1;
        // Short part: the tooltip; long part: the hint line of the editor's status bar.
        const QString hint = QString::fromLatin1(plan.hint);
        const qsizetype bar = hint.indexOf(u'|');
        button->setToolTip(hint.left(bar));
        button->setStatusTip(hint.mid(bar + 1));
        if (plan.click)
            connect(button, &QToolButton::clicked, this, plan.click);
    }
}

void TFObjectView::BuildObjectTree(const QStringList& lines)
{
    const ObjectTree tree = ObjectTreeBuilder::Build(lines);

    outline1_->setUpdatesEnabled(false);
    const auto resume = qScopeGuard([this] { outline1_->setUpdatesEnabled(true); });
    outline1_->clear();
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
    outline1_->insertTopLevelItems(0, topLevel);
    if (!topLevel.isEmpty())
        outline1_->setCurrentItem(topLevel.constFirst());
    if (tree.refused)
        throw std::runtime_error("Erreur chargement de fichier");
}

void TFObjectView::ShowDefinition()
{
    const QTreeWidgetItem* item = outline1_->currentItem();
    if (outline1_->topLevelItemCount() == 0 || !item)
        return;
    emit ShowLineRequested(item->data(0, Qt::UserRole).toInt());
}

// The view reports every item it opens or closes, so the pictures follow through UpdatePicture.
void TFObjectView::ExpandAll()
{
    outline1_->expandAll();
}

void TFObjectView::CollapseAll()
{
    outline1_->collapseAll();
}

void TFObjectView::ChangeFont()
{
    TFontDialog dialog(this);
    const QColor fontColor = ColorValue::ToColor(outlineFontColor_);
    dialog.SetChoice(outline1_->font(), fontColor);
    dialog.SetSampleBackground(ColorValue::ToColor(outlineColor_));
    const auto apply = [this, &dialog, fontColor] {
        QFont font = dialog.SelectedFont();
        font.setStyleHint(QFont::TypeWriter);
        ApplyFont(font);
        // An unchanged colour keeps its stored value, so that a desktop colour stays one.
        const QColor chosen = dialog.SelectedColor();
        if (chosen.rgb() != fontColor.rgb())
            SetOutlineFontColor(ColorValue::FromColor(chosen));
    };
    connect(&dialog, &TFontDialog::ApplyClicked, this, apply);
    if (prompts_.Exec(dialog) == QDialog::Accepted)
        apply();
}

void TFObjectView::ChangeBackground()
{
    const QColor current = ColorValue::ToColor(outlineColor_);
    QColorDialog dialog(current, this);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (prompts_.Exec(dialog) != QDialog::Accepted)
        return;
    const QColor chosen = dialog.selectedColor();
    if (chosen.isValid() && chosen.rgb() != current.rgb())
        SetOutlineColor(ColorValue::FromColor(chosen));
}

void TFObjectView::SetOutlineColor(std::int32_t value)
{
    outlineColor_ = value;
    ApplyColors();
}

void TFObjectView::SetOutlineFontColor(std::int32_t value)
{
    outlineFontColor_ = value;
    ApplyColors();
}

bool TFObjectView::event(QEvent* event)
{
    // A status tip stops at its window; the owner's status bar is the one that shows it.
    if (event->type() == QEvent::StatusTip && parentWidget()) {
        QCoreApplication::sendEvent(parentWidget(), event);
        return true;
    }
    return QWidget::event(event);
}

void TFObjectView::ApplyFont(const QFont& font)
{
    int pixels = font.pixelSize();
    if (pixels <= 0)
        pixels = qRound(font.pointSizeF() * outline1_->logicalDpiY() / 72.0);
    rowHeight_ = std::max(1, qRound(pixels * 6 / 5.0));
    outline1_->setFont(font);
    // The rows take their new height now rather than whenever the view next lays itself out.
    outline1_->doItemsLayout();
}

void TFObjectView::ApplyColors()
{
    QPalette palette = outline1_->palette();
    palette.setColor(QPalette::Base, ColorValue::ToColor(outlineColor_));
    palette.setColor(QPalette::Text, ColorValue::ToColor(outlineFontColor_));
    outline1_->setPalette(palette);
}

void TFObjectView::UpdatePicture(QTreeWidgetItem* item) const
{
    if (item->childCount() == 0)
        item->setIcon(0, leafPicture_);
    else
        item->setIcon(0, item->isExpanded() ? openPicture_ : closedPicture_);
}

void TFObjectView::Outline1DblClick()
{
    const QTreeWidgetItem* item = outline1_->currentItem();
    if (item && item->childCount() == 0)
        ShowDefinition();
}

}  // namespace dfm
