#include "ModelBuilder.h"

#include "Errors.h"
#include "NestingGuard.h"

namespace dfm {

namespace {

// Offsets beyond 32 bits only come from a form that finish then refuses.
std::uint32_t asOffset(std::uint64_t offset)
{
    return static_cast<std::uint32_t>(offset);
}

std::uint32_t countOf(const auto& records)
{
    return static_cast<std::uint32_t>(records.size());
}

}  // namespace

void ModelBuilder::enterNesting()
{
    if (depth_ >= MaxNestingDepth)
        throw ReadError(nestingTooDeepMessage());
    ++depth_;
}

void ModelBuilder::beginNode(std::uint64_t start, std::uint64_t classOffset, TextSpan spanStart)
{
    enterNesting();
    const std::uint32_t parent = frames_.empty() ? NoIndex : frames_.back().owner;
    const std::uint32_t index = countOf(model_.nodes_);
    model_.nodes_.push_back({asOffset(start), asOffset(classOffset), parent, index + 1, 0, 0});
    if (withSpans_)
        model_.nodeSpans_.push_back(spanStart);
    frames_.push_back({FrameKind::Node, countOf(pendingProperties_), index});
}

void ModelBuilder::endProperties()
{
    const RangeRecord range = moveProperties(frames_.back().pendingStart);
    NodeRecord& node = model_.nodes_[frames_.back().owner];
    node.firstProperty = range.first;
    node.propertyCount = range.count;
}

void ModelBuilder::endNode(std::uint32_t lastLine, std::uint16_t lastColumn)
{
    const std::uint32_t index = frames_.back().owner;
    model_.nodes_[index].subtreeEnd = countOf(model_.nodes_);
    if (withSpans_) {
        model_.nodeSpans_[index].lastLine = lastLine;
        model_.nodeSpans_[index].lastColumn = lastColumn;
    }
    frames_.pop_back();
    --depth_;
}

void ModelBuilder::beginProperty(std::uint64_t nameOffset, TextSpan spanStart)
{
    pendingProperties_.push_back({{asOffset(nameOffset)}, spanStart});
}

void ModelBuilder::value(std::uint64_t offset)
{
    if (inList())
        pendingElements_.push_back({asOffset(offset)});
}

ModelBuilder::Frame ModelBuilder::compoundFrame(FrameKind kind, std::uint64_t offset, std::uint32_t pendingStart)
{
    enterNesting();
    if (inList()) {
        pendingElements_.push_back({asOffset(offset)});
        return {kind, pendingStart, countOf(pendingElements_) - 1, true};
    }
    return {kind, pendingStart, countOf(pendingProperties_) - 1, false};
}

void ModelBuilder::closeCompound(RangeRecord range)
{
    const Frame frame = frames_.back();
    frames_.pop_back();
    --depth_;
    const std::uint32_t index = countOf(model_.ranges_);
    model_.ranges_.push_back(range);
    if (frame.ownerIsElement)
        pendingElements_[frame.owner].range = index;
    else
        pendingProperties_[frame.owner].record.range = index;
}

void ModelBuilder::beginList(std::uint64_t offset)
{
    // The list's own element record is made before its frame counts the elements after it.
    const Frame frame = compoundFrame(FrameKind::List, offset, 0);
    frames_.push_back(frame);
    frames_.back().pendingStart = countOf(pendingElements_);
}

void ModelBuilder::endList()
{
    const std::uint32_t start = frames_.back().pendingStart;
    const RangeRecord range{countOf(model_.elements_), countOf(pendingElements_) - start};
    model_.elements_.insert(model_.elements_.end(), pendingElements_.begin() + start, pendingElements_.end());
    pendingElements_.resize(start);
    closeCompound(range);
}

void ModelBuilder::beginCollection(std::uint64_t offset)
{
    frames_.push_back(compoundFrame(FrameKind::Collection, offset, countOf(pendingItems_)));
}

void ModelBuilder::beginItem(std::uint64_t offset)
{
    pendingItems_.push_back({asOffset(offset)});
    frames_.push_back({FrameKind::Item, countOf(pendingProperties_), countOf(pendingItems_) - 1});
}

void ModelBuilder::endItem()
{
    const RangeRecord range = moveProperties(frames_.back().pendingStart);
    ItemRecord& item = pendingItems_[frames_.back().owner];
    item.firstProperty = range.first;
    item.propertyCount = range.count;
    frames_.pop_back();
}

void ModelBuilder::endCollection()
{
    const std::uint32_t start = frames_.back().pendingStart;
    const RangeRecord range{countOf(model_.items_), countOf(pendingItems_) - start};
    model_.items_.insert(model_.items_.end(), pendingItems_.begin() + start, pendingItems_.end());
    pendingItems_.resize(start);
    closeCompound(range);
}

void ModelBuilder::endValue(std::uint32_t lastLine, std::uint16_t lastColumn)
{
    if (inList() || pendingProperties_.empty())
        return;
    TextSpan& span = pendingProperties_.back().span;
    span.lastLine = lastLine;
    span.lastColumn = lastColumn;
}

RangeRecord ModelBuilder::moveProperties(std::uint32_t pendingStart)
{
    const RangeRecord range{countOf(model_.properties_), countOf(pendingProperties_) - pendingStart};
    for (std::size_t i = pendingStart; i < pendingProperties_.size(); ++i) {
        model_.properties_.push_back(pendingProperties_[i].record);
        if (withSpans_)
            model_.propertySpans_.push_back(pendingProperties_[i].span);
    }
    pendingProperties_.resize(pendingStart);
    return range;
}

FormModel ModelBuilder::finish(std::vector<unsigned char> arena)
{
    // Offsets are 32 bits wide: a larger form is refused rather than misread.
    if (arena.size() > NoIndex)
        throw ReadError("Form larger than 4 GB");
    model_.arena_ = std::move(arena);
    model_.nodes_.shrink_to_fit();
    model_.properties_.shrink_to_fit();
    model_.elements_.shrink_to_fit();
    model_.items_.shrink_to_fit();
    model_.ranges_.shrink_to_fit();
    model_.nodeSpans_.shrink_to_fit();
    model_.propertySpans_.shrink_to_fit();
    return std::move(model_);
}

}  // namespace dfm
