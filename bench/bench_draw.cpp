// bench_draw: the time to lay out and paint each form of the shared corpus at 100%, as the form
// view does after every edit: the largest form file's, and the slowest form's.
#include "AncestorForms.h"
#include "FormDrawing.h"
#include "FormPainter.h"
#include "FormSource.h"

#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Target: a form drawn in the view in under 50 ms.
constexpr double TargetMs = 50.0;
constexpr int Runs = 5;

struct Timing {
    std::string path;
    double buildMs = 0;
    double paintMs = 0;
    double total() const { return buildMs + paintMs; }
};

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

Timing time(const fs::path& path)
{
    const dfm::CodePage& page = dfm::CodePage::forNumber(1252);
    const auto model = std::make_shared<const dfm::FormModel>(dfm::readFormModel(path.string(), page));
    Timing best{path.string(), 1e30, 1e30};
    for (int run = 0; run < Runs; ++run) {
        dfm::AncestorForms ancestors(path.parent_path(), 1252);
        auto start = Clock::now();
        const dfm::FormDrawing drawing = dfm::FormDrawing::build(model, page, &ancestors);
        best.buildMs = std::min(best.buildMs, millisecondsSince(start));
        start = Clock::now();
        const QImage image = dfm::FormPainter::render(drawing, {});
        best.paintMs = std::min(best.paintMs, millisecondsSince(start));
    }
    return best;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_draw CORPUS_DIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);
    Timing largest, slowest;
    std::uintmax_t largestBytes = 0;
    int forms = 0;
    for (const auto& entry : fs::recursive_directory_iterator(argv[1])) {
        const std::string extension = entry.path().extension().string();
        if (!entry.is_regular_file() || (extension != ".dfm" && extension != ".DFM" && extension != ".lfm" && extension != ".fmx"))
            continue;
        Timing timing;
        try {
            timing = time(entry.path());
        } catch (const std::exception&) {
            continue;
        }
        ++forms;
        if (entry.file_size() > largestBytes) {
            largestBytes = entry.file_size();
            largest = timing;
        }
        if (timing.total() > slowest.total())
            slowest = timing;
    }
    std::printf("forms drawn: %d\n", forms);
    std::printf("largest form (%ju bytes) %s: layout %.1f ms, paint %.1f ms, %.1f ms in all\n", largestBytes,
                largest.path.c_str(), largest.buildMs, largest.paintMs, largest.total());
    std::printf("slowest form %s: layout %.1f ms, paint %.1f ms, %.1f ms in all\n", slowest.path.c_str(), slowest.buildMs,
                slowest.paintMs, slowest.total());
    std::printf("target: under %.0f ms each: %s\n", TargetMs, slowest.total() < TargetMs ? "met" : "NOT met");
    return 0;
}
