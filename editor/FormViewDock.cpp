// The form view dock: its tool bar, the drawing in a scroll area and the status line, kept in step
// with the document.
#include "FormViewDock.h"

#include "AncestorForms.h"
#include "CodePage.h"
#include "EditorStore.h"
#include "FormCanvas.h"
#include "FormDocument.h"
#include "FormDrawing.h"
#include "FormEditError.h"
#include "FormEditPlan.h"
#include "FormGestures.h"
#include "FormNode.h"
#include "Clipboard.h"
#include "CommandBoundary.h"
#include "WindowSettings.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QPixmap>
#include <QScrollArea>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <optional>

namespace dfm {

namespace {

// Room left around a control scrolled into view.
constexpr int ScrollRoom = 16;

// The sides of the window under their stored names.
const struct {
    Qt::DockWidgetArea area;
    const char* name;
} DockAreas[] = {
    {Qt::LeftDockWidgetArea, "Left"},
    {Qt::RightDockWidgetArea, "Right"},
    {Qt::TopDockWidgetArea, "Top"},
    {Qt::BottomDockWidgetArea, "Bottom"},
};
const QString FloatingArea = QStringLiteral("Floating");

// "left,top,right,bottom", as the windows' placements are stored.
QString placeText(const QRect& place)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(place.left())
        .arg(place.top())
        .arg(place.left() + place.width())
        .arg(place.top() + place.height());
}

// Nothing for a text that is not four numbers of a rectangle of some size.
std::optional<QRect> placeOfText(const QString& text)
{
    const QStringList words = text.split(u',');
    if (words.size() != 4)
        return std::nullopt;
    int edges[4];
    for (int i = 0; i < 4; ++i) {
        bool number = false;
        edges[i] = words[i].trimmed().toInt(&number);
        if (!number)
            return std::nullopt;
    }
    if (edges[2] - edges[0] < 50 || edges[3] - edges[1] < 50)
        return std::nullopt;
    return QRect(QPoint(edges[0], edges[1]), QPoint(edges[2] - 1, edges[3] - 1));
}

// Whether enough of a floating place is on a screen to be grabbed: a place left on a screen that
// is gone would put the view out of reach.
bool reachable(const QRect& place)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(), [&place](const QScreen* screen) {
        const QRect part = place.intersected(screen->availableGeometry());
        return part.width() >= 50 && part.height() >= 50;
    });
}

}  // namespace

const char* const FormViewDock::PaletteClasses[] = {
    "TLabel", "TEdit", "TButton", "TCheckBox", "TRadioButton", "TListBox", "TComboBox",
    "TMemo", "TPanel", "TGroupBox", "TImage", "TBevel",
};

FormViewDock::FormViewDock(FormDocument& document, QMainWindow& window, UserPrompts& prompts)
    : QDockWidget(QStringLiteral("Form view"), &window), document_(document), window_(window), prompts_(prompts)
{
    setObjectName(QStringLiteral("FormViewDock"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    createControls();
    connect(&document_, &FormDocument::opened, this, &FormViewDock::documentOpened);
    connect(&document_, &FormDocument::savedAs, this, &FormViewDock::folderChanged);
    connect(&document_, &FormDocument::formModelChanged, this, [this] {
        brokenText_.clear();
        redraw();
    });
    connect(&document_, &FormDocument::formTextBroken, this, &FormViewDock::textBroken);
    if (document_.isOpen())
        documentOpened();
    hide();
    window_.addDockWidget(Qt::RightDockWidgetArea, this);
}

FormViewDock::~FormViewDock() = default;

void FormViewDock::addSettings(WindowSettings& settings)
{
    settings.addBoolean(
        EditorStore::FormViewShown, [this] { return !isHidden(); }, [this](bool on) { stored_.shown = on; });
    // A view not shown in this run keeps the place it had.
    settings.addText(
        EditorStore::FormViewArea, [this] { return placed_ || stored_.area.isEmpty() ? areaName() : stored_.area; },
        [this](const QString& text) { stored_.area = text; });
    settings.addText(
        EditorStore::FormViewPlace, [this] { return placed_ ? placeText(geometry()) : stored_.place; },
        [this](const QString& text) { stored_.place = text; });
    settings.addText(
        EditorStore::FormViewZoom, [this] { return QString::number(zoomPercent()); },
        [this](const QString& text) {
            bool number = false;
            const int percent = text.toInt(&number);
            if (number)
                setZoomPercent(percent);
        });
    settings.addBoolean(
        EditorStore::FormViewNonVisual, [this] { return nonVisualShown(); }, [this](bool on) { setNonVisualShown(on); });
    settings.addBoolean(
        EditorStore::FormViewGrid, [this] { return gridSnap(); }, [this](bool on) { setGridSnap(on); });
}

QString FormViewDock::areaName()
{
    if (isFloating())
        return FloatingArea;
    const Qt::DockWidgetArea area = window_.dockWidgetArea(this);
    for (const auto& side : DockAreas) {
        if (side.area == area)
            return QString::fromLatin1(side.name);
    }
    return QStringLiteral("Right");
}

void FormViewDock::applyStoredState()
{
    if (stored_.area.compare(FloatingArea, Qt::CaseInsensitive) == 0) {
        setFloating(true);
    } else {
        for (const auto& side : DockAreas) {
            if (stored_.area.compare(QLatin1String(side.name), Qt::CaseInsensitive) == 0)
                window_.addDockWidget(side.area, this);
        }
    }
    if (stored_.shown && isHidden())
        showInWindow();
}

void FormViewDock::showInWindow()
{
    if (placed_) {
        show();
        return;
    }
    placed_ = true;
    const std::optional<QRect> place = placeOfText(stored_.place);
    if (isFloating()) {
        show();
        if (place && reachable(*place))
            setGeometry(*place);
        return;
    }
    const Qt::DockWidgetArea area = window_.dockWidgetArea(this);
    const bool beside = area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea;
    const int size = beside ? (place ? place->width() : window_.width() / 2)
                            : (place ? place->height() : window_.height() / 2);
    show();
    // The dock takes its place in the window's layout first, which the new size then changes.
    window_.layout()->activate();
    window_.resizeDocks({this}, {size}, beside ? Qt::Horizontal : Qt::Vertical);
}

void FormViewDock::createControls()
{
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* bar = new QToolBar(body);
    bar->setObjectName(QStringLiteral("FormViewBar"));
    bar->setIconSize(QSize(16, 16));
    bar->addWidget(new QLabel(QStringLiteral("Zoom "), bar));
    zoomBox_ = new QComboBox(bar);
    zoomBox_->setObjectName(QStringLiteral("FormViewZoom"));
    zoomBox_->setToolTip(QStringLiteral("The size the form is drawn at; 100% draws one pixel per unit of the form"));
    // Choosing a zoom with the mouse leaves the keyboard where it was.
    zoomBox_->setFocusPolicy(Qt::ClickFocus);
    for (const int percent : Zooms)
        zoomBox_->addItem(QStringLiteral("%1%").arg(percent), percent);
    zoomBox_->setCurrentIndex(zoomBox_->findData(DefaultZoom));
    bar->addWidget(zoomBox_);
    bar->addSeparator();
    nonVisualBox_ = new QCheckBox(QStringLiteral("Non-visual components"), bar);
    nonVisualBox_->setObjectName(QStringLiteral("FormViewNonVisual"));
    nonVisualBox_->setToolTip(QStringLiteral("Show the components without a place of their own as icons"));
    nonVisualBox_->setFocusPolicy(Qt::ClickFocus);
    nonVisualBox_->setChecked(true);
    bar->addWidget(nonVisualBox_);
    gridBox_ = new QCheckBox(QStringLiteral("Snap to grid"), bar);
    gridBox_->setObjectName(QStringLiteral("FormViewGrid"));
    gridBox_->setToolTip(QStringLiteral("Dragged controls and handles land on a grid of %1 units").arg(FormCanvas::GridSize));
    gridBox_->setFocusPolicy(Qt::ClickFocus);
    gridBox_->setChecked(true);
    bar->addWidget(gridBox_);
    layout->addWidget(bar);

    // A control chosen here is added where the view is clicked next.
    palette_ = new QToolBar(body);
    palette_->setObjectName(QStringLiteral("FormViewPalette"));
    palette_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto* choices = new QActionGroup(palette_);
    choices->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const char* className : PaletteClasses) {
        const QString name = QString::fromLatin1(className);
        QAction* choice = palette_->addAction(name.mid(1));
        choice->setObjectName(QStringLiteral("Palette") + name.mid(1));
        choice->setCheckable(true);
        choice->setToolTip(QStringLiteral("Add a %1: click where it goes in the form").arg(name));
        choices->addAction(choice);
        connect(choice, &QAction::toggled, this, [this, name](bool on) {
            if (on)
                placingClass_ = name;
            else if (placingClass_ == name)
                placingClass_.clear();
            canvas_->setPlacing(!placingClass_.isEmpty());
        });
    }
    // The bars fold what does not fit behind their extension button, so that the view can be
    // as narrow as the user makes it.
    for (QToolBar* strip : {bar, palette_})
        strip->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    layout->addWidget(palette_);

    // The form's icon and caption, as its window's title bar would show them above the picture.
    auto* title = new QWidget(body);
    auto* titleLayout = new QHBoxLayout(title);
    titleLayout->setContentsMargins(4, 2, 4, 2);
    titleIcon_ = new QLabel(title);
    titleIcon_->setObjectName(QStringLiteral("FormViewIcon"));
    titleCaption_ = new QLabel(title);
    titleCaption_->setObjectName(QStringLiteral("FormViewCaption"));
    titleCaption_->setTextFormat(Qt::PlainText);
    titleLayout->addWidget(titleIcon_);
    titleLayout->addWidget(titleCaption_, 1);
    title->setToolTip(QStringLiteral("The form's icon and caption, as its title bar shows them"));
    layout->addWidget(title);

    scrollArea_ = new QScrollArea(body);
    scrollArea_->setObjectName(QStringLiteral("FormViewScroll"));
    scrollArea_->setBackgroundRole(QPalette::Dark);
    scrollArea_->setFocusPolicy(Qt::NoFocus);
    canvas_ = new FormCanvas(scrollArea_);
    scrollArea_->setWidget(canvas_);
    layout->addWidget(scrollArea_, 1);

    status_ = new QLabel(body);
    status_->setObjectName(QStringLiteral("FormViewStatus"));
    status_->setWordWrap(true);
    status_->setTextFormat(Qt::PlainText);
    status_->setMargin(3);
    status_->hide();
    layout->addWidget(status_);
    setWidget(body);

    connect(zoomBox_, &QComboBox::currentIndexChanged, this, [this] {
        canvas_->setZoom(zoomPercent() / 100.0);
        updateStatus();
        scrollToObject(canvas_->selectedObject());
    });
    connect(nonVisualBox_, &QCheckBox::toggled, canvas_, &FormCanvas::setNonVisualShown);
    connect(gridBox_, &QCheckBox::toggled, canvas_, &FormCanvas::setGridSnap);
    connect(canvas_, &FormCanvas::objectClicked, this, &FormViewDock::objectClicked);
    connect(canvas_, &FormCanvas::objectToggled, this, &FormViewDock::objectToggled);
    connect(canvas_, &FormCanvas::selectionDragged, this, [this](QPoint delta, int container) {
        const std::vector<int> selected = canvas_->selectedObjects();
        const bool sameParent = container < 0 || std::all_of(selected.begin(), selected.end(), [&](int object) {
            return drawing_->objects()[static_cast<std::size_t>(object)].parent == container;
        });
        // A text edited but not read yet is drawn again before the edit, so the container is
        // found again by its name.
        const std::shared_ptr<const FormDrawing> drawnBefore = drawing_;
        const std::string containerName = sameParent ? std::string() : drawing_->objects()[static_cast<std::size_t>(container)].name;
        applyGesture([&](FormGestures& gestures) {
            if (sameParent)
                return gestures.move(canvas_->selectedObjects(), delta);
            const int target = drawing_ == drawnBefore ? container : objectNamed(containerName);
            if (target < 0)
                throw FormEditError("The container of the drop is no longer in the form.");
            return gestures.moveInto(canvas_->selectedObjects(), target, delta);
        });
    });
    connect(canvas_, &FormCanvas::selectionResized, this, [this](QMargins edges) {
        applyGesture([&](FormGestures& gestures) { return gestures.resize(canvas_->selectedObjects(), edges); });
    });
    connect(canvas_, &FormCanvas::placeClicked, this, [this](QPoint point) {
        const std::string className = placingClass_.toStdString();
        dropPaletteChoice();
        applyGesture([&](FormGestures& gestures) {
            const QString note = gestures.add(className, point, gridSnap() ? FormCanvas::GridSize : 0);
            // The drawing made from the new text selects the control added.
            selectedNames_ = gestures.added();
            return note;
        });
    });
    connect(canvas_, &FormCanvas::moveKeyed, this, [this](QPoint delta) {
        keyGesture([&](FormGestures& gestures) { return gestures.move(canvas_->selectedObjects(), delta); });
    });
    connect(canvas_, &FormCanvas::resizeKeyed, this, [this](QMargins edges) {
        keyGesture([&](FormGestures& gestures) { return gestures.resize(canvas_->selectedObjects(), edges); });
    });
    connect(canvas_, &FormCanvas::tabKeyed, this, &FormViewDock::tabThrough);
    connect(canvas_, &FormCanvas::escapeKeyed, this, &FormViewDock::selectParent);
    connect(canvas_, &FormCanvas::deleteKeyed, this, &FormViewDock::deleteSelection);
}

int FormViewDock::zoomPercent() const
{
    return zoomBox_->currentData().toInt();
}

void FormViewDock::setZoomPercent(int percent)
{
    const auto nearest = std::min_element(std::begin(Zooms), std::end(Zooms), [percent](int a, int b) {
        return std::abs(static_cast<long>(a) - percent) < std::abs(static_cast<long>(b) - percent);
    });
    zoomBox_->setCurrentIndex(zoomBox_->findData(*nearest));
}

bool FormViewDock::nonVisualShown() const
{
    return nonVisualBox_->isChecked();
}

void FormViewDock::setNonVisualShown(bool on)
{
    nonVisualBox_->setChecked(on);
}

bool FormViewDock::gridSnap() const
{
    return gridBox_->isChecked();
}

void FormViewDock::setGridSnap(bool on)
{
    gridBox_->setChecked(on);
}

QString FormViewDock::statusText() const
{
    return status_->text();
}

void FormViewDock::documentOpened()
{
    brokenText_.clear();
    selectedNames_.clear();
    gestureNote_.clear();
    drawing_.reset();
    canvas_->setDrawing(nullptr);
    // A new form's ancestors are looked for beside it, read afresh; its model is on its way.
    folderChanged();
}

void FormViewDock::folderChanged()
{
    const QString folder = QFileInfo(document_.formPath()).absolutePath();
    ancestors_ = std::make_unique<AncestorForms>(QFile::encodeName(folder).toStdString(), document_.codePage().number);
    // The same model may draw otherwise with the ancestors found beside it now.
    drawnModel_.reset();
    redraw();
}

void FormViewDock::textBroken(int line, const QString& message)
{
    brokenText_ = line > 0 ? QStringLiteral("line %1: %2").arg(line).arg(message) : message;
    canvas_->setOutOfDate(line > 0 ? QStringLiteral("Out of date: line %1").arg(line) : QStringLiteral("Out of date"));
    updateStatus();
}

void FormViewDock::redraw()
{
    drawingDue_ = true;
    if (isVisible())
        drawNow();
}

void FormViewDock::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    // A hidden view does not draw; it catches up when it is shown.
    if (drawingDue_)
        drawNow();
}

void FormViewDock::drawNow()
{
    drawingDue_ = false;
    drawingError_.clear();
    const std::shared_ptr<const FormModel> model = document_.formModel();
    if (model && model != drawnModel_) {
        // Any form that converts must draw; should the drawing still fail, the view says why
        // and keeps the last picture, as for a text that does not read.
        try {
            drawing_ = std::make_shared<const FormDrawing>(
                FormDrawing::build(model, CodePage::forNumber(document_.codePage().number), ancestors_.get()));
            drawnModel_ = model;
            canvas_->setDrawing(drawing_);
            showTitle();
            reselect();
        } catch (const std::exception& error) {
            drawingError_ = QString::fromUtf8(error.what());
        }
    }
    if (!drawingError_.isEmpty())
        canvas_->setOutOfDate(QStringLiteral("Out of date"));
    else if (brokenText_.isEmpty())
        canvas_->setOutOfDate(QString());
    updateStatus();
}

void FormViewDock::showTitle()
{
    const DrawnObject& form = drawing_->objects().front();
    const QImage& icon = form.picture;
    titleIcon_->setPixmap(icon.isNull() ? QPixmap() : QPixmap::fromImage(icon.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    titleIcon_->setVisible(!icon.isNull());
    titleCaption_->setText(form.caption());
}

void FormViewDock::updateStatus()
{
    QStringList lines;
    if (!gestureNote_.isEmpty())
        lines << gestureNote_;
    if (!brokenText_.isEmpty())
        lines << (drawing_ ? QStringLiteral("Out of date: ") : QStringLiteral("Not drawn: ")) + brokenText_;
    if (!drawingError_.isEmpty())
        lines << QStringLiteral("Not drawn: ") + drawingError_;
    if (drawing_) {
        for (const QString& note : drawing_->missingNotes())
            lines << note + QStringLiteral(": drawn with what the form holds");
        if (canvas_->shownScale() < canvas_->zoom() - 1e-9)
            lines << QStringLiteral("Drawn at %1% to keep the picture within %2 million pixels and %3 a side")
                         .arg(qRound(canvas_->shownScale() * 100))
                         .arg(FormCanvas::LargestShownArea / 1000000)
                         .arg(FormDrawing::LargestSide);
        status_->setToolTip(drawing_->warnings().join(u'\n'));
    }
    status_->setText(lines.join(u'\n'));
    status_->setVisible(!lines.isEmpty());
}

void FormViewDock::objectClicked(int object)
{
    selectObject(object);
    const DrawnObject& drawn = drawing_->objects()[static_cast<std::size_t>(object)];
    const int line = drawn.node == DrawnObject::NoNode
        ? 0
        : static_cast<int>(FormNode::at(*drawnModel_, drawn.node).span().firstLine);
    emit objectChosen(line);
}

void FormViewDock::objectToggled(int object)
{
    std::vector<int> selected = canvas_->selectedObjects();
    const auto found = std::find(selected.begin(), selected.end(), object);
    if (found != selected.end()) {
        selected.erase(found);
        selectObjects(selected);
        return;
    }
    selected.push_back(object);
    selectObjects(selected);
    const DrawnObject& drawn = drawing_->objects()[static_cast<std::size_t>(object)];
    if (drawn.node != DrawnObject::NoNode)
        emit objectChosen(static_cast<int>(FormNode::at(*drawnModel_, drawn.node).span().firstLine));
}

int FormViewDock::objectNamed(const std::string& name) const
{
    const auto& objects = drawing_->objects();
    const auto found = std::find_if(objects.begin(), objects.end(),
                                    [&name](const DrawnObject& object) { return object.name == name; });
    return found == objects.end() ? -1 : static_cast<int>(found - objects.begin());
}

void FormViewDock::reselect()
{
    std::vector<int> found;
    for (const std::string& name : selectedNames_) {
        if (const int object = objectNamed(name); object >= 0)
            found.push_back(object);
    }
    canvas_->setSelectedObjects(found);
    emit selectionChanged();
}

void FormViewDock::selectObject(int object)
{
    selectObjects(object >= 0 ? std::vector<int>{object} : std::vector<int>{});
}

void FormViewDock::selectObjects(std::vector<int> objects)
{
    selectedNames_.clear();
    for (const int object : objects)
        selectedNames_.push_back(drawing_->objects()[static_cast<std::size_t>(object)].name);
    canvas_->setSelectedObjects(std::move(objects));
    emit selectionChanged();
}

std::vector<std::uint32_t> FormViewDock::selectedNodes() const
{
    if (!drawing_ || drawnModel_ != document_.formModel())
        return {};
    std::vector<std::uint32_t> nodes;
    for (const int object : canvas_->selectedObjects()) {
        const std::uint32_t node = drawing_->objects()[static_cast<std::size_t>(object)].node;
        if (node != DrawnObject::NoNode)
            nodes.push_back(node);
    }
    return nodes;
}

bool FormViewDock::hasKeyboardFocus() const
{
    return isVisible() && isAncestorOf(QApplication::focusWidget());
}

bool FormViewDock::applyGesture(const std::function<QString(FormGestures&)>& gesture, bool join)
{
    const bool wasEditing = editing_;
    editing_ = true;
    bool made = false;
    runCommand(prompts_, [&] {
        // An edit of the text not read yet is read first, and the drawing made again from it.
        const std::shared_ptr<const FormModel> model = document_.currentFormModel();
        if (model != drawnModel_ || !drawing_)
            drawNow();
        if (model != drawnModel_ || !drawing_)
            throw std::runtime_error(drawingError_.isEmpty() ? "The form is not drawn." : drawingError_.toStdString());
        const QTextDocument* page = document_.page(FormDocument::Page::Form);
        FormEditPlan plan(*model, [page](int line) { return page->findBlockByNumber(line).text(); });
        FormGestures gestures(*drawing_, plan);
        const QString note = gesture(gestures);
        document_.editFormText(plan.replacements(), join);
        gestureNote_ = note;
        updateStatus();
        made = true;
    });
    editing_ = wasEditing;
    return made;
}

void FormViewDock::keyGesture(const std::function<QString(FormGestures&)>& gesture)
{
    applyGesture(gesture, lastKeyGesture_.isValid() && lastKeyGesture_.elapsed() < KeyGestureMs);
    lastKeyGesture_.start();
}

void FormViewDock::dropPaletteChoice()
{
    for (QAction* choice : palette_->actions())
        choice->setChecked(false);
}

void FormViewDock::tabThrough(bool backward)
{
    if (!drawing_)
        return;
    // The controls in creation order, as the form's objects come; what does not show is passed.
    const int count = static_cast<int>(drawing_->objects().size());
    const int start = canvas_->selectedObject();
    for (int step = 1; step <= count; ++step) {
        const int object = ((start < 0 ? (backward ? 0 : -1) : start) + (backward ? -step : step) % count + count) % count;
        if (object != 0 && !canvas_->objectRect(object).isEmpty()) {
            objectClicked(object);
            scrollToObject(object);
            return;
        }
    }
}

void FormViewDock::selectParent()
{
    if (!placingClass_.isEmpty()) {
        dropPaletteChoice();
        return;
    }
    const int object = canvas_->selectedObject();
    if (!drawing_ || object <= 0)
        return;
    int parent = drawing_->objects()[static_cast<std::size_t>(object)].parent;
    while (parent > 0 && canvas_->objectRect(parent).isEmpty())
        parent = drawing_->objects()[static_cast<std::size_t>(parent)].parent;
    objectClicked(std::max(parent, 0));
}

int FormViewDock::targetContainer() const
{
    int object = canvas_->selectedObject();
    if (!drawing_ || object < 0)
        return 0;
    while (object > 0 && !ControlClasses::isContainer(drawing_->objects()[static_cast<std::size_t>(object)].kind))
        object = drawing_->objects()[static_cast<std::size_t>(object)].parent;
    return std::max(object, 0);
}

bool FormViewDock::copySelection()
{
    // A gesture that plans no edit: the text stays as it is.
    return applyGesture([&](FormGestures& gestures) {
        const QStringList lines = gestures.copy(canvas_->selectedObjects());
        if (!lines.isEmpty())
            QApplication::clipboard()->setText(lines.join(u'\n') + u'\n');
        return QString();
    });
}

// What could not be copied is not deleted.
void FormViewDock::cutSelection()
{
    if (copySelection())
        deleteSelection();
}

void FormViewDock::pasteClipboard()
{
    const std::optional<QString> text = clipboardText();
    if (!text)
        return;
    applyGesture([&](FormGestures& gestures) {
        const QString note = gestures.paste(*text, targetContainer());
        selectedNames_ = gestures.added();
        return note;
    });
}

void FormViewDock::deleteSelection()
{
    applyGesture([&](FormGestures& gestures) { return gestures.remove(canvas_->selectedObjects()); });
}

void FormViewDock::selectAtLine(int line)
{
    if (!drawing_ || !drawnModel_ || line < 1 || editing_)
        return;
    // Nodes come in the order of their text: the last one that starts at or above the line and
    // still holds it is the deepest.
    std::uint32_t deepest = DrawnObject::NoNode;
    for (const FormNode& node : drawnModel_->nodes()) {
        const TextSpan span = node.span();
        if (span.firstLine > static_cast<std::uint32_t>(line))
            break;
        if (span.lastLine >= static_cast<std::uint32_t>(line))
            deepest = node.index();
    }
    if (deepest == DrawnObject::NoNode)
        return;
    int object = drawing_->objectOfNode(deepest);
    // What is not drawn itself (a menu item, a control on a page not shown) selects the nearest
    // parent that is.
    while (object >= 0 && canvas_->objectRect(object).isEmpty())
        object = drawing_->objects()[static_cast<std::size_t>(object)].parent;
    if (object < 0)
        return;
    selectObject(object);
    scrollToObject(object);
}

void FormViewDock::scrollToObject(int object)
{
    const QRect place = canvas_->objectRect(object).adjusted(-ScrollRoom, -ScrollRoom, ScrollRoom, ScrollRoom);
    if (place.isEmpty())
        return;
    // A control larger than the view shows its top-left part.
    const QSize view = scrollArea_->viewport()->size();
    const int width = std::min(place.width(), view.width());
    const int height = std::min(place.height(), view.height());
    scrollArea_->ensureVisible(place.left() + width / 2, place.top() + height / 2, width / 2, height / 2);
}

}  // namespace dfm
