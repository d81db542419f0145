// Small text rules shared by the editor's services: trimming and case folding that keep offsets.
#pragma once

#include <QString>

namespace dfm {

// Removes leading and trailing characters with codes up to 32.
QString trimBlanks(const QString& text);
// Upper-cases character by character, so that every offset stays where it was.
QString upperCase(const QString& text);
bool sameText(const QString& a, const QString& b, bool matchCase);

}  // namespace dfm
