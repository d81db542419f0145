// The colours over a whole document: the state carried from far above the lines coloured, edits
// that open or close a comment or binary block, and colours that never reach the text.
#include "FormTextSyntax.h"
#include "PageHighlighter.h"
#include "PascalSyntax.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace {

using dfm::FormTextSyntax;
using dfm::PageHighlighter;
using dfm::PascalSyntax;
using dfm::SyntaxPalette;
using dfm::SyntaxRole;

class Highlighter : public ::testing::Test {
protected:
    void load(const QString& text, PageHighlighter::LineScanner scanner)
    {
        editor.setPlainText(text);
        highlighter = new PageHighlighter(editor.document(), scanner, &editor);
    }

    QTextBlock line(int n) const { return editor.document()->findBlockByNumber(n); }

    // What painting the lines first to last does.
    void show(int first, int last) { highlighter->colourBlocks(line(first), line(last)); }

    // The colour of the line's character at column, invalid where it has none.
    QColor colourAt(int n, int column) const
    {
        for (const QTextLayout::FormatRange& range : line(n).layout()->formats()) {
            if (column >= range.start && column < range.start + range.length)
                return range.format.foreground().color();
        }
        return {};
    }

    QColor role(SyntaxRole role) const { return highlighter->palette().color(role); }

    void insertAt(int n, int column, const QString& text)
    {
        QTextCursor cursor(line(n));
        cursor.setPosition(line(n).position() + column);
        cursor.insertText(text);
    }

    QPlainTextEdit editor;
    PageHighlighter* highlighter = nullptr;
};

QString pascalLines(int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("  Total := Total + %1; // line\n").arg(i);
    return text;
}

TEST_F(Highlighter, ACommentOpenedFarAboveTheViewColoursTheLinesBelowAndClosingItRestoresThem)
{
    load(pascalLines(3000), &PascalSyntax::scanLine);
    show(2500, 2540);
    EXPECT_EQ(colourAt(2500, 20), role(SyntaxRole::Number));
    EXPECT_EQ(colourAt(2500, 2), QColor());

    insertAt(10, 0, QStringLiteral("{"));
    show(2500, 2540);
    for (int n : {11, 2500, 2540}) {
        if (n == 11)
            show(11, 11);
        EXPECT_EQ(colourAt(n, 2), role(SyntaxRole::Comment)) << n;
        EXPECT_EQ(colourAt(n, 20), role(SyntaxRole::Comment)) << n;
    }

    // Closed again a little further down: the lines below it are code once more.
    insertAt(20, 0, QStringLiteral("}"));
    show(2500, 2540);
    EXPECT_EQ(colourAt(2500, 20), role(SyntaxRole::Number));
    EXPECT_EQ(colourAt(2500, 2), QColor());
    show(15, 15);
    EXPECT_EQ(colourAt(15, 20), role(SyntaxRole::Comment));

    // Undone twice: as at the start.
    editor.undo();
    editor.undo();
    show(2500, 2540);
    EXPECT_EQ(colourAt(2500, 20), role(SyntaxRole::Number));
    show(15, 15);
    EXPECT_EQ(colourAt(15, 20), role(SyntaxRole::Number));
}

TEST_F(Highlighter, ABinaryBlockOpenedAboveTheViewColoursTheFormLinesBelow)
{
    QString text = QStringLiteral("object Form1: TForm1\n");
    for (int i = 0; i < 500; ++i)
        text += QStringLiteral("  Left = %1\n").arg(i);
    load(text + QStringLiteral("end\n"), &FormTextSyntax::scanLine);
    show(400, 420);
    EXPECT_EQ(colourAt(400, 3), role(SyntaxRole::Property));

    insertAt(3, 0, QStringLiteral("  Data = {"));
    show(400, 420);
    EXPECT_EQ(colourAt(400, 3), role(SyntaxRole::Binary));
    EXPECT_EQ(colourAt(420, 9), role(SyntaxRole::Binary));

    insertAt(100, 0, QStringLiteral("}"));
    show(400, 420);
    EXPECT_EQ(colourAt(400, 3), role(SyntaxRole::Property));
}

TEST_F(Highlighter, ALineTypedIntoIsColouredWithoutWaitingForAPaint)
{
    load(pascalLines(200), &PascalSyntax::scanLine);
    show(0, 40);
    insertAt(5, 0, QStringLiteral("begin 'text' "));
    EXPECT_EQ(colourAt(5, 0), role(SyntaxRole::Keyword));
    EXPECT_EQ(colourAt(5, 7), role(SyntaxRole::String));
    EXPECT_EQ(colourAt(5, 32), role(SyntaxRole::Number));
}

// As Replace All does: one edit over many lines, each keeping its line but not its text.
TEST_F(Highlighter, LinesChangedByOneLargeEditAreColouredAgainWhenShown)
{
    load(pascalLines(400), &PascalSyntax::scanLine);
    show(0, 40);
    ASSERT_EQ(colourAt(10, 19), role(SyntaxRole::Number));
    QTextCursor cursor(editor.document());
    cursor.beginEditBlock();
    for (int n = 399; n >= 0; --n) {
        cursor.setPosition(line(n).position() + 2);
        cursor.setPosition(line(n).position() + 7, QTextCursor::KeepAnchor);
        cursor.insertText(QStringLiteral("'abc'"));
    }
    cursor.endEditBlock();
    show(0, 40);
    for (int n : {0, 10, 40}) {
        EXPECT_EQ(colourAt(n, 2), role(SyntaxRole::String)) << n;
        EXPECT_EQ(colourAt(n, 12), QColor()) << n;
    }
}

// A unit squeezed onto one line stays quick to repaint: its first parts are coloured, and the
// comment it leaves open still colours the next line.
TEST_F(Highlighter, AVeryLongLineIsColouredInPartAndStillCarriesItsState)
{
    load(QStringLiteral("begin x := 1; ").repeated(5000) + QStringLiteral("{\nstill a comment"),
         &PascalSyntax::scanLine);
    show(0, 1);
    const QList<QTextLayout::FormatRange> formats = line(0).layout()->formats();
    EXPECT_GE(formats.size(), 100);
    EXPECT_LE(formats.size(), 1000);
    EXPECT_EQ(colourAt(0, 0), role(SyntaxRole::Keyword));
    EXPECT_EQ(colourAt(1, 0), role(SyntaxRole::Comment));
}

TEST_F(Highlighter, ColoursChangeNeitherTheTextNorItsHistoryNorItsModifiedFlag)
{
    const QString text = pascalLines(300);
    load(text, &PascalSyntax::scanLine);
    editor.document()->setModified(false);
    show(0, 299);
    highlighter->setPalette(SyntaxPalette(Qt::white));
    show(100, 200);
    EXPECT_EQ(colourAt(150, 20), SyntaxPalette(Qt::white).color(SyntaxRole::Number));
    highlighter->setEnabled(false);
    for (int n : {0, 150, 299})
        EXPECT_TRUE(line(n).layout()->formats().isEmpty()) << n;
    show(0, 40);
    EXPECT_TRUE(line(0).layout()->formats().isEmpty()) << "off stays off when painted";
    highlighter->setEnabled(true);
    show(0, 40);
    EXPECT_EQ(colourAt(0, 19), SyntaxPalette(Qt::white).color(SyntaxRole::Number));

    EXPECT_EQ(editor.toPlainText(), text);
    EXPECT_FALSE(editor.document()->isModified());
    EXPECT_FALSE(editor.document()->isUndoAvailable());
    EXPECT_FALSE(editor.document()->isRedoAvailable());
}

}  // namespace
