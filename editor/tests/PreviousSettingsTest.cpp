// Settings files as the previous version of the program wrote them (editor, object view and grep
// stores, saved on an 800x800 screen): this version takes their values back, and writes them
// again under the same sections and names, with the values nobody changed left as they were.
#include "EditorFixture.h"
#include "ColorValue.h"
#include "GrepWindow.h"
#include "ObjectViewWindow.h"
#include "RecentFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTreeWidget>

namespace {

const QString FixtureFolder = QStringLiteral(DFM_SOURCE_DIR "/editor/tests/previous-settings/");
// The copies are dated back to this, so that a file left unwritten shows.
const QDateTime CopiedAt(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC);
// Where the previous version kept each file, below the XDG config folder.
const char* const StorePaths[] = {"QuenDFMEd/QuenDFMEd.conf", "QuenDFMEd/QuenDFMEd.INI", "QUENDFMED/GREP.conf"};

// Stored by this version beside the values the earlier ones knew: the switches first, tested here.
const QStringList NewValues = {"TForm1/ActSyntaxColors_Checked", "TForm1/ActLineNumbers_Checked",
                               "TForm1/LintIgnoredClasses",     "TForm1/FormView_Visible",
                               "TForm1/FormView_Area",          "TForm1/FormView_NormPos",
                               "TForm1/FormView_Zoom",          "TForm1/FormView_NonVisual",
                               "TForm1/FormView_Grid"};

QString storePath(const QString& relative)
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + u'/' + relative;
}

QString fixture(const QString& relative)
{
    return FixtureFolder + QFileInfo(relative).fileName();
}

// "section/name=value" a line, in QSettings' order.
// Every value but those named in skipped.
std::string storedValues(const QString& path, const QStringList& skipped = {})
{
    QSettings settings(path, QSettings::IniFormat);
    QStringList lines;
    for (const QString& key : settings.allKeys()) {
        if (!skipped.contains(key))
            lines << key + u'=' + settings.value(key).toStringList().join(u',');
    }
    return lines.join(u'\n').toStdString();
}

QStringList items(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

class PreviousSettings : public EditorFixture {
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        // The fixture's window of a first run writes its backup switch as it goes.
        form.reset();
        for (const char* relative : StorePaths) {
            QDir().mkpath(QFileInfo(storePath(relative)).absolutePath());
            QFile::remove(storePath(relative));
            ASSERT_TRUE(QFile::copy(fixture(relative), storePath(relative))) << relative;
            QFile copy(storePath(relative));
            ASSERT_TRUE(copy.open(QIODevice::ReadWrite));
            ASSERT_TRUE(copy.setFileTime(CopiedAt, QFileDevice::FileModificationTime));
        }
        previousFolder = QDir::currentPath();
    }

    // A search makes its folder the working directory.
    void TearDown() override
    {
        EditorFixture::TearDown();
        QDir::setCurrent(previousFolder);
    }

    template <typename T>
    T* grepChild(const char* name) const
    {
        T* child = grepWindow()->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    QString previousFolder;
};

TEST_F(PreviousSettings, AreTakenBackAndWrittenAgainUnderTheSameNames)
{
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().size(), QSize(800, 800));
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    form->show();
    EXPECT_EQ(form->geometry(), QRect(40, 30, 611, 499));
    EXPECT_FALSE(form->document().backupEnabled());
    EXPECT_EQ(recentFiles()->items(), QStringList({"/tmp/Other.dfm", "/tmp/Sample.dfm"}));
    EXPECT_EQ(formPage()->font().pointSize(), 10);
    EXPECT_EQ(unitPage()->font().pointSize(), 8);
    EXPECT_EQ(unitPage()->backgroundColor(), QColor(0, 0, 128));
    form->updateCommands();
    EXPECT_FALSE(findAction("ActHint")->isChecked());
    // Switches that earlier versions did not have keep their first-run state.
    EXPECT_TRUE(findAction("ActSyntaxColors")->isChecked());
    EXPECT_FALSE(findAction("ActLineNumbers")->isChecked());

    trigger("ActObjectView");
    dfm::ObjectViewWindow* view = objectViewWindow();
    ASSERT_TRUE(view->isVisible());
    EXPECT_EQ(view->geometry(), QRect(480, 60, 294, 351));
    EXPECT_EQ(view->outlineColor(), dfm::ColorValue::clWindow);
    EXPECT_EQ(view->findChild<QTreeWidget*>("Outline1")->font().family(), "Courier New");
    view->close();

    // The grep store is written after a completed search: the last one again, so that no
    // history changes.
    EXPECT_EQ(items(grepChild<QComboBox>("cbxExp")), QStringList({" a,b", "say \"hi\""}));
    EXPECT_EQ(grepChild<QComboBox>("cbxExp")->currentText(), " a,b");
    EXPECT_EQ(items(grepChild<QComboBox>("cbxMask")), QStringList({"dfm;pas", "DFM"}));
    EXPECT_EQ(items(grepChild<QComboBox>("cbxDirectory")), QStringList({"/tmp", "/"}));
    EXPECT_EQ(grepChild<QComboBox>("cbxDirectory")->currentText(), "/tmp");
    EXPECT_TRUE(grepChild<QCheckBox>("chkKeep")->isChecked());
    EXPECT_FALSE(grepChild<QCheckBox>("chkRec")->isChecked());
    grepChild<QPushButton>("btnSearch")->click();

    ASSERT_TRUE(form->close());
    form.reset();
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(u'\n').toStdString();
    for (const char* relative : StorePaths) {
        SCOPED_TRACE(relative);
        EXPECT_GT(QFileInfo(storePath(relative)).lastModified(), CopiedAt);
        EXPECT_EQ(storedValues(storePath(relative), NewValues), storedValues(fixture(relative)));
    }
    // The switches this version added are written beside them, in their first-run state.
    QSettings editorStore(storePath(StorePaths[0]), QSettings::IniFormat);
    EXPECT_EQ(editorStore.value(NewValues[0]).toString(), "True");
    EXPECT_EQ(editorStore.value(NewValues[1]).toString(), "False");
    // The form view, never shown: hidden, on the right, no place of its own yet, at 100%, icons
    // shown, the grid on.
    const QStringList formView = {"False", "Right", "", "100", "True", "True"};
    for (int i = 0; i < formView.size(); ++i)
        EXPECT_EQ(editorStore.value(NewValues[3 + i]).toString(), formView[i]) << NewValues[3 + i].toStdString();
}

}  // namespace
