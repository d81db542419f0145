// The file scanner: block boundaries, folding, first occurrence, and every failure path.
#include "FileScanner.h"
#include "CodePage.h"
#include "GrepTestSupport.h"
#include "ScriptedSystemCalls.h"

#include <sys/stat.h>
#include <unistd.h>

namespace dfm {
namespace {

using test::RecordingHost;
using test::TempTree;

constexpr std::int64_t Block = FileScanner::ScanBlockSize;

// length bytes of filler that holds no letter of any key below.
std::string filler(std::size_t length)
{
    return std::string(length, '.');
}

std::string with(std::string text, std::size_t at, const std::string& key)
{
    text.replace(at, key.size(), key);
    return text;
}

TEST(FileScannerTest, SkipTableTakesEachByteFromItsLastPlaceBeforeTheEnd)
{
    const FileScanner::SkipTable skip = FileScanner::buildSkipTable("abab");
    EXPECT_EQ(skip['a'], 1);
    EXPECT_EQ(skip['b'], 2);
    EXPECT_EQ(skip['x'], 4);
    EXPECT_EQ(skip[0], 4);
    // Keys past 255 bytes keep exact shifts instead of wrapping.
    const std::string longKey = std::string(299, 'x') + 'y';
    const FileScanner::SkipTable wide = FileScanner::buildSkipTable(longKey);
    EXPECT_EQ(wide['y'], 300);
    EXPECT_EQ(wide['z'], 300);
    EXPECT_EQ(wide['x'], 1);
}

TEST(FileScannerTest, FindsTheFirstOccurrenceInBufferCases)
{
    struct Case {
        const char* text;
        const char* key;
        std::int64_t distance;
    };
    const Case cases[] = {
        {"hello world", "world", 5},     {"hello world", "hello", 11}, {"abababab", "abab", 8},
        {"aaaaaab", "aaab", 4},          {"xyz", "xyzw", -1},          {"", "a", -1},
        {"a", "a", 1},                   {"abcabd", "abd", 3},         {"TButton TButton", "TButton", 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.key);
        EXPECT_EQ(FileScanner::findInBuffer(c.key, FileScanner::buildSkipTable(c.key), c.text), c.distance);
    }
}

TEST(FileScannerTest, FindsTheFirstOccurrenceAsAPlainSearchDoes)
{
    // Texts made of the key's own bytes hold many starts under its first and last bytes where
    // the rest differs; lengths up to 120 cover sixteen starts at a time, the tail, and both.
    std::uint32_t seed = 7;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<std::size_t>(seed >> 16);
    };
    const std::string keys[] = {"k", "kz", "kzk", "abab", "TFormMain123",
                                std::string(20, 'a') + "b" + std::string(20, 'a')};
    for (const std::string& key : keys) {
        const FileScanner::SkipTable skip = FileScanner::buildSkipTable(key);
        for (int round = 0; round < 400; ++round) {
            std::string text(next() % 121, '.');
            for (char& c : text) {
                if (next() % 4 != 0)
                    c = key[next() % key.size()];
            }
            if (round % 2 == 0 && text.size() >= key.size())
                text.replace(next() % (text.size() - key.size() + 1), key.size(), key);
            const std::size_t found = text.find(key);
            const std::int64_t expected =
                found == std::string::npos ? -1 : static_cast<std::int64_t>(text.size() - found);
            ASSERT_EQ(FileScanner::findInBuffer(key, skip, text), expected) << key << " in " << text;
        }
    }
}

TEST(FileScannerTest, UpperCasesOnlyAsciiLettersWhateverTheLength)
{
    std::string all;
    for (int c = 0; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    for (std::size_t length : {std::size_t{0}, std::size_t{7}, std::size_t{100}, std::size_t{256}}) {
        std::string text = all.substr(256 - length);
        const std::string before = text;
        FileScanner::upperCaseBuffer(text.data(), text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(before[i]);
            const unsigned char expected = c >= 'a' && c <= 'z' ? c - 32 : c;
            ASSERT_EQ(static_cast<unsigned char>(text[i]), expected) << "byte " << int(c);
        }
    }
}

TEST(FileScannerTest, KeyFoldsWithTheCodePagesLetters)
{
    const CodePage western(1252);
    EXPECT_EQ(western.upperCase("tbutton \xE9\xE0\xFF\x9C\xDF\xB5\xF7"), "TBUTTON \xC9\xC0\x9F\x8C\xDF\xB5\xF7");
    // A double-byte character's trail byte may look like a letter; it stays.
    const CodePage japanese(932);
    EXPECT_EQ(japanese.upperCase("a\x82" "a" "b\xE9"), "A\x82" "aB\xE9");
}

TEST(FileScannerTest, ScansFilesAcrossBlockBoundaries)
{
    struct Case {
        const char* name;
        std::string content;
        std::string key;
        bool fold;
        std::int64_t offset;
    };
    const std::string key = "TFormMain123";  // 12 bytes
    const std::int64_t m = static_cast<std::int64_t>(key.size());
    const Case cases[] = {
        {"empty file", "", key, false, -1},
        {"shorter than the key", "TForm", key, false, -1},
        {"at the start", key + filler(10), key, false, 0},
        {"straddles the first block's end", with(filler(70000), Block - 5, key), key, false, Block - 5},
        {"starts the second block", with(filler(70000), Block, key), key, false, Block},
        {"ends the first block", with(filler(Block), Block - m, key), key, false, Block - m},
        {"absent from a one-block file", filler(Block), key, false, -1},
        {"first of two", with(with(filler(80000), 10, key), 70000, key), key, false, 10},
        {"in a later block", with(filler(300000), 250001, key), key, false, 250001},
        {"repeated bytes", "aaaaaab", "aaab", false, 3},
        {"one-byte key after a block", with(filler(70000), Block, "K"), "K", false, Block},
        {"one-byte key folded", filler(9) + "k", "K", true, 9},
        {"binary form with NUL bytes", std::string("\xFF\x0A\0\0TPF0\0\x07TButton\0", 18), "TButton", false, 10},
        {"folded key in mixed case text", filler(20) + "TButton", "tbutton", true, 20},
        {"folded key in upper case text", filler(20) + "TBUTTON", "tbutton", true, 20},
        {"case kept", filler(20) + "TBUTTON TButton", "TButton", false, 28},
        {"case kept, absent", filler(20) + "TBUTTON", "TButton", false, -1},
        {"folded accent matches the upper one", "x\xE9t\xE9\xC9t\xC9", "\xE9t\xE9", true, 4},
        {"folded accent skips the lower one", "x\xE9t\xE9", "\xE9t\xE9", true, -1},
        {"folded across a boundary", with(filler(70000), Block - 3, "tfORMmain123"), key, true, Block - 3},
        {"long key", with(filler(200000), 100001, std::string(40000, 'k') + 'z'),
         std::string(32000, 'k') + 'z', false, 100001 + 8000},
    };
    TempTree tree;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = tree.write("scan.dfm", c.content);
        RecordingHost host;
        EXPECT_EQ(FileScanner::scanFile(c.key, path, c.fold, host), c.offset);
        EXPECT_TRUE(host.errors.empty() && host.warnings.empty());
    }
}

TEST(FileScannerTest, KeysOutsideTheBoundsAreFoundNowhere)
{
    TempTree tree;
    const std::string path = tree.write("a.dfm", std::string(100000, 'k'));
    RecordingHost host;
    EXPECT_EQ(FileScanner::scanFile("", path, false, host), -1);
    EXPECT_EQ(FileScanner::scanFile(std::string(FileScanner::MaxKeyLength + 1, 'k'), path, false, host), -1);
    EXPECT_EQ(FileScanner::scanFile(std::string(FileScanner::MaxKeyLength, 'k'), path, false, host), 0);
    EXPECT_TRUE(host.errors.empty());
}

TEST(FileScannerTest, FailuresGiveTheErrorBoxAndNotFound)
{
    TempTree tree;
    const std::string root = tree.root();
    std::string upperRoot = root;
    for (char& c : upperRoot)
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;

    RecordingHost host;
    EXPECT_EQ(FileScanner::scanFile("key", root + "gone.dfm", false, host), -1);
    tree.makeDirectory("folder.dfm");
    EXPECT_EQ(FileScanner::scanFile("key", root + "folder.dfm", false, host), -1);
    tree.write("plain.txt", "key");
    EXPECT_EQ(FileScanner::scanFile("key", root + "plain.txt/x.dfm", false, host), -1);
    ASSERT_EQ(host.errors.size(), 3u);
    EXPECT_EQ(host.errors[0], "Cannot scan " + upperRoot + "GONE.DFM.\rFile not found.");
    // Reading a directory fails with a code that has no text: the second line is a lone stop.
    EXPECT_EQ(host.errors[1], "Cannot scan " + upperRoot + "FOLDER.DFM.\r.");
    EXPECT_EQ(host.errors[2], "Cannot scan " + upperRoot + "PLAIN.TXT/X.DFM.\rPath not found.");

    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    const std::string locked = tree.write("locked.dfm", "key");
    ::chmod(locked.c_str(), 0);
    EXPECT_EQ(FileScanner::scanFile("key", locked, false, host), -1);
    EXPECT_EQ(host.errors.back(), "Cannot scan " + upperRoot + "LOCKED.DFM.\rFile access denied.");
}

TEST(FileScannerTest, ReadOnlyFilesAreScannedAndLeftAsTheyWere)
{
    TempTree tree;
    const std::string path = tree.write("ro.dfm", filler(100) + "key");
    ::chmod(path.c_str(), 0444);
    struct stat before {};
    ::stat(path.c_str(), &before);
    RecordingHost host;
    EXPECT_EQ(FileScanner::scanFile("KEY", path, true, host), 100);
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
    EXPECT_EQ(before.st_size, after.st_size);
    EXPECT_EQ(after.st_mode & 0777, 0444u);
}

// What the disk does under the scan: an interrupted or short read must not be taken for the end
// of the file, and a failure anywhere gives its code's text.
TEST(FileScannerTest, DiskFailuresAndInterruptionsDuringTheScan)
{
    using test::Call;
    const struct {
        const char* name;
        Call call;
        std::vector<test::Step> steps;
        std::int64_t offset;
        std::string error;  // the second line of the box; empty: no box
    } cases[] = {
        {"reads interrupted and short", Call::Read,
         {test::Interrupted, test::atMost(10), test::Interrupted, test::atMost(Block - 11)}, 70000, ""},
        {"open interrupted", Call::Open, {test::Interrupted}, 70000, ""},
        {"read failing in the second block", Call::Read, {test::atMost(Block), test::failsWith(EIO)}, -1,
         "Disk read error."},
        {"too many files open", Call::Open, {test::failsWith(EMFILE)}, -1, "Too many open files."},
        {"a failure at closing", Call::Close, {test::failsWith(EIO)}, -1, "Disk read error."},
    };
    TempTree tree;
    const std::string path = tree.write("scan.dfm", with(filler(80000), 70000, "key"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScriptedSystemCalls calls;
        calls.script(c.call, c.steps);
        RecordingHost host;
        EXPECT_EQ(FileScanner::scanFile("key", path, false, host), c.offset);
        EXPECT_TRUE(calls.scriptsUsedUp());
        if (c.error.empty()) {
            EXPECT_TRUE(host.errors.empty());
        } else {
            ASSERT_EQ(host.errors.size(), 1u);
            EXPECT_TRUE(host.errors[0].ends_with("SCAN.DFM.\r" + c.error)) << host.errors[0];
        }
    }
}

TEST(FileScannerTest, IoErrorCodesHaveTheirTexts)
{
    EXPECT_EQ(FileScanner::ioErrorText(FileScanner::ioErrorCode(ENOENT)), "File not found");
    EXPECT_EQ(FileScanner::ioErrorText(FileScanner::ioErrorCode(ENOTDIR)), "Path not found");
    EXPECT_EQ(FileScanner::ioErrorText(FileScanner::ioErrorCode(EMFILE)), "Too many open files");
    EXPECT_EQ(FileScanner::ioErrorText(FileScanner::ioErrorCode(EACCES)), "File access denied");
    EXPECT_EQ(FileScanner::ioErrorText(FileScanner::ioErrorCode(EIO)), "Disk read error");
    EXPECT_EQ(FileScanner::ioErrorText(FileScanner::ioErrorCode(EISDIR)), "");
    EXPECT_EQ(FileScanner::ioErrorText(103), "File not open");
    EXPECT_EQ(FileScanner::ioErrorText(7), "");
}

}  // namespace
}  // namespace dfm
