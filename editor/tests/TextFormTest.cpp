// Text form files in the real window: opened as the characters they hold, saved back as text in
// their own encoding, checked before anything is written, and turned into binary forms and back.
#include "EditorFixture.h"
#include "FormFiles.h"
#include "RoundTrip.h"

#include <QFileDialog>
#include <QTextBlock>

namespace {

using TextForms = EditorFixture;

const QByteArray Mark = "\xEF\xBB\xBF";

// Windows-1252 bytes, CR LF, and a UTF-8 form whose names and caption are Cyrillic.
const QByteArray CodePageForm = "object Form1: TForm1\r\n  Caption = 'Caf\xE9'\r\n  Left = 8\r\nend\r\n";
const QByteArray Utf8Form = Mark
    + "object \xD0\xA4\xD0\xBE\xD1\x80\xD0\xBC\xD0\xB0: TForm1\n"
      "  Caption = '\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82'\n"
      "  object Bouton\xC3\xA9: TButton\n"
      "    Left = 8\n"
      "  end\n"
      "end";

TEST_F(TextForms, OpenAsTheirCharactersAndSaveBackInTheirOwnBytes)
{
    const struct {
        const char* name;
        QByteArray bytes;
        QString shown;  // a piece of the form page
        const char* format;
        const char* backup;
    } cases[] = {
        {"Code.dfm", CodePageForm, QStringLiteral("Caption = 'Caf\u00E9'"), "Text", "Code.D$$"},
        {"Cyrillic.LFM", Utf8Form, QStringLiteral("Caption = '\u041F\u0440\u0438\u0432\u0435\u0442'"), "Text UTF-8",
         "Cyrillic.L$$"},
        {"NoMark.fmx", Utf8Form.mid(3), QStringLiteral("object \u0424\u043E\u0440\u043C\u0430: TForm1"),
         "Text UTF-8", "NoMark.F$$"},
        {"Upper.Xfm", CodePageForm.toUpper(), QStringLiteral("CAPTION = 'CAF\u00E9'"), "Text", "Upper.X$$"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder.filePath(c.name);
        write(path, c.bytes);
        form->openFormFile(path);
        ASSERT_EQ(form->document().formPath(), path);
        EXPECT_TRUE(formPage()->text().contains(c.shown)) << formPage()->text().toStdString();
        EXPECT_EQ(formatPanel(), c.format);

        // Unchanged text comes back byte for byte, the previous file kept under the backup name.
        typeAt(formPage(), 3, "x");
        QTest::keyClick(formPage(), Qt::Key_Backspace);
        ASSERT_TRUE(form->save()) << prompts.errors.join(u'\n').toStdString();
        EXPECT_EQ(read(path), c.bytes);
        EXPECT_EQ(read(folder.filePath(c.backup)), c.bytes);

        // An edit is written in the form's own encoding.
        typeAt(formPage(), formPage()->document()->findBlockByNumber(1).position(), "  Top = 2\n");
        ASSERT_TRUE(form->save()) << prompts.errors.join(u'\n').toStdString();
        QByteArray expected = c.bytes;
        const QByteArray lineBreak = c.bytes.contains("\r\n") ? "\r\n" : "\n";
        expected.insert(expected.indexOf(lineBreak) + lineBreak.size(), "  Top = 2" + lineBreak);
        EXPECT_EQ(read(path), expected);
    }
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(u'\n').toStdString();
    EXPECT_TRUE(prompts.notices.isEmpty()) << prompts.notices.join(u'\n').toStdString();
}

TEST_F(TextForms, TextThatDoesNotParseIsNamedWithItsLineAndNothingIsWritten)
{
    const QString path = folder.filePath("Broken.dfm");
    write(path, CodePageForm);
    form->openFormFile(path);
    const QTextBlock third = formPage()->document()->findBlockByNumber(2);
    typeAt(formPage(), third.position() + third.length() - 1, " +");
    EXPECT_FALSE(form->save());
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(prompts.errors[0], "Identificateur attendu à la ligne 3.");
    EXPECT_EQ(formPage()->textCursor().blockNumber(), 2);
    EXPECT_EQ(read(path), CodePageForm);
    EXPECT_FALSE(QFile::exists(folder.filePath("Broken.D$$")));
}

// A form text under another name opens as text; another text file under such a name does not.
TEST_F(TextForms, OpenUnderAnyNameWhileOtherTextFilesAreRefused)
{
    for (const char* name : {"Form.txt", "Form.pas", "Form"}) {
        SCOPED_TRACE(name);
        prompts.notices.clear();
        write(folder.filePath(name), CodePageForm);
        form->openFormFile(folder.filePath(name));
        EXPECT_TRUE(prompts.notices.isEmpty());
        EXPECT_EQ(form->document().formPath(), folder.filePath(name));
        EXPECT_EQ(formatPanel(), "Text");
    }
    write(folder.filePath("Notes.txt"), "Objects, inherited and inline: all words.\r\n");
    form->openFormFile(folder.filePath("Notes.txt"));
    EXPECT_EQ(prompts.notices, QStringList{"Can't load \".txt\" file type !"});
    EXPECT_EQ(form->document().formPath(), folder.filePath("Form"));
}

TEST_F(TextForms, SaveAsTurnsABinaryFormIntoTextAndBack)
{
    openSample();
    EXPECT_EQ(formatPanel(), "Binary");
    const QString pageText = formPage()->text();
    const auto saveAs = [&](const QString& path, const QString& filter) {
        prompts.onExec = [&](QDialog& dialog) {
            auto& fileDialog = static_cast<QFileDialog&>(dialog);
            fileDialog.selectNameFilter(filter);
            fileDialog.selectFile(path);
            return int(QDialog::Accepted);
        };
        trigger("ActSaveAs");
    };
    const QStringList filters = part<QFileDialog>("SaveDialog1")->nameFilters();
    ASSERT_EQ(filters.size(), 2);

    // Binary to text: the text the form page shows, in the code page with CR LF.
    const QString text = folder.filePath("AsText.dfm");
    saveAs(text, filters[1]);
    EXPECT_EQ(formatPanel(), "Text");
    QByteArray expected = dfm::PageText::encode(pageText, dfm::PageText::formFormat());
    EXPECT_EQ(read(text), expected);
    EXPECT_TRUE(read(text).startsWith("object "));

    // The text form opens as text, and back to binary gives the original bytes.
    form->openFormFile(text);
    EXPECT_EQ(formPage()->text(), pageText);
    const QString binary = folder.filePath("Binary.dfm");
    saveAs(binary, filters[0]);
    EXPECT_EQ(formatPanel(), "Binary");
    EXPECT_EQ(read(binary), originalForm);
    // And the binary form passes the round-trip check.
    const QByteArray saved = read(binary);
    EXPECT_EQ(dfm::checkRoundTrip(std::string_view(saved.constData(), static_cast<std::size_t>(saved.size()))).kind,
              dfm::RoundTripResult::Kind::Identical);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(u'\n').toStdString();
}

TEST_F(TextForms, CharactersBeyondTheCodePageBecomeWideStringsInABinaryForm)
{
    const QString cyrillic = folder.filePath("Cyrillic.dfm");
    write(cyrillic, Utf8Form);
    form->openFormFile(cyrillic);
    prompts.onExec = [&](QDialog& dialog) {
        auto& fileDialog = static_cast<QFileDialog&>(dialog);
        fileDialog.selectNameFilter(fileDialog.nameFilters().constFirst());
        fileDialog.selectFile(folder.filePath("Binary.dfm"));
        return int(QDialog::Accepted);
    };
    trigger("ActSaveAs");
    ASSERT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(u'\n').toStdString();
    form->openFormFile(folder.filePath("Binary.dfm"));
    EXPECT_TRUE(formPage()->text().contains("Caption = #1055#1088#1080#1074#1077#1090\n"));

    // Typed into a binary form, they are kept the same way instead of becoming "?".
    openSample();
    const QTextBlock second = formPage()->document()->findBlockByNumber(1);
    formPage()->select(second.position(), 0);
    formPage()->insertPlainText(QStringLiteral("  Hint = '\u0416\u20AC'\n"));
    ASSERT_TRUE(form->save());
    form->openFormFile(formPath);
    EXPECT_TRUE(formPage()->text().contains("  Hint = #1046#8364\n"));
}

}  // namespace
