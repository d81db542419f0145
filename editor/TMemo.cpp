#include "TMemo.h"

#include <QTextBlock>

namespace dfm {

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Dropped files open a form through the window; they are never pasted as text.
    setAcceptDrops(false);
    // The selection stays visible when the editor loses the focus.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!loading_) {
            modified_ = true;
            edited_ = true;
        }
    });
    connect(this, &QPlainTextEdit::undoAvailable, this, [this](bool available) { canUndo_ = available; });
}

void TMemo::LoadText(const QString& text, const TextFormat& format)
{
    loading_ = true;
    format_ = format;
    setPlainText(text);
    loading_ = false;
    modified_ = false;
    edited_ = false;
}

QString TMemo::Text() const
{
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

void TMemo::Select(qsizetype start, qsizetype length)
{
    QTextCursor cursor = textCursor();
    const qsizetype end = document()->characterCount() - 1;
    cursor.setPosition(static_cast<int>(qBound<qsizetype>(0, start, end)));
    cursor.setPosition(static_cast<int>(qBound<qsizetype>(0, start + length, end)), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}

qsizetype TMemo::SelectionStart() const
{
    return textCursor().selectionStart();
}

qsizetype TMemo::SelectionEnd() const
{
    return textCursor().selectionEnd();
}

int TMemo::CaretLine() const
{
    return document()->findBlock(textCursor().selectionEnd()).blockNumber() + 1;
}

int TMemo::CaretColumn() const
{
    const int end = textCursor().selectionEnd();
    return end - document()->findBlock(end).position() + 1;
}

QString TMemo::Line(int index) const
{
    return document()->findBlockByNumber(index).text();
}

int TMemo::LineCount() const
{
    return document()->blockCount();
}

QColor TMemo::TextColor() const
{
    return palette().color(QPalette::Text);
}

void TMemo::SetTextColor(const QColor& color)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Text, color);
    setPalette(colours);
}

QColor TMemo::BackgroundColor() const
{
    return palette().color(QPalette::Base);
}

void TMemo::SetBackgroundColor(const QColor& color)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Base, color);
    setPalette(colours);
}

}  // namespace dfm
