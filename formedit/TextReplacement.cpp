// Replacements made on a plain string, as a test or a check before the page is touched does.
#include "TextReplacement.h"

namespace dfm {

namespace {

// The offsets at which each line starts.
std::vector<qsizetype> lineStarts(const QString& text)
{
    std::vector<qsizetype> starts{0};
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n')
            starts.push_back(i + 1);
    }
    return starts;
}

qsizetype offsetOf(const std::vector<qsizetype>& starts, const QString& text, TextPlace place)
{
    const auto line = static_cast<std::size_t>(place.line);
    if (line >= starts.size())
        return text.size();
    return std::min(starts[line] + place.column, text.size());
}

}  // namespace

QString replaced(const QString& text, const TextReplacements& replacements)
{
    const std::vector<qsizetype> starts = lineStarts(text);
    QString result = text;
    for (auto it = replacements.rbegin(); it != replacements.rend(); ++it) {
        const qsizetype from = offsetOf(starts, text, it->from);
        const qsizetype to = offsetOf(starts, text, it->to);
        result.replace(from, to - from, it->text);
    }
    return result;
}

}  // namespace dfm
