// Answers the grep window's questions about a file from the file system alone, the way the desktop would.
#include "ShellFileInfo.h"

#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>

#include <sys/stat.h>
#include <unistd.h>

namespace dfm {

namespace {

constexpr qsizetype MaxDisplayName = 260;
constexpr qsizetype MaxTypeName = 80;

struct AttributeName {
    quint32 bit;
    QLatin1String text;
};

// The order is the one the information panel has always printed.
constexpr AttributeName AbilityNames[] = {
    {ShellFileInfo::CanCopy, QLatin1String(" Cpy")},
    {ShellFileInfo::CanDelete, QLatin1String(" Del")},
    {ShellFileInfo::CanLink, QLatin1String(" Lnk")},
    {ShellFileInfo::CanMove, QLatin1String(" Mov")},
    {ShellFileInfo::CanRename, QLatin1String(" Ren")},
    {ShellFileInfo::DropTarget, QLatin1String(" Drop")},
};

constexpr AttributeName StateNames[] = {
    {ShellFileInfo::Link, QLatin1String(" Lnk")},
    {ShellFileInfo::ReadOnly, QLatin1String(" RO")},
    {ShellFileInfo::Shared, QLatin1String(" Shared")},
};

// Cuts text to at most limit characters without leaving half a surrogate pair behind.
QString limited(const QString& text, qsizetype limit)
{
    if (text.size() <= limit)
        return text;
    qsizetype end = limit;
    if (text.at(end - 1).isHighSurrogate())
        --end;
    return text.left(end);
}

// A trailing separator or a final "." or ".." names a directory through whatever links lead to it,
// so its real path is used; otherwise the name would be empty and the "parent" would be the
// directory itself. Empty when there is no such directory.
QString shellItemPath(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
        return QFileInfo(path).canonicalFilePath();
    return path;
}

// In a sticky folder such as /tmp only the entry's owner, the folder's owner or root may remove
// or rename the entry. When either cannot be looked at, the answer is "forbidden" so no bit is guessed.
bool stickyFolderForbids(const QByteArray& entry, const QByteArray& folder)
{
    struct stat folderStat {};
    struct stat entryStat {};
    if (::stat(folder.constData(), &folderStat) != 0 || ::lstat(entry.constData(), &entryStat) != 0)
        return true;
    if ((folderStat.st_mode & S_ISVTX) == 0)
        return false;
    const uid_t me = ::geteuid();
    return me != 0 && me != folderStat.st_uid && me != entryStat.st_uid;
}

// The binary and the text form type of the installed type definitions.
bool isInstalledFormType(const QMimeType& type)
{
    return type.name() == QStringLiteral("application/x-quen-dfm") || type.name() == QStringLiteral("text/x-quen-dfm");
}

quint32 attributesOf(const QFileInfo& item, const QByteArray& nativePath, bool isLink)
{
    quint32 bits = ShellFileInfo::HasPropertySheet | ShellFileInfo::CanLink;
    if (isLink)
        bits |= ShellFileInfo::Link;

    // What can be done with the contents follows a link to its target; a dangling link has no
    // contents, so these bits stay clear for it.
    struct stat target {};
    if (::stat(nativePath.constData(), &target) == 0) {
        const bool regular = S_ISREG(target.st_mode);
        const bool searchableDir = S_ISDIR(target.st_mode) && item.isExecutable();
        if (item.isReadable() && (regular || searchableDir))
            bits |= ShellFileInfo::CanCopy;
        if ((searchableDir && item.isWritable()) || (regular && item.isExecutable()))
            bits |= ShellFileInfo::DropTarget;
        if (!item.isWritable())
            bits |= ShellFileInfo::ReadOnly;
    }

    // Removing, moving or renaming changes the folder that holds the entry (for a link, the
    // link's own folder), which needs write and search permission there.
    const QFileInfo folder(item.absolutePath());
    if (!item.isRoot() && folder.isWritable() && folder.isExecutable()
        && !stickyFolderForbids(nativePath, QFile::encodeName(folder.absoluteFilePath()))) {
        bits |= ShellFileInfo::CanDelete | ShellFileInfo::CanMove | ShellFileInfo::CanRename;
    }
    return bits;
}

} // namespace

ShellFileInfo ShellFileInfo::get(const QString& path)
{
    ShellFileInfo info;
    // A name holding NUL would reach the file system cut short, naming some other file.
    if (path.isEmpty() || path.contains(QChar(0)))
        return info;
    const QString itemPath = shellItemPath(path);
    if (itemPath.isEmpty())
        return info;

    const QByteArray nativePath = QFile::encodeName(itemPath);
    struct stat entry {};
    if (::lstat(nativePath.constData(), &entry) != 0)
        return info;
    const bool isLink = S_ISLNK(entry.st_mode);
    const QFileInfo item(itemPath);

    QString name = item.fileName();
    if (name.isEmpty())
        name = item.absoluteFilePath(); // only the root has no name of its own
    info.displayName = limited(name, MaxDisplayName);

    const QMimeDatabase mimes;
    QMimeType type;
    // A dangling link has nothing to look into, so it is called what it is.
    if (isLink && !item.exists())
        type = mimes.mimeTypeForName(QStringLiteral("inode/symlink"));
    if (!type.isValid())
        type = mimes.mimeTypeForFile(item);
    // Without the form types this program installs, the desktop's type list does not know form
    // files, and sniffing misreads a binary form's resource header as an image.
    if (isInstalledFormType(type))
        info.typeName = limited(type.comment(), MaxTypeName);
    else if (item.isFile() && item.suffix().compare(QStringLiteral("dfm"), Qt::CaseInsensitive) == 0)
        info.typeName = QStringLiteral("Delphi form file");
    else
        info.typeName = limited(type.comment(), MaxTypeName);

    info.icon = QFileIconProvider().icon(item);
    info.attributes = attributesOf(item, nativePath, isLink);
    return info;
}

QString ShellFileInfo::attributeSummary(quint32 attributes)
{
    QString summary = QStringLiteral("Can: [");
    for (const AttributeName& name : AbilityNames) {
        if (attributes & name.bit)
            summary += name.text;
    }
    summary += QStringLiteral("] Is: [");
    for (const AttributeName& name : StateNames) {
        if (attributes & name.bit)
            summary += name.text;
    }
    summary += QLatin1Char(']');
    return summary;
}

} // namespace dfm
