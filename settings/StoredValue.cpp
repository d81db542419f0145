// Stored values as trimmed texts, and the check that a store was written.
#include "StoredValue.h"

#include "TextRules.h"

#include <QFileInfo>
#include <QStringList>

namespace dfm {

std::optional<QString> StoredValue::read(const QSettings& settings, const QString& key)
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
    return trimBlanks(text);
}

void StoredValue::write(QSettings& settings, const QString& key, const QString& text)
{
    settings.setValue(key, trimBlanks(text));
}

bool StoredValue::flush(QSettings& settings)
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

}  // namespace dfm
