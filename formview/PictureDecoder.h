// The pictures a form stores, decoded for drawing; a damaged, unsupported or too large one is
// refused with the reason, for a placeholder and a warning.
#pragma once

#include "FormPicture.h"

#include <QImage>
#include <QString>

namespace dfm {

// A picture decoded for drawing, or why it cannot be: a damaged or unsupported picture, or one
// larger than the caps, is never decoded (the caller draws a placeholder).
struct DecodedPicture {
    QImage image;     // null when not decoded
    QString problem;  // "damaged JPEG picture", "metafile not drawn", "picture of 20000 x 20000
                      // pixels is larger than 16384 x 16384"; empty when decoded
};

inline constexpr int LargestPictureSide = 16384;
// The memory a decoded picture may take at four bytes a pixel; the image readers' own allocation
// limit is held to it too, where it is not lower already.
inline constexpr int LargestPictureMegabytes = 128;

// Reads the picture's size first and refuses it beyond the caps before anything is decoded.
DecodedPicture decodePicture(const FormPicture& picture);

// A button glyph: the first of numGlyphs images side by side (the up state), or the second (the
// disabled one) when enabled is false and numGlyphs > 1, with the colour of the bottom-left pixel
// made transparent, as buttons draw glyphs. numGlyphs counts 1 to 4, as buttons take it.
QImage buttonGlyph(const QImage& glyphs, int numGlyphs, bool enabled);

}  // namespace dfm
