// Stored texts of fonts and colours: the forms written, and what damaged texts do to a font.
#include "ColorValue.h"
#include "StoredFont.h"

#include <gtest/gtest.h>

namespace ColorValue = dfm::ColorValue;
using dfm::StoredFont;

namespace {

StoredFont tenPointFont()
{
    StoredFont font;
    font.font = QFont(QStringLiteral("Sans"));
    font.font.setPointSize(10);
    return font;
}

}  // namespace

TEST(StoredTexts, FontIsWrittenAsSevenValuesAndReadBack)
{
    StoredFont font;
    font.font = QFont(QStringLiteral("Courier New"));
    font.font.setPointSize(8);
    font.font.setBold(true);
    font.font.setItalic(true);
    font.color = ColorValue::clWindow;
    font.charset = 0;
    font.pitch = StoredFont::Pitch::Fixed;
    const QStringList texts = {"0", "-2147483643", "-11", "Courier New", "fpFixed", "8", "[fsBold,fsItalic]"};
    ASSERT_EQ(StoredFont::valueNames(), QStringList({"Charset", "Color", "Height", "Name", "Pitch", "Size", "Style"}));
    StoredFont back = tenPointFont();
    for (int i = 0; i < texts.size(); ++i) {
        const QString name = StoredFont::valueNames()[i];
        EXPECT_EQ(font.valueText(name, 96), texts[i]) << name.toStdString();
        back.setValueText(name, texts[i], 96);
    }
    for (const QString& name : StoredFont::valueNames())
        EXPECT_EQ(back.valueText(name, 96), font.valueText(name, 96)) << name.toStdString();

    font.font.setUnderline(true);
    font.font.setStrikeOut(true);
    EXPECT_EQ(font.valueText("Style", 96), "[fsBold,fsItalic,fsUnderline,fsStrikeOut]");
    EXPECT_EQ(tenPointFont().valueText("Style", 96), "[]");
    EXPECT_EQ(tenPointFont().valueText("Height", 120), "-17");
}

TEST(StoredTexts, FontTextsOnADefaultTenPointFont)
{
    struct Case {
        QStringList assignments;  // name=text, applied in turn
        const char* probe;
        const char* expected;
        int dotsPerInch = 96;
    };
    const Case cases[] = {
        {{"Style=[fsStrikeOut, junk,,FSBOLD]"}, "Style", "[fsBold,fsStrikeOut]"},
        {{"Style=[fsBold]", "Style=[nonsense]"}, "Style", "[]"},
        {{"Size=14"}, "Size", "14"},
        {{"Size=0"}, "Size", "10"},
        {{"Size=-3"}, "Size", "10"},
        {{"Size=4000"}, "Size", "10"},
        {{"Height=-20"}, "Size", "12", 120},
        {{"Height=-16", "Size=9"}, "Size", "9"},
        {{"Height=-16", "Size=0"}, "Size", "12"},
        {{"Name="}, "Name", "Sans"},
        {{"Pitch=FPVARIABLE"}, "Pitch", "fpVariable"},
        {{"Pitch=fpWide"}, "Pitch", "fpDefault"},
        {{"Charset=300"}, "Charset", "1"},
        {{"Charset=x"}, "Charset", "0"},
        {{"Color=letters"}, "Color", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.assignments.join(u' ').toStdString());
        StoredFont font = tenPointFont();
        for (const QString& assignment : c.assignments)
            font.setValueText(assignment.section(u'=', 0, 0), assignment.section(u'=', 1), c.dotsPerInch);
        EXPECT_EQ(font.valueText(c.probe, c.dotsPerInch), c.expected);
    }
}
