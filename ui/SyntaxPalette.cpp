#include "SyntaxPalette.h"

#include <algorithm>
#include <cmath>

namespace dfm {

namespace {

// Hue in degrees, saturation, and the lightness each role starts from on a dark and on a light
// background; the lightness then moves away from the background until the contrast is enough.
struct RoleShade {
    double hue;
    double saturation;
    double onDark;
    double onLight;
};

constexpr std::array<RoleShade, SyntaxRoleCount> Shades = {{
    {45, 1.00, 0.62, 0.30},   // Keyword: amber
    {195, 0.70, 0.70, 0.30},  // Property: sky blue
    {110, 0.65, 0.60, 0.26},  // String: green
    {320, 0.90, 0.78, 0.38},  // Number: pink
    {20, 0.90, 0.78, 0.36},   // Identifier: salmon
    {0, 0.00, 0.88, 0.30},    // Delimiter: near the text's white or black
    {270, 0.90, 0.80, 0.45},  // OrderIndex: violet
    {50, 0.45, 0.66, 0.32},   // Binary: khaki
    {150, 0.25, 0.66, 0.34},  // Comment: green grey
    {0, 0.90, 0.74, 0.38},    // Directive: red
    {0, 0.00, 0.60, 0.40},    // LineNumber: grey
}};

// A little above the minimum, so that rounding to 8-bit channels cannot bring it below.
constexpr double TargetContrast = SyntaxPalette::MinimumContrast + 0.1;

double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

QColor readableShade(const RoleShade& shade, const QColor& background, bool darkBackground)
{
    const double step = darkBackground ? 0.01 : -0.01;
    double lightness = darkBackground ? shade.onDark : shade.onLight;
    for (;;) {
        const QColor color =
            QColor::fromHslF(static_cast<float>(shade.hue / 360.0), static_cast<float>(shade.saturation),
                             static_cast<float>(std::clamp(lightness, 0.0, 1.0)))
                .toRgb();
        if (SyntaxPalette::contrast(color, background) >= TargetContrast)
            return color;
        if (lightness <= 0.0 || lightness >= 1.0)
            break;
        lightness += step;
    }
    // Some backgrounds leave no hue readable: plain white or black, whichever stands out more.
    return darkBackground ? QColor(Qt::white) : QColor(Qt::black);
}

}  // namespace

SyntaxPalette::SyntaxPalette(const QColor& background) : background_(background.toRgb())
{
    background_.setAlpha(255);
    const bool dark = contrast(Qt::white, background_) >= contrast(Qt::black, background_);
    for (std::size_t role = 0; role < colors_.size(); ++role)
        colors_[role] = readableShade(Shades[role], background_, dark);
}

QTextCharFormat SyntaxPalette::format(SyntaxRole role) const
{
    QTextCharFormat format;
    format.setForeground(color(role));
    if (role == SyntaxRole::Keyword)
        format.setFontWeight(QFont::Bold);
    if (role == SyntaxRole::Comment)
        format.setFontItalic(true);
    return format;
}

QColor SyntaxPalette::readableText(const QColor& wanted) const
{
    if (wanted.isValid() && contrast(wanted, background_) >= MinimumContrast)
        return wanted;
    return contrast(Qt::white, background_) >= contrast(Qt::black, background_) ? QColor(Qt::white) : QColor(Qt::black);
}

double SyntaxPalette::luminance(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

double SyntaxPalette::contrast(const QColor& one, const QColor& other)
{
    const double a = luminance(one);
    const double b = luminance(other);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

}  // namespace dfm
