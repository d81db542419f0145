// A window's stored settings: the values written, the rules for taking a stored placement back,
// when a save happens, stores that are damaged or cannot be written, and where the stores are.
#include "ScriptedPrompts.h"
#include "EditorStore.h"
#include "ObjectViewStore.h"
#include "ScopedEnvironment.h"
#include "StoredFont.h"
#include "WindowSettings.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QShowEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <map>
#include <memory>

using dfm::StoredFont;
using dfm::StoreFile;
using dfm::WindowSettings;
namespace EditorStore = dfm::EditorStore;
namespace ObjectViewStore = dfm::ObjectViewStore;
using Values = std::map<QString, QString>;

namespace {

// A window wired to its settings the way the editor's windows are.
class StoredWindow : public QWidget {
public:
    StoredWindow(ScriptedPrompts& prompts, const StoreFile& store, const QString& section, bool mainWindow = false)
        : storage(*this, store, section, prompts, mainWindow)
    {
        setGeometry(100, 100, 400, 300);
        font.font = QFont(QStringLiteral("Sans"));
        font.font.setPointSize(10);
        storage.addText(
            "OpenDialog1_FileName", [this] { return fileName; }, [this](const QString& t) { fileName = t; });
        storage.addColor("Memo1_Color", [this] { return color; }, [this](std::int32_t c) { color = c; });
        storage.addBoolean("AppEvents1_ShowHint", [this] { return hints; }, [this](bool on) { hints = on; });
        storage.addFont(
            "Memo1_Font", [this] { return font.font; }, [this] { return font.color; },
            [this](const QFont& f, std::int32_t c) {
                font.font = f;
                font.color = c;
            });
    }
    ~StoredWindow() override { storage.saveAtDestruction(); }

    WindowSettings storage;
    QString fileName = QStringLiteral("first.dfm");
    std::int32_t color = 0x800000;
    bool hints = true;
    StoredFont font;

protected:
    void showEvent(QShowEvent* event) override
    {
        if (!event->spontaneous())
            storage.restore();
    }
    void closeEvent(QCloseEvent*) override { storage.save(); }
};

QString suffix()
{
    const QSize size = QGuiApplication::primaryScreen()->geometry().size();
    return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

Values read(const StoreFile& store, const QString& group)
{
    QSettings settings(store.path(), QSettings::IniFormat);
    settings.beginGroup(group);
    Values values;
    for (const QString& key : settings.childKeys())
        values[key] = settings.value(key).toString();
    return values;
}

void write(const StoreFile& store, const QString& group, const Values& values)
{
    QSettings settings(store.path(), QSettings::IniFormat);
    settings.remove(group);
    for (const auto& [name, text] : values)
        settings.setValue(group + u'/' + name, text);
}

class WindowSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { QDir(folder()).removeRecursively(); }
    void TearDown() override { QDir(folder()).removeRecursively(); }
    static QString folder() { return qEnvironmentVariable("XDG_CONFIG_HOME") + "/QuenDFMEd"; }

    ScriptedPrompts prompts;
};

}  // namespace

TEST_F(WindowSettingsTest, WritesPlacementAndPropertiesUnderTheirNamesAndReadsThemBack)
{
    {
        StoredWindow unshown(prompts, EditorStore::File, "TForm1", true);
        unshown.storage.save();
    }
    EXPECT_FALSE(QFile::exists(EditorStore::File.path()));

    auto window = std::make_unique<StoredWindow>(prompts, EditorStore::File, "TForm1", true);
    window->show();
    window->setGeometry(30, 40, 400, 300);
    window->hints = false;
    window->font.font.setBold(true);
    window->close();
    EXPECT_EQ(EditorStore::File.path(), folder() + "/QuenDFMEd.conf");
    const QString position = "30,40,430,340";
    Values expected = {
        {"Flags", "0"}, {"ShowCmd", "1"}, {"PixelsPerInch", QString::number(WindowSettings::screenPixelsPerInch())},
        {"MinMaxPos" + suffix(), "-1,-1,-1,-1"}, {"MinMaxPos", "-1,-1,-1,-1"},
        {"NormPos" + suffix(), position}, {"NormPos", position}, {"Visible", "0"},
        {"OpenDialog1_FileName", "first.dfm"}, {"Memo1_Color", "8388608"}, {"AppEvents1_ShowHint", "False"},
        {"Memo1_FontCharset", "1"}, {"Memo1_FontColor", "-2147483640"}, {"Memo1_FontHeight", "-13"},
        {"Memo1_FontName", "Sans"}, {"Memo1_FontPitch", "fpDefault"}, {"Memo1_FontSize", "10"},
        {"Memo1_FontStyle", "[fsBold]"}};
    EXPECT_EQ(read(EditorStore::File, "TForm1"), expected);
    // Saved at the close: the destruction writes nothing more.
    window.reset();
    EXPECT_EQ(read(EditorStore::File, "TForm1")["Visible"], "0");

    expected["AppEvents1_ShowHint"] = "false";
    expected["Memo1_Color"] = "-2147483643";
    expected["OpenDialog1_FileName"] = " second.dfm\t";
    write(EditorStore::File, "TForm1", expected);
    window = std::make_unique<StoredWindow>(prompts, EditorStore::File, "TForm1", true);
    window->show();
    EXPECT_EQ(window->geometry(), QRect(30, 40, 400, 300));
    EXPECT_EQ(window->fileName, "second.dfm");
    EXPECT_EQ(window->color, dfm::ColorValue::clWindow);
    EXPECT_FALSE(window->hints);
    EXPECT_TRUE(window->font.font.bold());
    EXPECT_TRUE(window->storage.writeInteger("CREATEBACKUP", 0));
    EXPECT_EQ(window->storage.readInteger("CREATEBACKUP", 1), 0);
    write(EditorStore::File, "TForm1", {{"CREATEBACKUP", "yes"}});
    EXPECT_EQ(window->storage.readInteger("CREATEBACKUP", 1), 0);
    EXPECT_EQ(window->storage.readInteger("NOTSTORED", 1), 1);
    // Left open: saved at destruction, "Visible" telling so.
    window.reset();
    EXPECT_EQ(read(EditorStore::File, "TForm1")["Visible"], "1");
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(WindowSettingsTest, StoredPlacementIsTakenBackOnlyWhereItMakesSense)
{
    const QRect start(100, 100, 400, 300);
    const QRect stored(50, 60, 400, 300);
    struct Case {
        const char* name;
        Values values;
        QRect expected;
        Qt::WindowStates state = Qt::WindowNoState;
        bool fixedSize = false;
        bool mainWindow = false;
    };
    const Case cases[] = {
        {"plain name", {{"NormPos", "50,60,450,360"}}, stored},
        {"screen size first", {{"NormPos" + suffix(), "50,60,450,360"}, {"NormPos", "1,1,500,500"}}, stored},
        {"empty qualified", {{"NormPos" + suffix(), ""}, {"NormPos", "50 60 450 360"}}, stored},
        {"other dots per inch", {{"NormPos", "50,60,450,360"}, {"PixelsPerInch", "1000"}}, start},
        {"junk words", {{"NormPos", "15 , abc"}}, QRect(15, 100, 485, 300)},
        {"left after right", {{"NormPos", "300,20,100,400"}}, start},
        {"tiny", {{"NormPos", "50,60,90,80"}}, stored},
        {"fixed size", {{"NormPos", "50,60,650,660"}}, stored, Qt::WindowNoState, true},
        {"maximized", {{"NormPos", "50,60,450,360"}, {"ShowCmd", "3"}}, stored, Qt::WindowMaximized},
        {"minimized", {{"ShowCmd", "6"}}, start, Qt::WindowMinimized},
        // The main window shows first and minimizes when the show is done.
        {"minimized main window", {{"ShowCmd", "2"}}, start, Qt::WindowMinimized, false, true},
        {"other show command", {{"ShowCmd", "4"}}, start},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write(ObjectViewStore::File, "TFObjectView", c.values);
        StoredWindow window(prompts, ObjectViewStore::File, "TFObjectView", c.mainWindow);
        if (c.fixedSize)
            window.setFixedSize(400, 300);
        window.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(window.normalGeometry(), c.expected);
        EXPECT_EQ(window.windowState(), c.state);
    }

    // Off every screen, or larger than the screen: brought onto it, frame included.
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const std::pair<QString, QSize> outside[] = {
        {"5000,-5000,5400,-4700", QSize(400, 300)},
        {QStringLiteral("10,10,%1,%2").arg(available.width() * 3).arg(available.height() * 3), QSize()}};
    for (const auto& [position, size] : outside) {
        SCOPED_TRACE(position.toStdString());
        write(ObjectViewStore::File, "TFObjectView", {{"NormPos", position}});
        StoredWindow window(prompts, ObjectViewStore::File, "TFObjectView");
        window.show();
        EXPECT_TRUE(available.contains(window.frameGeometry()));
        if (size.isValid())
            EXPECT_EQ(window.size(), size);
        else
            EXPECT_EQ(window.frameGeometry().size(), available.size());
    }
}

TEST_F(WindowSettingsTest, AStoreThatCannotBeWrittenGivesOneErrorBox)
{
    QDir().mkpath(ObjectViewStore::File.path());  // the file is a folder
    // QSettings keeps what it could not write for the rest of the run: a section of its own.
    StoredWindow window(prompts, ObjectViewStore::File, "TForm1");
    window.show();
    window.close();
    EXPECT_EQ(prompts.errors, QStringList{"Impossible d'écrire dans " + ObjectViewStore::File.path() + "."});
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.storage.writeInteger("CREATEBACKUP", 0));
}

TEST_F(WindowSettingsTest, ADamagedFileGivesWhatCanBeReadAndDefaultsForTheRest)
{
    QDir().mkpath(folder());
    QFile file(ObjectViewStore::File.path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x01\x02 garbage\n[TFObjectView\nNormPos=1,1\n[TFObjectView]\nno equals sign\n=\n"
               "Memo1_Color=abc\nShowCmd=@Variant(\\0\\0\\0\\x7fjunk)\n@Variant(\\0)=3\n"
               "NormPos=120, 130, 520, 430\nMemo1_FontSize=\xff\xfe\nMemo1_FontStyle=[fsItalic\nOpenDialog1_FileName=");
    file.write(QByteArray(3000, 'x') + '\n');
    file.close();

    StoredWindow window(prompts, ObjectViewStore::File, "TFObjectView");
    window.show();
    EXPECT_EQ(window.geometry(), QRect(120, 130, 400, 300));
    EXPECT_EQ(window.windowState(), Qt::WindowNoState);
    EXPECT_EQ(window.color, 0);
    EXPECT_EQ(window.font.font.pointSize(), 10);
    EXPECT_TRUE(window.font.font.italic());
    EXPECT_EQ(window.fileName, QString(2047, u'x'));
    window.close();
    EXPECT_TRUE(prompts.errors.isEmpty());
    EXPECT_EQ(read(ObjectViewStore::File, "TFObjectView")["NormPos"], "120,130,520,430");
}

TEST(StoreFile, FolderFollowsTheXdgRulesAndIsNoneWithoutAHome)
{
    using Value = std::optional<QByteArray>;
    struct Case {
        const char* name;
        Value configHome;
        Value home;
        QString folder;
    };
    const Case cases[] = {
        {"XDG_CONFIG_HOME first", "/srv/config", "/home/ann", "/srv/config"},
        {"HOME without XDG_CONFIG_HOME", std::nullopt, "/home/ann/", "/home/ann/.config"},
        {"empty XDG_CONFIG_HOME", "", "/home/ann", "/home/ann/.config"},
        {"relative XDG_CONFIG_HOME is ignored", "config", "/home/ann", "/home/ann/.config"},
        {"neither set", std::nullopt, std::nullopt, ""},
        {"both empty", "", "", ""},
        {"relative XDG_CONFIG_HOME and no HOME", "./config", std::nullopt, ""},
        {"relative HOME", std::nullopt, "ann", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedEnvironment environment;
        environment.set("XDG_CONFIG_HOME", c.configHome);
        environment.set("HOME", c.home);
        EXPECT_EQ(StoreFile::configFolder(), c.folder);
        EXPECT_EQ(StoreFile::settingsKept(), !c.folder.isEmpty());
        EXPECT_EQ(EditorStore::File.path(), c.folder.isEmpty() ? "" : c.folder + "/QuenDFMEd/QuenDFMEd.conf");
        EXPECT_EQ(EditorStore::File.open() == nullptr, c.folder.isEmpty());
    }
}

TEST_F(WindowSettingsTest, WithoutAHomeAWindowKeepsItsDefaultsAndWritesNothing)
{
    const RunWithoutHome run;
    {
        StoredWindow window(prompts, EditorStore::File, "TForm1", true);
        window.show();
        EXPECT_EQ(window.geometry(), QRect(100, 100, 400, 300));
        EXPECT_EQ(window.fileName, "first.dfm");
        window.fileName = "second.dfm";
        EXPECT_EQ(window.storage.readInteger("CREATEBACKUP", 7), 7);
        EXPECT_FALSE(window.storage.writeInteger("CREATEBACKUP", 0));
        window.close();
    }
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(u'\n').toStdString();
    EXPECT_FALSE(run.wroteSomething());
}
