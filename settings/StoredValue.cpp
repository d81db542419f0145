// Stored values as trimmed texts, and the check that a store was written.
#include "StoredValue.h"

#include <QFileInfo>
#include <QStringList>

namespace dfm {

QString StoredValue::Trimmed(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 32)
        ++first;
    while (last > first && text[last - 1].unicode() <= 32)
        --last;
    return text.mid(first, last - first);
}

std::optional<QString> StoredValue::Read(const QSettings& settings, const QString& key)
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
    return Trimmed(text);
}

void StoredValue::Write(QSettings& settings, const QString& key, const QString& text)
{
    settings.setValue(key, Trimmed(text));
}

bool StoredValue::Flush(QSettings& settings)
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
