#include "TextRules.h"

namespace dfm {

QStringView trimBlanksView(QStringView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

QString trimBlanks(const QString& text)
{
    return trimBlanksView(text).toString();
}

QString upperCase(const QString& text)
{
    QString result(text);
    for (QChar& c : result)
        c = upperChar(c);
    return result;
}

bool sameText(const QString& a, const QString& b, bool matchCase)
{
    if (matchCase)
        return a == b;
    return upperCase(a) == upperCase(b);
}

}  // namespace dfm
