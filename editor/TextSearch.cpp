#include "TextSearch.h"

#include "TextRules.h"

#include <algorithm>

namespace dfm {

namespace {

// The text prepared once for any number of searches.
class Haystack {
public:
    Haystack(const QString& text, const QString& pattern, bool matchCase)
        : text_(matchCase ? text : upperCase(text)), needle_(matchCase ? pattern : upperCase(pattern))
    {
    }

    qsizetype find(qsizetype start) const
    {
        if (needle_.isEmpty() || start < 0 || start > text_.size())
            return -1;
        return text_.indexOf(needle_, start);
    }

    qsizetype findBefore(qsizetype end) const
    {
        if (needle_.isEmpty() || end <= 0)
            return -1;
        return text_.lastIndexOf(needle_, std::min(end, text_.size()) - 1);
    }

    qsizetype needleSize() const { return needle_.size(); }

private:
    QString text_;
    QString needle_;
};

}  // namespace

qsizetype findInText(const QString& text, const QString& pattern, bool matchCase, qsizetype start)
{
    return Haystack(text, pattern, matchCase).find(start);
}

qsizetype findLastInText(const QString& text, const QString& pattern, bool matchCase, qsizetype end)
{
    return Haystack(text, pattern, matchCase).findBefore(end);
}

std::vector<qsizetype> findAllInText(const QString& text, const QString& pattern, bool matchCase, qsizetype start)
{
    const Haystack haystack(text, pattern, matchCase);
    std::vector<qsizetype> found;
    for (qsizetype at = haystack.find(start); at >= 0; at = haystack.find(at + haystack.needleSize()))
        found.push_back(at);
    return found;
}

}  // namespace dfm
