// A real editor window on a copy of the sample form, with scripted boxes and dialogs.
#pragma once

#include "ScriptedPrompts.h"
#include "EditorWindow.h"
#include "FindDialog.h"
#include "GrepWindow.h"
#include "ObjectViewWindow.h"
#include "PageEditor.h"
#include "RecentFiles.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class EditorFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        formPath = folder.filePath("Sample.dfm");
        unitPath = folder.filePath("Sample.PAS");
        ASSERT_TRUE(QFile::copy(DFM_SOURCE_DIR "/examples/Sample.dfm", formPath));
        ASSERT_TRUE(QFile::copy(DFM_SOURCE_DIR "/examples/Sample.PAS", unitPath));
        originalForm = read(formPath);
        originalUnit = read(unitPath);
        // Every test starts from a first run.
        QDir(qEnvironmentVariable("XDG_CONFIG_HOME") + "/QuenDFMEd").removeRecursively();
        QDir(qEnvironmentVariable("XDG_CONFIG_HOME") + "/QUENDFMED").removeRecursively();
        form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    }

    void TearDown() override
    {
        // Nothing is saved behind the test's back when the window goes.
        if (form) {
            form->document().setModified(Page::Form, false);
            form->document().setModified(Page::Unit, false);
        }
        form.reset();
    }

    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    // The window's parts, reached as a user's tools would: by their object names.
    template <typename Part>
    Part* part(const char* name) const
    {
        return form->findChild<Part*>(QString::fromLatin1(name));
    }
    dfm::PageEditor* formPage() const { return part<dfm::PageEditor>("Memo1"); }
    dfm::PageEditor* unitPage() const { return part<dfm::PageEditor>("Memo2"); }
    QTabWidget* pages() const { return part<QTabWidget>("pc1"); }
    dfm::PageEditor* currentPage() const { return pages()->currentIndex() == 0 ? formPage() : unitPage(); }
    QString caretStatus() const { return part<QLabel>("CaretPanel")->text(); }
    QString hintLine() const { return part<QLabel>("HintPanel")->text(); }
    QString formatPanel() const { return part<QLabel>("FormatPanel")->text(); }
    dfm::FindDialog* findDialog() const { return part<dfm::FindDialog>("FindDialog1"); }
    dfm::FindDialog* replaceDialog() const { return part<dfm::FindDialog>("ReplaceDialog1"); }
    dfm::GrepWindow* grepWindow() const { return part<dfm::GrepWindow>("frmTernGrep"); }
    dfm::ObjectViewWindow* objectViewWindow() const { return part<dfm::ObjectViewWindow>("FObjectView"); }
    dfm::RecentFiles* recentFiles() const { return part<dfm::RecentFiles>("MRUManager1"); }

    using Page = dfm::FormDocument::Page;
    bool formModified() const { return form->document().isModified(Page::Form); }
    bool unitModified() const { return form->document().isModified(Page::Unit); }
    // Replaces a page's text as an open would.
    void loadFormText(const QString& text) { form->document().loadText(Page::Form, text); }
    void loadUnitText(const QString& text) { form->document().loadText(Page::Unit, text); }

    QAction* findAction(const char* name) const { return form->findChild<QAction*>(QString::fromLatin1(name)); }

    // Runs a command as its menu entry would: the update rules have run while the user moved there.
    void trigger(const char* name)
    {
        form->updateCommands();
        findAction(name)->trigger();
    }

    // Turns backups on or off through their command.
    void setBackups(bool on)
    {
        if (form->document().backupEnabled() != on)
            trigger("ActCreateBackup");
    }

    // Types at the given offset of the page as a user would.
    static void typeAt(dfm::PageEditor* memo, qsizetype offset, const QString& text)
    {
        memo->select(offset, 0);
        const QStringList lines = text.split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(memo, Qt::Key_Return);
            QTest::keyClicks(memo, lines[i]);
        }
    }

    void openSample()
    {
        form->openFormFile(formPath);
        ASSERT_EQ(form->document().formPath(), formPath);
    }

    QTemporaryDir folder;
    QString formPath;
    QString unitPath;
    QByteArray originalForm;
    QByteArray originalUnit;
    ScriptedPrompts prompts;
    std::unique_ptr<dfm::EditorWindow> form;
};
