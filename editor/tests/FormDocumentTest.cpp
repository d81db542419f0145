// The document without a window: the pages' modified marks through edits, saves and opens, and
// the form text read again after edits.
#include "Errors.h"
#include "FormDocument.h"
#include "MemoryStream.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

namespace {

std::string binaryOf(const dfm::FormModel& model)
{
    dfm::MemoryStream bytes;
    model.writeBinary(bytes);
    return std::string(bytes.view());
}

using dfm::FormDocument;
using Page = FormDocument::Page;

class FormDocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QDir(folder.path()).mkdir("project"));
        formPath = folder.filePath("project/Sample.dfm");
        ASSERT_TRUE(QFile::copy(DFM_SOURCE_DIR "/examples/Sample.dfm", formPath));
        ASSERT_TRUE(QFile::copy(DFM_SOURCE_DIR "/examples/Sample.PAS", folder.filePath("project/Sample.PAS")));
        otherPath = folder.filePath("Other.dfm");
        ASSERT_TRUE(QFile::copy(formPath, otherPath));
        document.open(formPath);
    }

    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // An edit as typing makes it: one undo step.
    void type(Page page, int line, const QString& text)
    {
        QTextCursor cursor(document.page(page)->findBlockByNumber(line));
        cursor.insertText(text);
    }

    // Waits for the form text's parse after the last edit.
    bool parsed()
    {
        return QTest::qWaitFor([this] { return !document.formParsePending(); }, 10000);
    }

    QTemporaryDir folder;
    QString formPath;
    QString otherPath;
    FormDocument document;
};

TEST_F(FormDocumentTest, MarksFollowEditsSavesUndoAndOpens)
{
    const QString projectFolder = folder.filePath("project");
    const QString movedFolder = folder.filePath("moved");
    const QString unitPath = folder.filePath("project/Sample.PAS");
    const QByteArray originalUnit = read(unitPath);
    const auto save = [this] { document.save(); };
    const struct {
        const char* step;
        std::function<void()> run;
        bool formModified;
        bool unitModified;
    } steps[] = {
        {"opened", [] {}, false, false},
        {"form edited", [this] { type(Page::Form, 0, " "); }, true, false},
        {"unit edited", [this] { type(Page::Unit, 0, "{x}"); }, true, true},
        {"save of a text that does not parse",
         [&] {
             type(Page::Form, 2, "= =");
             EXPECT_THROW(save(), dfm::ParserError);
             EXPECT_EQ(read(unitPath), originalUnit);
             document.page(Page::Form)->undo();
         },
         true, true},
        {"save into a folder that is gone",
         [&] {
             ASSERT_TRUE(QDir().rename(projectFolder, movedFolder));
             EXPECT_THROW(save(), dfm::FormError);
             ASSERT_TRUE(QDir().rename(movedFolder, projectFolder));
             EXPECT_EQ(read(unitPath), originalUnit);
         },
         true, true},
        {"saved", save, false, false},
        {"undone past the save", [this] { document.page(Page::Unit)->undo(); }, false, true},
        {"redone back to the save", [this] { document.page(Page::Unit)->redo(); }, false, false},
        {"edited after the save", [this] { type(Page::Form, 1, "  "); }, true, false},
        {"undone back to the save", [this] { document.page(Page::Form)->undo(); }, false, false},
        {"redone away from the save", [this] { document.page(Page::Form)->redo(); }, true, false},
        {"saved as another file",
         [this] { document.saveAs(folder.filePath("Copy.dfm"), document.formFormat()); },
         true, false},
        {"marks dropped", [this] { document.setModified(Page::Form, false); }, false, false},
        {"unit edited again", [this] { type(Page::Unit, 0, "{y}"); }, false, true},
        {"another file opened", [this] { document.open(otherPath); }, false, false},
    };
    QSignalSpy marks(&document, &FormDocument::modifiedChanged);
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        const bool formBefore = document.isModified(Page::Form);
        const bool unitBefore = document.isModified(Page::Unit);
        marks.clear();
        step.run();
        EXPECT_EQ(document.isModified(Page::Form), step.formModified);
        EXPECT_EQ(document.isModified(Page::Unit), step.unitModified);
        EXPECT_EQ(document.isModified(), step.formModified || step.unitModified);
        // Every change of a mark is told, with the page and its new state.
        bool toldForm = formBefore;
        bool toldUnit = unitBefore;
        for (const QList<QVariant>& signal : marks)
            (signal[0].value<Page>() == Page::Form ? toldForm : toldUnit) = signal[1].toBool();
        EXPECT_EQ(toldForm, step.formModified);
        EXPECT_EQ(toldUnit, step.unitModified);
    }
    EXPECT_EQ(read(unitPath), "{x}" + originalUnit);
    EXPECT_EQ(read(folder.filePath("Copy.PAS")), "{x}" + originalUnit);
    EXPECT_EQ(document.formPath(), otherPath);
}

TEST_F(FormDocumentTest, TheWidgetsWholeReplacementIsAChange)
{
    QTextDocument* unit = document.page(Page::Unit);
    // What QPlainTextEdit::setPlainText does to its document: no history, the mark cleared.
    unit->setUndoRedoEnabled(false);
    unit->setPlainText("unit Replaced;");
    unit->setUndoRedoEnabled(true);
    unit->setModified(false);
    EXPECT_TRUE(document.isModified(Page::Unit));
    document.save();
    EXPECT_FALSE(document.isModified(Page::Unit));
    EXPECT_EQ(read(folder.filePath("project/Sample.PAS")), "unit Replaced;\r\n");
}

TEST_F(FormDocumentTest, TheFormTextIsReadAgainAfterAPause)
{
    ASSERT_TRUE(parsed());
    const std::shared_ptr<const dfm::FormModel> opened = document.formModel();
    ASSERT_NE(opened, nullptr);
    EXPECT_FALSE(opened->root().findProperty("Tag"));
    QSignalSpy changed(&document, &FormDocument::formModelChanged);
    QSignalSpy broken(&document, &FormDocument::formTextBroken);

    // Not at the key itself: the text is read once the typing pauses.
    type(Page::Form, 1, "  Tag = 7\n");
    EXPECT_TRUE(document.formParsePending());
    QCoreApplication::processEvents();
    EXPECT_EQ(changed.size(), 0);
    ASSERT_TRUE(parsed());
    ASSERT_EQ(changed.size(), 1);
    const std::shared_ptr<const dfm::FormModel> edited = document.formModel();
    const std::optional<dfm::FormProperty> tag = edited->root().findProperty("Tag");
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->value().integer(), 7);
    EXPECT_EQ(tag->span().firstLine, 2);

    // A text that stops reading is told with its line; the last good model stays.
    type(Page::Form, 2, "= =");
    ASSERT_TRUE(parsed());
    ASSERT_EQ(broken.size(), 1);
    EXPECT_EQ(broken[0][0].toInt(), 3);
    EXPECT_EQ(broken[0][1].toString().toStdString(), "Identificateur attendu à la ligne 3");
    EXPECT_EQ(document.formModel(), edited);
    EXPECT_EQ(changed.size(), 1);

    document.page(Page::Form)->undo();
    ASSERT_TRUE(parsed());
    EXPECT_EQ(changed.size(), 2);
    EXPECT_EQ(binaryOf(*document.formModel()), binaryOf(*edited));
}

TEST_F(FormDocumentTest, AParseOfAnOlderTextIsDropped)
{
    ASSERT_TRUE(parsed());
    // A large text, so that the edit below comes while it is being read.
    QString text = QStringLiteral("object Big: TBig\n");
    for (int i = 0; i < 20000; ++i)
        text += QStringLiteral("  object Label%1: TLabel\n    Caption = 'Label %1'\n  end\n").arg(i);
    text += QStringLiteral("end\n");
    document.loadText(Page::Form, text);
    QSignalSpy changed(&document, &FormDocument::formModelChanged);
    QSignalSpy broken(&document, &FormDocument::formTextBroken);
    type(Page::Form, 2, "= =");
    ASSERT_TRUE(parsed());
    EXPECT_EQ(changed.size(), 0) << "the good text read before the edit is not told";
    ASSERT_EQ(broken.size(), 1);
    EXPECT_EQ(broken[0][0].toInt(), 3);
}

TEST_F(FormDocumentTest, AFailedOpenKeepsTheDocument)
{
    type(Page::Unit, 0, "{kept}");
    const QString unitText = document.text(Page::Unit);
    QSignalSpy opened(&document, &FormDocument::opened);
    EXPECT_THROW(document.open(folder.filePath("Missing.dfm")), dfm::FormError);
    EXPECT_EQ(document.formPath(), formPath);
    EXPECT_EQ(document.text(Page::Unit), unitText);
    EXPECT_TRUE(document.isModified(Page::Unit));
    EXPECT_EQ(opened.size(), 0);
}

}  // namespace
