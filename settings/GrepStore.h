// The grep window's settings store and every name it is stored under: the file, its sections and
// their values.
#pragma once

#include "StoreFile.h"
#include "StoredValue.h"

#include <QLatin1StringView>

namespace dfm::GrepStore {

inline constexpr StoreFile File{"QUENDFMED", "GREP.conf", QSettings::NativeFormat};
// A search key, mask or folder is kept exactly as typed.
inline constexpr StoredValue::Blanks Blanks = StoredValue::Blanks::Kept;

// Yes/no options, "1" or "0".
inline constexpr QLatin1StringView OptionsSection{"Options"};
inline constexpr QLatin1StringView CaseSensitive{"CaseSensitive"};
inline constexpr QLatin1StringView SubDirs{"SubDirs"};
inline constexpr QLatin1StringView KeepList{"KeepList"};
inline constexpr QLatin1StringView SortList{"SortList"};
inline constexpr QLatin1StringView AnyEncoding{"AnyEncoding"};
inline constexpr QLatin1StringView FormStrings{"FormStrings"};

// The boxes' histories: the items under "000", "001", ..., then the box's text (GrepSettings).
inline constexpr QLatin1StringView DirectorySection{"Directory"};
inline constexpr QLatin1StringView ExpressionSection{"Expression"};
inline constexpr QLatin1StringView MaskSection{"Mask"};

}  // namespace dfm::GrepStore
