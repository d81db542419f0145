// Layout by known pixels: forms whose colours and places are known, drawn offscreen from their
// text and from their binary form, at two scales, and probed.
#include "DrawingTestSupport.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace dfm;
using namespace dfm::test;

namespace {

// A panel of one flat colour: no bevel, no caption.
std::string panel(const std::string& name, const std::string& colour, const std::string& place, const std::string& inside = "")
{
    return "object " + name + ": TPanel\n" + place + "\nBevelOuter = bvNone\nColor = " + colour
        + "\nShowCaption = False\n" + inside + "end\n";
}

std::string form(int width, int height, const std::string& inside, const std::string& extra = "")
{
    return "object Form1: TForm1\nClientWidth = " + std::to_string(width) + "\nClientHeight = " + std::to_string(height)
        + "\nColor = clWhite\n" + extra + inside + "end\n";
}

struct Probe {
    int x, y;
    QColor colour;
};

const QColor Red(255, 0, 0), Green(0, 255, 0), Blue(0, 0, 255), Yellow(255, 255, 0), Aqua(0, 255, 255),
    Fuchsia(255, 0, 255), White(255, 255, 255), Black(0, 0, 0);

struct LayoutCase {
    const char* what;
    std::string text;
    QSize size;
    std::vector<Probe> probes;
};

std::vector<LayoutCase> layoutCases()
{
    return {
        {"aligned panels declared out of order",
         form(200, 100,
              panel("Bottom1", "clRed", "Top = 50\nHeight = 10\nAlign = alBottom")
                  + panel("Top2", "clLime", "Top = 20\nHeight = 10\nAlign = alTop")
                  + panel("Client", "clFuchsia", "Align = alClient")
                  + panel("Top1", "clBlue", "Top = 0\nHeight = 10\nAlign = alTop")
                  + panel("Bottom2", "clYellow", "Top = 80\nHeight = 10\nAlign = alBottom")
                  + panel("Right1", "clAqua", "Left = 150\nWidth = 30\nAlign = alRight")
                  + panel("Left1", "clBlack", "Left = 0\nWidth = 20\nAlign = alLeft")),
         {200, 100},
         {{100, 0, Blue}, {100, 9, Blue}, {100, 10, Green}, {100, 19, Green}, {100, 99, Yellow}, {100, 90, Yellow},
          {100, 89, Red}, {100, 80, Red}, {0, 20, Black}, {19, 79, Black}, {20, 50, Fuchsia}, {169, 50, Fuchsia},
          {170, 50, Aqua}, {199, 79, Aqua}}},
        {"a tie of places goes by creation order",
         form(100, 40,
              panel("First", "clRed", "Top = 0\nHeight = 10\nAlign = alTop")
                  + panel("Second", "clBlue", "Top = 0\nHeight = 10\nAlign = alTop")),
         {100, 40},
         {{50, 5, Red}, {50, 15, Blue}, {50, 25, White}}},
        {"nested clients inside a border",
         form(100, 80,
              "object Outer: TPanel\nAlign = alClient\nBevelOuter = bvNone\nBorderWidth = 5\nColor = clRed\n"
              "ShowCaption = False\n"
                  + panel("Inner", "clBlue", "Align = alClient", panel("Core", "clLime", "Left = 10\nTop = 10\nWidth = 20\nHeight = 20"))
                  + "end\n"),
         {100, 80},
         {{2, 2, Red}, {97, 77, Red}, {5, 5, Blue}, {94, 74, Blue}, {15, 15, Green}, {34, 34, Green}, {35, 35, Blue}}},
        {"a numeric colour and places in the parent's client area",
         form(60, 60, panel("Box", "$00336699", "Left = 10\nTop = 20\nWidth = 30\nHeight = 10")),
         {60, 60},
         {{10, 20, QColor(0x99, 0x66, 0x33)}, {39, 29, QColor(0x99, 0x66, 0x33)}, {9, 20, White}, {10, 30, White}}},
        {"a system colour by name and by number",
         form(40, 20, panel("Face", "clBtnFace", "Left = 0\nTop = 0\nWidth = 20\nHeight = 20")
                          + panel("Window", "-16777211", "Left = 20\nTop = 0\nWidth = 20\nHeight = 20"),
              "Color = clBlack\n"),
         {40, 20},
         {{5, 5, QColor(212, 208, 200)}, {25, 5, White}}},
        {"only the active page of a page control shows",
         form(200, 120,
              "object Pages: TPageControl\nLeft = 0\nTop = 0\nWidth = 200\nHeight = 120\nActivePage = Sheet2\n"
              "object Sheet1: TTabSheet\nCaption = 'One'\n"
                  + panel("OnFirst", "clRed", "Left = 0\nTop = 0\nWidth = 50\nHeight = 50") + "end\n"
                  + "object Sheet2: TTabSheet\nCaption = 'Two'\n"
                  + panel("OnSecond", "clBlue", "Left = 0\nTop = 0\nWidth = 50\nHeight = 50") + "end\nend\n"),
         {200, 120},
         {{20, 45, Blue}, {100, 3, White}}},
        {"anchors follow the parent's laid-out size",
         form(300, 100,
              "object Holder: TPanel\nLeft = 0\nTop = 0\nWidth = 100\nHeight = 50\nAlign = alClient\nBevelOuter = bvNone\n"
              "Color = clWhite\nShowCaption = False\n"
                  + panel("RightAnchored", "clRed", "Left = 80\nTop = 0\nWidth = 10\nHeight = 10\nAnchors = [akTop, akRight]")
                  + panel("Stretched", "clBlue", "Left = 10\nTop = 20\nWidth = 80\nHeight = 10\nAnchors = [akLeft, akTop, akRight]")
                  + panel("BottomAnchored", "clLime", "Left = 0\nTop = 40\nWidth = 10\nHeight = 10\nAnchors = [akLeft, akBottom]")
                  + "end\n"),
         {300, 100},
         {{285, 5, Red}, {85, 5, White}, {15, 25, Blue}, {285, 25, Blue}, {295, 25, White}, {5, 95, Green},
          {5, 45, White}}},
        {"a status bar and a tool bar are aligned by their classes' defaults",
         form(100, 100,
              "object Status: TStatusBar\nLeft = 0\nTop = 0\nWidth = 50\nHeight = 20\nColor = clRed\nend\n"
              "object Tools: TToolBar\nLeft = 0\nTop = 50\nWidth = 50\nHeight = 20\nColor = clBlue\nend\n"),
         {100, 100},
         {{90, 95, Red}, {90, 5, Blue}, {90, 50, White}}},
        {"only Width and Height stored: less the window's frame",
         "object Form1: TForm1\nWidth = 216\nHeight = 139\nColor = clRed\nend\n",
         {200, 100},
         {{199, 99, Red}}},
    };
}

TEST(FormLayout, ObjectsStandWhereTheirStoredPlacesAndAlignmentPutThem)
{
    for (const LayoutCase& test : layoutCases()) {
        for (const Notation notation : {Notation::Text, Notation::Binary}) {
            for (const double scale : {1.0, 2.0}) {
                SCOPED_TRACE(std::string(test.what) + (notation == Notation::Text ? ", text" : ", binary") + ", scale "
                             + std::to_string(scale));
                const FormDrawing drawing = drawingOf(test.text, notation);
                EXPECT_EQ(drawing.size(), test.size);
                const QImage image = pictureOf(drawing, scale);
                EXPECT_EQ(image.size(), test.size * scale);
                for (const Probe& probe : test.probes) {
                    EXPECT_EQ(colourAt(image, probe.x, probe.y, scale).name().toStdString(), probe.colour.name().toStdString())
                        << "at " << probe.x << ", " << probe.y;
                }
            }
        }
    }
}

// A picture property's value in form text: the class name, the file's size and the file.
std::string bitmapData(QSize size, const QColor& colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray file;
    QBuffer buffer(&file);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    QByteArray data = QByteArray("\x07TBitmap");
    const auto length = static_cast<quint32>(file.size());
    for (int shift = 0; shift < 32; shift += 8)
        data.append(static_cast<char>((length >> shift) & 0xFF));
    data.append(file);
    return "{" + data.toHex().toUpper().toStdString() + "}";
}

TEST(FormLayout, APictureIsDrawnAtItsOwnSizeUnlessStretched)
{
    const std::string picture = "Picture.Data = " + bitmapData({10, 10}, Red) + "\n";
    for (const Notation notation : {Notation::Text, Notation::Binary}) {
        for (const double scale : {1.0, 2.0}) {
            SCOPED_TRACE(scale);
            const QImage plain = pictureOf(
                drawingOf(form(60, 60, "object Image1: TImage\nLeft = 10\nTop = 10\nWidth = 40\nHeight = 40\n" + picture + "end\n"), notation),
                scale);
            EXPECT_EQ(colourAt(plain, 10, 10, scale).name().toStdString(), Red.name().toStdString());
            EXPECT_EQ(colourAt(plain, 19, 19, scale).name().toStdString(), Red.name().toStdString());
            EXPECT_EQ(colourAt(plain, 25, 25, scale).name().toStdString(), White.name().toStdString()) << "not stretched";
            const QImage stretched = pictureOf(
                drawingOf(form(60, 60, "object Image1: TImage\nLeft = 10\nTop = 10\nWidth = 40\nHeight = 40\nStretch = True\n" + picture + "end\n"), notation),
                scale);
            EXPECT_EQ(colourAt(stretched, 45, 45, scale).name().toStdString(), Red.name().toStdString());
        }
    }
}

TEST(FormLayout, ADamagedPictureIsAPlaceholderAndAWarning)
{
    const FormDrawing drawing = drawingOf(form(60, 60, "object Image1: TImage\nLeft = 0\nTop = 0\nWidth = 60\nHeight = 60\n"
                                                       "Picture.Data = {07544269746D6170FFFF0000424D00}\nend\n"));
    ASSERT_EQ(drawing.warnings().size(), 1);
    EXPECT_TRUE(drawing.warnings().front().startsWith("The picture Image1.Picture.Data is drawn as a placeholder: "))
        << drawing.warnings().front().toStdString();
    EXPECT_FALSE(drawing.objects()[1].pictureProblem.isEmpty());
    EXPECT_FALSE(pictureOf(drawing).isNull());
}

TEST(FormLayout, AHiddenControlIsStillDrawnButHatched)
{
    const QImage image = pictureOf(drawingOf(form(40, 40, panel("Hidden", "clBlue", "Left = 0\nTop = 0\nWidth = 40\nHeight = 40\nVisible = False"))));
    int blue = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x)
            blue += image.pixelColor(x, y) == Blue ? 1 : 0;
    }
    EXPECT_GT(blue, 40 * 40 / 2);
    EXPECT_LT(blue, 40 * 40);
}

TEST(FormLayout, TheMainMenuIsABarAboveTheClientArea)
{
    const FormDrawing drawing = drawingOf(form(100, 50, panel("Top", "clRed", "Left = 0\nTop = 0\nWidth = 100\nHeight = 10")
                                                            + "object MainMenu1: TMainMenu\nobject File1: TMenuItem\n"
                                                              "Caption = '&File'\nend\nobject Sep: TMenuItem\nCaption = '-'\nend\nend\n",
                                                        "Menu = MainMenu1\n"));
    EXPECT_EQ(drawing.menuCaptions(), QStringList{"&File"});
    ASSERT_GT(drawing.menuBarHeight(), 0);
    EXPECT_EQ(drawing.size(), QSize(100, 50 + drawing.menuBarHeight()));
    const QImage image = pictureOf(drawing);
    EXPECT_EQ(colourAt(image, 50, drawing.menuBarHeight() + 5).name().toStdString(), Red.name().toStdString());
    EXPECT_EQ(drawing.objects()[static_cast<std::size_t>(drawing.objectAt({50, drawing.menuBarHeight() + 5}))].name, "Top");
}

TEST(FormLayout, NonVisualComponentsAreIconsAtTheirDesignPlaces)
{
    // DesignInfo holds Left in its low word and Top in its high word.
    const FormDrawing drawing = drawingOf(form(200, 200,
                                               "object Timer1: TTimer\nDesignInfo = 1310730\nend\n"
                                               "object Table1: TTable\nLeft = 100\nTop = 120\n"
                                               "object Table1Name: TStringField\nFieldName = 'Name'\nend\nend\n"));
    const auto& objects = drawing.objects();
    ASSERT_EQ(objects.size(), 4u);
    EXPECT_EQ(objects[1].kind, ControlKind::NonVisual);
    EXPECT_EQ(objects[1].frame.topLeft(), QPoint(10, 20));
    EXPECT_EQ(objects[2].kind, ControlKind::NonVisual);
    EXPECT_EQ(objects[2].frame.topLeft(), QPoint(100, 120));
    EXPECT_FALSE(objects[3].drawn) << "a data set's field has no place of its own";
    EXPECT_EQ(drawing.objectAt({15, 25}), 1);

    PaintOptions hidden;
    hidden.showNonVisual = false;
    const QImage withoutIcons = FormPainter::render(drawing, hidden);
    EXPECT_EQ(colourAt(withoutIcons, 15, 25).name().toStdString(), White.name().toStdString());
    EXPECT_NE(colourAt(pictureOf(drawing), 11, 21).name().toStdString(), White.name().toStdString());
}

TEST(FormLayout, ADataModuleIsTheBoxOfItsComponents)
{
    const FormDrawing small = drawingOf("object Module: TDataModule\nobject Query1: TQuery\nLeft = 10\nTop = 10\nend\nend\n");
    EXPECT_EQ(small.size(), QSize(100, 100));
    const FormDrawing large = drawingOf("object Module: TDataModule\nobject Query1: TQuery\nLeft = 300\nTop = 200\nend\nend\n");
    EXPECT_EQ(large.size(), QSize(300 + FormDrawing::IconSize + 8, 200 + FormDrawing::IconSize + 8));
}

TEST(FormLayout, FontsAreSizedInPixelsOfTheFormsResolution)
{
    const FormDrawing drawing = drawingOf(
        "object Form1: TForm1\nClientWidth = 100\nClientHeight = 100\nPixelsPerInch = 120\nFont.Height = -11\n"
        "object Sized: TLabel\nParentFont = False\nFont.Size = 12\nend\n"
        "object Inherits: TLabel\nend\n"
        "object Own: TLabel\nFont.Height = -20\nFont.Style = [fsBold]\nFont.Color = clRed\nParentFont = False\nend\nend\n");
    const auto& objects = drawing.objects();
    EXPECT_EQ(objects[1].font.pixelSize(), 20) << "12 points at 120 pixels per inch";
    EXPECT_EQ(objects[2].font.pixelSize(), 11);
    EXPECT_EQ(objects[3].font.pixelSize(), 20);
    EXPECT_TRUE(objects[3].font.bold());
    EXPECT_EQ(objects[3].fontColor.name(), Red.name());
}

TEST(FormLayout, TheCrossPlatformNotationIsDrawnByTheSameRules)
{
    const FormDrawing drawing = drawingOf(
        "object Form1: TForm1\nClientHeight = 100\nClientWidth = 200\n"
        "object Body: TPanel\nAlign = Client\nSize.Width = 50.000000000000000000\nSize.Height = 50.000000000000000000\nend\n"
        "object Button1: TButton\nPosition.X = 16.000000000000000000\nPosition.Y = 24.000000000000000000\n"
        "Size.Width = 80.000000000000000000\nSize.Height = 22.000000000000000000\nText = 'OK'\nend\nend\n");
    const auto& objects = drawing.objects();
    EXPECT_EQ(objects[1].frame, QRect(0, 0, 200, 100));
    EXPECT_EQ(objects[2].frame, QRect(16, 24, 80, 22));
    EXPECT_EQ(objects[2].caption(), "OK");
}

}  // namespace
