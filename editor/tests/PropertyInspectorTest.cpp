// The property inspector in the editor window: each kind of editor writes only its property's
// lines, refusals leave the text as it was, properties are added and deleted, several objects
// take one edit, and the inspector comes and goes with the form view.
#include "EditorFixture.h"
#include "FontDialog.h"
#include "FormViewDock.h"
#include "PropertyInspector.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeWidget>

namespace {

const char* const InspectForm =
    "object InspectForm: TInspectForm\n"  // node 0
    "  Left = 0\n"
    "  Top = 0\n"
    "  Caption = 'Orders'\n"
    "  ClientWidth = 300\n"
    "  ClientHeight = 200\n"
    "  Color = clBtnFace\n"
    "  Font.Charset = DEFAULT_CHARSET\n"
    "  Font.Color = clWindowText\n"
    "  Font.Height = -11\n"
    "  Font.Name = 'MS Sans Serif'\n"
    "  Font.Style = []\n"
    "  PixelsPerInch = 96\n"
    "  object OkButton: TButton\n"  // node 1
    "    Left = 8\n"
    "    Top = 8\n"
    "    Width = 75\n"
    "    Height = 25\n"
    "    Caption = 'OK'\n"
    "    Default = True\n"
    "    TabOrder = 0\n"
    "  end\n"
    "  object CancelButton: TButton\n"  // node 2
    "    Left = 96\n"
    "    Top = 8\n"
    "    Width = 75\n"
    "    Height = 25\n"
    "    Caption = 'Cancel'\n"
    "    TabOrder = 1\n"
    "  end\n"
    "  object Notes: TMemo\n"  // node 3
    "    Left = 8\n"
    "    Top = 40\n"
    "    Lines.Strings = (\n"
    "      'first'\n"
    "      'second')\n"
    "    ScrollBars = ssVertical\n"
    "  end\n"
    "end\n";

constexpr std::uint32_t FormNode = 0;
constexpr std::uint32_t OkNode = 1;
constexpr std::uint32_t CancelNode = 2;
constexpr std::uint32_t NotesNode = 3;

class PropertyInspectorTest : public EditorFixture {
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        inspectPath = folder.filePath("Inspect.dfm");
        write(inspectPath, InspectForm);
        form->openFormFile(inspectPath);
        ASSERT_EQ(form->document().formPath(), inspectPath);
        ASSERT_TRUE(QTest::qWaitFor([this] { return form->document().formModel() != nullptr; }, 10000));
        original = formText();
        inspector()->show();
    }

    dfm::PropertyInspector* inspector() const { return part<dfm::PropertyInspector>("PropertyInspectorDock"); }
    QString formText() const { return form->document().text(Page::Form); }
    // Waits for the document's reading of the text after the last change.
    bool settled()
    {
        const bool read = QTest::qWaitFor([this] { return !form->document().formParsePending(); }, 10000);
        QApplication::processEvents();
        return read;
    }

    QTreeWidgetItem* row(const QString& name) const
    {
        QTreeWidget* table = inspector()->table();
        for (int i = 0; i < table->topLevelItemCount(); ++i) {
            if (table->topLevelItem(i)->text(0) == name)
                return table->topLevelItem(i);
        }
        return nullptr;
    }
    QStringList rowNames() const
    {
        QStringList names;
        for (int i = 0; i < inspector()->table()->topLevelItemCount(); ++i)
            names.append(inspector()->table()->topLevelItem(i)->text(0));
        return names;
    }

    template <typename Editor>
    Editor* editorOf(const QString& name) const
    {
        QTreeWidgetItem* item = row(name);
        EXPECT_NE(item, nullptr) << "no row " << name.toStdString();
        return item ? inspector()->table()->itemWidget(item, 1)->findChild<Editor*>("ValueEditor") : nullptr;
    }
    QToolButton* buttonOf(const QString& name) const
    {
        QTreeWidgetItem* item = row(name);
        return item ? inspector()->table()->itemWidget(item, 1)->findChild<QToolButton*>("ValueButton") : nullptr;
    }

    // Types into a row's line edit and presses Enter, as a user does.
    void typeInto(QLineEdit* edit, const QString& text)
    {
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        edit->selectAll();
        edit->insert(text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    // The lines of the text that differ from before, "old -> new", when no line came or went.
    static QStringList changedLines(const QString& before, const QString& after)
    {
        const QStringList from = before.split(u'\n');
        const QStringList to = after.split(u'\n');
        if (from.size() != to.size())
            return {QStringLiteral("%1 lines became %2").arg(from.size()).arg(to.size())};
        QStringList changes;
        for (qsizetype i = 0; i < from.size(); ++i) {
            if (from[i] != to[i])
                changes.append(from[i].trimmed() + " -> " + to[i].trimmed());
        }
        return changes;
    }

    QString inspectPath;
    QString original;
};

TEST_F(PropertyInspectorTest, EachKindOfEditorWritesOnlyItsPropertysLines)
{
    inspector()->showNodes({FormNode});
    EXPECT_EQ(inspector()->heading(), "InspectForm: TInspectForm");
    EXPECT_EQ(rowNames(), QStringList({"Left", "Top", "Caption", "ClientWidth", "ClientHeight", "Color", "Font.Charset",
                                       "Font.Color", "Font.Height", "Font.Name", "Font.Style", "PixelsPerInch"}));

    const struct {
        const char* what;
        std::function<void()> edit;
        QStringList changes;
    } steps[] = {
        {"a colour typed",
         [this] {
             QComboBox* color = editorOf<QComboBox>("Color");
             ASSERT_NE(color, nullptr);
             EXPECT_TRUE(color->findText("clBtnFace") >= 0) << "the colour names are offered";
             typeInto(color->lineEdit(), "clLime");
         },
         {"Color = clBtnFace -> Color = clLime"}},
        {"a colour chosen that has a name",
         [this] {
             prompts.onExec = [](QDialog& dialog) {
                 static_cast<QColorDialog&>(dialog).setCurrentColor(QColor(255, 0, 0));
                 return int(QDialog::Accepted);
             };
             buttonOf("Color")->click();
         },
         {"Color = clLime -> Color = clRed"}},
        {"a colour chosen that has none",
         [this] {
             prompts.onExec = [](QDialog& dialog) {
                 static_cast<QColorDialog&>(dialog).setCurrentColor(QColor(0x12, 0x34, 0x56));
                 return int(QDialog::Accepted);
             };
             buttonOf("Color")->click();
         },
         {"Color = clRed -> Color = $00563412"}},
        {"a caption", [this] { typeInto(editorOf<QLineEdit>("Caption"), "Orders of today"); },
         {"Caption = 'Orders' -> Caption = 'Orders of today'"}},
        {"a font",
         [this] {
             prompts.onExec = [](QDialog& dialog) {
                 QFont font("Courier New", 12);
                 font.setBold(true);
                 static_cast<dfm::FontDialog&>(dialog).setChoice(font, Qt::blue);
                 return int(QDialog::Accepted);
             };
             buttonOf("Font.Name")->click();
         },
         {"Font.Color = clWindowText -> Font.Color = clBlue", "Font.Height = -11 -> Font.Height = -16",
          "Font.Name = 'MS Sans Serif' -> Font.Name = 'Courier New'", "Font.Style = [] -> Font.Style = [fsBold]"}},
        {"a number", [this] { typeInto(editorOf<QLineEdit>("ClientWidth"), "320"); },
         {"ClientWidth = 300 -> ClientWidth = 320"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        const QString before = formText();
        step.edit();
        EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(u'\n').toStdString();
        EXPECT_EQ(changedLines(before, formText()), step.changes);
    }

    inspector()->showNodes({OkNode});
    EXPECT_EQ(inspector()->heading(), "OkButton: TButton");
    const QString before = formText();
    QCheckBox* isDefault = editorOf<QCheckBox>("Default");
    ASSERT_NE(isDefault, nullptr);
    EXPECT_TRUE(isDefault->isChecked());
    isDefault->click();
    EXPECT_EQ(changedLines(before, formText()), QStringList{"Default = True -> Default = False"});
    EXPECT_FALSE(editorOf<QCheckBox>("Default")->isChecked()) << "the row shows the text as it now stands";
}

TEST_F(PropertyInspectorTest, SetsAndStringListsAreEditedInTheirOwnSmallEditors)
{
    inspector()->showNodes({NotesNode});
    EXPECT_EQ(editorOf<QComboBox>("ScrollBars")->findText("ssBoth") >= 0, true) << "the class table's values";
    prompts.onExec = [](QDialog& dialog) {
        dialog.findChild<QPlainTextEdit*>("ValueText")->setPlainText("one\nit's two");
        return int(QDialog::Accepted);
    };
    buttonOf("Lines.Strings")->click();
    EXPECT_TRUE(formText().contains("    Lines.Strings = (\n      'one'\n      'it''s two')\n    ScrollBars"))
        << formText().toStdString();

    inspector()->showNodes({FormNode});
    const QString before = formText();
    prompts.onExec = [](QDialog& dialog) {
        QListWidget* members = dialog.findChild<QListWidget*>("SetMembers");
        members->findItems("fsItalic", Qt::MatchExactly).front()->setCheckState(Qt::Checked);
        members->findItems("fsStrikeOut", Qt::MatchExactly).front()->setCheckState(Qt::Checked);
        return int(QDialog::Accepted);
    };
    buttonOf("Font.Style")->click();
    EXPECT_EQ(changedLines(before, formText()), QStringList{"Font.Style = [] -> Font.Style = [fsItalic, fsStrikeOut]"});
}

TEST_F(PropertyInspectorTest, AValueThatDoesNotCheckIsRefusedNamingThePropertyAndTheTextStays)
{
    inspector()->showNodes({OkNode});
    const struct {
        const char* property;
        const char* typed;
        const char* message;
    } cases[] = {
        {"Width", "75px", "\"75px\" is not a valid value for Width: an integer is expected."},
        {"Width", "7.5", "\"7.5\" is not a valid value for Width: an integer is expected."},
        {"Caption", "\xD0\x96uk", "is not a valid value for Caption: the form's code page 1252 has no character"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.typed);
        prompts.errors.clear();
        typeInto(editorOf<QLineEdit>(test.property), QString::fromUtf8(test.typed));
        ASSERT_EQ(prompts.errors.size(), 1) << "one box, not another when the editor loses the focus";
        EXPECT_TRUE(prompts.errors.front().contains(QString::fromUtf8(test.message))) << prompts.errors.front().toStdString();
        EXPECT_EQ(formText(), original);
        EXPECT_FALSE(formModified());
    }
    EXPECT_EQ(editorOf<QLineEdit>("Width")->text(), "75") << "the editor shows the stored value again";

    // An edit of a text that does not read is refused with the reader's message.
    QTextCursor(form->document().page(Page::Form)->findBlockByNumber(1)).insertText("  Broken = (\n");
    const QString broken = formText();
    prompts.errors.clear();
    typeInto(editorOf<QLineEdit>("Width"), "80");
    EXPECT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(formText(), broken);
}

TEST_F(PropertyInspectorTest, APropertyIsAddedAndDeleted)
{
    inspector()->showNodes({OkNode});
    prompts.onExec = [](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("PropertyName")->setText("Hint");
        dialog.findChild<QLineEdit*>("PropertyValue")->setText("'Press me'");
        return int(QDialog::Accepted);
    };
    inspector()->addProperty();
    EXPECT_TRUE(formText().contains("    TabOrder = 0\n    Hint = 'Press me'\n  end\n")) << formText().toStdString();
    EXPECT_EQ(rowNames().last(), "Hint");

    // Delete in the table deletes the selected row's property.
    inspector()->table()->setCurrentItem(row("Hint"));
    QTest::keyClick(inspector()->table(), Qt::Key_Delete);
    EXPECT_EQ(formText(), original);
    EXPECT_EQ(row("Hint"), nullptr);

    // A name that is no property's, or a value that does not read, is refused.
    for (const auto& [name, value] : {std::pair{"Bad Name", "1"}, std::pair{"Hint", "'open"}}) {
        prompts.errors.clear();
        prompts.onExec = [name, value](QDialog& dialog) {
            dialog.findChild<QLineEdit*>("PropertyName")->setText(name);
            dialog.findChild<QLineEdit*>("PropertyValue")->setText(value);
            return int(QDialog::Accepted);
        };
        inspector()->addProperty();
        EXPECT_EQ(prompts.errors.size(), 1) << name;
        EXPECT_EQ(formText(), original);
    }
}

TEST_F(PropertyInspectorTest, SeveralObjectsShareTheirPropertiesAndOneEditIsOneUndoStep)
{
    inspector()->showNodes({OkNode, CancelNode});
    EXPECT_EQ(inspector()->heading(), "2 objects");
    EXPECT_EQ(rowNames(), QStringList({"Left", "Top", "Width", "Height", "Caption", "TabOrder"}));
    EXPECT_EQ(editorOf<QLineEdit>("Width")->text(), "75");
    EXPECT_EQ(editorOf<QLineEdit>("Left")->text(), "") << "values that differ show nothing";

    typeInto(editorOf<QLineEdit>("Width"), "90");
    EXPECT_EQ(changedLines(original, formText()), QStringList({"Width = 75 -> Width = 90", "Width = 75 -> Width = 90"}));
    EXPECT_EQ(inspector()->heading(), "2 objects") << "the selection outlives the edit";

    inspector()->table()->setCurrentItem(row("TabOrder"));
    inspector()->deleteSelectedProperties();
    EXPECT_FALSE(formText().contains("TabOrder"));

    form->document().page(Page::Form)->undo();
    form->document().page(Page::Form)->undo();
    EXPECT_EQ(formText(), original) << "each edit of both objects was one step";
}

TEST_F(PropertyInspectorTest, OddSelectionsShowNothingAndNeverCrash)
{
    inspector()->showNodes({999});
    EXPECT_EQ(inspector()->heading(), "No object selected");
    EXPECT_EQ(inspector()->table()->topLevelItemCount(), 0);
    inspector()->addProperty();
    inspector()->chooseFont("Font");
    EXPECT_EQ(formText(), original);

    // Objects come and go in the text: the rows follow the object by its name.
    inspector()->showNodes({NotesNode});
    const auto block = [this](const QString& name) {
        const qsizetype from = original.indexOf("  object " + name);
        return original.mid(from, original.indexOf("  end\n", from) + 6 - from);
    };
    QString withoutOk = original;
    withoutOk.remove(block("OkButton"));
    loadFormText(withoutOk);
    ASSERT_TRUE(settled());
    EXPECT_EQ(inspector()->heading(), "Notes: TMemo");
    EXPECT_EQ(rowNames(), QStringList({"Left", "Top", "Lines.Strings", "ScrollBars"}));
    QString withoutNotes = original;
    withoutNotes.remove(block("Notes"));
    loadFormText(withoutNotes);
    ASSERT_TRUE(settled());
    EXPECT_EQ(inspector()->heading(), "No object selected");
}

TEST_F(PropertyInspectorTest, ItComesAndGoesWithTheFormView)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    inspector()->hide();
    trigger("ActFormView");
    EXPECT_TRUE(inspector()->isVisible());
    EXPECT_EQ(form->dockWidgetArea(inspector()), Qt::RightDockWidgetArea);

    // What the view selects, the inspector shows, and it follows the view's selection after an
    // edit it made.
    auto* view = part<dfm::FormViewDock>("FormViewDock");
    ASSERT_TRUE(settled());
    view->selectAtLine(15);
    EXPECT_EQ(inspector()->heading(), "OkButton: TButton");
    typeInto(editorOf<QLineEdit>("Caption"), "Go");
    ASSERT_TRUE(settled());
    EXPECT_EQ(inspector()->heading(), "OkButton: TButton");
    EXPECT_EQ(editorOf<QLineEdit>("Caption")->text(), "Go");

    trigger("ActFormView");
    EXPECT_TRUE(inspector()->isHidden());
}

}  // namespace
