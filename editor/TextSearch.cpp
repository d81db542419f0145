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
        : text_(matchCase ? text : UpperCase(text)),
          needle_(matchCase ? pattern : UpperCase(pattern)),
          codePage_(codePage != nullptr && codePage->HasLeadBytes() ? codePage : nullptr),
          bytes_(codePage_ != nullptr ? PageText::ToBytes(text) : QByteArray())
    {
    }

    qsizetype Find(qsizetype start) const
    {
        if (needle_.isEmpty() || start < 0 || start > text_.size())
            return -1;
        for (qsizetype at = text_.indexOf(needle_, start); at >= 0; at = text_.indexOf(needle_, at + 1)) {
            if (codePage_ == nullptr
                || !codePage_->IsTrailByteAt(std::string_view(bytes_.constData(), bytes_.size()),
                                             static_cast<std::size_t>(at)))
                return at;
        }
        return -1;
    }

    qsizetype NeedleSize() const { return needle_.size(); }

private:
    QString text_;
    QString needle_;
    const CodePage* codePage_;
    QByteArray bytes_;
};

}  // namespace

qsizetype FindInText(const QString& text, const QString& pattern, bool matchCase, qsizetype start,
                     const CodePage* codePage)
{
    return Haystack(text, pattern, matchCase, codePage).Find(start);
}

std::vector<qsizetype> FindAllInText(const QString& text, const QString& pattern, bool matchCase, qsizetype start,
                                     const CodePage* codePage)
{
    const Haystack haystack(text, pattern, matchCase, codePage);
    std::vector<qsizetype> found;
    for (qsizetype at = haystack.Find(start); at >= 0; at = haystack.Find(at + haystack.NeedleSize()))
        found.push_back(at);
    return found;
}

}  // namespace dfm
