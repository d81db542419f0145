// The file scanner: block boundaries, folding, first occurrence, and every failure path.
#include "FileScanner.h"
#include "CodePage.h"
#include "KeyEncodings.h"
#include "GrepTestSupport.h"
#include "ScriptedSystemCalls.h"

#include <map>
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
        {"folded accent matches the upper one", "x\xC9t\xC9\xE9t\xE9", "\xE9t\xE9", true, 1},
        {"folded accent matches the lower one", "x\xE9t\xE9", "\xC9T\xC9", true, 1},
        {"folded accent across a boundary", with(filler(70000), Block - 1, "\xC9T\xE9"), "\xE9t\xC9", true, Block - 1},
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

// The key's bytes in the page, or nothing when the page lacks a character.
std::string pageBytes(const CodePage& page, std::u16string_view text)
{
    std::string bytes;
    return page.encode(text, bytes) ? bytes : std::string();
}

std::string wide(std::u16string_view text)
{
    std::string bytes;
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::string utf8(std::u16string_view text)
{
    std::string bytes;
    EXPECT_TRUE(KeyEncodings::toUtf8(text, bytes));
    return bytes;
}

std::string littleEndian32(std::size_t value)
{
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

// A binary form's stream whose caption is a string of the tag's kind; the value starts at the
// returned offset.
enum class Stored { Narrow, Wide, Utf8 };
std::string formWith(Stored kind, const std::string& value, std::size_t& valueOffset)
{
    std::string form("TPF0\x06TForm1\x05" "Form1\x07" "Caption", 26);
    if (kind == Stored::Narrow)
        form += std::string("\x06", 1) + static_cast<char>(value.size());
    else if (kind == Stored::Wide)
        form += "\x12" + littleEndian32(value.size() / 2);
    else
        form += "\x14" + littleEndian32(value.size());
    valueOffset = form.size();
    form += value;
    form += std::string("\0\0", 2);
    return form;
}

TEST(FileScannerTest, AnyEncodingFindsFormStringsOfEachKind)
{
    struct Case {
        const char* name;
        Stored kind;
        std::string value;
        std::u16string key;
        bool fold;
        bool found;
        int page = 1252;
    };
    const Case cases[] = {
        {"narrow", Stored::Narrow, "caf\xE9", u"caf\u00E9", false, true},
        {"wide", Stored::Wide, wide(u"caf\u00E9"), u"caf\u00E9", false, true},
        {"UTF-8", Stored::Utf8, "caf\xC3\xA9", u"caf\u00E9", false, true},
        {"narrow, other case", Stored::Narrow, "CAF\xC9", u"caf\u00E9", false, false},
        {"narrow folded", Stored::Narrow, "CAF\xC9", u"caf\u00E9", true, true},
        {"narrow folded by the page's own pairs", Stored::Narrow, "\x8C" "UVRE", u"\u0153uvre", true, true},
        {"wide, other case", Stored::Wide, wide(u"CAF\u00C9"), u"caf\u00E9", false, false},
        {"wide folded", Stored::Wide, wide(u"CAF\u00C9"), u"caf\u00E9", true, true},
        {"wide folded across high bytes", Stored::Wide, wide(u"\u0178\u0160"), u"\u00FF\u0161", true, true},
        {"wide letter byte inside another unit", Stored::Wide, wide(u"\u0461b"), u"ab", true, false},
        {"UTF-8 folds ASCII letters", Stored::Utf8, "CAF\xC3\xA9", u"caf\u00E9", true, true},
        {"UTF-8 keeps other letters", Stored::Utf8, "caf\xC3\x89", u"caf\u00E9", true, false},
        {"a character the page lacks, wide", Stored::Wide, wide(u"\u041F\u0440\u0438"), u"\u041F\u0440\u0438", false, true},
        {"a character the page lacks, UTF-8", Stored::Utf8, "\xD0\x9F\xD1\x80\xD0\xB8", u"\u041F\u0440\u0438", false, true},
        {"another page's bytes", Stored::Narrow, "\xCF\xF0\xE8", u"\u041F\u0440\u0438", false, false},
        {"that page's bytes", Stored::Narrow, "\xCF\xF0\xE8", u"\u041F\u0440\u0438", false, true, 1251},
        {"that page's bytes folded", Stored::Narrow, "\xCF\xD0\xC8", u"\u041F\u0440\u0438", true, true, 1251},
        {"that page's letters folded in wide strings", Stored::Wide, wide(u"\u041F\u0420\u0418"),
         u"\u043F\u0440\u0438", true, true, 1251},
        {"another page's letters kept in wide strings", Stored::Wide, wide(u"\u041F\u0420\u0418"),
         u"\u043F\u0440\u0438", true, false},
    };
    TempTree tree;
    // At the start of a file, then across the first block's end.
    for (const std::int64_t shift : {std::int64_t{0}, Block - 3}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(shift));
            std::size_t offset = 0;
            const std::string form = formWith(c.kind, c.value, offset);
            const std::string path = tree.write("scan.dfm", filler(static_cast<std::size_t>(shift) - offset * (shift != 0)) +
                                                                 form + filler(70000));
            const std::int64_t at = shift == 0 ? static_cast<std::int64_t>(offset) : shift;
            const CodePage& page = KeyEncodings::page(c.page);
            const KeyEncodings key(pageBytes(page, c.key), c.key, page, c.fold);
            RecordingHost host;
            EXPECT_EQ(FileScanner::scanFile(key, path, host), c.found ? at : -1);
            EXPECT_TRUE(host.errors.empty() && host.warnings.empty());
        }
    }
}

TEST(FileScannerTest, AnyEncodingReportsTheEarliestOccurrenceOfAll)
{
    const std::u16string text = u"Grid\u00E9";
    const CodePage& page = KeyEncodings::page(1252);
    const KeyEncodings key(pageBytes(page, text), text, page, false);
    ASSERT_EQ(key.count(), 3u);
    struct Case {
        const char* name;
        std::string content;
        std::int64_t offset;
    };
    const std::string longKey(20000, 'k');
    const Case cases[] = {
        {"UTF-8 before wide", with(with(filler(300), 200, wide(text)), 40, utf8(text)), 40},
        {"wide before narrow", with(with(filler(300), 200, "Grid\xE9"), 41, wide(text)), 41},
        {"narrow after a block of others", with(with(filler(140000), 130000, "Grid\xE9"), Block + 7, wide(text)),
         Block + 7},
        {"none", filler(1000) + "Grid", -1},
    };
    TempTree tree;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingHost host;
        EXPECT_EQ(FileScanner::scanFile(key, tree.write("scan.dfm", c.content), host), c.offset);
    }
    // A wide form longer than half a block still moves the scan on and is found across a border.
    const std::u16string longText(20000, u'k');
    const KeyEncodings longer(pageBytes(page, longText) + "z", longText + u'z', page, true);
    const std::string content = with(filler(200000), 60000, wide(longText + u'Z'));
    RecordingHost host;
    EXPECT_EQ(FileScanner::scanFile(longer, tree.write("long.dfm", content), host), 60000);
}

// Case pairs a folded search must treat as one letter, written out independently of the code.
char16_t upperOf(char16_t unit)
{
    static const std::map<char16_t, char16_t> pairs = {{0x161, 0x160}, {0x153, 0x152}, {0x17E, 0x17D}, {0xFF, 0x178}};
    if ((unit >= u'a' && unit <= u'z') || (unit >= 0xE0 && unit <= 0xFE && unit != 0xF7))
        return static_cast<char16_t>(unit - 0x20);
    const auto it = pairs.find(unit);
    return it == pairs.end() ? unit : it->second;
}

// The earliest start of any encoding, by trying every start: the page's bytes folded through
// the page, wide units through the pairs above, UTF-8 through ASCII.
std::int64_t everyStart(const std::string& text, std::u16string_view key, const CodePage& page, bool fold)
{
    const std::string narrow = pageBytes(page, key);
    const auto foldByte = [&](unsigned char c) { return fold ? static_cast<unsigned char>(page.upperCase(std::string(1, c))[0]) : c; };
    const auto foldAscii = [&](unsigned char c) { return fold && c >= 'a' && c <= 'z' ? c - 0x20 : c; };
    const std::string u8 = utf8(key);
    for (std::size_t s = 0; s < text.size(); ++s) {
        const auto bytesMatch = [&](const std::string& bytes, auto foldOf) {
            if (bytes.empty() || s + bytes.size() > text.size())
                return false;
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                if (foldOf(static_cast<unsigned char>(text[s + i])) != foldOf(static_cast<unsigned char>(bytes[i])))
                    return false;
            }
            return true;
        };
        bool wideMatch = s + 2 * key.size() <= text.size();
        for (std::size_t j = 0; wideMatch && j < key.size(); ++j) {
            const auto unit = static_cast<char16_t>(static_cast<unsigned char>(text[s + 2 * j]) |
                                                    (static_cast<unsigned char>(text[s + 2 * j + 1]) << 8));
            wideMatch = fold ? upperOf(unit) == upperOf(key[j]) : unit == key[j];
        }
        if (bytesMatch(narrow, foldByte) || wideMatch || bytesMatch(u8, foldAscii))
            return static_cast<std::int64_t>(s);
    }
    return -1;
}

TEST(FileScannerTest, AnyEncodingFindsWhatTryingEveryStartFinds)
{
    // Texts made of the bytes of the key's encodings in both cases, with occurrences planted in
    // mixed case: many near misses under the filters, sixteen starts at a time and in the tail.
    std::uint32_t seed = 11;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<std::size_t>(seed >> 16);
    };
    const CodePage& page = KeyEncodings::page(1252);
    const std::u16string keys[] = {u"k", u"Qx7", u"caf\u00E9", u"\u0153uvre", u"\u00FFa\u0161", u"\u20AC5",
                                   u"\u041F\u0440\u0438", u"abAB\u00E9\u00C9abAB"};
    for (const std::u16string& key : keys) {
        std::u16string upper;
        for (const char16_t unit : key)
            upper += upperOf(unit);
        const std::string pieces[] = {pageBytes(page, key), pageBytes(page, upper), wide(key), wide(upper),
                                      utf8(key), utf8(upper), std::string(1, '\0')};
        for (const bool fold : {false, true}) {
            const KeyEncodings encodings(pageBytes(page, key), key, page, fold);
            for (int round = 0; round < 300; ++round) {
                std::string text;
                const std::size_t length = next() % 200;
                while (text.size() < length) {
                    const std::string& piece = pieces[next() % std::size(pieces)];
                    if (!piece.empty())
                        text += piece.substr(0, 1 + next() % piece.size());
                }
                if (round % 3 == 0) {
                    std::u16string mixed;
                    for (std::size_t i = 0; i < key.size(); ++i)
                        mixed += next() % 2 ? key[i] : upper[i];
                    const std::string planted[] = {pageBytes(page, mixed), wide(mixed), utf8(mixed)};
                    const std::string& plant = planted[next() % 3];
                    if (!plant.empty() && text.size() >= plant.size())
                        text.replace(next() % (text.size() - plant.size() + 1), plant.size(), plant);
                }
                ASSERT_EQ(encodings.find(text), everyStart(text, key, page, fold))
                    << "round " << round << (fold ? " folded" : "");
            }
        }
    }
}

TEST(FileScannerTest, KeysThePageCannotHoldNameTheCharacter)
{
    struct Case {
        std::u16string text;
        int page;
        std::string refusal;
    };
    const Case cases[] = {
        {u"ab\u041Fc", 1252, "Western European (1252) cannot hold (\"\u041F\", U+041F)"},
        {u"\u00E9\u00E8", 1251, "Cyrillic (1251) cannot hold (\"\u00E9\", U+00E9)"},
        {u"x\U0001F600", 1252, "Western European (1252) cannot hold (\"\U0001F600\", U+1F600)"},
        {std::u16string(1, char16_t(0xD800)) + u"x", 1252, "Western European (1252) cannot hold (U+D800)"},
    };
    for (const Case& c : cases) {
        std::string bytes;
        std::size_t failure = 99;
        ASSERT_FALSE(KeyEncodings::page(c.page).encode(c.text, bytes, &failure));
        EXPECT_EQ(KeyEncodings::refusal(c.text, failure, KeyEncodings::page(c.page)),
                  "Search Key holds characters that the code page " + c.refusal);
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
    // The path as it is: on this system another case names another file.
    TempTree tree;
    const std::string root = tree.root();

    RecordingHost host;
    EXPECT_EQ(FileScanner::scanFile("key", root + "gone.dfm", false, host), -1);
    tree.makeDirectory("folder.dfm");
    EXPECT_EQ(FileScanner::scanFile("key", root + "folder.dfm", false, host), -1);
    tree.write("plain.txt", "key");
    EXPECT_EQ(FileScanner::scanFile("key", root + "plain.txt/x.dfm", false, host), -1);
    ASSERT_EQ(host.errors.size(), 3u);
    EXPECT_EQ(host.errors[0], "Cannot scan " + root + "gone.dfm.\rFile not found.");
    // Reading a directory fails with a code that has no text: the second line is a lone stop.
    EXPECT_EQ(host.errors[1], "Cannot scan " + root + "folder.dfm.\r.");
    EXPECT_EQ(host.errors[2], "Cannot scan " + root + "plain.txt/x.dfm.\rPath not found.");

    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    const std::string locked = tree.write("locked.dfm", "key");
    ::chmod(locked.c_str(), 0);
    EXPECT_EQ(FileScanner::scanFile("key", locked, false, host), -1);
    EXPECT_EQ(host.errors.back(), "Cannot scan " + root + "locked.dfm.\rFile access denied.");
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
            EXPECT_TRUE(host.errors[0].ends_with("scan.dfm.\r" + c.error)) << host.errors[0];
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
