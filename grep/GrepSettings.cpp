// The grep window's stored options and histories, read and written as every stored value is.
#include "GrepSettings.h"

#include "GrepStore.h"
#include "StoredValue.h"

namespace dfm {

namespace {

QString optionKey(const QString& name)
{
    return QString(GrepStore::OptionsSection) + u'/' + name;
}

}  // namespace

GrepSettings::GrepSettings()
    : settings_(GrepStore::File.open())
{
}

bool GrepSettings::flag(const QString& name, bool fallback) const
{
    if (!settings_)
        return fallback;
    bool number = false;
    const int value = StoredValue::read(*settings_, optionKey(name)).value_or(QString()).toInt(&number);
    return number ? value != 0 : fallback;
}

void GrepSettings::setFlag(const QString& name, bool on)
{
    if (!settings_)
        return;
    StoredValue::write(*settings_, optionKey(name), on ? QStringLiteral("1") : QStringLiteral("0"));
}

bool GrepSettings::hasFlag(const QString& name) const
{
    return settings_ && settings_->contains(optionKey(name));
}

GrepSettings::History GrepSettings::readHistory(const QString& section)
{
    if (!settings_)
        return {};
    const auto text = [&](const QString& name) {
        return StoredValue::read(*settings_, section + u'/' + name, GrepStore::Blanks).value_or(QString());
    };
    settings_->beginGroup(section);
    const QStringList names = settings_->childKeys();
    settings_->endGroup();
    int count = 0;
    for (const QString& name : names) {
        if (!text(name).isEmpty())
            ++count;
    }
    History history;
    for (int i = 0; i + 1 < count; ++i)
        history.items << text(valueName(i));
    history.text = count > 0 ? text(valueName(count - 1)) : QString();
    return history;
}

void GrepSettings::writeHistory(const QString& section, const History& history)
{
    if (!settings_)
        return;
    settings_->remove(section);
    const auto write = [&](int index, const QString& text) {
        StoredValue::write(*settings_, section + u'/' + valueName(index), text, GrepStore::Blanks);
    };
    for (int i = 0; i < history.items.size(); ++i)
        write(i, history.items[i]);
    write(static_cast<int>(history.items.size()), history.text);
}

bool GrepSettings::flush()
{
    return !settings_ || StoredValue::flush(*settings_);
}

QString GrepSettings::fileName() const
{
    return settings_ ? settings_->fileName() : QString();
}

QString GrepSettings::valueName(int index)
{
    return QStringLiteral("%1").arg(index, 3, 10, QLatin1Char('0'));
}

}  // namespace dfm
