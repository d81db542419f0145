// The check on small form/unit pairs: each kind of problem, and the forms and units that look
// like one but are not.
#include "FormUnitCheck.h"

#include <gtest/gtest.h>

namespace dfm {
namespace {

using File = LintProblem::File;

// A unit whose form class TForm1 declares members (one a line) and has method bodies.
std::string unitWith(const std::string& members, const std::string& bodies = "")
{
    return "unit Unit1;\n"          // 1
           "\n"                     // 2
           "interface\n"            // 3
           "\n"                     // 4
           "type\n"                 // 5
           "  TForm1 = class(TForm)\n"  // 6
           + members +              // from 7
           "  end;\n"
           "\n"
           "implementation\n"
           "\n"
           + bodies + "\nend.\n";
}

const std::string ButtonForm = "object Form1: TForm1\n"
                               "  Caption = 'Form1'\n"
                               "  object Button1: TButton\n"
                               "    Left = 8\n"
                               "    OnClick = Button1Click\n"
                               "  end\n"
                               "end\n";

const std::string ButtonMembers = "    Button1: TButton;\n"
                                  "    procedure Button1Click(Sender: TObject);\n";

const std::string ButtonBody = "procedure TForm1.Button1Click(Sender: TObject);\nbegin\nend;\n";

struct Case {
    const char* name;
    std::string form;
    std::string unit;
    std::vector<LintProblem> expected;
    std::vector<std::string> ignored = {};
    AncestorUnits ancestors = {};
    IncludeFiles includes = {};
};

// The ancestor TForm1, with its handler, declared in another unit of the project.
const std::string AncestorUnit = "unit Unit1;\ninterface\ntype\n  TForm1 = class(TForm)\n    Button1: TButton;\n"
                                 "    procedure Button1Click(Sender: TObject);\n  end;\nimplementation\nend.\n";

std::optional<std::string> findAncestor(std::string_view name)
{
    return name == "TForm1" ? std::optional<std::string>(AncestorUnit) : std::nullopt;
}

// A report (a component that is not drawn) laying out its pages and bands, a memo of the form that
// shares a name with one of the report's, and a menu whose items have no place of their own.
const std::string ReportForm = "object Form1: TForm1\n"                  // 1
                               "  object Memo1: TMemo\n"                 // 2
                               "    Left = 8\n"
                               "    Width = 100\n"
                               "  end\n"
                               "  object frxReport1: TfrxReport\n"       // 6
                               "    Left = 40\n"
                               "    Top = 8\n"
                               "    object Page1: TfrxReportPage\n"      // 9
                               "      PaperWidth = 210.0\n"
                               "      object MasterData1: TfrxMasterData\n"  // 11
                               "        Height = 22.5\n"
                               "        object Memo1: TfrxMemoView\n"    // 13
                               "          Left = 1.5\n"
                               "        end\n"
                               "      end\n"
                               "    end\n"
                               "  end\n"
                               "  object MainMenu1: TMainMenu\n"         // 19
                               "    object File1: TMenuItem\n"           // 20
                               "      Caption = 'File'\n"
                               "    end\n"
                               "  end\n"
                               "end\n";

const std::string InheritedForm = "inherited Form2: TForm2\n  inherited Button1: TButton\n    OnClick = Button1Click\n"
                                  "    OnEnter = Gone\n  end\n  object Button2: TButton\n    OnClick = Button1Click\n  end\nend\n";
const std::string InheritedUnit = "unit Unit2;\ninterface\ntype\n  TForm2 = class(TForm1)\n    Button2: TButton;\n"
                                  "  end;\nimplementation\nend.\n";

std::vector<Case> cases()
{
    return {
        {"clean", ButtonForm, unitWith(ButtonMembers, ButtonBody), {}},
        {"component without field", ButtonForm,
         unitWith("    procedure Button1Click(Sender: TObject);\n", ButtonBody),
         {{File::Form, 3, "component Button1: TButton has no field in class TForm1"}}},
        {"field without component", ButtonForm,
         unitWith(ButtonMembers + "    Label1: TLabel;\n", ButtonBody),
         {{File::Unit, 9, "field Label1: TLabel has no component in the form"}}},
        {"handler not declared", ButtonForm, unitWith("    Button1: TButton;\n", ButtonBody),
         {{File::Form, 5, "OnClick = Button1Click: method Button1Click is not declared in class TForm1"}}},
        {"handler without body", ButtonForm, unitWith(ButtonMembers),
         {{File::Form, 5, "OnClick = Button1Click: method TForm1.Button1Click has no implementation in the unit"}}},
        {"body of another class does not count", ButtonForm,
         unitWith(ButtonMembers, "procedure TForm2.Button1Click(Sender: TObject);\nbegin\nend;\n"),
         {{File::Form, 5, "OnClick = Button1Click: method TForm1.Button1Click has no implementation in the unit"}}},
        {"class not declared", ButtonForm,
         "unit Unit1;\ninterface\ntype\n  TForm2 = class(TForm)\n  end;\nimplementation\nend.\n",
         {{File::Form, 1, "class TForm1 is not declared in the unit"}}},
        {"forward declaration is not the class", ButtonForm,
         "unit Unit1;\ninterface\ntype\n  TForm1 = class;\n  TFormClass = class of TForm1;\nimplementation\nend.\n",
         {{File::Form, 1, "class TForm1 is not declared in the unit"}}},
        {"names compare without regard to case",
         "object Form1: TFORM1\n  object BUTTON1: TButton\n    OnClick = button1click\n  end\nend\n",
         unitWith(ButtonMembers, "procedure tform1.BUTTON1CLICK(Sender: TObject);\nbegin\nend;\n"), {}},
        {"nested components, fields on one line",
         "object Form1: TForm1\n  object Panel1: TPanel\n    object Panel2: TPanel\n      object Edit1: TEdit\n"
         "      end\n    end\n  end\nend\n",
         unitWith("    Panel1, Panel2: TPanel;\n"),
         {{File::Form, 4, "component Edit1: TEdit has no field in class TForm1"}}},
        {"fields outside the published part need no component", ButtonForm,
         unitWith(ButtonMembers + "  private\n    FList: TStringList;\n  public\n    Helper: TButton;\n", ButtonBody), {}},
        {"handler declared private: the form does not load", ButtonForm,
         unitWith("    Button1: TButton;\n  private\n    procedure Button1Click(Sender: TObject);\n", ButtonBody),
         {{File::Form, 5,
           "OnClick = Button1Click: method TForm1.Button1Click is private, so the form does not load "
           "(handlers must be published)"}}},
        {"component field moved out of the published part: it stays nil", ButtonForm,
         unitWith("    procedure Button1Click(Sender: TObject);\n  strict protected\n    Button1: TButton;\n",
                  ButtonBody),
         {{File::Form, 3,
           "component Button1: TButton: its field in class TForm1 is protected, so the form never sets it "
           "(component fields must be published)"}}},
        {"an event property whose value is a constant is a value",
         "object Form1: TForm1\n  object Gauge: TGauge\n    DigitalOptions.OnColor = clYellow\n    OnHover = crHandPoint\n"
         "    OnClick = btnOkClick\n    OnEnter = doEnter\n    OnExit = Gone\n    OnDraw = drawIt\n  end\n"
         "  object btnOk: TButton\n  end\nend\n",
         unitWith("    Gauge: TGauge;\n    btnOk: TButton;\n", "procedure TForm1.drawIt;\nbegin\nend;\n"),
         {{File::Form, 5, "OnClick = btnOkClick: method btnOkClick is not declared in class TForm1"},
          {File::Form, 6, "OnEnter = doEnter: method doEnter is not declared in class TForm1"},
          {File::Form, 7, "OnExit = Gone: method Gone is not declared in class TForm1"},
          {File::Form, 8, "OnDraw = drawIt: method drawIt is not declared in class TForm1"}}},
        {"names compare as characters: a UTF-8 form and a Windows-1252 unit",
         "object Form1: TForm1\n  object Transfer\xC3\xAAncia: TButton\n    OnClick = TRANSFER\xC3\x8ANCIAClick\n  end\n"
         "  object \xC3\x89tat: TLabel\n  end\nend\n",
         unitWith("    Transfer\xEAncia: TButton;\n    \xE9tat: TLabel;\n    procedure Transfer\xEAnciaClick(Sender: TObject);\n",
                  "procedure TForm1.Transfer\xEAnciaClick(Sender: TObject);\nbegin\nend;\n"),
         {}},
        {"names in different scripts differ",
         "object Form1: TForm1\n  object \xD0\x94\xD0\xB0\xD1\x82\xD0\xB0: TLabel\n  end\nend\n",
         unitWith("    \xC4\xE0\xF2\xE0: TLabel;\n"),
         {{File::Form, 2, "component \xD0\x94\xD0\xB0\xD1\x82\xD0\xB0: TLabel has no field in class TForm1"},
          {File::Unit, 7, "field \xC3\x84\xC3\xA0\xC3\xB2\xC3\xA0: TLabel has no component in the form"}}},
        {"ignored class", ButtonForm + "",
         unitWith("    procedure Button1Click(Sender: TObject);\n    Timer1: TTimer;\n", ButtonBody), {},
         {"tbutton", "TTimer"}},
        {"comments and strings that look like declarations", ButtonForm,
         unitWith("    { Button1: TButton; }\n    // procedure Button1Click(Sender: TObject);\n"
                  "    (* Button1: TButton; *)\n    procedure Other(const S: string = 'Button1: TButton;');\n",
                  "{ procedure TForm1.Button1Click(Sender: TObject); }\n"
                  "procedure TForm1.Other(const S: string);\nbegin\nend;\n"),
         {{File::Form, 3, "component Button1: TButton has no field in class TForm1"},
          {File::Form, 5, "OnClick = Button1Click: method Button1Click is not declared in class TForm1"}}},
        {"records, method types and directives inside the class", ButtonForm,
         unitWith("    Button1: TButton;\n    procedure Button1Click(Sender: TObject); virtual;\n  private\n"
                  "    FPoint: record X, Y: Integer; end;\n    FOnThing: procedure(Sender: TObject) of object;\n"
                  "    property Thing: Integer read FThing; default;\n  published\n    Label1: TLabel;\n",
                  ButtonBody),
         {{File::Unit, 14, "field Label1: TLabel has no component in the form"}}},
        {"inherited form: inherited components need no field",
         "inherited Form2: TForm2\n  inherited Button1: TButton\n    OnClick = Button2Click\n  end\n"
         "  object Button2: TButton\n  end\nend\n",
         "unit Unit2;\ninterface\ntype\n  TForm2 = class(TForm1)\n    procedure Button2Click(Sender: TObject);\n"
         "  end;\nimplementation\nprocedure TForm2.Button2Click(Sender: TObject);\nbegin\nend;\nend.\n",
         {{File::Form, 5, "component Button2: TButton has no field in class TForm2"}}},
        {"inherited form: a handler may be the ancestor form's",
         "inherited Form2: TForm2\n  inherited Button1: TButton\n    OnClick = Button1Click\n  end\nend\n",
         "unit Unit2;\ninterface\ntype\n  TForm2 = class(TForm1)\n  end;\nimplementation\nend.\n", {}},
        {"inherited form: the ancestor found in another unit lends its handlers", InheritedForm, InheritedUnit,
         {{File::Form, 4, "OnEnter = Gone: method Gone is not declared in class TForm2"}}, {}, findAncestor},
        {"inherited form: a lineage not known down to the framework's form reports no missing handler",
         InheritedForm, InheritedUnit, {}, {}, [](std::string_view) { return std::optional<std::string>(); }},
        {"ancestor in the same unit lends its fields and methods",
         "object Form2: TForm2\n  object Button1: TButton\n    OnClick = Button1Click\n  end\nend\n",
         "unit Unit2;\ninterface\ntype\n  TBase = class(TForm)\n    Button1: TButton;\n"
         "    procedure Button1Click(Sender: TObject);\n  end;\n  TForm2 = class(TBase)\n  end;\n"
         "implementation\nprocedure TBase.Button1Click(Sender: TObject);\nbegin\nend;\nend.\n",
         {}},
        {"frame: a frame's own components belong to its unit",
         "object Form1: TForm1\n  inline Frame1: TFrame1\n    inherited Label1: TLabel\n    end\n"
         "    object Extra: TLabel\n    end\n  end\nend\n",
         unitWith("    Frame1: TFrame1;\n"), {}},
        {"frame without field",
         "object Form1: TForm1\n  inline Frame1: TFrame1\n    inherited Label1: TLabel\n    end\n  end\nend\n",
         unitWith(""), {{File::Form, 2, "component Frame1: TFrame1 has no field in class TForm1"}}},
        {"a frame's own text: the root is inline, its objects are its own",
         "inline Frame1: TFrame1\n  object Label1: TLabel\n  end\nend\n",
         "unit Frame1;\ninterface\ntype\n  TFrame1 = class(TFrame)\n    Label1: TLabel;\n  end;\nimplementation\nend.\n",
         {}},
        {"events in collection items and dotted properties",
         "object Form1: TForm1\n  object Grid: TGrid\n    Columns = <\n      item\n        OnDraw = DrawColumn\n"
         "      end>\n    Font.OnChange = FontChanged\n    OnTop = True\n    Only = alClient\n  end\nend\n",
         unitWith("    Grid: TGrid;\n    procedure FontChanged(Sender: TObject);\n",
                  "procedure TForm1.FontChanged(Sender: TObject);\nbegin\nend;\n"),
         {{File::Form, 5, "OnDraw = DrawColumn: method DrawColumn is not declared in class TForm1"}}},
        {"a report's pages, bands and their objects are the report's own",
         ReportForm, unitWith("    Memo1: TMemo;\n    frxReport1: TfrxReport;\n    MainMenu1: TMainMenu;\n"),
         {{File::Form, 20, "component File1: TMenuItem has no field in class TForm1"}}},
        {"objects of a report with a field of their own are the form's: the others are reported",
         ReportForm,
         unitWith("    Memo1: TMemo;\n    frxReport1: TfrxReport;\n    MasterData1: TfrxMasterData;\n"
                  "    MainMenu1: TMainMenu;\n    File1: TMenuItem;\n"),
         {{File::Form, 9, "component Page1: TfrxReportPage has no field in class TForm1"}}},
        {"a report without a field: its objects are not known to be its own",
         ReportForm, unitWith("    Memo1: TMemo;\n    MainMenu1: TMainMenu;\n    File1: TMenuItem;\n"),
         {{File::Form, 6, "component frxReport1: TfrxReport has no field in class TForm1"},
          {File::Form, 9, "component Page1: TfrxReportPage has no field in class TForm1"},
          {File::Form, 11, "component MasterData1: TfrxMasterData has no field in class TForm1"}}},
        {"a control's children are the form's, with fields or without",
         "object Form1: TForm1\n  object Panel1: TPanel\n    Left = 0\n    Width = 10\n    object Label1: TLabel\n"
         "      Left = 2\n    end\n  end\nend\n",
         unitWith("    Panel1: TPanel;\n"), {{File::Form, 5, "component Label1: TLabel has no field in class TForm1"}}},
        {"handler bodies in include files, and in files they include", ButtonForm + "",
         unitWith(ButtonMembers + "    procedure Other;\n", "{$I Handlers.inc}\n"), {}, {}, {},
         [](std::string_view name) -> std::optional<std::string> {
             if (name == "Handlers.inc")
                 return "{$I more}\n" + ButtonBody;
             if (name == "more")
                 return std::string("{$I Handlers.inc}\nprocedure TForm1.Other;\nbegin\nend;\n");
             return std::nullopt;
         }},
        {"a body missing from the unit and its include files", ButtonForm,
         unitWith(ButtonMembers, "{$I Handlers.inc}\n{$I Missing.inc}\n"),
         {{File::Form, 5, "OnClick = Button1Click: method TForm1.Button1Click has no implementation in the unit"}}, {}, {},
         [](std::string_view name) -> std::optional<std::string> {
             if (name == "Handlers.inc")
                 return std::string("procedure TForm1.Other;\nbegin\nend;\n");
             return std::nullopt;
         }},
        {"unnamed objects need no field", "object Form1: TForm1\n  object TMenuItem\n  end\nend\n", unitWith(""), {}},
        {"order indexes and values of every kind",
         "object Form1: TForm1\n  Items.Strings = (\n    'a'\n    'b')\n  Data = {\n    0102}\n  Anchors = [akLeft, akTop]\n"
         "  Caption = 'x' +\n    'y'\n  object Box: TGroupBox [0]\n    Width = 1.5\n  end\nend\n",
         unitWith("    Box: TGroupBox;\n"), {}},
        {"form text that does not read", "object Form1: TForm1\n  Caption = ,\nend\n", unitWith(""),
         {{File::Form, 2, "Valeur de propriété incorrecte"}}},
        {"a value the converter refuses", "object Form1: TForm1\n  Tag = $1FFFFFFFF\nend\n", unitWith(""),
         {{File::Form, 1, "'$1FFFFFFFF' n'est pas une valeur entière correcte"}}},
        {"a name relative to its owner names no method", "object Form1: TForm1\n  OnClick = .Owner\nend\n",
         unitWith(""), {}},
        {"unterminated comment in the unit", ButtonForm, unitWith(ButtonMembers + "    { never closed\n"),
         {{File::Unit, 9, "unterminated comment"}}},
        {"class without end", ButtonForm,
         "unit Unit1;\ninterface\ntype\n  TForm1 = class(TForm)\n    Button1: TButton;\n",
         {{File::Unit, 4, "the declaration of class TForm1 has no end"}}},
        {"empty unit", ButtonForm, "", {{File::Form, 1, "class TForm1 is not declared in the unit"}}},
    };
}

TEST(FormUnitCheckTest, ProblemsOfSmallPairs)
{
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        const std::vector<LintProblem> problems =
            FormUnitCheck(c.ignored).run(c.form, TextEncoding::CodePage, c.unit, c.ancestors, c.includes);
        ASSERT_EQ(problems.size(), c.expected.size());
        for (std::size_t i = 0; i < problems.size(); ++i) {
            EXPECT_EQ(problems[i].file, c.expected[i].file) << i;
            EXPECT_EQ(problems[i].line, c.expected[i].line) << problems[i].message;
            EXPECT_EQ(problems[i].message, c.expected[i].message);
        }
    }
}

TEST(FormUnitCheckTest, ClassListSkipsBlanksAndRemarks)
{
    EXPECT_EQ(parseClassList("  TTimer \r\n\n# not this\nTImageList\n   \nTActionList"),
              (std::vector<std::string>{"TTimer", "TImageList", "TActionList"}));
}

}  // namespace
}  // namespace dfm
