// The editor's plain rules: byte mapping of pages, command line, finder names, search, file names.
#include "CodePage.h"
#include "CommandLineFileName.h"
#include "DeclarationFinder.h"
#include "FormFiles.h"
#include "PageText.h"
#include "TextSearch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace dfm;

namespace {

std::string_view view(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

TEST(PageText, EveryByteComesBackUnchanged)
{
    QByteArray all;
    for (int c = 0; c < 256; ++c)
        all.append(static_cast<char>(c));
    const QString shown = PageText::fromBytes(view(all));
    EXPECT_EQ(PageText::toBytes(shown), all);
    EXPECT_EQ(shown[0x80], QChar(0x20AC));
    EXPECT_EQ(shown[0x81], QChar(0x81));
    EXPECT_EQ(shown[0x9D], QChar(0x9D));
    EXPECT_EQ(shown[0xE9], QChar(0xE9));
    EXPECT_EQ(PageText::toBytes(QStringLiteral("\u0142\u0080")), QByteArray("??"));
}

TEST(PageText, UnitFilesAreWrittenBackAsTheyWereRead)
{
    const struct {
        const char* name;
        QByteArray bytes;
        TextFormat::Encoding encoding;
        QString shown;
    } cases[] = {
        {"CR LF", "unit A;\r\nend.\r\n", TextFormat::Encoding::Bytes, "unit A;\nend.\n"},
        {"LF only", "unit A;\nend.\n", TextFormat::Encoding::Bytes, "unit A;\nend.\n"},
        {"no final break", "unit A;\r\nend.", TextFormat::Encoding::Bytes, "unit A;\nend."},
        {"Windows-1252", "{ caf\xE9 \x80 }\r\n", TextFormat::Encoding::Bytes, QStringLiteral("{ caf\u00E9 \u20AC }\n")},
        {"UTF-8", "{ caf\xC3\xA9 }\r\n", TextFormat::Encoding::Utf8, QStringLiteral("{ caf\u00E9 }\n")},
        {"UTF-8 with mark", "\xEF\xBB\xBF{ \xE2\x82\xAC }\r\n", TextFormat::Encoding::Utf8, QStringLiteral("{ \u20AC }\n")},
        {"empty", "", TextFormat::Encoding::Bytes, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TextFormat format;
        const QString shown = PageText::decode(view(c.bytes), &format);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(format.encoding, c.encoding);
        EXPECT_EQ(PageText::encode(shown, format), c.bytes);
    }
}

TEST(PageText, LinesWithoutBreakGetOneAndCountTwoCharactersEach)
{
    EXPECT_EQ(PageText::encode(QStringLiteral("a\nb"), PageText::formFormat()), QByteArray("a\r\nb\r\n"));
    TextFormat format;
    EXPECT_EQ(PageText::decode("a\rb\r\n", &format), QStringLiteral("a\nb\n"));
    EXPECT_EQ(PageText::decode("a\r\r\nb\n\r", &format), QStringLiteral("a\n\nb\n\n"));
    EXPECT_EQ(PageText::characterCount(QStringLiteral("ab\ncd\n")), 8);
}

TEST(CommandLineFileName, OneNameAfterTheProgram)
{
    const struct {
        QStringList arguments;
        QString expected;
    } cases[] = {
        {{"QuenDFMEd"}, ""},
        {{"QuenDFMEd", "/tmp/Main.dfm"}, "/tmp/Main.dfm"},
        {{"QuenDFMEd", "/tmp/my", "forms/Main.dfm"}, "/tmp/my forms/Main.dfm"},
        {{"QuenDFMEd", "\"/tmp/my forms/Main.dfm\""}, "/tmp/my forms/Main.dfm"},
        {{"QuenDFMEd", "\"", "/tmp/a.dfm", "\""}, "/tmp/a.dfm"},
        {{"QuenDFMEd", "  "}, ""},
        {{"QuenDFMEd", "\""}, ""},
        {{"QuenDFMEd", "ed", "Main.dfm"}, "ed Main.dfm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        EXPECT_EQ(commandLineFileName(c.arguments), c.expected);
    }
}

TEST(CommandLineFileName, OptionsInFrontAndEverythingElseAName)
{
    using Action = EditorCommandLine::Action;
    const struct {
        QStringList arguments;
        Action action;
        QString fileName;
    } cases[] = {
        {{"QuenDFMEd"}, Action::Open, ""},
        {{"QuenDFMEd", "--help"}, Action::Help, ""},
        {{"QuenDFMEd", "-h"}, Action::Help, ""},
        {{"QuenDFMEd", "--version"}, Action::Version, ""},
        {{"QuenDFMEd", "--verbose", "Main.dfm"}, Action::WrongUsage, ""},
        {{"QuenDFMEd", "--"}, Action::Open, ""},
        {{"QuenDFMEd", "--", "--help"}, Action::Open, "--help"},
        {{"QuenDFMEd", "--", "-odd", "name.dfm"}, Action::Open, "-odd name.dfm"},
        {{"QuenDFMEd", "--", "--"}, Action::Open, "--"},
        // A single dash does not make an option: the name is joined as ever.
        {{"QuenDFMEd", "-odd.dfm"}, Action::Open, "-odd.dfm"},
        {{"QuenDFMEd", "my", "--help", "form.dfm"}, Action::Open, "my --help form.dfm"},
        {{"QuenDFMEd", "/tmp/my", "forms/Main.dfm"}, Action::Open, "/tmp/my forms/Main.dfm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const EditorCommandLine read = readEditorCommandLine(c.arguments);
        EXPECT_EQ(read.action, c.action);
        if (c.action == Action::Open) {
            EXPECT_EQ(commandLineFileName(read.arguments), c.fileName);
        }
        if (c.action == Action::WrongUsage) {
            EXPECT_EQ(read.unknownOption, c.arguments.at(1));
        }
    }
}

TEST(DeclarationFinder, NameFromTheLineOrTheWordAtTheCaret)
{
    using Mode = DeclarationFinder::Mode;
    using Outcome = DeclarationFinder::Outcome;
    const QString page = QStringLiteral("object Form1: TForm1\n  OnClick = Button1Click\n  object B: TB\n  end\nend");
    const qsizetype inHandler = page.indexOf(u"Click\n") - 3;
    const struct {
        const char* name;
        QString line;
        qsizetype caret;
        Mode mode;
        Outcome outcome;
        QString expected;
    } cases[] = {
        {"object line", "  object Button1: TButton", 0, Mode::Declaration, Outcome::Search, "BUTTON1:"},
        {"inline frame", "  inline Footer: TFooterFrame", 0, Mode::Declaration, Outcome::Search, "FOOTER:"},
        {"property named Object...", "ObjectMenuItem = Item1", 0, Mode::Declaration, Outcome::Search, "MENUITEM:"},
        {"empty line", "   ", 0, Mode::Declaration, Outcome::Nothing, ""},
        {"inherited, declaration", "inherited Panel1: TPanel", 0, Mode::Declaration,
         Outcome::InheritedHasNoDeclaration, ""},
        {"handler, implementation", "  OnClick = Button1Click", inHandler, Mode::Implementation, Outcome::Search,
         "Button1Click"},
        {"handler, declaration", "  OnClick = Button1Click", inHandler, Mode::Declaration, Outcome::Search,
         "Button1Click:"},
        {"inherited, implementation uses the word", "inherited Form1: TForm1", 9, Mode::Implementation,
         Outcome::Search, "Form1:"},
        {"caret at a line start runs back over the break", "end", page.size() - 3, Mode::Implementation,
         Outcome::Search, "end\nend"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DeclarationFinder::Target target = DeclarationFinder::nameAt(c.line, page, c.caret, c.mode);
        EXPECT_EQ(target.outcome, c.outcome);
        EXPECT_EQ(target.name, c.expected);
    }
}

TEST(FindInText, CaseStartAndTrailBytes)
{
    const QString text = QStringLiteral("OBJECT Object object \u00E9t\u00C9");
    EXPECT_EQ(findInText(text, QStringLiteral("object"), false, 0), 0);
    EXPECT_EQ(findInText(text, QStringLiteral("object"), false, 1), 7);
    EXPECT_EQ(findInText(text, QStringLiteral("object"), true, 0), 14);
    EXPECT_EQ(findInText(text, QStringLiteral("object"), true, 15), -1);
    EXPECT_EQ(findInText(text, QStringLiteral("\u00C9T\u00E9"), false, 0), 21);
    EXPECT_EQ(findInText(text, QString(), false, 0), -1);

    // A double-byte page is searched as its characters: the second byte of one is never a match.
    const QString katakana = PageText::fromBytes("\x83\x41 A", 932);
    EXPECT_EQ(katakana, QStringLiteral("\u30A2 A"));
    EXPECT_EQ(findInText(katakana, QStringLiteral("A"), true, 0), 2);
}

TEST(FormFiles, FileNamesBesideTheForm)
{
    EXPECT_EQ(FormFiles::extensionOf("/x/Unit1.dfm"), ".dfm");
    EXPECT_EQ(FormFiles::extensionOf("/x.y/Unit1"), "");
    EXPECT_EQ(FormFiles::withExtension("/x/Unit1.dfm", ".PAS"), "/x/Unit1.PAS");
    EXPECT_EQ(FormFiles::withExtension("/x.y/Unit1", ".PAS"), "/x.y/Unit1.PAS");
    EXPECT_EQ(FormFiles::withExtension("/x/Unit1.PAS", ".P$$"), "/x/Unit1.P$$");

    QTemporaryDir folder;
    const QString form = folder.filePath("Unit1.dfm");
    EXPECT_EQ(FormFiles::unitFileName(form), folder.filePath("Unit1.PAS"));
    QFile lower(folder.filePath("Unit1.pas"));
    ASSERT_TRUE(lower.open(QIODevice::WriteOnly));
    lower.close();
    EXPECT_EQ(FormFiles::unitFileName(form), folder.filePath("Unit1.pas"));
    EXPECT_EQ(FormFiles::unitFileName(QString()), QString());
    // A base name in another case, as dfmlint finds it.
    QFile upper(folder.filePath("DESTTAB.PAS"));
    ASSERT_TRUE(upper.open(QIODevice::WriteOnly));
    upper.close();
    EXPECT_EQ(FormFiles::unitFileName(folder.filePath("Desttab.dfm")), folder.filePath("DESTTAB.PAS"));

    // The units dfmlint checks for the same folders (DfmlintTest.TheUnitIsTheOneTheEditorFinds).
    QDir units(folder.path());
    ASSERT_TRUE(units.mkdir(QStringLiteral("units")) && units.cd(QStringLiteral("units")));
    for (const char* name : {"A.PAS", "a.pas", "A.pas"}) {
        QFile unit(units.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(unit.open(QIODevice::WriteOnly));
    }
    const QString formA = units.filePath(QStringLiteral("A.dfm"));
    for (const char* expected : {"A.PAS", "A.pas", "a.pas"}) {
        EXPECT_EQ(FormFiles::unitFileName(formA), units.filePath(QString::fromLatin1(expected)));
        EXPECT_EQ(FormFiles::foundUnitFile(formA), units.filePath(QString::fromLatin1(expected)));
        ASSERT_TRUE(units.remove(QString::fromLatin1(expected)));
    }
    EXPECT_EQ(FormFiles::foundUnitFile(formA), std::nullopt);
    // A folder named like the unit is none; the unit page would be written as NAME.PAS.
    ASSERT_TRUE(units.mkdir(QStringLiteral("A.pas")));
    EXPECT_EQ(FormFiles::foundUnitFile(formA), std::nullopt);
    EXPECT_EQ(FormFiles::unitFileName(formA), units.filePath(QStringLiteral("A.PAS")));
}

}  // namespace
