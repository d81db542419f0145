// Which name the declaration and implementation finder looks for, from a line of form text.
#pragma once

#include <QString>

namespace dfm {

namespace DeclarationFinder {

enum class Mode { Declaration, Implementation };
enum class Outcome { Nothing, InheritedHasNoDeclaration, Search };
struct Target {
    Outcome outcome = Outcome::Nothing;
    QString name;
};

// line: the form-text line at the caret; text: the whole page with "\n" between lines;
// selectionStart: the caret's offset into text.
Target nameAt(const QString& line, const QString& text, qsizetype selectionStart, Mode mode);

}  // namespace DeclarationFinder

}  // namespace dfm
