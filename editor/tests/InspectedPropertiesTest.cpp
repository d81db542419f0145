// What the inspector shows of a form's objects and what it writes for what is typed, without a
// window: the editor each value gets, the values offered, the checks and the font's lines.
#include "FormColors.h"
#include "FormEditError.h"
#include "InspectedProperties.h"
#include "MemoryStream.h"
#include "PropertyChoices.h"

#include <gtest/gtest.h>

namespace dfm {

namespace {

const char* const Form = R"(object MainForm: TMainForm
  BorderStyle = bsDialog
  Color = clBtnFace
  Font.Height = -11
  Font.Name = 'Tahoma'
  PixelsPerInch = 120
  object Grid: TStringGrid
    Align = alTop
    Anchors = [akLeft, akTop]
    Brush.Color = 255
    Visible = False
    Caption = 'Short'
    Hint = 'A hint that is longer than sixty-four characters, so that it has an editor of its own'
    Note = 'two'#13#10'lines'
    Lines.Strings = (
      'one'
      'two')
    Picture.Data = {0102}
    Columns = <
      item
        Width = 3
      end>
    Points = (1 2)
    Tag = 5
    Scale = 1.5s
    Price = 25000c
    Odd.Color = 'red'
    Link = nil
    TitleFont.Style = [fsBold]
  end
  object Other: TPanel
    Align = alBottom
    BorderStyle = bsSingle
    Anchors = [akRight]
    Brush.Color = 255
    Visible = True
    Caption = 'Other'
    Tag = 5
    Font.Size = 9
    ParentFont = True
  end
end
)";

FormModel read(const char* text)
{
    MemoryStream input{std::string_view(text)};
    return FormModel::readText(input, TextEncoding::Utf8);
}

const InspectedProperty* rowNamed(const InspectedProperties& properties, std::string_view name)
{
    for (const InspectedProperty& row : properties.rows()) {
        if (row.name == name)
            return &row;
    }
    return nullptr;
}

constexpr std::uint32_t MainForm = 0;
constexpr std::uint32_t Grid = 1;
constexpr std::uint32_t Other = 2;

}  // namespace

TEST(InspectedProperties, EachValueGetsTheEditorOfItsKind)
{
    const FormModel model = read(Form);
    const InspectedProperties properties(model, {Grid}, {});
    EXPECT_EQ(properties.heading(), "Grid: TStringGrid");
    const struct {
        const char* name;
        ValueEditor editor;
        const char* text;
    } cases[] = {
        {"Align", ValueEditor::Identifier, "alTop"},
        {"Anchors", ValueEditor::Set, "[akLeft, akTop]"},
        {"Brush.Color", ValueEditor::Color, "255"},
        {"Visible", ValueEditor::CheckBox, "False"},
        {"Caption", ValueEditor::Text, "Short"},
        {"Hint", ValueEditor::LongText, "A hint that is longer than sixty-four characters, so that it has an editor of its own"},
        {"Note", ValueEditor::LongText, "two\nlines"},
        {"Lines.Strings", ValueEditor::StringList, "one\ntwo"},
        {"Picture.Data", ValueEditor::ReadOnly, "(binary data)"},
        {"Columns", ValueEditor::ReadOnly, "(collection)"},
        {"Points", ValueEditor::ReadOnly, "(list)"},
        {"Tag", ValueEditor::Number, "5"},
        {"Scale", ValueEditor::Number, "1.5"},
        {"Price", ValueEditor::Number, "25000"},
        // A colour stored as a string is shown as the string it is.
        {"Odd.Color", ValueEditor::Text, "red"},
        {"Link", ValueEditor::Typed, "nil"},
        {"TitleFont.Style", ValueEditor::Set, "[fsBold]"},
    };
    ASSERT_EQ(properties.rows().size(), std::size(cases)) << "every stored property, in the order of the text";
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        const InspectedProperty& row = properties.rows()[i];
        EXPECT_EQ(row.name, cases[i].name);
        EXPECT_EQ(row.editor, cases[i].editor);
        EXPECT_EQ(row.text, QString::fromUtf8(cases[i].text));
    }
    EXPECT_EQ(rowNamed(properties, "Lines.Strings")->strings, QStringList({"one", "two"}));
    EXPECT_TRUE(rowNamed(properties, "Note")->crLf);
}

TEST(InspectedProperties, IdentifiersAndSetsOfferTheClassTableAndTheForm)
{
    const FormModel model = read(Form);
    const InspectedProperties grid(model, {Grid}, {});
    const QStringList align = rowNamed(grid, "Align")->choices;
    EXPECT_EQ(align.first(), "alNone") << "the class table's values first";
    EXPECT_TRUE(align.contains("alClient"));
    const QStringList anchors = rowNamed(grid, "Anchors")->choices;
    EXPECT_EQ(anchors, QStringList({"akLeft", "akTop", "akRight", "akBottom"}));
    EXPECT_TRUE(rowNamed(grid, "TitleFont.Style")->choices.contains("fsStrikeOut")) << "any font's style";
    EXPECT_TRUE(rowNamed(grid, "Brush.Color")->choices.contains("clBtnFace"));

    // The form's BorderStyle takes the form's values; a panel's the control's, and the values
    // the property takes elsewhere in the form.
    const InspectedProperties form(model, {MainForm}, {});
    EXPECT_TRUE(rowNamed(form, "BorderStyle")->choices.contains("bsSizeToolWin"));
    const InspectedProperties panel(model, {Other}, {});
    const QStringList borders = rowNamed(panel, "BorderStyle")->choices;
    EXPECT_FALSE(borders.contains("bsSizeToolWin"));
    EXPECT_TRUE(borders.contains("bsDialog")) << "taken by the form";
}

TEST(InspectedProperties, SeveralObjectsShowWhatTheyAllStore)
{
    const FormModel model = read(Form);
    const InspectedProperties both(model, {Grid, Other}, {});
    EXPECT_EQ(both.heading(), "2 objects");
    QStringList names;
    for (const InspectedProperty& row : both.rows())
        names.append(QString::fromStdString(row.name));
    EXPECT_EQ(names, QStringList({"Align", "Anchors", "Brush.Color", "Visible", "Caption", "Tag"}));
    EXPECT_EQ(rowNamed(both, "Tag")->text, "5");
    EXPECT_TRUE(rowNamed(both, "Tag")->same);
    EXPECT_FALSE(rowNamed(both, "Align")->same);
    EXPECT_EQ(rowNamed(both, "Align")->text, "");
    EXPECT_TRUE(rowNamed(both, "Align")->choices.contains("alBottom")) << "both objects' values are offered";
    EXPECT_FALSE(rowNamed(both, "Visible")->same);

    // Nodes that are not in the model show nothing, and no crash.
    EXPECT_TRUE(InspectedProperties(model, {99}, {}).rows().empty());
}

TEST(InspectedProperties, TypedValuesAreCheckedByTheirKind)
{
    const FormModel model = read(Form);
    const InspectedProperties grid(model, {Grid}, {});
    const struct {
        const char* property;
        const char* typed;
        const char* written;  // the value lines joined by "|", or a part of the refusal
        bool refused;
    } cases[] = {
        {"Tag", "12", "12", false},
        {"Tag", "$1F", "$1F", false},
        {"Tag", "12x", "\"12x\" is not a valid value for Tag: an integer is expected.", true},
        {"Tag", "2.5", "\"2.5\" is not a valid value for Tag: an integer is expected.", true},
        {"Tag", "", "An empty text is not a valid value for Tag", true},
        {"Tag", "99999999999", "for Tag: an integer from -2147483648 to 2147483647 is expected.", true},
        {"Tag", "-2147483648", "-2147483648", false},
        {"Scale", "2.25", "2.25s", false},
        {"Scale", "3", "3s", false},
        {"Price", "30000", "30000c", false},
        {"Brush.Color", "clLime", "clLime", false},
        {"Brush.Color", "$00FF00FF", "$00FF00FF", false},
        {"Brush.Color", "red", "for Brush.Color: a colour's name (clRed) or number ($00BBGGRR) is expected.", true},
        {"Align", "alClient", "alClient", false},
        {"Align", "al Client", "for Align: an identifier is expected.", true},
        {"Anchors", "[akLeft, akBottom]", "[akLeft, akBottom]", false},
        {"Anchors", "akRight", "[akRight]", false},
        {"Anchors", "[]", "[]", false},
        {"Anchors", "[ak Left]", "for Anchors: a set of identifiers", true},
        {"Caption", "It's", "'It''s'", false},
        {"Caption", "Caf\xC3\xA9", "'Caf\xC3\xA9'", false},
        {"Caption", "\xD0\x96uk", "for Caption: the form's code page 1252 has no character \xD0\x96.", true},
        {"Note", "a\nb", "'a'#13#10'b'", false},
        {"Link", "Other", "Other", false},
        {"Link", "(", "for Link", true},
        {"Picture.Data", "x", "Picture.Data cannot be edited here.", true},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.property) + " <- " + test.typed);
        const InspectedProperty* row = rowNamed(grid, test.property);
        ASSERT_NE(row, nullptr);
        try {
            const QStringList lines = grid.typedValue(*row, QString::fromUtf8(test.typed));
            EXPECT_FALSE(test.refused) << "written: " << lines.join(u'|').toStdString();
            EXPECT_EQ(lines.join(u'|'), QString::fromUtf8(test.written));
        } catch (const FormEditError& error) {
            EXPECT_TRUE(test.refused) << error.what();
            EXPECT_TRUE(QString::fromUtf8(error.what()).contains(QString::fromUtf8(test.written))) << error.what();
        }
    }
    // A text form in UTF-8 holds every character.
    const InspectedProperties utf8(model, {Grid}, {1252, true});
    EXPECT_EQ(utf8.textValue("Caption", QString::fromUtf8("\xD0\x96uk")).join(u'|'), QString::fromUtf8("'\xD0\x96uk'"));
    // A name that cannot be a property's is refused before anything is written.
    EXPECT_THROW(grid.addedValue("9 lives", "1"), FormEditError);
    EXPECT_EQ(grid.stringListValue("Lines.Strings", {"a", "b"}), QStringList({"(", "'a'", "'b')"}));
}

TEST(InspectedProperties, ColoursAreWrittenByNameWhenOneFitsExactly)
{
    EXPECT_EQ(InspectedProperties::colorValue(QColor(255, 0, 0)), QStringList{"clRed"});
    EXPECT_EQ(InspectedProperties::colorValue(QColor(128, 128, 128)), QStringList{"clGray"});
    EXPECT_EQ(InspectedProperties::colorValue(QColor(0x12, 0x34, 0x56)), QStringList{"$00563412"});
    EXPECT_EQ(InspectedProperties::colorValue(QColor(0xAB, 0xCD, 0xEF)), QStringList{"$00EFCDAB"});
}

TEST(InspectedProperties, AFontWritesItsChangedPartsAtTheFormsPixelsPerInch)
{
    const FormModel model = read(Form);
    const InspectedProperties properties(model, {MainForm}, {});
    const FontChoice shown = InspectedProperties::fontOf(model, MainForm, "Font");
    EXPECT_EQ(shown.font.family(), "Tahoma");
    EXPECT_EQ(shown.font.pointSize(), 7) << "11 pixels at 120 pixels an inch";

    const auto changes = [&](std::uint32_t node, const FontChoice& from, const FontChoice& to) {
        QStringList lines;
        for (const FormEditPlan::PropertyChange& change : properties.fontChanges(model, node, "Font", from, to))
            lines.append(QString::fromStdString(change.name) + " = " + change.value->join(u'|'));
        return lines;
    };
    // Untouched, the stored parts stay and the missing ones are written.
    EXPECT_EQ(changes(MainForm, shown, shown), QStringList({"Font.Style = []", "Font.Color = clBlack"}));

    FontChoice chosen = shown;
    chosen.font.setPointSize(12);
    chosen.font.setBold(true);
    chosen.font.setItalic(true);
    chosen.color = QColor(0, 0, 255);
    EXPECT_EQ(changes(MainForm, shown, chosen),
              QStringList({"Font.Height = -20", "Font.Style = [fsBold, fsItalic]", "Font.Color = clBlue"}));

    // A node that stores Size keeps its size in points; its parent's font no longer applies.
    EXPECT_EQ(changes(Other, shown, chosen),
              QStringList({"Font.Name = 'Tahoma'", "Font.Size = 12", "Font.Style = [fsBold, fsItalic]",
                           "Font.Color = clBlue", "ParentFont = False"}));
}

TEST(PropertyChoices, TheTableKnowsKindsAndSets)
{
    using Values = std::vector<std::string_view>;
    EXPECT_EQ(PropertyChoices::values(ControlKind::Panel, "borderstyle"), (Values{"bsNone", "bsSingle"}));
    EXPECT_EQ(PropertyChoices::values(ControlKind::CheckBox, "State"), (Values{"cbUnchecked", "cbChecked", "cbGrayed"}));
    EXPECT_EQ(PropertyChoices::values(ControlKind::Shape, "Shape").front(), "stRectangle");
    EXPECT_EQ(PropertyChoices::values(ControlKind::Button, "Cursor").front(), "crDefault");
    EXPECT_TRUE(PropertyChoices::values(ControlKind::Button, "ScrollBars").empty());
    EXPECT_TRUE(PropertyChoices::isSet(ControlKind::Form, "BorderIcons"));
    EXPECT_TRUE(PropertyChoices::isSet(ControlKind::Grid, "TitleFont.Style"));
    EXPECT_FALSE(PropertyChoices::isSet(ControlKind::Form, "Position"));
    EXPECT_FALSE(FormColors::nameOf(QColor()).has_value());
}

}  // namespace dfm
