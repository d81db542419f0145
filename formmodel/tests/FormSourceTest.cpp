// A form file of any kind read as form text, its kind told by its content alone.
#include "FormSource.h"
#include "Errors.h"
#include "MemoryStream.h"
#include "TempFolder.h"
#include "TextToBinary.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <unistd.h>

namespace dfm {
namespace {

const std::string Text = "object Form1: TForm1\r\n  Caption = 'Hi'\r\nend\r\n";

std::string binaryOf(const std::string& text, bool resource)
{
    MemoryStream input(text);
    MemoryStream output;
    if (resource)
        textToResource(input, output);
    else
        textToBinary(input, output);
    return std::string(output.view());
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

constexpr FormTextLimits Roomy{1 << 20, 1 << 20};

TEST(FormSource, EveryKindUnderAnyNameGivesTheSameText)
{
    const test::TempFolder folder;
    const struct {
        const char* name;
        std::string bytes;
        FormFileKind kind;
        TextEncoding encoding;
    } cases[] = {
        {"Resource.dfm", binaryOf(Text, true), FormFileKind::Resource, TextEncoding::CodePage},
        {"Stream.bin", binaryOf(Text, false), FormFileKind::Stream, TextEncoding::CodePage},
        {"Text.txt", Text, FormFileKind::Text, TextEncoding::CodePage},
        {"Marked.lfm", "\xEF\xBB\xBF" + Text, FormFileKind::Text, TextEncoding::Utf8},
        {"-", Text, FormFileKind::Text, TextEncoding::CodePage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(folder.file(c.name), c.bytes);
        const FormText text = readFormText(folder.file(c.name), CodePage::system(), Roomy);
        EXPECT_EQ(text.kind, c.kind);
        EXPECT_EQ(text.encoding, c.encoding);
        EXPECT_EQ(text.bytes, c.kind == FormFileKind::Text ? c.bytes : Text);
    }
}

TEST(FormSource, PipesBadInputAndTextBeyondTheLimit)
{
    const test::TempFolder folder;
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string binary = binaryOf(Text, true);
    ASSERT_EQ(::write(ends[1], binary.data(), binary.size()), static_cast<ssize_t>(binary.size()));
    ::close(ends[1]);
    EXPECT_EQ(readFormText("/dev/fd/" + std::to_string(ends[0]), CodePage::system(), Roomy).bytes, Text);
    ::close(ends[0]);

    writeFile(folder.file("Junk.dfm"), "\x01\x02junk");
    EXPECT_THROW(readFormText(folder.file("Junk.dfm"), CodePage::system(), Roomy), InvalidImageError);
    EXPECT_THROW(readFormText(folder.file("Missing.dfm"), CodePage::system(), Roomy), FileOpenError);
    EXPECT_THROW(readFormText(folder.path().string(), CodePage::system(), Roomy), FileOpenError);

    writeFile(folder.file("Text.dfm"), Text);
    writeFile(folder.file("Binary.dfm"), binary);
    const FormTextLimits tight{Text.size() - 1, Text.size() - 1};
    EXPECT_THROW(readFormText(folder.file("Text.dfm"), CodePage::system(), tight), FormTextLimits::Overflow);
    EXPECT_THROW(readFormText(folder.file("Binary.dfm"), CodePage::system(), tight), FormTextLimits::Overflow);
    EXPECT_EQ(readFormText(folder.file("Binary.dfm"), CodePage::system(), {0, Text.size()}).bytes, Text);
}

}  // namespace
}  // namespace dfm
