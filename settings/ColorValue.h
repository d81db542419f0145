// Colours as the stored settings hold them: a signed 32-bit value, 0x00BBGGRR for a plain colour
// and negative (0x80000000 plus the index) for a colour of the desktop's scheme.
#pragma once

#include <QColor>
#include <QString>

#include <cstdint>

namespace dfm {

class ColorValue {
public:
    static constexpr std::int32_t SystemFlag = INT32_MIN;
    static constexpr std::int32_t clWindow = SystemFlag | 5;
    static constexpr std::int32_t clWindowText = SystemFlag | 8;
    static constexpr std::int32_t clHighlight = SystemFlag | 13;
    static constexpr std::int32_t clHighlightText = SystemFlag | 14;
    static constexpr std::int32_t clBtnFace = SystemFlag | 15;
    static constexpr std::int32_t clBtnText = SystemFlag | 18;
    static constexpr std::int32_t clInfoText = SystemFlag | 23;
    static constexpr std::int32_t clInfoBk = SystemFlag | 24;

    static std::int32_t fromColor(const QColor& color);
    // A scheme colour comes from the application's palette; an index it has no role for gives
    // the window colour.
    static QColor toColor(std::int32_t value);
    static QString toText(std::int32_t value) { return QString::number(value); }
    // Signed decimal; a text that is no number gives 0 (black).
    static std::int32_t fromText(const QString& text);
};

}  // namespace dfm
