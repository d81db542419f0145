// bench_editor: the editor window on a form of about 2,000,000 characters of text: opening it
// until the text is shown, saving it, and the cost of one keystroke on a large and a small page.
#include "FormFiles.h"
#include "OffscreenRun.h"
#include "EditorWindow.h"
#include "FindDialog.h"
#include "PageEditor.h"
#include "SilentPrompts.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

namespace {

constexpr int Runs = 7;
constexpr qsizetype TargetCharacters = 2000000;

// A form of many small components, as real forms are, with about the given text size.
QString formText(qsizetype characters)
{
    QString text = QStringLiteral("object BigForm: TBigForm\n  Caption = 'Benchmark'\n");
    for (int i = 0; text.size() < characters - 200; ++i) {
        text += QStringLiteral("  object Label%1: TLabel\n    Left = %2\n    Top = %3\n    Width = 120\n"
                               "    Height = 13\n    Caption = 'Label number %1 of the form'\n"
                               "    Font.Name = 'MS Sans Serif'\n    OnClick = LabelClick\n  end\n")
                    .arg(i)
                    .arg(8 + i % 400)
                    .arg(16 + i % 300);
    }
    return text + QStringLiteral("end\n");
}

double bestOf(int runs, const std::function<void()>& setUp, const std::function<void()>& measured)
{
    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        setUp();
        const auto start = std::chrono::steady_clock::now();
        measured();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

// Mean time of a keystroke (typed, then its change handlers and repaint) in the page.
double keystrokeSeconds(dfm::EditorWindow& form, const QString& pageText)
{
    form.formPage()->loadText(pageText, dfm::PageText::formFormat());
    form.formPage()->select(pageText.size() / 2, 0);
    QApplication::processEvents();
    constexpr int Keys = 400;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < Keys; ++i) {
        QTest::keyClick(form.formPage(), Qt::Key_A);
        QApplication::processEvents();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / Keys;
}

}  // namespace

int main(int argc, char** argv)
{
    const OffscreenRun run;
    QApplication application(argc, argv);

    QTemporaryDir folder;
    const QString path = folder.filePath("Big.dfm");
    const QString text = formText(TargetCharacters);
    if (!OffscreenRun::writeForm(path, text))
        return 1;
    SilentPrompts prompts;
    dfm::EditorWindow form(prompts, {QStringLiteral("QuenDFMEd")});
    form.show();
    QApplication::processEvents();

    const double open = bestOf(
        Runs, [&] { form.formPage()->loadText(QString(), dfm::PageText::formFormat()); },
        [&] {
            form.openFormFile(path);
            QApplication::processEvents();
        });
    const qsizetype shown = dfm::PageText::characterCount(form.formPage()->text());
    const int lines = form.formPage()->lineCount();
    const double save = bestOf(
        Runs, [&] { form.formPage()->setModified(true); },
        [&] {
            if (!form.save())
                std::fprintf(stderr, "save failed\n");
        });
    const double replaceAll = bestOf(
        3, [&] { form.formPage()->loadText(text, dfm::PageText::formFormat()); },
        [&] {
            form.formPage()->select(0, 0);
            form.findChild<QAction*>(QStringLiteral("ActReplace"))->trigger();
            form.replaceDialog()->setFindText(QStringLiteral("label"));
            form.replaceDialog()->findChild<QLineEdit*>(QStringLiteral("ReplaceEdit"))->setText(QStringLiteral("Lbl"));
            emit form.replaceDialog()->replaceAllClicked();
            QApplication::processEvents();
        });
    const qsizetype replaced = form.formPage()->text().count(QStringLiteral("Lbl"));
    const double largeKey = keystrokeSeconds(form, text);
    const double smallKey = keystrokeSeconds(form, formText(20000));
    form.formPage()->setModified(false);
    form.unitPage()->setModified(false);

    std::printf("form text: %lld characters (line breaks counted as two), %lld lines\n",
                static_cast<long long>(shown), static_cast<long long>(lines));
    std::printf("open (OpenFormFile until the text is shown), best of %d: %.3f s   target < 0.5 s\n", Runs, open);
    std::printf("save (convert, backups, write form and unit), best of %d: %.3f s   target < 0.5 s\n", Runs, save);
    std::printf("replace all, %lld occurrences in the same page, best of 3: %.3f s\n",
                static_cast<long long>(replaced), replaceAll);
    std::printf("keystroke in a 2,000,000-character page: %.3f ms; in a 20,000-character page: %.3f ms\n",
                largeKey * 1e3, smallKey * 1e3);
    return 0;
}
