// dfmconv run as a user runs it: exit statuses, outputs, and files it must never touch.
#include "Version.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <map>
#include <set>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

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

std::string littleEndian(std::uint32_t value)
{
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>(value >> (8 * i)));
    return bytes;
}

std::string shortString(const std::string& text)
{
    return static_cast<char>(text.size()) + text;
}

// A binary form file of depth objects, each inside the one before, the innermost holding
// binaryBytes of binary data: its text is some 64 times that, every line indented deep.
std::string nestedForm(int depth, std::size_t binaryBytes)
{
    std::string stream = "TPF0";
    for (int level = 0; level < depth; ++level) {
        stream += shortString("TBox") + shortString("Box" + std::to_string(level));
        if (level == depth - 1)
            stream += shortString("Data") + '\x0A' + littleEndian(static_cast<std::uint32_t>(binaryBytes))
                + std::string(binaryBytes, '\x5A');
        stream += '\0';
    }
    stream += std::string(static_cast<std::size_t>(depth), '\0');
    return std::string("\xFF\x0A\0TBOX\0\x30\x10", 10) + littleEndian(static_cast<std::uint32_t>(stream.size()))
        + stream;
}

std::set<std::string> namesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Waits (a second at most) until the process has a file of folder open whose path does not hold
// inputMark: its output, so that its writing is under way.
void waitUntilWriting(pid_t child, const fs::path& folder, std::string_view inputMark)
{
    const fs::path descriptors = "/proc/" + std::to_string(child) + "/fd";
    bool writing = false;
    for (int i = 0; i < 10000 && !writing; ++i) {
        std::error_code error;
        for (fs::directory_iterator it(descriptors, error), end; !error && it != end; it.increment(error)) {
            const std::string target = fs::read_symlink(it->path(), error).string();
            writing = writing || (target.starts_with(folder.string()) && target.find(inputMark) == std::string::npos);
        }
        if (!writing)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
}

bool isRoot()
{
    return ::geteuid() == 0;
}

class DfmconvTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/dfmconv-test-XXXXXX";
        folder_ = ::mkdtemp(pattern);
        ::setenv("DFMCONV", Dfmconv.c_str(), 1);
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

    // Runs a shell script in the folder ("$DFMCONV" is the program); keeps its error text.
    int runScript(const std::string& script)
    {
        const std::string command = "cd " + folder_.string() + " && { " + script + " ; } </dev/null 2>"
            + (folder_ / ".err").string();
        const int status = std::system(command.c_str());
        err_ = readFile(folder_ / ".err");
        fs::remove(folder_ / ".err");
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
    EXPECT_NE(out_.find("--version"), std::string::npos);
    // The GNU form: name and version, then copyright and licence.
    const std::string version = std::string("dfmconv (Quen DFM Editor) ") + dfm::ProductVersion + "\n"
        + "Copyright (C) " + dfm::CopyrightYear + " The Quen DFM Editor developers\n"
        + "License MIT: <https://opensource.org/license/mit>\n"
          "This is free software: you are free to change and redistribute it.\n"
          "There is NO WARRANTY, to the extent permitted by law.\n";
    EXPECT_EQ(run("--version"), 0);
    EXPECT_EQ(out_, version);
    EXPECT_EQ(run("totext missing.dfm --version"), 0);
    EXPECT_EQ(out_, version);
    EXPECT_EQ(run("--versions"), 2);
    EXPECT_EQ(run("convert a b"), 2);
    EXPECT_EQ(run("-x totext a"), 2);
    EXPECT_EQ(run("totext"), 2);
    EXPECT_EQ(run("totext a b c"), 2);
    EXPECT_EQ(run("check"), 2);
    EXPECT_EQ(run("-r totext " + Sample), 2);
    const char* const wrong[] = {
        "--backup totext a.dfm",            // --backup without --in-place
        "--in-place -o out totext a.dfm",   // both
        "-j 0 check a.dfm",
        "-j x check a.dfm",
        "check a.dfm -j",
        "-o out check a.dfm",
        "--in-place totext .",              // a folder without -r
        "-o out totext - a.dfm",            // standard input among several inputs
    };
    for (const char* arguments : wrong) {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(run(arguments), 2);
        EXPECT_NE(err_.find("dfmconv: "), std::string::npos);
    }
    EXPECT_TRUE(namesIn(folder_) == (std::set<std::string>{".err", ".out"}));
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

// After "--", a path that starts with "-" is a path, and so is a word that reads like an option.
TEST_F(DfmconvTest, DoubleDashEndsTheOptions)
{
    fs::copy_file(Sample, folder_ / "-draft.dfm");
    ASSERT_EQ(run("-- totext -draft.dfm --help"), 0) << err_;
    EXPECT_TRUE(readFile(folder_ / "--help").starts_with("object "));
    ASSERT_EQ(run("--force -- tobinary --help -back.dfm"), 0) << err_;
    EXPECT_EQ(readFile(folder_ / "-back.dfm"), readFile(Sample));
    EXPECT_EQ(run("totext -draft.dfm"), 2);
    EXPECT_EQ(run("--"), 2);
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

    EXPECT_EQ(run("totext missing.dfm out.txt"), 1);
    EXPECT_EQ(err_, "dfmconv: missing.dfm: Impossible d'ouvrir le fichier missing.dfm (No such file or directory)\n");
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
    EXPECT_NE(err_.find("Converted 2 file(s), 0 failed, 1 already text.\n"), std::string::npos) << err_;

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
    EXPECT_NE(out_.find("fixed-point\tforms/text.dfm\n"), std::string::npos) << out_;
    EXPECT_NE(out_.find("Checked 3 file(s), 2 binary: 1 identical, 0 identical+trailing, 0 text-fixed, 0 differ, 1 failed; "
                        "1 text: 1 fixed-point, 0 stable, 0 differ, 0 failed."),
              std::string::npos) << out_;

    EXPECT_EQ(run("-r check forms/good.dfm forms/sub"), 0) << out_;
    EXPECT_NE(out_.find("Checked 2 file(s), 2 binary: 2 identical"), std::string::npos) << out_;
}

// Nothing a hostile input gives (endless bytes, more than memory holds) stops the run: each
// such file fails with a message and the others are still checked.
TEST_F(DfmconvTest, HostileInputsFailWithAMessageAndTheRunGoesOn)
{
    fs::copy_file(Sample, folder_ / "good.dfm");
    // A header that states a 3 GB form, the rest a hole that takes no disk.
    {
        std::ofstream big(folder_ / "big.dfm", std::ios::binary);
        big << std::string("\xFF\x0A\0TBIG\0\x30\x10", 10) << littleEndian(3000000000u) << "TPF0";
    }
    fs::resize_file(folder_ / "big.dfm", 3000000020u);
    writeFile(folder_ / "huge.dfm", "object Form1: TForm1\r\n");
    fs::resize_file(folder_ / "huge.dfm", 3000000000u);
    const struct {
        const char* name;
        const char* script;
        int status;
        const char* expected;  // in standard output and error together
    } cases[] = {
        {"endless zeros to check", "timeout 20 \"$DFMCONV\" check /dev/zero good.dfm", 1,
         "failed\t/dev/zero\tneither a binary form file nor form text\nidentical\tgood.dfm\n"},
        {"endless zeros to text", "timeout 20 \"$DFMCONV\" totext /dev/zero out.txt", 1,
         "dfmconv: /dev/zero: Format de flux incorrect\n"},
        {"endless zeros to binary", "timeout 20 \"$DFMCONV\" tobinary /dev/zero out.dfm", 1,
         "dfmconv: /dev/zero: Ligne trop longue à la ligne 1\n"},
        {"a form followed by endless bytes, through a pipe",
         "mkfifo pipe && { timeout 20 cat good.dfm /dev/zero >pipe & } && timeout 20 \"$DFMCONV\" check pipe", 0,
         "identical+trailing\tpipe\n"},
        {"a form larger than memory allows",
         "ulimit -v 400000 && \"$DFMCONV\" check big.dfm good.dfm", 1,
         "failed\tbig.dfm\tout of memory\nidentical\tgood.dfm\n"},
        {"a text as large, zeros after its first line, is not read whole",
         "ulimit -v 400000 && \"$DFMCONV\" check huge.dfm good.dfm", 1,
         "failed\thuge.dfm\tLigne trop longue à la ligne 2\nidentical\tgood.dfm\n"},
        {"the same to binary", "ulimit -v 400000 && \"$DFMCONV\" tobinary huge.dfm out.dfm", 1,
         "dfmconv: huge.dfm: Ligne trop longue à la ligne 2\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
#if defined(__SANITIZE_ADDRESS__)
        // The sanitizer reserves more address space than any such limit leaves.
        if (std::string(c.script).find("ulimit -v") != std::string::npos)
            continue;
#endif
        EXPECT_EQ(runScript(std::string(c.script) + " >.out 2>&1"), c.status);
        EXPECT_NE(readFile(folder_ / ".out").find(c.expected), std::string::npos) << readFile(folder_ / ".out");
        fs::remove(folder_ / "pipe");
        EXPECT_EQ(namesIn(folder_), (std::set<std::string>{".out", "big.dfm", "good.dfm", "huge.dfm"}));
    }
}

// Pipes, process substitutions and files that report no size are read to their end.
TEST_F(DfmconvTest, InputsThatCannotSeekAreReadAsStreams)
{
    ASSERT_EQ(run("totext " + Sample + " sample.txt"), 0) << err_;
    const struct {
        const char* name;
        std::string script;
        int status;
        std::string output;  // the file out, or the error text
    } cases[] = {
        {"binary through a pipe",
         "mkfifo pipe && { timeout 20 cat " + Sample + " >pipe & } && \"$DFMCONV\" totext pipe out", 0,
         readFile(folder_ / "sample.txt")},
        {"text through a pipe",
         "mkfifo pipe && { timeout 20 cat sample.txt >pipe & } && \"$DFMCONV\" tobinary pipe out", 0,
         readFile(Sample)},
        {"binary on standard input", "\"$DFMCONV\" totext - out <" + Sample, 0, readFile(folder_ / "sample.txt")},
        {"a file of /proc, which reports size 0", "\"$DFMCONV\" tobinary /proc/self/status out", 1,
         "dfmconv: /proc/self/status: OBJECT attendu à la ligne 1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(runScript(c.script), c.status) << err_;
        EXPECT_EQ(c.status == 0 ? readFile(folder_ / "out") : err_, c.output);
        fs::remove(folder_ / "pipe");
        fs::remove(folder_ / "out");
    }
}

TEST_F(DfmconvTest, StandardOutputFailuresAreReported)
{
    ASSERT_EQ(run("totext " + Sample + " sample.txt"), 0) << err_;
    const char* const scripts[] = {
        "\"$DFMCONV\" check sample.txt >/dev/full",
        "\"$DFMCONV\" totext sample.dfm >/dev/full",
        "\"$DFMCONV\" tobinary sample.txt - >/dev/full",
        "\"$DFMCONV\" --help >/dev/full",
    };
    fs::copy_file(Sample, folder_ / "sample.dfm");
    for (const char* script : scripts) {
        SCOPED_TRACE(script);
        EXPECT_EQ(runScript(script), 1);
        EXPECT_NE(err_.find("dfmconv: standard output: No space left on device\n"), std::string::npos) << err_;
    }
}

// The text of a deeply nested form is hundreds of times its size: it goes out as it is made.
TEST_F(DfmconvTest, TextToStandardOutputIsNotHeldInMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer reserves more address space than the limit leaves";
#endif
    writeFile(folder_ / "nested.dfm", nestedForm(999, 3 << 20));
    ASSERT_EQ(runScript("{ ulimit -v 150000 && \"$DFMCONV\" totext nested.dfm -; echo $? >status; } | wc -c >count"),
              0);
    EXPECT_EQ(readFile(folder_ / "status"), "0\n") << err_;
    EXPECT_GT(std::stoll(readFile(folder_ / "count")), 190000000);
}

// A process stopped while writing its output leaves its folder as it was: the output is written
// to a file that has no name until it is complete.
TEST_F(DfmconvTest, AStoppedConversionLeavesNothingBehind)
{
    writeFile(folder_ / "nested.dfm", nestedForm(999, 4 << 20));
    const struct {
        const char* name;
        int signal;
        bool byFileSizeLimit;
    } cases[] = {
        {"file size limit", SIGXFSZ, true},
        {"Ctrl+C", SIGINT, false},
        {"kill", SIGTERM, false},
        {"hang-up", SIGHUP, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (c.byFileSizeLimit) {
                const rlimit size{1 << 20, 1 << 20};
                ::setrlimit(RLIMIT_FSIZE, &size);
            }
            const rlimit noCore{0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            if (::chdir(folder_.c_str()) == 0)
                ::execl(Dfmconv.c_str(), "dfmconv", "totext", "nested.dfm", "out.txt", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (!c.byFileSizeLimit) {
            waitUntilWriting(child, folder_, "nested");
            ::kill(child, c.signal);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << status;
        EXPECT_EQ(namesIn(folder_), std::set<std::string>{"nested.dfm"});
    }
}

// Files converted in place several at a time, the run stopped by a signal: each file is old or
// new (with its backup), and no temporary file is left.
TEST_F(DfmconvTest, AStoppedParallelRunLeavesEachFileWhole)
{
    const std::string form = nestedForm(999, 2 << 20);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        std::set<std::string> inputs;
        for (int i = 0; i < 6; ++i) {
            writeFile(folder_ / ("f" + std::to_string(i) + ".dfm"), form);
            inputs.insert("f" + std::to_string(i) + ".dfm");
        }
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const rlimit noCore{0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            if (::chdir(folder_.c_str()) == 0)
                ::execl(Dfmconv.c_str(), "dfmconv", "-j", "2", "--in-place", "--backup", "totext", "f0.dfm", "f1.dfm",
                        "f2.dfm", "f3.dfm", "f4.dfm", "f5.dfm", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        waitUntilWriting(child, folder_, ".dfm");
        ::kill(child, signal);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        for (const std::string& name : namesIn(folder_)) {
            SCOPED_TRACE(name);
            const std::string bytes = readFile(folder_ / name);
            if (name.ends_with(".D$$")) {
                EXPECT_EQ(bytes, form);
                EXPECT_TRUE(readFile(fs::path(folder_ / name).replace_extension(".dfm")).starts_with("object "));
            } else {
                EXPECT_EQ(inputs.count(name), 1u);
                EXPECT_TRUE(bytes == form || bytes.starts_with("object ")) << bytes.substr(0, 20);
            }
            fs::remove(folder_ / name);
        }
    }
}

TEST_F(DfmconvTest, AReplacedOutputKeepsItsModeAndGroupAndLinksStayLinks)
{
    for (const mode_t mode : {0600, 0640, 0604, 0664}) {
        SCOPED_TRACE(mode);
        writeFile(folder_ / "out.txt", "previous content");
        ::chmod((folder_ / "out.txt").c_str(), mode);
        ASSERT_EQ(run("totext " + Sample + " out.txt"), 0) << err_;
        EXPECT_EQ(readFile(folder_ / "out.txt").rfind("object SampleForm", 0), 0u);
        struct stat status {};
        ::stat((folder_ / "out.txt").c_str(), &status);
        EXPECT_EQ(status.st_mode & 07777, mode);
    }

    // Root may give any group; another user one of the groups they belong to, if they have two.
    gid_t otherGroup = ::getegid();
    if (isRoot()) {
        otherGroup = 65534;
    } else {
        gid_t groups[64];
        const int count = ::getgroups(64, groups);
        for (int i = 0; i < count; ++i)
            if (groups[i] != ::getegid())
                otherGroup = groups[i];
    }
    ASSERT_EQ(::chown((folder_ / "out.txt").c_str(), static_cast<uid_t>(-1), otherGroup), 0);
    ASSERT_EQ(run("tobinary out.txt out.dfm"), 0) << err_;
    ASSERT_EQ(run("totext out.dfm out.txt"), 0) << err_;
    struct stat status {};
    ::stat((folder_ / "out.txt").c_str(), &status);
    EXPECT_EQ(status.st_gid, otherGroup);

    fs::create_directory(folder_ / "real");
    writeFile(folder_ / "real/target.txt", "previous content");
    fs::create_symlink("real/target.txt", folder_ / "link.txt");
    fs::create_symlink("link.txt", folder_ / "link2.txt");
    ASSERT_EQ(run("totext " + Sample + " link2.txt"), 0) << err_;
    EXPECT_TRUE(fs::is_symlink(folder_ / "link2.txt"));
    EXPECT_TRUE(fs::is_symlink(folder_ / "link.txt"));
    EXPECT_EQ(readFile(folder_ / "real/target.txt"), readFile(folder_ / "out.txt"));
    EXPECT_EQ(namesIn(folder_ / "real"), std::set<std::string>{"target.txt"});

    // A pipe (or a device) is written to, not replaced by a file.
    ASSERT_EQ(::mkfifo((folder_ / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(runScript("{ timeout 20 cat pipe >got & } && \"$DFMCONV\" totext " + Sample + " pipe && wait"), 0)
        << err_;
    EXPECT_TRUE(fs::is_fifo(folder_ / "pipe"));
    EXPECT_EQ(readFile(folder_ / "got"), readFile(folder_ / "out.txt"));
}

// Root may write any file, so this runs as another user (scripts/permissions.sh).
TEST_F(DfmconvTest, AReadOnlyOutputIsReplacedOnlyWithForce)
{
    if (isRoot())
        GTEST_SKIP() << "root may write any file";
    writeFile(folder_ / "out.txt", "previous content");
    ::chmod((folder_ / "out.txt").c_str(), 0444);
    EXPECT_EQ(run("totext " + Sample + " out.txt"), 1);
    EXPECT_EQ(err_, "dfmconv: out.txt is read-only; --force replaces it\n");
    EXPECT_EQ(readFile(folder_ / "out.txt"), "previous content");

    EXPECT_EQ(run("--force totext " + Sample + " out.txt"), 0) << err_;
    EXPECT_EQ(readFile(folder_ / "out.txt").rfind("object SampleForm", 0), 0u);
    struct stat status {};
    ::stat((folder_ / "out.txt").c_str(), &status);
    EXPECT_EQ(status.st_mode & 07777, 0444u);
}

// A form in UTF-8 with Cyrillic and accented names and captions: every character comes back.
const std::string Utf8Form = "object \xD0\xA4\xD0\xBE\xD1\x80\xD0\xBC\xD0\xB0: TForm\r\n"
                             "  Caption = '\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, caf\xC3\xA9'\r\n"
                             "  object Bouton\xC3\xA9: TButton\r\n"
                             "    Caption = '\xC3\x89t\xC3\xA9'#13#10'l'#39'hiver'\r\n"
                             "  end\r\n"
                             "end\r\n";
const std::string Mark = "\xEF\xBB\xBF";

TEST_F(DfmconvTest, Utf8FormsConvertAndComeBack)
{
    writeFile(folder_ / "marked.dfm", Mark + Utf8Form);
    writeFile(folder_ / "unmarked.lfm", Utf8Form);
    ASSERT_EQ(run("tobinary marked.dfm reference.dfm"), 0) << err_;
    const std::string binary = readFile(folder_ / "reference.dfm");
    // The captions are wide strings holding the characters themselves.
    EXPECT_NE(binary.find(std::string("\x12\x0C\0\0\0\x1F\x04\x40\x04", 9)), std::string::npos);
    // A character split between the bytes that tell the kind and the rest of the file.
    std::string padded = "object Form1: TForm\r\n";
    while (padded.size() < 4096 - 40)
        padded += "  Tag = 1\r\n";
    padded += std::string(4095 - 12 - padded.size(), ' ') + "Caption = 'x\xC3\xA9'\r\nend\r\n";
    ASSERT_EQ(padded.find('\xC3'), 4095u);
    // The text written back indents as it should.
    std::string expectedPadded = padded;
    expectedPadded.replace(expectedPadded.rfind("\r\n", 4080) + 2, 4095 - 12 - expectedPadded.rfind("\r\n", 4080) - 2, "  ");
    writeFile(folder_ / "padded.dfm", padded);
    const struct {
        const char* name;
        std::string script;
        std::string expected;  // the bytes of out
    } cases[] = {
        {"without a mark", "\"$DFMCONV\" tobinary unmarked.lfm out", binary},
        {"through a pipe", "cat marked.dfm | \"$DFMCONV\" tobinary - out", binary},
        {"through a pipe, without a mark", "cat unmarked.lfm | \"$DFMCONV\" tobinary - out", binary},
        {"marked, forced", "\"$DFMCONV\" --utf8 tobinary marked.dfm out", binary},
        {"back to UTF-8 text", "\"$DFMCONV\" totext --utf8 reference.dfm out", Mark + Utf8Form},
        {"back to UTF-8 text, not wrapped", "\"$DFMCONV\" --no-wrap --utf8 totext reference.dfm out", Mark + Utf8Form},
        {"split character", "\"$DFMCONV\" tobinary padded.dfm mid && \"$DFMCONV\" totext --utf8 mid out",
         Mark + expectedPadded},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(runScript(c.script), 0) << err_;
        EXPECT_EQ(readFile(folder_ / "out"), c.expected);
        fs::remove(folder_ / "out");
    }
}

// The page of narrow strings, by option or environment: a binary form with Windows-1251
// captions written as UTF-8 text, and back to the same bytes.
TEST_F(DfmconvTest, TheCodePageOfNarrowStringsIsChosenByOptionOrEnvironment)
{
    // A caption in Windows-1251 bytes, made a narrow string of a binary form.
    writeFile(folder_ / "cyrillic.txt", "object Form1: TForm1\r\n  Caption = '\xCF\xF0\xE8\xE2\xE5\xF2'\r\nend\r\n");
    ASSERT_EQ(run("tobinary cyrillic.txt cyrillic.dfm"), 0) << err_;
    const std::string cyrillic = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
    const struct {
        const char* script;
        std::string caption;  // in the UTF-8 text
        const char* warning;
    } cases[] = {
        {"\"$DFMCONV\" --utf8 --codepage 1251 totext cyrillic.dfm out", cyrillic, ""},
        {"\"$DFMCONV\" --utf8 --codepage=1251 totext cyrillic.dfm out", cyrillic, ""},
        {"QUENDFMED_CODEPAGE=1251 \"$DFMCONV\" --utf8 totext cyrillic.dfm out", cyrillic, ""},
        {"QUENDFMED_CODEPAGE=1253 \"$DFMCONV\" --codepage 1251 --utf8 totext cyrillic.dfm out", cyrillic, ""},
        // Without an option the form's own page: its bytes read as Cyrillic letters.
        {"\"$DFMCONV\" --utf8 totext cyrillic.dfm out", cyrillic, ""},
        {"\"$DFMCONV\" --utf8 --codepage 1252 totext cyrillic.dfm out",
         "\xC3\x8F\xC3\xB0\xC3\xA8\xC3\xA2\xC3\xA5\xC3\xB2", ""},
        {"QUENDFMED_CODEPAGE=1259 \"$DFMCONV\" --utf8 totext cyrillic.dfm out", cyrillic,
         "QUENDFMED_CODEPAGE: \"1259\" is not a code page this program knows (874, 1250 to 1258, 932, 936, 949, "
         "950); Windows-1252 is used.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        ASSERT_EQ(runScript(c.script), 0) << err_;
        EXPECT_EQ(err_, c.warning);
        EXPECT_NE(readFile(folder_ / "out").find("Caption = '" + c.caption + "'"), std::string::npos)
            << readFile(folder_ / "out");
        fs::remove(folder_ / "out");
    }
    // UTF-8 text comes back as a wide string: the page is only for reading narrow strings.
    EXPECT_EQ(runScript("\"$DFMCONV\" --utf8 --codepage 1251 totext cyrillic.dfm t && \"$DFMCONV\" tobinary t b"), 0)
        << err_;
    EXPECT_NE(readFile(folder_ / "b").find("\x12\x06\x00\x00\x00\x1F\x04"), std::string::npos);

    for (const char* wrong : {"--codepage 1259 totext cyrillic.dfm", "--codepage utf8 totext cyrillic.dfm",
                              "--codepage= totext cyrillic.dfm", "totext cyrillic.dfm --codepage"}) {
        SCOPED_TRACE(wrong);
        EXPECT_EQ(run(wrong), 2);
        EXPECT_NE(err_.find("dfmconv: "), std::string::npos) << err_;
        EXPECT_NE(err_.find("Usage:"), std::string::npos);
    }
    EXPECT_NE((run("--codepage 65001 totext cyrillic.dfm"), err_).find("unknown code page \"65001\""), std::string::npos);
}

TEST_F(DfmconvTest, WithoutAPageOptionTheFormsOwnPageDecidesItsCharacters)
{
    // A form that declares its Cyrillic set, its captions in Windows-1251 bytes; one caption is a
    // wide string that holds bytes beside a #n beyond 255, as a user typed it into the text.
    const std::string text = "object Form1: TForm1\r\n  Font.Charset = RUSSIAN_CHARSET\r\n"
                             "  Caption = '\xC4\xE0\xF2\xE0 \xE4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xE0'\r\n"
                             "  Hint = #1044'\xE0\xF2\xE0'\r\nend\r\n";
    writeFile(folder_ / "form.txt", text);
    ASSERT_EQ(run("tobinary form.txt form.dfm"), 0) << err_;
    // The wide string's bytes were read as Cyrillic: "Дата" in UTF-16.
    EXPECT_NE(readFile(folder_ / "form.dfm").find(std::string("\x12\x04\x00\x00\x00\x14\x04\x30\x04\x42\x04\x30\x04", 13)),
              std::string::npos);
    const std::string date = "\xD0\x94\xD0\xB0\xD1\x82\xD0\xB0";  // Дата
    ASSERT_EQ(run("--utf8 totext form.dfm"), 0) << err_;
    EXPECT_NE(out_.find("Caption = '" + date + " "), std::string::npos) << out_;
    EXPECT_NE(out_.find("Hint = '" + date + "'"), std::string::npos) << out_;
    // --codepage still decides; plain text is what it always was, whatever the form declares.
    ASSERT_EQ(run("--utf8 --codepage 1252 totext form.dfm"), 0) << err_;
    EXPECT_NE(out_.find("Caption = '\xC3\x84\xC3\xA0"), std::string::npos) << out_;
    ASSERT_EQ(run("--codepage 1252 totext form.dfm plain1252"), 0) << err_;
    ASSERT_EQ(run("totext form.dfm plain"), 0) << err_;
    EXPECT_EQ(readFile(folder_ / "plain"), readFile(folder_ / "plain1252"));
    // The UTF-8 text made back into binary keeps the Cyrillic characters.
    ASSERT_EQ(runScript("\"$DFMCONV\" --utf8 totext form.dfm u && \"$DFMCONV\" tobinary u b && \"$DFMCONV\" --utf8 totext b u2"), 0)
        << err_;
    EXPECT_NE(readFile(folder_ / "u2").find("Caption = '" + date + " "), std::string::npos);
    // check reads the text form with its own page: its UTF-8 text reads back to the same characters.
    EXPECT_EQ(run("check form.txt"), 0) << out_ << err_;
}

TEST_F(DfmconvTest, TextInTheCodePageReadsAsBeforeAndBadUtf8IsNamed)
{
    // Not UTF-8: the bytes are characters of the code page, as they always were.
    const std::string codePage = "object Form1: TForm\r\n  Caption = 'caf\xE9 cr\xE8me'\r\nend\r\n";
    writeFile(folder_ / "page.dfm", codePage);
    ASSERT_EQ(run("tobinary page.dfm page.bin"), 0) << err_;
    EXPECT_NE(readFile(folder_ / "page.bin").find("\x06\x0A" "caf\xE9 cr\xE8me"), std::string::npos);
    ASSERT_EQ(run("totext page.bin"), 0) << err_;
    EXPECT_EQ(out_, codePage);

    writeFile(folder_ / "bad.dfm", Mark + codePage);
    writeFile(folder_ / "old.dfm", "previous content");
    const struct {
        const char* arguments;
        const char* error;
    } cases[] = {
        {"tobinary bad.dfm old.dfm", "dfmconv: bad.dfm: Séquence UTF-8 incorrecte à la ligne 2\n"},
        {"--utf8 tobinary page.dfm old.dfm", "dfmconv: page.dfm: Séquence UTF-8 incorrecte à la ligne 2\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(run(c.arguments), 1);
        EXPECT_EQ(err_, c.error);
        EXPECT_EQ(readFile(folder_ / "old.dfm"), "previous content");
    }
}

// With --no-wrap a one-character insertion in a long caption changes one line of the text; the
// text reads back to the same bytes either way.
TEST_F(DfmconvTest, NoWrapKeepsAnEditToOneLine)
{
    const auto form = [](const std::string& caption) {
        return "object Form1: TForm\r\n  Caption = '" + caption + "'\r\n  Tag = 1\r\nend\r\n";
    };
    std::string caption;
    for (int i = 0; caption.size() < 300; ++i)
        caption += "word" + std::to_string(i) + " ";
    std::string edited = caption;
    edited.insert(10, "x");
    writeFile(folder_ / "a.txt", form(caption));
    writeFile(folder_ / "b.txt", form(edited));
    ASSERT_EQ(run("tobinary a.txt a.dfm"), 0) << err_;
    ASSERT_EQ(run("tobinary b.txt b.dfm"), 0) << err_;
    const auto lines = [](const std::string& text) {
        std::vector<std::string> result;
        std::istringstream stream(text);
        for (std::string line; std::getline(stream, line);)
            result.push_back(line);
        return result;
    };
    const auto changedLines = [&](const std::string& options) {
        EXPECT_EQ(run(options + " totext a.dfm a.out"), 0) << err_;
        EXPECT_EQ(run(options + " totext b.dfm b.out"), 0) << err_;
        EXPECT_EQ(run("tobinary a.out back.dfm"), 0) << err_;
        EXPECT_EQ(readFile(folder_ / "back.dfm"), readFile(folder_ / "a.dfm")) << options;
        const std::vector<std::string> a = lines(readFile(folder_ / "a.out"));
        const std::vector<std::string> b = lines(readFile(folder_ / "b.out"));
        EXPECT_EQ(a.size(), b.size()) << options;
        int changed = 0;
        for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
            changed += a[i] != b[i];
        return changed;
    };
    EXPECT_EQ(changedLines("--no-wrap"), 1);
    EXPECT_GT(changedLines(""), 1);
    EXPECT_EQ(changedLines("--utf8 --no-wrap"), 1);
}

TEST_F(DfmconvTest, CheckGivesTextFormsTheirVerdicts)
{
    fs::create_directories(folder_ / "forms");
    fs::create_directories(folder_ / "none/sub");
    writeFile(folder_ / "none/notes.txt", "not a form");
    ASSERT_EQ(run("totext " + Sample + " forms/crlf.dfm"), 0);
    std::string lf = readFile(folder_ / "forms/crlf.dfm");
    for (std::size_t at = lf.find("\r\n"); at != std::string::npos; at = lf.find("\r\n", at))
        lf.erase(at, 1);
    writeFile(folder_ / "forms/lf.lfm", lf);
    writeFile(folder_ / "forms/utf8.FMX", Mark + Utf8Form);
    writeFile(folder_ / "forms/loose.xfm", "OBJECT Form1 : TForm\r\n  left=  1\r\nEND\r\n");
    writeFile(folder_ / "forms/broken.dfm", "object Form1: TForm\r\n  Left = ?\r\nend\r\n");
    writeFile(folder_ / "forms/notes.txt", "object Form1: TForm\r\nend\r\n");
    const struct {
        std::string arguments;
        int status;
        std::vector<std::string> expected;  // lines of the output, each found in it
    } cases[] = {
        {"check forms", 1,
         {"failed\tforms/broken.dfm\tValeur de propriété incorrecte à la ligne 2\n", "fixed-point\tforms/crlf.dfm\n",
          "fixed-point\tforms/lf.lfm\n", "stable\tforms/loose.xfm\n", "fixed-point\tforms/utf8.FMX\n",
          "Checked 5 file(s), 0 binary: 0 identical, 0 identical+trailing, 0 text-fixed, 0 differ, 0 failed; "
          "5 text: 3 fixed-point, 1 stable, 0 differ, 1 failed.\n"}},
        {"check forms/lf.lfm " + Sample, 0, {"Checked 2 file(s), 1 binary: 1 identical"}},
        // A folder without a form file checks nothing, which is an error.
        {"check forms/crlf.dfm none", 1, {"fixed-point\tforms/crlf.dfm\n", "Checked 1 file(s)"}},
        {"-r check none", 1, {"Checked 0 file(s)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(run(c.arguments), c.status) << out_ << err_;
        for (const std::string& line : c.expected)
            EXPECT_NE(out_.find(line), std::string::npos) << line << "\nin\n" << out_;
        if (c.arguments.find("none") != std::string::npos) {
            EXPECT_EQ(err_, "dfmconv: none holds no form file\n");
        }
    }
}

// Every form of the shared corpus, text or binary, passes: a text form reads and the text made
// from it reads back to itself; a binary one comes back, or differs only where the text cannot
// carry the value kind (also for forms whose text outgrows one read of the scratch files).
TEST_F(DfmconvTest, CheckPassesEveryFormOfTheCorpus)
{
    const std::string corpus = DFM_CORPUS_DIR;
    if (!fs::exists(corpus))
        GTEST_SKIP() << "no shared corpus in " << corpus;
    EXPECT_EQ(run("-r check " + corpus), 0) << out_;
    EXPECT_EQ(out_.find("failed\t"), std::string::npos) << out_;
    EXPECT_EQ(out_.find("differs\t"), std::string::npos) << out_;
    EXPECT_NE(out_.find("0 differ, 0 failed.\n"), std::string::npos) << out_;
}

TEST_F(DfmconvTest, SeveralInputsGoToAFolder)
{
    fs::create_directories(folder_ / "in/sub");
    fs::copy_file(Sample, folder_ / "in/a.dfm");
    fs::copy_file(Sample, folder_ / "in/sub/b.DFM");
    writeFile(folder_ / "in/text.lfm", Utf8Form);
    writeFile(folder_ / "in/sub/a.dfm", "object Other: TForm\r\nend\r\n");
    ASSERT_EQ(run("totext " + Sample + " sample.txt"), 0);
    const std::string text = readFile(folder_ / "sample.txt");

    writeFile(folder_ / "picture.dfm", "\x89PNG\r\n\x1A\n");
    writeFile(folder_ / "wide.dfm", std::string("\xFF\xFEo\0b\0j\0", 8));
    writeFile(folder_ / "empty.dfm", "");
    EXPECT_EQ(run("totext in/a.dfm in/sub/b.DFM in/text.lfm missing.dfm picture.dfm wide.dfm empty.dfm -o out"), 1);
    EXPECT_EQ(readFile(folder_ / "out/a.dfm"), text);
    EXPECT_EQ(readFile(folder_ / "out/b.DFM"), text);
    EXPECT_EQ(namesIn(folder_ / "out"), (std::set<std::string>{"a.dfm", "b.DFM"}));
    EXPECT_EQ(err_, "dfmconv: in/text.lfm: already form text, left as it is\n"
                    "dfmconv: missing.dfm: Impossible d'ouvrir le fichier missing.dfm (No such file or directory)\n"
                    "dfmconv: picture.dfm: neither a binary form file nor form text\n"
                    "dfmconv: wide.dfm: neither a binary form file nor form text\n"
                    "dfmconv: empty.dfm: neither a binary form file nor form text\n"
                    "Converted 2 file(s), 4 failed, 1 already text.\n");
    EXPECT_EQ(run("--in-place tobinary picture.dfm"), 1);
    EXPECT_EQ(readFile(folder_ / "picture.dfm"), "\x89PNG\r\n\x1A\n");

    // Through a symbolic link the file it points to is replaced, and its old bytes kept.
    fs::copy_file(Sample, folder_ / "real.dfm");
    fs::create_symlink("real.dfm", folder_ / "link.dfm");
    EXPECT_EQ(run("-j2 --in-place --backup totext link.dfm"), 0) << err_;
    EXPECT_TRUE(fs::is_symlink(folder_ / "link.dfm"));
    EXPECT_EQ(readFile(folder_ / "real.dfm"), text);
    EXPECT_EQ(readFile(folder_ / "link.D$$"), readFile(Sample));

    EXPECT_EQ(run("-r tobinary in/text.lfm in -o back"), 0) << err_;
    EXPECT_EQ(namesIn(folder_ / "back"), (std::set<std::string>{"sub", "text.lfm"}));
    EXPECT_EQ(namesIn(folder_ / "back/sub"), (std::set<std::string>{"a.dfm"}));

    // Two inputs of one name, or an output that is an input: nothing is written over.
    EXPECT_EQ(run("totext in/a.dfm in/sub/a.dfm -o again"), 2);
    EXPECT_NE(err_.find("would both be written to again/a.dfm"), std::string::npos) << err_;
    EXPECT_FALSE(fs::exists(folder_ / "again"));
    fs::copy_file(Sample, folder_ / "in/sub/c.dfm");
    EXPECT_EQ(run("totext in/sub/c.dfm in/a.dfm -o in/sub"), 1);
    EXPECT_NE(err_.find("dfmconv: in/sub/c.dfm is an input; it is never overwritten\n"), std::string::npos) << err_;
    EXPECT_EQ(readFile(folder_ / "in/sub/c.dfm"), readFile(Sample));
    EXPECT_EQ(readFile(folder_ / "in/sub/a.dfm"), text);
    EXPECT_EQ(run("-r totext in -o in/o"), 2);
    EXPECT_NE(err_.find("must not lie one inside the other"), std::string::npos) << err_;
}

// A copy of the corpus migrated to text in place and back: each file replaced whole or left as it
// was, a broken form and an unreadable file reported, the others converted all the same.
TEST_F(DfmconvTest, InPlaceMigratesACopyOfTheCorpus)
{
    const fs::path corpus = DFM_CORPUS_DIR;
    if (!fs::exists(corpus / "MANIFEST.tsv"))
        GTEST_SKIP() << "no shared corpus in " << corpus;
    const fs::path tree = folder_ / "tree";
    // File by file: a folder copied whole would be as read-only as the corpus.
    for (const char* part : {"binary", "text"}) {
        fs::create_directories(tree / part);
        for (const auto& entry : fs::directory_iterator(corpus / part)) {
            fs::copy_file(entry.path(), tree / part / entry.path().filename());
            fs::permissions(tree / part / entry.path().filename(), fs::perms::owner_write, fs::perm_options::add);
        }
    }
    writeFile(tree / "text/broken.dfm", "object Form1: TForm\r\n  Left = ?\r\nend\r\n");
    writeFile(tree / "binary/locked.dfm", readFile(Sample));
    const bool canLock = !isRoot();
    if (canLock)
        fs::permissions(tree / "binary/locked.dfm", fs::perms::none);
    std::map<fs::path, std::string> before;
    for (const auto& entry : fs::recursive_directory_iterator(tree))
        if (entry.is_regular_file() && entry.path().filename() != "locked.dfm")
            before[entry.path()] = readFile(entry.path());

    EXPECT_EQ(run("-r --in-place --backup -j 2 totext tree"), canLock ? 1 : 0) << err_;
    if (canLock) {
        EXPECT_NE(err_.find("dfmconv: tree/binary/locked.dfm: Impossible d'ouvrir le fichier"), std::string::npos)
            << err_;
    }
    EXPECT_NE(err_.find("dfmconv: tree/text/broken.dfm: already form text, left as it is\n"), std::string::npos);
    std::size_t backups = 0;
    for (const auto& [path, bytes] : before) {
        SCOPED_TRACE(path.string());
        const std::string now = readFile(path);
        if (bytes.starts_with("\xFF\x0A")) {
            EXPECT_TRUE(now.starts_with("object ") || now.starts_with("inherited ") || now.starts_with("inline "));
            EXPECT_EQ(readFile(fs::path(path).replace_extension(".D$$")), bytes);
            ++backups;
        } else {
            EXPECT_EQ(now, bytes);
        }
    }
    EXPECT_GT(backups, 150u);
    EXPECT_EQ(run("check tree/binary"), canLock ? 1 : 0) << out_;
    EXPECT_NE(out_.find(canLock ? "0 differ, 0 failed; 1 neither: 1 unreadable, 0 not a form file.\n" : "0 differ, 0 failed.\n"),
              std::string::npos) << out_;

    // Back to binary: the broken form fails, stays as it was, and the run goes on.
    EXPECT_EQ(run("-r --in-place -j 2 tobinary tree"), 1) << err_;
    EXPECT_NE(err_.find("dfmconv: tree/text/broken.dfm: Valeur de propriété incorrecte à la ligne 2\n"),
              std::string::npos) << err_;
    EXPECT_EQ(readFile(tree / "text/broken.dfm"), before[tree / "text/broken.dfm"]);
    // What the manifest calls identical comes back byte for byte.
    std::ifstream manifest(corpus / "MANIFEST.tsv");
    std::size_t identical = 0;
    for (std::string line; std::getline(manifest, line);) {
        std::istringstream fields(line);
        std::string kind, file, repository, pathInRepository, size, expected;
        std::getline(fields, kind, '\t');
        std::getline(fields, file, '\t');
        std::getline(fields, repository, '\t');
        std::getline(fields, pathInRepository, '\t');
        std::getline(fields, size, '\t');
        std::getline(fields, expected, '\t');
        if (kind == "binary" && expected == "identical") {
            EXPECT_EQ(readFile(tree / "binary" / file), readFile(corpus / "binary" / file)) << file;
            ++identical;
        }
    }
    EXPECT_GT(identical, 100u);
    for (const auto& entry : fs::recursive_directory_iterator(tree))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".dfmconv")) << entry.path();
    if (canLock)
        fs::permissions(tree / "binary/locked.dfm", fs::perms::owner_all);
}

// The report of a parallel run is the report of a run one file at a time.
TEST_F(DfmconvTest, ParallelRunsReportInFileOrder)
{
    fs::create_directories(folder_ / "forms");
    std::string cut = readFile(Sample);
    cut.resize(cut.size() / 3);
    for (int i = 0; i < 60; ++i) {
        const std::string name = "forms/f" + std::to_string(i);
        if (i % 7 == 3)
            writeFile(folder_ / (name + ".dfm"), cut);
        else if (i % 5 == 0)
            writeFile(folder_ / (name + ".lfm"), Utf8Form);
        else
            fs::copy_file(Sample, folder_ / (name + ".dfm"));
    }
    const struct {
        const char* command;
        bool toStandardError;
    } cases[] = {
        {"check forms", false},
        {"-r totext forms -o out", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(run(std::string("-j 1 ") + c.command), 1);
        const std::string one = c.toStandardError ? err_ : out_;
        EXPECT_NE(one.find("f10"), std::string::npos);
        for (const char* jobs : {"-j 2 ", "-j 7 ", ""}) {
            fs::remove_all(folder_ / "out");
            EXPECT_EQ(run(jobs + std::string(c.command)), 1);
            EXPECT_EQ(c.toStandardError ? err_ : out_, one) << jobs;
        }
    }
}

}  // namespace

// A conversion the wrong way round says what the file already is, and writes nothing.
TEST_F(DfmconvTest, ASingleFileAlreadyOfTheTargetFormatIsNamedAsSuch)
{
    ASSERT_EQ(run("totext " + Sample + " form.txt"), 0);
    fs::copy_file(Sample, folder_ / "form.dfm");
    const struct {
        const char* arguments;
        const char* error;
    } cases[] = {
        {"totext form.txt out", "dfmconv: form.txt: already form text\n"},
        {"totext - out < form.txt", "dfmconv: -: already form text\n"},
        {"tobinary form.dfm out", "dfmconv: form.dfm: already a binary form file\n"},
        {"tobinary form.dfm", "dfmconv: form.dfm: already a binary form file\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(run(c.arguments), 1);
        EXPECT_EQ(err_, c.error);
        EXPECT_EQ(out_, "");
        EXPECT_FALSE(fs::exists(folder_ / "out"));
    }
}

// Each reason a file cannot be had is named after the fixed text; a full disk names the output.
TEST_F(DfmconvTest, FailuresNameTheirFileAndTheSystemsReason)
{
    fs::create_directory(folder_ / "folder.dfm");
    const struct {
        const char* arguments;
        const char* error;
    } cases[] = {
        {"totext missing.dfm out", "dfmconv: missing.dfm: Impossible d'ouvrir le fichier missing.dfm (No such file or directory)\n"},
        {"totext folder.dfm out", "dfmconv: folder.dfm: Impossible d'ouvrir le fichier folder.dfm (Is a directory)\n"},
        {"totext SAMPLE /dev/full", "dfmconv: /dev/full: Erreur d'écriture dans le flux (No space left on device)\n"},
        {"totext SAMPLE no/such/out", "dfmconv: SAMPLE: Impossible de créer le fichier no/such/out (No such file or directory)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::string arguments = c.arguments;
        std::string error = c.error;
        for (std::string* text : {&arguments, &error}) {
            if (const std::size_t at = text->find("SAMPLE"); at != std::string::npos)
                text->replace(at, 6, Sample);
        }
        EXPECT_EQ(run(arguments), 1);
        EXPECT_EQ(err_, error);
    }
}

// A link below IN is converted to the place of the link below OUT, never where it points.
TEST_F(DfmconvTest, ALinkBelowTheInputTreeIsWrittenInsideTheOutputTree)
{
    fs::create_directories(folder_ / "src");
    fs::create_directories(folder_ / "work/in/sub");
    fs::copy_file(Sample, folder_ / "src/t.dfm");
    writeFile(folder_ / "src/t.txt", "unrelated");
    fs::create_symlink("../../src/t.dfm", folder_ / "work/in/link.dfm");
    fs::copy_file(Sample, folder_ / "src/u.dfm");
    fs::create_symlink("../../../src/u.dfm", folder_ / "work/in/sub/deeper.dfm");
    for (const char* arguments : {"-r totext work/in work/out", "-r -o work/out totext work/in"}) {
        SCOPED_TRACE(arguments);
        fs::remove_all(folder_ / "work/out");
        EXPECT_EQ(run(arguments), 0) << err_;
        EXPECT_EQ(readFile(folder_ / "src/t.dfm"), readFile(Sample));
        EXPECT_EQ(readFile(folder_ / "src/t.txt"), "unrelated");
        EXPECT_EQ(readFile(folder_ / "src/u.dfm"), readFile(Sample));
        EXPECT_EQ(namesIn(folder_ / "src"), (std::set<std::string>{"t.dfm", "t.txt", "u.dfm"}));
        EXPECT_EQ(readFile(folder_ / "work/out/link.dfm").rfind("object SampleForm", 0), 0u);
        EXPECT_EQ(readFile(folder_ / "work/out/sub/deeper.dfm").rfind("object SampleForm", 0), 0u);
    }
}

// Two originals that would share one backup name: the run refuses before it writes anything.
TEST_F(DfmconvTest, TwoFormsWithOneBackupNameAreRefused)
{
    fs::copy_file(Sample, folder_ / "Form.dfm");
    fs::copy_file(Sample, folder_ / "Form.DFM");
    writeFile(folder_ / "Other.dfm", "object T\r\nend\r\n");
    fs::copy_file(Sample, folder_ / "Other.DFM");
    EXPECT_EQ(run("--in-place --backup totext Form.dfm ./Form.DFM"), 2);
    EXPECT_EQ(err_, "dfmconv: Form.dfm and ./Form.DFM would both be kept as ./Form.D$$; nothing was converted\n");
    EXPECT_EQ(readFile(folder_ / "Form.dfm"), readFile(Sample));
    EXPECT_EQ(readFile(folder_ / "Form.DFM"), readFile(Sample));
    EXPECT_EQ(namesIn(folder_), (std::set<std::string>{".err", ".out", "Form.dfm", "Form.DFM", "Other.dfm", "Other.DFM"}));
    // One of the two is text already: it keeps no backup, so the other's is its own.
    EXPECT_EQ(run("--in-place --backup totext Other.dfm Other.DFM"), 0) << err_;
    EXPECT_EQ(readFile(folder_ / "Other.D$$"), readFile(Sample));
}

// An unreadable folder below a tree is named and fails the run; the rest is still done.
TEST_F(DfmconvTest, AnUnreadableSubfolderIsReportedAndTheRunGoesOn)
{
    if (isRoot())
        GTEST_SKIP() << "root reads every folder";
    fs::create_directories(folder_ / "in/locked");
    fs::copy_file(Sample, folder_ / "in/good.dfm");
    fs::copy_file(Sample, folder_ / "in/locked/hidden.dfm");
    fs::permissions(folder_ / "in/locked", fs::perms::none);
    EXPECT_EQ(run("-r check in"), 1);
    EXPECT_NE(err_.find("dfmconv: in/locked: Permission denied\n"), std::string::npos) << err_;
    EXPECT_NE(out_.find("identical\tin/good.dfm\n"), std::string::npos) << out_;
    EXPECT_EQ(run("-r totext in out"), 1);
    EXPECT_NE(err_.find("dfmconv: in/locked: Permission denied\n"), std::string::npos) << err_;
    EXPECT_TRUE(fs::exists(folder_ / "out/good.dfm"));
    fs::permissions(folder_ / "in/locked", fs::perms::owner_all);
}

// A file that is no form, or cannot be read, is counted as what it is, not as a binary form.
TEST_F(DfmconvTest, CheckCountsFilesThatAreNoFormsApart)
{
    fs::copy_file(Sample, folder_ / "good.dfm");
    writeFile(folder_ / "empty.dfm", "");
    writeFile(folder_ / "photo.dfm", "\xFF\xD8\xFF\xE0\x00\x10JFIF");
    EXPECT_EQ(run("check good.dfm empty.dfm photo.dfm missing.dfm"), 1);
    EXPECT_EQ(out_,
              "identical\tgood.dfm\n"
              "failed\tempty.dfm\tan empty file, not a form file\n"
              "failed\tphoto.dfm\tneither a binary form file nor form text\n"
              "failed\tmissing.dfm\tImpossible d'ouvrir le fichier missing.dfm (No such file or directory)\n"
              "Checked 4 file(s), 1 binary: 1 identical, 0 identical+trailing, 0 text-fixed, 0 differ, 0 failed; "
              "0 text: 0 fixed-point, 0 stable, 0 differ, 0 failed; 3 neither: 1 unreadable, 2 not a form file.\n");
}

// A value the text does not carry is a difference, named with its property, not a kind changed.
TEST_F(DfmconvTest, CheckNamesAChangedValue)
{
    std::string stream = "TPF0" + shortString("TForm1") + shortString("Form1") + shortString("Tiny") + '\x05'
        + std::string("\x01\0\0\0\0\0\0\0\0\0", 10) + std::string(2, '\0');
    writeFile(folder_ / "tiny.dfm", std::string("\xFF\x0A\0TFORM1\0\x30\x10", 12)
                                        + littleEndian(static_cast<std::uint32_t>(stream.size())) + stream);
    EXPECT_EQ(run("check tiny.dfm"), 1);
    EXPECT_EQ(out_.substr(0, out_.find('\n')), "differs\ttiny.dfm\tat offset 38, property Form1.Tiny");
}

// A binary form file of one form stream, behind the resource header.
std::string binaryFormFile(const std::string& stream)
{
    return std::string("\xFF\x0A\0TFORM1\0\x30\x10", 12) + littleEndian(static_cast<std::uint32_t>(stream.size()))
        + stream;
}

std::string object(const std::string& className, const std::string& name, const std::string& properties)
{
    return shortString(className) + shortString(name) + properties + '\0' + '\0';
}

std::string binaryProperty(const std::string& name, const std::string& data)
{
    return shortString(name) + '\x0A' + littleEndian(static_cast<std::uint32_t>(data.size())) + data;
}

std::string sized(const std::string& file)
{
    return littleEndian(static_cast<std::uint32_t>(file.size())) + file;
}

// Each picture of a form as a file of its own kind holding the graphic's bytes: names made safe
// and given once, the same from the form's text, one line per file written.
TEST_F(DfmconvTest, PicturesAreWrittenAsFilesOfTheirKind)
{
    const std::string bitmap = "BM" + littleEndian(30) + std::string(24, '\x11');
    const std::string jpeg = "\xFF\xD8\xFF\xE0 first\xFF\xD9";
    const std::string secondJpeg = "\xFF\xD8\xFF\xE0 second\xFF\xD9";
    const std::string png = std::string("\x89PNG\r\n\x1A\n", 8) + "png";
    const std::string icon = std::string("\0\0\1\0\1\0", 6) + "icon";
    const std::string objects =
        object("TImage", "Image1", binaryProperty("Picture.Data", shortString("TJPEGImage") + sized(jpeg)))
        + object("TImage", "Image2", binaryProperty("Picture.Data", shortString("TPngImage") + png))
        + object("TSpeedButton", "Button1", binaryProperty("Glyph.Data", sized(bitmap)))
        + object("TImage", "Image3", binaryProperty("Picture.Data", shortString("TFooGraphic") + "foo"))
        + object("TImage", "Image1", binaryProperty("Picture.Data", shortString("TJPEGImage") + sized(secondJpeg)))
        + object("TImage", "IMAGE1", binaryProperty("Picture.Data", shortString("TJPEGImage") + sized(jpeg)))
        + object("TLogo", "", binaryProperty("Picture.Data", shortString("TPngImage") + png))
        + object("TQuery", "Query1", binaryProperty("Params.Data", std::string("\1\0\2\0", 4)));
    const std::string start =
        "TPF0" + shortString("TForm1") + shortString("Form1") + binaryProperty("Icon.Data", icon) + '\0';
    // Only a binary form holds names that are no identifiers.
    const std::string unsafe = object("TImage", "../../up/x", binaryProperty("Glyph.Data", sized(bitmap)));
    const std::string stream = start + objects + unsafe + '\0';
    writeFile(folder_ / "form.dfm", binaryFormFile(stream));
    writeFile(folder_ / "safe.dfm", binaryFormFile(start + objects + '\0'));
    using Files = std::vector<std::pair<std::string, std::string>>;
    const Files safeFiles = {
        {"Form1.Icon.Data.ico", icon},
        {"Image1.Picture.Data.jpg", jpeg},
        {"Image2.Picture.Data.png", png},
        {"Button1.Glyph.Data.bmp", bitmap},
        {"Image3.Picture.Data.TFooGraphic.bin", "foo"},
        {"Image1.Picture.Data-2.jpg", secondJpeg},
        {"IMAGE1.Picture.Data-3.jpg", jpeg},
        {"TLogo.Picture.Data.png", png},
    };
    Files allFiles = safeFiles;
    allFiles.emplace_back("______up_x.Glyph.Data.bmp", bitmap);
    ASSERT_EQ(run("totext safe.dfm safe.txt"), 0) << err_;
    const std::pair<const char*, const Files*> runs[] = {
        {"pictures form.dfm -o pictures", &allFiles},
        {"-o pictures pictures safe.txt", &safeFiles},
        {"pictures - -o pictures < safe.txt", &safeFiles},
    };
    for (const auto& [arguments, files] : runs) {
        SCOPED_TRACE(arguments);
        std::string lines;
        std::set<std::string> names;
        for (const auto& [name, bytes] : *files) {
            lines += "pictures/" + name + "\n";
            names.insert(name);
        }
        fs::remove_all(folder_ / "pictures");
        EXPECT_EQ(run(arguments), 0) << err_;
        EXPECT_EQ(out_, lines);
        EXPECT_EQ(err_, "");
        EXPECT_EQ(namesIn(folder_ / "pictures"), names);
        for (const auto& [name, bytes] : *files)
            EXPECT_EQ(readFile(folder_ / "pictures" / name), bytes) << name;
    }
    EXPECT_EQ(namesIn(folder_),
              (std::set<std::string>{".err", ".out", "form.dfm", "safe.dfm", "safe.txt", "pictures"}));
    // A bare form stream through a pipe, which cannot go back over what it read.
    writeFile(folder_ / "bare.dfm", stream);
    fs::remove_all(folder_ / "pictures");
    EXPECT_EQ(runScript("cat bare.dfm | \"$DFMCONV\" pictures - -o pictures >/dev/null"), 0) << err_;
    EXPECT_EQ(namesIn(folder_ / "pictures").size(), allFiles.size());

    // Into a folder that holds files: those of the same names are replaced, the others stay, and
    // a name that is the form itself is never written over.
    writeFile(folder_ / "pictures/Image2.Picture.Data.png", "old");
    writeFile(folder_ / "pictures/notes.txt", "notes");
    fs::copy_file(folder_ / "form.dfm", folder_ / "pictures/Image1.Picture.Data.jpg",
                  fs::copy_options::overwrite_existing);
    EXPECT_EQ(run("pictures pictures/Image1.Picture.Data.jpg -o pictures"), 1);
    EXPECT_EQ(err_, "dfmconv: pictures/Image1.Picture.Data.jpg is the input; it is never overwritten\n");
    EXPECT_EQ(readFile(folder_ / "pictures/Image1.Picture.Data.jpg"), binaryFormFile(stream));
    EXPECT_EQ(readFile(folder_ / "pictures/Image2.Picture.Data.png"), png);
    EXPECT_EQ(readFile(folder_ / "pictures/notes.txt"), "notes");
    EXPECT_EQ(out_.find("pictures/Image1.Picture.Data.jpg\n"), std::string::npos) << out_;
    EXPECT_NE(out_.find("pictures/TLogo.Picture.Data.png\n"), std::string::npos) << out_;
}

TEST_F(DfmconvTest, PicturesOfFormsWithoutAnyAndOfFilesThatAreNoForms)
{
    writeFile(folder_ / "plain.dfm", "object Form1: TForm1\r\n  Data = {0000}\r\nend\r\n");
    EXPECT_EQ(run("pictures plain.dfm -o pictures"), 0) << err_;
    EXPECT_EQ(out_, "plain.dfm holds no pictures\n");
    EXPECT_FALSE(fs::exists(folder_ / "pictures"));

    writeFile(folder_ / "photo.dfm", "\xFF\xD8\xFF\xE0\x00\x10JFIF");
    writeFile(folder_ / "broken.dfm", "object Form1: TForm1\r\n  Left = ?\r\nend\r\n");
    const std::pair<const char*, const char*> failures[] = {
        {"photo.dfm", "dfmconv: photo.dfm: neither a binary form file nor form text\n"},
        {"missing.dfm",
         "dfmconv: missing.dfm: Impossible d'ouvrir le fichier missing.dfm (No such file or directory)\n"},
        {"broken.dfm", "dfmconv: broken.dfm: Valeur de propriété incorrecte à la ligne 2\n"},
    };
    for (const auto& [form, message] : failures) {
        SCOPED_TRACE(form);
        EXPECT_EQ(run(std::string("pictures ") + form + " -o pictures"), 1);
        EXPECT_EQ(err_, message);
        EXPECT_FALSE(fs::exists(folder_ / "pictures"));
    }
    for (const char* arguments : {"pictures plain.dfm", "pictures plain.dfm plain.dfm -o pictures",
                                  "-o pictures pictures", "-r pictures plain.dfm -o pictures"}) {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(run(arguments), 2);
        EXPECT_NE(err_.find("dfmconv: pictures "), std::string::npos) << err_;
    }
}

// A picture file that cannot be written is named with the reason; the others are still written.
TEST_F(DfmconvTest, APictureThatCannotBeWrittenIsReported)
{
    if (isRoot())
        GTEST_SKIP() << "root replaces read-only files";
    fs::create_directories(folder_ / "pictures");
    writeFile(folder_ / "pictures/LogoImage.Picture.Data.bmp", "kept");
    fs::permissions(folder_ / "pictures/LogoImage.Picture.Data.bmp", fs::perms::owner_read);
    EXPECT_EQ(run("pictures " + Sample + " -o pictures"), 1);
    EXPECT_EQ(err_, "dfmconv: pictures/LogoImage.Picture.Data.bmp is read-only; --force replaces it\n");
    EXPECT_EQ(readFile(folder_ / "pictures/LogoImage.Picture.Data.bmp"), "kept");
    EXPECT_EQ(run("--force pictures " + Sample + " -o pictures"), 0) << err_;
    EXPECT_TRUE(readFile(folder_ / "pictures/LogoImage.Picture.Data.bmp").starts_with("BM"));
}

// Every form of the corpus gives its pictures, each a file of a known kind.
TEST_F(DfmconvTest, PicturesOfEveryFormOfTheCorpus)
{
    const fs::path corpus = DFM_CORPUS_DIR;
    if (!fs::exists(corpus / "MANIFEST.tsv"))
        GTEST_SKIP() << "no shared corpus in " << corpus;
    std::map<std::string, int> extensions;
    int forms = 0;
    for (const char* part : {"binary", "text"}) {
        for (const auto& entry : fs::directory_iterator(corpus / part)) {
            SCOPED_TRACE(entry.path().string());
            const fs::path out = folder_ / "pictures" / entry.path().filename();
            ASSERT_EQ(run("pictures '" + entry.path().string() + "' -o '" + out.string() + "'"), 0) << err_;
            std::istringstream written(out_);
            for (std::string line; std::getline(written, line);) {
                if (line.ends_with(" holds no pictures"))
                    continue;
                ++extensions[line.substr(line.rfind('.') + 1)];
                EXPECT_TRUE(fs::is_regular_file(folder_ / line)) << line;
            }
            ++forms;
        }
    }
    EXPECT_GT(forms, 300);
    EXPECT_EQ(extensions.count("bin"), 0u);
    for (const char* extension : {"bmp", "ico", "jpg", "png"})
        EXPECT_GT(extensions[extension], 0) << extension;
}
