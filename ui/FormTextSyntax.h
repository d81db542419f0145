// The syntax roles of a line of form text. A binary block is the one construct that runs over
// lines; the state carried from line to line says whether a line starts inside one.
#pragma once

#include "SyntaxSpan.h"

#include <QStringView>

namespace dfm {

class FormTextSyntax {
public:
    enum State { Normal = 0, InBinary = 1 };

    // Adds the spans of the line to spans (when given) and returns the state the next line
    // starts in. Any text gives an answer; what does not read as form text stays uncoloured.
    static int scanLine(QStringView line, int state, SyntaxSpans* spans);
};

}  // namespace dfm
