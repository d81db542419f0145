// Reading and writing the files of one form.
#include "FormFiles.h"

#include "AtomicFile.h"
#include "BinaryToText.h"
#include "BoundedMemoryStream.h"
#include "Errors.h"
#include "FileStream.h"
#include "FormFileKind.h"
#include "FormFileNames.h"
#include "MemoryStream.h"
#include "PosixFile.h"
#include "TextToBinary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace dfm::FormFiles {

namespace {

std::string nativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

void writeAll(AtomicFile& file, const QByteArray& bytes)
{
    file.write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

// An existing file to be rewritten in place (same file, same permissions and links), cut to the
// length of its new content.
struct InPlaceTarget {
    QString path;
    const QByteArray* bytes;
    // The save would create or replace the file here: a file that cannot be opened is one that
    // could not be created.
    bool replaces;
};

// Opens every target and reserves room for its new content before a byte changes, so that a
// missing or read-only file or a full disk leaves all of them as they were; then writes them.
void writeInPlace(const std::vector<InPlaceTarget>& targets)
{
    struct Opened {
        PosixFile file;
        std::int64_t oldSize;
        const QByteArray* bytes;
    };
    std::vector<Opened> opened;
    // Should an old length not come back, the content itself is still untouched.
    const auto undoReservations = [&opened] {
        for (Opened& done : opened)
            done.file.truncate(done.oldSize);
    };
    for (const InPlaceTarget& target : targets) {
        const std::string native = nativePath(target.path);
        PosixFile file;
        int error = EISDIR;
        if (!QFileInfo(target.path).isDir()) {
            file = PosixFile::open(native, O_WRONLY | O_CLOEXEC);
            error = errno;
        }
        if (!file.isOpen()) {
            undoReservations();
            // Only files already there are written in place: a missing one needed a folder
            // that takes new files.
            if (target.replaces)
                throw FileCreateError(native, error == ENOENT ? EACCES : error);
            throw FileOpenError(native, error);
        }
        const std::int64_t oldSize = file.seek(0, SEEK_END);
        opened.push_back({std::move(file), oldSize, target.bytes});
        const qsizetype size = target.bytes->size();
        if (size > oldSize && !opened.back().file.reserve(size) && errno != EOPNOTSUPP && errno != EINVAL) {
            undoReservations();
            throw WriteError(msg::StreamWriteFailed, errno);
        }
    }
    for (Opened& done : opened) {
        const auto size = static_cast<std::size_t>(done.bytes->size());
        if (done.file.writeFullyAt(done.bytes->constData(), size, 0) != size || !done.file.truncate(done.bytes->size())
            || !done.file.close())
            throw WriteError(msg::StreamWriteFailed, errno);
    }
}

// A file there that this user may not write is refused before anything is written, so that a
// read-only lock holds whether the save replaces files or rewrites them.
void refuseReadOnly(const QString& path)
{
    if (const int refusal = writeRefusal(path))
        throw FileOpenError(nativePath(path), refusal);
}

// Whether files can be created in the file's folder, as the temporary files of a save are.
bool folderTakesNewFiles(const QString& path)
{
    const std::string folder = nativePath(QFileInfo(path).absolutePath());
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

// The refusal of a file whose text does not fit in a page; without a count, it was not all read.
FormError tooLong(const QString& path, std::optional<qsizetype> count = std::nullopt)
{
    const QString holds = count ? QString::number(*count) : QStringLiteral("more than %1").arg(PageCapacity);
    return FormError(QStringLiteral("%1 holds %2 characters of text; an editor page holds at most %3, "
                                    "so the file is not opened")
                         .arg(path, holds)
                         .arg(PageCapacity)
                         .toStdString());
}

void checkCapacity(const QString& text, const QString& path)
{
    const qsizetype count = PageText::characterCount(text);
    if (count > PageCapacity)
        throw tooLong(path, count);
}

// A character of a file read into a page takes at most three bytes (UTF-8): a larger file is
// refused without being read.
constexpr qint64 MostFileBytes = 3 * static_cast<qint64>(PageCapacity);

// A character of form text takes at most two bytes in any code page a form may be in, so text
// beyond this many bytes cannot fit in a page whatever it decodes to.
constexpr std::size_t PageCapacityBytes = 2 * static_cast<std::size_t>(PageCapacity);

TextEncoding encodingOf(const TextFormat& format)
{
    return format.encoding == TextFormat::Encoding::Utf8 ? TextEncoding::Utf8 : TextEncoding::CodePage;
}

// The new files are written without a name until they are complete, so that a save cut short
// while writing leaves nothing behind.
constexpr AtomicFile::Options NewFileOptions{.unnamed = true};

// Temporary files of a save are ".NAME.quendfmed-XXXXXX" beside the file NAME they replace, so
// that one left by a crash can be told apart and removed later.
std::string tempPrefixFor(const QString& path)
{
    return QFile::encodeName(QFileInfo(path).fileName() + QStringLiteral(".quendfmed")).toStdString();
}

// Removes the temporary files that an interrupted save of path left behind.
void removeLeftovers(const QString& path)
{
    const QFileInfo info(path);
    const QString pattern = QStringLiteral("^\\.%1\\.quendfmed-[A-Za-z0-9]{6}$")
                                .arg(QRegularExpression::escape(info.fileName()));
    const QRegularExpression leftover(pattern);
    const QDir folder = info.dir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (leftover.match(name).hasMatch())
            PosixFile::systemCalls().unlink(nativePath(folder.filePath(name)).c_str());
    }
}

// The renames reach the disk only with their folder.
void syncFolderOf(const QString& path)
{
    PosixFile folder = PosixFile::open(nativePath(QFileInfo(path).absolutePath()), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder.isOpen() && !folder.sync() && errno != EINVAL)
        throw WriteError(msg::StreamWriteFailed, errno);
}

// The form text of a binary form file, stopped as soon as it outgrows a page; long strings are cut
// between the double-byte characters of the page.
std::string binaryFormText(const QString& formPath, FormFileKind kind, const CodePage& codePage)
{
    BoundedMemoryStream text(PageCapacityBytes);
    try {
        FileStream input(nativePath(formPath), FileStream::Mode::OpenRead);
        if (kind == FormFileKind::Stream)
            binaryToText(input, text, codePage);
        else
            resourceToText(input, text, {}, codePage);
    } catch (const BoundedMemoryStream::Overflow&) {
        throw tooLong(formPath);
    }
    return std::string(text.view());
}

// The bytes of a text form file.
std::string textFormBytes(const QString& formPath)
{
    if (QFileInfo(formPath).size() > MostFileBytes)
        throw tooLong(formPath);
    FileStream input(nativePath(formPath), FileStream::Mode::OpenRead);
    MemoryStream bytes;
    bytes.copyFrom(input);
    return std::string(bytes.view());
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

int writeRefusal(const QString& path)
{
    if (::faccessat(AT_FDCWD, nativePath(path).c_str(), W_OK, AT_EACCESS) == 0 || errno == ENOENT)
        return 0;
    return errno;
}

std::optional<QString> foundUnitFile(const QString& formPath)
{
    // The rule dfmlint finds units by.
    if (const std::optional<std::string> found = findUnitFile(nativePath(formPath)))
        return QFile::decodeName(QByteArray::fromStdString(*found));
    return std::nullopt;
}

QString unitFileName(const QString& formPath)
{
    if (formPath.isEmpty())
        return {};
    return foundUnitFile(formPath).value_or(withExtension(formPath, QStringLiteral(".PAS")));
}

QString unitFileLookedFor(const QString& formPath)
{
    return QFile::decodeName(QByteArray::fromStdString(dfm::unitFileLookedFor(nativePath(formPath))));
}

Loaded load(const QString& formPath, const CodePageRequest& request)
{
    if (QFileInfo(formPath).isDir())
        throw FileOpenError(nativePath(formPath), EISDIR);
    removeLeftovers(formPath);
    Loaded loaded;
    // A file of no known kind goes the binary way, which names what is wrong with it.
    const FormFileKind kind = formFileKindOfFile(nativePath(formPath).c_str());
    loaded.formFormat.kind = kind == FormFileKind::Unknown ? FormFileKind::Resource : kind;
    const CodePage& firstPage = request.chosen != 0 ? CodePage::forNumber(request.chosen) : CodePage::system();
    std::string formBytes = kind == FormFileKind::Text
        ? textFormBytes(formPath)
        : binaryFormText(formPath, loaded.formFormat.kind, firstPage);

    const QString unitPath = unitFileName(formPath);
    removeLeftovers(unitPath);
    removeLeftovers(backupFileName(formPath));
    removeLeftovers(withExtension(unitPath, QStringLiteral(".P$$")));
    const QFileInfo unitInfo(unitPath);
    QByteArray unitBytes;
    if (unitInfo.exists() || unitInfo.isSymLink()) {
        if (unitInfo.isFile() && unitInfo.size() > MostFileBytes)
            throw tooLong(unitPath);
        QFile unit(unitPath);
        loaded.unitUnreadable = true;
        if (unitInfo.isFile() && unit.open(QIODevice::ReadOnly)) {
            unitBytes = unit.readAll();
            loaded.unitUnreadable = unit.error() != QFileDevice::NoError;
        }
    }
    const std::string_view unitView(unitBytes.constData(), static_cast<std::size_t>(unitBytes.size()));

    loaded.codePage = request.chosen != 0 ? CodePageChoice{request.chosen, CodePageChoice::Source::Chosen}
                                          : CodePageGuess::guess(formBytes, unitView, request.fallback);
    loaded.formFormat.text.codePage = loaded.codePage.number;
    const CodePage& page = CodePage::forNumber(loaded.codePage.number);
    if (kind != FormFileKind::Text && page.hasLeadBytes() && &page != &firstPage)
        formBytes = binaryFormText(formPath, loaded.formFormat.kind, page);
    if (kind == FormFileKind::Text)
        loaded.formText = PageText::decode(formBytes, &loaded.formFormat.text);
    else
        loaded.formText = PageText::decodeAs(formBytes, loaded.formFormat.text);
    checkCapacity(loaded.formText, formPath);
    if (!loaded.unitUnreadable) {
        loaded.unitFormat.codePage = loaded.codePage.number;
        loaded.unitText = PageText::decode(unitView, &loaded.unitFormat);
        checkCapacity(loaded.unitText, unitPath);
    }
    return loaded;
}

QByteArray convertFormText(const QString& formText)
{
    return formFileBytes(formText, FormFormat{});
}

QByteArray formFileBytes(const QString& formText, const FormFormat& format)
{
    if (format.kind == FormFileKind::Text) {
        // The text is written as it stands, once it is known to read back as a form.
        const QByteArray bytes = PageText::encode(formText, format.text);
        MemoryStream input(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        MemoryStream binary;
        textToBinary(input, binary, encodingOf(format.text), &CodePage::forNumber(format.text.codePage));
        return bytes;
    }
    // Characters the code page cannot hold (typed, or from a UTF-8 text form) go through UTF-8,
    // which makes the strings that hold them wide, rather than turning them into "?".
    TextFormat textFormat = PageText::formFormat();
    textFormat.codePage = format.text.codePage;
    if (!PageText::fitsBytes(formText, textFormat.codePage))
        textFormat.encoding = TextFormat::Encoding::Utf8;
    const QByteArray bytes = PageText::encode(formText, textFormat);
    MemoryStream input(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    MemoryStream output;
    if (format.kind == FormFileKind::Stream)
        textToBinary(input, output, encodingOf(textFormat), &CodePage::forNumber(textFormat.codePage));
    else
        textToResource(input, output, encodingOf(textFormat), &CodePage::forNumber(textFormat.codePage));
    return QByteArray(output.view().data(), static_cast<qsizetype>(output.view().size()));
}

QString backupFileName(const QString& formPath)
{
    return QFile::decodeName(QByteArray::fromStdString(dfm::backupFileName(nativePath(formPath))));
}

void save(const Texts& texts, bool backup, bool writeUnit)
{
    const QByteArray resource = formFileBytes(texts.formText, texts.formFormat);
    const QString unitPath = unitFileName(texts.formPath);
    const QByteArray unitBytes = writeUnit ? PageText::encode(texts.unitText, texts.unitFormat) : QByteArray();
    refuseReadOnly(texts.formPath);
    if (writeUnit)
        refuseReadOnly(unitPath);
    if (!folderTakesNewFiles(texts.formPath)) {
        // A shared folder, or a project folder of another user with its files granted to this
        // one: no temporary file and no backup can be made there, but the files can be rewritten.
        std::vector<InPlaceTarget> targets{{texts.formPath, &resource, backup}};
        if (writeUnit)
            targets.push_back({unitPath, &unitBytes, true});
        writeInPlace(targets);
        return;
    }
    const QString formBackup = backupFileName(texts.formPath);
    const QString unitBackup = withExtension(unitPath, QStringLiteral(".P$$"));
    for (const QString& path : {texts.formPath, unitPath, formBackup, unitBackup})
        removeLeftovers(path);
    // Both new files are complete before an old one is touched; then each old file gets its
    // backup name besides its own, and only then does the new one take the name. A backup that
    // cannot be made does not stop the save.
    std::optional<AtomicFile> unit;
    if (writeUnit)
        writeAll(unit.emplace(nativePath(unitPath), tempPrefixFor(unitPath), NewFileOptions), unitBytes);
    if (backup) {
        AtomicFile form(nativePath(texts.formPath), tempPrefixFor(texts.formPath), NewFileOptions);
        writeAll(form, resource);
        keepAsBackup(nativePath(texts.formPath), nativePath(formBackup), tempPrefixFor(formBackup));
        if (writeUnit)
            keepAsBackup(nativePath(unitPath), nativePath(unitBackup), tempPrefixFor(unitBackup));
        form.commit();
    } else {
        writeInPlace({{texts.formPath, &resource, false}});
    }
    if (unit)
        unit->commit();
    syncFolderOf(texts.formPath);
}

void saveAs(const Texts& texts)
{
    const QByteArray resource = formFileBytes(texts.formText, texts.formFormat);
    const QString unitPath = withExtension(texts.formPath, QStringLiteral(".PAS"));
    const QByteArray unitBytes = PageText::encode(texts.unitText, texts.unitFormat);
    refuseReadOnly(texts.formPath);
    if (!texts.unitText.isEmpty())
        refuseReadOnly(unitPath);
    if (!folderTakesNewFiles(texts.formPath)) {
        // As in a save: the files already there are rewritten in place.
        std::vector<InPlaceTarget> targets{{texts.formPath, &resource, true}};
        if (!texts.unitText.isEmpty())
            targets.push_back({unitPath, &unitBytes, true});
        writeInPlace(targets);
        return;
    }
    removeLeftovers(texts.formPath);
    removeLeftovers(unitPath);
    AtomicFile form(nativePath(texts.formPath), tempPrefixFor(texts.formPath), NewFileOptions);
    writeAll(form, resource);
    std::optional<AtomicFile> unit;
    if (!texts.unitText.isEmpty())
        writeAll(unit.emplace(nativePath(unitPath), tempPrefixFor(unitPath), NewFileOptions), unitBytes);
    form.commit();
    if (unit)
        unit->commit();
    syncFolderOf(texts.formPath);
}

}  // namespace dfm::FormFiles
