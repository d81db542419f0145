// The object view's settings store and every name it is stored under: the file, its section and
// the window's values besides its placement.
#pragma once

#include "StoreFile.h"

#include <QLatin1StringView>

namespace dfm::ObjectViewStore {

inline constexpr StoreFile File{"QuenDFMEd", "QuenDFMEd.INI", QSettings::IniFormat};

// The window's section: its placement (written by WindowSettings) and the values below.
inline constexpr QLatin1StringView Section{"TFObjectView"};
// The tree's background colour, and its font prefix (StoredFont::valueNames appended).
inline constexpr QLatin1StringView TreeColor{"Outline1_Color"};
inline constexpr QLatin1StringView TreeFont{"Outline1_Font"};

}  // namespace dfm::ObjectViewStore
