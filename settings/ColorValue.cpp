// Colours to and from their stored values and texts.
#include "ColorValue.h"

#include <QGuiApplication>
#include <QPalette>

namespace dfm::ColorValue {

std::int32_t fromColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return static_cast<std::int32_t>(rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16));
}

QColor toColor(std::int32_t value)
{
    if (value >= 0)
        return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
    const QPalette palette = QGuiApplication::palette();
    switch (value) {
    case clWindowText: return palette.color(QPalette::Text);
    case clHighlight: return palette.color(QPalette::Highlight);
    case clHighlightText: return palette.color(QPalette::HighlightedText);
    case clBtnFace: return palette.color(QPalette::Button);
    case clBtnText: return palette.color(QPalette::ButtonText);
    case clInfoText: return palette.color(QPalette::ToolTipText);
    case clInfoBk: return palette.color(QPalette::ToolTipBase);
    default: return palette.color(QPalette::Base);
    }
}

std::int32_t fromText(const QString& text)
{
    bool number = false;
    const qlonglong value = text.trimmed().toLongLong(&number);
    if (!number || value < INT32_MIN || value > UINT32_MAX)
        return 0;
    // Written by a tool that prints the bits unsigned: the same 32 bits.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace dfm::ColorValue
