// Saving through the real window: bytes and backups on disk, and every failure leaving the
// files as they were.
#include "EditorFixture.h"
#include "FormFiles.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTextBlock>

#include <csignal>
#include <unistd.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using Saving = EditorFixture;

TEST_F(Saving, WritesFormAndUnitAndMovesThePreviousOnesAside)
{
    openSample();
    typeAt(unitPage(), 0, "{edited}");
    EXPECT_TRUE(findAction("ActFileSave")->isEnabled());
    trigger("ActFileSave");
    EXPECT_TRUE(prompts.errors.isEmpty());
    EXPECT_FALSE(findAction("ActFileSave")->isEnabled());
    EXPECT_EQ(read(folder.filePath("Sample.D$$")), originalForm);
    EXPECT_EQ(read(folder.filePath("Sample.P$$")), originalUnit);
    EXPECT_EQ(read(formPath), originalForm);
    EXPECT_EQ(read(unitPath), "{edited}" + originalUnit);

    // An edit after the save: the next save moves the first save's files aside.
    typeAt(unitPage(), 0, "!");
    ASSERT_TRUE(form->save());
    EXPECT_EQ(read(folder.filePath("Sample.P$$")), "{edited}" + originalUnit);
    EXPECT_EQ(read(unitPath), "!{edited}" + originalUnit);
}

TEST_F(Saving, UnchangedTextIsWrittenBackByteForByte)
{
    openSample();
    for (dfm::PageEditor* memo : {formPage(), unitPage()}) {
        typeAt(memo, 40, "x");
        QTest::keyClick(memo, Qt::Key_Backspace);
    }
    EXPECT_TRUE(formModified());
    ASSERT_TRUE(form->save());
    EXPECT_EQ(read(formPath), originalForm);
    EXPECT_EQ(read(unitPath), originalUnit);
}

TEST_F(Saving, UnitsComeBackInTheirOwnBytes)
{
    const struct {
        const char* name;
        QByteArray unit;
    } cases[] = {
        {"UTF-8 with mark, no final break", "\xEF\xBB\xBFunit Sample;\r\n{ caf\xC3\xA9 \xE2\x82\xAC }\r\nend."},
        {"Windows-1252 with no-break spaces", "unit Sample;\r\n{ a\xA0" "b \x81\x8D\x8F\x90\x9D\xFF }\r\nend.\r\n"},
        {"LF only", "unit Sample;\n\n{ tab\there }\nend.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write(unitPath, c.unit);
        openSample();
        typeAt(unitPage(), 3, "x");
        QTest::keyClick(unitPage(), Qt::Key_Backspace);
        ASSERT_TRUE(form->save());
        EXPECT_EQ(read(unitPath), c.unit);
    }
}

TEST_F(Saving, NothingModifiedWritesNothing)
{
    openSample();
    typeAt(unitPage(), 0, "x");
    trigger("ActCancelModified");
    EXPECT_TRUE(findAction("ActFileSave")->isEnabled());
    trigger("ActFileSave");
    EXPECT_FALSE(findAction("ActFileSave")->isEnabled());
    EXPECT_FALSE(QFile::exists(folder.filePath("Sample.D$$")));
    EXPECT_EQ(read(unitPath), originalUnit);
}

TEST_F(Saving, ClosingSavesWithoutAskingUnlessTheFlagWasCancelled)
{
    openSample();
    typeAt(unitPage(), 0, "{a}");
    EXPECT_TRUE(form->close());
    EXPECT_EQ(read(unitPath), "{a}" + originalUnit);
    EXPECT_TRUE(prompts.questions.isEmpty());

    openSample();
    typeAt(unitPage(), 0, "{b}");
    trigger("ActCancelModified");
    EXPECT_TRUE(form->close());
    EXPECT_EQ(read(unitPath), "{a}" + originalUnit);
}

TEST_F(Saving, ClosingAfterASaveKeepsTheOriginalsInTheBackups)
{
    openSample();
    typeAt(formPage(), 0, " ");
    typeAt(unitPage(), 0, "{saved}");
    trigger("ActFileSave");
    ASSERT_TRUE(prompts.errors.isEmpty());
    EXPECT_FALSE(formModified());
    EXPECT_FALSE(unitModified());
    EXPECT_FALSE(findAction("ActCancelModified")->isEnabled());
    const QByteArray savedForm = read(formPath);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(read(folder.filePath("Sample.D$$")), originalForm);
    EXPECT_EQ(read(folder.filePath("Sample.P$$")), originalUnit);
    EXPECT_EQ(read(formPath), savedForm);
    EXPECT_EQ(read(unitPath), "{saved}" + originalUnit);

    // An edit after the save counts again, and closing saves it.
    typeAt(unitPage(), 0, "!");
    EXPECT_TRUE(unitModified());
    EXPECT_TRUE(form->close());
    EXPECT_EQ(read(folder.filePath("Sample.P$$")), "{saved}" + originalUnit);
    EXPECT_EQ(read(unitPath), "!{saved}" + originalUnit);
}

TEST_F(Saving, UndoingBackToTheTextOnDiskClearsTheFlag)
{
    for (bool savedFirst : {false, true}) {
        SCOPED_TRACE(savedFirst ? "back to the saved text" : "back to the opened text");
        openSample();
        QByteArray onDisk = originalUnit;
        if (savedFirst) {
            typeAt(unitPage(), 0, "{saved}");
            ASSERT_TRUE(form->save());
            onDisk = read(unitPath);
        }
        const int history = unitPage()->document()->availableUndoSteps();
        typeAt(unitPage(), 0, "ab\ncd");
        QTest::keyClick(unitPage(), Qt::Key_Backspace);
        EXPECT_TRUE(unitModified());
        while (unitPage()->document()->availableUndoSteps() > history)
            QTest::keyClick(unitPage(), Qt::Key_Z, Qt::ControlModifier);
        EXPECT_FALSE(unitModified());
        form->updateCommands();
        EXPECT_FALSE(findAction("ActFileSave")->isEnabled());
        EXPECT_TRUE(form->close());
        EXPECT_EQ(read(unitPath), onDisk);
        if (savedFirst) {
            // Undoing past the save brings back a text that differs from the disk.
            QTest::keyClick(unitPage(), Qt::Key_Z, Qt::ControlModifier);
            EXPECT_TRUE(unitModified());
            unitPage()->redo();
            EXPECT_FALSE(unitModified());
        }
    }
}

TEST_F(Saving, TextThatDoesNotParseChangesNothingOnDisk)
{
    for (bool backup : {true, false}) {
        SCOPED_TRACE(backup ? "backups on" : "backups off");
        openSample();
        setBackups(backup);
        typeAt(unitPage(), 0, "{unit edit}");
        const int third = formPage()->document()->findBlockByNumber(2).position();
        typeAt(formPage(), third, "= =");
        prompts.errors.clear();
        EXPECT_FALSE(form->save());
        ASSERT_EQ(prompts.errors.size(), 1);
        EXPECT_EQ(prompts.errors[0], "Identificateur attendu à la ligne 3.");
        EXPECT_EQ(caretStatus(), "L: 003 C: 001");
        EXPECT_EQ(read(formPath), originalForm);
        EXPECT_EQ(read(unitPath), originalUnit);
        EXPECT_FALSE(QFile::exists(folder.filePath("Sample.D$$")));
        EXPECT_FALSE(QFile::exists(folder.filePath("Sample.P$$")));
        // An error at closing keeps the window open.
        EXPECT_FALSE(form->close());
        prompts.answers = {false};
    }
}

TEST_F(Saving, AFailedSaveKeepsSaveOfferedAndTheQuestion)
{
    const QString other = folder.filePath("Other.dfm");
    ASSERT_TRUE(QFile::copy(formPath, other));
    for (const char* failing : {"ActFileSave", "ActSaveAs"}) {
        SCOPED_TRACE(failing);
        openSample();
        typeAt(unitPage(), 0, "{unit edit}");
        typeAt(formPage(), formPage()->document()->findBlockByNumber(2).position(), "= =");
        prompts.onExec = [&](QDialog& dialog) {
            static_cast<QFileDialog&>(dialog).selectFile(folder.filePath("Copy.dfm"));
            return int(QDialog::Accepted);
        };
        prompts.errors.clear();
        trigger(failing);
        ASSERT_EQ(prompts.errors.size(), 1);
        form->updateCommands();
        EXPECT_TRUE(findAction("ActFileSave")->isEnabled());
        EXPECT_TRUE(formModified());
        EXPECT_TRUE(unitModified());
        // Opening another form still asks before the edits go.
        prompts.questions.clear();
        prompts.answers = {false};
        form->openFormFile(other);
        EXPECT_EQ(prompts.questions.size(), 1);
        EXPECT_EQ(form->document().formPath(), other);
        EXPECT_EQ(read(formPath), originalForm);
        EXPECT_EQ(read(unitPath), originalUnit);
    }
}

TEST_F(Saving, InPlaceWriteLeavesExactlyTheNewLength)
{
    openSample();
    setBackups(false);
    QString text = formPage()->text();
    text.replace("Caption = 'Quen sample form - every kind of value'", "Caption = 'Q'");
    formPage()->setPlainText(text);
    ASSERT_TRUE(form->save());
    const QByteArray written = read(formPath);
    EXPECT_LT(written.size(), originalForm.size());
    EXPECT_EQ(written, dfm::FormFiles::convertFormText(text));
    EXPECT_FALSE(QFile::exists(folder.filePath("Sample.D$$")));
}

TEST_F(Saving, NewFilesKeepThePermissionsAndLinksAreMovedAside)
{
    const QString target = folder.filePath("Target.dfm");
    ASSERT_TRUE(QFile::rename(formPath, target));
    ASSERT_TRUE(QFile::link(target, formPath));
    const auto mode = [](const QString& path) {
        struct stat status {};
        return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 0777 : 0u;
    };
    ::chmod(QFile::encodeName(unitPath).constData(), 0604);
    openSample();
    typeAt(unitPage(), 0, "x");
    ASSERT_TRUE(form->save());
    EXPECT_EQ(mode(unitPath), 0604u);
    EXPECT_FALSE(QFileInfo(formPath).isSymLink());
    EXPECT_EQ(read(formPath), originalForm);
    EXPECT_EQ(QFileInfo(folder.filePath("Sample.D$$")).symLinkTarget(), target);
    EXPECT_EQ(read(target), originalForm);
}

TEST_F(Saving, WithoutBackupsAReadOnlyFormIsAnError)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not hold for root";
    openSample();
    setBackups(false);
    QFile::setPermissions(formPath, QFileDevice::ReadOwner);
    typeAt(unitPage(), 0, "x");
    EXPECT_FALSE(form->save());
    EXPECT_EQ(prompts.errors, QStringList{"Impossible d'ouvrir le fichier " + formPath + " (Permission denied)"});
    EXPECT_EQ(read(unitPath), originalUnit);
}

// A read-only form or unit is a lock that holds, with or without backups: the save is refused with
// the file named and nothing changes on disk. A read-only unit that was not edited is left as it
// is and does not stop the form's save.
TEST_F(Saving, ReadOnlyFilesAreRefusedAndAnUneditedOneIsLeftAlone)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not hold for root";
    const struct {
        const char* name;
        bool backup;
        bool formReadOnly;
        bool unitEdited;
        QString refused;
    } cases[] = {
        {"form and unit, backups on", true, true, true, formPath},
        {"form and unit, backups off", false, true, true, formPath},
        {"edited unit, backups on", true, false, true, unitPath},
        {"edited unit, backups off", false, false, true, unitPath},
        {"unit not edited, backups on", true, false, false, ""},
        {"unit not edited, backups off", false, false, false, ""},
    };
    const QFileDevice::Permissions readWrite = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString& path : {formPath, unitPath})
            QFile::setPermissions(path, readWrite);
        write(formPath, originalForm);
        QFile::remove(folder.filePath("Sample.D$$"));
        QFile::remove(folder.filePath("Sample.P$$"));
        QFile::setPermissions(unitPath, QFileDevice::ReadOwner);
        if (c.formReadOnly)
            QFile::setPermissions(formPath, QFileDevice::ReadOwner);
        openSample();
        setBackups(c.backup);
        typeAt(formPage(), formPage()->document()->findBlockByNumber(1).position(), "  Hint = 'locked'\n");
        if (c.unitEdited)
            typeAt(unitPage(), 0, "{locked}");
        const QByteArray expectedForm = dfm::FormFiles::convertFormText(formPage()->text());
        prompts.errors.clear();
        trigger("ActFileSave");
        const bool refused = !c.refused.isEmpty();
        EXPECT_EQ(prompts.errors,
                  refused ? QStringList{"Impossible d'ouvrir le fichier " + c.refused + " (Permission denied)"} : QStringList());
        EXPECT_EQ(findAction("ActFileSave")->isEnabled(), refused);
        EXPECT_EQ(read(formPath), refused ? originalForm : expectedForm);
        EXPECT_EQ(read(unitPath), originalUnit);
        EXPECT_FALSE(QFileInfo(unitPath).isWritable());
        const QStringList left = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
        QSet<QString> expected{"Sample.dfm", "Sample.PAS"};
        if (c.backup && !refused)
            expected << "Sample.D$$";
        EXPECT_EQ(QSet<QString>(left.begin(), left.end()), expected);
        prompts.answers = {false};
    }

    // Save as onto a read-only form is refused too.
    const QString copy = folder.filePath("Copy.dfm");
    write(copy, "locked copy");
    QFile::setPermissions(copy, QFileDevice::ReadOwner);
    prompts.onExec = [&](QDialog& dialog) {
        static_cast<QFileDialog&>(dialog).selectFile(copy);
        return int(QDialog::Accepted);
    };
    prompts.errors.clear();
    trigger("ActSaveAs");
    EXPECT_EQ(prompts.errors, QStringList{"Impossible d'ouvrir le fichier " + copy + " (Permission denied)"});
    EXPECT_EQ(read(copy), "locked copy");
    EXPECT_EQ(form->document().formPath(), formPath);
}

// A folder that takes no new files (shared, or another user's) while its form and unit are
// writable: the save rewrites them in place; a file missing there is named in the error and
// nothing is written.
TEST_F(Saving, AFolderThatTakesNoNewFilesGetsItsFilesRewrittenInPlace)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not hold for root";
    const QString newUnit = "{shared}" + QString::fromLatin1(originalUnit);
    const struct {
        const char* name;
        bool backup;
        bool unitThere;
        QString error;
    } cases[] = {
        {"backups on", true, true, ""},
        {"backups off", false, true, ""},
        {"no unit file", true, false, "Impossible de créer le fichier " + unitPath + " (Permission denied)"},
    };
    const auto lock = [this](bool locked) {
        QFile::setPermissions(folder.path(), locked ? QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                                    : QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                          | QFileDevice::ExeOwner);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write(formPath, originalForm);
        if (c.unitThere)
            write(unitPath, originalUnit);
        else
            QFile::remove(unitPath);
        openSample();
        setBackups(c.backup);
        const int second = formPage()->document()->findBlockByNumber(1).position();
        typeAt(formPage(), second, "  Hint = 'shared'\n");
        unitPage()->selectAll();
        unitPage()->insertPlainText(newUnit);
        const QByteArray expectedForm = dfm::FormFiles::convertFormText(formPage()->text());
        prompts.errors.clear();
        lock(true);
        const bool saved = form->save();
        lock(false);
        EXPECT_EQ(saved, c.error.isEmpty());
        EXPECT_EQ(prompts.errors, c.error.isEmpty() ? QStringList() : QStringList{c.error}) << prompts.errors.join("|").toStdString();
        EXPECT_EQ(read(formPath), c.error.isEmpty() ? expectedForm : originalForm);
        EXPECT_EQ(read(unitPath), c.unitThere ? newUnit.toLatin1() : QByteArray("<missing>"));
        const QStringList left = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
        const QStringList expected = c.unitThere ? QStringList{"Sample.PAS", "Sample.dfm"} : QStringList{"Sample.dfm"};
        EXPECT_EQ(QSet<QString>(left.begin(), left.end()), QSet<QString>(expected.begin(), expected.end()));
        prompts.answers = {false};
    }

    // Save as there: onto files that are there, in place; a new name cannot be created.
    write(unitPath, originalUnit);
    openSample();
    const QString copy = folder.filePath("Copy.dfm");
    write(copy, "old copy");
    write(folder.filePath("Copy.PAS"), "old unit");
    for (const QString& chosen : {copy, folder.filePath("New.dfm")}) {
        SCOPED_TRACE(chosen.toStdString());
        prompts.onExec = [&](QDialog& dialog) {
            static_cast<QFileDialog&>(dialog).selectFile(chosen);
            return int(QDialog::Accepted);
        };
        prompts.errors.clear();
        lock(true);
        trigger("ActSaveAs");
        lock(false);
        if (chosen == copy) {
            EXPECT_TRUE(prompts.errors.isEmpty());
            EXPECT_EQ(read(copy), originalForm);
            EXPECT_EQ(read(folder.filePath("Copy.PAS")), originalUnit);
        } else {
            EXPECT_EQ(prompts.errors, QStringList{"Impossible de créer le fichier " + chosen + " (Permission denied)"}) << prompts.errors.join("|").toStdString();
            EXPECT_FALSE(QFile::exists(chosen));
        }
    }
}

TEST_F(Saving, WithoutBackupsAMissingFormFileIsAnError)
{
    openSample();
    setBackups(false);
    QFile::remove(formPath);
    typeAt(unitPage(), 0, "x");
    EXPECT_FALSE(form->save());
    EXPECT_EQ(prompts.errors,
              QStringList{"Impossible d'ouvrir le fichier " + formPath + " (No such file or directory)"});
    EXPECT_FALSE(QFile::exists(formPath));
    EXPECT_EQ(read(unitPath), originalUnit);
}

// A file-size limit stands in for a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST_F(Saving, AFullDiskChangesNoFile)
{
    for (bool backup : {true, false}) {
        SCOPED_TRACE(backup ? "backups on" : "backups off");
        openSample();
        setBackups(backup);
        const int second = formPage()->document()->findBlockByNumber(1).position();
        formPage()->select(second, 0);
        formPage()->insertPlainText("  Hint = '" + QString(3000, u'h') + "'\n");
        prompts.errors.clear();
        {
            FileSizeLimit limit(static_cast<rlim_t>(originalForm.size()));
            EXPECT_FALSE(form->save());
        }
        EXPECT_EQ(prompts.errors, QStringList{"Erreur d'écriture dans le flux (File too large)"});
        EXPECT_EQ(read(formPath), originalForm);
        EXPECT_EQ(read(unitPath), originalUnit);
        EXPECT_FALSE(QFile::exists(folder.filePath("Sample.D$$")));
        const QStringList left = QDir(folder.path()).entryList(QDir::Files);
        EXPECT_EQ(QSet<QString>(left.begin(), left.end()), (QSet<QString>{"Sample.PAS", "Sample.dfm"}));
        prompts.answers = {false};
    }
}

TEST_F(Saving, AnUnreadableUnitIsNotOverwrittenUnlessTyped)
{
    QFile::remove(unitPath);
    ASSERT_TRUE(QDir(folder.path()).mkdir("Sample.PAS"));
    openSample();
    EXPECT_TRUE(unitPage()->text().isEmpty());
    EXPECT_TRUE(prompts.errors.isEmpty());
    typeAt(formPage(), 0, " ");
    ASSERT_TRUE(form->save());
    EXPECT_TRUE(QFileInfo(unitPath).isDir());
    EXPECT_FALSE(QFile::exists(folder.filePath("Sample.P$$")));
    EXPECT_TRUE(prompts.errors.isEmpty());
}

// The unit's backup may be its only copy: it stays until a newer copy of the unit replaces it.
TEST_F(Saving, NoUnitOnDiskIsWrittenOnlyWhenTypedAndKeepsItsBackup)
{
    QFile::remove(unitPath);
    const QString unitBackup = folder.filePath("Sample.P$$");
    write(unitBackup, "only copy");
    for (bool backup : {true, false}) {
        SCOPED_TRACE(backup ? "backups on" : "backups off");
        openSample();
        setBackups(backup);
        typeAt(formPage(), 0, " ");
        trigger("ActFileSave");
        EXPECT_TRUE(prompts.errors.isEmpty());
        EXPECT_FALSE(findAction("ActFileSave")->isEnabled());
        EXPECT_EQ(read(unitBackup), "only copy");
        EXPECT_EQ(read(unitPath), "<missing>");
        const QStringList left = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(QSet<QString>(left.begin(), left.end()),
                  (QSet<QString>{"Sample.dfm", "Sample.D$$", "Sample.P$$"}));
        // Typed and then undone is not typed.
        typeAt(unitPage(), 0, "x");
        QTest::keyClick(unitPage(), Qt::Key_Z, Qt::ControlModifier);
        EXPECT_TRUE(form->close());
        EXPECT_EQ(read(unitPath), "<missing>");
    }

    // A unit typed into is written; there was no previous unit to replace its backup.
    openSample();
    typeAt(unitPage(), 0, "unit Sample;");
    ASSERT_TRUE(form->save());
    EXPECT_EQ(read(unitPath), "unit Sample;\r\n");
    EXPECT_EQ(read(unitBackup), "only copy");
}

TEST_F(Saving, SaveAsWritesUnderTheNewNameOnly)
{
    openSample();
    const QString chosen = folder.filePath("Copy");
    prompts.onExec = [&](QDialog& dialog) {
        static_cast<QFileDialog&>(dialog).selectFile(chosen);
        return int(QDialog::Accepted);
    };
    typeAt(unitPage(), 0, "{as}");
    trigger("ActSaveAs");
    EXPECT_EQ(form->document().formPath(), chosen);
    EXPECT_EQ(form->windowTitle(), chosen);
    EXPECT_EQ(read(chosen), originalForm);
    EXPECT_EQ(read(folder.filePath("Copy.PAS")), "{as}" + originalUnit);
    EXPECT_EQ(read(unitPath), originalUnit);
    EXPECT_FALSE(QFile::exists(folder.filePath("Sample.D$$")));
    // The marks stay, so closing saves again; Save is withdrawn and opening another form does not ask.
    EXPECT_TRUE(unitModified());
    EXPECT_FALSE(findAction("ActFileSave")->isEnabled());
    EXPECT_TRUE(findAction("ActCancelModified")->isEnabled());

    // An empty source page writes no unit; a text that does not parse writes nothing.
    unitPage()->clear();
    const QString second = folder.filePath("Second.dfm");
    prompts.onExec = [&](QDialog& dialog) {
        static_cast<QFileDialog&>(dialog).selectFile(second);
        return int(QDialog::Accepted);
    };
    typeAt(formPage(), 0, "}");
    trigger("ActSaveAs");
    EXPECT_EQ(prompts.errors.size(), 1);
    EXPECT_FALSE(QFile::exists(second));
    EXPECT_EQ(form->document().formPath(), chosen);
    QTest::keyClick(formPage(), Qt::Key_Backspace);
    trigger("ActSaveAs");
    EXPECT_EQ(read(second), originalForm);
    EXPECT_FALSE(QFile::exists(folder.filePath("Second.PAS")));
    // The form page is still marked, yet opening another form after Save as does not ask.
    EXPECT_TRUE(formModified());
    form->openFormFile(formPath);
    EXPECT_TRUE(prompts.questions.isEmpty());
}

}  // namespace

namespace {

// Real forms of the shared corpus, binary ones that convert back to their own bytes and every text
// form, with their units where the corpus has them (same project and path): opened, touched, saved,
// and compared with what they were.
TEST_F(Saving, RealFormsAndUnitsComeBackByteForByte)
{
    QFile manifest(DFM_CORPUS_DIR "/MANIFEST.tsv");
    ASSERT_TRUE(manifest.open(QIODevice::ReadOnly | QIODevice::Text));
    QList<QStringList> rows;
    QMap<QString, QString> unitOf;
    const auto project = [](const QStringList& row) {
        return row[2] + u'/' + QFileInfo(row[3]).path() + u'/' + QFileInfo(row[3]).completeBaseName().toUpper();
    };
    while (!manifest.atEnd()) {
        const QStringList row = QString::fromUtf8(manifest.readLine()).trimmed().split(u'\t');
        if (row.size() < 6)
            continue;
        if (row[0] == "unit")
            unitOf[project(row)] = row[1];
        else if ((row[0] == "binary" && row[5] == "identical") || row[0] == "text")
            rows << row;
    }
    int withUnit = 0;
    for (const QStringList& row : rows) {
        SCOPED_TRACE(row[1].toStdString());
        const QString original = DFM_CORPUS_DIR "/" + row[0] + u'/' + row[1];
        const QString path = folder.filePath(row[1]);
        ASSERT_TRUE(QFile::copy(original, path));
        QString unitPath;
        QString unitOriginal;
        if (unitOf.contains(project(row))) {
            unitOriginal = DFM_CORPUS_DIR "/unit/" + unitOf[project(row)];
            unitPath = dfm::FormFiles::withExtension(path, dfm::FormFiles::extensionOf(unitOriginal));
            ASSERT_TRUE(QFile::copy(unitOriginal, unitPath));
            ++withUnit;
        }
        form->openFormFile(path);
        ASSERT_EQ(form->document().formPath(), path);
        EXPECT_EQ(unitPage()->text().isEmpty(), unitPath.isEmpty());
        for (dfm::PageEditor* memo : {formPage(), unitPage()}) {
            typeAt(memo, 0, "x");
            QTest::keyClick(memo, Qt::Key_Backspace);
        }
        ASSERT_TRUE(form->save());
        EXPECT_EQ(read(path), read(original));
        if (!unitPath.isEmpty()) {
            EXPECT_EQ(read(unitPath), read(unitOriginal));
        }
    }
    EXPECT_GT(rows.size(), 300);
    EXPECT_GE(withUnit, 8);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(u'\n').toStdString();
}

}  // namespace
