// Reading and writing the files of one form.
#include "FormFiles.h"

#include "Errors.h"
#include "FormFileKind.h"
#include "FormFileNames.h"
#include "FormSource.h"
#include "MemoryStream.h"
#include "SaveTransaction.h"
#include "TextToBinary.h"
#include "UnitFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace dfm::FormFiles {

namespace {

std::string nativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

fs::path pathOf(const QString& path)
{
    return fs::path(nativePath(path));
}

QString qtPath(const fs::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

std::string_view bytesOf(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
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

// The form text of a form file: binary forms converted (long strings cut between the
// double-byte characters of the page), text forms as their bytes; refused as soon as it outgrows
// a page.
FormText formTextOf(const QString& formPath, const CodePage& page)
{
    try {
        return readFormText(nativePath(formPath), page, {static_cast<std::size_t>(MostFileBytes), PageCapacityBytes});
    } catch (const FormTextLimits::Overflow&) {
        throw tooLong(formPath);
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

int writeRefusal(const QString& path)
{
    if (::faccessat(AT_FDCWD, nativePath(path).c_str(), W_OK, AT_EACCESS) == 0 || errno == ENOENT)
        return 0;
    return errno;
}

std::optional<QString> foundUnitFile(const QString& formPath)
{
    // The rule dfmlint finds units by.
    if (const std::optional<fs::path> found = findUnitFile(pathOf(formPath)))
        return qtPath(*found);
    return std::nullopt;
}

QString unitFileName(const QString& formPath)
{
    if (formPath.isEmpty())
        return {};
    const fs::path path = pathOf(formPath);
    return qtPath(unitFileOf(path, FolderListing::of(path.parent_path())));
}

QString unitFileLookedFor(const QString& formPath)
{
    return qtPath(dfm::unitFileLookedFor(pathOf(formPath)));
}

Loaded load(const QString& formPath, const CodePageRequest& request)
{
    if (QFileInfo(formPath).isDir())
        throw FileOpenError(nativePath(formPath), EISDIR);
    // The folder is listed once: for the unit and for what an interrupted save left there.
    const fs::path path = pathOf(formPath);
    const FolderListing listing = FolderListing::of(path.parent_path());
    const fs::path unitFile = unitFileOf(path, listing);
    const std::vector<fs::path> saved{path, unitFile, dfm::backupFileName(path.string()), dfm::backupFileName(unitFile.string())};
    SaveTransaction::removeLeftovers(saved, listing.names);

    Loaded loaded;
    const CodePage& firstPage = request.chosen != 0 ? CodePage::forNumber(request.chosen) : CodePage::system();
    FormText form = formTextOf(formPath, firstPage);
    loaded.formFormat.kind = form.kind;
    const bool textForm = form.kind == FormFileKind::Text;

    const QString unitPath = qtPath(unitFile);
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
    const std::string_view unitView = bytesOf(unitBytes);

    loaded.codePage = request.chosen != 0 ? CodePageChoice{request.chosen, CodePageChoice::Source::Chosen}
                                          : CodePageGuess::guess(form.bytes, unitView, request.fallback);
    loaded.formFormat.text.codePage = loaded.codePage.number;
    const CodePage& page = CodePage::forNumber(loaded.codePage.number);
    if (!textForm && page.hasLeadBytes() && &page != &firstPage)
        form = formTextOf(formPath, page);
    if (textForm)
        loaded.formText = PageText::decode(form.bytes, &loaded.formFormat.text);
    else
        loaded.formText = PageText::decodeAs(form.bytes, loaded.formFormat.text);
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

namespace {

// The bytes the text is read from, and how they are encoded.
struct EncodedFormText {
    QByteArray bytes;
    TextFormat format;
};

EncodedFormText encodeFormText(const QString& formText, const FormFormat& format)
{
    // A text form is read and written in its own encoding.
    if (format.kind == FormFileKind::Text)
        return {PageText::encode(formText, format.text), format.text};
    // Characters the code page cannot hold (typed, or from a UTF-8 text form) go through UTF-8,
    // which makes the strings that hold them wide, rather than turning them into "?".
    TextFormat textFormat = PageText::formFormat();
    textFormat.codePage = format.text.codePage;
    if (!PageText::fitsBytes(formText, textFormat.codePage))
        textFormat.encoding = TextFormat::Encoding::Utf8;
    return {PageText::encode(formText, textFormat), textFormat};
}

}  // namespace

QByteArray formFileBytes(const QString& formText, const FormFormat& format)
{
    const EncodedFormText text = encodeFormText(formText, format);
    MemoryStream input(bytesOf(text.bytes));
    const CodePage* page = &CodePage::forNumber(text.format.codePage);
    if (format.kind == FormFileKind::Text) {
        // The text is written as it stands, once it is known to read back as a form.
        MemoryStream binary;
        textToBinary(input, binary, encodingOf(text.format), page);
        return text.bytes;
    }
    MemoryStream output;
    if (format.kind == FormFileKind::Stream)
        textToBinary(input, output, encodingOf(text.format), page);
    else
        textToResource(input, output, encodingOf(text.format), page);
    return QByteArray(output.view().data(), static_cast<qsizetype>(output.view().size()));
}

FormModel readFormModel(const QString& formText, const FormFormat& format)
{
    const EncodedFormText text = encodeFormText(formText, format);
    MemoryStream input(bytesOf(text.bytes));
    return FormModel::readText(input, encodingOf(text.format), &CodePage::forNumber(text.format.codePage));
}

QString backupFileName(const QString& formPath)
{
    return qtPath(dfm::backupFileName(nativePath(formPath)));
}

void save(const Texts& texts, bool backup, bool writeUnit, const QString& foundUnit)
{
    const QByteArray form = formFileBytes(texts.formText, texts.formFormat);
    const QByteArray unitBytes = writeUnit ? PageText::encode(texts.unitText, texts.unitFormat) : QByteArray();
    const QString unitPath = foundUnit.isEmpty() ? unitFileName(texts.formPath) : foundUnit;
    // Without backups the form file is rewritten in place: the same file, its links kept.
    std::vector<SaveTransaction::File> files{{pathOf(texts.formPath), bytesOf(form), backup, !backup}};
    if (writeUnit)
        files.push_back({pathOf(unitPath), bytesOf(unitBytes), backup});
    SaveTransaction(std::move(files), {}).run();
}

void saveAs(const Texts& texts)
{
    const QByteArray form = formFileBytes(texts.formText, texts.formFormat);
    const QByteArray unitBytes = PageText::encode(texts.unitText, texts.unitFormat);
    std::vector<SaveTransaction::File> files{{pathOf(texts.formPath), bytesOf(form)}};
    if (!texts.unitText.isEmpty())
        files.push_back({pathOf(withExtension(texts.formPath, QStringLiteral(".PAS"))), bytesOf(unitBytes)});
    SaveTransaction(std::move(files), {}).run();
}

}  // namespace dfm::FormFiles
