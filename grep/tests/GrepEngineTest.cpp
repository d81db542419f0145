// The grep engine on temporary trees: input checks, walk order, masks, hidden entries, Stop.
#include "GrepEngine.h"
#include "GrepTestSupport.h"

#include <algorithm>
#include <unistd.h>

namespace dfm {
namespace {

using test::RecordingHost;
using test::TempTree;

constexpr const char* Key = "TButtonOK";

std::vector<std::string> sorted(std::vector<std::string> list)
{
    std::sort(list.begin(), list.end());
    return list;
}

std::size_t indexOf(const std::vector<std::string>& list, const std::string& item)
{
    return static_cast<std::size_t>(std::find(list.begin(), list.end(), item) - list.begin());
}

class GrepEngineTest : public ::testing::Test {
protected:
    // The engine moves into the directory it searches, which goes away with the tree.
    void TearDown() override { std::filesystem::current_path(start_); }

    GrepEngine::Outcome run(const std::string& directory, const std::string& mask, bool subdirectories = true,
                            const std::string& key = Key, bool caseSensitive = true)
    {
        GrepRequest request;
        request.directory = directory;
        request.mask = mask;
        request.key = key;
        request.subdirectories = subdirectories;
        request.caseSensitive = caseSensitive;
        return GrepEngine(host).search(request);
    }

    const std::filesystem::path start_ = std::filesystem::current_path();
    TempTree tree;
    RecordingHost host;
};

TEST_F(GrepEngineTest, MaskPiecesMatchLikeFormFileMasks)
{
    struct Case {
        const char* name;
        const char* piece;
        bool matches;
    };
    const Case cases[] = {
        {"Main.dfm", "dfm", true},   {"Main.DfM", "DFM", true},   {"Main.dfm", "pas", false},
        {"Main.dfmx", "dfm", false}, {"a.b.dfm", "dfm", true},    {"Main", "", true},
        {"Main.dfm", "", false},     {"Main.", "", true},         {"Main.dfm", "*", true},
        {"Main", "*", true},         {"Main.dfm", "d?m", true},   {"Main.dm", "d?m", false},
        {"Main.dfm", "df*", true},   {"dfm", "dfm", false},       {"Main.dfm", " dfm", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GrepEngine::matchesPiece(c.name, c.piece), c.matches) << c.name << " / " << c.piece;
}

TEST_F(GrepEngineTest, WalksDepthFirstPreOrderSkippingHiddenEntries)
{
    const std::string hit = std::string("object Form1\r\n  ") + Key + "\r\n";
    tree.write("a.pas", hit);
    tree.write("b.dfm", hit);
    tree.write("c.DFM", hit);
    tree.write("miss.dfm", "nothing here");
    tree.write("d.txt", hit);
    tree.write("sub/e.dfm", hit);
    tree.write("sub/deep/f.dfm", hit);
    tree.write("sub2/g.dfm", hit);
    tree.write(".hidden.dfm", hit);
    tree.write(".svn/h.dfm", hit);
    tree.write("sub/.cache/i.dfm", hit);
    const std::string root = tree.root();

    ASSERT_EQ(run(root, "pas;dfm"), GrepEngine::Outcome::Completed);
    const std::vector<std::string> expected = {root + "a.pas", root + "b.dfm", root + "c.DFM",
                                               root + "sub/e.dfm", root + "sub/deep/f.dfm", root + "sub2/g.dfm"};
    EXPECT_EQ(sorted(host.files), sorted(expected));
    // Every .pas before any .dfm of its folder; a folder's files before its subfolders.
    EXPECT_EQ(host.files[0], root + "a.pas");
    EXPECT_LT(indexOf(host.files, root + "c.DFM"), indexOf(host.files, root + "sub/e.dfm"));
    EXPECT_LT(indexOf(host.files, root + "sub/e.dfm"), indexOf(host.files, root + "sub/deep/f.dfm"));
    const std::size_t deep = indexOf(host.files, root + "sub/deep/f.dfm");
    const std::size_t sibling = indexOf(host.files, root + "sub2/g.dfm");
    EXPECT_TRUE(sibling < indexOf(host.files, root + "sub/e.dfm") || sibling > deep);
    EXPECT_EQ(host.statuses.back(), (RecordingHost::Status{"Found 6 file(s).", false}));
    EXPECT_EQ(host.started, 1);
    EXPECT_EQ(host.ended, 1);

    host.files.clear();
    ASSERT_EQ(run(root, "dfm", false), GrepEngine::Outcome::Completed);
    EXPECT_EQ(sorted(host.files), sorted({root + "b.dfm", root + "c.DFM"}));
}

TEST_F(GrepEngineTest, EachRealFolderIsWalkedOnceWhateverLinksLeadToIt)
{
    // A hidden chain of folders reached only through links, two to each next one: 2^6 ways
    // lead to its one file.
    constexpr int Levels = 6;
    tree.write(".chain/" + std::to_string(Levels) + "/deep.dfm", Key);
    for (int level = 0; level < Levels; ++level) {
        const std::string from = level == 0 ? "" : ".chain/" + std::to_string(level) + "/";
        const std::string to = (level == 0 ? ".chain/" : "../") + std::to_string(level + 1);
        tree.makeDirectory(from.empty() ? "." : from);
        for (const char* name : {"a", "b"})
            ASSERT_EQ(::symlink(to.c_str(), tree.path(from + name).c_str()), 0);
    }
    // A link across to a sibling, not up to an ancestor.
    tree.write("forms/one.dfm", Key);
    tree.write("units/two.dfm", Key);
    ASSERT_EQ(::symlink("../forms", tree.path("units/forms").c_str()), 0);

    ASSERT_EQ(run(tree.root(), "dfm"), GrepEngine::Outcome::Completed);
    const auto count = [](const std::vector<std::string>& list, const std::string& name) {
        return std::count_if(list.begin(), list.end(), [&](const std::string& item) { return item.ends_with(name); });
    };
    // The status line shows each file once before its scan.
    std::vector<std::string> scanned;
    for (const RecordingHost::Status& status : host.statuses) {
        if (!status.found)
            scanned.push_back(status.text);
    }
    for (const char* name : {"/deep.dfm", "/one.dfm", "/two.dfm"}) {
        EXPECT_EQ(count(host.files, name), 1) << name;
        EXPECT_EQ(count(scanned, name), 1) << name;
    }
}

TEST_F(GrepEngineTest, MaskPiecesAreUsedAsTyped)
{
    tree.write("a.pas", Key);
    tree.write("README", Key);
    tree.write("b.txt", Key);
    const std::string root = tree.root();
    struct Case {
        const char* mask;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {"pas;PAS", {root + "a.pas", root + "a.pas"}},
        {";", {root + "README"}},
        {"pas;", {root + "a.pas"}},
        {"*", {root + "README", root + "a.pas", root + "b.txt"}},
        {" pas", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        host.files.clear();
        ASSERT_EQ(run(root, c.mask), GrepEngine::Outcome::Completed);
        EXPECT_EQ(sorted(host.files), c.files);
    }
}

TEST_F(GrepEngineTest, DirectoryTextsGiveFullPathsAndBecomeTheWorkingDirectory)
{
    tree.write("Main.dfm", Key);
    const std::string root = tree.root();
    const std::string withoutSlash = root.substr(0, root.size() - 1);
    char* before = ::getcwd(nullptr, 0);

    ASSERT_EQ(run(withoutSlash, "dfm"), GrepEngine::Outcome::Completed);
    ASSERT_EQ(run(root, "dfm"), GrepEngine::Outcome::Completed);
    EXPECT_EQ(host.files, std::vector<std::string>({root + "Main.dfm", root + "Main.dfm"}));
    char* now = ::getcwd(nullptr, 0);
    EXPECT_EQ(std::string(now) + '/', root);

    // A relative text is taken from the working directory at the start.
    tree.write("sub/Other.dfm", Key);
    host.files.clear();
    ASSERT_EQ(run("./sub/../sub", "dfm"), GrepEngine::Outcome::Completed);
    EXPECT_EQ(host.files, std::vector<std::string>({root + "sub/Other.dfm"}));
    EXPECT_EQ(::chdir(before), 0);
    std::free(before);
    std::free(now);
}

TEST_F(GrepEngineTest, InputChecksRefuseInTheirOrder)
{
    const std::string root = tree.root();
    struct Case {
        std::string directory;
        std::string mask;
        std::string key;
        GrepInput input;
        std::string message;
    };
    const Case cases[] = {
        {"", "", "", GrepInput::Directory, "Can't find dir : "},
        {root + "nowhere", "dfm", Key, GrepInput::Directory, "Can't find dir : " + root + "nowhere"},
        {root, "", "", GrepInput::Mask, "You must provide a file mask (Example: pas)"},
        {root, "dfm", "", GrepInput::Key, "Search Key can't be empty"},
        {root, "dfm", std::string(100000, 'k'), GrepInput::Key,
         "Search Key can't be longer than 32768 bytes (this one has 100000)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        host.refusals.clear();
        EXPECT_EQ(run(c.directory, c.mask, true, c.key), GrepEngine::Outcome::Refused);
        EXPECT_EQ(host.refusals, std::vector<std::string>{c.message});
        EXPECT_EQ(host.refusedInput, c.input);
    }
    EXPECT_EQ(host.started, 0);
    EXPECT_TRUE(host.statuses.empty());
}

TEST_F(GrepEngineTest, StatusLineCountsResultsAndMarksMatches)
{
    tree.write("only.dfm", Key);
    const std::string path = tree.path("only.dfm");
    host.files = {"kept from before"};
    ASSERT_EQ(run(tree.root(), "dfm"), GrepEngine::Outcome::Completed);
    const std::vector<RecordingHost::Status> expected = {
        {"0001 " + path, false}, {"0001 " + path, true}, {"Found 2 file(s).", false}};
    EXPECT_EQ(host.statuses, expected);
}

TEST_F(GrepEngineTest, CaseIsFoldedOnlyWhenAsked)
{
    tree.write("upper.dfm", "TBUTTONOK");
    tree.write("exact.dfm", Key);
    ASSERT_EQ(run(tree.root(), "dfm", false, "tbuttonok", false), GrepEngine::Outcome::Completed);
    EXPECT_EQ(sorted(host.files), sorted({tree.path("exact.dfm"), tree.path("upper.dfm")}));
    host.files.clear();
    ASSERT_EQ(run(tree.root(), "dfm", false, Key, true), GrepEngine::Outcome::Completed);
    EXPECT_EQ(host.files, std::vector<std::string>{tree.path("exact.dfm")});
}

TEST_F(GrepEngineTest, AnyEncodingFindsTheKeyInEachEncodingItIsAskedFor)
{
    // A caption as the page's bytes, as a wide string, and as UTF-8; a Cyrillic one as UTF-8.
    tree.write("narrow.dfm", std::string("TPF0\x07" "Caption\x06\x04" "Caf\xE9", 18));
    tree.write("wide.dfm", std::string("TPF0\x07" "Caption\x12\x04\0\0\0C\0a\0f\0\xE9\0", 25));
    tree.write("utf8.dfm", std::string("TPF0\x07" "Caption\x14\x05\0\0\0Caf\xC3\xA9", 22));
    tree.write("cyrillic.dfm", "TPF0 \xD0\x9A\xD0\xBE\xD0\xB4");
    tree.write("cyrillic1251.dfm", "TPF0 \xCA\xEE\xE4");
    tree.write("chinese936.dfm", "TPF0 \xB3\xC9\xC6\xB7");
    struct Case {
        const char* name;
        std::string key;
        std::u16string text;
        bool anyEncoding;
        bool caseSensitive;
        std::vector<std::string> found;
    };
    const Case cases[] = {
        {"the page's bytes only", "Caf\xE9", u"Caf\u00E9", false, true, {"narrow.dfm"}},
        {"every encoding", "Caf\xE9", u"Caf\u00E9", true, true, {"narrow.dfm", "utf8.dfm", "wide.dfm"}},
        // UTF-8 folds ASCII letters only.
        {"every encoding folded", "CAF\xC9", u"CAF\u00C9", true, false, {"narrow.dfm", "wide.dfm"}},
        {"every encoding folded, ASCII", "cAF\xE9", u"cAF\u00E9", true, false, {"narrow.dfm", "utf8.dfm", "wide.dfm"}},
        {"every encoding with case", "CAF\xC9", u"CAF\u00C9", true, true, {}},
        // A key the search's page lacks is found in every page that holds it.
        {"no page bytes", "", u"\u041A\u043E\u0434", true, true, {"cyrillic.dfm", "cyrillic1251.dfm"}},
        {"no page bytes folded", "", u"\u043A\u041E\u0414", true, false, {"cyrillic1251.dfm"}},
        {"no page bytes, double-byte", "", u"\u6210\u54C1", true, true, {"chinese936.dfm"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.files.clear();
        GrepRequest request;
        request.directory = tree.root();
        request.mask = "dfm";
        request.key = c.key;
        request.keyText = c.text;
        request.anyEncoding = c.anyEncoding;
        request.caseSensitive = c.caseSensitive;
        request.codePage = 1252;
        ASSERT_EQ(GrepEngine(host).search(request), GrepEngine::Outcome::Completed);
        std::vector<std::string> expected;
        for (const std::string& name : c.found)
            expected.push_back(tree.path(name));
        EXPECT_EQ(sorted(host.files), expected);
    }
    // Without the page's bytes, the key's UTF-8 form is what must be neither empty nor too long.
    const struct {
        std::u16string text;
        std::string message;
    } refusals[] = {
        {u"", "Search Key can't be empty"},
        {std::u16string(17000, u'\u041A'), "Search Key can't be longer than 32768 bytes (this one has 34000)"},
        {std::u16string(17000, char16_t(0xD800)), "Search Key can't be longer than 32768 bytes (this one has 34000)"},
    };
    for (const auto& r : refusals) {
        host.refusals.clear();
        GrepRequest request;
        request.directory = tree.root();
        request.mask = "dfm";
        request.keyText = r.text;
        request.anyEncoding = true;
        EXPECT_EQ(GrepEngine(host).search(request), GrepEngine::Outcome::Refused);
        EXPECT_EQ(host.refusals, std::vector<std::string>{r.message});
    }
}

TEST_F(GrepEngineTest, StopEndsTheWalkBeforeTheFileShown)
{
    tree.write("a.dfm", Key);
    tree.write("b.dfm", Key);
    tree.write("sub/c.dfm", Key);
    host.stopRequested = true;
    EXPECT_EQ(run(tree.root(), "dfm"), GrepEngine::Outcome::Stopped);
    EXPECT_TRUE(host.files.empty());
    ASSERT_EQ(host.statuses.size(), 1u);
    EXPECT_FALSE(host.statuses[0].found);
    EXPECT_EQ(host.ended, 1);

    // Stop pressed while the second file is shown: the first stays listed.
    int shown = 0;
    host.statuses.clear();
    host.onEvents = [&] { host.stopRequested = ++shown == 2; };
    EXPECT_EQ(run(tree.root(), "dfm"), GrepEngine::Outcome::Stopped);
    EXPECT_EQ(host.files.size(), 1u);
    EXPECT_NE(host.statuses.back().text.rfind("0001 ", 0), std::string::npos);
}

TEST_F(GrepEngineTest, BadEntriesLetTheWalkGoOn)
{
    tree.write("a/one.dfm", Key);
    tree.write("a/vanishing.dfm", Key);
    tree.write("z/two.dfm", Key);
    // A link back up the tree, a link to itself, and a dangling link.
    ASSERT_EQ(::symlink("..", tree.path("a/loop").c_str()), 0);
    ASSERT_EQ(::symlink("self.dfm", tree.path("a/self.dfm").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", tree.path("a/dangling.dfm").c_str()), 0);
    // A file that goes away between the listing and its scan.
    host.onEvents = [&] {
        const std::string& shown = host.statuses.back().text;
        if (shown.ends_with("vanishing.dfm"))
            std::filesystem::remove(shown.substr(5));
    };
    ASSERT_EQ(run(tree.root(), "dfm"), GrepEngine::Outcome::Completed);
    EXPECT_EQ(sorted(host.files), sorted({tree.path("a/one.dfm"), tree.path("z/two.dfm")}));
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_TRUE(host.errors[0].ends_with("vanishing.dfm.\rFile not found."));

    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    tree.write("b/hidden-by-mode.dfm", Key);
    ::chmod(tree.path("b").c_str(), 0);
    host.files.clear();
    ASSERT_EQ(run(tree.root(), "dfm"), GrepEngine::Outcome::Completed);
    EXPECT_EQ(sorted(host.files), sorted({tree.path("a/one.dfm"), tree.path("z/two.dfm")}));
}

}  // namespace
}  // namespace dfm
