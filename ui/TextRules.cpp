#include "TextRules.h"

namespace dfm {

QString trimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 32)
        ++first;
    while (last > first && text[last - 1].unicode() <= 32)
        --last;
    return text.mid(first, last - first);
}

QString upperCase(const QString& text)
{
    QString result(text);
    for (QChar& c : result) {
        // Surrogate halves stay as they are; a one-unit mapping keeps the length.
        if (!c.isSurrogate())
            c = c.toUpper();
    }
    return result;
}

bool sameText(const QString& a, const QString& b, bool matchCase)
{
    if (matchCase)
        return a == b;
    return upperCase(a) == upperCase(b);
}

}  // namespace dfm
