// What the window benchmarks share: one core, no display, a settings folder of their own, and the
// binary form they open.
#pragma once

#include "FormFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <sched.h>

class OffscreenRun {
public:
    // Set up before the application object, which reads the environment.
    OffscreenRun()
    {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(0, &one);
        sched_setaffinity(0, sizeof one, &one);
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("XDG_CONFIG_HOME", settings_.path().toLocal8Bit());
    }

    // The form text converted to a binary form file at path.
    static bool writeForm(const QString& path, const QString& text)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(dfm::FormFiles::convertFormText(text)) >= 0;
    }

private:
    QTemporaryDir settings_;
};
