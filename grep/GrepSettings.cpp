#include "GrepSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace dfm {

namespace {

const QString OptionsGroup = QStringLiteral("Options");

}  // namespace

GrepSettings::GrepSettings()
    : settings_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("QUENDFMED"), QStringLiteral("GREP"))
{
    const QString path = settings_.fileName();
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile(path).open(QIODevice::WriteOnly);
    }
}

bool GrepSettings::Flag(const char* name, bool fallback) const
{
    bool number = false;
    const int value = settings_.value(OptionsGroup + u'/' + QLatin1String(name)).toString().trimmed().toInt(&number);
    return number ? value != 0 : fallback;
}

void GrepSettings::SetFlag(const char* name, bool on)
{
    settings_.setValue(OptionsGroup + u'/' + QLatin1String(name), on ? QStringLiteral("1") : QStringLiteral("0"));
}

GrepSettings::History GrepSettings::ReadHistory(const char* group)
{
    settings_.beginGroup(QLatin1String(group));
    int count = 0;
    for (const QString& name : settings_.childKeys()) {
        if (!settings_.value(name).toString().isEmpty())
            ++count;
    }
    History history;
    for (int i = 0; i + 1 < count; ++i)
        history.items << settings_.value(ValueName(i)).toString();
    history.text = count > 0 ? settings_.value(ValueName(count - 1)).toString() : QString();
    settings_.endGroup();
    return history;
}

void GrepSettings::WriteHistory(const char* group, const History& history)
{
    settings_.remove(QLatin1String(group));
    settings_.beginGroup(QLatin1String(group));
    for (int i = 0; i < history.items.size(); ++i)
        settings_.setValue(ValueName(i), history.items[i]);
    settings_.setValue(ValueName(static_cast<int>(history.items.size())), history.text);
    settings_.endGroup();
}

bool GrepSettings::Flush()
{
    settings_.sync();
    return settings_.status() == QSettings::NoError;
}

QString GrepSettings::ValueName(int index)
{
    return QStringLiteral("%1").arg(index, 3, 10, QLatin1Char('0'));
}

}  // namespace dfm
