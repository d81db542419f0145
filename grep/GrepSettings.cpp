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

bool GrepSettings::flag(const char* name, bool fallback) const
{
    bool number = false;
    const int value = settings_.value(OptionsGroup + u'/' + QLatin1String(name)).toString().trimmed().toInt(&number);
    return number ? value != 0 : fallback;
}

void GrepSettings::setFlag(const char* name, bool on)
{
    settings_.setValue(OptionsGroup + u'/' + QLatin1String(name), on ? QStringLiteral("1") : QStringLiteral("0"));
}

GrepSettings::History GrepSettings::readHistory(const char* group)
{
    settings_.beginGroup(QLatin1String(group));
    int count = 0;
    for (const QString& name : settings_.childKeys()) {
        if (!settings_.value(name).toString().isEmpty())
            ++count;
    }
    History history;
    for (int i = 0; i + 1 < count; ++i)
        history.items << settings_.value(valueName(i)).toString();
    history.text = count > 0 ? settings_.value(valueName(count - 1)).toString() : QString();
    settings_.endGroup();
    return history;
}

void GrepSettings::writeHistory(const char* group, const History& history)
{
    settings_.remove(QLatin1String(group));
    settings_.beginGroup(QLatin1String(group));
    for (int i = 0; i < history.items.size(); ++i)
        settings_.setValue(valueName(i), history.items[i]);
    settings_.setValue(valueName(static_cast<int>(history.items.size())), history.text);
    settings_.endGroup();
}

bool GrepSettings::flush()
{
    settings_.sync();
    return settings_.status() == QSettings::NoError;
}

QString GrepSettings::valueName(int index)
{
    return QStringLiteral("%1").arg(index, 3, 10, QLatin1Char('0'));
}

}  // namespace dfm
