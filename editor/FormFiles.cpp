// Reading and writing the files of one form.
#include "FormFiles.h"

#include "AtomicFile.h"
#include "BinaryToText.h"
#include "Errors.h"
#include "FileStream.h"
#include "MemoryStream.h"
#include "PosixFile.h"
#include "TextToBinary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <unistd.h>

namespace dfm::FormFiles {

namespace {

std::string nativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// Temporary files beside their targets are ".quendfmed-XXXXXX".
constexpr std::string_view TempPrefix = "quendfmed";

void writeAll(AtomicFile& file, const QByteArray& bytes)
{
    file.write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

// One generation of backup: the old backup goes, the file takes its name. Both steps may fail
// (no such file) without harm.
void moveAside(const QString& path, const QString& backupPath)
{
    QFile::remove(backupPath);
    QFile::rename(path, backupPath);
}

// Rewrites an existing file in place (same file, same permissions and links) and cuts it to the
// new length. Room is reserved first, so that a full disk fails before a byte changes.
void writeInPlace(const QString& path, const QByteArray& bytes)
{
    const std::string native = nativePath(path);
    if (QFileInfo(path).isDir())
        throw FileOpenError(native);
    PosixFile file = PosixFile::open(native, O_WRONLY | O_CLOEXEC);
    if (!file.isOpen())
        throw FileOpenError(native);
    const std::int64_t oldSize = file.seek(0, SEEK_END);
    if (bytes.size() > oldSize && !file.reserve(bytes.size()) && errno != EOPNOTSUPP && errno != EINVAL) {
        // Should the old length not come back, the content itself is still untouched.
        file.truncate(oldSize);
        throw WriteError(msg::StreamWriteFailed);
    }
    const auto size = static_cast<std::size_t>(bytes.size());
    if (file.writeFullyAt(bytes.constData(), size, 0) != size || !file.truncate(bytes.size()) || !file.close())
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
    std::optional<AtomicFile> unit;
    if (writeUnit)
        writeAll(unit.emplace(nativePath(unitPath), TempPrefix), PageText::encode(texts.unitText, texts.unitFormat));
    if (backup) {
        AtomicFile form(nativePath(texts.formPath), TempPrefix);
        writeAll(form, resource);
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
    AtomicFile form(nativePath(texts.formPath), TempPrefix);
    writeAll(form, resource);
    std::optional<AtomicFile> unit;
    if (!texts.unitText.isEmpty())
        writeAll(unit.emplace(nativePath(withExtension(texts.formPath, QStringLiteral(".PAS"))), TempPrefix),
                 PageText::encode(texts.unitText, texts.unitFormat));
    form.commit();
    if (unit)
        unit->commit();
}

}  // namespace dfm::FormFiles
