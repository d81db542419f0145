#include "EditorSettings.h"

#include <QSettings>

namespace dfm {

namespace {

const QString Organisation = QStringLiteral("QuenDFMEd");
const QString Application = QStringLiteral("QuenDFMEd");
const QString CreateBackupKey = QStringLiteral("TForm1/CREATEBACKUP");

}  // namespace

bool EditorSettings::ReadCreateBackup()
{
    const QSettings store(QSettings::NativeFormat, QSettings::UserScope, Organisation, Application);
    return store.value(CreateBackupKey, QStringLiteral("1")).toString().trimmed() == QStringLiteral("1");
}

void EditorSettings::WriteCreateBackup(bool on)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, Organisation, Application);
    store.setValue(CreateBackupKey, on ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace dfm
