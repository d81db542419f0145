// Syntax colours over a text document, computed only where they are seen. Opening a large page
// must not wait for every line to be coloured: each line's end state is kept in its block and
// found by a quick scan from the last line known, and the lines are coloured when they are about
// to be painted, or at once when an edit changes a few of them. Colours live in the blocks'
// layouts only, never in the text, its undo history or its modified flag.
#pragma once

#include "SyntaxPalette.h"

#include <QObject>
#include <QTextBlock>

#include <array>

class QTextDocument;

namespace dfm {

class PageHighlighter : public QObject {
    Q_OBJECT
public:
    // Adds a line's spans (when given) to spans, returns the state the next line starts in.
    using LineScanner = int (*)(QStringView line, int state, SyntaxSpans* spans);

    PageHighlighter(QTextDocument* document, LineScanner scanner, QObject* parent);

    bool isEnabled() const { return enabled_; }
    // Off takes the colours away from every line that has them.
    void setEnabled(bool on);
    const SyntaxPalette& palette() const { return palette_; }
    void setPalette(const SyntaxPalette& palette);

    // Brings the colours of the lines first to last (those a page is about to paint) up to date.
    void colourBlocks(const QTextBlock& first, const QTextBlock& last);
    // The state the line starts in, from the lines above it.
    int stateAtStart(const QTextBlock& block);

private:
    void contentsChanged(int position, int removed, int added);
    void editFinished();
    // Has the layout take the new formats of the lines in the range.
    void relayout(int position, int length);
    // Makes the end states known down to the 0-based line number.
    void ensureStates(int lastLine);
    // Colours one line that starts in the state given; returns the state it ends in.
    int colourBlock(QTextBlock block, int startState);
    bool isColouredFor(const QTextBlock& block, int startState) const;
    void clearColours();

    QTextDocument* document_;
    LineScanner scanner_;
    SyntaxPalette palette_;
    std::array<QTextCharFormat, SyntaxRoleCount> formats_;
    bool enabled_ = true;
    // Raised by a change of palette, so that lines coloured before are coloured again.
    int generation_ = 0;
    // The lines above this 0-based number hold their end state as their block's user state.
    int statesKnownBefore_ = 0;
    SyntaxSpans spans_;
    // The range of the edit in progress, when it is small enough to be coloured at once.
    int editStart_ = -1;
    int editEnd_ = -1;
};

}  // namespace dfm
