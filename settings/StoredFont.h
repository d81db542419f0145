// A font as the stored settings keep it: the font with the colour, character set and pitch that
// travel with it, and the texts of its seven stored values.
#pragma once

#include "ColorValue.h"

#include <QFont>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace dfm {

struct StoredFont {
    enum class Pitch { Default, Variable, Fixed };

    QFont font;
    std::int32_t color = ColorValue::clWindowText;
    int charset = 1;
    Pitch pitch = Pitch::Default;

    // A stored size beyond this many points is damage, not a font anyone could use.
    static constexpr int MaxPointSize = 400;

    // The sub-value names in the order they are written and read back: Charset, Color, Height,
    // Name, Pitch, Size, Style. Reading them in this order lets Size override Height.
    static const QStringList& valueNames();
    // The text of one sub-value; dotsPerInch turns the size into the character height in pixels.
    QString valueText(const QString& valueName, int dotsPerInch) const;
    // Takes one sub-value's text; a text that makes no sense for it leaves the font as it is,
    // except that a colour or character set that is no number becomes 0.
    void setValueText(const QString& valueName, const QString& text, int dotsPerInch);
};

}  // namespace dfm
