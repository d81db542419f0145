// Builds the records of a form model from the events of a reader, in the order of the binary
// form, with the arena offsets of what each names. Iterative: its frames are a vector.
#pragma once

#include "FormModel.h"
#include "ModelRecords.h"
#include "TextSpan.h"

#include <cstdint>
#include <vector>

namespace dfm {

class ModelBuilder {
public:
    // withSpans: the reader is text and tells where nodes and properties stand.
    explicit ModelBuilder(bool withSpans) : withSpans_(withSpans) {}

    // Offsets are those of the arena handed to finish. A node, a list or a collection that would
    // nest deeper than MaxNestingDepth fails with ReadError.
    void beginNode(std::uint64_t start, std::uint64_t classOffset, TextSpan spanStart = {});
    void endProperties();
    void endNode(std::uint32_t lastLine = 0, std::uint16_t lastColumn = 0);
    void beginProperty(std::uint64_t nameOffset, TextSpan spanStart = {});
    // A value without parts; the value of a property needs no record, an element of a list does.
    void value(std::uint64_t offset);
    void beginList(std::uint64_t offset);
    void endList();
    void beginCollection(std::uint64_t offset);
    // offset: the item's order value, or its list tag when it has none.
    void beginItem(std::uint64_t offset);
    void endItem();
    void endCollection();
    // Whether values now are elements of a list.
    bool inList() const { return !frames_.empty() && frames_.back().kind == FrameKind::List; }
    // The value of the property being read ends here (nothing for an element of a list).
    void endValue(std::uint32_t lastLine, std::uint16_t lastColumn);

    // The model over arena, the form stream whose offsets the events gave.
    FormModel finish(std::vector<unsigned char> arena);

private:
    enum class FrameKind { Node, List, Collection, Item };
    struct Frame {
        FrameKind kind;
        std::uint32_t pendingStart;  // of the parts gathered for it
        std::uint32_t owner;         // node, or the pending property, element or item
        bool ownerIsElement = false;
    };
    struct PendingProperty {
        PropertyRecord record;
        TextSpan span;
    };

    void enterNesting();
    // A list or collection begins: as an element of a list, or as a property's value.
    Frame compoundFrame(FrameKind kind, std::uint64_t offset, std::uint32_t pendingStart);
    void closeCompound(RangeRecord range);
    RangeRecord moveProperties(std::uint32_t pendingStart);

    bool withSpans_;
    int depth_ = 0;
    std::vector<Frame> frames_;
    std::vector<PendingProperty> pendingProperties_;
    std::vector<ElementRecord> pendingElements_;
    std::vector<ItemRecord> pendingItems_;
    FormModel model_;
};

}  // namespace dfm
