// A form file's kind comes from its first bytes alone.
#include "FormFileKind.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace dfm {
namespace {

TEST(FormFileKind, ToldByTheLeadingBytes)
{
    using std::string_literals::operator""s;
    const struct {
        const char* name;
        std::string leading;
        FormFileKind kind;
    } cases[] = {
        {"resource header", "\xFF\x0A\x00TFORM1\x00\x30\x10"s, FormFileKind::Resource},
        {"bare form stream", "TPF0\x06TForm1", FormFileKind::Stream},
        {"text", "object Form1: TForm1\r\n", FormFileKind::Text},
        {"inherited, upper case", "INHERITED Form2: TForm2\n", FormFileKind::Text},
        {"inline, mixed case", "InLine Frame1: TFrame1\r\n", FormFileKind::Text},
        {"blank lines and tabs first", "\r\n\n \t object A: TB", FormFileKind::Text},
        {"UTF-8 mark", "\xEF\xBB\xBFobject Form1: TForm1\r\n", FormFileKind::Text},
        {"UTF-8 mark, then blanks", "\xEF\xBB\xBF\r\n  object A: TB", FormFileKind::Text},
        {"empty", "", FormFileKind::Unknown},
        {"only blanks", " \r\n\t", FormFileKind::Unknown},
        {"keyword alone", "object", FormFileKind::Unknown},
        {"keyword as a prefix", "objects A: TB", FormFileKind::Unknown},
        {"another word", "form Form1: TForm1", FormFileKind::Unknown},
        {"UTF-16 little-endian text", "\xFF\xFEo\0b\0j\0"s, FormFileKind::Unknown},
        {"UTF-16 big-endian text", "\xFE\xFF\0o\0b\0j"s, FormFileKind::Unknown},
        {"an image", "\x89PNG\r\n\x1A\n", FormFileKind::Unknown},
        {"resource of another type", "\xFF\x0E\x00"s, FormFileKind::Unknown},
        {"two marks", "\xEF\xBB\xBF\xEF\xBB\xBFobject A: TB", FormFileKind::Unknown},
        {"Pascal unit", "unit Unit1;\r\n", FormFileKind::Unknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(formFileKindOf(c.leading), c.kind);
    }
}

TEST(FormFileKind, OfAFileReadsOnlyItsBeginning)
{
    test::TempFolder folder;
    const std::string text = folder.path().string() + "/Form1.txt";
    std::ofstream(text) << std::string(100, ' ') << "object Form1: TForm1\r\n" << std::string(100000, 'x');
    EXPECT_EQ(formFileKindOfFile(text.c_str()), FormFileKind::Text);
    const std::string farBehindBlanks = folder.path().string() + "/Far.dfm";
    std::ofstream(farBehindBlanks) << std::string(FormKindProbeSize, '\n') << "object Form1: TForm1\r\n";
    EXPECT_EQ(formFileKindOfFile(farBehindBlanks.c_str()), FormFileKind::Unknown);
    EXPECT_EQ(formFileKindOfFile((folder.path().string() + "/missing.dfm").c_str()), FormFileKind::Unknown);
    EXPECT_EQ(formFileKindOfFile(folder.path().string().c_str()), FormFileKind::Unknown);
}

}  // namespace
}  // namespace dfm
