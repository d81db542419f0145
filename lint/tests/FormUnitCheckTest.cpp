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
};

// The ancestor TForm1, with its handler, declared in another unit of the project.
const std::string AncestorUnit = "unit Unit1;\ninterface\ntype\n  TForm1 = class(TForm)\n    Button1: TButton;\n"
                                 "    procedure Button1Click(Sender: TObject);\n  end;\nimplementation\nend.\n";

std::optional<std::string> findAncestor(std::string_view name)
{
    return name == "TForm1" ? std::optional<std::string>(AncestorUnit) : std::nullopt;
}

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
        {"handler declared private still counts as declared", ButtonForm,
         unitWith("    Button1: TButton;\n  private\n    procedure Button1Click(Sender: TObject);\n", ButtonBody), {}},
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
        {"unnamed objects need no field", "object Form1: TForm1\n  object TMenuItem\n  end\nend\n", unitWith(""), {}},
        {"order indexes and values of every kind",
         "object Form1: TForm1\n  Items.Strings = (\n    'a'\n    'b')\n  Data = {\n    0102}\n  Anchors = [akLeft, akTop]\n"
         "  Caption = 'x' +\n    'y'\n  object Box: TGroupBox [0]\n    Width = 1.5\n  end\nend\n",
         unitWith("    Box: TGroupBox;\n"), {}},
        {"form text that does not read", "object Form1: TForm1\n  Caption = ,\nend\n", unitWith(""),
         {{File::Form, 2, "Valeur de propriété incorrecte"}}},
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
            FormUnitCheck(c.ignored).run(c.form, TextEncoding::CodePage, c.unit, c.ancestors);
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
