// The drawing of the open form at a zoom, as the form view shows it: the picture painted once per
// drawing and zoom and kept, the selected objects framed with handles over it, and the picture
// greyed while the form text does not read. Clicks, drags and the designer's keys are told as
// gestures in form units; a drag shows its outlines over the kept picture until it ends.
#pragma once

#include "FormDrawing.h"

#include <QImage>
#include <QMargins>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

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

    // The grid a drag snaps to and Ctrl+Shift+Arrow moves by, in form units.
    static constexpr int GridSize = 8;

    // An index into the drawing's objects, -1 for none.
    void setSelectedObject(int object);
    // The first selected object, -1 for none.
    int selectedObject() const { return selected_.empty() ? -1 : selected_.front(); }
    void setSelectedObjects(std::vector<int> objects);
    const std::vector<int>& selectedObjects() const { return selected_; }
    void setGridSnap(bool on) { gridSnap_ = on; }
    bool gridSnap() const { return gridSnap_; }
    // While on, the next click places a control from the palette instead of selecting.
    void setPlacing(bool on);
    bool isPlacing() const { return placing_; }
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
    // A click on an object of the drawing, and a click with Ctrl held.
    void objectClicked(int object);
    void objectToggled(int object);
    // A drag of the selection ended: moved by delta, dropped on container (another container
    // than the one under the pointer when the drag started), or -1 to stay in its parents.
    // Form units.
    void selectionDragged(QPoint delta, int container);
    // A drag of a handle ended: how far each side moved.
    void selectionResized(QMargins edges);
    // A click while placing: where, in form units of the drawing.
    void placeClicked(QPoint point);
    // The designer's keys: Ctrl+Arrow and Ctrl+Shift+Arrow move, Shift+Arrow resizes.
    void moveKeyed(QPoint delta);
    void resizeKeyed(QMargins edges);
    void tabKeyed(bool backward);
    void escapeKeyed();
    void deleteKeyed();
    // Each time the picture has been painted again and shown.
    void pictureShown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool event(QEvent* event) override;

private:
    // The sides a handle moves, as bits.
    enum Side { NoSide = 0, LeftSide = 1, TopSide = 2, RightSide = 4, BottomSide = 8 };
    struct Drag {
        QPoint pressed;
        int sides = NoSide;  // NoSide: the selection moves
        bool started = false;
        QPoint delta;  // form units, snapped
    };

    void pictureChanged();
    bool isIcon(int object) const;
    // The handle of the one selected object under a point, as sides; NoSide for none.
    int handleAt(QPoint point) const;
    // A point of the widget in form units of the picture, and of the form's client area (below
    // its menu bar).
    QPoint toPicture(QPoint point) const;
    QPoint toForm(QPoint point) const;
    // The pointer's travel in form units, snapped so that the selection's first moving edge lands
    // on the grid.
    QPoint snappedDelta(QPoint travel) const;
    QMargins edgesOf(int sides, QPoint delta) const;
    // The deepest container under a point that is not selected nor inside a selected object.
    int dropContainerAt(QPoint point) const;

    std::shared_ptr<const FormDrawing> drawing_;
    double zoom_ = 1.0;
    double shownScale_ = 1.0;
    bool nonVisualShown_ = true;
    QString outOfDateMark_;
    std::vector<int> selected_;
    bool gridSnap_ = true;
    bool placing_ = false;
    std::optional<Drag> drag_;
    QImage picture_;
    bool pictureValid_ = false;
    bool pictureUnshown_ = false;
    int picturesPainted_ = 0;
};

}  // namespace dfm
