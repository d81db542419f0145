#include "TextSearch.h"

#include "CodePage.h"
#include "PageText.h"
#include "TextRules.h"

namespace dfm {

namespace {

// The text prepared once for any number of searches.
class Haystack {
public:
    Haystack(const QString& text, const QString& pattern, bool matchCase, const CodePage* codePage)
        : text_(matchCase ? text : upperCase(text)),
          needle_(matchCase ? pattern : upperCase(pattern)),
          codePage_(codePage != nullptr && codePage->hasLeadBytes() ? codePage : nullptr),
          bytes_(codePage_ != nullptr ? PageText::toBytes(text) : QByteArray())
    {
    }

    qsizetype find(qsizetype start) const
    {
        if (needle_.isEmpty() || start < 0 || start > text_.size())
            return -1;
        for (qsizetype at = text_.indexOf(needle_, start); at >= 0; at = text_.indexOf(needle_, at + 1)) {
            if (codePage_ == nullptr
                || !codePage_->isTrailByteAt(std::string_view(bytes_.constData(), bytes_.size()),
                                             static_cast<std::size_t>(at)))
                return at;
        }
        return -1;
    }

    qsizetype needleSize() const { return needle_.size(); }

private:
    QString text_;
    QString needle_;
    const CodePage* codePage_;
    QByteArray bytes_;
};

}  // namespace

qsizetype findInText(const QString& text, const QString& pattern, bool matchCase, qsizetype start,
                     const CodePage* codePage)
{
    return Haystack(text, pattern, matchCase, codePage).find(start);
}

std::vector<qsizetype> findAllInText(const QString& text, const QString& pattern, bool matchCase, qsizetype start,
                                     const CodePage* codePage)
{
    const Haystack haystack(text, pattern, matchCase, codePage);
    std::vector<qsizetype> found;
    for (qsizetype at = haystack.find(start); at >= 0; at = haystack.find(at + haystack.needleSize()))
        found.push_back(at);
    return found;
}

}  // namespace dfm
