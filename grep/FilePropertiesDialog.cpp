// Gathers one file's details for the properties dialog and lays them out as selectable text.
#include "FilePropertiesDialog.h"

#include "ShellFileInfo.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <vector>

namespace dfm {

namespace {

// Keeps the busy cursor up while the file is looked at and takes it down however that ends.
class BusyCursor {
public:
    BusyCursor()
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyCursor()
    {
        QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Looks at the entry itself, not through a link. A name holding NUL would reach the file system
// cut short and name some other file, so it names nothing.
bool lookAtEntry(const QString& path, struct stat& entry)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    return ::lstat(QFile::encodeName(path).constData(), &entry) == 0;
}

// The account name for an id, with the id itself so that two accounts of one name can be told apart;
// just the id when the system has no name for it.
template <typename Id, typename Entry>
QString accountName(Id id, int (*lookup)(Id, Entry*, char*, size_t, Entry**), char* Entry::*nameField)
{
    std::vector<char> buffer(1024);
    Entry entry {};
    Entry* found = nullptr;
    int error = 0;
    // Some directory services need more than a kilobyte; a megabyte bounds the retries.
    while ((error = lookup(id, &entry, buffer.data(), buffer.size(), &found)) == ERANGE && buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    const QString number = QString::number(id);
    if (error != 0 || found == nullptr || found->*nameField == nullptr)
        return number;
    return QStringLiteral("%1 (%2)").arg(QString::fromLocal8Bit(found->*nameField), number);
}

QDateTime timeOf(const struct timespec& time)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(time.tv_sec) * 1000 + time.tv_nsec / 1000000);
}

QLabel* addRow(QWidget* dialog, QFormLayout* form, const QString& label, const QString& value, const QString& name)
{
    auto* valueLabel = new QLabel(value, dialog);
    valueLabel->setObjectName(name);
    // File names are not markup: "<b>" in a name must show as typed.
    valueLabel->setTextFormat(Qt::PlainText);
    valueLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    form->addRow(label, valueLabel);
    return valueLabel;
}

} // namespace

bool FilePropertiesDialog::showItemProperties(const QString& path, QWidget* owner)
{
    // A dangling link is still there to be described, so only the entry itself has to exist.
    struct stat entry {};
    if (!lookAtEntry(path, entry))
        return false;
    auto* dialog = new FilePropertiesDialog(path, owner);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return true;
}

QString FilePropertiesDialog::sizeText(qint64 bytes)
{
    QLocale locale;
    // The "C" locale leaves group separators out by default; a long byte count needs them.
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    const QString count = locale.toString(bytes);
    if (bytes == 1)
        return tr("%1 byte").arg(count);
    if (bytes < 1024)
        return tr("%1 bytes").arg(count);
    return tr("%1 bytes (%2)").arg(count, locale.formattedDataSize(bytes, 1, QLocale::DataSizeIecFormat));
}

QString FilePropertiesDialog::permissionText(quint32 mode)
{
    static constexpr char Letters[] = "rwxrwxrwx";
    QString text(9, QLatin1Char('-'));
    for (int column = 0; column < 9; ++column) {
        if (mode & (0400u >> column))
            text[column] = QLatin1Char(Letters[column]);
    }
    // Set-id and sticky bits share the execute column: lower case when execute is set as well.
    const struct {
        int column;
        quint32 bit;
        char letter;
    } specials[] = {{2, S_ISUID, 's'}, {5, S_ISGID, 's'}, {8, S_ISVTX, 't'}};
    for (const auto& special : specials) {
        if (mode & special.bit) {
            const bool executable = text[special.column] == QLatin1Char('x');
            text[special.column] = QLatin1Char(executable ? special.letter : char(special.letter - 'a' + 'A'));
        }
    }
    return text;
}

FilePropertiesDialog::FilePropertiesDialog(const QString& path, QWidget* parent) : QDialog(parent)
{
    const BusyCursor busy;
    setObjectName(QStringLiteral("FileProperties"));
    setAttribute(Qt::WA_DeleteOnClose);

    const ShellFileInfo shell = ShellFileInfo::get(path);
    const QFileInfo item(path);
    const QString unknown = tr("Unknown");

    // A link shows its target's details, which are what opening it gives; a dangling link, having
    // no target, shows its own.
    struct stat entry {};
    const bool present = lookAtEntry(path, entry);
    const bool isLink = present && S_ISLNK(entry.st_mode);
    struct stat shown = entry;
    bool targetPresent = present && !isLink;
    if (isLink) {
        struct stat target {};
        targetPresent = ::stat(QFile::encodeName(path).constData(), &target) == 0;
        if (targetPresent)
            shown = target;
    }

    QString name = shell.displayName;
    if (name.isEmpty())
        name = item.fileName().isEmpty() ? path : item.fileName();
    setWindowTitle(tr("Properties - %1").arg(name));

    auto* form = new QFormLayout;
    addRow(this, form, tr("Path:"), QDir::toNativeSeparators(item.absoluteFilePath()), QStringLiteral("PathValue"));
    addRow(this, form, tr("Type:"), shell.typeName.isEmpty() ? unknown : shell.typeName, QStringLiteral("TypeValue"));

    QString size = unknown;
    if (present)
        size = S_ISREG(shown.st_mode) ? sizeText(shown.st_size) : QStringLiteral("\u2014");
    addRow(this, form, tr("Size:"), size, QStringLiteral("SizeValue"));

    const QLocale locale;
    const auto dateText = [&](const QDateTime& time) {
        return time.isValid() ? locale.toString(time, QLocale::LongFormat) : unknown;
    };
    addRow(this, form, tr("Modified:"), dateText(present ? timeOf(shown.st_mtim) : QDateTime()),
           QStringLiteral("ModifiedValue"));
    // Only some file systems keep a creation time; the rest leave it unknown.
    addRow(this, form, tr("Created:"), dateText(targetPresent ? item.birthTime() : QDateTime()),
           QStringLiteral("CreatedValue"));
    addRow(this, form, tr("Last read:"), dateText(present ? timeOf(shown.st_atim) : QDateTime()),
           QStringLiteral("LastReadValue"));

    addRow(this, form, tr("Permissions:"), present ? permissionText(shown.st_mode) : unknown,
           QStringLiteral("PermissionsValue"));
    addRow(this, form, tr("Owner:"), present ? accountName(shown.st_uid, &::getpwuid_r, &passwd::pw_name) : unknown,
           QStringLiteral("OwnerValue"));
    addRow(this, form, tr("Group:"), present ? accountName(shown.st_gid, &::getgrgid_r, &group::gr_name) : unknown,
           QStringLiteral("GroupValue"));

    QString link = present ? tr("No") : unknown;
    if (isLink) {
        const QString target = QDir::toNativeSeparators(item.symLinkTarget());
        link = targetPresent ? tr("Yes, to %1").arg(target) : tr("Yes, to %1 (missing)").arg(target);
    }
    addRow(this, form, tr("Symbolic link:"), link, QStringLiteral("LinkValue"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName(QStringLiteral("Buttons"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

} // namespace dfm
