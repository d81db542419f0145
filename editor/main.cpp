// Program start: the options, the application, its editor window and the message loop.
#include "CommandLineFileName.h"
#include "QtUserPrompts.h"
#include "EditorWindow.h"
#include "Version.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* UsageText =
    "Usage: QuenDFMEd [FILE]\n"
    "       QuenDFMEd -- FILE\n"
    "\n"
    "Opens the form file FILE (.dfm, .lfm, .fmx or .xfm; binary or text) in the editor window,\n"
    "beside its unit (.PAS). The words after the program name, joined with single blanks, are\n"
    "one file name; surrounding double quotes are removed.\n"
    "\n"
    "  --          ends the options, so that FILE may start with \"-\"\n"
    "  -h, --help  this text\n"
    "  --version   the program's name, version and licence\n"
    "\n"
    "Settings are read at the start and written when a window closes, under $XDG_CONFIG_HOME\n"
    "when it is an absolute path, else $HOME/.config; with neither, none are kept:\n"
    "  QuenDFMEd/QuenDFMEd.conf  the editor window, its backups switch and the recent files\n"
    "  QuenDFMEd/QuenDFMEd.INI   the object view\n"
    "  QUENDFMED/GREP.conf       the grep window\n"
    "\n"
    "Exit status: 0 when the window is closed, 2 wrong usage or no display.\n";

// Without a display Qt would stop with a message about platform plugins; say what is missing.
bool displayAvailable()
{
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

QStringList argumentList(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

}  // namespace

int main(int argc, char** argv)
{
    // Help and version need no window, so they are answered before a display is looked for.
    const dfm::EditorCommandLine commandLine = dfm::readEditorCommandLine(argumentList(argc, argv));
    switch (commandLine.action) {
    case dfm::EditorCommandLine::Action::Help:
        std::fputs(UsageText, stdout);
        return 0;
    case dfm::EditorCommandLine::Action::Version:
        std::fputs(dfm::versionText("QuenDFMEd").c_str(), stdout);
        return 0;
    case dfm::EditorCommandLine::Action::WrongUsage:
        std::fprintf(stderr, "QuenDFMEd: unknown option %s\n%s", commandLine.unknownOption.toLocal8Bit().constData(),
                     UsageText);
        return 2;
    case dfm::EditorCommandLine::Action::Open:
        break;
    }
    if (!displayAvailable()) {
        std::fprintf(stderr,
                     "QuenDFMEd: no display to open the editor window on (DISPLAY and WAYLAND_DISPLAY are not "
                     "set).\nRun it in a desktop session, or try it without one with: xvfb-run -a %s FILE.dfm\n",
                     argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationVersion(QString::fromLatin1(dfm::ProductVersion));
    // The desktop matches the window to its menu entry by this name.
    QApplication::setDesktopFileName(QStringLiteral("org.quen.DFMEditor"));
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    dfm::QtUserPrompts prompts;
    // Qt has taken its own options out of the arguments by now; "--" is taken out again.
    dfm::EditorWindow form1(prompts, dfm::readEditorCommandLine(QApplication::arguments()).arguments);
    prompts.setParent(&form1);
    form1.show();
    return QApplication::exec();
}
