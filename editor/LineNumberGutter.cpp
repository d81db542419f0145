#include "LineNumberGutter.h"

#include "PageEditor.h"

#include <QPainter>
#include <QPaintEvent>

#include <algorithm>

namespace dfm {

namespace {

constexpr int Padding = 4;

}  // namespace

LineNumberGutter::LineNumberGutter(PageEditor* page) : QWidget(page), page_(page)
{
    setObjectName(QStringLiteral("LineNumbers"));
    setFont(page->font());
}

int LineNumberGutter::widthNeeded() const
{
    int digits = 1;
    for (int count = std::max(1, page_->blockCount()); count >= 10; count /= 10)
        ++digits;
    return 2 * Padding + fontMetrics().horizontalAdvance(u'9') * std::max(3, digits);
}

void LineNumberGutter::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const SyntaxPalette& colours = page_->syntaxPalette();
    painter.fillRect(event->rect(), colours.background());
    painter.setPen(colours.color(SyntaxRole::LineNumber));
    painter.drawLine(width() - 1, event->rect().top(), width() - 1, event->rect().bottom());
    for (const PageEditor::ShownLine& line : page_->shownLines()) {
        if (line.top > event->rect().bottom())
            break;
        if (line.top + line.height < event->rect().top())
            continue;
        // At the top of the line: the last line's box also holds the page's bottom margin.
        painter.drawText(0, line.top, width() - Padding, line.height, Qt::AlignRight | Qt::AlignTop,
                         QString::number(line.number + 1));
    }
}

}  // namespace dfm
