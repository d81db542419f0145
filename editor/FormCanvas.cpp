// The form view's drawing surface: the cached picture, the selection frame, the out-of-date mark,
// clicks and tool tips on objects.
#include "FormCanvas.h"

#include "FormPainter.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace dfm {

namespace {

// Room around the picture, so that the selection's handles at the form's edges show whole.
constexpr int Margin = 4;
constexpr int FrameWidth = 2;
constexpr int HandleSize = 5;
const QColor SelectionColour(0, 120, 215);
const QColor OutOfDateShade(128, 128, 128, 130);
const QColor MarkBackground(255, 255, 204);

}  // namespace

FormCanvas::FormCanvas(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FormCanvas"));
    // A click gives the view the focus; showing it never takes the focus from the text.
    setFocusPolicy(Qt::ClickFocus);
}

void FormCanvas::setDrawing(std::shared_ptr<const FormDrawing> drawing)
{
    drawing_ = std::move(drawing);
    selected_.clear();
    drag_.reset();
    pictureChanged();
}

void FormCanvas::setZoom(double zoom)
{
    if (zoom == zoom_)
        return;
    zoom_ = zoom;
    pictureChanged();
}

void FormCanvas::setNonVisualShown(bool on)
{
    if (on == nonVisualShown_)
        return;
    nonVisualShown_ = on;
    // A hidden icon cannot stay selected.
    if (!on)
        std::erase_if(selected_, [this](int object) { return isIcon(object); });
    pictureChanged();
}

void FormCanvas::setOutOfDate(const QString& mark)
{
    if (mark == outOfDateMark_)
        return;
    outOfDateMark_ = mark;
    update();
}

void FormCanvas::pictureChanged()
{
    pictureValid_ = false;
    const qreal ratio = devicePixelRatioF();
    shownScale_ = zoom_;
    if (drawing_) {
        double scale = FormPainter::cappedScale(drawing_->size(), zoom_ * ratio);
        const double area = std::max(1.0, static_cast<double>(drawing_->size().width()))
                          * std::max(1.0, static_cast<double>(drawing_->size().height()));
        if (area * scale * scale > static_cast<double>(LargestShownArea))
            scale = std::sqrt(static_cast<double>(LargestShownArea) / area);
        shownScale_ = scale / ratio;
    }
    updateGeometry();
    resize(sizeHint());
    update();
}

const QImage& FormCanvas::picture()
{
    if (pictureValid_)
        return picture_;
    pictureValid_ = true;
    if (!drawing_) {
        picture_ = QImage();
        return picture_;
    }
    const qreal ratio = devicePixelRatioF();
    PaintOptions options;
    options.scale = shownScale_ * ratio;
    options.showNonVisual = nonVisualShown_;
    picture_ = FormPainter::render(*drawing_, options);
    picture_.setDevicePixelRatio(ratio);
    ++picturesPainted_;
    pictureUnshown_ = true;
    return picture_;
}

QSize FormCanvas::sizeHint() const
{
    if (!drawing_)
        return {2 * Margin, 2 * Margin};
    const QSize size = drawing_->size();
    return {static_cast<int>(std::ceil(size.width() * shownScale_)) + 2 * Margin,
            static_cast<int>(std::ceil(size.height() * shownScale_)) + 2 * Margin};
}

bool FormCanvas::isIcon(int object) const
{
    return drawing_ && object >= 0 && object < static_cast<int>(drawing_->objects().size())
        && ControlClasses::isIcon(drawing_->objects()[static_cast<std::size_t>(object)].kind);
}

QRect FormCanvas::objectRect(int object) const
{
    if (!drawing_ || object < 0 || object >= static_cast<int>(drawing_->objects().size()))
        return {};
    const DrawnObject& drawn = drawing_->objects()[static_cast<std::size_t>(object)];
    const bool icon = ControlClasses::isIcon(drawn.kind);
    if (!drawn.drawn || !drawn.shown || (icon && !nonVisualShown_))
        return {};
    // What shows of a control is the part its parents leave; an icon shows whole.
    const QRect part = icon ? drawn.frame : drawn.frame.intersected(drawn.clip);
    if (part.isEmpty())
        return {};
    const QRectF inPicture = QRectF(part.translated(0, drawing_->menuBarHeight()));
    const QRectF scaled(inPicture.topLeft() * shownScale_, inPicture.size() * shownScale_);
    return scaled.toAlignedRect().translated(Margin, Margin);
}

int FormCanvas::objectAtPoint(QPoint point) const
{
    if (!drawing_ || shownScale_ <= 0)
        return -1;
    // A hidden icon is not there to click.
    return drawing_->objectAt(toPicture(point), nonVisualShown_);
}

void FormCanvas::setSelectedObject(int object)
{
    setSelectedObjects(object >= 0 ? std::vector<int>{object} : std::vector<int>{});
}

void FormCanvas::setSelectedObjects(std::vector<int> objects)
{
    if (objects == selected_)
        return;
    selected_ = std::move(objects);
    drag_.reset();
    update();
}

void FormCanvas::setPlacing(bool on)
{
    placing_ = on;
    setCursor(on ? Qt::CrossCursor : Qt::ArrowCursor);
}

void FormCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QImage& shown = picture();
    if (shown.isNull())
        return;
    painter.drawImage(QPoint(Margin, Margin), shown);
    const QRect whole(QPoint(Margin, Margin), shown.deviceIndependentSize().toSize());
    if (isOutOfDate()) {
        painter.fillRect(whole, OutOfDateShade);
        const QFontMetrics metrics(font());
        const QRect mark(whole.topLeft(), QSize(metrics.horizontalAdvance(outOfDateMark_) + 8, metrics.height() + 4));
        painter.fillRect(mark, MarkBackground);
        painter.setPen(Qt::black);
        painter.drawText(mark, Qt::AlignCenter, outOfDateMark_);
    }
    for (const int object : selected_) {
        const QRect selection = objectRect(object);
        if (selection.isEmpty())
            continue;
        painter.setPen(QPen(SelectionColour, FrameWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(selection).adjusted(-FrameWidth / 2.0, -FrameWidth / 2.0, FrameWidth / 2.0, FrameWidth / 2.0));
        // Handles at the corners and the middles of the sides, as a designer shows a selection.
        const int xs[] = {selection.left(), selection.center().x(), selection.right()};
        const int ys[] = {selection.top(), selection.center().y(), selection.bottom()};
        for (const int y : ys) {
            for (const int x : xs) {
                if (x == xs[1] && y == ys[1])
                    continue;
                painter.fillRect(QRect(x - HandleSize / 2, y - HandleSize / 2, HandleSize, HandleSize), SelectionColour);
            }
        }
        // Where a drag would put it, outlined over the picture until the drag ends.
        if (drag_ && drag_->started) {
            const QMargins edges = edgesOf(drag_->sides, drag_->delta);
            const QRect to = QRect(selection.left() + qRound(edges.left() * shownScale_),
                                   selection.top() + qRound(edges.top() * shownScale_),
                                   selection.width() + qRound((edges.right() - edges.left()) * shownScale_),
                                   selection.height() + qRound((edges.bottom() - edges.top()) * shownScale_));
            painter.setPen(QPen(SelectionColour, 1, Qt::DashLine));
            painter.drawRect(to.normalized());
        }
    }
    if (pictureUnshown_) {
        pictureUnshown_ = false;
        emit pictureShown();
    }
}

void FormCanvas::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    drag_.reset();
    if (event->button() != Qt::LeftButton || !drawing_)
        return;
    const QPoint point = event->position().toPoint();
    if (placing_) {
        emit placeClicked(toForm(point));
        return;
    }
    if (const int sides = handleAt(point); sides != NoSide) {
        drag_ = Drag{point, sides, false, {}};
        return;
    }
    const int object = objectAtPoint(point);
    if (object < 0)
        return;
    if (event->modifiers() & Qt::ControlModifier) {
        emit objectToggled(object);
        return;
    }
    if (std::find(selected_.begin(), selected_.end(), object) == selected_.end())
        emit objectClicked(object);
    // The form itself does not move.
    if (drawing_->objects()[static_cast<std::size_t>(object)].parent >= 0)
        drag_ = Drag{point, NoSide, false, {}};
}

void FormCanvas::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    if (!drag_ || !(event->buttons() & Qt::LeftButton) || selected_.empty())
        return;
    const QPoint travel = event->position().toPoint() - drag_->pressed;
    if (!drag_->started && travel.manhattanLength() < QApplication::startDragDistance())
        return;
    drag_->started = true;
    const QPoint delta = snappedDelta(travel);
    if (delta == drag_->delta)
        return;
    drag_->delta = delta;
    update();
}

void FormCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    if (!drag_ || event->button() != Qt::LeftButton)
        return;
    const Drag drag = *drag_;
    drag_.reset();
    update();
    if (!drag.started)
        return;
    // A drop over the container the drag started over keeps the parents: a control that lies
    // over a panel it is not inside stays out of it.
    const int container = dropContainerAt(event->position().toPoint());
    if (drag.sides == NoSide)
        emit selectionDragged(drag.delta, container == dropContainerAt(drag.pressed) ? -1 : container);
    else if (drag.delta != QPoint())
        emit selectionResized(edgesOf(drag.sides, drag.delta));
}

void FormCanvas::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    QPoint direction;
    switch (event->key()) {
    case Qt::Key_Left: direction = {-1, 0}; break;
    case Qt::Key_Right: direction = {1, 0}; break;
    case Qt::Key_Up: direction = {0, -1}; break;
    case Qt::Key_Down: direction = {0, 1}; break;
    default: break;
    }
    if (!direction.isNull() && modifiers == Qt::ControlModifier) {
        emit moveKeyed(direction);
    } else if (!direction.isNull() && modifiers == (Qt::ControlModifier | Qt::ShiftModifier)) {
        emit moveKeyed(direction * GridSize);
    } else if (!direction.isNull() && modifiers == Qt::ShiftModifier) {
        emit resizeKeyed(QMargins(0, 0, direction.x(), direction.y()));
    } else if (event->key() == Qt::Key_Tab && modifiers == Qt::NoModifier) {
        emit tabKeyed(false);
    } else if (event->key() == Qt::Key_Backtab || (event->key() == Qt::Key_Tab && modifiers == Qt::ShiftModifier)) {
        emit tabKeyed(true);
    } else if (event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier) {
        drag_.reset();
        update();
        emit escapeKeyed();
    } else if (event->key() == Qt::Key_Delete && modifiers == Qt::NoModifier) {
        emit deleteKeyed();
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

// Tab walks through the form's controls, not out of the view.
bool FormCanvas::focusNextPrevChild(bool)
{
    return false;
}

QPoint FormCanvas::toPicture(QPoint point) const
{
    const QPointF inPicture = QPointF(point - QPoint(Margin, Margin)) / shownScale_;
    return {static_cast<int>(std::floor(inPicture.x())), static_cast<int>(std::floor(inPicture.y()))};
}

QPoint FormCanvas::toForm(QPoint point) const
{
    return toPicture(point) - QPoint(0, drawing_ ? drawing_->menuBarHeight() : 0);
}

int FormCanvas::handleAt(QPoint point) const
{
    if (selected_.size() != 1)
        return NoSide;
    const QRect selection = objectRect(selected_.front());
    if (selection.isEmpty() || isIcon(selected_.front()))
        return NoSide;
    const int xs[] = {selection.left(), selection.center().x(), selection.right()};
    const int ys[] = {selection.top(), selection.center().y(), selection.bottom()};
    const int xSides[] = {LeftSide, NoSide, RightSide};
    const int ySides[] = {TopSide, NoSide, BottomSide};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const int sides = xSides[column] | ySides[row];
            if (sides == NoSide)
                continue;
            const QRect handle(xs[column] - HandleSize, ys[row] - HandleSize, 2 * HandleSize + 1, 2 * HandleSize + 1);
            if (handle.contains(point))
                return sides;
        }
    }
    return NoSide;
}

QPoint FormCanvas::snappedDelta(QPoint travel) const
{
    QPoint delta(qRound(travel.x() / shownScale_), qRound(travel.y() / shownScale_));
    if (!gridSnap_ || selected_.empty() || !drawing_)
        return delta;
    const auto& objects = drawing_->objects();
    const DrawnObject& first = objects[static_cast<std::size_t>(selected_.front())];
    QPoint origin;
    if (first.parent >= 0)
        origin = objects[static_cast<std::size_t>(first.parent)].client.topLeft();
    const QRect place = first.frame.translated(-origin);
    const int sides = drag_ ? drag_->sides : NoSide;
    // The edge that moves lands on the grid: the left and top for a move, else the handle's.
    const int x = (sides & RightSide) ? place.left() + place.width() : place.left();
    const int y = (sides & BottomSide) ? place.top() + place.height() : place.top();
    const auto snap = [](int from, int by) {
        const int to = from + by;
        const int low = to >= 0 ? to / GridSize * GridSize : -((-to + GridSize - 1) / GridSize * GridSize);
        return (to - low < GridSize / 2 ? low : low + GridSize) - from;
    };
    if (sides == NoSide || (sides & (LeftSide | RightSide)))
        delta.setX(snap(x, delta.x()));
    if (sides == NoSide || (sides & (TopSide | BottomSide)))
        delta.setY(snap(y, delta.y()));
    return delta;
}

QMargins FormCanvas::edgesOf(int sides, QPoint delta) const
{
    if (sides == NoSide)
        return {delta.x(), delta.y(), delta.x(), delta.y()};
    return {(sides & LeftSide) ? delta.x() : 0, (sides & TopSide) ? delta.y() : 0,
            (sides & RightSide) ? delta.x() : 0, (sides & BottomSide) ? delta.y() : 0};
}

int FormCanvas::dropContainerAt(QPoint point) const
{
    const QPoint at = toForm(point);
    const auto& objects = drawing_->objects();
    const auto isSelectedOrInside = [&](int object) {
        for (int o = object; o >= 0; o = objects[static_cast<std::size_t>(o)].parent) {
            if (std::find(selected_.begin(), selected_.end(), o) != selected_.end())
                return true;
        }
        return false;
    };
    // Objects come parents first: the last container that holds the point is the deepest.
    int found = 0;
    for (int i = 1; i < static_cast<int>(objects.size()); ++i) {
        const DrawnObject& object = objects[static_cast<std::size_t>(i)];
        if (ControlClasses::isContainer(object.kind) && object.drawn && object.shown
            && object.frame.intersected(object.clip).contains(at) && !isSelectedOrInside(i))
            found = i;
    }
    return found;
}

bool FormCanvas::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int object = objectAtPoint(help->pos());
        if (object >= 0)
            QToolTip::showText(help->globalPos(), toolTipOf(object), this, objectRect(object));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

QString FormCanvas::toolTipOf(int object) const
{
    if (!drawing_ || object < 0 || object >= static_cast<int>(drawing_->objects().size()))
        return {};
    const std::vector<DrawnObject>& objects = drawing_->objects();
    const DrawnObject& drawn = objects[static_cast<std::size_t>(object)];
    // Laid-out values, relative to the parent's client area as the form stores them.
    QPoint origin;
    if (drawn.parent >= 0)
        origin = objects[static_cast<std::size_t>(drawn.parent)].client.topLeft();
    const QRect frame = drawn.frame.translated(-origin);
    const QString className = QString::fromStdString(drawn.className);
    const QString title = drawn.name.empty() ? className : QString::fromStdString(drawn.name) + QStringLiteral(": ") + className;
    return QStringLiteral("%1\nLeft %2, Top %3, Width %4, Height %5")
        .arg(title)
        .arg(frame.left())
        .arg(frame.top())
        .arg(frame.width())
        .arg(frame.height());
}

}  // namespace dfm
