// dfmgrep on a temporary tree: options, masks, walk order and links, refused input, running out of
// memory, messages and exit statuses.
#include "GrepCommand.h"
#include "Version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <sstream>
#include <streambuf>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A shortage of memory on demand: while failingAllocations is above zero, the next
// allocationsBeforeFailing allocations succeed and then that many fail.
std::atomic<long> allocationsBeforeFailing{0};
std::atomic<long> failingAllocations{0};

void* allocate(std::size_t size)
{
    if (failingAllocations.load() > 0) {
        if (allocationsBeforeFailing.load() > 0) {
            --allocationsBeforeFailing;
        } else {
            --failingAllocations;
            throw std::bad_alloc();
        }
    }
    if (void* block = std::malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}

void* allocateOrNull(std::size_t size) noexcept
{
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

// Every plain form replaced together, so that allocation and release always pair up.
void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocateOrNull(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocateOrNull(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

namespace dfm {
namespace {

const std::string Dfmgrep = DFMGREP_PATH;
const std::string Key = "KeyBtnOK7";

std::vector<std::string> outputLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> sorted(std::vector<std::string> list)
{
    std::sort(list.begin(), list.end());
    return list;
}

std::ptrdiff_t countEndingWith(const std::vector<std::string>& lines, const std::string& end)
{
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.ends_with(end); });
}

std::string folderOf(const std::string& path)
{
    return path.substr(0, path.rfind('/') + 1);
}

// Depth first with a folder's files before its subfolders': the lines below any folder form
// one run, and that folder's own files lead it.
void expectDepthFirst(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) {
        const std::string folder = folderOf(line);
        std::vector<std::size_t> inside;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].rfind(folder, 0) == 0)
                inside.push_back(i);
        }
        EXPECT_EQ(inside.back() - inside.front() + 1, inside.size()) << folder << " is left and entered again";
        bool deeper = false;
        for (const std::size_t i : inside) {
            const bool own = folderOf(lines[i]) == folder;
            EXPECT_FALSE(own && deeper) << lines[i] << " comes after a subfolder's file";
            deeper = deeper || !own;
        }
    }
}

// A binary form (resource header, "TPF0", length-prefixed names and strings, NUL bytes)
// with the key inside a string value.
std::string binaryForm()
{
    std::string form("\xFF\x0A\x00TFORM1\x00\x30\x10", 12);
    form += std::string("\x00\x00\x00\x00", 4) + "TPF0\x06TForm1\x05" "Form1";
    form += "\x07" "Caption\x06" + std::string(1, static_cast<char>(Key.size())) + Key;
    form += std::string("\x04Left\x03\x10\x00\x00\x00", 10) + "\x05" "Color\x07\x08" "clBtnFace";
    form += std::string(16, '\0') + "\x01\x02\xFE\xFF";
    return form;
}

class DfmgrepTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/dfmgrep-test-XXXXXX";
        root_ = ::mkdtemp(pattern);
        start_ = fs::current_path();
    }
    void TearDown() override
    {
        // The engine moves into the directory it searches.
        fs::current_path(start_);
        fs::remove_all(root_);
    }

    void write(const std::string& relative, const std::string& bytes)
    {
        const fs::path path = root_ / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    void makeTree()
    {
        const std::string hit = "object Form1: TForm1\r\n  Caption = '" + Key + "'\r\nend\r\n";
        write("a.dfm", hit);
        write("B.DFM", binaryForm());
        write("lower.dfm", "object F: TF\r\n  Hint = 'keybtnok7'\r\nend\r\n");
        write("miss.dfm", "object Form1: TForm1\r\nend\r\n");
        write("unit.pas", "unit Unit1;\r\n// " + Key + "\r\nend.\r\n");
        write("notes.txt", Key);
        write("dash.txt", "option -dashKey here");
        write(".hidden.dfm", hit);
        write(".git/e.dfm", hit);
        write("sub/c.dfm", hit);
        write("sub/x.pas", hit);
        write("sub/deep/d.dfm", std::string(100000, 'x') + Key);
        write("zz/f.DFM", hit);
    }

    // Runs the command in this process.
    int run(const std::vector<std::string>& arguments)
    {
        std::ostringstream out;
        std::ostringstream err;
        const int status = GrepCommand(out, err).run(arguments);
        out_ = out.str();
        err_ = err.str();
        return status;
    }

    // Runs the built program through the shell (arguments: a shell fragment).
    int runProgram(const std::string& arguments, const std::string& out = "")
    {
        const fs::path outFile = root_ / ".out";
        const fs::path errFile = root_ / ".err";
        const std::string command = "cd " + root_.string() + " && " + Dfmgrep + " " + arguments + " >"
            + (out.empty() ? outFile.string() : out) + " 2>" + errFile.string();
        const int status = std::system(command.c_str());
        std::ifstream outStream(outFile);
        std::ifstream errStream(errFile);
        out_ = out.empty() ? std::string(std::istreambuf_iterator<char>(outStream), {}) : "";
        err_ = std::string(std::istreambuf_iterator<char>(errStream), {});
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string rootPath() const { return root_.string() + '/'; }

    fs::path root_;
    fs::path start_;
    std::string out_;
    std::string err_;
};

TEST_F(DfmgrepTest, SearchesAsTheOptionsAndMaskSay)
{
    makeTree();
    const std::string root = root_.string();
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> found;  // below the root
        std::string lastError;
        int status;
    };
    const Case cases[] = {
        {{Key, root}, {"a.dfm", "B.DFM"}, "Found 2 file(s).", 0},
        {{"-r", Key, root}, {"a.dfm", "B.DFM", "sub/c.dfm", "sub/deep/d.dfm", "zz/f.DFM"}, "Found 5 file(s).", 0},
        {{"-i", Key, root + "/"}, {"a.dfm", "B.DFM", "lower.dfm"}, "Found 3 file(s).", 0},
        {{"-i", "-r", Key, root},
         {"a.dfm", "B.DFM", "lower.dfm", "sub/c.dfm", "sub/deep/d.dfm", "zz/f.DFM"}, "Found 6 file(s).", 0},
        {{"-ri", Key, root},
         {"a.dfm", "B.DFM", "lower.dfm", "sub/c.dfm", "sub/deep/d.dfm", "zz/f.DFM"}, "Found 6 file(s).", 0},
        {{"-r", Key, root, "pas;dfm"},
         {"unit.pas", "a.dfm", "B.DFM", "sub/x.pas", "sub/c.dfm", "sub/deep/d.dfm", "zz/f.DFM"}, "Found 7 file(s).", 0},
        {{Key, root, "*"}, {"a.dfm", "B.DFM", "unit.pas", "notes.txt"}, "Found 4 file(s).", 0},
        // A file that two pieces match is listed once.
        {{"-r", Key, root, "dfm;DFM;d?m"},
         {"a.dfm", "B.DFM", "sub/c.dfm", "sub/deep/d.dfm", "zz/f.DFM"}, "Found 5 file(s).", 0},
        {{Key, root, "pas;*"}, {"unit.pas", "a.dfm", "B.DFM", "notes.txt"}, "Found 4 file(s).", 0},
        {{"--", "-dashKey", root, "txt"}, {"dash.txt"}, "Found 1 file(s).", 0},
        // Raw bytes: a length byte before the class name is only in the binary form.
        {{"\x06TForm1", root}, {"B.DFM"}, "Found 1 file(s).", 0},
        {{"-r", "NotInAnyFile", root, "*"}, {}, "Found 0 file(s).", 1},
        {{Key, root + "/missing"}, {}, "dfmgrep: " + root + "/missing: No such file or directory", 2},
        {{Key, root + "/a.dfm"}, {}, "dfmgrep: " + root + "/a.dfm: Not a directory", 2},
        {{Key, root, ""}, {}, "dfmgrep: You must provide a file mask (Example: pas)", 2},
        {{"", root}, {}, "dfmgrep: Search Key can't be empty", 2},
        {{std::string(100000, 'k'), root}, {},
         "dfmgrep: Search Key can't be longer than 32768 bytes (this one has 100000)", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front().substr(0, 20) + " " + c.arguments.back());
        EXPECT_EQ(run(c.arguments), c.status);
        const std::vector<std::string> lines = outputLines(out_);
        std::vector<std::string> expected;
        for (const std::string& name : c.found)
            expected.push_back(rootPath() + name);
        EXPECT_EQ(sorted(lines), sorted(expected));
        expectDepthFirst(lines);
        const std::vector<std::string> errors = outputLines(err_);
        ASSERT_FALSE(errors.empty());
        EXPECT_EQ(errors.back(), c.lastError);
        EXPECT_EQ(errors.size(), 1u) << err_;
    }
    // Every piece of the mask in turn within a folder: its .pas files, then its .dfm files.
    run({"-r", Key, root, "pas;dfm"});
    EXPECT_EQ(outputLines(out_).front(), rootPath() + "unit.pas");
}

TEST_F(DfmgrepTest, CodePageAndAllEncodingsChooseWhatTheKeyIsLookedForAs)
{
    write("narrow1251.dfm", "TPF0 \xCF\xF0\xE8\xE2\xE5\xF2 end");
    write("capitals1251.dfm", "TPF0 \xCF\xD0\xC8\xC2\xC5\xD2 end");
    write("wide.dfm", std::string("TPF0 \x1F\x04\x40\x04\x38\x04\x32\x04\x35\x04\x42\x04", 17));
    write("utf8.pas", "// \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
    write("cafe1252.dfm", "caf\xE9");
    write("cafeUtf8.dfm", "caf\xC3\xA9");
    const std::string root = root_.string();
    const std::string privet = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
    const std::string privetSmall = "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> found;
        std::string lastError;
        int status;
    };
    const Case cases[] = {
        {{privet, root, "dfm;pas"}, {"utf8.pas"}, "Found 1 file(s).", 0},
        {{"--codepage", "1251", privet, root, "dfm;pas"}, {"narrow1251.dfm"}, "Found 1 file(s).", 0},
        {{"--codepage=1251", "--all-encodings", privet, root, "dfm;pas"},
         {"narrow1251.dfm", "wide.dfm", "utf8.pas"}, "Found 3 file(s).", 0},
        {{"-i", "--codepage", "1251", privetSmall, root, "dfm;pas"}, {"narrow1251.dfm", "capitals1251.dfm"},
         "Found 2 file(s).", 0},
        // The page's letters fold in its bytes and in wide strings; UTF-8 folds a to z only.
        {{"-i", "--all-encodings", "--codepage", "1251", privetSmall, root, "dfm;pas"},
         {"narrow1251.dfm", "capitals1251.dfm", "wide.dfm"}, "Found 3 file(s).", 0},
        // A key the page cannot hold: refused, naming the page, or looked for in every page.
        {{"--codepage", "1252", privet, root, "dfm;pas"}, {},
         "dfmgrep: Search Key holds characters that the code page Western European (1252) cannot hold "
         "(\"\xD0\x9F\", U+041F); --all-encodings searches every code page", 2},
        {{"--all-encodings", "--codepage", "1252", privet, root, "dfm;pas"}, {"narrow1251.dfm", "wide.dfm", "utf8.pas"},
         "Found 3 file(s).", 0},
        {{"-i", "--all-encodings", "--codepage", "1250", privetSmall, root, "dfm;pas"},
         {"narrow1251.dfm", "capitals1251.dfm", "wide.dfm"}, "Found 3 file(s).", 0},
        {{"--all-encodings", "caf\xC3\xA9", root}, {"cafe1252.dfm", "cafeUtf8.dfm"}, "Found 2 file(s).", 0},
        // Bytes that are no UTF-8 are the page's own.
        {{"--all-encodings", "caf\xE9", root}, {"cafe1252.dfm", "cafeUtf8.dfm"}, "Found 2 file(s).", 0},
        {{"caf\xE9", root}, {"cafe1252.dfm"}, "Found 1 file(s).", 0},
        {{"--codepage", "437", "x", root}, {},
         "dfmgrep: unknown code page \"437\"; the pages are 874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, "
         "1258, 932, 936, 949, 950", 2},
        {{"--codepage=", "x", root}, {}, "dfmgrep: unknown code page \"\"; the pages are 874, 1250, 1251, 1252, "
         "1253, 1254, 1255, 1256, 1257, 1258, 932, 936, 949, 950", 2},
        {{"--codepage", "1251x", "x", root}, {}, "dfmgrep: unknown code page \"1251x\"; the pages are 874, 1250, "
         "1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 932, 936, 949, 950", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front() + " " + c.arguments[1]);
        EXPECT_EQ(run(c.arguments), c.status);
        std::vector<std::string> expected;
        for (const std::string& name : c.found)
            expected.push_back(rootPath() + name);
        EXPECT_EQ(sorted(outputLines(out_)), sorted(expected));
        EXPECT_EQ(outputLines(err_), std::vector<std::string>{c.lastError});
    }
    // Without the option, the page the environment names.
    ::setenv("QUENDFMED_CODEPAGE", "1251", 1);
    EXPECT_EQ(runProgram("--all-encodings " + privet + " ."), 0);
    ::unsetenv("QUENDFMED_CODEPAGE");
    EXPECT_EQ(sorted(outputLines(out_)), sorted({rootPath() + "narrow1251.dfm", rootPath() + "wide.dfm"}));
}

TEST_F(DfmgrepTest, StringsFindsTextAsTheFormsReadWithoutAPageOption)
{
    // Дата in a form that declares its Cyrillic set, in one that writes it as escapes across a
    // "+", and in a unit, which is no form.
    write("declared.dfm", "object F: TF\r\n  Font.Charset = RUSSIAN_CHARSET\r\n  Caption = '\xC4\xE0\xF2\xE0'\r\nend\r\n");
    write("escaped.dfm", "object F: TF\r\n  Caption = #1044#1072 +\r\n    #1090#1072\r\nend\r\n");
    write("unit.pas", "const Caption = '\xD0\x94\xD0\xB0\xD1\x82\xD0\xB0';\r\n");
    const std::string date = "\xD0\x94\xD0\xB0\xD1\x82\xD0\xB0";
    const std::string lowerDate = "\xD0\xB4\xD0\xB0\xD1\x82\xD0\xB0";
    const struct {
        std::vector<std::string> arguments;
        std::vector<std::string> found;
    } cases[] = {
        {{"--strings", date, root_.string(), "dfm;pas"}, {"declared.dfm", "escaped.dfm"}},
        {{"-i", "--strings", lowerDate, root_.string()}, {"declared.dfm", "escaped.dfm"}},
        {{"--strings", lowerDate, root_.string()}, {}},
        // The byte search stays as it was: the key's bytes exactly.
        {{date, root_.string(), "dfm;pas"}, {"unit.pas"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments[0] + " " + c.arguments[1]);
        EXPECT_EQ(run(c.arguments), c.found.empty() ? 1 : 0) << err_;
        std::vector<std::string> expected;
        for (const std::string& name : c.found)
            expected.push_back(rootPath() + name);
        EXPECT_EQ(sorted(outputLines(out_)), expected);
    }
}

TEST_F(DfmgrepTest, WrongUsageShowsHowToUseIt)
{
    const std::vector<std::vector<std::string>> wrong = {
        {}, {Key}, {"-r", Key}, {"-x", Key, "/tmp"}, {"-rq", Key, "/tmp"}, {Key, "/tmp", "dfm", "extra"}, {"--"},
        {"--codepage"}, {"--all-encodings", Key},
    };
    for (const std::vector<std::string>& arguments : wrong) {
        EXPECT_EQ(run(arguments), 2);
        EXPECT_EQ(out_, "");
        // Without arguments the usage; else one line on what is wrong and where help is.
        if (arguments.empty()) {
            EXPECT_EQ(err_.rfind("Usage: dfmgrep [-r] [-i] [--codepage N] [--all-encodings] [--strings] [--] KEY DIRECTORY [MASK]\n", 0),
                      0u);
            continue;
        }
        const std::vector<std::string> lines = outputLines(err_);
        ASSERT_EQ(lines.size(), 2u) << err_;
        EXPECT_EQ(lines[0].rfind("dfmgrep: ", 0), 0u) << err_;
        EXPECT_EQ(lines[1], "Try 'dfmgrep --help' for more information.");
    }
    EXPECT_EQ((run({"-x", Key, "/tmp"}), err_), "dfmgrep: unknown option -x\nTry 'dfmgrep --help' for more information.\n");
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_EQ(out_.rfind("Usage: dfmgrep", 0), 0u);
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(out_, versionText("dfmgrep"));
    EXPECT_EQ(run({"-r", "--version"}), 0);
    EXPECT_EQ(out_, versionText("dfmgrep"));
    // After "--" it is a key to find.
    EXPECT_EQ(run({"--", "--version", "/nonexistent-folder"}), 2);
    EXPECT_EQ(out_, "");
}

TEST_F(DfmgrepTest, UnreadableFilesAreReportedOnOneLineAndTheSearchGoesOn)
{
    write("b.dfm", Key);
    // Reading the process's own memory from offset 0 fails with an I/O error, even for root.
    fs::create_symlink("/proc/self/mem", root_ / "a.dfm");
    // A pipe must be passed over, not waited on.
    ASSERT_EQ(::mkfifo((root_ / "c.dfm").c_str(), 0600), 0);

    EXPECT_EQ(run({Key, root_.string()}), 0);
    EXPECT_EQ(out_, rootPath() + "b.dfm\n");
    EXPECT_EQ(outputLines(err_), (std::vector<std::string>{"dfmgrep: Cannot scan " + rootPath() + "a.dfm. Disk read error.",
                                                     "Found 1 file(s)."}));
}

TEST_F(DfmgrepTest, AFolderReachedByManyLinksIsSearchedOnce)
{
    // Twelve levels of folders, each holding two links to the next: 4096 ways to one file,
    // all through links (the chain itself is hidden).
    constexpr int Levels = 12;
    write(".chain/" + std::to_string(Levels) + "/deep.dfm", Key);
    for (int level = 0; level < Levels; ++level) {
        const fs::path from = level == 0 ? root_ : root_ / ".chain" / std::to_string(level);
        const std::string to = (level == 0 ? ".chain/" : "../") + std::to_string(level + 1);
        fs::create_directories(from);
        fs::create_directory_symlink(to, from / "a");
        fs::create_directory_symlink(to, from / "b");
    }
    // A link across to a sibling folder, not up to an ancestor.
    write("forms/one.dfm", Key);
    write("units/two.dfm", Key);
    fs::create_directory_symlink("../forms", root_ / "units" / "forms");

    EXPECT_EQ(run({"-r", Key, root_.string()}), 0);
    const std::vector<std::string> lines = outputLines(out_);
    for (const std::string name : {"/deep.dfm", "/one.dfm", "/two.dfm"})
        EXPECT_EQ(countEndingWith(lines, name), 1) << name;
    EXPECT_EQ(lines.size(), 3u);
    expectDepthFirst(lines);
    EXPECT_EQ(err_, "Found 3 file(s).\n");
}

// Writes into a fixed area, so that a message still gets out when no memory is left.
class FixedStreamBuffer : public std::streambuf {
public:
    FixedStreamBuffer() { setp(area_, area_ + sizeof area_); }
    std::string text() const { return std::string(pbase(), pptr()); }

private:
    char area_[4096];
};

// Runs out of memory when the scan of a file whose name ends in failAt begins.
class StarvedCommand : public GrepCommand {
public:
    StarvedCommand(std::ostream& out, std::ostream& err, std::string failAt, long allowed, long failures)
        : GrepCommand(out, err), failAt_(std::move(failAt)), allowed_(allowed), failures_(failures)
    {
    }
    ~StarvedCommand() override { failingAllocations = 0; }
    void showStatus(const std::string& text, bool) override { shown_ = text; }
    void letEventsThrough() override
    {
        if (shown_.ends_with(failAt_)) {
            allocationsBeforeFailing = allowed_;
            failingAllocations = failures_;
        }
    }

private:
    std::string failAt_;
    long allowed_;
    long failures_;
    std::string shown_;
};

TEST_F(DfmgrepTest, RunningOutOfMemoryIsReportedNotAnAbort)
{
    // Long enough to be copied to the heap when the scan takes it.
    const std::string longKey = Key + " and its long caption";
    write("a/one.dfm", longKey);
    write("b/two.dfm", longKey);
    write("c/three.dfm", longKey);
    struct Case {
        long allowed;
        long failures;
        std::vector<std::string> errors;
        int status;
        bool othersListed;
    };
    const Case cases[] = {
        // One failure within a file's scan (its block, then its copy of the key): that file is
        // passed over and the search goes on.
        {0, 1, {"dfmgrep: Not enough memory to perform search.", "Found 2 file(s)."}, 0, true},
        {1, 1, {"dfmgrep: Not enough memory to perform search.", "Found 2 file(s)."}, 0, true},
        // No memory left at all: the whole search ends with an error.
        {0, LONG_MAX, {"dfmgrep: not enough memory to complete the search"}, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.allowed) + " " + std::to_string(c.failures));
        FixedStreamBuffer outArea;
        FixedStreamBuffer errArea;
        std::ostream out(&outArea);
        std::ostream err(&errArea);
        int status = -1;
        {
            StarvedCommand command(out, err, "/two.dfm", c.allowed, c.failures);
            status = command.run({"-r", longKey, root_.string()});
        }
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(outputLines(errArea.text()), c.errors);
        const std::vector<std::string> lines = outputLines(outArea.text());
        EXPECT_EQ(countEndingWith(lines, "/two.dfm"), 0);
        if (c.othersListed) {
            EXPECT_EQ(lines.size(), 2u);
        }
    }
}

TEST_F(DfmgrepTest, TheProgramListsWithoutTouchingTheTree)
{
    makeTree();
    const auto snapshot = [this] {
        std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> files;
        for (const auto& entry : fs::recursive_directory_iterator(root_)) {
            if (entry.path().filename() != ".out" && entry.path().filename() != ".err")
                files[entry.path().string()] = {entry.is_regular_file() ? entry.file_size() : 0,
                                                entry.last_write_time()};
        }
        return files;
    };
    const auto before = snapshot();
    // A relative directory is shown from where the search starts.
    EXPECT_EQ(runProgram("-r -i " + Key + " sub 'pas;dfm'"), 0);
    EXPECT_EQ(out_, rootPath() + "sub/x.pas\n" + rootPath() + "sub/c.dfm\n" + rootPath() + "sub/deep/d.dfm\n");
    EXPECT_EQ(err_, "Found 3 file(s).\n");
    EXPECT_EQ(snapshot(), before);

    EXPECT_EQ(runProgram(""), 2);
    EXPECT_EQ(err_.rfind("Usage: dfmgrep", 0), 0u);
    // A list, a help or a version text that could not be written is not a success.
    if (fs::exists("/dev/full")) {
        for (const char* option : {"--help", "--version"}) {
            EXPECT_EQ(runProgram(option, "/dev/full"), 1) << option;
            EXPECT_EQ(err_, "dfmgrep: standard output: No space left on device\n");
        }
        EXPECT_EQ(runProgram("-r " + Key + " .", "/dev/full"), 2);
        EXPECT_EQ(err_, "dfmgrep: cannot write the list of found files\n");
    }
}

}  // namespace
}  // namespace dfm
