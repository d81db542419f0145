#include "FormModel.h"

#include "ArenaStream.h"
#include "BinaryModelReader.h"
#include "Errors.h"
#include "FormTextReader.h"
#include "FormWriter.h"
#include "MemoryStream.h"
#include "TextModelSink.h"
#include "ValueLayout.h"

#include <algorithm>

namespace dfm {

FormModel FormModel::readBinary(ByteStream& input)
{
    return BinaryModelReader::read(input);
}

FormModel FormModel::readText(ByteStream& input, TextEncoding encoding, const CodePage* codePage)
{
    ModelBuilder builder(true);
    ArenaStream arena;
    try {
        // The binary form is smaller than its text: the arena is never moved as it grows, and the
        // pages it does not fill are never touched.
        arena.reserve(static_cast<std::size_t>(std::max<std::int64_t>(input.size() - input.position(), 0)));
    } catch (const FormError&) {
        // A pipe has no size.
    }
    {
        FormParser parser(input, encoding, codePage);
        FormWriter writer(arena);
        writer.putSignature();
        TextModelSink sink(builder, writer, encoding, codePage);
        FormTextReader(parser, sink).readObject();
        writer.flush();
    }
    return builder.finish(arena.take());
}

namespace {

// What is left to write: a node, a property, a value, an item, or a list's end.
struct WriteStep {
    enum class Kind : std::uint8_t { Node, Property, Value, Item, ListEnd } kind;
    std::uint32_t index;  // the node, property or item; a value's offset
    std::uint32_t range = NoIndex;
};

}  // namespace

// Walks the records, not the arena in one piece, so that the bytes written are those the
// records account for. The steps wait on a stack, pushed in reverse order.
void FormModel::writeBinary(ByteStream& output) const
{
    FormWriter writer(output);
    const auto put = [&](std::size_t from, std::size_t to) { writer.putBytes(arena_.data() + from, to - from); };
    const auto nameEnd = [&](std::size_t nameOffset) { return nameOffset + 1 + arena_[nameOffset]; };
    std::vector<WriteStep> steps;
    const auto pushProperties = [&](std::uint32_t first, std::uint32_t count) {
        steps.push_back({WriteStep::Kind::ListEnd, 0});
        for (std::uint32_t i = count; i-- > 0;)
            steps.push_back({WriteStep::Kind::Property, first + i});
    };
    put(0, 4);
    steps.push_back({WriteStep::Kind::Node, 0});
    while (!steps.empty()) {
        const WriteStep step = steps.back();
        steps.pop_back();
        switch (step.kind) {
        case WriteStep::Kind::Node: {
            const NodeRecord& node = nodes_[step.index];
            put(node.start, nameEnd(nameEnd(node.classOffset)));
            steps.push_back({WriteStep::Kind::ListEnd, 0});
            const std::size_t firstChild = steps.size();
            for (std::uint32_t child = step.index + 1; child < node.subtreeEnd; child = nodes_[child].subtreeEnd)
                steps.push_back({WriteStep::Kind::Node, child});
            std::reverse(steps.begin() + static_cast<std::ptrdiff_t>(firstChild), steps.end());
            pushProperties(node.firstProperty, node.propertyCount);
            break;
        }
        case WriteStep::Kind::Property: {
            const PropertyRecord& property = properties_[step.index];
            const std::size_t valueOffset = nameEnd(property.nameOffset);
            put(property.nameOffset, valueOffset);
            steps.push_back({WriteStep::Kind::Value, static_cast<std::uint32_t>(valueOffset), property.range});
            break;
        }
        case WriteStep::Kind::Value: {
            const ValueLayout layout = ValueLayout::at(arena_.data(), step.index);
            put(step.index, step.index + layout.size);
            if (layout.kind == List) {
                const RangeRecord& range = ranges_[step.range];
                steps.push_back({WriteStep::Kind::ListEnd, 0});
                for (std::uint32_t i = range.count; i-- > 0;) {
                    const ElementRecord& element = elements_[range.first + i];
                    steps.push_back({WriteStep::Kind::Value, element.offset, element.range});
                }
            } else if (layout.kind == Collection) {
                const RangeRecord& range = ranges_[step.range];
                steps.push_back({WriteStep::Kind::ListEnd, 0});
                for (std::uint32_t i = range.count; i-- > 0;)
                    steps.push_back({WriteStep::Kind::Item, range.first + i});
            }
            break;
        }
        case WriteStep::Kind::Item: {
            const ItemRecord& item = items_[step.index];
            std::size_t listTag = item.offset;
            if (arena_[listTag] != List)
                listTag += ValueLayout::at(arena_.data(), listTag).size;
            put(item.offset, listTag + 1);
            pushProperties(item.firstProperty, item.propertyCount);
            break;
        }
        case WriteStep::Kind::ListEnd:
            writer.putListEnd();
            break;
        }
    }
    writer.flush();
    output.flush();
}

void FormModel::writeText(ByteStream& output, const CodePage& codePage, TextStyle style) const
{
    MemoryStream binary;
    binary.reserve(arena_.size());
    writeBinary(binary);
    binary.setPosition(0);
    binaryToText(binary, output, codePage, style);
}

std::size_t FormModel::memoryBytes() const
{
    const auto bytes = [](const auto& records) { return records.size() * sizeof(records[0]); };
    return sizeof *this + bytes(arena_) + bytes(nodes_) + bytes(properties_) + bytes(elements_) + bytes(items_)
        + bytes(ranges_) + bytes(nodeSpans_) + bytes(propertySpans_);
}

}  // namespace dfm
