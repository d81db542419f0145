// Stored values as texts, and the check that a store was written.
#include "StoredValue.h"

#include "TextRules.h"

#include <QFileInfo>
#include <QStringList>

namespace dfm::StoredValue {

std::optional<QString> read(const QSettings& settings, const QString& key, Blanks blanks)
{
    const QVariant value = settings.value(key);
    QString text;
    if (value.typeId() == QMetaType::QStringList)
        text = value.toStringList().join(u',');
    else if (value.isValid() && value.canConvert<QString>())
        text = value.toString();
    else
        return std::nullopt;
    if (settings.format() == QSettings::IniFormat)
        text.truncate(IniFileLimit);
    return blanks == Blanks::Trimmed ? trimBlanks(text) : text;
}

void write(QSettings& settings, const QString& key, const QString& text, Blanks blanks)
{
    settings.setValue(key, blanks == Blanks::Trimmed ? trimBlanks(text) : text);
}

bool flush(QSettings& settings)
{
    settings.sync();
    switch (settings.status()) {
    case QSettings::NoError:
        return true;
    case QSettings::FormatError:
        // A damaged file is rewritten whole, but QSettings keeps only its first error, so a
        // failed write would go unreported: ask the file system instead.
        return QFileInfo(settings.fileName()).isWritable();
    default:
        return false;
    }
}

}  // namespace dfm::StoredValue
