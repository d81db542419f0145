// bench_formedit: a drag in the form view on the largest form of the shared corpus: each mouse
// move with the view painted again at once, which must keep up with the screen, then the drop.
// An edit made in the inspector is timed by bench_inspector.
#include "EditorWindow.h"
#include "FormCanvas.h"
#include "FormDocument.h"
#include "FormLayout.h"
#include "FormViewDock.h"
#include "OffscreenRun.h"
#include "ViewedForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

constexpr int DragMoves = 100;
constexpr double DragStepTargetMs = 16;

double milliseconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

const char* verdict(bool met)
{
    return met ? "met" : "NOT MET";
}

// A control of the form's own text that a press on its middle picks, large enough to be dragged
// and free to move (not aligned); -1 for none.
int draggableControl(const dfm::FormCanvas& canvas)
{
    const auto& objects = canvas.drawing()->objects();
    for (std::size_t i = 1; i < objects.size(); ++i) {
        const dfm::DrawnObject& object = objects[i];
        const QRect place = canvas.objectRect(static_cast<int>(i));
        if (object.node == dfm::DrawnObject::NoNode || dfm::ControlClasses::isIcon(object.kind)
            || dfm::FormLayout::alignOf(object) != dfm::FormLayout::Align::None || place.width() < 24 || place.height() < 16)
            continue;
        if (canvas.objectAtPoint(place.center()) == static_cast<int>(i))
            return static_cast<int>(i);
    }
    return -1;
}

void sendMouse(dfm::FormCanvas* canvas, QEvent::Type type, QPoint point, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(point), QPointF(canvas->mapToGlobal(point)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(canvas, &event);
}

struct Figures {
    double min;
    double median;
    double max;
};

Figures figuresOf(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2], times.back()};
}

// Opens a copy of the form with the view shown, and prints both measures; false when the view
// did not draw or follow an edit.
bool measure(const std::filesystem::path& source)
{
    const ViewedForm viewed(source, "bench_formedit");
    if (!viewed.ready())
        return false;
    dfm::FormViewDock* view = viewed.view();
    dfm::FormCanvas* canvas = viewed.canvas();
    dfm::FormDocument& document = viewed.window().document();
    if (!canvas->isVisible()) {
        std::fprintf(stderr, "bench_formedit: the form view is not shown\n");
        return false;
    }

    // The drag: a press on the control, then moves of 3 pixels right and 2 down, each painted.
    const int control = draggableControl(*canvas);
    if (control < 0) {
        std::fprintf(stderr, "bench_formedit: %s has no control to drag\n", source.c_str());
        return false;
    }
    const std::string controlName = canvas->drawing()->objects()[static_cast<std::size_t>(control)].name;
    const QPoint pressed = canvas->objectRect(control).center();
    sendMouse(canvas, QEvent::MouseButtonPress, pressed, Qt::LeftButton, Qt::LeftButton);
    if (canvas->selectedObject() != control) {
        std::fprintf(stderr, "bench_formedit: a press on %s did not select it\n", controlName.c_str());
        return false;
    }
    std::vector<double> steps;
    for (int i = 1; i <= DragMoves; ++i) {
        const auto start = std::chrono::steady_clock::now();
        sendMouse(canvas, QEvent::MouseMove, pressed + QPoint(3 * i, 2 * i), Qt::NoButton, Qt::LeftButton);
        canvas->repaint();
        steps.push_back(milliseconds(std::chrono::steady_clock::now() - start));
    }
    const auto dropStart = std::chrono::steady_clock::now();
    sendMouse(canvas, QEvent::MouseButtonRelease, pressed + QPoint(3 * DragMoves, 2 * DragMoves), Qt::LeftButton, Qt::NoButton);
    canvas->repaint();
    const double drop = milliseconds(std::chrono::steady_clock::now() - dropStart);
    if (!document.isModified(dfm::FormDocument::Page::Form)) {
        std::fprintf(stderr, "bench_formedit: the drag of %s changed no text: %s\n", controlName.c_str(), qPrintable(view->statusText()));
        return false;
    }

    // Where the drop put it: a drop over another container makes the control its child.
    std::string parentName;
    for (const dfm::FormNode object : document.currentFormModel()->nodes()) {
        if (object.name() == controlName && object.parent())
            parentName = object.parent()->name();
    }

    document.setModified(dfm::FormDocument::Page::Form, false);

    const Figures step = figuresOf(steps);
    std::printf("form: %s, %lld bytes, %zu objects drawn, %s dragged\n", source.filename().c_str(),
                static_cast<long long>(std::filesystem::file_size(source)), canvas->drawing()->objects().size(), controlName.c_str());
    std::printf("  drag, %d mouse moves each painted: median %.2f ms, max %.2f ms   target under %.0f ms a step: %s\n",
                DragMoves, step.median, step.max, DragStepTargetMs, verdict(step.max < DragStepTargetMs));
    std::printf("  drop, %s now in %s (the edit made, read, drawn and painted): %.1f ms\n", controlName.c_str(),
                parentName.c_str(), drop);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const OffscreenRun run;
    QApplication application(argc, argv);
    const CorpusForms corpus = corpusFormsOf(argc, argv, "bench_formedit");
    if (corpus.status != 0)
        return corpus.status;
    const std::vector<std::filesystem::path>& forms = corpus.forms;
    std::printf("largest form of the corpus\n");
    return measure(largestForm(forms)) ? 0 : 1;
}
