// Small text rules shared by the editor's services: trimming and case folding that keep offsets.
#pragma once

#include <QString>

namespace dfm {

// Control characters and the space count as blanks in form text and units.
inline bool isBlank(QChar c)
{
    return c.unicode() <= 32;
}
// Removes leading and trailing blanks.
QStringView trimBlanksView(QStringView text);
QString trimBlanks(const QString& text);
// One character upper-cased; a surrogate half stays as it is, so that offsets keep their place.
inline QChar upperChar(QChar c)
{
    return c.isSurrogate() ? c : c.toUpper();
}
// Upper-cases character by character, so that every offset stays where it was.
QString upperCase(const QString& text);
bool sameText(const QString& a, const QString& b, bool matchCase);

}  // namespace dfm
