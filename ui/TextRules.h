// Small text rules shared by the editor's services: trimming and case folding that keep offsets.
#pragma once

#include <QString>

namespace dfm {

// Removes leading and trailing characters with codes up to 32.
QString TrimBlanks(const QString& text);
// Upper-cases character by character, so that every offset stays where it was.
QString UpperCase(const QString& text);
bool SameText(const QString& a, const QString& b, bool matchCase);

}  // namespace dfm
