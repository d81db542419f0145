// The XDG config folder the stores live in, the path of a settings store and its opening.
#include "StoreFile.h"

#include <QDir>

namespace dfm {

QString StoreFile::configFolder()
{
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG base directory rules say.
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (QDir::isAbsolutePath(configHome))
        return QDir::cleanPath(configHome);
    const QString home = qEnvironmentVariable("HOME");
    if (QDir::isAbsolutePath(home))
        return QDir::cleanPath(home + QStringLiteral("/.config"));
    return QString();
}

void StoreFile::placeQtStore()
{
    // No folder can be made below a file: Qt's store then reads as empty and is never written.
    const QString folder = configFolder();
    const QString folderPath = folder.isEmpty() ? QStringLiteral("/dev/null") : folder;
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, folderPath);
}

QString StoreFile::path() const
{
    const QString folderPath = configFolder();
    if (folderPath.isEmpty())
        return QString();
    return folderPath + u'/' + QLatin1StringView(folder) + u'/' + QLatin1StringView(fileName);
}

std::unique_ptr<QSettings> StoreFile::open() const
{
    const QString filePath = path();
    if (filePath.isEmpty())
        return nullptr;
    return std::make_unique<QSettings>(filePath, format);
}

}  // namespace dfm
