// What the syntax colours know of a line: its spans, each of one role, coloured by a SyntaxPalette.
#pragma once

#include <vector>

namespace dfm {

enum class SyntaxRole {
    Keyword,
    Property,
    String,
    Number,
    Identifier,
    Delimiter,   // the brackets and commas of sets and lists
    OrderIndex,  // "[n]" after an object's class or a collection item
    Binary,      // a binary block "{...}"
    Comment,
    Directive,   // a compiler directive "{$...}"
    LineNumber,  // the numbers in a page's gutter, never a span of text
};
inline constexpr int SyntaxRoleCount = static_cast<int>(SyntaxRole::LineNumber) + 1;

struct SyntaxSpan {
    int start;
    int length;
    SyntaxRole role;
    bool operator==(const SyntaxSpan&) const = default;
};
using SyntaxSpans = std::vector<SyntaxSpan>;

}  // namespace dfm
