// dfmconv run as a user runs it: exit statuses, outputs, and files it must never touch.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string Dfmconv = DFMCONV_PATH;
const std::string Sample = std::string(DFM_SOURCE_DIR) + "/examples/Sample.dfm";

std::string readFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

void writeFile(const fs::path& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

class DfmconvTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/dfmconv-test-XXXXXX";
        folder_ = ::mkdtemp(pattern);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Runs dfmconv with arguments (a shell fragment); keeps its output and error text.
    int run(const std::string& arguments)
    {
        // Standard input is empty unless the arguments redirect it: the last redirection wins.
        const std::string command = "cd " + folder_.string() + " && " + Dfmconv + " </dev/null " + arguments
            + " >" + (folder_ / ".out").string() + " 2>" + (folder_ / ".err").string();
        const int status = std::system(command.c_str());
        out_ = readFile(folder_ / ".out");
        err_ = readFile(folder_ / ".err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path folder_;
    std::string out_;
    std::string err_;
};

TEST_F(DfmconvTest, UsageAndExitStatus)
{
    EXPECT_EQ(run(""), 2);
    EXPECT_NE(err_.find("Usage: dfmconv"), std::string::npos);
    EXPECT_EQ(run("--help"), 0);
    EXPECT_NE(out_.find("Usage: dfmconv"), std::string::npos);
    EXPECT_EQ(run("convert a b"), 2);
    EXPECT_EQ(run("-x totext a"), 2);
    EXPECT_EQ(run("totext"), 2);
    EXPECT_EQ(run("totext a b c"), 2);
    EXPECT_EQ(run("check"), 2);
    EXPECT_EQ(run("-r totext " + Sample), 2);
}

TEST_F(DfmconvTest, ConvertsBothWaysThroughFilesAndPipes)
{
    ASSERT_EQ(run("totext " + Sample + " sample.txt"), 0) << err_;
    const std::string text = readFile(folder_ / "sample.txt");
    EXPECT_EQ(text.rfind("object SampleForm: TSampleForm\r\n", 0), 0u);
    ASSERT_EQ(run("tobinary sample.txt back.dfm"), 0) << err_;
    EXPECT_EQ(readFile(folder_ / "back.dfm"), readFile(Sample));

    ASSERT_EQ(run("totext " + Sample), 0);
    EXPECT_EQ(out_, text);
    ASSERT_EQ(run("tobinary - - < sample.txt"), 0) << err_;
    EXPECT_EQ(out_, readFile(Sample));
}

TEST_F(DfmconvTest, AFailedConversionLeavesNoOutput)
{
    writeFile(folder_ / "broken.txt", "object Form1: TForm1\r\n  Left = ?\r\nend\r\n");
    EXPECT_EQ(run("tobinary broken.txt new.dfm"), 1);
    EXPECT_NE(err_.find("Valeur de propriété incorrecte à la ligne 2"), std::string::npos) << err_;
    EXPECT_FALSE(fs::exists(folder_ / "new.dfm"));

    writeFile(folder_ / "old.dfm", "previous content");
    EXPECT_EQ(run("tobinary broken.txt old.dfm"), 1);
    EXPECT_EQ(readFile(folder_ / "old.dfm"), "previous content");

    EXPECT_EQ(run("totext broken.txt out.txt"), 1);
    EXPECT_NE(err_.find("Format de flux incorrect"), std::string::npos);
    EXPECT_EQ(run("totext missing.dfm out.txt"), 1);
    EXPECT_NE(err_.find("Impossible d'ouvrir le fichier missing.dfm"), std::string::npos);
    EXPECT_EQ(run("tobinary broken.txt -"), 1);
    EXPECT_EQ(out_, "");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 4) << "stray files left";
}

TEST_F(DfmconvTest, AnOutputKeepsThePermissionsOfTheFileItReplaces)
{
    const fs::path out = folder_ / "out.txt";
    writeFile(out, "previous content");
    fs::permissions(out, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    ASSERT_EQ(run("totext " + Sample + " out.txt"), 0) << err_;
    EXPECT_EQ(readFile(out).rfind("object SampleForm", 0), 0u);
    EXPECT_EQ(fs::status(out).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);

    const mode_t mask = ::umask(022);
    ::umask(mask);
    ASSERT_EQ(run("totext " + Sample + " new.txt"), 0) << err_;
    EXPECT_EQ(static_cast<mode_t>(fs::status(folder_ / "new.txt").permissions()), 0666 & ~mask);
}

TEST_F(DfmconvTest, NeverOverwritesItsInput)
{
    fs::copy_file(Sample, folder_ / "form.dfm");
    fs::create_hard_link(folder_ / "form.dfm", folder_ / "alias.txt");
    EXPECT_EQ(run("totext form.dfm form.dfm"), 2);
    EXPECT_EQ(run("totext form.dfm alias.txt"), 2);
    EXPECT_EQ(readFile(folder_ / "form.dfm"), readFile(Sample));
    EXPECT_EQ(run("-r totext . ."), 2);
}

TEST_F(DfmconvTest, ATreeIsNeverWrittenInsideTheTreeItReads)
{
    // in/o/a.dfm is an input, and also where in/a.dfm's text would go with OUT = in/o.
    fs::create_directories(folder_ / "in/o/p");
    fs::copy_file(Sample, folder_ / "in/a.dfm");
    writeFile(folder_ / "in/o/a.dfm", readFile(Sample) + "other");
    fs::create_directory_symlink(folder_ / "in/o", folder_ / "link");
    const struct {
        const char* arguments;
    } cases[] = {
        {"-r totext in in/o"},
        {"-r totext in in/o/p/new"},
        {"-r totext in ./in/./o/../o"},
        {"-r totext in link"},
        {"-r totext in/o in"},
        {"-r tobinary in/o in"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(run(c.arguments), 2);
        EXPECT_NE(err_.find("must not lie one inside the other"), std::string::npos) << err_;
        EXPECT_EQ(readFile(folder_ / "in/o/a.dfm"), readFile(Sample) + "other");
        EXPECT_EQ(readFile(folder_ / "in/a.dfm"), readFile(Sample));
        EXPECT_FALSE(fs::exists(folder_ / "in/o/p/new"));
    }
    // Folders side by side, or one whose name only begins like the other, are fine.
    EXPECT_EQ(run("-r totext in/o in-o"), 0) << err_;
    EXPECT_EQ(run("-r totext in/o/p in/oo"), 0) << err_;
}

TEST_F(DfmconvTest, WorksThroughTrees)
{
    fs::create_directories(folder_ / "in/sub/deeper");
    fs::copy_file(Sample, folder_ / "in/a.dfm");
    fs::copy_file(Sample, folder_ / "in/sub/deeper/B.DFM");
    writeFile(folder_ / "in/sub/text.dfm", "object T\r\nend\r\n");
    writeFile(folder_ / "in/sub/notes.txt", "not a form");
    ASSERT_EQ(run("-r totext in out"), 0) << err_;
    EXPECT_TRUE(fs::exists(folder_ / "out/a.dfm"));
    EXPECT_TRUE(fs::exists(folder_ / "out/sub/deeper/B.DFM"));
    EXPECT_FALSE(fs::exists(folder_ / "out/sub/text.dfm"));
    EXPECT_FALSE(fs::exists(folder_ / "out/sub/notes.txt"));
    EXPECT_NE(err_.find("Converted 2 file(s), 0 failed."), std::string::npos);

    ASSERT_EQ(run("-r tobinary out back"), 0) << err_;
    EXPECT_EQ(readFile(folder_ / "back/sub/deeper/B.DFM"), readFile(Sample));
}

TEST_F(DfmconvTest, CheckReportsEachFileAndASummary)
{
    fs::create_directories(folder_ / "forms/sub");
    fs::copy_file(Sample, folder_ / "forms/good.dfm");
    fs::copy_file(Sample, folder_ / "forms/sub/nested.dfm");
    std::string cut = readFile(Sample);
    cut.resize(cut.size() / 2);
    writeFile(folder_ / "forms/cut.dfm", cut);
    writeFile(folder_ / "forms/text.dfm", "object T\r\nend\r\n");

    EXPECT_EQ(run("check forms"), 1);
    EXPECT_NE(out_.find("identical\tforms/good.dfm\n"), std::string::npos) << out_;
    EXPECT_NE(out_.find("failed\tforms/cut.dfm\tErreur de lecture du flux\n"), std::string::npos) << out_;
    EXPECT_EQ(out_.find("nested"), std::string::npos);
    EXPECT_NE(out_.find("Checked 2 file(s): 1 identical, 0 identical+trailing, 0 text-fixed, 0 differ, 1 failed."),
              std::string::npos) << out_;

    EXPECT_EQ(run("-r check forms/good.dfm forms/sub"), 0) << out_;
    EXPECT_NE(out_.find("Checked 2 file(s): 2 identical"), std::string::npos) << out_;
}

}  // namespace
