// A real editor window on a copy of the sample form, with scripted boxes and dialogs.
#pragma once

#include "ScriptedPrompts.h"
#include "TForm1.h"
#include "TMemo.h"

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
        originalForm = Read(formPath);
        originalUnit = Read(unitPath);
        // Every test starts from a first run.
        QDir(qEnvironmentVariable("XDG_CONFIG_HOME") + "/QuenDFMEd").removeRecursively();
        QDir(qEnvironmentVariable("XDG_CONFIG_HOME") + "/QUENDFMED").removeRecursively();
        form = std::make_unique<dfm::TForm1>(prompts, QStringList{"QuenDFMEd"});
    }

    void TearDown() override
    {
        // Nothing is saved behind the test's back when the window goes.
        if (form) {
            form->Memo1()->SetModified(false);
            form->Memo2()->SetModified(false);
        }
        form.reset();
    }

    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    static void Write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    QAction* Action(const char* name) const { return form->findChild<QAction*>(QString::fromLatin1(name)); }

    // Runs a command as its menu entry would: the update rules have run while the user moved there.
    void Trigger(const char* name)
    {
        form->UpdateCommands();
        Action(name)->trigger();
    }

    // Turns backups on or off through their command.
    void SetBackups(bool on)
    {
        if (form->BackupEnabled() != on)
            Trigger("ActCreateBackup");
    }

    // Types at the given offset of the page as a user would.
    static void TypeAt(dfm::TMemo* memo, qsizetype offset, const QString& text)
    {
        memo->Select(offset, 0);
        const QStringList lines = text.split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(memo, Qt::Key_Return);
            QTest::keyClicks(memo, lines[i]);
        }
    }

    void OpenSample()
    {
        form->OpenFormFile(formPath);
        ASSERT_EQ(form->CurrentFileName(), formPath);
    }

    QTemporaryDir folder;
    QString formPath;
    QString unitPath;
    QByteArray originalForm;
    QByteArray originalUnit;
    ScriptedPrompts prompts;
    std::unique_ptr<dfm::TForm1> form;
};
