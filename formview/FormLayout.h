// Places every object of a drawing: each control at its stored place in its parent's client area,
// then the aligned ones as the run-time library aligns them, then anchors; the pages of a page
// control over its display area, only the active one shown; non-visual components at their
// design positions.
#pragma once

#include "DrawnObject.h"

#include <QMargins>
#include <QPoint>
#include <QSize>

#include <vector>

namespace dfm {

class FormLayout {
public:
    enum class Align { None, Top, Bottom, Left, Right, Client };

    // The side a control is aligned to: its stored Align ("alTop", or "Top" as the cross-platform
    // library writes it), else its class's default.
    static Align alignOf(const DrawnObject& object);
    // objects: parents before children, the form first; clientSize: the form's client area.
    static void layOut(std::vector<DrawnObject>& objects, QSize clientSize);
    // Where a non-visual component's icon stands on the form.
    static QPoint iconPlace(const DrawnObject& object);
    // What a control's border, bevels and caption take from its sides for its children.
    static QMargins clientMargins(const DrawnObject& object);
    // The height of a page control's or tab control's tabs.
    static int tabHeight(const DrawnObject& object);
};

}  // namespace dfm
