// What the form view's benchmarks share: the corpus's forms, and an editor window on a copy of
// one of them with the form view shown and drawn.
#pragma once

#include "EditorWindow.h"
#include "FormCanvas.h"
#include "FormDocument.h"
#include "FormViewDock.h"
#include "SilentPrompts.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

// The corpus's binary and text forms, in a fixed order.
inline std::vector<std::filesystem::path> corpusForms(const std::filesystem::path& corpus)
{
    std::vector<std::filesystem::path> forms;
    for (const char* kind : {"binary", "text"}) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(corpus / kind, error))
            forms.push_back(entry.path());
    }
    std::sort(forms.begin(), forms.end());
    return forms;
}

// The corpus's forms, from the benchmark's one optional argument, the corpus folder; status: 0,
// or the exit status after a usage (2) or a corpus without forms (1).
struct CorpusForms {
    std::vector<std::filesystem::path> forms;
    int status = 0;
};

inline CorpusForms corpusFormsOf(int argc, char** argv, const char* program)
{
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fprintf(stderr, "usage: %s [CORPUS_DIR]\n"
                             "  CORPUS_DIR: the shared corpus (../shared/corpus beside the sources by default)\n",
                     program);
        return {{}, 2};
    }
    const std::filesystem::path corpus = argc == 2 ? argv[1] : DFM_CORPUS_DIR;
    std::vector<std::filesystem::path> forms = corpusForms(corpus);
    if (forms.empty()) {
        std::fprintf(stderr, "%s: no forms in %s/binary or %s/text\n", program, corpus.c_str(), corpus.c_str());
        return {{}, 1};
    }
    return {std::move(forms), 0};
}

// The largest of the forms; empty for none.
inline std::filesystem::path largestForm(const std::vector<std::filesystem::path>& forms)
{
    const auto largest = std::max_element(forms.begin(), forms.end(), [](const auto& a, const auto& b) {
        return std::filesystem::file_size(a) < std::filesystem::file_size(b);
    });
    return largest == forms.end() ? std::filesystem::path() : *largest;
}

class ViewedForm {
public:
    // Opens a copy of the form, so that nothing the editor might write reaches the corpus, with
    // the view shown, and waits until the view has drawn it; program names the benchmark in what
    // it says when that takes more than 10 s.
    ViewedForm(const std::filesystem::path& source, const char* program)
    {
        const QString path = folder_.filePath(QString::fromStdString(source.filename().string()));
        if (!QFile::copy(QString::fromStdString(source.string()), path))
            return;
        window_ = std::make_unique<dfm::EditorWindow>(prompts_, QStringList{QStringLiteral("QuenDFMEd")});
        window_->resize(1200, 800);
        window_->show();
        window_->openFormFile(path);
        view_ = window_->findChild<dfm::FormViewDock*>(QStringLiteral("FormViewDock"));
        // The previous run's window left it shown, which the store keeps.
        if (view_->isHidden())
            window_->findChild<QAction*>(QStringLiteral("ActFormView"))->trigger();
        QElapsedTimer opening;
        opening.start();
        while (window_->document().formParsePending() || view_->canvas()->drawing() == nullptr) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            if (opening.elapsed() > 10000) {
                std::fprintf(stderr, "%s: %s not drawn within 10 s: %s\n", program, source.c_str(),
                             qPrintable(view_->statusText()));
                return;
            }
        }
        QApplication::processEvents();
        ready_ = true;
    }

    bool ready() const { return ready_; }
    dfm::EditorWindow& window() const { return *window_; }
    dfm::FormViewDock* view() const { return view_; }
    dfm::FormCanvas* canvas() const { return view_->canvas(); }

private:
    QTemporaryDir folder_;
    SilentPrompts prompts_;
    std::unique_ptr<dfm::EditorWindow> window_;
    dfm::FormViewDock* view_ = nullptr;
    bool ready_ = false;
};
