// A form as a tree of objects with typed values, read from the binary form or its text and
// written back to both byte for byte. Read-only: an edit is made to the text, which is read again.
#pragma once

#include "BinaryToText.h"
#include "ByteStream.h"
#include "CodePage.h"
#include "FormNode.h"
#include "FormParser.h"
#include "ModelRange.h"
#include "ModelRecords.h"
#include "TextSpan.h"

#include <cstdint>
#include <vector>

namespace dfm {

class FormModel {
public:
    // input stands at "TPF0"; reads the root object, as binaryToText does, refusing what it refuses
    // and a value tag it would pass over.
    static FormModel readBinary(ByteStream& input);
    // Reads form text with the converter's reader: what textToBinary refuses fails with its
    // error. codePage: as for textToBinary, and the page whose double-byte characters count as
    // one column.
    static FormModel readText(ByteStream& input, TextEncoding encoding = TextEncoding::CodePage,
                              const CodePage* codePage = nullptr);

    // "TPF0" and the root: the bytes read from binary, or those textToBinary writes for the text.
    void writeBinary(ByteStream& output) const;
    // What binaryToText writes for the model's binary form.
    void writeText(ByteStream& output, const CodePage& codePage = CodePage::system(), TextStyle style = {}) const;

    FormNode root() const { return {*this, 0}; }
    // Every node in document order.
    ModelRange<FormNode, FormNode::DocumentOrder> nodes() const
    {
        return {*this, 0, static_cast<std::uint32_t>(nodes_.size())};
    }
    std::size_t nodeCount() const { return nodes_.size(); }
    // Whether nodes and properties know their text span (read from text).
    bool hasSpans() const { return !nodeSpans_.empty(); }
    // The bytes of the model's arena and records.
    std::size_t memoryBytes() const;

private:
    friend class FormNode;
    friend class FormProperty;
    friend class FormValue;
    friend class CollectionItem;
    friend class ModelBuilder;

    FormModel() = default;

    std::vector<unsigned char> arena_;  // the binary form stream, "TPF0" first
    std::vector<NodeRecord> nodes_;
    std::vector<PropertyRecord> properties_;
    std::vector<ElementRecord> elements_;
    std::vector<ItemRecord> items_;
    std::vector<RangeRecord> ranges_;
    std::vector<TextSpan> nodeSpans_;
    std::vector<TextSpan> propertySpans_;
};

}  // namespace dfm
