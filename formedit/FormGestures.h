// What a gesture in the form view means for the form text: a move, a resize, a drop on another
// container, objects deleted, added from the palette or pasted. Each fills one edit plan from the
// drawing of the current model, with Left, Top, Width and Height in the form's own units, and
// says what it had to keep within bounds.
#pragma once

#include "FormDrawing.h"
#include "FormEditPlan.h"

#include <QMargins>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <vector>

namespace dfm {

class FormGestures {
public:
    // The largest width or height written, as the drawing takes them.
    static constexpr int LargestSize = 1 << 16;

    // drawing: made from the model the plan edits.
    FormGestures(const FormDrawing& drawing, FormEditPlan& plan);

    // Each call returns a note of what was kept within bounds or left alone; empty for none.
    // objects: indices in the drawing. An object whose parent is selected too goes with it.
    QString move(const std::vector<int>& objects, QPoint delta);
    // edges: how far each side moves (a handle moves one or two sides; Shift+Arrow the right or
    // bottom one). A control aligned to a side changes only the size its alignment leaves free.
    QString resize(const std::vector<int>& objects, QMargins edges);
    // Moves the objects by delta into container, whose child they become.
    QString moveInto(const std::vector<int>& objects, int container, QPoint delta);
    QString remove(const std::vector<int>& objects);
    // A control of the class inside the container under point (form units of the drawing), with a
    // free name and its class's default size; its place on a grid of that many units (0: none).
    QString add(const std::string& className, QPoint point, int grid = 0);
    // The selected objects' text, as the clipboard holds it.
    QStringList copy(const std::vector<int>& objects) const;
    // Objects' text from the clipboard, added to container with names made free.
    QString paste(const QString& text, int container);

    // The names of the objects add and paste put in, outermost first.
    const std::vector<std::string>& added() const { return added_; }

    // The container a control added at point (form units of the client area) goes into: the
    // form where no other container is there.
    int containerAt(QPoint point) const;

private:
    const DrawnObject& object(int index) const;
    // The selected objects the text holds, less those inside another selected one.
    std::vector<int> outermost(const std::vector<int>& objects, QString& note) const;
    // Whether its text is an "inherited" block, which an ancestor form makes.
    bool isInherited(int index) const;
    // Left, Top, Width and Height relative to the parent's client area: stored, else laid out.
    QRect storedPlace(int index) const;

    // The changes that put an object at place from old, in the names its form stores places by.
    void addPlace(std::vector<FormEditPlan::PropertyChange>& changes, const QRect& place, const QRect& old) const;

    // The desktop library's names, or the cross-platform library's where the form uses those.
    struct PlaceNames {
        const char* left = "Left";
        const char* top = "Top";
        const char* width = "Width";
        const char* height = "Height";
        bool floats = false;
    } names_;
    const FormDrawing& drawing_;
    FormEditPlan& plan_;
    std::vector<std::string> added_;
};

}  // namespace dfm
