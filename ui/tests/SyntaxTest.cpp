// The syntax colours: the roles both languages give each character of a line, the state carried
// over lines, and the palettes' contrast on dark, light and middling backgrounds.
#include "FormTextSyntax.h"
#include "PascalSyntax.h"
#include "SyntaxPalette.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

using dfm::FormTextSyntax;
using dfm::PascalSyntax;
using dfm::SyntaxPalette;
using dfm::SyntaxRole;
using dfm::SyntaxSpans;

using Scanner = int (*)(QStringView, int, SyntaxSpans*);

// One letter a character: the role of its span, "." for none.
QString roleMask(QStringView line, const SyntaxSpans& spans)
{
    static const char Letters[] = "KPSNIDXBC$";
    QString mask(line.size(), u'.');
    for (const dfm::SyntaxSpan& span : spans) {
        for (int i = span.start; i < span.start + span.length; ++i)
            mask[i] = QLatin1Char(Letters[static_cast<int>(span.role)]);
    }
    return mask;
}

struct LineCase {
    int state;
    const char16_t* line;
    const char* roles;
    int endState;
};

void checkLines(Scanner scan, std::initializer_list<LineCase> cases)
{
    for (const LineCase& c : cases) {
        const QString line = QString::fromUtf16(c.line);
        SCOPED_TRACE(line.toStdString());
        ASSERT_EQ(line.size(), qsizetype(std::strlen(c.roles))) << "the table's mask is as long as its line";
        SyntaxSpans spans;
        EXPECT_EQ(scan(line, c.state, &spans), c.endState);
        EXPECT_EQ(roleMask(line, spans).toStdString(), c.roles);
        // The state alone, as the quick scan of the lines above the view finds it.
        EXPECT_EQ(scan(line, c.state, nullptr), c.endState);
    }
}

TEST(FormTextSyntax, GivesEachPartOfALineItsRole)
{
    constexpr int N = FormTextSyntax::Normal;
    constexpr int B = FormTextSyntax::InBinary;
    checkLines(&FormTextSyntax::scanLine, {
        {N, u"object Form1: TForm1",
            "KKKKKK.IIIII..IIIIII", N},
        {N, u"  inherited Frame1: TFrame1 [2]",
            "..KKKKKKKKK.IIIIII..IIIIIII.XXX", N},
        {N, u"  INLINE Frame2: TFrame2",
            "..KKKKKK.IIIIII..IIIIIII", N},
        {N, u"  object TLabel [0]",
            "..KKKKKK.IIIIII.XXX", N},
        {N, u"  Caption = 'It''s'#13#10'x' +",
            "..PPPPPPP...SSSSSSSSSSSSSSSS.S", N},
        {N, u"    'continued'#$41)",
            "....SSSSSSSSSSSSSSSD", N},
        {N, u"    Left = -8",
            "....PPPP...NN", N},
        {N, u"  Ratio = 1.5E+10s",
            "..PPPPP...NNNNNNNN", N},
        {N, u"  Cost = 12.5c",
            "..PPPP...NNNNN", N},
        {N, u"  Color = $00FF00",
            "..PPPPP...NNNNNNN", N},
        {N, u"  Font.Style = [fsBold, fsItalic]",
            "..PPPPPPPPPP...DIIIIIID.IIIIIIIID", N},
        {N, u"  Anchors = []",
            "..PPPPPPP...DD", N},
        {N, u"  Items.Strings = (",
            "..PPPPPPPPPPPPP...D", N},
        {N, u"    clRed",
            "....IIIII", N},
        {N, u"  Columns = <",
            "..PPPPPPP...D", N},
        {N, u"    item [3]",
            "....KKKK.XXX", N},
        {N, u"    end>",
            "....KKKD", N},
        {N, u"  end",
            "..KKK", N},
        {N, u"  Controller = .Owner",
            "..PPPPPPPPPP...IIIIII", N},
        {N, u"  Object = 5",
            "..PPPPPP...N", N},
        {N, u"  End = True",
            "..PPP...IIII", N},
        {N, u"  Caption = 'never closed",
            "..PPPPPPP...SSSSSSSSSSSSS", N},
        {N, u"  Надпись = 'Привет'",
            "..PPPPPPP...SSSSSSSS", N},
        // A binary block, on one line and over several.
        {N, u"  Data = {0A0B}",
            "..PPPP...BBBBBB", N},
        {N, u"  Picture.Data = {",
            "..PPPPPPPPPPPP...B", B},
        {B, u"    0A0B0C'end'",
            "BBBBBBBBBBBBBBB", B},
        {B, u"    0D0E}",
            "BBBBBBBBB", N},
        {B, u"  }  Tag = 1",
            "BBB..PPP...N", N},
        {N, u"",
            "", N},
    });
}

TEST(PascalSyntax, GivesEachPartOfALineItsRole)
{
    constexpr int N = PascalSyntax::Normal;
    constexpr int BC = PascalSyntax::InBraceComment;
    constexpr int SC = PascalSyntax::InStarComment;
    constexpr int BD = PascalSyntax::InBraceDirective;
    constexpr int SD = PascalSyntax::InStarDirective;
    checkLines(&PascalSyntax::scanLine, {
        {N, u"unit Main;",
            "KKKK......", N},
        {N, u"  x := $FF + 10 + 1.5e3 + %101 + &17;",
            ".......NNN...NN...NNNNN...NNNN...NNN.", N},
        {N, u"  for i := 1..9 do",
            "..KKK......N..N.KK", N},
        {N, u"  s := 'it''s'#13#$0A;",
            ".......SSSSSSSSSSSSSS.", N},
        {N, u"  s := '{ not a comment }';",
            ".......SSSSSSSSSSSSSSSSSSS.", N},
        {N, u"{ note } BEGIN End",
            "CCCCCCCC.KKKKK.KKK", N},
        {N, u"(* note *) end",
            "CCCCCCCCCC.KKK", N},
        {N, u"x // begin {",
            "..CCCCCCCCCC", N},
        {N, u"{$IFDEF X} (*$R+*)",
            "$$$$$$$$$$.$$$$$$$", N},
        {N, u"  Form.Type := &begin;",
            "......................", N},
        {N, u"  Caption := 'never closed",
            ".............SSSSSSSSSSSSS", N},
        {N, u"  Name: string; Ünit: Integer;",
            "........KKKKKK................", N},
        // Comments and directives that run over lines.
        {N, u"x { open",
            "..CCCCCC", BC},
        {BC, u"still } y",
            "CCCCCCC..", N},
        {N, u"(* open { }",
            "CCCCCCCCCCC", SC},
        {SC, u"} still *) begin",
            "CCCCCCCCCC.KKKKK", N},
        {N, u"{$IFDEF",
            "$$$$$$$", BD},
        {BD, u"X} end",
            "$$.KKK", N},
        {N, u"(*$HINTS",
            "$$$$$$$$", SD},
        {SD, u"OFF*)",
            "$$$$$", N},
        {BC, u"",
            "", BC},
    });
}

// Whatever a page holds, the spans stay within the line, in order, without overlap, and every
// state comes back as one the scanner knows.
TEST(Syntax, AnyTextGivesSpansWithinItsLine)
{
    const QString alphabet = QStringLiteral("{}()*$#'+-.,:=<>[]/ \t09AFaeEsc_objectendItem\u00e9\u4e2d");
    QRandomGenerator random(18);
    for (const auto& [scan, states] : {std::pair<Scanner, int>{&FormTextSyntax::scanLine, 2},
                                       std::pair<Scanner, int>{&PascalSyntax::scanLine, 5}}) {
        for (int round = 0; round < 3000; ++round) {
            QString line;
            const int length = random.bounded(40);
            for (int i = 0; i < length; ++i)
                line += alphabet[random.bounded(alphabet.size())];
            const int state = random.bounded(states);
            SyntaxSpans spans;
            const int end = scan(line, state, &spans);
            SCOPED_TRACE(line.toStdString());
            EXPECT_GE(end, 0);
            EXPECT_LT(end, states);
            int previousEnd = 0;
            for (const dfm::SyntaxSpan& span : spans) {
                EXPECT_GE(span.start, previousEnd);
                EXPECT_GT(span.length, 0);
                previousEnd = span.start + span.length;
            }
            EXPECT_LE(previousEnd, line.size());
        }
    }
}

// Real forms and units: every comment, directive and binary block that opens also closes, so a
// whole file read line by line ends in the normal state, and no line gives a span past its end.
TEST(Syntax, RealFormsAndUnitsEndOutsideAnyCommentOrBlock)
{
    const QDir corpus(QStringLiteral(DFM_CORPUS_DIR));
    ASSERT_TRUE(corpus.exists()) << "the shared test forms are expected in " << DFM_CORPUS_DIR;
    int files = 0;
    for (const char* folder : {"text", "pairs", "unit"}) {
        for (const QFileInfo& file : QDir(corpus.filePath(folder)).entryInfoList(QDir::Files)) {
            const QString suffix = file.suffix().toLower();
            const bool unit = suffix == "pas";
            if (!unit && suffix != "dfm" && suffix != "lfm" && suffix != "fmx" && suffix != "xfm")
                continue;
            QFile input(file.filePath());
            ASSERT_TRUE(input.open(QIODevice::ReadOnly)) << file.filePath().toStdString();
            const QString text = QString::fromLatin1(input.readAll());
            const Scanner scan = unit ? &PascalSyntax::scanLine : &FormTextSyntax::scanLine;
            int state = 0;
            int number = 0;
            for (const QStringView line : QStringView(text).split(u'\n')) {
                ++number;
                SyntaxSpans spans;
                state = scan(line, state, &spans);
                if (!spans.empty()) {
                    ASSERT_LE(spans.back().start + spans.back().length, line.size()) << number;
                }
            }
            EXPECT_EQ(state, 0) << file.filePath().toStdString();
            ++files;
        }
    }
    EXPECT_GT(files, 200);
}

TEST(SyntaxPalette, EveryRoleIsReadableOnItsBackground)
{
    const QColor navy(0, 0, 128);
    const QColor white(255, 255, 255);
    const QColor midGrey(128, 128, 128);
    std::vector<QColor> backgrounds = {navy, white, midGrey, QColor(118, 118, 118), QColor(119, 119, 119),
                                       Qt::black, Qt::yellow, Qt::red, Qt::blue, QColor(0, 128, 128)};
    for (int grey = 0; grey < 256; grey += 17)
        backgrounds.push_back(QColor(grey, grey, grey));
    for (int hue = 0; hue < 360; hue += 30)
        backgrounds.push_back(QColor::fromHsl(hue, 200, 110));
    for (const QColor& background : backgrounds) {
        SCOPED_TRACE(background.name().toStdString());
        const SyntaxPalette palette(background);
        for (int role = 0; role < dfm::SyntaxRoleCount; ++role) {
            const QColor color = palette.color(static_cast<SyntaxRole>(role));
            EXPECT_GE(SyntaxPalette::contrast(color, background), SyntaxPalette::MinimumContrast) << role;
            EXPECT_EQ(palette.format(static_cast<SyntaxRole>(role)).foreground().color(), color);
        }
    }
    // Light variants on navy, dark ones on white and on the mid grey, where black stands out more.
    for (const auto& [background, lighter] :
         {std::pair{navy, true}, std::pair{white, false}, std::pair{midGrey, false}}) {
        const SyntaxPalette palette(background);
        EXPECT_EQ(SyntaxPalette::luminance(palette.color(SyntaxRole::Keyword)) > SyntaxPalette::luminance(background),
                  lighter)
            << background.name().toStdString();
    }
}

TEST(SyntaxPalette, ContrastIsTheGuidelinesRatio)
{
    EXPECT_NEAR(SyntaxPalette::contrast(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(SyntaxPalette::contrast(Qt::white, Qt::white), 1.0, 1e-9);
    // #777777 on white is the well-known border case: just under 4.5.
    EXPECT_NEAR(SyntaxPalette::contrast(QColor(0x77, 0x77, 0x77), Qt::white), 4.48, 0.01);
    EXPECT_NEAR(SyntaxPalette::contrast(QColor(0, 0, 128), Qt::white), 16.0, 0.1);
}

}  // namespace
