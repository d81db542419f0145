// bench_formview: the editor's form view on the largest form of the shared corpus and on the one
// with the most objects: drawing it (laying it out and painting it), and the redraw after a key
// typed into its text, from the key to the new picture shown: the document's pause, the reading
// of the text, the drawing and the paint.
#include "CodePage.h"
#include "EditorWindow.h"
#include "FormCanvas.h"
#include "FormDrawing.h"
#include "FormPainter.h"
#include "FormSource.h"
#include "FormViewDock.h"
#include "OffscreenRun.h"
#include "PageEditor.h"
#include "ViewedForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

constexpr int Runs = 20;
constexpr double DrawTargetMs = 50;
constexpr double RedrawTargetMs = 250;

// The form whose drawing holds the most objects.
std::filesystem::path mostObjects(const std::vector<std::filesystem::path>& forms)
{
    std::filesystem::path most;
    std::size_t count = 0;
    for (const auto& path : forms) {
        try {
            const auto model = std::make_shared<const dfm::FormModel>(
                dfm::readFormModel(path.string(), dfm::CodePage::forNumber(1252)));
            const std::size_t objects = dfm::FormDrawing::build(model, dfm::CodePage::forNumber(1252)).objects().size();
            if (objects > count) {
                count = objects;
                most = path;
            }
        } catch (const std::exception&) {
            // A form that does not read has no objects to count.
        }
    }
    return most;
}

double milliseconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

const char* verdict(bool met)
{
    return met ? "met" : "NOT MET";
}

// Opens a copy of the form in the editor with the view shown, and prints the two measures; false
// when the view did not follow the text.
bool measure(const std::filesystem::path& source)
{
    const ViewedForm viewed(source, "bench_formview");
    if (!viewed.ready())
        return false;
    dfm::EditorWindow& form = viewed.window();
    dfm::FormCanvas* canvas = viewed.canvas();
    auto* page = form.findChild<dfm::PageEditor*>(QStringLiteral("Memo1"));

    // Drawing alone: what the view does with each new model.
    const auto model = form.document().formModel();
    const dfm::CodePage& codePage = dfm::CodePage::forNumber(form.document().codePage().number);
    double build = 1e9;
    double paint = 1e9;
    std::size_t objects = 0;
    QSize size;
    for (int i = 0; i < Runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const dfm::FormDrawing drawing = dfm::FormDrawing::build(model, codePage);
        const auto built = std::chrono::steady_clock::now();
        const QImage picture = dfm::FormPainter::render(drawing, {});
        const auto painted = std::chrono::steady_clock::now();
        build = std::min(build, milliseconds(built - start));
        paint = std::min(paint, milliseconds(painted - built));
        objects = drawing.objects().size();
        size = picture.size();
    }

    // A key typed into a number of the text, then taken back, in turns; each time the time from
    // the key to the new picture shown.
    const qsizetype number = page->text().indexOf(QStringLiteral("Left = ")) + 7;
    std::vector<double> redraws;
    for (int i = 0; i < Runs; ++i) {
        const int painted = canvas->picturesPainted();
        page->select(number + 1, 0);
        if (i % 2 == 0)
            QTest::keyClick(page, Qt::Key_1);
        else
            QTest::keyClick(page, Qt::Key_Backspace);
        const auto keyed = std::chrono::steady_clock::now();
        auto shown = keyed;
        const QMetaObject::Connection watch = QObject::connect(
            canvas, &dfm::FormCanvas::pictureShown, [&shown] { shown = std::chrono::steady_clock::now(); });
        QElapsedTimer limit;
        limit.start();
        while (canvas->picturesPainted() == painted || shown == keyed) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            if (limit.elapsed() > 10000) {
                std::fprintf(stderr, "bench_formview: no redraw within 10 s of a key\n");
                return false;
            }
        }
        QObject::disconnect(watch);
        redraws.push_back(milliseconds(shown - keyed));
    }
    std::sort(redraws.begin(), redraws.end());
    form.document().setModified(dfm::FormDocument::Page::Form, false);

    std::printf("form: %s, %lld bytes, %zu objects drawn, picture %d x %d\n", source.filename().c_str(),
                static_cast<long long>(std::filesystem::file_size(source)), objects, size.width(), size.height());
    std::printf("  draw, best of %d: %.1f ms (layout %.1f ms, paint %.1f ms)   target under %.0f ms: %s\n", Runs,
                build + paint, build, paint, DrawTargetMs, verdict(build + paint < DrawTargetMs));
    std::printf("  redraw after a key (pause, reading, drawing, paint), %d keys: min %.0f ms, median %.0f ms, "
                "max %.0f ms   target under %.0f ms: %s\n",
                Runs, redraws.front(), redraws[redraws.size() / 2], redraws.back(), RedrawTargetMs,
                verdict(redraws.back() < RedrawTargetMs));
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const OffscreenRun run;
    QApplication application(argc, argv);
    const CorpusForms corpus = corpusFormsOf(argc, argv, "bench_formview");
    if (corpus.status != 0)
        return corpus.status;
    const std::vector<std::filesystem::path>& forms = corpus.forms;
    std::printf("largest form of the corpus\n");
    if (!measure(largestForm(forms)))
        return 1;
    std::printf("form of the corpus with the most objects\n");
    return measure(mostObjects(forms)) ? 0 : 1;
}
