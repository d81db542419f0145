// One editor page: shows a page text of the document, plain, no wrap. The text and its modified
// mark are the document's; the syntax colours and line numbers only change how it is shown.
#pragma once

#include "PageHighlighter.h"
#include "SyntaxPalette.h"

#include <QPlainTextEdit>
#include <QTextBlock>

#include <utility>

namespace dfm {

class LineNumberGutter;

class PageEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    // text: the document's page text to show and edit; it outlives the page.
    PageEditor(QTextDocument* text, QWidget* parent);

    // The text exactly as held, lines joined by "\n".
    QString text() const;
    bool canUndo() const;
    bool canRedo() const;
    // Keys that belong to commands of another page: here they do nothing, rather than type.
    void setInertKeys(const QList<QKeySequence>& keys) { inertKeys_ = keys; }

    // Selection in offsets of the shown text; the caret ends at start + length.
    void select(qsizetype start, qsizetype length);
    // Selects from start to the end of its line with the caret on the first of the line break's
    // two characters (CR LF), where a line shown by its index ends: the caret column counts that
    // character until the caret or the selection moves.
    void selectIntoLineBreak(qsizetype start);
    qsizetype selectionStart() const;
    qsizetype selectionEnd() const;
    // 1-based line and column of the selection's end.
    int caretLine() const;
    int caretColumn() const;
    // The text of the 0-based line, or an empty text beyond the last one.
    QString line(int index) const;
    int lineCount() const;

    // The text colour as chosen (and stored); the page shows it only where it is readable on the
    // background, and white or black instead where it is not.
    QColor textColor() const { return chosenTextColor_; }
    void setTextColor(const QColor& color);
    QColor shownTextColor() const;
    QColor backgroundColor() const;
    // The syntax colours and the shown text colour follow the background.
    void setBackgroundColor(const QColor& color);
    const SyntaxPalette& syntaxPalette() const { return syntaxPalette_; }

    // The language the page is coloured as; a page given none is never coloured.
    void setSyntax(PageHighlighter::LineScanner scanner);
    PageHighlighter* highlighter() const { return highlighter_; }
    bool syntaxColoured() const;
    void setSyntaxColoured(bool on);
    bool lineNumbersShown() const;
    void setLineNumbersShown(bool on);

    // A line in view: its 0-based number, its top and height in the viewport.
    struct ShownLine {
        int number;
        int top;
        int height;
    };
    QList<ShownLine> shownLines() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void placeGutter();
    void showTextColor();
    // The first and the last line in view.
    std::pair<QTextBlock, QTextBlock> shownBlocks() const;

    SyntaxPalette syntaxPalette_;
    QColor chosenTextColor_;
    PageHighlighter* highlighter_ = nullptr;
    LineNumberGutter* gutter_ = nullptr;
    QList<QKeySequence> inertKeys_;
    bool caretInLineBreak_ = false;
};

}  // namespace dfm
