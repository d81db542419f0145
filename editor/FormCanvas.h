// The drawing of the open form at a zoom, as the form view shows it: the picture painted once per
// drawing and zoom and kept, the selected object framed over it, and the picture greyed while
// the form text does not read.
#pragma once

#include "FormDrawing.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <memory>

namespace dfm {

class FormCanvas : public QWidget {
    Q_OBJECT
public:
    // The most pixels the picture kept for the view may have (64 MB): a larger one is drawn at a
    // lower scale. The drawing's own limits are those of a picture written once to a file.
    static constexpr qint64 LargestShownArea = qint64{1} << 24;

    explicit FormCanvas(QWidget* parent);

    // Null for no form. The selection is dropped: the caller selects again in the new drawing.
    void setDrawing(std::shared_ptr<const FormDrawing> drawing);
    const FormDrawing* drawing() const { return drawing_.get(); }
    // 1.0 draws one pixel per form unit.
    void setZoom(double zoom);
    double zoom() const { return zoom_; }
    // The scale the picture is drawn at: the zoom, lowered for a picture that would be too large.
    double shownScale() const { return shownScale_; }
    void setNonVisualShown(bool on);
    bool nonVisualShown() const { return nonVisualShown_; }
    // Marks the picture as no longer the text's; mark: what the picture says of it.
    void setOutOfDate(const QString& mark);
    bool isOutOfDate() const { return !outOfDateMark_.isEmpty(); }

    // An index into the drawing's objects, -1 for none.
    void setSelectedObject(int object);
    int selectedObject() const { return selected_; }
    // The object's place in the widget, in pixels; empty when none is drawn for it.
    QRect objectRect(int object) const;
    // The topmost object shown at a point of the widget; -1 for none.
    int objectAtPoint(QPoint point) const;
    // The picture as drawn, without selection or mark: painted again only when the drawing,
    // the zoom or the icons' switch change.
    const QImage& picture();
    // What hovering over the object shows: name, class and its laid-out place and size; empty for
    // no object.
    QString toolTipOf(int object) const;
    // How many times the picture has been painted, which a test and the benchmark watch.
    int picturesPainted() const { return picturesPainted_; }

    QSize sizeHint() const override;

signals:
    // A click on an object of the drawing.
    void objectClicked(int object);
    // Each time the picture has been painted again and shown.
    void pictureShown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void pictureChanged();
    bool isIcon(int object) const;

    std::shared_ptr<const FormDrawing> drawing_;
    double zoom_ = 1.0;
    double shownScale_ = 1.0;
    bool nonVisualShown_ = true;
    QString outOfDateMark_;
    int selected_ = -1;
    QImage picture_;
    bool pictureValid_ = false;
    bool pictureUnshown_ = false;
    int picturesPainted_ = 0;
};

}  // namespace dfm
