// The grep store read and written through the shared stored-value code: texts come back exactly
// as typed, whatever QSettings makes of them in the file, and a damaged file is no write error.
#include "GrepSettings.h"
#include "GrepStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace dfm {
namespace {

class GrepSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { QDir(folder()).removeRecursively(); }
    void TearDown() override { QDir(folder()).removeRecursively(); }
    static QString folder() { return QFileInfo(GrepStore::File.path()).absolutePath(); }

    static void writeFile(const QByteArray& bytes)
    {
        QDir().mkpath(folder());
        QFile file(GrepStore::File.path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
};

TEST_F(GrepSettingsTest, HistoryTextsComeBackAsTypedAndAreWrittenSoAgain)
{
    struct Case {
        const char* name;
        QByteArray line;  // the value as it stands in the file
        QString text;
    };
    const Case cases[] = {
        {"commas, written by hand", "a,b", "a,b"},
        {"commas, quoted", "\"a,b\"", "a,b"},
        {"leading blank", "\" a,b\"", " a,b"},
        {"trailing blank", "\"key \"", "key "},
        {"quotes", "say \\\"hi\\\"", "say \"hi\""},
        {"semicolon", "\"dfm;pas\"", "dfm;pas"},
        {"equals sign", "x=y", "x=y"},
        {"leading at sign", "@@Variant(0)", "@Variant(0)"},
        {"backslash and tab", "C:\\\\forms\\tkey", "C:\\forms\tkey"},
        {"UTF-8", "caf\xc3\xa9", QString::fromUtf8("caf\xc3\xa9")},
        {"longer than an INI value", QByteArray(3000, 'k'), QString(3000, u'k')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("[Expression]\n000=" + c.line + "\n001=" + c.line + "\n");
        GrepSettings::History history = GrepSettings().readHistory(GrepStore::ExpressionSection);
        EXPECT_EQ(history.items, QStringList{c.text});
        EXPECT_EQ(history.text, c.text);

        {
            GrepSettings settings;
            settings.writeHistory(GrepStore::ExpressionSection, {{c.text, "other"}, c.text});
            ASSERT_TRUE(settings.flush());
        }
        history = GrepSettings().readHistory(GrepStore::ExpressionSection);
        EXPECT_EQ(history.items, QStringList({c.text, "other"}));
        EXPECT_EQ(history.text, c.text);
    }
}

TEST_F(GrepSettingsTest, ADamagedFileIsRewrittenWithoutAnError)
{
    writeFile("[Options\n\x01\x02 garbage\n[Mask]\n000=pas\n");
    GrepSettings settings;
    EXPECT_EQ(settings.readHistory(GrepStore::MaskSection).text, "pas");
    settings.setFlag(GrepStore::SubDirs, true);
    settings.writeHistory(GrepStore::MaskSection, {{"dfm"}, "dfm"});
    EXPECT_TRUE(settings.flush());
    GrepSettings again;
    EXPECT_TRUE(again.flag(GrepStore::SubDirs, false));
    EXPECT_EQ(again.readHistory(GrepStore::MaskSection).items, QStringList{"dfm"});
}

}  // namespace
}  // namespace dfm
