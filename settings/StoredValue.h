// One value of a settings store read or written as text, the form every stored value takes.
#pragma once

#include <QSettings>
#include <QString>

#include <optional>

namespace dfm {

class StoredValue {
public:
    // The longest value the INI store hands back; longer ones are cut.
    static constexpr int IniFileLimit = 2047;

    // The text under key, without the characters 0 to 32 at either end,, or nothing when the store holds no value there or one that is
    // no text at all (a damaged entry). A value the INI reader split at its commas is joined again.
    static std::optional<QString> read(const QSettings& settings, const QString& key);
    static void write(QSettings& settings, const QString& key, const QString& text);
    // Writes everything out; false when the store could not be written.
    static bool flush(QSettings& settings);
};

}  // namespace dfm
