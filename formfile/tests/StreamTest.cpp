// Byte streams: memory growth and seeking, and files whose operations fail on purpose.
#include "TFileStream.h"
#include "TestSupport.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace dfm {
namespace {

class TempFolder {
public:
    TempFolder()
    {
        char pattern[] = "/tmp/dfm-streams-XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

TEST(TMemoryStream, GrowsSeeksAndReads)
{
    TMemoryStream m;
    m.WriteBuffer("abc", 3);
    m.Seek(5, SeekOrigin::Beginning);
    m.WriteBuffer("z", 1);
    EXPECT_EQ(m.View(), std::string("abc\0\0z", 6));
    EXPECT_EQ(m.Size(), 6);
    m.Seek(-2, SeekOrigin::End);
    char two[2];
    m.ReadBuffer(two, 2);
    EXPECT_EQ(std::string(two, 2), std::string("\0z", 2));
    EXPECT_THROW_MSG(m.ReadBuffer(two, 1), EReadError, "Erreur de lecture du flux");
    EXPECT_EQ(m.Seek(-100, SeekOrigin::Current), 0);
}

TEST(TFileStream, FailuresNameTheFile)
{
    TempFolder folder;
    const std::string missing = folder.File("missing.dfm");
    EXPECT_THROW_MSG(TFileStream(missing, TFileStream::Mode::OpenRead), EFOpenError,
                     "Impossible d'ouvrir le fichier " + missing);
    const std::string nowhere = folder.File("no/such/folder.dfm");
    EXPECT_THROW_MSG(TFileStream(nowhere, TFileStream::Mode::Create), EFCreateError,
                     "Impossible de créer le fichier " + nowhere);

    const std::string name = folder.File("a.dfm");
    std::ofstream(name) << "data";
    TFileStream readOnly(name, TFileStream::Mode::OpenRead);
    // Output is buffered: the failure shows when it is handed on.
    EXPECT_THROW_MSG((readOnly.WriteBuffer("x", 1), readOnly.Flush()), EWriteError, "Erreur d'écriture dans le flux");
    char buffer[10];
    EXPECT_THROW_MSG(readOnly.ReadBuffer(buffer, 10), EReadError, "Erreur de lecture du flux");
}

TEST(TFileStream, AFullDiskIsAWriteError)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    TFileStream full("/dev/full", TFileStream::Mode::OpenWrite);
    EXPECT_THROW_MSG((full.WriteBuffer("x", 1), full.Flush()), EWriteError, "Erreur d'écriture dans le flux");
    EXPECT_THROW_MSG(full.WriteBuffer(std::string(100000, 'x').data(), 100000), EWriteError,
                     "Erreur d'écriture dans le flux");
    TMemoryStream text(test::Lines({"object Form1: TForm1", "end"}));
    EXPECT_THROW_MSG(TextToResource(text, full), EWriteError, "Erreur d'écriture dans le flux");
}

// Reading, writing and seeking mixed on one file see one consistent position.
TEST(TFileStream, BufferingKeepsOnePosition)
{
    TempFolder folder;
    const std::string name = folder.File("mixed.bin");
    std::string expected(200000, '\0');
    for (std::size_t i = 0; i < expected.size(); ++i)
        expected[i] = static_cast<char>(i * 7);
    {
        TFileStream file(name, TFileStream::Mode::Create);
        file.WriteBuffer(expected.data(), 10);
        file.WriteBuffer(expected.data() + 10, expected.size() - 10);
        file.SetPosition(5);
        char five[5];
        file.ReadBuffer(five, 5);
        EXPECT_EQ(std::string(five, 5), expected.substr(5, 5));
        EXPECT_EQ(file.Position(), 10);
        file.WriteBuffer("ABC", 3);
        expected.replace(10, 3, "ABC");
        EXPECT_EQ(file.Seek(0, SeekOrigin::End), 200000);
        file.WriteBuffer("tail", 4);
        expected += "tail";
        file.Flush();
    }
    TFileStream file(name, TFileStream::Mode::OpenRead);
    std::string back(expected.size(), '\0');
    file.ReadBuffer(back.data(), 3);
    file.ReadBuffer(back.data() + 3, back.size() - 3);
    EXPECT_EQ(back, expected);
    EXPECT_EQ(file.Size(), static_cast<std::int64_t>(expected.size()));
}

// Converting from a file leaves it right after the form, however much was buffered.
TEST(TFileStream, ConversionLeavesTheFileAfterTheForm)
{
    TempFolder folder;
    const std::string name = folder.File("f.dfm");
    TMemoryStream text(test::Lines({"object Form1: TForm1", "  Left = 1", "end"}));
    std::string resource;
    {
        TMemoryStream out;
        TextToResource(text, out);
        resource = std::string(out.View());
    }
    std::ofstream(name, std::ios::binary) << resource << std::string(9000, 'x');
    TFileStream file(name, TFileStream::Mode::OpenRead);
    TMemoryStream out;
    ResourceToText(file, out);
    EXPECT_EQ(file.Position(), static_cast<std::int64_t>(resource.size()));
    EXPECT_EQ(out.View(), test::Lines({"object Form1: TForm1", "  Left = 1", "end"}));
}

}  // namespace
}  // namespace dfm
