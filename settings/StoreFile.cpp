// The path of a settings store and its opening.
#include "StoreFile.h"

#include <QStandardPaths>

namespace dfm {

QString StoreFile::path() const
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' + QLatin1StringView(folder)
        + u'/' + QLatin1StringView(fileName);
}

std::unique_ptr<QSettings> StoreFile::open() const
{
    return std::make_unique<QSettings>(path(), format);
}

}  // namespace dfm
