// The form view: the open form drawn as it looks, beside its text, following every edit once the
// document has read the text again. A tool bar sets the zoom and shows or hides the non-visual
// components; a status line says when the picture is out of date and which ancestors are missing.
#pragma once

#include "DrawnObject.h"
#include "FormModel.h"

#include <QDockWidget>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QScrollArea;

namespace dfm {

class AncestorForms;
class FormCanvas;
class FormDocument;
class FormDrawing;

class FormViewDock : public QDockWidget {
    Q_OBJECT
public:
    // The zooms offered, in percent.
    static constexpr int Zooms[] = {25, 50, 75, 100, 125, 150, 200, 300, 400};
    static constexpr int DefaultZoom = 100;

    FormViewDock(const FormDocument& document, QWidget* parent);
    ~FormViewDock() override;

    int zoomPercent() const;
    // A zoom not offered takes the nearest one offered.
    void setZoomPercent(int percent);
    bool nonVisualShown() const;
    void setNonVisualShown(bool on);

    FormCanvas* canvas() const { return canvas_; }
    QString statusText() const;

    // Selects the control of the deepest object whose text holds the 1-based line of the form
    // text (or the nearest of its parents that is drawn), and scrolls it into view.
    void selectAtLine(int line);

signals:
    // A control clicked: the 1-based line of its object in the form text, or 0 for an object that
    // only an ancestor or a frame holds.
    void objectChosen(int line);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    // The document's changes, as the view follows them.
    void documentOpened();
    void folderChanged();
    void textBroken(int line, const QString& message);
    // Draws the document's current model, now when the view is shown, else once it is.
    void redraw();
    void drawNow();
    void objectClicked(int object);
    void selectObject(int object);
    // Selects in a new drawing the object of the name selected before.
    void reselect();
    void scrollToObject(int object);
    void updateStatus();
    QString missingAncestorLine(const QString& className) const;

    const FormDocument& document_;
    // One per open form: it keeps the ancestors it has read.
    std::unique_ptr<AncestorForms> ancestors_;
    // The drawing shown and the model it was made from, whose nodes its objects refer to.
    std::shared_ptr<const FormDrawing> drawing_;
    std::shared_ptr<const FormModel> drawnModel_;
    bool drawingDue_ = false;
    // Why the text is not drawn as it stands, while it does not read; empty when it does.
    QString brokenText_;
    QString drawingError_;
    // The selected object is found again by name in the next drawing.
    std::string selectedName_;

    QComboBox* zoomBox_ = nullptr;
    QCheckBox* nonVisualBox_ = nullptr;
    QScrollArea* scrollArea_ = nullptr;
    FormCanvas* canvas_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace dfm
