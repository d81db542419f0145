// The syntax roles of a line of Pascal: keywords, comments, compiler directives, strings and
// numbers. Comments and directives in braces or "(* *)" run over lines; the state carried from
// line to line says which one a line starts inside.
#pragma once

#include "SyntaxSpan.h"

#include <QStringView>

namespace dfm {

class PascalSyntax {
public:
    enum State { Normal = 0, InBraceComment = 1, InStarComment = 2, InBraceDirective = 3, InStarDirective = 4 };

    // Adds the spans of the line to spans (when given) and returns the state the next line
    // starts in. Any text gives an answer; what does not read as Pascal stays uncoloured.
    static int scanLine(QStringView line, int state, SyntaxSpans* spans);
    static bool isKeyword(QStringView word);
};

}  // namespace dfm
