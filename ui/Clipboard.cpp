// Reads the system clipboard for the paste commands.
#include "Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace dfm {

bool clipboardHoldsText()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasText();
}

std::optional<QString> clipboardText()
{
    if (!clipboardHoldsText())
        return std::nullopt;
    return QGuiApplication::clipboard()->text();
}

}  // namespace dfm
