// The grep window's options and box histories, kept per user in QUENDFMED/GREP.conf under the
// XDG config folder; every value is a string.
#pragma once

#include <QSettings>
#include <QStringList>

namespace dfm {

class GrepSettings {
public:
    struct History {
        QStringList items;
        QString text;
    };

    static constexpr const char* CaseSensitive = "CaseSensitive";
    static constexpr const char* SubDirs = "SubDirs";
    static constexpr const char* KeepList = "KeepList";
    static constexpr const char* SortList = "SortList";
    static constexpr const char* Directory = "Directory";
    static constexpr const char* Expression = "Expression";
    static constexpr const char* Mask = "Mask";

    // Opens the store, creating its (empty) file when there is none yet.
    GrepSettings();

    // A yes/no option: any non-zero number is yes; a missing value or one that is no number
    // gives fallback.
    bool flag(const char* name, bool fallback) const;
    void setFlag(const char* name, bool on);
    // The items are the values "000" up to the count less one, looked up by name; the last value
    // is the box's text. Empty values are not counted.
    History readHistory(const char* group);
    // Replaces the group: the items under "000", "001", ..., then the text under the item count.
    void writeHistory(const char* group, const History& history);
    // Writes everything to the file; false when it could not be written.
    bool flush();
    QString fileName() const { return settings_.fileName(); }

    static QString valueName(int index);

private:
    QSettings settings_;
};

}  // namespace dfm
