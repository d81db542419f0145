#include "BinaryModelReader.h"

#include "Errors.h"
#include "FormReader.h"
#include "ModelBuilder.h"
#include "ViewStream.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace dfm {

namespace {

// The rest of input, in one allocation when its size is known.
std::vector<unsigned char> readRest(ByteStream& input)
{
    std::vector<unsigned char> bytes;
    try {
        const std::int64_t left = input.size() - input.position();
        bytes.reserve(static_cast<std::size_t>(std::max<std::int64_t>(left, 0)));
    } catch (const FormError&) {
        // A pipe has no size: the bytes are gathered as they come.
    }
    constexpr std::size_t Step = 256 * 1024;
    for (;;) {
        const std::size_t used = bytes.size();
        const std::size_t room = bytes.capacity() - used;
        if (room == 0) {
            // Full: a small read tells the end from more bytes, which then grow the vector.
            unsigned char probe[4096];
            const std::size_t got = input.read(probe, sizeof probe);
            if (got == 0)
                return bytes;
            bytes.insert(bytes.end(), probe, probe + got);
            continue;
        }
        const std::size_t want = std::min(room, Step);
        bytes.resize(used + want);
        const std::size_t got = input.read(bytes.data() + used, want);
        bytes.resize(used + got);
        if (got == 0)
            return bytes;
    }
}

// Walks the form with FormReader, one step per object, property, value or item, with the open
// lists of the binary form on a stack rather than in recursion.
class Walk {
public:
    Walk(const std::vector<unsigned char>& arena, ModelBuilder& builder)
        : stream_(std::string_view(reinterpret_cast<const char*>(arena.data()), arena.size())),
          reader_(stream_), builder_(builder)
    {
    }

    // The offset of the root's end.
    std::uint64_t run();

private:
    // What the next list end closes.
    enum class Open { Properties, Children, List, Collection, ItemProperties };

    std::uint64_t offset() { return static_cast<std::uint64_t>(stream_.position()) - reader_.buffered(); }
    void beginObject();
    void readProperty();
    void readValue();
    void readItem();
    void closeList();
    void passOverLength(std::size_t unitSize);

    ViewStream stream_;
    FormReader reader_;
    ModelBuilder& builder_;
    std::vector<Open> open_;
    std::string name_;
};

std::uint64_t Walk::run()
{
    reader_.takeSignature();
    beginObject();
    while (!open_.empty()) {
        if (reader_.atListEnd()) {
            closeList();
            continue;
        }
        switch (open_.back()) {
        case Open::Properties:
        case Open::ItemProperties:
            readProperty();
            break;
        case Open::Children:
            beginObject();
            break;
        case Open::List:
            readValue();
            break;
        case Open::Collection:
            readItem();
            break;
        }
    }
    return offset();
}

void Walk::beginObject()
{
    const std::uint64_t start = offset();
    reader_.takeObjectPrefix();
    const std::uint64_t classOffset = offset();
    reader_.takeNameView(name_);
    reader_.takeNameView(name_);
    builder_.beginNode(start, classOffset);
    open_.push_back(Open::Properties);
}

void Walk::closeList()
{
    reader_.takeTag();
    const Open closed = open_.back();
    open_.pop_back();
    switch (closed) {
    case Open::Properties:
        builder_.endProperties();
        open_.push_back(Open::Children);
        break;
    case Open::Children:
        builder_.endNode();
        break;
    case Open::List:
        builder_.endList();
        break;
    case Open::Collection:
        builder_.endCollection();
        break;
    case Open::ItemProperties:
        builder_.endItem();
        break;
    }
}

void Walk::readProperty()
{
    builder_.beginProperty(offset());
    reader_.takeNameView(name_);
    readValue();
}

// A 32-bit count of units of unitSize bytes, and those bytes.
void Walk::passOverLength(std::size_t unitSize)
{
    reader_.takeTag();
    reader_.passOver(std::size_t{reader_.takeUInt32()} * unitSize);
}

void Walk::readValue()
{
    const std::uint64_t start = offset();
    const std::uint8_t tag = reader_.peekTag();
    if (const int size = fixedValueSize(tag); size >= 0) {
        reader_.takeTag();
        reader_.passOver(static_cast<std::size_t>(size));
        builder_.value(start);
        return;
    }
    switch (tag) {
    case ShortString:
    case Identifier:
        reader_.takeTag();
        reader_.passOver(reader_.takeTag());
        break;
    case LongString:
        reader_.takeTag();
        reader_.passOver(static_cast<std::size_t>(std::max<std::int32_t>(0, static_cast<std::int32_t>(reader_.takeUInt32()))));
        break;
    case WideString:
        passOverLength(2);
        break;
    case Utf8String:
    case Binary:
        passOverLength(1);
        break;
    case Set:
        reader_.takeTag();
        while (!reader_.takeNameView(name_).empty()) {
        }
        break;
    case List:
        reader_.takeTag();
        builder_.beginList(start);
        open_.push_back(Open::List);
        return;
    case Collection:
        reader_.takeTag();
        builder_.beginCollection(start);
        open_.push_back(Open::Collection);
        return;
    default:
        // The text converter would write nothing for it and read on from the tag as a name.
        throw ReadError(msg::BadPropertyValue);
    }
    builder_.value(start);
}

void Walk::readItem()
{
    builder_.beginItem(offset());
    const std::uint8_t tag = reader_.peekTag();
    if (tag == Int8 || tag == Int16 || tag == Int32)
        reader_.takeIntegerValue();
    reader_.expectTag(List);
    open_.push_back(Open::ItemProperties);
}

}  // namespace

FormModel BinaryModelReader::read(ByteStream& input)
{
    std::vector<unsigned char> arena = readRest(input);
    ModelBuilder builder(false);
    std::uint64_t end;
    {
        Walk walk(arena, builder);
        end = walk.run();
    }
    // The bytes after the root are no part of the form; the input is left just past the root.
    const std::size_t trailing = arena.size() - end;
    if (trailing > 0) {
        arena.resize(end);
        try {
            input.seek(-static_cast<std::int64_t>(trailing), SeekOrigin::Current);
        } catch (const FormError&) {
            // A stream that cannot move back (a pipe) stays at its end.
        }
    }
    return builder.finish(std::move(arena));
}

}  // namespace dfm

