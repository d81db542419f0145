// Where the parts of one value lie in a model's arena (the binary form stream).
#pragma once

#include "ValueTag.h"

#include <cstddef>
#include <cstdint>

namespace dfm {

struct ValueLayout {
    ValueTag kind;
    std::size_t payload;      // offset of the bytes after the tag and any length
    std::size_t payloadSize;  // a set: its names, the closing empty one excluded
    // The whole value, tag included; a list or collection: only its tag (its parts have records).
    std::size_t size;

    // The layout of the value whose tag is at offset; the arena holds a value read and checked.
    static ValueLayout at(const unsigned char* arena, std::size_t offset);
};

// The little-endian unsigned number of count bytes at bytes.
std::uint64_t littleEndian(const unsigned char* bytes, std::size_t count);

}  // namespace dfm
