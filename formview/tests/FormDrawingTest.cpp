// What a drawing is made of: ancestors and frames merged, objects told apart, the link from
// nodes to drawn objects, every corpus form, and input that is absurd but converts.
#include "DrawingTestSupport.h"

#include "CorpusFiles.h"
#include "AncestorForms.h"
#include "FormColors.h"
#include "FormSource.h"

#include <filesystem>

#include <gtest/gtest.h>

#include <string>

using namespace dfm;
using namespace dfm::test;

namespace {

const QColor Red(255, 0, 0), Blue(0, 0, 255), Green(0, 255, 0);

const char* const BaseForm =
    "object BaseForm: TBaseForm\nClientWidth = 100\nClientHeight = 60\nColor = clRed\n"
    "object Header: TPanel\nLeft = 0\nTop = 0\nWidth = 100\nHeight = 20\nBevelOuter = bvNone\nColor = clBlue\n"
    "ShowCaption = False\nend\nend\n";

TEST(FormDrawingTest, AnInheritedFormIsDrawnOverItsAncestor)
{
    AncestorsInMemory ancestors;
    ancestors.ancestorOf["TChildForm"] = "TBaseForm";
    ancestors.formOf["TBaseForm"] = BaseForm;
    const std::string child =
        "inherited ChildForm: TChildForm\nColor = clLime\n"
        "inherited Header: TPanel\nHeight = 30\n"
        "object Added: TPanel\nLeft = 0\nTop = 0\nWidth = 10\nHeight = 10\nBevelOuter = bvNone\nColor = clRed\n"
        "ShowCaption = False\nend\nend\nend\n";
    for (const Notation notation : {Notation::Text, Notation::Binary}) {
        const FormDrawing drawing = drawingOf(child, notation, &ancestors);
        EXPECT_TRUE(drawing.missingAncestors().isEmpty());
        EXPECT_EQ(drawing.size(), QSize(100, 60)) << "the size is the ancestor's";
        const QImage image = pictureOf(drawing);
        EXPECT_EQ(colourAt(image, 50, 50).name().toStdString(), Green.name().toStdString()) << "the child's colour overrides";
        EXPECT_EQ(colourAt(image, 50, 25).name().toStdString(), Blue.name().toStdString()) << "the ancestor's panel, taller";
        EXPECT_EQ(colourAt(image, 5, 5).name().toStdString(), Red.name().toStdString()) << "the child's addition";
        const auto& objects = drawing.objects();
        ASSERT_EQ(objects.size(), 3u);
        EXPECT_EQ(objects[0].node, 0u);
        EXPECT_EQ(objects[1].name, "Header");
        EXPECT_EQ(objects[1].node, 1u) << "the child mentions the header";
        EXPECT_EQ(drawing.objectOfNode(2), 2);
    }
}

TEST(FormDrawingTest, AMissingAncestorIsNamedAndTheFormDrawnWithWhatItHolds)
{
    AncestorsInMemory ancestors;
    ancestors.ancestorOf["TChildForm"] = "TBaseForm";
    const FormDrawing drawing =
        drawingOf("inherited ChildForm: TChildForm\nClientWidth = 50\nClientHeight = 50\nend\n", Notation::Text, &ancestors);
    EXPECT_EQ(drawing.missingAncestors(), QStringList{"TBaseForm"});
    EXPECT_EQ(drawing.size(), QSize(50, 50));
    const FormDrawing alone = drawingOf("inherited ChildForm: TChildForm\nClientWidth = 50\nClientHeight = 50\nend\n");
    EXPECT_EQ(alone.missingAncestors(), QStringList{"TChildForm"});
}

TEST(FormDrawingTest, AnInlineFrameHoldsItsFramesObjectsWithOverrides)
{
    AncestorsInMemory ancestors;
    ancestors.formOf["TPartFrame"] =
        "object PartFrame: TPartFrame\nWidth = 40\nHeight = 40\n"
        "object Inner: TPanel\nLeft = 0\nTop = 0\nWidth = 20\nHeight = 20\nBevelOuter = bvNone\nColor = clBlue\n"
        "ShowCaption = False\nend\nend\n";
    const std::string text = "object Form1: TForm1\nClientWidth = 100\nClientHeight = 100\nColor = clWhite\n"
                             "inline Part: TPartFrame\nLeft = 50\nTop = 50\n"
                             "inherited Inner: TPanel\nColor = clRed\nend\nend\nend\n";
    const FormDrawing drawing = drawingOf(text, Notation::Text, &ancestors);
    const QImage image = pictureOf(drawing);
    EXPECT_EQ(colourAt(image, 55, 55).name().toStdString(), Red.name().toStdString());
    EXPECT_EQ(drawing.objects()[1].kind, ControlKind::Frame);
    EXPECT_EQ(drawing.objects()[1].frame, QRect(50, 50, 40, 40));

    AncestorsInMemory none;
    EXPECT_EQ(drawingOf(text, Notation::Text, &none).missingAncestors(), QStringList{"TPartFrame"});
}

TEST(FormDrawingTest, AncestorsThatGoRoundInACircleAreCutOff)
{
    AncestorsInMemory ancestors;
    ancestors.ancestorOf["TA"] = "TB";
    ancestors.ancestorOf["TB"] = "TA";
    ancestors.formOf["TA"] = "inherited A: TA\nClientWidth = 10\nClientHeight = 10\nend\n";
    ancestors.formOf["TB"] = "inherited B: TB\nend\n";
    const FormDrawing drawing = drawingOf("inherited A: TA\nClientWidth = 10\nClientHeight = 10\nend\n", Notation::Text, &ancestors);
    EXPECT_FALSE(drawing.warnings().isEmpty());
    EXPECT_EQ(drawing.size(), QSize(10, 10));
}

TEST(FormDrawingTest, ClassesDrawAsTheirNearestStandardKind)
{
    const struct {
        const char* className;
        ControlKind kind;
    } cases[] = {
        {"TDBEdit", ControlKind::Edit},         {"TLabeledEdit", ControlKind::Edit},
        {"TDBGrid", ControlKind::Grid},         {"TQRLabel", ControlKind::Label},
        {"TDBRadioGroup", ControlKind::RadioGroup}, {"TDCSplitter", ControlKind::Splitter},
        {"TRadioButton", ControlKind::RadioButton}, {"TMySpeedButton", ControlKind::SpeedButton},
        {"tbutton", ControlKind::Button},       {"TWebBrowser", ControlKind::Other},
        {"TOpenDialog", ControlKind::NonVisual}, {"TClientDataSet", ControlKind::NonVisual},
    };
    for (const auto& test : cases)
        EXPECT_EQ(ControlClasses::kindOf(test.className), test.kind) << test.className;
}

TEST(FormDrawingTest, AnUnknownClassWithASizeIsALabelledFrameWithItsChildren)
{
    const FormDrawing drawing = drawingOf(
        "object Form1: TForm1\nClientWidth = 100\nClientHeight = 100\n"
        "object Browser: TWebBrowser\nLeft = 30\nTop = 30\nWidth = 60\nHeight = 60\n"
        "object Inside: TButton\nLeft = 5\nTop = 5\nWidth = 20\nHeight = 20\nend\nend\n"
        "object Loose: TSomething\nend\nend\n");
    const auto& objects = drawing.objects();
    EXPECT_EQ(objects[1].kind, ControlKind::Other);
    EXPECT_EQ(objects[2].frame, QRect(35, 35, 20, 20));
    EXPECT_EQ(objects[3].kind, ControlKind::NonVisual) << "without a size it is a component";
    EXPECT_EQ(drawing.objectAt({40, 40}), 2);
    EXPECT_EQ(drawing.objectAt({80, 80}), 1);
    EXPECT_EQ(drawing.objectAt({95, 95}), 0);
    EXPECT_EQ(drawing.objectAt({10, 10}), 3);
}

TEST(FormDrawingTest, AbsurdFormsDrawWithinTheCap)
{
    std::string deep = "object Form1: TForm1\nClientWidth = 2147483647\nClientHeight = -5\n";
    for (int i = 0; i < 999; ++i)
        deep += "object P" + std::to_string(i) + ": TPanel\nLeft = -2147483648\nWidth = 2147483647\nHeight = 10\n";
    for (int i = 0; i < 999; ++i)
        deep += "end\n";
    deep += "end\n";
    const FormDrawing drawing = drawingOf(deep);
    EXPECT_EQ(drawing.size(), QSize(FormDrawing::LargestSide, 1));
    EXPECT_EQ(drawing.warnings().size(), 2);
    const QImage image = pictureOf(drawing, 4.0);
    EXPECT_LE(image.width(), FormDrawing::LargestSide);
    EXPECT_LE(qint64{image.width()} * image.height(), FormDrawing::LargestArea);

    std::string wide = "object Form1: TForm1\nClientWidth = 400\nClientHeight = 400\n";
    for (int i = 0; i < 10000; ++i)
        wide += "object B" + std::to_string(i) + ": TButton\nLeft = " + std::to_string(i % 400) + "\nTop = "
            + std::to_string(i / 25) + "\nCaption = 'x'\nColor = 'not a colour'\nFont.Height = 1e300\nend\n";
    wide += "end\n";
    const FormDrawing many = drawingOf(wide);
    EXPECT_EQ(many.objects().size(), 10001u);
    EXPECT_FALSE(pictureOf(many).isNull());

    // A grid of a hundred million one-pixel cells draws no more cells than can show.
    const FormDrawing grid = drawingOf(
        "object Form1: TForm1\nClientWidth = 2000\nClientHeight = 2000\nobject Grid: TStringGrid\nLeft = 0\nTop = 0\n"
        "Width = 2000\nHeight = 2000\nColCount = 1000\nRowCount = 100000\nDefaultColWidth = 1\nDefaultRowHeight = 1\n"
        "GridLineWidth = 0\nend\nend\n");
    EXPECT_FALSE(pictureOf(grid).isNull());
}

TEST(FormDrawingTest, EveryCorpusFormDraws)
{
    int drawn = 0;
    for (const Entry& entry : manifest()) {
        std::string path;
        if (entry.kind == "text" || entry.kind == "binary")
            path = CorpusDir + "/" + entry.kind + "/" + entry.file;
        else if (entry.kind == "chain-form" || entry.kind == "pair-form")
            path = CorpusDir + "/" + entry.file;
        else
            continue;
        SCOPED_TRACE(path);
        const auto model = std::make_shared<const FormModel>(readFormModel(path, CodePage::forNumber(1252)));
        AncestorForms ancestors(std::filesystem::path(path).parent_path(), 1252);
        const FormDrawing drawing = FormDrawing::build(model, CodePage::forNumber(1252), &ancestors);
        EXPECT_FALSE(pictureOf(drawing).isNull());
        if (entry.kind == "chain-form") {
            for (const QString& missing : drawing.missingAncestors())
                EXPECT_TRUE(missing.endsWith("Frame")) << missing.toStdString();
        }
        ++drawn;
    }
    EXPECT_GT(drawn, 350);
}

TEST(FormDrawingTest, TheAncestorsOfAChainAreFoundBesideItThroughTheirUnits)
{
    const std::string folder = CorpusDir + "/inherited/codesnip";
    AncestorForms ancestors(folder, 1252);
    const auto model = std::make_shared<const FormModel>(readFormModel(folder + "/FmAboutDlg.dfm", CodePage::forNumber(1252)));
    const FormDrawing drawing = FormDrawing::build(model, CodePage::forNumber(1252), &ancestors);
    // The frame it holds is not in the corpus; its ancestor forms all are.
    EXPECT_EQ(drawing.missingAncestors(), QStringList{"THTMLTpltDlgFrame"}) << drawing.warnings().join(", ").toStdString();
    int fromAncestors = 0;
    for (const DrawnObject& object : drawing.objects())
        fromAncestors += object.node == DrawnObject::NoNode ? 1 : 0;
    EXPECT_GT(fromAncestors, 0) << "objects only an ancestor holds are drawn too";
    EXPECT_EQ(ancestors.ancestorClassOf("TAboutDlg"), std::optional<std::string>("TGenericViewDlg"));
}

}  // namespace

namespace {

TEST(FormColorsTest, NumbersNamesAndSystemColours)
{
    const struct {
        const char* value;
        std::optional<QColor> colour;
    } cases[] = {
        {"$00336699", QColor(0x99, 0x66, 0x33)},
        {"255", QColor(255, 0, 0)},
        {"clNavy", QColor(0, 0, 128)},
        {"CLRED", QColor(255, 0, 0)},
        {"clBtnFace", QColor(212, 208, 200)},
        {"-16777201", QColor(212, 208, 200)},  // $FF00000F, clBtnFace as a number
        {"clWindow", QColor(255, 255, 255)},
        {"clNone", std::nullopt},
        {"clDefault", std::nullopt},
        {"-16777100", std::nullopt},  // a system colour beyond the palette
        {"clPurpleish", std::nullopt},
        {"'clRed'", std::nullopt},  // a string is no colour
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.value);
        const FormModel model = textModel(std::string("object A: TA\nColor = ") + test.value + "\nend\n");
        const std::optional<QColor> colour = FormColors::fromValue(model.root().findProperty("Color")->value());
        ASSERT_EQ(colour.has_value(), test.colour.has_value());
        if (colour) {
            EXPECT_EQ(colour->name().toStdString(), test.colour->name().toStdString());
        }
    }
}

}  // namespace
