// One editor page: plain text, no wrap, with the modified flag; it holds only text.
#pragma once

#include <QPlainTextEdit>

namespace dfm {

class PageEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit PageEditor(QWidget* parent);

    // Replaces the text as loaded from a file: no change marks, no undo history.
    void loadText(const QString& text);
    // The text exactly as held, lines joined by "\n" (the plain-text view would turn
    // no-break spaces into blanks).
    QString text() const;

    // Set by every change of the text after a load; cleared by a load, a save, an undo or redo
    // back to the text as loaded or saved, and on request.
    bool modified() const { return modified_; }
    void setModified(bool on) { modified_ = on; }
    // The text is now what is on disk: the flag is cleared and undoing back to here clears it again.
    void markSaved();
    // Whether the text was changed at all since the last load (the modified flag may be cleared).
    bool editedSinceLoad() const { return edited_; }
    bool canUndo() const { return canUndo_; }

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

    QColor textColor() const;
    void setTextColor(const QColor& color);
    QColor backgroundColor() const;
    void setBackgroundColor(const QColor& color);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool loading_ = false;
    bool modified_ = false;
    bool edited_ = false;
    bool canUndo_ = false;
    bool caretInLineBreak_ = false;
};

}  // namespace dfm
