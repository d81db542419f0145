// Forms from every code page: the page found from a declared character set or from the strings,
// the Encoding menu's re-read, and every byte saved back.
#include "EditorFixture.h"
#include "CodePage.h"
#include "FormFiles.h"

#include <QActionGroup>
#include <QMenu>
#include <QSettings>

#include <algorithm>

namespace {

using dfm::CodePageChoice;
using Encoding = EditorFixture;

const QString Corpus = QStringLiteral(DFM_CORPUS_DIR);

struct CorpusForm {
    const char* file;
    int page;      // 0: UTF-8
    bool sameBytes;  // saving the form unchanged gives the file back
};

// The encoding tables of the corpus README.
const CorpusForm EncodedForms[] = {
    {"binary/laue-192-ABOUT.DFM", 1251, true},
    {"binary/laue-193-Options.dfm", 1251, true},
    {"binary/Foundation-3-194-Unit1.dfm", 1251, true},
    {"binary/Foundation-3-195-SelFields.dfm", 1251, true},
    {"binary/ITSTF-196-ChildWin.dfm", 1251, false},
    {"binary/ITSTF-197-ABOUT.DFM", 1251, true},
    {"binary/liw-198-Main.dfm", 1251, true},
    {"binary/liw-199-about.dfm", 1251, true},
    {"binary/PGTU_Delphi_DDE_Applicat-200-UNIT1.DFM", 1251, true},
    {"binary/PGTU_Delphi_DDE_Applicat-201-UNIT2.DFM", 1251, true},
    {"binary/PGTU_Delphi_DDE_Applicat-202-UNIT3.DFM", 1251, true},
    {"binary/Calendar-203-FESTIVAL.DFM", 936, true},
    {"binary/Calendar-204-FESTSHOW.DFM", 936, true},
    {"binary/Calendar-205-MAIN.DFM", 936, true},
    {"binary/SPWM-GEN-206-MAIN.DFM", 936, true},
    {"binary/Wyciek-207-UNIT3.DFM", 1250, true},
    {"binary/Piramida-208-UNIT4.DFM", 1250, true},
    {"binary/Gasienica-209-UNIT5.DFM", 1250, true},
    {"binary/Gasienica-210-UNIT7.DFM", 1250, true},
    {"binary/Mistrz-Pamieci-211-UNIT4.DFM", 1250, true},
    {"text/Versioner-146-unit1.lfm", 0, true},
    {"text/Versioner-147-unit_layoutform.lfm", 0, true},
    {"text/Versioner-148-unit_settingform.lfm", 0, true},
    {"text/denscalc-149-unit1.lfm", 0, true},
    {"text/denscalc-150-unit3.lfm", 0, true},
    {"text/denscalc-151-unit5.lfm", 0, true},
    {"text/liw-153-ReportUnit.dfm", 1251, true},
    {"text/liw-154-UNIT1.DFM", 1251, true},
    {"text/liw-155-UNIT2.DFM", 1251, true},
    {"text/liw-156-UNITEXEC.DFM", 1251, true},
    {"text/Foundation-3-157-SelRec.dfm", 1251, true},
    {"text/SPWM-GEN-158-MAIN.DFM", 936, true},
    {"text/wzs-tools-159-u_wzsQueryView.dfm", 1251, true},
};

// Whether the text holds the letters of the script its page is for, as its authors wrote them.
bool holdsScript(const QString& text, int page, const char* file)
{
    const auto count = [&text](char16_t from, char16_t to) {
        return std::count_if(text.begin(), text.end(), [=](QChar c) { return c.unicode() >= from && c.unicode() <= to; });
    };
    if (page == 1250)
        return text.contains(QRegularExpression(QStringLiteral("[\u0105\u0107\u0119\u0142\u0144\u015B\u017A\u017C]")));
    if (page == 1251 || QByteArray(file).contains("denscalc"))
        return count(0x0410, 0x044F) >= 3;
    return count(0x4E00, 0x9FFF) >= 1;
}

TEST(CorpusEncodings, EachFormOpensWithItsPageShowsItsScriptAndSavesUnchanged)
{
    for (const CorpusForm& form : EncodedForms) {
        SCOPED_TRACE(form.file);
        const QString path = Corpus + u'/' + QString::fromLatin1(form.file);
        const dfm::FormFiles::Loaded loaded = dfm::FormFiles::load(path, {0, 1252});
        if (form.page == 0) {
            EXPECT_EQ(loaded.formFormat.text.encoding, dfm::TextFormat::Encoding::Utf8);
        } else {
            EXPECT_EQ(loaded.codePage.number, form.page);
            EXPECT_NE(loaded.codePage.source, CodePageChoice::Source::Default);
        }
        EXPECT_TRUE(holdsScript(loaded.formText, form.page, form.file));
        if (form.sameBytes) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(dfm::FormFiles::formFileBytes(loaded.formText, loaded.formFormat), file.readAll());
        }
    }
}

TEST(CorpusEncodings, AFormWhoseStringsAreWideTakesThePageOfItsUnit)
{
    const dfm::FormFiles::Loaded loaded = dfm::FormFiles::load(Corpus + "/pairs/laue-028-BASE.DFM", {0, 1252});
    EXPECT_EQ(loaded.codePage.number, 1251);
    EXPECT_EQ(loaded.codePage.source, CodePageChoice::Source::Detected);
    EXPECT_TRUE(holdsScript(loaded.unitText, 1251, "unit"));
    QFile unit(Corpus + "/pairs/laue-028-BASE.PAS");
    ASSERT_TRUE(unit.open(QIODevice::ReadOnly));
    EXPECT_EQ(dfm::PageText::encode(loaded.unitText, loaded.unitFormat), unit.readAll());
}

TEST(CorpusEncodings, FormsOfWesternTextKeepTheDefaultPage)
{
    // The binary forms outside the tables: English, French, Portuguese, German text. Three Polish
    // forms among them are recognised as such; a declared set is taken as it stands.
    const QStringList polish = {"delphi-various-examples--180-mainfrm.dfm", "delphi-various-examples--186-MainFrmU.dfm",
                                "delphi-various-examples--187-MainFrm.dfm"};
    int checked = 0;
    for (const QFileInfo& info : QDir(Corpus + "/binary").entryInfoList(QDir::Files)) {
        const bool listed = std::any_of(std::begin(EncodedForms), std::end(EncodedForms), [&](const CorpusForm& form) {
            return QString::fromLatin1(form.file).endsWith(info.fileName());
        });
        if (listed)
            continue;
        SCOPED_TRACE(info.fileName().toStdString());
        const dfm::FormFiles::Loaded loaded = dfm::FormFiles::load(info.filePath(), {0, 1252});
        if (loaded.codePage.source != CodePageChoice::Source::Declared) {
            EXPECT_EQ(loaded.codePage.number, polish.contains(info.fileName()) ? 1250 : 1252);
        }
        ++checked;
    }
    EXPECT_GT(checked, 150);
}

TEST_F(Encoding, AStatusBarSaysWhenTheStringsContradictTheDeclaredSet)
{
    // GBK captions in a form that declares Big5: read as 936, and the user told why.
    const QString path = folder.filePath("Gbk.dfm");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("object F: TF\r\n  Font.Charset = CHINESEBIG5_CHARSET\r\n"
               "  Caption = '\xB3\xC9\xC6\xB7\xC5\xCC\xB5\xE3\xB5\xA5\xC1\xD0\xB1\xED'\r\n"
               "  Hint = '\xCA\xFD\xC1\xBF \xC8\xD5\xC6\xDA \xB5\xA5\xBE\xDD\xB1\xE0\xBA\xC5 "
               "\xBF\xCD\xBB\xA7\xC3\xFB\xB3\xC6 \xB2\xE9\xD1\xAF\xCC\xF5\xBC\xFE'\r\nend\r\n");
    file.close();
    form->openFormFile(path);
    EXPECT_EQ(part<QLabel>("CodePagePanel")->text(),
              "Chinese Simplified (936), detected (the form declares 950, which its strings contradict)");
    EXPECT_TRUE(formPage()->text().contains(QString::fromUtf8("\u6210\u54C1\u76D8\u70B9\u5355\u5217\u8868")));
}

TEST_F(Encoding, TheMenuRereadsTheFormWithThePageChosenForItAlone)
{
    const QString path = folder.filePath("SelFields.dfm");
    ASSERT_TRUE(QFile::copy(Corpus + "/binary/Foundation-3-195-SelFields.dfm", path));
    form->openFormFile(path);
    const QString cyrillic = formPage()->text();
    EXPECT_EQ(part<QLabel>("CodePagePanel")->text(), "Cyrillic (1251), detected");
    EXPECT_TRUE(findAction("ActCodePage1251")->isChecked());

    struct Step {
        const char* page;
        bool edit;
        std::deque<std::optional<bool>> answers;  // to "Save change ?"
        bool reread;
    } steps[] = {
        {"ActCodePage1252", false, {}, true},
        {"ActCodePage1251", true, {false}, true},  // the edit is dropped
        {"ActCodePage1250", true, {true}, true},   // the edit is saved first
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.page);
        if (step.edit)
            typeAt(formPage(), 7, "X");
        form->updateCommands();
        prompts.answers = step.answers;
        trigger(step.page);
        EXPECT_TRUE(prompts.answers.empty());
        EXPECT_FALSE(formModified());
        const int number = QString::fromLatin1(step.page).mid(11).toInt();
        EXPECT_TRUE(findAction(step.page)->isChecked());
        EXPECT_EQ(form->document().codePage().number, number);
        EXPECT_EQ(part<QLabel>("CodePagePanel")->text().endsWith("chosen"), true);
        EXPECT_EQ(formPage()->text() == cyrillic, number == 1251);
    }
    // The saved edit is in the file; a form opened again keeps the page chosen for it.
    EXPECT_TRUE(formPage()->text().startsWith("object X"));
    trigger("ActCodePage1251");
    form->openFormFile(formPath);
    form->openFormFile(path);
    EXPECT_EQ(part<QLabel>("CodePagePanel")->text(), "Cyrillic (1251), chosen");
    // The choice is not the default: a form that declares nothing opens in the stored one, and
    // nothing is stored.
    trigger("ActCodePage1250");
    const QString plain = folder.filePath("Plain.dfm");
    write(plain, "object Form1: TForm1\r\n  Caption = 'Plain'\r\nend\r\n");
    form->openFormFile(plain);
    EXPECT_EQ(part<QLabel>("CodePagePanel")->text(), "Western European (1252), default");
    EXPECT_EQ(form->defaultCodePage(), 1252);
    const QString store = qEnvironmentVariable("XDG_CONFIG_HOME") + "/QuenDFMEd/QuenDFMEd.conf";
    EXPECT_FALSE(QSettings(store, QSettings::IniFormat).contains("TForm1/CodePage"));
    // Its own entry makes the open form's page the default, for the grep window too, and for the
    // next window.
    form->openFormFile(path);
    trigger("ActDefaultCodePage");
    EXPECT_EQ(form->defaultCodePage(), 1250);
    EXPECT_EQ(QSettings(store, QSettings::IniFormat).value("TForm1/CodePage").toString(), "1250");
    form.reset();
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    EXPECT_TRUE(findAction("ActCodePage1250")->isChecked());
    EXPECT_FALSE(findAction("ActDefaultCodePage")->isEnabled()) << "no form is open";
    form->openFormFile(plain);
    EXPECT_EQ(part<QLabel>("CodePagePanel")->text(), "Central European (1250), default");
}

TEST_F(Encoding, AnAsciiFormTakesThePageOfItsHungarianUnit)
{
    // The detector answers ISO-8859-2 for the unit's bytes, which Windows-1250 holds alike.
    write(folder.filePath("Jegyek.dfm"), "object Form1: TForm1\r\n  Caption = 'Jegyek'\r\nend\r\n");
    const QString unit = QString::fromUtf8("unit Jegyek;\r\n\r\ninterface\r\n\r\n"
                                           "// Az osztályzat szöveges neve a jegy alapján, a tanuló átlagához.\r\n"
                                           "function JegyNeve(Jegy: Integer): string;\r\n\r\nimplementation\r\n\r\n"
                                           "function JegyNeve(Jegy: Integer): string;\r\nbegin\r\n  case Jegy of\r\n"
                                           "    5: Result := 'kitűnő';\r\n    4: Result := 'jó';\r\n"
                                           "    3: Result := 'közepes';\r\n    2: Result := 'elégséges';\r\n"
                                           "  else\r\n    Result := 'elégtelen';\r\n  end;\r\nend;\r\n\r\nend.\r\n");
    const std::string bytes = dfm::CodePage::forNumber(1250).fromWide(unit.toStdU16String());
    const QByteArray unitBytes(bytes.data(), static_cast<qsizetype>(bytes.size()));
    write(folder.filePath("Jegyek.pas"), unitBytes);
    form->openFormFile(folder.filePath("Jegyek.dfm"));
    EXPECT_EQ(part<QLabel>("CodePagePanel")->text(), "Central European (1250), detected");
    EXPECT_TRUE(unitPage()->text().contains(QString::fromUtf8("'kitűnő'")));
    ASSERT_TRUE(form->save());
    EXPECT_EQ(read(folder.filePath("Jegyek.pas")), unitBytes);
}

TEST_F(Encoding, ACyrillicWordTypedIntoACaptionIsSavedAsThePagesBytes)
{
    const QString path = folder.filePath("About.dfm");
    ASSERT_TRUE(QFile::copy(Corpus + "/binary/laue-192-ABOUT.DFM", path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    form->openFormFile(path);
    const qsizetype caption = formPage()->text().indexOf(QStringLiteral("Caption = '"));
    ASSERT_GE(caption, 0);
    formPage()->select(caption + 11, 0);
    for (const QChar c : QStringLiteral("\u041F\u0440\u0438\u0432\u0435\u0442 "))
        QTest::sendKeyEvent(QTest::Click, formPage(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    ASSERT_TRUE(form->save()) << prompts.errors.join(u'\n').toStdString();
    // A narrow string (tag 6), its length, then the page's bytes.
    EXPECT_TRUE(read(path).contains("\x06"));
    EXPECT_TRUE(read(path).contains("\xCF\xF0\xE8\xE2\xE5\xF2 ")) << "the word in Windows-1251";
    EXPECT_FALSE(read(path).contains("\x04\x1F")) << "not as a wide string";
    form->openFormFile(path);
    EXPECT_TRUE(formPage()->text().contains(QStringLiteral("'\u041F\u0440\u0438\u0432\u0435\u0442 ")));
}

}  // namespace
