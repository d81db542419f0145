// Colours as the stored settings hold them: a signed 32-bit value, 0x00BBGGRR for a plain colour
// and negative (0x80000000 plus the index) for a colour of the desktop's scheme.
#pragma once

#include <QColor>
#include <QString>

#include <cstdint>

namespace dfm::ColorValue {

inline constexpr std::int32_t SystemFlag = INT32_MIN;
inline constexpr std::int32_t clWindow = SystemFlag | 5;
inline constexpr std::int32_t clWindowText = SystemFlag | 8;
inline constexpr std::int32_t clHighlight = SystemFlag | 13;
inline constexpr std::int32_t clHighlightText = SystemFlag | 14;
inline constexpr std::int32_t clBtnFace = SystemFlag | 15;
inline constexpr std::int32_t clBtnText = SystemFlag | 18;
inline constexpr std::int32_t clInfoText = SystemFlag | 23;
inline constexpr std::int32_t clInfoBk = SystemFlag | 24;

std::int32_t fromColor(const QColor& color);
// A scheme colour comes from the application's palette; an index it has no role for gives
// the window colour.
QColor toColor(std::int32_t value);
inline QString toText(std::int32_t value) { return QString::number(value); }
// Signed decimal; a text that is no number gives 0 (black).
std::int32_t fromText(const QString& text);

}  // namespace dfm::ColorValue
