// The form view: the open form drawn as it looks, beside its text, following every edit once the
// document has read the text again. A tool bar sets the zoom, shows or hides the non-visual
// components and switches the grid; a palette adds common controls; a status line says when the
// picture is out of date, which ancestors are missing and what a gesture had to keep in bounds.
// Controls are selected, moved, resized, deleted, copied and pasted here: each gesture is one
// edit of the form text, of the lines it touches only. Where it is docked, its size, zoom and
// switches are kept in the editor window's store.
#pragma once

#include "DrawnObject.h"
#include "FormModel.h"

#include <QDockWidget>
#include <QElapsedTimer>
#include <QMargins>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QToolBar;
class QComboBox;
class QLabel;
class QMainWindow;
class QScrollArea;

namespace dfm {

class AncestorForms;
class FormCanvas;
class FormDocument;
class FormDrawing;
class FormGestures;
class UserPrompts;
class WindowSettings;

class FormViewDock : public QDockWidget {
    Q_OBJECT
public:
    // The zooms offered, in percent.
    static constexpr int Zooms[] = {25, 50, 75, 100, 125, 150, 200, 300, 400};
    static constexpr int DefaultZoom = 100;

    // The classes the palette adds.
    static const char* const PaletteClasses[];
    // Arrow presses closer than this make one step of the undo.
    static constexpr int KeyGestureMs = 500;

    // Docked on the right of window, hidden; prompts shows what a gesture cannot do.
    FormViewDock(FormDocument& document, QMainWindow& window, UserPrompts& prompts);
    ~FormViewDock() override;

    // Keeps whether it is shown, its place and size, its zoom and its switch in the window's
    // settings; applyStoredState applies what was read, once the window's settings are restored.
    void addSettings(WindowSettings& settings);
    void applyStoredState();
    // Shows the view; the first time in a run at its stored place and size, or at a first start
    // on the right half of the window.
    void showInWindow();

    int zoomPercent() const;
    // A zoom not offered takes the nearest one offered.
    void setZoomPercent(int percent);
    bool nonVisualShown() const;
    void setNonVisualShown(bool on);
    bool gridSnap() const;
    void setGridSnap(bool on);

    FormCanvas* canvas() const { return canvas_; }
    QString statusText() const;

    // The selected objects that the form text holds, by their nodes in the document's current
    // model, in the order they were selected.
    std::vector<std::uint32_t> selectedNodes() const;

    // Whether the keyboard is in the view: the Edit menu's commands then act on it.
    bool hasKeyboardFocus() const;
    // Whether objects of the form text are selected, which Copy, Cut and Delete act on.
    bool canCopy() const { return !selectedNodes().empty(); }
    // The selected objects' text to the clipboard; Cut also deletes them.
    // False when nothing could be copied for an error, which the error box has shown.
    bool copySelection();
    void cutSelection();
    // The objects of form text on the clipboard into the selected container (or the selected
    // control's), with names made free.
    void pasteClipboard();
    void deleteSelection();

    // Selects the control of the deepest object whose text holds the 1-based line of the form
    // text (or the nearest of its parents that is drawn), and scrolls it into view.
    void selectAtLine(int line);

signals:
    // A control clicked: the 1-based line of its object in the form text, or 0 for an object that
    // only an ancestor or a frame holds.
    void objectChosen(int line);
    // The selection changed, or the model its nodes refer to did.
    void selectionChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    // Left, Right, Top, Bottom or Floating.
    QString areaName();
    // The document's changes, as the view follows them.
    void documentOpened();
    void folderChanged();
    void textBroken(int line, const QString& message);
    // Draws the document's current model, now when the view is shown, else once it is.
    void redraw();
    void drawNow();
    void objectClicked(int object);
    void objectToggled(int object);
    void selectObject(int object);
    void selectObjects(std::vector<int> objects);
    // Runs a gesture on the drawing of the form text as it stands (a text edited but not read yet
    // is read and drawn first) and makes the edits it plans as one step of the undo; join: part
    // of the previous step. An edit that cannot be made is shown in the error box, and false
    // returned; what was kept in bounds is said in the status line.
    bool applyGesture(const std::function<QString(FormGestures&)>& gesture, bool join = false);
    // A gesture of a key: presses in a row are one step of the undo.
    void keyGesture(const std::function<QString(FormGestures&)>& gesture);
    // The palette's choice is dropped: a click selects again.
    void dropPaletteChoice();
    // The object of the drawing with the name; -1 for none.
    int objectNamed(const std::string& name) const;
    void tabThrough(bool backward);
    void selectParent();
    // The container the selection's paste or the palette's control goes into.
    int targetContainer() const;
    // Selects in a new drawing the object of the name selected before.
    void reselect();
    void scrollToObject(int object);
    void updateStatus();
    // The form's icon and caption above the picture.
    void showTitle();

    FormDocument& document_;
    QMainWindow& window_;
    UserPrompts& prompts_;
    // The place read from the store, used the first time the view is shown in this run.
    struct StoredState {
        bool shown = false;
        QString area;
        QString place;
    } stored_;
    bool placed_ = false;
    // One per open form: it keeps the ancestors it has read.
    std::unique_ptr<AncestorForms> ancestors_;
    // The drawing shown and the model it was made from, whose nodes its objects refer to.
    std::shared_ptr<const FormDrawing> drawing_;
    std::shared_ptr<const FormModel> drawnModel_;
    bool drawingDue_ = false;
    // Why the text is not drawn as it stands, while it does not read; empty when it does.
    QString brokenText_;
    QString drawingError_;
    // The selected objects are found again by name in the next drawing.
    std::vector<std::string> selectedNames_;
    // Set while a gesture edits the text, whose caret moves then without choosing anything.
    bool editing_ = false;
    // What the last gesture kept in bounds or left alone.
    QString gestureNote_;
    // When the last key gesture was made, so that presses in a row are one step of the undo.
    QElapsedTimer lastKeyGesture_;
    // The palette's class chosen for the next click; empty for none.
    QString placingClass_;

    QComboBox* zoomBox_ = nullptr;
    QCheckBox* nonVisualBox_ = nullptr;
    QCheckBox* gridBox_ = nullptr;
    QToolBar* palette_ = nullptr;
    QScrollArea* scrollArea_ = nullptr;
    FormCanvas* canvas_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* titleIcon_ = nullptr;
    QLabel* titleCaption_ = nullptr;
};

}  // namespace dfm
