#include "ValueLayout.h"

#include <algorithm>

namespace dfm {

std::uint64_t littleEndian(const unsigned char* bytes, std::size_t count)
{
    std::uint64_t value = 0;
    for (std::size_t i = count; i-- > 0;)
        value = (value << 8) | bytes[i];
    return value;
}

ValueLayout ValueLayout::at(const unsigned char* arena, std::size_t offset)
{
    const auto kind = static_cast<ValueTag>(arena[offset]);
    const std::size_t after = offset + 1;
    // A fixed number of bytes after the tag, or a length of lengthBytes and that many units.
    const auto fixed = [&](std::size_t bytes) { return ValueLayout{kind, after, bytes, 1 + bytes}; };
    const auto counted = [&](std::size_t lengthBytes, std::size_t count, std::size_t unitSize) {
        const std::size_t bytes = count * unitSize;
        return ValueLayout{kind, after + lengthBytes, bytes, 1 + lengthBytes + bytes};
    };
    const auto length32 = [&] { return static_cast<std::uint32_t>(littleEndian(arena + after, 4)); };
    if (const int size = fixedValueSize(kind); size >= 0)
        return fixed(static_cast<std::size_t>(size));
    switch (kind) {
    case ShortString:
    case Identifier:
        return counted(1, arena[after], 1);
    case LongString:
        // A negative length holds no bytes, as the reader takes it.
        return counted(4, static_cast<std::size_t>(std::max<std::int32_t>(0, static_cast<std::int32_t>(length32()))), 1);
    case WideString:
        return counted(4, length32(), 2);
    case Utf8String:
    case Binary:
        return counted(4, length32(), 1);
    case Set: {
        std::size_t end = after;
        while (arena[end] != 0)
            end += 1 + std::size_t{arena[end]};
        return {kind, after, end - after, end + 1 - offset};
    }
    default:
        // The tag of a list or collection.
        return fixed(0);
    }
}

}  // namespace dfm
