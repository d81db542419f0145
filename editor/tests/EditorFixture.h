// A real editor window on a copy of the sample form, with scripted boxes and dialogs.
#pragma once

#include "ScriptedPrompts.h"
#include "EditorWindow.h"
#include "PageEditor.h"

#include <QAction>
#include <QDir>
#include <QFile>
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
            form->formPage()->setModified(false);
            form->unitPage()->setModified(false);
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
        if (form->backupEnabled() != on)
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
        ASSERT_EQ(form->currentFileName(), formPath);
    }

    QTemporaryDir folder;
    QString formPath;
    QString unitPath;
    QByteArray originalForm;
    QByteArray originalUnit;
    ScriptedPrompts prompts;
    std::unique_ptr<dfm::EditorWindow> form;
};
