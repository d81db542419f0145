// dfmlint on a temporary tree: output format and order, ignore lists, unreadable input and exit
// statuses.
#include "MemoryStream.h"
#include "TextToBinary.h"
#include "Version.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace dfm {
namespace {

const std::string Dfmlint = DFMLINT_PATH;

const std::string Form = "object Form1: TForm1\r\n"
                         "  object Button1: TButton\r\n"
                         "    OnClick = Button1Click\r\n"
                         "  end\r\n"
                         "end\r\n";

std::string unitDeclaring(const std::string& members, const std::string& bodies)
{
    return "unit U;\r\ninterface\r\ntype\r\n  TForm1 = class(TForm)\r\n" + members
        + "  end;\r\nimplementation\r\n" + bodies + "end.\r\n";
}

const std::string CleanUnit = unitDeclaring("    Button1: TButton;\r\n    procedure Button1Click(Sender: TObject);\r\n",
                                            "procedure TForm1.Button1Click(Sender: TObject);\r\nbegin\r\nend;\r\n");

std::string binaryOf(const std::string& text)
{
    MemoryStream input(text);
    MemoryStream output;
    textToResource(input, output);
    return std::string(output.view());
}

class DfmlintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = fs::temp_directory_path() / ("dfmlint-test-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    void write(const std::string& relative, const std::string& bytes)
    {
        const fs::path path = root_ / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    // Runs the built program in the tree (arguments: a shell fragment); standard output goes to
    // output when one is given. unprivileged: as a user whom permissions hold back, which root
    // is not.
    int run(const std::string& arguments, const std::string& output = "", bool unprivileged = false)
    {
        const fs::path outFile = root_.parent_path() / (root_.filename().string() + ".out");
        const fs::path errFile = root_.parent_path() / (root_.filename().string() + ".err");
        const std::string program =
            unprivileged && ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " + Dfmlint : Dfmlint;
        const std::string command = "cd " + root_.string() + " && " + program + " " + arguments + " >"
            + (output.empty() ? outFile.string() : output) + " 2>" + errFile.string();
        const int status = std::system(command.c_str());
        std::ifstream outStream(outFile);
        std::ifstream errStream(errFile);
        out_ = std::string(std::istreambuf_iterator<char>(outStream), {});
        err_ = std::string(std::istreambuf_iterator<char>(errStream), {});
        fs::remove(outFile);
        fs::remove(errFile);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path root_;
    std::string out_;
    std::string err_;
};

TEST_F(DfmlintTest, ProblemsOneALineSortedByPathAndLine)
{
    // A binary form and text forms, each beside its unit; the unit's extension in any case.
    write("b.dfm", binaryOf(Form));
    write("b.pas", unitDeclaring("    procedure Button1Click(Sender: TObject);\r\n    Memo1: TMemo;\r\n", ""));
    write("a.dfm", Form);
    write("a.pas", CleanUnit);
    write("sub/c.lfm", Form);
    write("sub/c.PAS", unitDeclaring("    Button1: TButton;\r\n", ""));
    write("sub/.hidden/d.dfm", Form);
    write("sub/notes.txt", Form);
    EXPECT_EQ(run("-r ."), 1);
    EXPECT_EQ(out_,
              "./b.dfm:2: component Button1: TButton has no field in class TForm1\n"
              "./b.dfm:3: OnClick = Button1Click: method TForm1.Button1Click has no implementation in the unit\n"
              "./b.pas:6: field Memo1: TMemo has no component in the form\n"
              "./sub/c.lfm:3: OnClick = Button1Click: method Button1Click is not declared in class TForm1\n");
    EXPECT_EQ(err_, "");
    // Named one by one, in any order: the same sorted list.
    EXPECT_EQ(run("sub/c.lfm a.dfm"), 1);
    EXPECT_EQ(out_, "sub/c.lfm:3: OnClick = Button1Click: method Button1Click is not declared in class TForm1\n");
    EXPECT_EQ(run("a.dfm"), 0);
    EXPECT_EQ(out_, "");
}

TEST_F(DfmlintTest, IgnoredClassesFromOptionsAndFile)
{
    write("a.dfm", Form);
    write("a.pas", unitDeclaring("    procedure Button1Click(Sender: TObject);\r\n    Timer1: TTimer;\r\n",
                                 "procedure TForm1.Button1Click(Sender: TObject);\r\nbegin\r\nend;\r\n"));
    write("ignore.txt", "# classes the forms keep without fields\r\n  TButton  \r\n\r\n");
    EXPECT_EQ(run("a.dfm"), 1);
    EXPECT_EQ(run("--ignore-class TButton --ignore-class ttimer a.dfm"), 0);
    EXPECT_EQ(run("--ignore-file ignore.txt --ignore-class TTimer a.dfm"), 0);
    EXPECT_EQ(run("--ignore-file ignore.txt a.dfm"), 1);
    EXPECT_EQ(out_, "a.pas:6: field Timer1: TTimer has no component in the form\n");
}

TEST_F(DfmlintTest, BadInputIsOneProblemWithItsLine)
{
    write("comment.dfm", Form);
    write("comment.pas", "unit U;\n\n{ not closed\ninterface\n");
    write("broken.dfm", "object Form1: TForm1\r\n  Caption = 'a' +\r\n  Left = 3\r\nend\r\n");
    write("broken.pas", CleanUnit);
    write("lonely.dfm", Form);
    EXPECT_EQ(run("comment.dfm broken.dfm lonely.dfm"), 1);
    EXPECT_EQ(out_,
              "broken.dfm:3: Chaîne attendue\n"
              "comment.pas:3: unterminated comment\n"
              "lonely.dfm:1: no unit lonely.pas (in any case) beside the form\n");
}

TEST_F(DfmlintTest, InheritedFormsFindTheirAncestorsInTheUnitsBesideThem)
{
    write("base.pas", "unit Base;\r\ninterface\r\ntype\r\n  TBaseForm = class(TForm)\r\n"
                      "    procedure SharedClick(Sender: TObject);\r\n  end;\r\nimplementation\r\nend.\r\n");
    write("child.dfm", "inherited Child: TChildForm\r\n  OnClick = SharedClick\r\n  OnDblClick = Missing\r\nend\r\n");
    write("child.pas", "unit Child;\r\ninterface\r\ntype\r\n  TChildForm = class(TBaseForm)\r\n  end;\r\n"
                       "implementation\r\nend.\r\n");
    EXPECT_EQ(run("child.dfm"), 1);
    EXPECT_EQ(out_, "child.dfm:3: OnDblClick = Missing: method Missing is not declared in class TChildForm\n");
    // Two units that declare the ancestor: which one the project uses cannot be told.
    write("copy.pas", "unit Copy;\r\ninterface\r\ntype\r\n  TBaseForm = class(TForm)\r\n  end;\r\n"
                      "implementation\r\nend.\r\n");
    EXPECT_EQ(run("child.dfm"), 0);
}

TEST_F(DfmlintTest, WrongUsageAndUnreadableFormsExitTwo)
{
    write("a.dfm", Form);
    write("a.pas", CleanUnit);
    write("junk.dfm", std::string("\xFF\x0A\x00junk", 7));
    write("junk.pas", CleanUnit);
    const struct {
        const char* arguments;
        const char* error;  // what standard error starts with
    } cases[] = {
        {"", "Usage: dfmlint"},
        {"--bogus a.dfm", "dfmlint: unknown option --bogus"},
        {"a.dfm --ignore-class", "dfmlint: --ignore-class needs a value"},
        {"--ignore-file missing.txt a.dfm", "dfmlint: missing.txt: "},
        {"missing.dfm", "dfmlint: missing.dfm: "},
        {".", "dfmlint: . is a folder; -r checks the forms in it"},
        {"junk.dfm a.dfm", "dfmlint: junk.dfm: "},
        {"-- - </dev/null", "dfmlint: -: a form is named by its path"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(run(c.arguments), 2);
        EXPECT_EQ(err_.substr(0, std::string(c.error).size()), c.error) << err_;
    }
    EXPECT_EQ(run("--help"), 0);
    EXPECT_NE(out_.find("Exit status"), std::string::npos);
    EXPECT_EQ(run("--version"), 0);
    EXPECT_EQ(out_, versionText("dfmlint"));
    // The forms after one that cannot be read are still checked.
    write("b.dfm", Form);
    EXPECT_EQ(run("junk.dfm b.dfm"), 2);
    EXPECT_EQ(out_, "b.dfm:1: no unit b.pas (in any case) beside the form\n");
}

TEST_F(DfmlintTest, UnitInAnotherCaseAndHandlersInIncludeFiles)
{
    write("Desttab.dfm", Form);
    write("DESTTAB.PAS", unitDeclaring("    Button1: TButton;\r\n    procedure Button1Click(Sender: TObject);\r\n",
                                       "{$I Handlers.inc}\r\n"));
    write("handlers.INC", "procedure TForm1.Button1Click(Sender: TObject);\r\nbegin\r\nend;\r\n");
    EXPECT_EQ(run("Desttab.dfm"), 0);
    EXPECT_EQ(out_, "");
    fs::remove(root_ / "handlers.INC");
    EXPECT_EQ(run("Desttab.dfm"), 1);
    EXPECT_EQ(out_, "Desttab.dfm:3: OnClick = Button1Click: method TForm1.Button1Click has no implementation in the unit\n");
}

// The unit the editor shows beside a form is the one checked: NAME.PAS, NAME.pas, then the first
// other case in byte order; only that one declares the form's class here.
TEST_F(DfmlintTest, TheUnitIsTheOneTheEditorFinds)
{
    const struct {
        std::vector<std::string> units;
        const char* checked;  // empty: none
    } cases[] = {
        {{"A.PAS", "a.pas", "A.pas"}, "A.PAS"},
        {{"a.pas", "A.pas"}, "A.pas"},
        {{"a.pas", "a.PAS"}, "a.PAS"},
        {{"A.pas.bak"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.checked);
        SetUp();
        write("A.dfm", Form);
        for (const std::string& unit : c.units)
            write(unit, unit == c.checked ? CleanUnit : "unit U;\r\ninterface\r\nimplementation\r\nend.\r\n");
        const bool found = *c.checked != 0;
        EXPECT_EQ(run("A.dfm"), found ? 0 : 1);
        EXPECT_EQ(out_, found ? "" : "A.dfm:1: no unit A.pas (in any case) beside the form\n");
    }
}

TEST_F(DfmlintTest, AnUnreadableFolderIsNamedAndTheOthersAreChecked)
{
    if (::geteuid() == 0 && std::system("setpriv --help >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "as root without setpriv every folder can be read";
    write("a/x.dfm", Form);
    write("a/x.pas", CleanUnit);
    write("perm/l3/y.dfm", Form);
    write("z/w.dfm", Form);
    fs::permissions(root_ / "perm/l3", fs::perms::none);
    EXPECT_EQ(run("-r .", "", true), 2);
    fs::permissions(root_ / "perm/l3", fs::perms::owner_all);
    EXPECT_EQ(err_, "dfmlint: ./perm/l3: Permission denied\n");
    EXPECT_EQ(out_, "./z/w.dfm:1: no unit w.pas (in any case) beside the form\n");
}

TEST_F(DfmlintTest, OptionsWithValuesAttachedAndOneLineForAWrongOne)
{
    write("a.dfm", Form);
    write("a.pas", unitDeclaring("    procedure Button1Click(Sender: TObject);\r\n",
                                 "procedure TForm1.Button1Click(Sender: TObject);\r\nbegin\r\nend;\r\n"));
    write("ignore.txt", "TButton\n");
    EXPECT_EQ(run("a.dfm"), 1);
    EXPECT_EQ(run("--ignore-class=TButton a.dfm"), 0);
    EXPECT_EQ(run("--ignore-file=ignore.txt a.dfm"), 0);
    EXPECT_EQ(run("--ignore-class= a.dfm"), 1);
    for (const char* arguments : {"--bogus a.dfm", "--ignore-clas=TButton a.dfm", "-x a.dfm"}) {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(run(arguments), 2);
        const std::string option = std::string(arguments).substr(0, std::string(arguments).find(' '));
        EXPECT_EQ(err_, "dfmlint: unknown option " + option + "\nTry 'dfmlint --help' for more information.\n");
        EXPECT_EQ(out_, "");
    }
}

TEST_F(DfmlintTest, OutputThatCannotBeWrittenFailsTheRun)
{
    write("a.dfm", Form);
    // Help and version: no check was asked for, and what was asked for did not arrive.
    for (const char* arguments : {"--help", "--version"}) {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(run(arguments, "/dev/full"), 1);
        EXPECT_EQ(err_, "dfmlint: standard output: No space left on device\n");
    }
    EXPECT_EQ(run("a.dfm", "/dev/full"), 2);
    EXPECT_EQ(err_, "dfmlint: standard output: No space left on device\n");
}

TEST_F(DfmlintTest, CorpusPairsWithinASecond)
{
    const fs::path pairs = fs::path(DFM_CORPUS_DIR) / "pairs";
    if (!fs::is_directory(pairs))
        GTEST_SKIP() << "no corpus at " << pairs;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(run("-r " + pairs.string()), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(std::count(out_.begin(), out_.end(), '\n'), 5);
}

// A form's names are read in its own page, chosen as the editor chooses it: here the unit's
// Cyrillic, with a UTF-8 form that names the same component.
TEST_F(DfmlintTest, NamesAreReadInTheFormsOwnPage)
{
    const std::string button = "\xD0\x9A\xD0\xBD\xD0\xBE\xD0\xBF\xD0\xBA\xD0\xB0";
    write("a.dfm", "object Form1: TForm1\r\n  object " + button + ": TButton\r\n  end\r\nend\r\n");
    write("a.pas", "\x7B\x20\xC3\xEB\xE0\xE2\xED\xE0\xFF\x20\xF4\xEE\xF0\xEC\xE0\x20\xEF\xF0\xE8\xEB\xEE\xE6\xE5\xED\xE8\xFF\x20\xE4\xEB\xFF\x20\xEF\xF0\xEE\xE2\xE5\xF0\xEA\xE8\x20\xE8\xEC\xB8\xED\x20\x7D\x0D\x0A" + unitDeclaring("    \xCA\xED\xEE\xEF\xEA\xE0: TButton;\r\n", ""));
    EXPECT_EQ(run("a.dfm"), 0) << out_;
    EXPECT_EQ(out_, "");
}

}  // namespace

}  // namespace dfm
