#include "PageHighlighter.h"

#include <QAbstractTextDocumentLayout>
#include <QSignalBlocker>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <utility>

namespace dfm {

namespace {

// An edit that touches at most this many lines has them coloured as soon as it is done, so that
// a keystroke costs no second paint.
constexpr int ColouredAtOnce = 64;

// Each coloured part of a line is laid out and drawn on its own: a line of thousands of tokens
// (a unit squeezed onto one line) would take seconds to repaint at every keystroke. Beyond this
// many parts the rest of the line keeps the text colour; the state it leaves is still exact.
constexpr std::size_t MostPartsColoured = 1000;

// What a line was coloured for. Stale once its text changes; the start state and the palette's
// generation tell when the lines above or the colours changed under it.
struct LineColours : QTextBlockUserData {
    int startState = 0;
    int endState = 0;
    int generation = 0;
    bool stale = false;
};

LineColours* coloursOf(const QTextBlock& block)
{
    return static_cast<LineColours*>(block.userData());
}

}  // namespace

PageHighlighter::PageHighlighter(QTextDocument* document, LineScanner scanner, QObject* parent)
    : QObject(parent), document_(document), scanner_(scanner)
{
    setPalette(palette_);
    connect(document_, &QTextDocument::contentsChange, this, &PageHighlighter::contentsChanged);
    connect(document_, &QTextDocument::contentsChanged, this, &PageHighlighter::editFinished);
}

void PageHighlighter::setEnabled(bool on)
{
    if (on == enabled_)
        return;
    enabled_ = on;
    if (!on)
        clearColours();
}

void PageHighlighter::setPalette(const SyntaxPalette& palette)
{
    palette_ = palette;
    for (int role = 0; role < SyntaxRoleCount; ++role)
        formats_[static_cast<std::size_t>(role)] = palette_.format(static_cast<SyntaxRole>(role));
    ++generation_;
}

void PageHighlighter::contentsChanged(int position, int /*removed*/, int added)
{
    const QTextBlock first = document_->findBlock(position);
    if (!first.isValid())
        return;
    statesKnownBefore_ = std::min(statesKnownBefore_, first.blockNumber());
    const int end = std::min(position + added, document_->characterCount() - 1);
    const QTextBlock last = document_->findBlock(end);
    int lines = 0;
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        if (LineColours* colours = coloursOf(block))
            colours->stale = true;
        ++lines;
        if (block == last)
            break;
    }
    if (lines <= ColouredAtOnce) {
        editStart_ = editStart_ < 0 ? position : std::min(editStart_, position);
        editEnd_ = std::max(editEnd_, end);
    }
}

void PageHighlighter::editFinished()
{
    const int start = std::exchange(editStart_, -1);
    const int end = std::exchange(editEnd_, -1);
    if (!enabled_ || start < 0 || end >= document_->characterCount())
        return;
    // The layout has taken the new text and asked for its lines to be repainted; they get their
    // colours before that paint. The lines below follow when they are painted, should the state
    // they start in have changed.
    const QTextBlock first = document_->findBlock(start);
    const QTextBlock last = document_->findBlock(end);
    int state = stateAtStart(first);
    int line = first.blockNumber();
    for (QTextBlock block = first; block.isValid(); block = block.next(), ++line) {
        state = colourBlock(block, state);
        if (line == statesKnownBefore_)
            ++statesKnownBefore_;
        if (block == last)
            break;
    }
    relayout(first.position(), last.position() + last.length() - first.position());
}

void PageHighlighter::relayout(int position, int length)
{
    // The layout takes any change of formats that it cannot place within one line as a reason to
    // repaint the whole page; the lines whose text changed are already due for a repaint, and the
    // others look the same, so that request is held back.
    const QSignalBlocker quiet(document_->documentLayout());
    document_->markContentsDirty(position, length);
}

int PageHighlighter::stateAtStart(const QTextBlock& block)
{
    const int line = block.blockNumber();
    if (line <= 0)
        return 0;
    ensureStates(line - 1);
    return block.previous().userState();
}

void PageHighlighter::ensureStates(int lastLine)
{
    if (lastLine < statesKnownBefore_)
        return;
    QTextBlock block = document_->findBlockByNumber(statesKnownBefore_);
    int state = statesKnownBefore_ == 0 ? 0 : block.previous().userState();
    int line = statesKnownBefore_;
    for (; block.isValid() && line <= lastLine; block = block.next(), ++line) {
        state = scanner_(block.text(), state, nullptr);
        block.setUserState(state);
    }
    statesKnownBefore_ = line;
}

bool PageHighlighter::isColouredFor(const QTextBlock& block, int startState) const
{
    const LineColours* colours = coloursOf(block);
    return colours != nullptr && !colours->stale && colours->generation == generation_
           && colours->startState == startState;
}

int PageHighlighter::colourBlock(QTextBlock block, int startState)
{
    spans_.clear();
    const int endState = scanner_(block.text(), startState, &spans_);
    if (spans_.size() > MostPartsColoured)
        spans_.resize(MostPartsColoured);
    QList<QTextLayout::FormatRange> ranges;
    ranges.reserve(static_cast<qsizetype>(spans_.size()));
    for (const SyntaxSpan& span : spans_)
        ranges.append({span.start, span.length, formats_[static_cast<std::size_t>(span.role)]});
    block.layout()->setFormats(ranges);
    LineColours* colours = coloursOf(block);
    if (colours == nullptr) {
        colours = new LineColours;
        block.setUserData(colours);
    }
    colours->startState = startState;
    colours->endState = endState;
    colours->generation = generation_;
    colours->stale = false;
    block.setUserState(endState);
    return endState;
}

void PageHighlighter::colourBlocks(const QTextBlock& first, const QTextBlock& last)
{
    if (!enabled_ || !first.isValid())
        return;
    int state = stateAtStart(first);
    int line = first.blockNumber();
    int from = -1;
    int to = -1;
    for (QTextBlock block = first; block.isValid(); block = block.next(), ++line) {
        if (isColouredFor(block, state)) {
            // Its text and start are as when it was coloured, so is the state it ends in.
            state = coloursOf(block)->endState;
            block.setUserState(state);
        } else {
            state = colourBlock(block, state);
            if (from < 0)
                from = block.position();
            to = block.position() + block.length();
        }
        if (line >= statesKnownBefore_)
            statesKnownBefore_ = line + 1;
        if (block == last)
            break;
    }
    if (from >= 0)
        relayout(from, to - from);
}

void PageHighlighter::clearColours()
{
    int from = -1;
    int to = -1;
    for (QTextBlock block = document_->begin(); block.isValid(); block = block.next()) {
        if (coloursOf(block) == nullptr)
            continue;
        block.layout()->clearFormats();
        block.setUserData(nullptr);
        if (from < 0)
            from = block.position();
        to = block.position() + block.length();
    }
    if (from >= 0)
        relayout(from, to - from);
}

}  // namespace dfm
