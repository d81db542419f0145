#include "FormColors.h"

#include "AsciiText.h"
#include "FormValue.h"

#include <array>
#include <cstdint>

namespace dfm {

namespace {

constexpr QRgb rgb(int r, int g, int b) { return qRgb(r, g, b); }

// The system colours by index (clScrollBar is 0), as the classic desktop scheme sets them.
constexpr std::array<QRgb, 31> SystemPalette{
    rgb(200, 200, 200),  // clScrollBar
    rgb(0, 128, 128),    // clBackground
    rgb(0, 0, 128),      // clActiveCaption
    rgb(128, 128, 128),  // clInactiveCaption
    rgb(212, 208, 200),  // clMenu
    rgb(255, 255, 255),  // clWindow
    rgb(0, 0, 0),        // clWindowFrame
    rgb(0, 0, 0),        // clMenuText
    rgb(0, 0, 0),        // clWindowText
    rgb(255, 255, 255),  // clCaptionText
    rgb(212, 208, 200),  // clActiveBorder
    rgb(212, 208, 200),  // clInactiveBorder
    rgb(128, 128, 128),  // clAppWorkSpace
    rgb(10, 36, 106),    // clHighlight
    rgb(255, 255, 255),  // clHighlightText
    rgb(212, 208, 200),  // clBtnFace
    rgb(128, 128, 128),  // clBtnShadow
    rgb(128, 128, 128),  // clGrayText
    rgb(0, 0, 0),        // clBtnText
    rgb(212, 208, 200),  // clInactiveCaptionText
    rgb(255, 255, 255),  // clBtnHighlight
    rgb(64, 64, 64),     // cl3DDkShadow
    rgb(212, 208, 200),  // cl3DLight
    rgb(0, 0, 0),        // clInfoText
    rgb(255, 255, 225),  // clInfoBk
    rgb(0, 0, 0),        // (unused index 25)
    rgb(0, 0, 255),      // clHotLight
    rgb(166, 202, 240),  // clGradientActiveCaption
    rgb(192, 192, 192),  // clGradientInactiveCaption
    rgb(49, 106, 197),   // clMenuHighlight
    rgb(236, 233, 216),  // clMenuBar
};

constexpr std::uint32_t SystemFlag = 0xFF000000;

struct ColorName {
    std::string_view name;
    std::uint32_t value;
};

// Every name a form may write for a colour, with the number it stands for.
constexpr std::array ColorNames{
    ColorName{"clBlack", 0x000000},   ColorName{"clMaroon", 0x000080},  ColorName{"clGreen", 0x008000},
    ColorName{"clOlive", 0x008080},   ColorName{"clNavy", 0x800000},    ColorName{"clPurple", 0x800080},
    ColorName{"clTeal", 0x808000},    ColorName{"clGray", 0x808080},    ColorName{"clSilver", 0xC0C0C0},
    ColorName{"clRed", 0x0000FF},     ColorName{"clLime", 0x00FF00},    ColorName{"clYellow", 0x00FFFF},
    ColorName{"clBlue", 0xFF0000},    ColorName{"clFuchsia", 0xFF00FF}, ColorName{"clAqua", 0xFFFF00},
    ColorName{"clLtGray", 0xC0C0C0},  ColorName{"clDkGray", 0x808080},  ColorName{"clWhite", 0xFFFFFF},
    ColorName{"clMoneyGreen", 0xC0DCC0}, ColorName{"clSkyBlue", 0xF0CAA6}, ColorName{"clCream", 0xF0FBFF},
    ColorName{"clMedGray", 0xA4A0A0}, ColorName{"clNone", 0x1FFFFFFF}, ColorName{"clDefault", 0x20000000},
    ColorName{"clScrollBar", SystemFlag | 0},          ColorName{"clBackground", SystemFlag | 1},
    ColorName{"clActiveCaption", SystemFlag | 2},      ColorName{"clInactiveCaption", SystemFlag | 3},
    ColorName{"clMenu", SystemFlag | 4},               ColorName{"clWindow", SystemFlag | 5},
    ColorName{"clWindowFrame", SystemFlag | 6},        ColorName{"clMenuText", SystemFlag | 7},
    ColorName{"clWindowText", SystemFlag | 8},         ColorName{"clCaptionText", SystemFlag | 9},
    ColorName{"clActiveBorder", SystemFlag | 10},      ColorName{"clInactiveBorder", SystemFlag | 11},
    ColorName{"clAppWorkSpace", SystemFlag | 12},      ColorName{"clHighlight", SystemFlag | 13},
    ColorName{"clHighlightText", SystemFlag | 14},     ColorName{"clBtnFace", SystemFlag | 15},
    ColorName{"clBtnShadow", SystemFlag | 16},         ColorName{"clGrayText", SystemFlag | 17},
    ColorName{"clBtnText", SystemFlag | 18},           ColorName{"clInactiveCaptionText", SystemFlag | 19},
    ColorName{"clBtnHighlight", SystemFlag | 20},      ColorName{"cl3DDkShadow", SystemFlag | 21},
    ColorName{"cl3DLight", SystemFlag | 22},           ColorName{"clInfoText", SystemFlag | 23},
    ColorName{"clInfoBk", SystemFlag | 24},            ColorName{"clHotLight", SystemFlag | 26},
    ColorName{"clGradientActiveCaption", SystemFlag | 27}, ColorName{"clGradientInactiveCaption", SystemFlag | 28},
    ColorName{"clMenuHighlight", SystemFlag | 29},     ColorName{"clMenuBar", SystemFlag | 30},
};

QColor systemColor(int index) { return QColor::fromRgb(SystemPalette[static_cast<std::size_t>(index)]); }

}  // namespace

std::optional<QColor> FormColors::fromNumber(std::int64_t number)
{
    if (number < 0 && number >= INT32_MIN)
        number &= 0xFFFFFFFF;
    if (number < 0 || number > 0xFFFFFFFF)
        return std::nullopt;
    const auto value = static_cast<std::uint32_t>(number);
    if ((value & SystemFlag) == SystemFlag) {
        const std::uint32_t index = value & 0xFF;
        if (index >= SystemPalette.size())
            return std::nullopt;
        return systemColor(static_cast<int>(index));
    }
    // clNone and clDefault are no colour of their own.
    if (value > 0xFFFFFF)
        return std::nullopt;
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

std::optional<QColor> FormColors::fromName(std::string_view name)
{
    for (const ColorName& known : ColorNames) {
        if (ascii::equalsIgnoringCase(name, known.name))
            return fromNumber(known.value);
    }
    return std::nullopt;
}

std::vector<std::string_view> FormColors::names()
{
    std::vector<std::string_view> names;
    names.reserve(ColorNames.size());
    for (const ColorName& known : ColorNames)
        names.push_back(known.name);
    return names;
}

std::optional<std::string_view> FormColors::nameOf(const QColor& color)
{
    if (!color.isValid())
        return std::nullopt;
    const std::uint32_t value = static_cast<std::uint32_t>(color.red()) | static_cast<std::uint32_t>(color.green()) << 8
        | static_cast<std::uint32_t>(color.blue()) << 16;
    for (const ColorName& known : ColorNames) {
        if (known.value == value)
            return known.name;
    }
    return std::nullopt;
}

std::optional<QColor> FormColors::fromValue(const FormValue& value)
{
    if (const std::optional<std::int64_t> number = value.integer())
        return fromNumber(*number);
    if (value.kind() == ValueTag::Identifier)
        return fromName(value.text());
    return std::nullopt;
}

QColor FormColors::buttonFace() { return systemColor(15); }
QColor FormColors::buttonHighlight() { return systemColor(20); }
QColor FormColors::buttonShadow() { return systemColor(16); }
QColor FormColors::darkShadow() { return systemColor(21); }
QColor FormColors::window() { return systemColor(5); }
QColor FormColors::windowText() { return systemColor(8); }
QColor FormColors::highlight() { return systemColor(13); }
QColor FormColors::grayText() { return systemColor(17); }

}  // namespace dfm
