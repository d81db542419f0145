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

    QString path() const;
    // The store is this one file: no system-wide or organisation-wide file is read with it.
    std::unique_ptr<QSettings> open() const;
};

}  // namespace dfm
