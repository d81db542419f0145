// Plain substring search over a page's text, with or without regard to case.
#pragma once

#include <QString>

#include <vector>

namespace dfm {

// Offset of the first occurrence of pattern at or after start, or -1.
qsizetype findInText(const QString& text, const QString& pattern, bool matchCase, qsizetype start);

// Offset of the last occurrence that starts before end, or -1.
qsizetype findLastInText(const QString& text, const QString& pattern, bool matchCase, qsizetype end);

// Offsets of every occurrence at or after start that a search resuming after each match finds,
// in order (occurrences never overlap).
std::vector<qsizetype> findAllInText(const QString& text, const QString& pattern, bool matchCase, qsizetype start);

}  // namespace dfm
