// One editor page: plain text, no wrap, with the modified flag and the byte layout of its file.
#pragma once

#include "PageText.h"

#include <QPlainTextEdit>

namespace dfm {

class TMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TMemo(QWidget* parent);

    // Replaces the text as loaded from a file: no change marks, no undo history.
    void LoadText(const QString& text, const TextFormat& format);
    const TextFormat& Format() const { return format_; }
    // The text exactly as held, lines joined by "\n" (the plain-text view would turn
    // no-break spaces into blanks).
    QString Text() const;

    // Set by every change of the text after a load; cleared by a load and on request.
    bool Modified() const { return modified_; }
    void SetModified(bool on) { modified_ = on; }
    // Whether the text was changed at all since the last load (the modified flag may be cleared).
    bool EditedSinceLoad() const { return edited_; }
    bool CanUndo() const { return canUndo_; }

    // Selection in offsets of the shown text; the caret ends at start + length.
    void Select(qsizetype start, qsizetype length);
    qsizetype SelectionStart() const;
    qsizetype SelectionEnd() const;
    // 1-based line and column of the selection's end.
    int CaretLine() const;
    int CaretColumn() const;
    // The text of the 0-based line, or an empty text beyond the last one.
    QString Line(int index) const;
    int LineCount() const;

    QColor TextColor() const;
    void SetTextColor(const QColor& color);
    QColor BackgroundColor() const;
    void SetBackgroundColor(const QColor& color);

private:
    TextFormat format_;
    bool loading_ = false;
    bool modified_ = false;
    bool edited_ = false;
    bool canUndo_ = false;
};

}  // namespace dfm
