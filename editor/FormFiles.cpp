// Reading and writing the files of one form.
#include "FormFiles.h"

#include "BinaryToText.h"
#include "Errors.h"
#include "FileStream.h"
#include "MemoryStream.h"
#include "TextToBinary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace dfm::FormFiles {

namespace {

std::string nativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// A file written beside its target and put in its place only by Commit. The target's own name
// is replaced, also when it is a symbolic link (the link is what a backup moves aside).
class PendingFile {
public:
    // The permissions are taken now, before a backup moves the old file aside.
    PendingFile(const QString& path, const QByteArray& bytes)
        : path_(path),
          permissions_(QFileInfo::exists(path) ? QFileInfo(path).permissions() : newFilePermissions()),
          file_(QFileInfo(path).absolutePath() + QStringLiteral("/.quendfmed-XXXXXX"))
    {
        if (!file_.open())
            throw FileCreateError(nativePath(path));
        if (file_.write(bytes) != bytes.size() || !file_.flush())
            throw WriteError(msg::StreamWriteFailed);
    }

    void commit()
    {
        file_.setPermissions(permissions_);
        file_.close();
        if (::rename(QFile::encodeName(file_.fileName()).constData(), QFile::encodeName(path_).constData()) != 0)
            throw FileCreateError(nativePath(path_));
        file_.setAutoRemove(false);
    }

private:
    // What creating the file would have given it: read and write for all, less the umask.
    static QFileDevice::Permissions newFilePermissions()
    {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        QFileDevice::Permissions permissions;
        const std::pair<mode_t, QFileDevice::Permissions> bits[] = {
            {S_IRUSR, QFileDevice::ReadOwner | QFileDevice::ReadUser},
            {S_IWUSR, QFileDevice::WriteOwner | QFileDevice::WriteUser},
            {S_IRGRP, QFileDevice::ReadGroup},
            {S_IWGRP, QFileDevice::WriteGroup},
            {S_IROTH, QFileDevice::ReadOther},
            {S_IWOTH, QFileDevice::WriteOther},
        };
        for (const auto& [bit, permission] : bits) {
            if ((mask & bit) == 0)
                permissions |= permission;
        }
        return permissions;
    }

    QString path_;
    QFileDevice::Permissions permissions_;
    QTemporaryFile file_;
};

// One generation of backup: the old backup goes, the file takes its name. Both steps may fail
// (no such file) without harm.
void moveAside(const QString& path, const QString& backupPath)
{
    QFile::remove(backupPath);
    QFile::rename(path, backupPath);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Rewrites an existing file in place (same file, same permissions and links) and cuts it to the
// new length. Room is reserved first, so that a full disk fails before a byte changes.
void writeInPlace(const QString& path, const QByteArray& bytes)
{
    const std::string native = nativePath(path);
    if (QFileInfo(path).isDir())
        throw FileOpenError(native);
    FileDescriptor file(::open(native.c_str(), O_WRONLY | O_CLOEXEC));
    if (file.get() < 0)
        throw FileOpenError(native);
    const off_t oldSize = ::lseek(file.get(), 0, SEEK_END);
    if (bytes.size() > oldSize) {
        const int failure = ::posix_fallocate(file.get(), 0, bytes.size());
        if (failure != 0 && failure != EOPNOTSUPP && failure != EINVAL) {
            if (::ftruncate(file.get(), oldSize) != 0) {
                // The old length could not be put back; the content itself was not touched.
            }
            throw WriteError(msg::StreamWriteFailed);
        }
    }
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(file.get(), bytes.constData() + done, bytes.size() - done, done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw WriteError(msg::StreamWriteFailed);
        done += n;
    }
    if (::ftruncate(file.get(), bytes.size()) != 0)
        throw WriteError(msg::StreamWriteFailed);
}

void checkCapacity(const QString& text, const QString& path)
{
    const qsizetype count = PageText::characterCount(text);
    if (count > PageCapacity) {
        throw FormError(QStringLiteral("%1 holds %2 characters of text; an editor page holds at most %3, "
                                        "so the file is not opened")
                             .arg(path)
                             .arg(count)
                             .arg(PageCapacity)
                             .toStdString());
    }
}

}  // namespace

QString extensionOf(const QString& path)
{
    const qsizetype nameStart = path.lastIndexOf(u'/') + 1;
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot >= nameStart ? path.mid(dot) : QString();
}

QString withExtension(const QString& path, const QString& extension)
{
    return path.left(path.size() - extensionOf(path).size()) + extension;
}

QString unitFileName(const QString& formPath)
{
    if (formPath.isEmpty())
        return {};
    const QString unit = withExtension(formPath, QStringLiteral(".PAS"));
    const QFileInfo info(unit);
    if (info.exists())
        return unit;
    // Units kept as ".pas" on a file system that tells case apart.
    const QString base = info.fileName().chopped(4);
    const QStringList names = info.dir().entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (name.size() == info.fileName().size() && name.startsWith(base)
            && name.endsWith(QStringLiteral(".pas"), Qt::CaseInsensitive))
            return withExtension(unit, name.right(4));
    }
    return unit;
}

Loaded load(const QString& formPath)
{
    const std::string native = nativePath(formPath);
    if (QFileInfo(formPath).isDir())
        throw FileOpenError(native);
    MemoryStream text;
    {
        FileStream input(native, FileStream::Mode::OpenRead);
        resourceToText(input, text);
    }
    Loaded loaded;
    loaded.formText = PageText::decodeAs(text.view(), PageText::formFormat());
    checkCapacity(loaded.formText, formPath);

    const QString unitPath = unitFileName(formPath);
    const QFileInfo unitInfo(unitPath);
    if (unitInfo.exists() || unitInfo.isSymLink()) {
        QFile unit(unitPath);
        if (unitInfo.isFile() && unit.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = unit.readAll();
            if (unit.error() == QFileDevice::NoError) {
                loaded.unitText = PageText::decode(std::string_view(bytes.constData(), bytes.size()),
                                                   &loaded.unitFormat);
                checkCapacity(loaded.unitText, unitPath);
                return loaded;
            }
        }
        loaded.unitUnreadable = true;
    }
    return loaded;
}

QByteArray convertFormText(const QString& formText)
{
    const QByteArray bytes = PageText::encode(formText, PageText::formFormat());
    MemoryStream input(std::string_view(bytes.constData(), bytes.size()));
    MemoryStream output;
    textToResource(input, output);
    return QByteArray(output.view().data(), static_cast<qsizetype>(output.view().size()));
}

void save(const Texts& texts, bool backup, bool writeUnit)
{
    const QByteArray resource = convertFormText(texts.formText);
    const QString unitPath = unitFileName(texts.formPath);
    std::optional<PendingFile> unit;
    if (writeUnit)
        unit.emplace(unitPath, PageText::encode(texts.unitText, texts.unitFormat));
    if (backup) {
        PendingFile form(texts.formPath, resource);
        moveAside(texts.formPath, withExtension(texts.formPath, QStringLiteral(".D$$")));
        if (writeUnit)
            moveAside(unitPath, withExtension(unitPath, QStringLiteral(".P$$")));
        form.commit();
    } else {
        writeInPlace(texts.formPath, resource);
    }
    if (unit)
        unit->commit();
}

void saveAs(const Texts& texts)
{
    const QByteArray resource = convertFormText(texts.formText);
    PendingFile form(texts.formPath, resource);
    std::optional<PendingFile> unit;
    if (!texts.unitText.isEmpty())
        unit.emplace(withExtension(texts.formPath, QStringLiteral(".PAS")),
                     PageText::encode(texts.unitText, texts.unitFormat));
    form.commit();
    if (unit)
        unit->commit();
}

}  // namespace dfm::FormFiles
