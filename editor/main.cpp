// Program start: the application, its editor window and the message loop.
#include "QtUserPrompts.h"
#include "EditorWindow.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// Without a display Qt would stop with a message about platform plugins; say what is missing.
bool displayAvailable()
{
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv)
{
    if (!displayAvailable()) {
        std::fprintf(stderr,
                     "QuenDFMEd: no display to open the editor window on (DISPLAY and WAYLAND_DISPLAY are not "
                     "set).\nRun it in a desktop session, or try it without one with: xvfb-run -a %s FILE.dfm\n",
                     argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    dfm::QtUserPrompts prompts;
    dfm::EditorWindow form1(prompts, QApplication::arguments());
    prompts.setParent(&form1);
    form1.show();
    return QApplication::exec();
}
