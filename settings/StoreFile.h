// Where one settings store lives, a file under the XDG config folder, and the one way a store is
// opened.
#pragma once

#include <QSettings>
#include <QString>

#include <memory>

namespace dfm {

struct StoreFile {
    const char* folder;
    const char* fileName;
    // The INI format cuts long values (StoredValue::IniFileLimit); the native one does not.
    QSettings::Format format;

    // The XDG config folder: $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config.
    // Empty when neither names an absolute folder: then no settings are kept, rather than
    // writing them under "/" or wherever the program was started.
    static QString configFolder();
    // Whether this run keeps its settings at all.
    static bool settingsKept() { return !configFolder().isEmpty(); }
    // Qt's own dialogs keep their state (the file dialog's recent folders, for one) in a store
    // of Qt's: puts it in the same folder as ours, by the same rules, so that it too writes
    // nothing when no settings are kept. The editor window calls it before it makes a dialog.
    static void placeQtStore();

    // Empty when no settings are kept.
    QString path() const;
    // The store is this one file: no system-wide or organisation-wide file is read with it.
    // Null when no settings are kept.
    std::unique_ptr<QSettings> open() const;
};

}  // namespace dfm
