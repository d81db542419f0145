// dfmdraw as a user runs it, with no display and an empty environment: pictures of text and
// binary forms, scales, several forms to a folder, ancestors beside a form, and what it refuses.
#include "MemoryStream.h"
#include "TextToBinary.h"
#include "Version.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace dfm {
namespace {

const std::string Dfmdraw = DFMDRAW_PATH;

const std::string RedForm = "object Form1: TForm1\r\n  ClientWidth = 120\r\n  ClientHeight = 80\r\n  Color = clRed\r\n"
                            "  object Panel1: TPanel\r\n    Left = 10\r\n    Top = 10\r\n    Width = 20\r\n    Height = 20\r\n"
                            "    BevelOuter = bvNone\r\n    Color = clBlue\r\n  end\r\nend\r\n";

std::string binaryOf(const std::string& text)
{
    MemoryStream input(text);
    MemoryStream output;
    textToResource(input, output);
    return std::string(output.view());
}

class DfmdrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = fs::temp_directory_path() / ("dfmdraw-test-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    void write(const std::string& relative, const std::string& bytes)
    {
        const fs::path path = root_ / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    std::string read(const std::string& relative)
    {
        std::ifstream file(root_ / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    // Runs the program in the tree with an empty environment: no display, no settings.
    int run(const std::string& arguments)
    {
        const fs::path errFile = root_.parent_path() / (root_.filename().string() + ".err");
        const std::string command = "cd " + root_.string() + " && env -i " + Dfmdraw + " " + arguments + " >"
            + (root_ / ".out").string() + " 2>" + errFile.string();
        const int status = std::system(command.c_str());
        std::ifstream errStream(errFile);
        err_ = std::string(std::istreambuf_iterator<char>(errStream), {});
        fs::remove(errFile);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    QImage picture(const std::string& relative) { return QImage(QString::fromStdString((root_ / relative).string())); }

    fs::path root_;
    std::string err_;
};

TEST_F(DfmdrawTest, DrawsTextAndBinaryFormsWithoutADisplayAtEveryScale)
{
    write("red.dfm", RedForm);
    write("red-binary.dfm", binaryOf(RedForm));
    for (const char* form : {"red.dfm", "red-binary.dfm"}) {
        SCOPED_TRACE(form);
        ASSERT_EQ(run(std::string(form) + " out.png"), 0) << err_;
        EXPECT_EQ(err_, "");
        const QImage image = picture("out.png");
        ASSERT_EQ(image.size(), QSize(120, 80));
        EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::red));
        EXPECT_EQ(image.pixelColor(15, 15), QColor(Qt::blue));

        ASSERT_EQ(run(std::string("--scale 2.5 ") + form + " big.png"), 0) << err_;
        const QImage big = picture("big.png");
        ASSERT_EQ(big.size(), QSize(300, 200));
        EXPECT_EQ(big.pixelColor(37, 37), QColor(Qt::blue));
        EXPECT_EQ(big.pixelColor(80, 80), QColor(Qt::red));
    }
    ASSERT_EQ(run("red.dfm -"), 0) << "to standard output";
    EXPECT_EQ(picture(".out").size(), QSize(120, 80));
}

TEST_F(DfmdrawTest, SeveralFormsGoIntoAFolder)
{
    write("a.dfm", RedForm);
    write("sub/b.lfm", RedForm);
    ASSERT_EQ(run("-o pictures a.dfm sub/b.lfm"), 0) << err_;
    EXPECT_EQ(picture("pictures/a.png").size(), QSize(120, 80));
    EXPECT_EQ(picture("pictures/b.png").size(), QSize(120, 80));
}

TEST_F(DfmdrawTest, AnAncestorBesideTheFormIsDrawnAndAMissingOneNamed)
{
    write("Base.pas", "unit Base;\r\ninterface\r\ntype\r\n  TBaseForm = class(TForm)\r\n  end;\r\nimplementation\r\nend.\r\n");
    write("Base.dfm", "object BaseForm: TBaseForm\r\n  ClientWidth = 50\r\n  ClientHeight = 40\r\n  Color = clLime\r\nend\r\n");
    write("Child.pas", "unit Child;\r\ninterface\r\ntype\r\n  TChildForm = class(TBaseForm)\r\n  end;\r\nimplementation\r\nend.\r\n");
    write("Child.dfm", "inherited ChildForm: TChildForm\r\nend\r\n");
    ASSERT_EQ(run("Child.dfm child.png"), 0) << err_;
    EXPECT_EQ(err_, "");
    const QImage child = picture("child.png");
    ASSERT_EQ(child.size(), QSize(50, 40));
    EXPECT_EQ(child.pixelColor(20, 20), QColor(Qt::green));

    fs::remove(root_ / "Base.dfm");
    ASSERT_EQ(run("Child.dfm alone.png"), 0);
    EXPECT_EQ(err_, "dfmdraw: Child.dfm: The ancestor form TBaseForm is not found\n");
    EXPECT_FALSE(picture("alone.png").isNull());
}

TEST_F(DfmdrawTest, WhatIsNotAFormFailsAndLeavesThePictureAsItWas)
{
    write("note.dfm", "hello\n");
    write("old.png", "old bytes");
    EXPECT_EQ(run("note.dfm old.png"), 1);
    EXPECT_EQ(err_, "dfmdraw: note.dfm: Format de flux incorrect\n");
    EXPECT_EQ(read("old.png"), "old bytes");
    EXPECT_EQ(run("missing.dfm new.png"), 1);
    EXPECT_FALSE(fs::exists(root_ / "new.png"));
    EXPECT_TRUE(err_.starts_with("dfmdraw: missing.dfm: ")) << err_;
}

TEST_F(DfmdrawTest, WrongUsageSaysSoAndExitsTwo)
{
    write("a.dfm", RedForm);
    const char* const wrong[] = {"a.dfm", "--scale 0 a.dfm x.png", "--scale abc a.dfm x.png", "--codepage 1 a.dfm x.png",
                                 "--bogus a.dfm x.png", "a.dfm b.dfm c.png", "-o", "--scale"};
    for (const char* arguments : wrong) {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(run(arguments), 2);
        EXPECT_NE(err_.find("Try 'dfmdraw --help'"), std::string::npos) << err_;
    }
    EXPECT_EQ(run(""), 2);
    EXPECT_EQ(run("--help"), 0);
    EXPECT_EQ(run("--version"), 0);
    EXPECT_EQ(read(".out"), versionText("dfmdraw"));
}

}  // namespace
}  // namespace dfm
