// One value of a settings store read or written as text: the one reader and writer of all three
// stores (editor, object view, grep).
#pragma once

#include <QSettings>
#include <QString>

#include <optional>

namespace dfm::StoredValue {

// The longest value the INI store hands back; longer ones are cut.
inline constexpr int IniFileLimit = 2047;

// What becomes of the characters 0 to 32 at either end of a text, read or written. The window
// stores trim them; the grep store keeps them, as a search key's blanks are part of the key.
enum class Blanks { Trimmed, Kept };

// The text under key, or nothing when the store holds no value there or one that is no text at
// all (a damaged entry). A value the INI reader split at its commas is joined again.
std::optional<QString> read(const QSettings& settings, const QString& key, Blanks blanks = Blanks::Trimmed);
// Written so that read gives the text back, commas and quotes included (and, kept, its blanks).
void write(QSettings& settings, const QString& key, const QString& text, Blanks blanks = Blanks::Trimmed);
// Writes everything out; false when the store could not be written.
bool flush(QSettings& settings);

}  // namespace dfm::StoredValue
