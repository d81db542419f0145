// One change of a text: the characters between two places replaced by others. The places are
// 0-based lines and UTF-16 columns, so that a page's text document takes them as they are.
#pragma once

#include <QString>

#include <vector>

namespace dfm {

struct TextPlace {
    int line = 0;
    int column = 0;

    auto operator<=>(const TextPlace&) const = default;
};

struct TextReplacement {
    TextPlace from;
    TextPlace to;  // the first character kept
    QString text;

    bool operator==(const TextReplacement&) const = default;
};

// Sorted by place, none overlapping another; applied from the last to the first, so that each
// place still means what it meant in the original text.
using TextReplacements = std::vector<TextReplacement>;

// The text with the replacements made; lines joined by "\n".
QString replaced(const QString& text, const TextReplacements& replacements);

}  // namespace dfm
