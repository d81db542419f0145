// Byte streams: memory growth and seeking, and files whose operations fail on purpose.
#include "FileStream.h"
#include "ScriptedSystemCalls.h"
#include "TempFolder.h"
#include "TestSupport.h"
#include "ViewStream.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace dfm {
namespace {

using test::TempFolder;

TEST(MemoryStream, GrowsSeeksAndReads)
{
    MemoryStream m;
    m.writeBuffer("abc", 3);
    m.seek(5, SeekOrigin::Beginning);
    m.writeBuffer("z", 1);
    EXPECT_EQ(m.view(), std::string("abc\0\0z", 6));
    EXPECT_EQ(m.size(), 6);
    m.seek(-2, SeekOrigin::End);
    char two[2];
    m.readBuffer(two, 2);
    EXPECT_EQ(std::string(two, 2), std::string("\0z", 2));
    EXPECT_THROW_MSG(m.readBuffer(two, 1), ReadError, "Erreur de lecture du flux");
    EXPECT_EQ(m.seek(-100, SeekOrigin::Current), 0);
}

// Reads at the end, past it, and over no bytes at all give nothing (and touch no memory).
TEST(ViewStream, ReadsNothingPastItsEnd)
{
    char buffer[4] = {'x', 'x', 'x', 'x'};
    for (const std::string_view bytes : {std::string_view(), std::string_view("ab")}) {
        ViewStream view(bytes);
        EXPECT_EQ(view.read(buffer, sizeof buffer), bytes.size());
        EXPECT_EQ(view.read(buffer, sizeof buffer), 0u);
        view.seek(10, SeekOrigin::Current);
        EXPECT_EQ(view.read(buffer, sizeof buffer), 0u);
    }
    EXPECT_EQ(std::string_view(buffer, 2), "ab");
}

TEST(FileStream, FailuresNameTheFile)
{
    TempFolder folder;
    const std::string missing = folder.file("missing.dfm");
    EXPECT_THROW_MSG(FileStream(missing, FileStream::Mode::OpenRead), FileOpenError,
                     "Impossible d'ouvrir le fichier " + missing + " (No such file or directory)");
    const std::string nowhere = folder.file("no/such/folder.dfm");
    EXPECT_THROW_MSG(FileStream(nowhere, FileStream::Mode::Create), FileCreateError,
                     "Impossible de créer le fichier " + nowhere + " (No such file or directory)");

    const std::string name = folder.file("a.dfm");
    std::ofstream(name) << "data";
    FileStream readOnly(name, FileStream::Mode::OpenRead);
    // Output is buffered: the failure shows when it is handed on.
    EXPECT_THROW_MSG((readOnly.writeBuffer("x", 1), readOnly.flush()), WriteError,
                     "Erreur d'écriture dans le flux (Bad file descriptor)");
    char buffer[10];
    EXPECT_THROW_MSG(readOnly.readBuffer(buffer, 10), ReadError, "Erreur de lecture du flux");
}

TEST(FileStream, AFullDiskIsAWriteError)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    FileStream full("/dev/full", FileStream::Mode::OpenWrite);
    const std::string diskFull = "Erreur d'écriture dans le flux (No space left on device)";
    EXPECT_THROW_MSG((full.writeBuffer("x", 1), full.flush()), WriteError, diskFull);
    EXPECT_THROW_MSG(full.writeBuffer(std::string(100000, 'x').data(), 100000), WriteError, diskFull);
    MemoryStream text(test::lines({"object Form1: TForm1", "end"}));
    EXPECT_THROW_MSG(textToResource(text, full), WriteError, diskFull);
}

TEST(FileStream, AFolderIsNoFileToRead)
{
    TempFolder folder;
    const std::string name = folder.file("forms.dfm");
    std::filesystem::create_directory(name);
    EXPECT_THROW_MSG(FileStream(name, FileStream::Mode::OpenRead), FileOpenError,
                     "Impossible d'ouvrir le fichier " + name + " (Is a directory)");
}

// Taken for the end of the file, a failed read would give a short copy without a word.
TEST(FileStream, AFailedReadIsAReadError)
{
    TempFolder folder;
    const std::string name = folder.file("f.bin");
    std::ofstream(name, std::ios::binary) << std::string(100000, 'x');
    FileStream file(name, FileStream::Mode::OpenRead);
    test::ScriptedSystemCalls calls;
    calls.script(test::Call::Read, {test::atMost(10), test::failsWith(EIO)});
    MemoryStream copy;
    EXPECT_THROW_MSG(copy.copyFrom(file), ReadError, "Erreur de lecture du flux");
}

// Reading, writing and seeking mixed on one file see one consistent position.
TEST(FileStream, BufferingKeepsOnePosition)
{
    TempFolder folder;
    const std::string name = folder.file("mixed.bin");
    std::string expected(200000, '\0');
    for (std::size_t i = 0; i < expected.size(); ++i)
        expected[i] = static_cast<char>(i * 7);
    {
        FileStream file(name, FileStream::Mode::Create);
        file.writeBuffer(expected.data(), 10);
        file.writeBuffer(expected.data() + 10, expected.size() - 10);
        file.setPosition(5);
        char five[5];
        file.readBuffer(five, 5);
        EXPECT_EQ(std::string(five, 5), expected.substr(5, 5));
        EXPECT_EQ(file.position(), 10);
        file.writeBuffer("ABC", 3);
        expected.replace(10, 3, "ABC");
        EXPECT_EQ(file.seek(0, SeekOrigin::End), 200000);
        file.writeBuffer("tail", 4);
        expected += "tail";
        file.flush();
    }
    FileStream file(name, FileStream::Mode::OpenRead);
    std::string back(expected.size(), '\0');
    file.readBuffer(back.data(), 3);
    file.readBuffer(back.data() + 3, back.size() - 3);
    EXPECT_EQ(back, expected);
    EXPECT_EQ(file.size(), static_cast<std::int64_t>(expected.size()));
}

// Converting from a file leaves it right after the form, however much was buffered.
TEST(FileStream, ConversionLeavesTheFileAfterTheForm)
{
    TempFolder folder;
    const std::string name = folder.file("f.dfm");
    MemoryStream text(test::lines({"object Form1: TForm1", "  Left = 1", "end"}));
    std::string resource;
    {
        MemoryStream out;
        textToResource(text, out);
        resource = std::string(out.view());
    }
    std::ofstream(name, std::ios::binary) << resource << std::string(9000, 'x');
    FileStream file(name, FileStream::Mode::OpenRead);
    MemoryStream out;
    resourceToText(file, out);
    EXPECT_EQ(file.position(), static_cast<std::int64_t>(resource.size()));
    EXPECT_EQ(out.view(), test::lines({"object Form1: TForm1", "  Left = 1", "end"}));
}

}  // namespace
}  // namespace dfm
