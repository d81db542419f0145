#include "TextSearch.h"

#include "CodePage.h"
#include "PageText.h"
#include "TextRules.h"

namespace dfm {

qsizetype FindInText(const QString& text, const QString& pattern, bool matchCase, qsizetype start,
                     const CodePage* codePage)
{
    if (pattern.isEmpty() || start < 0 || start > text.size())
        return -1;
    const QString haystack = matchCase ? text : UpperCase(text);
    const QString needle = matchCase ? pattern : UpperCase(pattern);
    const bool checkTrailBytes = codePage != nullptr && codePage->HasLeadBytes();
    const QByteArray bytes = checkTrailBytes ? PageText::ToBytes(text) : QByteArray();
    for (qsizetype at = haystack.indexOf(needle, start); at >= 0; at = haystack.indexOf(needle, at + 1)) {
        if (!checkTrailBytes
            || !codePage->IsTrailByteAt(std::string_view(bytes.constData(), bytes.size()),
                                        static_cast<std::size_t>(at)))
            return at;
    }
    return -1;
}

}  // namespace dfm
