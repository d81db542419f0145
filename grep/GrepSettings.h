// The grep window's options and box histories in their store (GrepStore: QUENDFMED/GREP.conf
// under the XDG config folder); every value is a string.
#pragma once

#include <QSettings>
#include <QStringList>

#include <memory>

namespace dfm {

class GrepSettings {
public:
    struct History {
        QStringList items;
        QString text;
    };

    // Opens the store. Its file is only made when something is written to it; without a store
    // (no home folder) every value reads as absent and nothing is written.
    GrepSettings();

    // A yes/no option of GrepStore::OptionsSection: any non-zero number is yes; a missing value
    // or one that is no number gives fallback.
    bool flag(const QString& name, bool fallback) const;
    void setFlag(const QString& name, bool on);
    bool hasFlag(const QString& name) const;
    // The items are the values "000" up to the count less one, looked up by name; the last value
    // is the box's text. Empty values are not counted.
    History readHistory(const QString& section);
    // Replaces the section: the items under "000", "001", ..., then the text under the item count.
    void writeHistory(const QString& section, const History& history);
    // Writes everything to the file; false when it could not be written. True without a store:
    // nothing was to be written.
    bool flush();
    QString fileName() const;

    static QString valueName(int index);

private:
    // Null when no settings are kept.
    std::unique_ptr<QSettings> settings_;
};

}  // namespace dfm
