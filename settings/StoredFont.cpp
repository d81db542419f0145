// The texts of a stored font's seven values, both ways.
#include "StoredFont.h"

#include <QRegularExpression>

#include <array>
#include <cmath>

namespace dfm {

namespace {

const QString Charset = QStringLiteral("Charset");
const QString Color = QStringLiteral("Color");
const QString Height = QStringLiteral("Height");
const QString Name = QStringLiteral("Name");
const QString PitchName = QStringLiteral("Pitch");
const QString Size = QStringLiteral("Size");
const QString Style = QStringLiteral("Style");

const std::array<QString, 3> PitchTexts = {QStringLiteral("fpDefault"), QStringLiteral("fpVariable"),
                                           QStringLiteral("fpFixed")};

// In the order the set text lists them.
enum StyleBit { Bold, Italic, Underline, StrikeOut, StyleCount };
const std::array<QString, StyleCount> StyleTexts = {QStringLiteral("fsBold"), QStringLiteral("fsItalic"),
                                                    QStringLiteral("fsUnderline"), QStringLiteral("fsStrikeOut")};

double pointSizeOf(const QFont& font, int dotsPerInch)
{
    if (font.pointSizeF() > 0)
        return font.pointSizeF();
    return font.pixelSize() * 72.0 / dotsPerInch;
}

void setPointSize(QFont& font, int points)
{
    if (points >= 1 && points <= StoredFont::MaxPointSize)
        font.setPointSize(points);
}

}  // namespace

const QStringList& StoredFont::valueNames()
{
    static const QStringList names = {Charset, Color, Height, Name, PitchName, Size, Style};
    return names;
}

QString StoredFont::valueText(const QString& valueName, int dotsPerInch) const
{
    if (valueName == Charset)
        return QString::number(charset);
    if (valueName == Color)
        return ColorValue::toText(color);
    if (valueName == Height)
        return QString::number(-std::lround(pointSizeOf(font, dotsPerInch) * dotsPerInch / 72.0));
    if (valueName == Name)
        return font.family();
    if (valueName == PitchName)
        return PitchTexts[static_cast<std::size_t>(pitch)];
    if (valueName == Size)
        return QString::number(std::lround(pointSizeOf(font, dotsPerInch)));
    if (valueName == Style) {
        const std::array<bool, StyleCount> present = {font.bold(), font.italic(), font.underline(), font.strikeOut()};
        QStringList members;
        for (int bit = 0; bit < StyleCount; ++bit) {
            if (present[bit])
                members << StyleTexts[bit];
        }
        return u'[' + members.join(u',') + u']';
    }
    return QString();
}

void StoredFont::setValueText(const QString& valueName, const QString& text, int dotsPerInch)
{
    bool number = false;
    const int value = text.trimmed().toInt(&number);
    if (valueName == Charset) {
        if (!number)
            charset = 0;
        else if (value >= 0 && value <= 255)
            charset = value;
    } else if (valueName == Color) {
        color = ColorValue::fromText(text);
    } else if (valueName == Height) {
        // Either sign is taken as the character height: the cell height a positive value would
        // mean needs metrics of a font we may not have.
        if (number && value != 0 && dotsPerInch > 0) {
            const double points = std::abs(static_cast<double>(value)) * 72.0 / dotsPerInch;
            setPointSize(font, static_cast<int>(std::lround(points)));
        }
    } else if (valueName == Name) {
        if (!text.trimmed().isEmpty())
            font.setFamily(text.trimmed());
    } else if (valueName == PitchName) {
        for (std::size_t i = 0; i < PitchTexts.size(); ++i) {
            if (text.trimmed().compare(PitchTexts[i], Qt::CaseInsensitive) == 0)
                pitch = static_cast<Pitch>(i);
        }
    } else if (valueName == Size) {
        if (number)
            setPointSize(font, value);
    } else if (valueName == Style) {
        // Words that name no style are skipped; the font gets exactly the styles named.
        static const QRegularExpression separators(QStringLiteral("[\\s,\\[\\]]+"));
        std::array<bool, StyleCount> present = {};
        for (const QString& word : text.split(separators, Qt::SkipEmptyParts)) {
            for (int bit = 0; bit < StyleCount; ++bit) {
                if (word.compare(StyleTexts[bit], Qt::CaseInsensitive) == 0)
                    present[bit] = true;
            }
        }
        font.setBold(present[Bold]);
        font.setItalic(present[Italic]);
        font.setUnderline(present[Underline]);
        font.setStrikeOut(present[StrikeOut]);
    }
}

}  // namespace dfm
