// The grep window's file information where the form types are installed: their names are used.
// The type definitions shipped with the program are put in a data folder of this run's own before
// the type database is first read.
#include "ShellFileInfo.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using dfm::ShellFileInfo;

namespace {

TEST(InstalledFormTypes, FormsAreNamedByTheirInstalledType)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto copy = [&](const QString& from, const QString& name) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(QFile::copy(from, path)) << from.toStdString();
        return path;
    };
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    const QString binary = QStringLiteral("Delphi form file (binary)");
    const QString text = QStringLiteral("Delphi form file (text)");
    const struct {
        QString path;
        QString typeName;
    } cases[] = {
        {copy(QStringLiteral(DFM_SOURCE_DIR "/examples/Sample.dfm"), QStringLiteral("Sample.DFM")), binary},
        {copy(QStringLiteral(DFM_CORPUS_DIR "/binary/CASE-001-ABOUT.DFM"), QStringLiteral("About.dfm")), binary},
        {copy(QStringLiteral(DFM_CORPUS_DIR "/text/BLumiaTimidityShell-152-unit3.lfm"), QStringLiteral("unit3.lfm")),
         text},
        {write(QStringLiteral("Main.dfm"), "object Form1: TForm1\r\nend\r\n"), text},
        {write(QStringLiteral("Frame.xfm"), "\xEF\xBB\xBFinherited Frame1: TFrame1\r\nend\r\n"), text},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShellFileInfo::get(c.path).typeName.toStdString(), c.typeName.toStdString()) << c.path.toStdString();
    // Other files keep their own types.
    const QString png = copy(
        QStringLiteral(DFM_SOURCE_DIR "/packaging/icons/hicolor/16x16/apps/org.quen.DFMEditor.png"),
        QStringLiteral("icon.png"));
    const QString pngType = ShellFileInfo::get(png).typeName;
    EXPECT_NE(pngType, binary);
    EXPECT_NE(pngType, text);
    EXPECT_FALSE(pngType.isEmpty());
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir data;
    if (!data.isValid() || !QDir().mkpath(data.filePath(QStringLiteral("mime/packages")))
        || !QFile::copy(QStringLiteral(DFM_SOURCE_DIR "/packaging/org.quen.DFMEditor.xml"),
                        data.filePath(QStringLiteral("mime/packages/org.quen.DFMEditor.xml"))))
        return 1;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
