// The unit scan: what counts as a declaration, what is skipped, and where a unit that cannot be
// read stops it.
#include "PascalUnitScanner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

namespace dfm {
namespace {

// The sign of a member's section: published +, public ~, protected #, private -.
std::string sign(Visibility visibility)
{
    return std::string(1, "+~#-"[static_cast<int>(visibility)]);
}

// "name:line" of every field, method, body and include, to compare in one go.
std::string summary(const PascalUnit& unit)
{
    std::string text;
    for (const PascalClass& c : unit.classes) {
        text += "class " + c.name + "(" + c.ancestor + "):" + std::to_string(c.line) + ";";
        for (const PascalField& f : c.fields)
            text += " " + sign(f.visibility) + f.name + "/" + f.typeName + ":" + std::to_string(f.line);
        for (const PascalMethod& m : c.methods)
            text += " " + sign(m.visibility) + m.name + "():" + std::to_string(m.line);
        text += "\n";
    }
    for (const PascalMethodBody& b : unit.bodies)
        text += "body " + b.className + "." + b.methodName + ":" + std::to_string(b.line) + "\n";
    for (const std::string& name : unit.includes)
        text += "include " + name + "\n";
    if (!unit.error.empty())
        text += "error " + unit.error + ":" + std::to_string(unit.errorLine) + "\n";
    return text;
}

TEST(PascalUnitScannerTest, DeclarationsAndBodies)
{
    const struct {
        const char* name;
        const char* unit;
        const char* expected;
    } cases[] = {
        {"fields, sections and methods",
         "type\n  TForm1 = class(Vcl.Forms.TForm)\n    A, B: TButton;\n    C: Vcl.StdCtrls.TLabel;\n"
         "    procedure Go(Sender: TObject);\n  private\n    F: Integer;\n    function Get: Integer;\n"
         "  strict protected\n    G: TList<Integer>;\n  published\n    class procedure Make;\n  end;\n",
         "class TForm1(TForm):2; +A/TButton:3 +B/TButton:3 +C/TLabel:4 -F/Integer:7 #G/:10 +Go():5 -Get():8 +Make():12\n"},
        {"nested types, records and constants do not end the class",
         "TForm1 = class(TForm)\n  type\n    TInner = class\n      X: Integer;\n    end;\n    TRec = record\n"
         "      case Integer of\n        0: (I: Integer);\n    end;\n  const\n    Limit = 3;\n  var\n    Late: TEdit;\n"
         "  class var Count: Integer;\n  public\n    P: procedure of object;\n    Q: record R: Integer; end;\n"
         "  published\n    Last: TMemo;\n  end;\n",
         "class TForm1(TForm):1; +Late/TEdit:13 ~P/:16 ~Q/:17 +Last/TMemo:19\n"},
        {"attributes, properties and directives",
         "TForm1 = class(TForm)\n    [Weak] Link: TButton;\n    property Caption: string read GetCaption; default;\n"
         "    procedure Paint; override; message WM_PAINT;\n    procedure IFoo.Bar = Baz;\n  end;\n",
         "class TForm1(TForm):1; +Link/TButton:2 +Paint():4\n"},
        {"no body: a class with nothing but an ancestor, and what is no class",
         "TEmpty = class(TForm);\nTFwd = class;\nTRef = class of TForm;\nTHelp = class helper for TForm\nend;\n"
         "TObj = class(TInterfacedObject, IFoo)\n  end;\n",
         "class TEmpty(TForm):1;\nclass TObj(TInterfacedObject):6;\n"},
        {"bodies: qualified headings only",
         "implementation\nprocedure TForm1.Go(Sender: TObject);\n  procedure Local;\n  begin\n  end;\nbegin\nend;\n"
         "function TForm1.Get: Integer;\nbegin\nend;\nclass procedure TForm1.Make;\nbegin\nend;\n"
         "procedure Plain;\nbegin\nend;\nconstructor TOuter.TInner.Create;\nbegin\nend;\n",
         "body TForm1.Go:2\nbody TForm1.Get:8\nbody TForm1.Make:11\nbody TInner.Create:17\n"},
        {"comments, strings and directives hide what is in them",
         "\xEF\xBB\xBFTForm1 = class(TForm)\n  { A: TButton; }\n  (* B: TButton; *)\n  // C: TButton;\n"
         "  {$IFDEF X} D: TButton; {$ENDIF}\n  procedure E(const S: string = 'F: TButton; end;');\n"
         "  procedure G(C: Char = #39);\n  &Type: TLabel;\n  end;\n"
         "// procedure TForm1.H;\nconst S = 'procedure TForm1.I;';\n{ end; }\n",
         "class TForm1(TForm):1; +D/TButton:5 +Type/TLabel:8 +E():6 +G():7\n"},
        {"unterminated comment", "TForm1 = class(TForm)\n  A: TButton;\n  (* open\n\n  end;\n",
         "error unterminated comment:3\n"},
        {"unterminated directive", "unit U;\n{$IFDEF X\n", "error unterminated compiler directive:2\n"},
        {"class without end", "TForm1 = class(TForm)\n  A: TButton;\n  procedure B;\n",
         "error the declaration of class TForm1 has no end:1\n"},
        {"CR LF lines and a last line without break", "TForm1 = class(TForm)\r\n  A: TButton;\r\nend;",
         "class TForm1(TForm):1; +A/TButton:2\n"},
        {"numbers, ranges and char codes",
         "TForm1 = class(TForm)\n  A: array[0..$FF] of Byte;\n  B: array[1..2] of Char;\n  end;\nconst X = 1.5e+3; Y = #$41#13'z'; Z = %101;\n",
         "class TForm1(TForm):1; +A/:2 +B/:3\n"},
        {"include directives, and directives that only look like them",
         "{$I Bodies.inc}\n{$INCLUDE 'with space.inc'}\n(*$i lower*)\n{$I+}{$I-}{$IFDEF X}{$ENDIF}\n"
         "{$I %DATE%}\n{$IMPLICITBUILD OFF}\n{$I *.inc}{ $I not.inc }\n",
         "include Bodies.inc\ninclude with space.inc\ninclude lower\ninclude *.inc\n"},
        {"names in a code page are read as characters, UTF-8 names as they are",
         "TForm1 = class(TForm)\n  Transfer\xEAncia: TButton;\n  Ma\xC3\xA7\xC3\xA3: TEdit;\n  end;\n",
         "class TForm1(TForm):1; +Transfer\xC3\xAAncia/TButton:2 +Ma\xC3\xA7\xC3\xA3/TEdit:3\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(summary(PascalUnitScanner::scan(c.unit)), c.expected);
    }
}

// Any bytes at all give a result without crashing or hanging, however they end.
TEST(PascalUnitScannerTest, ArbitraryBytesFinish)
{
    std::mt19937 random(18);
    const std::string pieces[] = {"class", "end", "(", ")", "[", "]", ";", ":", "=", "{", "}", "(*", "*)", "'",
                                  "#", "$", "A", "procedure", "record", "T.X", "\n", " ", "//", "\xFF", "of", "object"};
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int count = static_cast<int>(random() % 60);
        for (int i = 0; i < count; ++i)
            text += pieces[random() % std::size(pieces)];
        const PascalUnit unit = PascalUnitScanner::scan(text);
        EXPECT_TRUE(unit.error.empty() || unit.errorLine >= 1) << text;
    }
}

// A declaration cut short ends at its statement: it neither swallows the rest of the unit nor
// costs a scan to the end of the text for each one.
TEST(PascalUnitScannerTest, BrokenDeclarationsEndAtTheirStatement)
{
    std::string text = "TForm1 = class(TForm)\n  type\n";
    for (int i = 0; i < 50000; ++i)
        text += "    T" + std::to_string(i) + " = class(TForm;\n";
    text += "  end;\n";
    for (int i = 0; i < 50000; ++i)
        text += "T" + std::to_string(i) + " = class(TForm;\n";
    const auto start = std::chrono::steady_clock::now();
    const PascalUnit unit = PascalUnitScanner::scan(text);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(unit.error, "");
    EXPECT_EQ(unit.classes.size(), 50001u);
}

}  // namespace
}  // namespace dfm
