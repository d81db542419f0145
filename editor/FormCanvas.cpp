// The form view's drawing surface: the cached picture, the selection frame, the out-of-date mark,
// clicks and tool tips on objects.
#include "FormCanvas.h"

#include "FormPainter.h"

#include <QHelpEvent>
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
    selected_ = -1;
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
    if (!on && isIcon(selected_))
        selected_ = -1;
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
    const QPointF inPicture = QPointF(point - QPoint(Margin, Margin)) / shownScale_;
    // A hidden icon is not there to click.
    return drawing_->objectAt(QPoint(static_cast<int>(std::floor(inPicture.x())), static_cast<int>(std::floor(inPicture.y()))),
                              nonVisualShown_);
}

void FormCanvas::setSelectedObject(int object)
{
    if (object == selected_)
        return;
    selected_ = object;
    update();
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
    const QRect selection = objectRect(selected_);
    if (!selection.isEmpty()) {
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
    }
    if (pictureUnshown_) {
        pictureUnshown_ = false;
        emit pictureShown();
    }
}

void FormCanvas::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const int object = objectAtPoint(event->position().toPoint());
    if (object >= 0)
        emit objectClicked(object);
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
