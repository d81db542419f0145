// dfmdraw: draws form files as PNG pictures on the command line, without a display.
#include "DrawCommand.h"

#include <QGuiApplication>

#include <iostream>

namespace {

// Qt's own remarks (a missing runtime folder, a font substituted) are no concern of the user's.
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

}  // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    // Drawing needs fonts, not a screen: the offscreen platform is chosen here, whatever the
    // environment says, so that no X server is ever needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quiet);
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);
    return dfm::DrawCommand(std::cout, std::cerr).run({argv + 1, argv + argc});
}
