// The colours of the syntax roles, derived from a page's background so that each stays readable
// on it: light variants on a dark background, dark ones on a light background.
#pragma once

#include "SyntaxSpan.h"

#include <QColor>
#include <QTextCharFormat>

#include <array>

namespace dfm {

class SyntaxPalette {
public:
    // The least contrast ratio of any role's colour against the background.
    static constexpr double MinimumContrast = 4.5;

    SyntaxPalette() : SyntaxPalette(QColor(0, 0, 128)) {}
    explicit SyntaxPalette(const QColor& background);

    QColor background() const { return background_; }
    QColor color(SyntaxRole role) const { return colors_[static_cast<std::size_t>(role)]; }
    // The colour with the role's weight or slant.
    QTextCharFormat format(SyntaxRole role) const;
    // The plain text's colour: the one wanted when it is readable on the background, else white
    // or black, whichever stands out more.
    QColor readableText(const QColor& wanted) const;

    // Relative luminance and contrast ratio as the accessibility guidelines define them.
    static double luminance(const QColor& color);
    static double contrast(const QColor& one, const QColor& other);

private:
    QColor background_;
    std::array<QColor, SyntaxRoleCount> colors_;
};

}  // namespace dfm
