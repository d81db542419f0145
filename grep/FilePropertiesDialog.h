// The grep window's own properties dialog for one file: where it is, what it is and who may use it.
#pragma once

#include <QDialog>

namespace dfm {

class FilePropertiesDialog : public QDialog {
    Q_OBJECT
public:
    // Shows a modeless properties dialog for path owned by owner; false when there is nothing to show (file gone).
    static bool showItemProperties(const QString& path, QWidget* owner);
    // Byte count with the locale's thousands separators, and for 1 KiB or more a rounded figure too.
    static QString sizeText(qint64 bytes);
    // The nine permission letters of a mode as a directory listing prints them, set-id and sticky bits included.
    static QString permissionText(quint32 mode);

    // Looks the file up once, now; the dialog deletes itself when closed, so create it with new.
    explicit FilePropertiesDialog(const QString& path, QWidget* parent = nullptr);
};

} // namespace dfm
