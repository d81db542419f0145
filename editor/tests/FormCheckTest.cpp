// The form check in the window: its command lists the problems of the pages as they are, a row
// goes to its line in the form or unit page, and the ignored classes are edited and stored.
#include "EditorFixture.h"

#include <QApplication>
#include <QDockWidget>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTreeWidget>

namespace {

using FormCheck = EditorFixture;

// The 1-based line of the page that holds text.
int lineOf(dfm::PageEditor* page, const QString& text)
{
    return static_cast<int>(page->text().left(page->text().indexOf(text)).count(u'\n')) + 1;
}

TEST_F(FormCheck, ListsTheProblemsOfThePagesAndGoesToTheirLines)
{
    openSample();
    auto* panel = part<QDockWidget>("LintPanel");
    auto* list = part<QTreeWidget>("LintList");
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(panel->isVisible());
    form->show();
    QApplication::setActiveWindow(form.get());
    formPage()->setFocus();
    // Its shortcut, typed in a page, runs the check rather than typing.
    QTest::keyClick(formPage(), Qt::Key_F7);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(formModified());
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(2), "No problem found.");

    // Edits not yet saved are what is checked.
    QString unit = unitPage()->text();
    unit.replace("    PriceEdit: TEdit;\n", "").replace("procedure TSampleForm.CloseButtonClick", "procedure TSampleForm.Gone");
    unit.replace("    Footer: TFooterFrame;\n", "    Footer: TFooterFrame;\n    Ghost: TButton;\n");
    unitPage()->setPlainText(unit);
    trigger("ActCheckForm");
    ASSERT_EQ(list->topLevelItemCount(), 3);
    const int ghostLine = lineOf(unitPage(), "Ghost:");
    const int priceLine = lineOf(formPage(), "object PriceEdit");
    const int clickLine = lineOf(formPage(), "OnClick = CloseButtonClick");
    const QStringList rows[] = {
        {"DFM", QString::number(std::min(priceLine, clickLine))},
        {"DFM", QString::number(std::max(priceLine, clickLine))},
        {"Source", QString::number(ghostLine)},
    };
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list->topLevelItem(i)->text(0), rows[i][0]);
        EXPECT_EQ(list->topLevelItem(i)->text(1), rows[i][1]);
    }
    EXPECT_EQ(list->topLevelItem(2)->text(2), "field Ghost: TButton has no component in the form");

    // Enter on a row of the form page, a double click on one of the unit page.
    pages()->setCurrentIndex(1);
    list->setCurrentItem(list->topLevelItem(0));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(currentPage(), formPage());
    EXPECT_EQ(formPage()->caretLine(), rows[0][1].toInt());
    const QRect row = list->visualItemRect(list->topLevelItem(2));
    // A double click is a click, then a second press that the system reports as a double click.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(currentPage(), unitPage());
    EXPECT_EQ(unitPage()->caretLine(), ghostLine);
    EXPECT_EQ(caretStatus().left(6), QStringLiteral("L: %1").arg(ghostLine, 3, 10, QLatin1Char('0')));

    // No unit at all: one problem that says so, instead of every component.
    unitPage()->setPlainText(QString());
    trigger("ActCheckForm");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(2), "the unit page is empty: there is no unit to check the form against");
    // Nothing on disk changed.
    EXPECT_EQ(read(unitPath), originalUnit);
    EXPECT_EQ(read(formPath), originalForm);
}

// MAIN2.dfm beside main2.pas: the unit is found in its own case and saved there, never beside it
// as an empty MAIN2.PAS; without it, the status and the check name the file looked for.
TEST_F(FormCheck, AUnitInAnotherCaseIsFoundAndAMissingOneIsNamed)
{
    const QString upperForm = folder.filePath("MAIN2.dfm");
    const QString lowerUnit = folder.filePath("main2.pas");
    ASSERT_TRUE(QFile::copy(formPath, upperForm));
    ASSERT_TRUE(QFile::copy(unitPath, lowerUnit));
    const auto files = [this] {
        const QStringList names = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
        return QSet<QString>(names.begin(), names.end());
    };
    auto* list = part<QTreeWidget>("LintList");
    ASSERT_NE(part<QLabel>("UnitPanel"), nullptr);
    form->openFormFile(upperForm);
    EXPECT_EQ(unitPage()->text().toLatin1(), QByteArray(originalUnit).replace("\r\n", "\n"));
    EXPECT_TRUE(part<QLabel>("UnitPanel")->isHidden());
    trigger("ActCheckForm");
    EXPECT_EQ(list->topLevelItem(0)->text(2), "No problem found.");
    typeAt(formPage(), 0, " ");
    ASSERT_TRUE(form->save());
    typeAt(unitPage(), 0, "{2}");
    ASSERT_TRUE(form->save());
    EXPECT_EQ(read(lowerUnit), "{2}" + originalUnit);
    EXPECT_EQ(read(folder.filePath("main2.P$$")), originalUnit);
    EXPECT_EQ(files(), (QSet<QString>{"Sample.dfm", "Sample.PAS", "MAIN2.dfm", "MAIN2.D$$", "main2.pas", "main2.P$$"}));

    QFile::remove(lowerUnit);
    form->openFormFile(upperForm);
    EXPECT_FALSE(part<QLabel>("UnitPanel")->isHidden());
    EXPECT_EQ(part<QLabel>("UnitPanel")->text(), "No unit MAIN2.pas");
    trigger("ActCheckForm");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(2),
              "no unit MAIN2.pas (in any case) beside the form: there is no unit to check the form against");
    typeAt(formPage(), 0, " ");
    ASSERT_TRUE(form->save());
    EXPECT_EQ(files(), (QSet<QString>{"Sample.dfm", "Sample.PAS", "MAIN2.dfm", "MAIN2.D$$", "main2.P$$"}));
}

TEST_F(FormCheck, AnInheritedFormFindsItsAncestorInAUnitBesideIt)
{
    write(folder.filePath("Base.pas"), "unit Base;\r\ninterface\r\ntype\r\n  TBaseForm = class(TForm)\r\n"
                                       "    procedure SharedClick(Sender: TObject);\r\n  end;\r\nimplementation\r\nend.\r\n");
    write(folder.filePath("Child.dfm"), "inherited Child: TChildForm\r\n  OnClick = SharedClick\r\n"
                                        "  OnDblClick = Missing\r\nend\r\n");
    write(folder.filePath("Child.pas"), "unit Child;\r\ninterface\r\ntype\r\n  TChildForm = class(TBaseForm)\r\n"
                                        "  end;\r\nimplementation\r\nend.\r\n");
    form->openFormFile(folder.filePath("Child.dfm"));
    trigger("ActCheckForm");
    auto* list = part<QTreeWidget>("LintList");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(2), "OnDblClick = Missing: method Missing is not declared in class TChildForm");
}

// The open panel follows the document: its rows are always the open form's.
TEST_F(FormCheck, AnOpenPanelChecksTheFormOpenedNext)
{
    const QString other = folder.filePath("Other.dfm");
    ASSERT_TRUE(QFile::copy(formPath, other));
    openSample();
    form->show();
    trigger("ActCheckForm");
    auto* list = part<QTreeWidget>("LintList");
    EXPECT_EQ(list->topLevelItem(0)->text(2), "No problem found.");
    form->openFormFile(other);
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(2),
              "no unit Other.pas (in any case) beside the form: there is no unit to check the form against");
    EXPECT_TRUE(part<QDockWidget>("LintPanel")->isVisible());
}

TEST_F(FormCheck, IgnoredClassesAreEditedInTheirDialogAndStored)
{
    openSample();
    form->show();
    QString unit = unitPage()->text();
    unitPage()->setPlainText(unit.replace("    PriceEdit: TEdit;\n", ""));
    trigger("ActCheckForm");
    auto* list = part<QTreeWidget>("LintList");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(2), "component PriceEdit: TEdit has no field in class TSampleForm");

    prompts.onExec = [](QDialog& dialog) {
        dialog.findChild<QPlainTextEdit*>("ClassList")->setPlainText("  tedit \n\n# remark\nTTimer");
        return int(QDialog::Accepted);
    };
    trigger("ActIgnoredClasses");
    // An open panel is brought up to date with the new list.
    EXPECT_EQ(list->topLevelItem(0)->text(2), "No problem found.");

    form.reset();
    form = std::make_unique<dfm::EditorWindow>(prompts, QStringList{"QuenDFMEd"});
    form->show();
    QString shown;
    prompts.onExec = [&shown](QDialog& dialog) {
        shown = dialog.findChild<QPlainTextEdit*>("ClassList")->toPlainText();
        return int(QDialog::Rejected);
    };
    trigger("ActIgnoredClasses");
    EXPECT_EQ(shown, "tedit\nTTimer");
}

}  // namespace
