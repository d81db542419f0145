#include "PageEditor.h"

#include "LineNumberGutter.h"
#include "PageText.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>

namespace dfm {

PageEditor::PageEditor(QTextDocument* text, QWidget* parent)
    : QPlainTextEdit(parent), chosenTextColor_(palette().color(QPalette::Text))
{
    setDocument(text);
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
    // Connected first, so that the caret status, refreshed on the same signals, sees it cleared.
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] { caretInLineBreak_ = false; });
    connect(this, &QPlainTextEdit::selectionChanged, this, [this] { caretInLineBreak_ = false; });

    gutter_ = new LineNumberGutter(this);
    gutter_->hide();
    connect(this, &QPlainTextEdit::blockCountChanged, this, &PageEditor::placeGutter);
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& area, int dy) {
        if (!gutter_->isVisible())
            return;
        if (dy != 0)
            gutter_->scroll(0, dy);
        else
            gutter_->update(0, area.y(), gutter_->width(), area.height());
    });
}

void PageEditor::keyPressEvent(QKeyEvent* event)
{
    // An Alt key that no command, menu or tab took is not a character to type. With Ctrl it may
    // be one (AltGr on some keyboards), so that combination still types.
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (inertKeys_.contains(QKeySequence(event->keyCombination()))) {
        event->accept();
        return;
    }
    if (modifiers.testFlag(Qt::AltModifier) && !modifiers.testFlag(Qt::ControlModifier) && !event->text().isEmpty()) {
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

QString PageEditor::text() const
{
    return PageText::ofDocument(*document());
}

bool PageEditor::canUndo() const
{
    return document()->isUndoAvailable();
}

bool PageEditor::canRedo() const
{
    return document()->isRedoAvailable();
}

void PageEditor::select(qsizetype start, qsizetype length)
{
    QTextCursor cursor = textCursor();
    const qsizetype end = document()->characterCount() - 1;
    cursor.setPosition(static_cast<int>(qBound<qsizetype>(0, start, end)));
    cursor.setPosition(static_cast<int>(qBound<qsizetype>(0, start + length, end)), QTextCursor::KeepAnchor);
    // A line out of view is brought to the middle, with the lines around it; one in view stays put.
    // Told by line numbers, as measuring a line far away would lay out every line between.
    const auto [first, last] = shownBlocks();
    const int line = cursor.blockNumber();
    const bool inView = line >= first.blockNumber() && line < last.blockNumber();
    setTextCursor(cursor);
    if (inView)
        ensureCursorVisible();
    else
        centerCursor();
}

void PageEditor::selectIntoLineBreak(qsizetype start)
{
    const QTextBlock line = document()->findBlock(static_cast<int>(start));
    select(start, line.position() + line.length() - 1 - start);
    caretInLineBreak_ = true;
}

qsizetype PageEditor::selectionStart() const
{
    return textCursor().selectionStart();
}

qsizetype PageEditor::selectionEnd() const
{
    return textCursor().selectionEnd();
}

int PageEditor::caretLine() const
{
    return document()->findBlock(textCursor().selectionEnd()).blockNumber() + 1;
}

int PageEditor::caretColumn() const
{
    const int end = textCursor().selectionEnd();
    return end - document()->findBlock(end).position() + 1 + (caretInLineBreak_ ? 1 : 0);
}

QString PageEditor::line(int index) const
{
    return document()->findBlockByNumber(index).text();
}

int PageEditor::lineCount() const
{
    return document()->blockCount();
}

void PageEditor::setTextColor(const QColor& color)
{
    chosenTextColor_ = color;
    showTextColor();
}

QColor PageEditor::shownTextColor() const
{
    return palette().color(QPalette::Text);
}

void PageEditor::showTextColor()
{
    QPalette colours = palette();
    colours.setColor(QPalette::Text, syntaxPalette_.readableText(chosenTextColor_));
    setPalette(colours);
}

QColor PageEditor::backgroundColor() const
{
    return palette().color(QPalette::Base);
}

void PageEditor::setBackgroundColor(const QColor& color)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Base, color);
    setPalette(colours);
    syntaxPalette_ = SyntaxPalette(color);
    showTextColor();
    if (highlighter_ != nullptr)
        highlighter_->setPalette(syntaxPalette_);
    gutter_->update();
    viewport()->update();
}

void PageEditor::setSyntax(PageHighlighter::LineScanner scanner)
{
    delete highlighter_;
    highlighter_ = new PageHighlighter(document(), scanner, this);
    highlighter_->setPalette(syntaxPalette_);
    viewport()->update();
}

bool PageEditor::syntaxColoured() const
{
    return highlighter_ != nullptr && highlighter_->isEnabled();
}

void PageEditor::setSyntaxColoured(bool on)
{
    if (highlighter_ == nullptr)
        return;
    highlighter_->setEnabled(on);
    viewport()->update();
}

bool PageEditor::lineNumbersShown() const
{
    return !gutter_->isHidden();
}

void PageEditor::setLineNumbersShown(bool on)
{
    gutter_->setVisible(on);
    placeGutter();
}

void PageEditor::placeGutter()
{
    const int width = lineNumbersShown() ? gutter_->widthNeeded() : 0;
    // Called on every change of the line count: the page is laid out again only when the
    // numbers need another width.
    if (viewportMargins().left() != width)
        setViewportMargins(width, 0, 0, 0);
    const QRect area = contentsRect();
    gutter_->setGeometry(area.left(), area.top(), width, viewport()->height());
}

std::pair<QTextBlock, QTextBlock> PageEditor::shownBlocks() const
{
    const QPointF offset = contentOffset();
    const int bottom = viewport()->height();
    const QTextBlock first = firstVisibleBlock();
    QTextBlock last = first;
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        if (blockBoundingGeometry(block).translated(offset).top() > bottom)
            break;
        last = block;
    }
    return {first, last};
}

QList<PageEditor::ShownLine> PageEditor::shownLines() const
{
    QList<ShownLine> lines;
    const QPointF offset = contentOffset();
    const int bottom = viewport()->height();
    QTextBlock block = firstVisibleBlock();
    for (int number = block.blockNumber(); block.isValid(); block = block.next(), ++number) {
        const QRectF box = blockBoundingGeometry(block).translated(offset);
        if (box.top() > bottom)
            break;
        if (block.isVisible())
            lines.append({number, qRound(box.top()), qRound(box.height())});
    }
    return lines;
}

void PageEditor::paintEvent(QPaintEvent* event)
{
    // The lines about to be painted get their colours first, so none is ever seen uncoloured.
    if (syntaxColoured()) {
        const auto [first, last] = shownBlocks();
        highlighter_->colourBlocks(first, last);
    }
    QPlainTextEdit::paintEvent(event);
}

void PageEditor::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    placeGutter();
}

void PageEditor::changeEvent(QEvent* event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        gutter_->setFont(font());
        placeGutter();
    }
}

}  // namespace dfm
