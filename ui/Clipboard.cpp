// Reads the system clipboard for the paste commands.
#include "Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace dfm {

bool ClipboardHoldsText()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasText();
}

std::optional<QString> ClipboardText()
{
    if (!ClipboardHoldsText())
        return std::nullopt;
    return QGuiApplication::clipboard()->text();
}

}  // namespace dfm
