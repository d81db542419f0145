// bench_inspector: an edit made in the property inspector on the largest form of the shared
// corpus, from the value typed to the text changed and the view's new picture shown: the check
// of the value, the edit of the text, its reading, the inspector's rows and the drawing.
#include "EditorWindow.h"
#include "FormCanvas.h"
#include "FormViewDock.h"
#include "OffscreenRun.h"
#include "PropertyInspector.h"
#include "ViewedForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

constexpr int Runs = 20;
constexpr double TargetMs = 50;

double milliseconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

QLineEdit* editorOf(QTreeWidget* table, const QString& name)
{
    for (int i = 0; i < table->topLevelItemCount(); ++i) {
        if (table->topLevelItem(i)->text(0) == name)
            return table->itemWidget(table->topLevelItem(i), 1)->findChild<QLineEdit*>(QStringLiteral("ValueEditor"));
    }
    return nullptr;
}

bool measure(const std::filesystem::path& source)
{
    const ViewedForm viewed(source, "bench_inspector");
    if (!viewed.ready())
        return false;
    dfm::EditorWindow& form = viewed.window();
    dfm::FormViewDock* view = viewed.view();
    dfm::FormCanvas* canvas = viewed.canvas();

    // The form itself, selected in the view as a click on it would, whose Left forms store.
    auto* inspector = form.findChild<dfm::PropertyInspector*>(QStringLiteral("PropertyInspectorDock"));
    view->selectAtLine(1);
    std::vector<double> edits;
    for (int i = 0; i < Runs; ++i) {
        QLineEdit* left = editorOf(inspector->table(), QStringLiteral("Left"));
        if (!left) {
            std::fprintf(stderr, "bench_inspector: the form stores no Left\n");
            return false;
        }
        const QString before = form.document().text(dfm::FormDocument::Page::Form);
        const int painted = canvas->picturesPainted();
        left->selectAll();
        left->insert(QString::number(100 + i));
        const auto typed = std::chrono::steady_clock::now();
        auto shown = typed;
        const QMetaObject::Connection watch = QObject::connect(
            canvas, &dfm::FormCanvas::pictureShown, [&shown] { shown = std::chrono::steady_clock::now(); });
        QTest::keyClick(left, Qt::Key_Return);
        QElapsedTimer limit;
        limit.start();
        while (canvas->picturesPainted() == painted || shown == typed) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            if (limit.elapsed() > 10000) {
                std::fprintf(stderr, "bench_inspector: no redraw within 10 s of an edit\n");
                return false;
            }
        }
        QObject::disconnect(watch);
        if (form.document().text(dfm::FormDocument::Page::Form) == before) {
            std::fprintf(stderr, "bench_inspector: the edit did not reach the text\n");
            return false;
        }
        edits.push_back(milliseconds(shown - typed));
    }
    std::sort(edits.begin(), edits.end());
    form.document().setModified(dfm::FormDocument::Page::Form, false);
    std::printf("form: %s, %lld bytes\n", source.filename().c_str(),
                static_cast<long long>(std::filesystem::file_size(source)));
    std::printf("  inspector edit to the text and the view's picture, %d edits: min %.0f ms, median %.0f ms, "
                "max %.0f ms   target under %.0f ms: %s\n",
                Runs, edits.front(), edits[edits.size() / 2], edits.back(), TargetMs,
                edits[edits.size() / 2] < TargetMs ? "met" : "NOT MET");
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const OffscreenRun run;
    QApplication application(argc, argv);
    const CorpusForms corpus = corpusFormsOf(argc, argv, "bench_inspector");
    if (corpus.status != 0)
        return corpus.status;
    std::printf("largest form of the corpus\n");
    return measure(largestForm(corpus.forms)) ? 0 : 1;
}
