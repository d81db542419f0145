// The grep window's file information: attribute bits and their summary, and the properties dialog.
#include "ShellFileInfo.h"
#include "FilePropertiesDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using dfm::ShellFileInfo;
using dfm::FilePropertiesDialog;

namespace {

constexpr quint32 WritableFileBits = ShellFileInfo::CanCopy | ShellFileInfo::CanDelete | ShellFileInfo::CanLink
    | ShellFileInfo::CanMove | ShellFileInfo::CanRename | ShellFileInfo::HasPropertySheet;
constexpr quint32 EntryBits = ShellFileInfo::CanDelete | ShellFileInfo::CanMove | ShellFileInfo::CanRename;

bool isRoot()
{
    return ::geteuid() == 0;
}

// A scratch folder with helpers to make the entries each case needs; folders it made read-only
// are opened again at the end so the scratch folder can be removed.
class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        savedLocale = QLocale();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void TearDown() override
    {
        for (const QString& locked : lockedFolders)
            ::chmod(QFile::encodeName(locked).constData(), 0755);
        QLocale::setDefault(savedLocale);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QStringLiteral("FileProperties"))
                delete widget;
        }
    }

    QString testPath(const QString& name) const
    {
        return dir.filePath(name);
    }

    QString makeFile(const QString& name, qint64 size = 3, int mode = 0644)
    {
        const QString path = testPath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, 'x'));
        file.close();
        EXPECT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
        return path;
    }

    QString makeFolder(const QString& name, int mode = 0755)
    {
        const QString path = testPath(name);
        EXPECT_EQ(::mkdir(QFile::encodeName(path).constData(), 0755), 0);
        if (mode != 0755) {
            EXPECT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
            lockedFolders.prepend(path);
        }
        return path;
    }

    QString makeLink(const QString& name, const QString& target)
    {
        const QString path = testPath(name);
        EXPECT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()), 0);
        return path;
    }

    QTemporaryDir dir;
    QStringList lockedFolders;
    QLocale savedLocale;
};

using ShellFileInfoGet = ScratchFolder;
using FileProperties = ScratchFolder;

QWidget* propertiesWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("FileProperties"))
            return widget;
    }
    return nullptr;
}

QString value(QWidget* dialog, const char* name)
{
    auto* label = dialog->findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no label %1>").arg(QString::fromLatin1(name));
}

TEST(AttributeSummary, PrintsEachBitInItsPlace)
{
    const struct {
        quint32 bits;
        const char* summary;
    } cases[] = {
        {0, "Can: [] Is: []"},
        {WritableFileBits, "Can: [ Cpy Del Lnk Mov Ren] Is: []"},
        {WritableFileBits | ShellFileInfo::ReadOnly, "Can: [ Cpy Del Lnk Mov Ren] Is: [ RO]"},
        {0xFFFFFFFFu, "Can: [ Cpy Del Lnk Mov Ren Drop] Is: [ Lnk RO Shared]"},
        {ShellFileInfo::CanCopy, "Can: [ Cpy] Is: []"},
        {ShellFileInfo::CanMove, "Can: [ Mov] Is: []"},
        {ShellFileInfo::CanLink, "Can: [ Lnk] Is: []"},
        {ShellFileInfo::CanRename, "Can: [ Ren] Is: []"},
        {ShellFileInfo::CanDelete, "Can: [ Del] Is: []"},
        {ShellFileInfo::DropTarget, "Can: [ Drop] Is: []"},
        {ShellFileInfo::Link, "Can: [] Is: [ Lnk]"},
        {ShellFileInfo::Shared, "Can: [] Is: [ Shared]"},
        {ShellFileInfo::ReadOnly, "Can: [] Is: [ RO]"},
        // Bits the panel does not print leave the summary alone.
        {ShellFileInfo::HasPropertySheet | 0x80000000u, "Can: [] Is: []"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShellFileInfo::attributeSummary(c.bits), QString::fromLatin1(c.summary)) << std::hex << c.bits;
}

TEST_F(ShellFileInfoGet, DescribesAWritableFile)
{
    const QString path = makeFile(QStringLiteral("notes.txt"));
    const ShellFileInfo info = ShellFileInfo::get(path);
    EXPECT_EQ(info.displayName, QStringLiteral("notes.txt"));
    EXPECT_FALSE(info.typeName.isEmpty());
    EXPECT_EQ(info.attributes, WritableFileBits);
    EXPECT_EQ(ShellFileInfo::attributeSummary(info.attributes), QStringLiteral("Can: [ Cpy Del Lnk Mov Ren] Is: []"));
}

TEST_F(ShellFileInfoGet, CallsABinaryFormAFormFile)
{
    // Its resource header starts with the bytes that mark another file type's images.
    const QString path = dir.filePath(QStringLiteral("Sample.DFM"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(DFM_SOURCE_DIR "/examples/Sample.dfm"), path));
    // Where the form types are installed, their name is given instead (tested on its own).
    if (QMimeDatabase().mimeTypeForName(QStringLiteral("application/x-quen-dfm")).isValid())
        GTEST_SKIP() << "the form types are installed on this machine";
    EXPECT_EQ(ShellFileInfo::get(path).typeName, QStringLiteral("Delphi form file"));
}

TEST_F(ShellFileInfoGet, KeepsTheNameAsWritten)
{
    const QString name = QStringLiteral("Gr\u00FC\u00DFe \u65E5\u672C <b>.dfm");
    EXPECT_EQ(ShellFileInfo::get(makeFile(name)).displayName, name);
}

TEST_F(ShellFileInfoGet, MarksAReadOnlyFile)
{
    const QString path = makeFile(QStringLiteral("locked.txt"), 3, 0444);
    if (isRoot())
        GTEST_SKIP() << "root may write to any file";
    const ShellFileInfo info = ShellFileInfo::get(path);
    EXPECT_EQ(info.attributes, WritableFileBits | ShellFileInfo::ReadOnly);
    EXPECT_EQ(ShellFileInfo::attributeSummary(info.attributes),
              QStringLiteral("Can: [ Cpy Del Lnk Mov Ren] Is: [ RO]"));
}

TEST_F(ShellFileInfoGet, GivesNothingForWhatIsNotThere)
{
    const QString file = makeFile(QStringLiteral("plain.txt"));
    const QString cases[] = {
        testPath(QStringLiteral("missing.txt")),
        testPath(QStringLiteral("missing/")),
        testPath(QStringLiteral("missing/.")),
        file + QStringLiteral("/"), // a file cannot be opened as a folder
        QString(),
        file + QChar(0) + QStringLiteral("tail"), // must not be read as the file before the NUL
    };
    for (const QString& path : cases) {
        const ShellFileInfo info = ShellFileInfo::get(path);
        EXPECT_TRUE(info.displayName.isEmpty()) << path.toStdString();
        EXPECT_TRUE(info.typeName.isEmpty()) << path.toStdString();
        EXPECT_TRUE(info.icon.isNull()) << path.toStdString();
        EXPECT_EQ(info.attributes, 0u) << path.toStdString();
        EXPECT_EQ(ShellFileInfo::attributeSummary(info.attributes), QStringLiteral("Can: [] Is: []"));
    }
}

TEST_F(ShellFileInfoGet, DescribesALinkAsItselfAndItsContentsAsTheTarget)
{
    const QString target = makeFile(QStringLiteral("target.txt"));
    const ShellFileInfo info = ShellFileInfo::get(makeLink(QStringLiteral("shortcut"), target));
    EXPECT_EQ(info.displayName, QStringLiteral("shortcut"));
    EXPECT_EQ(info.attributes, WritableFileBits | ShellFileInfo::Link);
    EXPECT_EQ(ShellFileInfo::attributeSummary(info.attributes), QStringLiteral("Can: [ Cpy Del Lnk Mov Ren] Is: [ Lnk]"));
}

TEST_F(ShellFileInfoGet, KeepsADanglingLinkThatCanOnlyBeRemovedOrRenamed)
{
    const ShellFileInfo info = ShellFileInfo::get(makeLink(QStringLiteral("dangling"), testPath(QStringLiteral("gone"))));
    EXPECT_EQ(info.displayName, QStringLiteral("dangling"));
    EXPECT_FALSE(info.typeName.isEmpty());
    EXPECT_EQ(info.attributes,
              EntryBits | ShellFileInfo::CanLink | ShellFileInfo::HasPropertySheet | ShellFileInfo::Link);
}

TEST_F(ShellFileInfoGet, OffersDroppingOntoFoldersAndPrograms)
{
    const quint32 folderBits = WritableFileBits | ShellFileInfo::DropTarget;
    EXPECT_EQ(ShellFileInfo::get(makeFolder(QStringLiteral("folder"))).attributes, folderBits);
    EXPECT_EQ(ShellFileInfo::get(makeFile(QStringLiteral("run.sh"), 3, 0755)).attributes, folderBits);
    EXPECT_EQ(ShellFileInfo::get(makeLink(QStringLiteral("to-folder"), testPath(QStringLiteral("folder")))).attributes,
              folderBits | ShellFileInfo::Link);
}

TEST_F(ShellFileInfoGet, NamesAFolderWrittenWithATrailingSeparatorOrDot)
{
    const QString folder = makeFolder(QStringLiteral("forms"));
    makeFolder(QStringLiteral("forms/sub"));
    makeLink(QStringLiteral("forms-link"), folder);
    const QString cases[] = {
        folder + QStringLiteral("/"),
        folder + QStringLiteral("/."),
        folder + QStringLiteral("/sub/.."),
        testPath(QStringLiteral("forms-link/")), // the folder the link leads to, not the link
    };
    for (const QString& path : cases) {
        const ShellFileInfo info = ShellFileInfo::get(path);
        EXPECT_EQ(info.displayName, QStringLiteral("forms")) << path.toStdString();
        // The scratch folder holds it, so it may be removed; its own entries do not matter.
        EXPECT_EQ(info.attributes, WritableFileBits | ShellFileInfo::DropTarget) << path.toStdString();
    }
}

TEST_F(ShellFileInfoGet, NeverOffersToRemoveTheRoot)
{
    const ShellFileInfo info = ShellFileInfo::get(QStringLiteral("/"));
    EXPECT_EQ(info.displayName, QStringLiteral("/"));
    EXPECT_EQ(info.attributes & EntryBits, 0u);
    EXPECT_TRUE(info.attributes & ShellFileInfo::HasPropertySheet);
}

TEST_F(ShellFileInfoGet, ReadOnlyFolderKeepsItsEntriesInPlace)
{
    const QString folder = makeFolder(QStringLiteral("shelf"));
    const QString file = makeFile(QStringLiteral("shelf/book.txt"));
    makeFolder(QStringLiteral("shelf/inner"));
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    lockedFolders.prepend(folder);

    // The locked folder itself sits in the writable scratch folder, however it is written.
    EXPECT_TRUE(ShellFileInfo::get(folder + QStringLiteral("/inner/..")).attributes & ShellFileInfo::CanDelete);
    if (isRoot())
        GTEST_SKIP() << "root may change any folder";
    const ShellFileInfo info = ShellFileInfo::get(file);
    EXPECT_EQ(info.attributes & EntryBits, 0u);
    EXPECT_EQ(info.attributes, ShellFileInfo::CanCopy | ShellFileInfo::CanLink | ShellFileInfo::HasPropertySheet);
    EXPECT_EQ(ShellFileInfo::get(folder + QStringLiteral("/inner/.")).attributes & EntryBits, 0u);
}

TEST_F(ShellFileInfoGet, LooksAtAPipeWithoutWaitingForAWriter)
{
    const QString pipe = testPath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    const ShellFileInfo info = ShellFileInfo::get(pipe);
    EXPECT_EQ(info.displayName, QStringLiteral("pipe"));
    // A pipe's contents cannot be copied as a file's can.
    EXPECT_EQ(info.attributes, EntryBits | ShellFileInfo::CanLink | ShellFileInfo::HasPropertySheet);
}

TEST(FilePropertiesText, WritesSizesWithSeparatorsAndAFigure)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const struct {
        qint64 bytes;
        const char* text;
    } cases[] = {
        {0, "0 bytes"},
        {1, "1 byte"},
        {1023, "1,023 bytes"},
        {1024, "1,024 bytes (1.0 KiB)"},
        {12345, "12,345 bytes (12.1 KiB)"},
        {5 * 1024 * 1024, "5,242,880 bytes (5.0 MiB)"},
        {Q_INT64_C(3) << 40, "3,298,534,883,328 bytes (3.0 TiB)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FilePropertiesDialog::sizeText(c.bytes), QString::fromLatin1(c.text)) << c.bytes;
    // The C locale leaves separators out unless asked.
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(FilePropertiesDialog::sizeText(12345), QStringLiteral("12,345 bytes (12.1 KiB)"));
    QLocale::setDefault(saved);
}

TEST(FilePropertiesText, WritesPermissionsAsAListingDoes)
{
    const struct {
        quint32 mode;
        const char* text;
    } cases[] = {
        {0, "---------"},
        {0755, "rwxr-xr-x"},
        {0640, "rw-r-----"},
        {0100644, "rw-r--r--"}, // the file type bits are not permissions
        {04755, "rwsr-xr-x"},
        {04644, "rwSr--r--"},
        {02750, "rwxr-s---"},
        {02740, "rwxr-S---"},
        {01777, "rwxrwxrwt"},
        {01776, "rwxrwxrwT"},
        {07000, "--S--S--T"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FilePropertiesDialog::permissionText(c.mode), QString::fromLatin1(c.text)) << std::oct << c.mode;
}

TEST_F(FileProperties, ShowsNothingForAMissingFile)
{
    QWidget owner;
    const qsizetype before = QApplication::topLevelWidgets().size();
    EXPECT_FALSE(FilePropertiesDialog::showItemProperties(testPath(QStringLiteral("missing.dfm")), &owner));
    EXPECT_FALSE(FilePropertiesDialog::showItemProperties(QString(), &owner));
    EXPECT_EQ(QApplication::topLevelWidgets().size(), before);
    EXPECT_EQ(propertiesWindow(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(FileProperties, ShowsTheFileInItsOwnWindowAndGoesAwayWhenClosed)
{
    const QString path = makeFile(QStringLiteral("Main.dfm"), 12345, 0640);
    QWidget owner;
    ASSERT_TRUE(FilePropertiesDialog::showItemProperties(path, &owner));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    QPointer<QWidget> dialog = propertiesWindow();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isWindow());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->parentWidget(), &owner);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Properties - Main.dfm"));
    EXPECT_EQ(value(dialog, "PathValue"), path);
    EXPECT_EQ(value(dialog, "SizeValue"), QStringLiteral("12,345 bytes (12.1 KiB)"));
    EXPECT_EQ(value(dialog, "PermissionsValue"), QStringLiteral("rw-r-----"));
    EXPECT_EQ(value(dialog, "LinkValue"), QStringLiteral("No"));
    EXPECT_NE(value(dialog, "ModifiedValue"), QStringLiteral("Unknown"));
    const passwd* me = ::getpwuid(::geteuid());
    if (me != nullptr) {
        EXPECT_TRUE(value(dialog, "OwnerValue").startsWith(QString::fromLocal8Bit(me->pw_name)));
    }

    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    buttons->button(QDialogButtonBox::Close)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialog);
}

TEST_F(FileProperties, ShowsALinkWithItsTargetsDetails)
{
    const QString target = makeFile(QStringLiteral("target.dfm"), 2048);
    ASSERT_TRUE(FilePropertiesDialog::showItemProperties(makeLink(QStringLiteral("link.dfm"), target), nullptr));
    QWidget* dialog = propertiesWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Properties - link.dfm"));
    EXPECT_EQ(value(dialog, "SizeValue"), QStringLiteral("2,048 bytes (2.0 KiB)"));
    EXPECT_EQ(value(dialog, "LinkValue"), QStringLiteral("Yes, to %1").arg(target));
}

TEST_F(FileProperties, ShowsADanglingLink)
{
    const QString gone = testPath(QStringLiteral("gone.dfm"));
    ASSERT_TRUE(FilePropertiesDialog::showItemProperties(makeLink(QStringLiteral("dangling.dfm"), gone), nullptr));
    QWidget* dialog = propertiesWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(value(dialog, "LinkValue"), QStringLiteral("Yes, to %1 (missing)").arg(gone));
    EXPECT_EQ(value(dialog, "SizeValue"), QStringLiteral("\u2014"));
    EXPECT_EQ(value(dialog, "CreatedValue"), QStringLiteral("Unknown"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(FileProperties, SaysUnknownWhenTheFileWentAwayBeforeLooking)
{
    QPointer<FilePropertiesDialog> dialog = new FilePropertiesDialog(testPath(QStringLiteral("vanished.dfm")));
    for (const char* name : {"TypeValue", "SizeValue", "ModifiedValue", "CreatedValue", "LastReadValue",
                             "PermissionsValue", "OwnerValue", "GroupValue", "LinkValue"})
        EXPECT_EQ(value(dialog, name), QStringLiteral("Unknown")) << name;
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Properties - vanished.dfm"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    delete dialog;
}

} // namespace
